#pragma once

// How the Windows back end reads a program path before any call sees it. Kept free of
// <windows.h> so that it is built and tested on every platform.
//
// The path is resolved here, not by GetFullPathNameW, and always reaches the system in
// its "\\?\" form. GetFullPathNameW would turn a name such as "con", "nul" or "com1"
// (and on older systems "con.txt") into the device of that name and cut trailing dots
// and blanks off every component, so a file the listing returned under such a name
// would be opened as a device or not found at all. Resolving the text ourselves with
// the rule the POSIX back end uses too (platform/PathComponents.h) gives both back ends
// the same paths; on top of it, "X:" alone and "X:name" start at the drive's root (the program keeps no current
// folder per drive). The "\\?\" form also lifts the MAX_PATH limit.

#include "platform/Platform.h"

#include <optional>
#include <string>
#include <string_view>

namespace nuvero::platform::win32 {

struct ProgramPath {
    std::string text; // resolved: "c:\data\x.txt", "c:\", "\\server\share\x"
    bool isRoot = false; // a drive root or the root of a share
    bool isUnc = false;
    char driveLetter = 0; // as written; 0 for a share
};

// Nothing for an empty or relative path ("data", "\data", "c"), a path holding NUL, a
// share without server or share name, and paths already in a system form ("\\?\...",
// "\\.\..."): the program never writes those.
std::optional<ProgramPath> parseProgramPath(std::string_view path);

// The form handed to the wide-character calls: "\\?\c:\data", "\\?\UNC\server\share".
std::string systemForm(const ProgramPath& path);

// The program's I/O code for a Windows system error number. The numbers are already
// those the program's messages use; only the two "disk full" errors are folded into
// the one code with a text of its own.
int ioCodeFromSystemError(unsigned long error);

// "Local Disk (C:)" style name for a drive the shell gives no name for.
std::string fallbackDriveDisplayName(char letter, DriveType type);

} // namespace nuvero::platform::win32
