// POSIX back end of the platform layer: the host file system shown as Windows-style
// drives. See posix/DriveTable.h for the drive table and posix/MountTable.h for the
// pseudo file systems that are kept out of every drive.

#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif

#include "platform/Platform.h"
#include "platform/posix/DriveTable.h"
#include "platform/posix/MountTable.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <utility>

namespace nuvero::platform {

namespace {

// ---- configuration: settings file, drive table, mounts ----------------------------------

struct RootId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
};

struct Configuration {
    IniFile settings;
    DriveTable drives;
    MountTable mounts;
    std::vector<RootId> driveRoots; // identities of every drive's folder
    std::string settingsPath;
};

std::string homeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home == '/')
        return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return {};
}

std::string computeSettingsPath()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (xdg && *xdg == '/')
        base = xdg;
    else if (const std::string home = homeFolder(); !home.empty())
        base = home + "/.config";
    else
        base = "/tmp";
    return base + "/nuvero/lamer.Ini";
}

std::string readSettingsText(const std::string& path)
{
    std::string text;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return text;
    text.resize(MaxSettingsFileSize);
    const std::size_t n = std::fread(text.data(), 1, text.size(), f);
    text.resize(n);
    std::fclose(f);
    return text;
}

std::shared_ptr<const Configuration> loadConfiguration()
{
    auto config = std::make_shared<Configuration>();
    config->settingsPath = computeSettingsPath();
    config->settings = IniFile::parse(readSettingsText(config->settingsPath));
    config->drives = DriveTable::fromSettings(config->settings, homeFolder());
    config->mounts = MountTable::readSystem();
    for (int i = 0; i < 26; ++i) {
        const auto folder = config->drives.hostFolder(static_cast<char>('a' + i));
        struct stat st;
        if (folder && ::stat(folder->c_str(), &st) == 0)
            config->driveRoots.push_back({ st.st_dev, st.st_ino });
    }
    return config;
}

std::mutex g_configMutex;
std::shared_ptr<const Configuration> g_config;

std::shared_ptr<const Configuration> configuration()
{
    std::lock_guard lock(g_configMutex);
    if (!g_config)
        g_config = loadConfiguration();
    return g_config;
}

// ---- errors --------------------------------------------------------------------------------

int codeFromErrno(int err)
{
    switch (err) {
    case 0:
        return 0;
    case ENOENT:
        return IoCode::FileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
        return IoCode::PathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
        return IoCode::AccessDenied;
    case EMFILE:
    case ENFILE:
        return IoCode::TooManyOpenFiles;
    case ENOSPC:
    case EDQUOT:
        return IoCode::DiskFull;
    case EEXIST:
        return IoCode::AlreadyExists;
    case ENOTEMPTY:
        return IoCode::DirNotEmpty;
    case EROFS:
        return IoCode::WriteProtect;
    case EBUSY:
    case ETXTBSY:
        return IoCode::SharingViolation;
    case EXDEV:
        return 17; // not the same device
    case ELOOP:
        return IoCode::CantResolveFilename;
    case ENOMEM:
        return IoCode::NotEnoughMemory;
    case EBADF:
        return IoCode::InvalidHandle;
    case EINVAL:
        return IoCode::InvalidParameter;
    case EIO:
        return 1117; // device I/O error
    default:
        return 31; // a device attached to the system is not functioning
    }
}

IoStatus fromErrno(int err)
{
    return IoStatus(codeFromErrno(err));
}

// ---- paths ----------------------------------------------------------------------------------

// A program path taken apart: its drive letter and the host path it stands for.
struct Mapped {
    char letter = 0;
    std::string host;
    std::vector<std::string_view> components; // after "X:", "." and ".." resolved
};

