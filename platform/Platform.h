#pragma once

// The platform layer: the only code of the program that talks to the operating system.
// Paths above this layer are Windows-style program paths ("c:\data\file.txt", UTF-8).
// On Windows they are handed to the wide-character calls; on Linux the drive table maps
// each letter to a host folder (see posix/DriveTable.h).
//
// Thread safety: every function may be called from any thread. The drive table and the
// settings are read once and then only replaced as a whole by reloadConfiguration().

#include "platform/DateTime.h"
#include "platform/DirEntry.h"
#include "platform/Folder.h"
#include "platform/IoStatus.h"
#include "platform/LocalTimeConverter.h"
#include "platform/OutputFile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nuvero::platform {

// ---- Times -----------------------------------------------------------------------------

// Current local date-time, to the millisecond.
DateTime localNow();

// ---- Drives ----------------------------------------------------------------------------

enum class DriveType { Unknown, NoRootDir, Removable, Fixed, Remote, CdRom, RamDisk };

// Bit 0 is A:, bit 2 is C:, ...
std::uint32_t logicalDrives();
DriveType driveType(char letter);
// True when the drive's size can be read (a medium is in it); never shows a system box.
// Waits at most 2 s: a drive that does not answer by then (a network share whose server
// is gone) is not ready.
bool driveReady(char letter);
// True when the folder at a program path lies on a network drive or a file system served
// by a program (NFS, SMB, FUSE, 9p, ...), where every request is a round trip: there a walk
// gains by keeping many requests in flight. False when unknown.
bool isRemoteFolder(std::string_view path);
// False when the drive does not answer within 2 s; whether it is ready is not asked.
bool driveAnswers(char letter);

// ---- Files ------------------------------------------------------------------------------

// Attribute word of the file or folder at a path; nothing when it cannot be read or its
// drive does not answer within 2 s.
std::optional<std::uint32_t> fileAttributes(std::string_view path);

// Opens an existing file for reading and writing and closes it again (the delete
// command's test). A folder fails with AccessDenied.
IoStatus openReadWriteTest(std::string_view path);

// Deletes a file (never a folder).
IoStatus deleteFile(std::string_view path);

// Renames or moves a file or folder. Never replaces an existing target: that fails with
// AlreadyExists. Renaming to the very same path succeeds and changes nothing.
IoStatus moveFile(std::string_view from, std::string_view to);

// Tests that a folder can be entered and reports its path as the system spells it
// (separators folded, "." and ".." resolved, no trailing "\" except on a drive root).
IoStatus enterFolder(std::string_view path, std::string* reportedPath = nullptr);

// The bytes a list file holds for UTF-8 program text. Windows: the system's 8-bit ANSI
// code page, as list files have always been written there (Cyrillic as Windows-1251 on a
// Russian system); a character the code page cannot hold becomes "?". Linux: the text's
// own bytes.
std::string toListFileText(std::string_view text);

// The host path behind a program path, for code that hands paths to Qt (icons, tests).
// Nothing when the path's drive is unknown or the path is malformed.
std::optional<std::string> nativePath(std::string_view path);
// The program path of a host path (what a file dialog returns, a root typed as a host
// path): "." and ".." resolved, then the drive whose folder holds it, the deepest one
// where drives nest. Nothing when no drive holds it.
std::optional<std::string> fromNativePath(std::string_view native);

// ---- Shell ------------------------------------------------------------------------------

// Display name of the computer folder ("Computer").
std::string computerDisplayName();
// Display name of a drive root: "<label> (X:)".
std::string driveDisplayName(char letter);

// ---- Settings ---------------------------------------------------------------------------

// Reads a value of the settings file "lamer.Ini"; a missing file, section or key gives
// the default. The settings file is never written.
std::string readProfileString(std::string_view section, std::string_view key, std::string_view defaultValue);

// Where "lamer.Ini" is looked for.
std::string settingsFilePath();

// Reads the settings (and, on Linux, the drive table) again. For start-up and tests; not
// to be called while a search runs.
void reloadConfiguration();

} // namespace nuvero::platform
