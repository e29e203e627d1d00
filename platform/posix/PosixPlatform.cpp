// POSIX back end of the platform layer: the host file system shown as Windows-style
// drives. See posix/DriveTable.h for the drive table and posix/MountTable.h for the
// pseudo file systems that are kept out of every drive.

#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif

#include "platform/Platform.h"
#include "platform/posix/DriveTable.h"
#include "platform/posix/MountTable.h"
#include "platform/posix/NoFollowOpen.h"

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
    // Only a regular file is read: a pipe or a device put in its place would stall the
    // start (a pipe without a writer never ends, /dev/zero never ends either).
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return text;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return text;
    }
    text.resize(MaxSettingsFileSize);
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::read(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    text.resize(done);
    ::close(fd);
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
    std::string driveFolder; // the drive's host folder
    std::string host;
    std::vector<std::string_view> components; // after "X:", "." and ".." resolved

    // The first `count` components joined with "/": a path below the drive's folder.
    std::string below(std::size_t count) const
    {
        std::string path;
        for (std::size_t i = 0; i < count; ++i) {
            if (i > 0)
                path.push_back('/');
            path.append(components[i]);
        }
        return path;
    }
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
    m.driveFolder = *folder;
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

// Opens the first `count` components of a mapped path. The drive's own folder is opened
// by its host path (a drive may be reached through a link); below it no link is followed,
// however long the path: a folder that a link has replaced since it was listed is not
// entered, and no command reaches through such a link.
int openMapped(const Mapped& m, std::size_t count, int flags)
{
    if (count == 0)
        return ::open(m.driveFolder.c_str(), flags);
    const int base = ::open(m.driveFolder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (base < 0)
        return -1;
    const int fd = openNoFollow(base, m.below(count), flags);
    const int saved = errno;
    ::close(base);
    // A link in the path reads as "no such folder", as a file there would.
    errno = saved == ELOOP ? ENOTDIR : saved;
    return fd;
}

int openDirectory(const Mapped& m)
{
    constexpr int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK;
    // O_NOATIME keeps the search from changing the last-access times it searches for; the
    // system grants it to the owner of the folder (and to root) only.
    const std::size_t count = m.components.size();
    const int fd = openMapped(m, count, flags | O_NOATIME);
    if (fd >= 0 || errno != EPERM)
        return fd;
    return openMapped(m, count, flags);
}

// The folder that holds a mapped path's last component, opened as a path only, and that
// component's name. Fails with EACCES for a drive's own folder, which has no parent here.
struct Parent {
    int fd = -1;
    std::string name;

    Parent() = default;
    Parent(const Parent&) = delete;
    Parent& operator=(const Parent&) = delete;
    ~Parent()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

bool openParent(const Mapped& m, Parent& parent)
{
    if (m.components.empty()) {
        errno = EACCES;
        return false;
    }
    parent.fd = openMapped(m, m.components.size() - 1, O_PATH | O_DIRECTORY | O_CLOEXEC);
    parent.name.assign(m.components.back());
    return parent.fd >= 0;
}

// Some file systems (tmpfs, btrfs) keep any 64-bit second count: such a time is held at
// the nearer end of what FileTime shows instead of overflowing.
constexpr std::int64_t EpochDifference = 11644473600LL; // 1601-01-01 to 1970-01-01, seconds

std::int64_t ticksFromStatx(const statx_timestamp& t)
{
    const std::int64_t seconds = static_cast<std::int64_t>(t.tv_sec);
    if (seconds < -EpochDifference)
        return 0;
    if (seconds > FileTime::LastSecond - EpochDifference)
        return FileTime::MaxTicks;
    return (seconds + EpochDifference) * FileTime::TicksPerSecond + t.tv_nsec / 100;
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
    const int fd = openDirectory(*mapped);
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

// ---- times ----------------------------------------------------------------------------------

namespace {
std::int64_t currentOffsetSeconds()
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    ::localtime_r(&now, &local);
    return local.tm_gmtoff;
}
} // namespace

LocalTimeConverter::LocalTimeConverter()
    : m_offsetTicks(currentOffsetSeconds() * FileTime::TicksPerSecond)
{
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
    if (mapped->components.empty()) {
        // A drive's own folder may be reached through a link; anything inside is not followed.
        if (::statx(AT_FDCWD, mapped->driveFolder.c_str(), AT_NO_AUTOMOUNT, StatxFields, &sx) != 0)
            return std::nullopt;
        return attributesFromStatx(sx);
    }
    Parent parent;
    if (!openParent(*mapped, parent)
        || ::statx(parent.fd, parent.name.c_str(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, StatxFields, &sx) != 0)
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
    constexpr int flags = O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
    Parent parent;
    const int fd = mapped->components.empty() ? ::open(mapped->driveFolder.c_str(), flags)
        : openParent(*mapped, parent)         ? ::openat(parent.fd, parent.name.c_str(), flags)
                                              : -1;
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
    Parent parent;
    if (!openParent(*mapped, parent))
        return fromErrno(errno);
    struct stat st;
    if (::fstatat(parent.fd, parent.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return fromErrno(errno);
    if (S_ISDIR(st.st_mode))
        return IoStatus(IoCode::AccessDenied);
    if (::unlinkat(parent.fd, parent.name.c_str(), 0) != 0)
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
    if (source->components.empty() || target->components.empty()) {
        // A drive's own folder is never moved; naming it as its own new name changes nothing.
        if (source->host == target->host)
            return IoStatus::success();
        return IoStatus(IoCode::AccessDenied);
    }
    Parent from_;
    Parent to_;
    if (!openParent(*source, from_))
        return fromErrno(errno);
    struct stat st;
    if (::fstatat(from_.fd, from_.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return fromErrno(errno);
    if (source->host == target->host)
        return IoStatus::success();
    if (!openParent(*target, to_))
        return fromErrno(errno);
    const char* oldName = from_.name.c_str();
    const char* newName = to_.name.c_str();
    if (::renameat2(from_.fd, oldName, to_.fd, newName, RENAME_NOREPLACE) == 0)
        return IoStatus::success();
    if (errno != EINVAL && errno != ENOSYS)
        return fromErrno(errno);
    // The file system cannot refuse to replace by itself. A file is linked under its new
    // name (which fails if that name exists) and then unlinked under the old one; for a
    // folder, the target is checked just before the rename.
    if (!S_ISDIR(st.st_mode)) {
        if (::linkat(from_.fd, oldName, to_.fd, newName, 0) != 0)
            return fromErrno(errno);
        if (::unlinkat(from_.fd, oldName, 0) != 0) {
            const int err = errno;
            ::unlinkat(to_.fd, newName, 0);
            return fromErrno(err);
        }
        return IoStatus::success();
    }
    struct stat existing;
    if (::fstatat(to_.fd, newName, &existing, AT_SYMLINK_NOFOLLOW) == 0)
        return IoStatus(IoCode::AlreadyExists);
    if (::renameat(from_.fd, oldName, to_.fd, newName) != 0)
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
    // Opened without waiting: a pipe in the file's place with nobody reading would hold
    // the window's thread for ever ("I/O error 31" instead). Writing then waits as usual.
    const int fd = ::open(mapped->host.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
    if (fd < 0)
        return fromErrno(errno == ENOENT ? ENOTDIR : errno);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    m_handle = fd;
    m_buffer.reserve(BufferSize);
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
