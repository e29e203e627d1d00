// Folders on the POSIX back end: entered by descriptor, listed with getdents64 and one
// statx per entry (the times and attributes the walk filters on; the folder picker's
// listing asks it of folders only).

#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif

#include "platform/Folder.h"
#include "platform/PathComponents.h"
#include "platform/Platform.h"
#include "platform/posix/HostPath.h"
#include "platform/posix/StatxEntry.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>
#include <unistd.h>
#include <utility>

namespace nuvero::platform {

using namespace posix;

namespace {

// Which of a thread's two listing buffers a read uses: the folder picker reads each
// subfolder while its own listing still lies in the outer buffer.
enum class Depth { Outer, Nested };

// Reads an open folder's entries from the first, handing each name a program path can
// hold to visit(name, length, d_type) until visit returns false. False when the listing
// failed part-way.
template <typename Visit> bool forEachName(int fd, bool& readBefore, Visit visit, Depth depth = Depth::Outer)
{
    // A second read starts again from the first entry; the first needs no seek.
    if (readBefore && ::lseek(fd, 0, SEEK_SET) < 0)
        return false;
    readBefore = true;
    constexpr std::size_t BufferSize = 64 * 1024;
    alignas(8) static thread_local char buffers[2][BufferSize];
    char* const buffer = buffers[depth == Depth::Outer ? 0 : 1];
    for (;;) {
        const ssize_t n = ::getdents64(fd, buffer, BufferSize);
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
            const std::size_t length = std::strlen(name);
            if (std::memchr(name, '\\', length))
                continue; // cannot be written as a path of this program
            if (!visit(name, length, d->d_type))
                return true;
        }
    }
}

// The subfolders a listing leaves out: a pseudo file system mounted here (its own folders
// are listed when the folder is on one) and the folders of other drives.
class HiddenFolders {
public:
    HiddenFolders(const Configuration& config, int fd)
        : m_config(config)
        , m_fd(fd)
    {
    }

    bool hides(const struct statx& sx)
    {
        const std::uint64_t device = makedev(sx.stx_dev_major, sx.stx_dev_minor);
        if (m_config.mounts.isPseudoDevice(device) && device != ownDevice())
            return true;
        return m_config.isDriveRoot(device, sx.stx_ino);
    }

private:
    // Asked for only when a subfolder lies on a pseudo file system, which is rare.
    std::uint64_t ownDevice()
    {
        if (!m_ownDeviceKnown) {
            struct stat self;
            m_ownDevice = ::fstat(m_fd, &self) == 0 ? static_cast<std::uint64_t>(self.st_dev) : 0;
            m_ownDeviceKnown = true;
        }
        return m_ownDevice;
    }

    const Configuration& m_config;
    int m_fd;
    std::uint64_t m_ownDevice = 0;
    bool m_ownDeviceKnown = false;
};

// File systems that count a folder's links as 2 plus its subfolders (its "." and its
// entry in the parent, and each subfolder's ".."). Others (btrfs, network and FUSE file
// systems) may keep 1 or any other count.
bool countsSubfolderLinks(int fd)
{
    struct statfs fs;
    if (::fstatfs(fd, &fs) != 0)
        return false;
    switch (fs.f_type) {
    case EXT4_SUPER_MAGIC: // ext2 and ext3 as well
    case XFS_SUPER_MAGIC:
    case TMPFS_MAGIC:
        return true;
    default:
        return false;
    }
}

// A link count of 2 settles "no subfolder" without reading the listing, where the file
// system keeps the count.
bool linkCountSaysEmpty(int fd)
{
    struct stat self;
    return ::fstat(fd, &self) == 0 && self.st_nlink == 2 && countsSubfolderLinks(fd);
}

// Reads an open folder up to its first subfolder that a listing would show.
bool listsSubfolder(const Configuration& config, int fd, bool& readBefore, Depth depth)
{
    HiddenFolders hidden(config, fd);
    bool found = false;
    forEachName(
        fd, readBefore,
        [&](const char* name, std::size_t, unsigned char type) {
            // The listing's own type settles files and links; only a folder (which may be
            // hidden) or a file system that leaves the type open costs a statx.
            if (type != DT_DIR && type != DT_UNKNOWN)
                return true;
            struct statx sx;
            if (::statx(fd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_TYPE | STATX_INO, &sx) != 0)
                return true;
            found = (sx.stx_mode & S_IFMT) == S_IFDIR && !hidden.hides(sx);
            return !found;
        },
        depth);
    return found;
}

} // namespace

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
    if (!driveAnswers(*config, *mapped)) {
        if (status)
            *status = IoStatus(IoCode::NotReady);
        return folder;
    }
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
    HiddenFolders hidden(*config, fd);
    return forEachName(fd, m_readBefore, [&](const char* name, std::size_t length, unsigned char) {
        struct statx sx;
        if (::statx(fd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, StatxFields, &sx) != 0)
            return true; // vanished between listing and reading
        if ((sx.stx_mode & S_IFMT) == S_IFDIR && hidden.hides(sx))
            return true;
        DirEntry& e = out.emplace_back();
        e.name.assign(name, length);
        fillEntry(e, sx);
        return true;
    });
}