// Maps "X:\a\b" onto the drive's host folder. "\" and "/" both separate, empty and "."
// components vanish and ".." goes up but never above the drive's folder, as Windows
// resolves full paths. Folders of other drives and pseudo file systems inside the drive
// cannot be reached from it.
std::optional<Mapped> mapPath(const Configuration& config, std::string_view path, IoStatus* status = nullptr)
{
    const auto fail = [&](int code) -> std::optional<Mapped> {
        if (status)
            *status = IoStatus(code);
        return std::nullopt;
    };
    if (path.size() < 2 || path[1] != ':' || driveIndex(path[0]) < 0)
        return fail(IoCode::PathNotFound);
    if (path.find('\0') != std::string_view::npos)
        return fail(IoCode::PathNotFound);
    const auto folder = config.drives.hostFolder(path[0]);
    if (!folder)
        return fail(IoCode::PathNotFound);
    Mapped m;
    m.letter = path[0];
    std::size_t pos = 2;
    while (pos <= path.size()) {
        std::size_t end = path.find_first_of("\\/", pos);
        if (end == std::string_view::npos)
            end = path.size();
        const std::string_view part = path.substr(pos, end - pos);
        if (part == "..") {
            if (!m.components.empty())
                m.components.pop_back();
        } else if (!part.empty() && part != ".") {
            m.components.push_back(part);
        }
        pos = end + 1;
    }
    m.host = *folder;
    for (const auto part : m.components) {
        if (m.host.back() != '/')
            m.host.push_back('/');
        m.host.append(part);
    }
    for (const auto& nested : config.drives.nestedRoots(path[0])) {
        if (pathWithin(m.host, nested))
            return fail(IoCode::PathNotFound);
    }
    for (const auto& mount : config.mounts.pseudoMounts()) {
        if (mount.mountPoint != "/" && pathWithin(m.host, mount.mountPoint) && !pathWithin(*folder, mount.mountPoint))
            return fail(IoCode::PathNotFound);
    }
    return m;
}

// The code Windows gives when a folder cannot be entered: "file not found" when only
// the last component is missing, "path not found" when a folder above it is missing or
// is a file, and "the directory name is invalid" (267) when the path names a file.
int enterFailureCode(const std::string& host, int err)
{
    if (err != ENOENT && err != ENOTDIR)
        return codeFromErrno(err);
    struct stat st;
    if (err == ENOTDIR && ::stat(host.c_str(), &st) == 0 && !S_ISDIR(st.st_mode))
        return 267;
    if (err == ENOENT) {
        const std::size_t slash = host.rfind('/');
        const std::string parent = slash == 0 ? std::string("/") : host.substr(0, slash);
        if (::stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            return IoCode::FileNotFound;
    }
    return IoCode::PathNotFound;
}

// Opens a folder, also when its path is longer than the system takes in one call: then
// the path is walked one component at a time, each opened relative to the one before.
int openDirectory(const std::string& host)
{
    constexpr int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK;
    // O_NOATIME keeps the search from changing the last-access times it searches for; the
    // system grants it to the owner of the folder (and to root) only.
    int fd = ::open(host.c_str(), flags | O_NOATIME);
    if (fd < 0 && errno == EPERM)
        fd = ::open(host.c_str(), flags);
    if (fd >= 0 || errno != ENAMETOOLONG)
        return fd;
    int current = ::open("/", flags);
    std::size_t pos = 1;
    while (current >= 0 && pos < host.size()) {
        std::size_t end = host.find('/', pos);
        if (end == std::string::npos)
            end = host.size();
        const std::string part = host.substr(pos, end - pos);
        pos = end + 1;
        if (part.empty())
            continue;
        int next = ::openat(current, part.c_str(), flags | O_NOATIME);
        if (next < 0 && errno == EPERM)
            next = ::openat(current, part.c_str(), flags);
        const int saved = errno;
        ::close(current);
        errno = saved;
        current = next;
    }
    return current;
}

std::int64_t ticksFromStatx(const statx_timestamp& t)
{
    constexpr std::int64_t EpochDifference = 11644473600LL; // 1601-01-01 to 1970-01-01
    return (static_cast<std::int64_t>(t.tv_sec) + EpochDifference) * 10000000LL + t.tv_nsec / 100;
}

std::uint32_t attributesFromStatx(const struct statx& sx)
{
    std::uint32_t attr = 0;
    const mode_t type = sx.stx_mode & S_IFMT;
    if (type == S_IFLNK)
        return Attr::ReparsePoint; // never followed: neither a folder nor a file here
    if (type == S_IFDIR)
        attr |= Attr::Directory;
    else if (type == S_IFREG)
        attr |= Attr::Archive;
    else
        attr |= Attr::System;
    if ((sx.stx_mode & S_IWUSR) == 0)
        attr |= Attr::ReadOnly;
    if (sx.stx_attributes_mask & STATX_ATTR_COMPRESSED && sx.stx_attributes & STATX_ATTR_COMPRESSED)
        attr |= Attr::Compressed;
    if (sx.stx_attributes_mask & STATX_ATTR_ENCRYPTED && sx.stx_attributes & STATX_ATTR_ENCRYPTED)
        attr |= Attr::Encrypted;
    return attr;
}

void fillEntry(DirEntry& e, const struct statx& sx)
{
    e.attributes = attributesFromStatx(sx);
    e.lastAccessTime.ticks = ticksFromStatx(sx.stx_atime);
    e.lastWriteTime.ticks = ticksFromStatx(sx.stx_mtime);
    e.creationTime.ticks = ticksFromStatx((sx.stx_mask & STATX_BTIME) ? sx.stx_btime : sx.stx_ctime);
    e.size = ((sx.stx_mode & S_IFMT) == S_IFREG) ? sx.stx_size : 0;
}

constexpr unsigned StatxFields
    = STATX_TYPE | STATX_MODE | STATX_INO | STATX_SIZE | STATX_ATIME | STATX_MTIME | STATX_CTIME | STATX_BTIME;

} // namespace

