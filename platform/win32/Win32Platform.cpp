// Windows back end of the platform layer: the wide-character calls of kernel32 and
// shell32. Program paths are resolved by ProgramPath.h and always reach the system in
// their "\\?\" form; names are UTF-16 below this file and UTF-8 above it (WideText.h).
//
// Every function may run on any thread: the search worker lists and enters folders
// while the window's thread renames, deletes, saves and reads drives. Nothing here keeps
// state between calls, and the error mode is switched per thread (QuietErrorMode.h).

#include "platform/Platform.h"
#include "platform/win32/ComScope.h"
#include "platform/win32/ProgramPath.h"
#include "platform/win32/QuietErrorMode.h"
#include "platform/win32/WindowsApi.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cwchar>
#include <utility>

namespace nuvero::platform {

using namespace win32;

namespace {

IoStatus lastError()
{
    return IoStatus(ioCodeFromSystemError(::GetLastError()));
}

// A program path resolved, with the wide system form the calls take.
struct Resolved {
    ProgramPath path;
    std::wstring system;
};

bool driveBitSet(char letter)
{
    const int index = (letter >= 'a' && letter <= 'z') ? letter - 'a'
        : (letter >= 'A' && letter <= 'Z')             ? letter - 'A'
                                                       : -1;
    return index >= 0 && (::GetLogicalDrives() & (1u << index)) != 0;
}

// Drive letters that no drive has fail here, with the code Windows gives for them (Wine
// would say "file not found").
std::optional<Resolved> resolve(std::string_view text, IoStatus* status = nullptr)
{
    auto parsed = parseProgramPath(text);
    if (!parsed || (!parsed->isUnc && !driveBitSet(parsed->driveLetter))) {
        if (status)
            *status = IoStatus(IoCode::PathNotFound);
        return std::nullopt;
    }
    std::wstring system = wide(systemForm(*parsed));
    return Resolved { std::move(*parsed), std::move(system) };
}

std::int64_t ticksOf(const FILETIME& t)
{
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
}

std::wstring driveRoot(char letter)
{
    std::wstring root = L"A:\\";
    root[0] = static_cast<wchar_t>(letter >= 'a' && letter <= 'z' ? letter - 'a' + 'A' : letter);
    return root;
}

// "<folder>\*", every entry of a folder in its system form.
std::wstring listPattern(std::string folder)
{
    if (folder.back() != '\\')
        folder.push_back('\\');
    folder.push_back('*');
    return wide(folder);
}

bool isDriveLetter(char letter)
{
    return (letter >= 'a' && letter <= 'z') || (letter >= 'A' && letter <= 'Z');
}

// Can the folder at a system path be entered, the way making it the working directory
// would?
IoStatus enterable(const std::wstring& system)
{
    const QuietErrorMode quiet;
    // The rights that entering a folder as the working directory asks for; the folder
    // can still be renamed or deleted by others meanwhile.
    const HANDLE handle = ::CreateFileW(system.c_str(), FILE_TRAVERSE | SYNCHRONIZE,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
        nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return lastError();
    BY_HANDLE_FILE_INFORMATION info {};
    const bool isFolder
        = ::GetFileInformationByHandle(handle, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    ::CloseHandle(handle);
    return isFolder ? IoStatus::success() : IoStatus(ERROR_DIRECTORY);
}

} // namespace

// ---- Folder -------------------------------------------------------------------------------
//
// A folder holds no system handle on Windows: open() tests that the folder can be
// entered, the way making it the working directory would, and keeps its system form in
// m_nativePath for readAll(). m_handle only says "open".

Folder::Folder(Folder&& other) noexcept
    : m_handle(std::exchange(other.m_handle, InvalidHandle))
    , m_nativePath(std::move(other.m_nativePath))
{
}

Folder& Folder::operator=(Folder&& other) noexcept
{
    if (this != &other) {
        m_handle = std::exchange(other.m_handle, InvalidHandle);
        m_nativePath = std::move(other.m_nativePath);
    }
    return *this;
}

Folder::~Folder() = default;

Folder Folder::open(std::string_view path, IoStatus* status)
{
    Folder folder;
    const auto resolved = resolve(path, status);
    if (!resolved)
        return folder;
    if (const IoStatus entered = enterable(resolved->system); !entered.ok()) {
        if (status)
            *status = entered;
        return folder;
    }
    folder.m_handle = 0;
    folder.m_nativePath = systemForm(resolved->path);
    if (status)
        *status = IoStatus::success();
    return folder;
}

bool Folder::readAll(std::vector<DirEntry>& out)
{
    if (!isOpen())
        return false;
    const QuietErrorMode quiet;
    WIN32_FIND_DATAW data;
    // The basic information leaves out the short (8.3) names, which nothing here uses,
    // and the large fetch asks for bigger batches per system call.
    const HANDLE find = ::FindFirstFileExW(listPattern(m_nativePath).c_str(), FindExInfoBasic, &data,
        FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE)
        return ::GetLastError() == ERROR_FILE_NOT_FOUND; // an empty drive root lists nothing at all
    do {
        const wchar_t* name = data.cFileName;
        if (name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0)))
            continue;
        DirEntry& e = out.emplace_back();
        e.name = narrow(name, std::wcslen(name));
        e.attributes = data.dwFileAttributes;
        e.creationTime.ticks = ticksOf(data.ftCreationTime);
        e.lastAccessTime.ticks = ticksOf(data.ftLastAccessTime);
        e.lastWriteTime.ticks = ticksOf(data.ftLastWriteTime);
        e.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    } while (::FindNextFileW(find, &data));
    const DWORD error = ::GetLastError();
    ::FindClose(find);
    return error == ERROR_NO_MORE_FILES;
}

// The listing holds every entry's details: nothing is left to read afterwards.
bool Folder::readNames(std::vector<DirEntry>& out)
{
    return readAll(out);
}

void Folder::readDetails(std::span<DirEntry>) const { }

// A folder holds no handle here: the subfolder is entered by its path.
Folder Folder::openSubfolder(std::string_view, std::string_view path) const
{
    return isOpen() ? open(path) : Folder();
}

bool Folder::hasSubfolder()
{
    if (!isOpen())
        return false;
    const QuietErrorMode quiet;
    WIN32_FIND_DATAW data;
    // The listing carries each entry's attributes, so only reading up to the first
    // folder is saved here; the system may use the hint to skip files.
    const HANDLE find = ::FindFirstFileExW(
        listPattern(m_nativePath).c_str(), FindExInfoBasic, &data, FindExSearchLimitToDirectories, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    bool found = false;
    do {
        const wchar_t* name = data.cFileName;
        const bool dots = name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
        found = !dots && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    } while (!found && ::FindNextFileW(find, &data));
    ::FindClose(find);
    return found;
}

bool Folder::readSubfolders(std::vector<Subfolder>& out)
{
    std::vector<DirEntry> entries;
    const bool complete = readAll(entries);
    for (DirEntry& entry : entries) {
        if (!entry.isDirectory())
            continue;
        Folder sub;
        sub.m_nativePath = m_nativePath;
        if (sub.m_nativePath.back() != '\\')
            sub.m_nativePath.push_back('\\');
        sub.m_nativePath += entry.name;
        const bool entered = enterable(wide(sub.m_nativePath)).ok();
        sub.m_handle = entered ? 0 : InvalidHandle;
        out.push_back(Subfolder { std::move(entry.name), entered && sub.hasSubfolder() });
    }
    return complete;
}

// ---- times ----------------------------------------------------------------------------------

LocalTimeConverter::LocalTimeConverter()
{
    // The offset FileTimeToLocalFileTime applies now: the bias in force at this moment,
    // daylight saving time included, whatever the date being converted.
    FILETIME utc;
    ::GetSystemTimeAsFileTime(&utc);
    FILETIME local;
    if (::FileTimeToLocalFileTime(&utc, &local))
        m_offsetTicks = ticksOf(local) - ticksOf(utc);
}

DateTime localNow()
{
    SYSTEMTIME st;
    ::GetLocalTime(&st);
    return DateTime::fromCalendar(
        CalendarTime { st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds });
}

// ---- drives ---------------------------------------------------------------------------------

std::uint32_t logicalDrives()
{
    return ::GetLogicalDrives();
}

DriveType driveType(char letter)
{
    if (!isDriveLetter(letter))
        return DriveType::NoRootDir;
    switch (::GetDriveTypeW(driveRoot(letter).c_str())) {
    case DRIVE_NO_ROOT_DIR:
        return DriveType::NoRootDir;
    case DRIVE_REMOVABLE:
        return DriveType::Removable;
    case DRIVE_FIXED:
        return DriveType::Fixed;
    case DRIVE_REMOTE:
        return DriveType::Remote;
    case DRIVE_CDROM:
        return DriveType::CdRom;
    case DRIVE_RAMDISK:
        return DriveType::RamDisk;
    default:
        return DriveType::Unknown;
    }
}

bool isRemoteFolder(std::string_view path)
{
    const auto parsed = parseProgramPath(path);
    if (!parsed)
        return false;
    // A share named by its server (\\server\share) is remote by its very form.
    return parsed->isUnc || driveType(parsed->driveLetter) == DriveType::Remote;
}

bool driveReady(char letter)
{
    if (!isDriveLetter(letter))
        return false;
    const QuietErrorMode quiet;
    ULARGE_INTEGER total {};
    return ::GetDiskFreeSpaceExW(driveRoot(letter).c_str(), nullptr, &total, nullptr) != FALSE;
}

bool driveAnswers(char)
{
    return true; // the system's redirector gives up on a dead share by itself
}

// ---- files -----------------------------------------------------------------------------------

std::optional<std::uint32_t> fileAttributes(std::string_view path)
{
    const auto resolved = resolve(path);
    if (!resolved)
        return std::nullopt;
    const QuietErrorMode quiet;
    const DWORD attributes = ::GetFileAttributesW(resolved->system.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return std::nullopt;
    return attributes;
}

IoStatus openReadWriteTest(std::string_view path)
{
    IoStatus status;
    const auto resolved = resolve(path, &status);
    if (!resolved)
        return status;
    const QuietErrorMode quiet;
    // No sharing: a file another program holds open fails the test, as it would fail to
    // be deleted. A folder fails with "access denied".
    const HANDLE handle = ::CreateFileW(resolved->system.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return lastError();
    ::CloseHandle(handle);
    return IoStatus::success();
}

IoStatus deleteFile(std::string_view path)
{
    IoStatus status;
    const auto resolved = resolve(path, &status);
    if (!resolved)
        return status;
    const QuietErrorMode quiet;
    if (!::DeleteFileW(resolved->system.c_str()))
        return lastError();
    return IoStatus::success();
}

IoStatus moveFile(std::string_view from, std::string_view to)
{
    IoStatus status;
    const auto source = resolve(from, &status);
    if (!source)
        return status;
    const auto target = resolve(to, &status);
    if (!target)
        return status;
    const QuietErrorMode quiet;
    if (::GetFileAttributesW(source->system.c_str()) == INVALID_FILE_ATTRIBUTES)
        return lastError();
    // The very same path: nothing to do. A path that differs in case only still goes to
    // MoveFileW, which gives the file the new spelling (the target is the file itself,
    // so nothing else can be replaced).
    if (source->path.text == target->path.text)
        return IoStatus::success();
    if (source->path.isRoot || target->path.isRoot)
        return IoStatus(IoCode::AccessDenied); // a drive's own folder is never moved
    // Without MOVEFILE_REPLACE_EXISTING the system refuses an existing target itself.
    if (!::MoveFileW(source->system.c_str(), target->system.c_str())) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
            return IoStatus(IoCode::AlreadyExists);
        // A file onto a folder (or the other way round) is refused with other numbers
        // by some file systems; it is the same refusal to replace.
        if (::GetFileAttributesW(target->system.c_str()) != INVALID_FILE_ATTRIBUTES)
            return IoStatus(IoCode::AlreadyExists);
        return IoStatus(ioCodeFromSystemError(error));
    }
    return IoStatus::success();
}

IoStatus enterFolder(std::string_view path, std::string* reportedPath)
{
    IoStatus status;
    const Folder folder = Folder::open(path, &status);
    if (!folder.isOpen())
        return status;
    if (reportedPath)
        *reportedPath = parseProgramPath(path)->text;
    return IoStatus::success();
}

std::optional<std::string> nativePath(std::string_view path)
{
    const auto parsed = parseProgramPath(path);
    if (!parsed || (!parsed->isUnc && !driveBitSet(parsed->driveLetter)))
        return std::nullopt;
    return parsed->text;
}

std::optional<std::string> fromNativePath(std::string_view native)
{
    return nativePath(native); // a Windows program path is a native path
}

// ---- OutputFile ------------------------------------------------------------------------------

namespace {

HANDLE handleOf(std::intptr_t value)
{
    return reinterpret_cast<HANDLE>(value);
}
} // namespace

OutputFile::~OutputFile()
{
    if (m_handle != -1)
        ::CloseHandle(handleOf(m_handle));
}

IoStatus OutputFile::create(std::string_view path)
{
    if (m_handle != -1) {
        ::CloseHandle(handleOf(m_handle));
        m_handle = -1;
    }
    m_buffer.clear();
    IoStatus status;
    const auto resolved = resolve(path, &status);
    if (!resolved)
        return status;
    if (resolved->path.isRoot)
        return IoStatus(IoCode::AccessDenied);
    const QuietErrorMode quiet;
    const HANDLE handle = ::CreateFileW(resolved->system.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return lastError();
    m_handle = reinterpret_cast<std::intptr_t>(handle);
    m_buffer.reserve(BufferSize);
    return IoStatus::success();
}

// A host path on Windows is a program path already: the dialog's "C:\dir\list.txt".
IoStatus OutputFile::createHost(std::string_view hostPath)
{
    return create(hostPath);
}

IoStatus OutputFile::flush()
{
    std::size_t done = 0;
    while (done < m_buffer.size()) {
        const std::size_t chunk = std::min<std::size_t>(m_buffer.size() - done, 1u << 30);
        DWORD written = 0;
        if (!::WriteFile(handleOf(m_handle), m_buffer.data() + done, static_cast<DWORD>(chunk), &written, nullptr)) {
            const IoStatus failed = lastError();
            m_buffer.erase(0, done);
            return failed;
        }
        if (written == 0) { // the system took nothing: the disk is full
            m_buffer.erase(0, done);
            return IoStatus(IoCode::DiskFull);
        }
        done += written;
    }
    m_buffer.clear();
    return IoStatus::success();
}

IoStatus OutputFile::close()
{
    if (m_handle == -1)
        return IoStatus(IoCode::InvalidHandle);
    IoStatus status = flush();
    if (!::CloseHandle(handleOf(m_handle)) && status.ok())
        status = lastError();
    m_handle = -1;
    m_buffer.clear();
    return status;
}

// ---- shell ------------------------------------------------------------------------------------

namespace {

std::string displayNameOf(const SHFILEINFOW& info)
{
    return narrow(info.szDisplayName, ::wcsnlen(info.szDisplayName, MAX_PATH));
}

} // namespace

std::string computerDisplayName()
{
    const ComScope com;
    PIDLIST_ABSOLUTE list = nullptr;
    std::string name;
    if (SUCCEEDED(::SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &list)) && list) {
        SHFILEINFOW info {};
        if (::SHGetFileInfoW(reinterpret_cast<LPCWSTR>(list), 0, &info, sizeof info, SHGFI_PIDL | SHGFI_DISPLAYNAME))
            name = displayNameOf(info);
        ::CoTaskMemFree(list);
    }
    return name.empty() ? std::string("Computer") : name;
}

std::string driveDisplayName(char letter)
{
    if (!isDriveLetter(letter) || !driveBitSet(letter))
        return {};
    const ComScope com;
    const QuietErrorMode quiet;
    SHFILEINFOW info {};
    std::string name;
    if (::SHGetFileInfoW(driveRoot(letter).c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME))
        name = displayNameOf(info);
    // A shell without a label of its own for the drive (Wine says " (T:)") gets the
    // name Windows would give it.
    if (name.empty() || name.front() == '(' || name.front() == ' ')
        return fallbackDriveDisplayName(letter, driveType(letter));
    return name;
}

// ---- settings ---------------------------------------------------------------------------------

namespace {
// Stands for "no such value": GetPrivateProfileStringW trims the blanks off the end of
// a default it returns, so the caller's default is handed back here unchanged instead.
constexpr wchar_t MissingValue[] = L"\x1\x2nuvero-missing\x2\x1";
} // namespace

std::string readProfileString(std::string_view section, std::string_view key, std::string_view defaultValue)
{
    const std::wstring wideSection = wide(section);
    const std::wstring wideKey = wide(key);
    std::wstring buffer(256, L'\0');
    for (;;) {
        // The bare name: the profile functions look for it in the Windows folder.
        const DWORD n = ::GetPrivateProfileStringW(wideSection.c_str(), wideKey.c_str(), MissingValue, buffer.data(),
            static_cast<DWORD>(buffer.size()), L"lamer.Ini");
        if (n + 1 < buffer.size() || buffer.size() >= (1u << 20)) {
            buffer.resize(n);
            break;
        }
        buffer.resize(buffer.size() * 4);
    }
    if (buffer == MissingValue)
        return std::string(defaultValue);
    return narrow(buffer);
}

std::string settingsFilePath()
{
    wchar_t folder[MAX_PATH + 1];
    const UINT n = ::GetWindowsDirectoryW(folder, MAX_PATH + 1);
    std::string path = (n > 0 && n <= MAX_PATH) ? narrow(folder, n) : std::string("C:\\Windows");
    if (path.back() != '\\')
        path.push_back('\\');
    return path + "lamer.Ini";
}

void reloadConfiguration()
{
    // Nothing is kept: the profile functions read the file on every call, and drives are
    // asked for when they are needed.
}

} // namespace nuvero::platform
