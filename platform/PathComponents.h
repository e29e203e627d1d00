#pragma once

// How a program path is read, the same on every system and free of system calls, so that
// both back ends resolve a path alike: "\" and "/" both separate, empty and "." components
// vanish, and ".." goes up but never above the start (a drive's root, a share's root), as
// Windows resolves full paths.

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace nuvero::platform {

// The components of what follows a path's root ("\data\..\x" of "c:\data\..\x"),
// resolved. The views point into `rest`.
std::vector<std::string_view> pathComponents(std::string_view rest);

// Appends the components to text, joined by separator (none before the first).
void appendJoined(std::string& text, std::span<const std::string_view> parts, char separator);

} // namespace nuvero::platform