// ---- Folder -------------------------------------------------------------------------------

Folder::Folder(Folder&& other) noexcept
    : m_handle(std::exchange(other.m_handle, InvalidHandle))
    , m_nativePath(std::move(other.m_nativePath))
    , m_readBefore(other.m_readBefore)
{
}

Folder& Folder::operator=(Folder&& other) noexcept
{
    if (this != &other) {
        if (isOpen())
            ::close(static_cast<int>(m_handle));
        m_handle = std::exchange(other.m_handle, InvalidHandle);
        m_nativePath = std::move(other.m_nativePath);
        m_readBefore = other.m_readBefore;
    }
    return *this;
}

Folder::~Folder()
{
    if (isOpen())
        ::close(static_cast<int>(m_handle));
}

Folder Folder::open(std::string_view path, IoStatus* status)
{
    Folder folder;
    const auto config = configuration();
    const auto mapped = mapPath(*config, path, status);
    if (!mapped)
        return folder;
    const int fd = openDirectory(mapped->host);
    if (fd < 0) {
        const int err = errno;
        if (status)
            *status = IoStatus(enterFailureCode(mapped->host, err));
        return folder;
    }
    folder.m_handle = fd;
    folder.m_nativePath = mapped->host;
    if (status)
        *status = IoStatus::success();
    return folder;
}

bool Folder::readAll(std::vector<DirEntry>& out)
{
    if (!isOpen())
        return false;
    const int fd = static_cast<int>(m_handle);
    const auto config = configuration();
    // A second read starts again from the first entry; the first needs no seek.
    if (m_readBefore && ::lseek(fd, 0, SEEK_SET) < 0)
        return false;
    m_readBefore = true;
    // The folder's own device is asked for only when a subfolder lies on a pseudo file
    // system (rare): a pseudo file system mounted here is hidden, its own folders are not.
    std::optional<std::uint64_t> selfDevice;
    const auto ownDevice = [&]() {
        if (!selfDevice) {
            struct stat self;
            selfDevice = ::fstat(fd, &self) == 0 ? static_cast<std::uint64_t>(self.st_dev) : 0;
        }
        return *selfDevice;
    };

    alignas(8) static thread_local char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::getdents64(fd, buffer, sizeof buffer);
        if (n == 0)
            return true;
        if (n < 0)
            return errno == ENOENT; // the folder was removed while being read
        for (ssize_t off = 0; off < n;) {
            const auto* d = reinterpret_cast<const struct dirent64*>(buffer + off);
            off += d->d_reclen;
            const char* name = d->d_name;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
                continue;
            const std::size_t len = std::strlen(name);
            if (std::memchr(name, '\\', len))
                continue; // cannot be written as a path of this program
            struct statx sx;
            if (::statx(fd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, StatxFields, &sx) != 0)
                continue; // vanished between listing and reading
            if ((sx.stx_mode & S_IFMT) == S_IFDIR) {
                const std::uint64_t dev = makedev(sx.stx_dev_major, sx.stx_dev_minor);
                if (config->mounts.isPseudoDevice(dev) && dev != ownDevice())
                    continue;
                const bool otherDrive = std::any_of(config->driveRoots.begin(), config->driveRoots.end(),
                    [&](const RootId& r) { return r.device == dev && r.inode == sx.stx_ino; });
                if (otherDrive)
                    continue;
            }
            DirEntry& e = out.emplace_back();
            e.name.assign(name, len);
            fillEntry(e, sx);
        }
    }
}

