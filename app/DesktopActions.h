#pragma once

#include <string_view>

class QWidget;

namespace nuvero::desktop {

// What the results list's rows lead to outside the program, for a row's full program path.
// Window's thread only. An entry that is gone, or that no drive maps, gets the error box
// with "File not found." and nothing else happens.

// Opens the entry with the desktop's default application (a folder in the file manager).
void openEntry(QWidget* parent, std::string_view programPath);

// Shows the entry selected in the file manager: on Linux through the freedesktop
// FileManager1 service when the session bus offers it, else by opening the folder that
// holds it; on Windows through Explorer.
void showInFolder(QWidget* parent, std::string_view programPath);

// Puts the entry's URL and its path as the desktop spells it on the clipboard.
void copyPath(std::string_view programPath);

} // namespace nuvero::desktop
