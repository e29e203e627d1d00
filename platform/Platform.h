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
#include "platform/IoStatus.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nuvero::platform {

// ---- Folders ---------------------------------------------------------------------------

// An entered folder: opened as a directory without touching the process's working
// directory. Move-only; closes itself.
class Folder {
public:
    Folder() = default;
    Folder(Folder&& other) noexcept;
    Folder& operator=(Folder&& other) noexcept;
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    ~Folder();

    // "Enters" the folder at a program path. Fails (isOpen() false, status set) when the
    // path does not exist, is no folder, cannot be accessed or the drive is not ready.
    static Folder open(std::string_view path, IoStatus* status = nullptr);

    bool isOpen() const { return m_handle != InvalidHandle; }

    // Appends every entry of the folder, in the order the system lists them, to out.
    // "." and ".." are left out, and so are names that cannot be part of a program path
    // (a name holding "\") and folders that belong to another drive. Returns false when
    // the listing failed part-way; the entries read until then stay in out.
    bool readAll(std::vector<DirEntry>& out);

private:
    static constexpr std::intptr_t InvalidHandle = -1;
    std::intptr_t m_handle = InvalidHandle;
    std::string m_nativePath; // used by back ends that list by path
    bool m_readBefore = false;
};

// Windows wildcard rules: "*" any run of characters, "?" exactly one character, letters
// matched without regard to case, "*.*" every name (with or without a dot).
bool wildcardMatch(std::string_view pattern, std::string_view name);

// Lists the entries of a folder that match a pattern, in listing order: the mask listing
// of a folder ("c:\data\*.txt"), the way the directory listing call does it.
bool listMatching(std::string_view folderPath, std::string_view pattern, std::vector<DirEntry>& out);

// ---- Times -----------------------------------------------------------------------------

// Converts file times to local calendar fields with the offset from universal time that
// is in force when the converter is made (not that of the file's own date).
class LocalTimeConverter {
public:
    LocalTimeConverter();
    CalendarTime toLocal(FileTime time) const;
    DateTime toDateTime(FileTime time) const; // milliseconds dropped

private:
    std::int64_t m_offsetTicks = 0;
};

// Current local date-time, to the millisecond.
DateTime localNow();

// ---- Drives ----------------------------------------------------------------------------

enum class DriveType { Unknown, NoRootDir, Removable, Fixed, Remote, CdRom, RamDisk };

// Bit 0 is A:, bit 2 is C:, ...
std::uint32_t logicalDrives();
DriveType driveType(char letter);
// True when the drive's size can be read (a medium is in it); never shows a system box.
bool driveReady(char letter);

// ---- Files ------------------------------------------------------------------------------

// Attribute word of the file or folder at a path; nothing when it cannot be read.
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

// A file written from the start: created anew or emptied and overwritten.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    IoStatus create(std::string_view path);
    IoStatus write(std::string_view bytes);
    IoStatus close(); // flushes; reports a failed flush (a full disk)

private:
    // Writes go out in pieces of a MiB: a list of a million rows in about seventy calls.
    static constexpr std::size_t BufferSize = 1 << 20;
    IoStatus flush(); // each back end's own
    std::intptr_t m_handle = -1; // a descriptor or a HANDLE; -1 when closed
    std::string m_buffer;
};

// The bytes a list file holds for UTF-8 program text. Windows: the system's 8-bit ANSI
// code page, as list files have always been written there (Cyrillic as Windows-1251 on a
// Russian system); a character the code page cannot hold becomes "?". Linux: the text's
// own bytes.
std::string toListFileText(std::string_view text);

// The host path behind a program path, for code that hands paths to Qt (icons, tests).
// Nothing when the path's drive is unknown or the path is malformed.
std::optional<std::string> nativePath(std::string_view path);
// The program path of a host path (what a file dialog returns): the drive whose folder
// holds it, the deepest one where drives nest. Nothing when no drive holds it.
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