bool listMatching(std::string_view folderPath, std::string_view pattern, std::vector<DirEntry>& out)
{
    Folder folder = Folder::open(folderPath);
    std::vector<DirEntry> all;
    if (!folder.isOpen())
        return false;
    const bool ok = folder.readAll(all);
    for (auto& e : all) {
        if (wildcardMatch(pattern, e.name))
            out.push_back(std::move(e));
    }
    return ok;
}

// ---- times ----------------------------------------------------------------------------------

namespace {
constexpr std::int64_t TicksPerSecond = 10000000LL;
// 1601-01-01 to 1899-12-30, in seconds.
constexpr std::int64_t SecondsFrom1601To1899 = 9435312000LL; // 109,205 days

std::int64_t currentOffsetSeconds()
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    ::localtime_r(&now, &local);
    return local.tm_gmtoff;
}
} // namespace

LocalTimeConverter::LocalTimeConverter()
    : m_offsetTicks(currentOffsetSeconds() * TicksPerSecond)
{
}

DateTime LocalTimeConverter::toDateTime(FileTime time) const
{
    const std::int64_t local = time.ticks + m_offsetTicks;
    std::int64_t seconds = local / TicksPerSecond;
    if (local % TicksPerSecond < 0)
        --seconds;
    return DateTime::fromMsecs((seconds - SecondsFrom1601To1899) * 1000);
}

CalendarTime LocalTimeConverter::toLocal(FileTime time) const
{
    const std::int64_t local = time.ticks + m_offsetTicks;
    std::int64_t ms = local / 10000;
    if (local % 10000 < 0)
        --ms;
    return DateTime::fromMsecs(ms - SecondsFrom1601To1899 * 1000).calendar();
}

DateTime localNow()
{
    timespec ts {};
    ::clock_gettime(CLOCK_REALTIME, &ts);
    std::tm local {};
    ::localtime_r(&ts.tv_sec, &local);
    const std::int64_t seconds = static_cast<std::int64_t>(ts.tv_sec) + local.tm_gmtoff;
    constexpr std::int64_t UnixFrom1899 = 2209161600LL; // 1899-12-30 to 1970-01-01
    return DateTime::fromMsecs((seconds + UnixFrom1899) * 1000 + ts.tv_nsec / 1000000);
}

// ---- drives ---------------------------------------------------------------------------------

std::uint32_t logicalDrives()
{
    return configuration()->drives.mask();
}

DriveType driveType(char letter)
{
    const auto folder = configuration()->drives.hostFolder(letter);
    if (!folder)
        return DriveType::NoRootDir;
    if (pathWithin(*folder, "/media") || pathWithin(*folder, "/run/media"))
        return DriveType::Removable;
    return DriveType::Fixed;
}

bool driveReady(char letter)
{
    const auto folder = configuration()->drives.hostFolder(letter);
    if (!folder)
        return false;
    struct stat st;
    struct statvfs vfs;
    return ::stat(folder->c_str(), &st) == 0 && S_ISDIR(st.st_mode) && ::statvfs(folder->c_str(), &vfs) == 0;
}

// ---- files -----------------------------------------------------------------------------------