bool Folder::readNames(std::vector<DirEntry>& out)
{
    if (!isOpen())
        return false;
    return forEachName(
        static_cast<int>(m_handle), m_readBefore, [&](const char* name, std::size_t length, unsigned char) {
            DirEntry& e = out.emplace_back();
            e.name.assign(name, length);
            e.attributes = NoDetails;
            return true;
        });
}

void Folder::readDetails(std::span<DirEntry> entries) const
{
    if (!isOpen())
        return;
    const int fd = static_cast<int>(m_handle);
    const auto config = configuration();
    HiddenFolders hidden(*config, fd);
    // Only the many-reader walk of network drives comes here. The lookup of the name has
    // just fetched its attributes from the server; without AT_STATX_DONT_SYNC a FUSE or
    // network file system that keeps no attributes asks the server for them a second
    // time, a round trip more for every entry (1 ms a request: 1.75 s against 1.12 s for
    // the benchmark tree, docs/benchmarks.md).
    for (DirEntry& e : entries) {
        struct statx sx;
        constexpr int Flags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | AT_STATX_DONT_SYNC;
        if (::statx(fd, e.name.c_str(), Flags, StatxFields, &sx) != 0)
            continue; // vanished between listing and reading
        if ((sx.stx_mode & S_IFMT) == S_IFDIR && hidden.hides(sx))
            continue;
        fillEntry(e, sx);
    }
}

Folder Folder::openSubfolder(std::string_view name, std::string_view) const
{
    Folder child;
    if (isOpen())
        child.m_handle = openSubdirectory(static_cast<int>(m_handle), name);
    return child;
}

bool Folder::hasSubfolder()
{
    if (!isOpen())
        return false;
    const int fd = static_cast<int>(m_handle);
    if (linkCountSaysEmpty(fd))
        return false;
    const auto config = configuration();
    return listsSubfolder(*config, fd, m_readBefore, Depth::Outer);
}

bool Folder::readSubfolders(std::vector<Subfolder>& out)
{
    if (!isOpen())
        return false;
    const int fd = static_cast<int>(m_handle);
    const auto config = configuration();
    HiddenFolders hidden(*config, fd);
    // A subfolder on this folder's own file system, where link counts are kept, is
    // settled by a link count of 2 without being entered.
    struct stat self;
    const bool linksCounted = ::fstat(fd, &self) == 0 && countsSubfolderLinks(fd);
    return forEachName(fd, m_readBefore, [&](const char* name, std::size_t length, unsigned char type) {
        if (type != DT_DIR && type != DT_UNKNOWN)
            return true; // a file or a link
        struct statx sx;
        if (::statx(fd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_TYPE | STATX_INO | STATX_NLINK, &sx) != 0)
            return true; // vanished between listing and reading
        if ((sx.stx_mode & S_IFMT) != S_IFDIR || hidden.hides(sx))
            return true;
        Subfolder& sub = out.emplace_back();
        sub.name.assign(name, length);
        const bool ownFileSystem = linksCounted && makedev(sx.stx_dev_major, sx.stx_dev_minor) == self.st_dev;
        if (ownFileSystem && sx.stx_nlink == 2)
            return true;
        Folder child;
        child.m_handle = openSubdirectory(fd, name);
        if (!child.isOpen())
            return true;
        // Elsewhere (a mount point, a file system that may not keep the count) the
        // subfolder's own file system decides.
        const bool settledByLinks = !ownFileSystem && linkCountSaysEmpty(static_cast<int>(child.m_handle));
        sub.hasSubfolder = !settledByLinks
            && listsSubfolder(*config, static_cast<int>(child.m_handle), child.m_readBefore, Depth::Nested);
        return true;
    });
}

bool isRemoteFolder(std::string_view path)
{
    const auto config = configuration();
    const auto mapped = mapPath(*config, path);
    // A drive that does not answer is not asked: its statfs would hold the search for good.
    struct statfs fs;
    if (!mapped || !driveAnswers(*config, *mapped) || ::statfs(mapped->host.c_str(), &fs) != 0)
        return false;
    // The magic numbers of statfs(2), some of them missing from linux/magic.h.
    switch (static_cast<std::uint32_t>(fs.f_type)) {
    case 0x6969: // NFS
    case 0x517B: // SMB
    case 0xFF534D42: // CIFS
    case 0xFE534D42: // SMB2
    case 0x65735546: // FUSE: sshfs, rclone, virtiofs, ...
    case 0x01021997: // 9p
    case 0x00C36400: // Ceph
    case 0x5346414F: // AFS
    case 0x6B414653: // kAFS
    case 0x73757245: // Coda
    case 0x564C: // NCP
    case 0x0BD00BD0: // Lustre
        return true;
    default:
        return false;
    }
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
        appendJoined(text, mapped->components, '\\');
        *reportedPath = std::move(text);
    }
    return IoStatus::success();
}

} // namespace nuvero::platform
