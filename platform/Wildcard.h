#pragma once

#include <string_view>

namespace nuvero::platform {

// A file mask against a name, as Windows users know masks, on every system: "*" any run
// of characters, "?" one character or, before a dot or at the end of the name, none
// ("file?.txt" matches "file.txt"); letters match without regard to case. "*.*" matches
// every name, a mask ending in ".*" also matches names without a dot ("a*.*" matches
// "abc"), and one ending in "." only names without a dot ("*." matches "abc", not "a.b").
bool wildcardMatch(std::string_view pattern, std::string_view name);

} // namespace nuvero::platform