std::optional<std::uint32_t> fileAttributes(std::string_view path)
{
    const auto config = configuration();
    const auto mapped = mapPath(*config, path);
    if (!mapped)
        return std::nullopt;
    struct statx sx;
    // A drive's own folder may be reached through a link; anything inside is not followed.
    const int flags = mapped->components.empty() ? 0 : AT_SYMLINK_NOFOLLOW;
    if (::statx(AT_FDCWD, mapped->host.c_str(), flags | AT_NO_AUTOMOUNT, StatxFields, &sx) != 0)
        return std::nullopt;
    return attributesFromStatx(sx);
}

IoStatus openReadWriteTest(std::string_view path)
{
    IoStatus status;
    const auto config = configuration();
    const auto mapped = mapPath(*config, path, &status);
    if (!mapped)
        return status;
    // No links followed and no blocking on pipes: the test must not touch anything but
    // the file the row names.
    const int fd = ::open(mapped->host.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return fromErrno(errno == ELOOP ? EACCES : errno);
    ::close(fd);
    return IoStatus::success();
}

IoStatus deleteFile(std::string_view path)
{
    IoStatus status;
    const auto config = configuration();
    const auto mapped = mapPath(*config, path, &status);
    if (!mapped)
        return status;
    struct stat st;
    if (::lstat(mapped->host.c_str(), &st) != 0)
        return fromErrno(errno);
    if (S_ISDIR(st.st_mode))
        return IoStatus(IoCode::AccessDenied);
    if (::unlink(mapped->host.c_str()) != 0)
        return fromErrno(errno);
    return IoStatus::success();
}

IoStatus moveFile(std::string_view from, std::string_view to)
{
    IoStatus status;
    const auto config = configuration();
    const auto source = mapPath(*config, from, &status);
    if (!source)
        return status;
    const auto target = mapPath(*config, to, &status);
    if (!target)
        return status;
    struct stat st;
    if (::lstat(source->host.c_str(), &st) != 0)
        return fromErrno(errno);
    if (source->host == target->host)
        return IoStatus::success();
    if (source->components.empty() || target->components.empty())
        return IoStatus(IoCode::AccessDenied); // a drive's own folder is never moved
    if (::renameat2(AT_FDCWD, source->host.c_str(), AT_FDCWD, target->host.c_str(), RENAME_NOREPLACE) == 0)
        return IoStatus::success();
    if (errno != EINVAL && errno != ENOSYS)
        return fromErrno(errno);
    // The file system cannot refuse to replace by itself. A file is linked under its new
    // name (which fails if that name exists) and then unlinked under the old one; for a
    // folder, the target is checked just before the rename.
    if (!S_ISDIR(st.st_mode)) {
        if (::link(source->host.c_str(), target->host.c_str()) != 0)
            return fromErrno(errno);
        if (::unlink(source->host.c_str()) != 0) {
            const int err = errno;
            ::unlink(target->host.c_str());
            return fromErrno(err);
        }
        return IoStatus::success();
    }
    struct stat existing;
    if (::lstat(target->host.c_str(), &existing) == 0)
        return IoStatus(IoCode::AlreadyExists);
    if (::rename(source->host.c_str(), target->host.c_str()) != 0)
        return fromErrno(errno);
    return IoStatus::success();
}

IoStatus enterFolder(std::string_view path, std::string* reportedPath)
{
    IoStatus status;
    Folder folder = Folder::open(path, &status);
    if (!folder.isOpen())
        return status;
    if (reportedPath) {
        const auto config = configuration();
        const auto mapped = mapPath(*config, path);
        std::string text { path.substr(0, 2) };
        text.push_back('\\');
        for (std::size_t i = 0; i < mapped->components.size(); ++i) {
            if (i > 0)
                text.push_back('\\');
            text.append(mapped->components[i]);
        }
        *reportedPath = std::move(text);
    }
    return IoStatus::success();
}

std::optional<std::string> nativePath(std::string_view path)
{
    const auto config = configuration();
    const auto mapped = mapPath(*config, path);
    if (!mapped)
        return std::nullopt;
    return mapped->host;
}

std::optional<std::string> fromNativePath(std::string_view native)
{
    if (native.empty() || native.front() != '/')
        return std::nullopt;
    const auto config = configuration();
    int best = -1;
    std::size_t bestLength = 0;
    for (int i = 0; i < 26; ++i) {
        const auto folder = config->drives.hostFolder(static_cast<char>('a' + i));
        if (folder && pathWithin(native, *folder) && (best < 0 || folder->size() > bestLength)) {
            best = i;
            bestLength = folder->size();
        }
    }
    if (best < 0)
        return std::nullopt;
    std::string path(1, static_cast<char>('a' + best));
    path += ":\\";
    std::string_view rest = native.substr(bestLength == 1 ? 1 : bestLength);
    while (!rest.empty() && rest.front() == '/')
        rest.remove_prefix(1);
    for (char c : rest)
        path.push_back(c == '/' ? '\\' : c);
    return path;
}

// ---- OutputFile ------------------------------------------------------------------------------

namespace {
constexpr std::size_t OutputBufferSize = 1 << 20;
}

OutputFile::~OutputFile()
{
    if (m_handle >= 0)
        ::close(static_cast<int>(m_handle));
}

IoStatus OutputFile::create(std::string_view path)
{
    if (m_handle >= 0) {
        ::close(static_cast<int>(m_handle));
        m_handle = -1;
    }
    m_buffer.clear();
    IoStatus status;
    const auto config = configuration();
    const auto mapped = mapPath(*config, path, &status);
    if (!mapped)
        return status;
    if (mapped->components.empty())
        return IoStatus(IoCode::AccessDenied);
    const int fd = ::open(mapped->host.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0)
        return fromErrno(errno == ENOENT ? ENOTDIR : errno);
    m_handle = fd;
    m_buffer.reserve(OutputBufferSize);
    return IoStatus::success();
}

IoStatus OutputFile::write(std::string_view bytes)
{
    if (m_handle < 0)
        return IoStatus(IoCode::InvalidHandle);
    m_buffer.append(bytes);
    if (m_buffer.size() >= OutputBufferSize)
        return flush();
    return IoStatus::success();
}

IoStatus OutputFile::flush()
{
    std::size_t done = 0;
    while (done < m_buffer.size()) {
        const ssize_t n = ::write(static_cast<int>(m_handle), m_buffer.data() + done, m_buffer.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            m_buffer.erase(0, done);
            return fromErrno(err);
        }
        done += static_cast<std::size_t>(n);
    }
    m_buffer.clear();
    return IoStatus::success();
}

IoStatus OutputFile::close()
{
    if (m_handle < 0)
        return IoStatus(IoCode::InvalidHandle);
    IoStatus status = flush();
    if (::close(static_cast<int>(m_handle)) != 0 && status.ok())
        status = fromErrno(errno);
    m_handle = -1;
    m_buffer.clear();
    return status;
}

// ---- shell ------------------------------------------------------------------------------------

std::string computerDisplayName()
{
    return "Computer";
}

std::string driveDisplayName(char letter)
{
    const auto config = configuration();
    const auto folder = config->drives.hostFolder(letter);
    if (!folder)
        return {};
    std::string label;
    if (*folder == "/")
        label = "File System";
    else if (*folder == config->drives.homeFolder())
        label = "Home";
    else
        label = folder->substr(folder->rfind('/') + 1);
    const char upper = static_cast<char>(letter >= 'a' && letter <= 'z' ? letter - 'a' + 'A' : letter);
    return label + " (" + upper + ":)";
}

// ---- settings ---------------------------------------------------------------------------------

std::string readProfileString(std::string_view section, std::string_view key, std::string_view defaultValue)
{
    const auto value = configuration()->settings.value(section, key);
    return value ? *value : std::string(defaultValue);
}

std::string settingsFilePath()
{
    return configuration()->settingsPath;
}

void reloadConfiguration()
{
    auto fresh = loadConfiguration();
    std::lock_guard lock(g_configMutex);
    g_config = std::move(fresh);
}

} // namespace nuvero::platform
