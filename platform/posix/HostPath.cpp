#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif

#include "platform/posix/HostPath.h"

#include "platform/PathComponents.h"
#include "platform/Platform.h"
#include "platform/posix/NoFollowOpen.h"
#include "platform/posix/PosixErrors.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nuvero::platform {

namespace posix {

std::string Mapped::below(std::size_t count) const
{
    std::string path;
    appendJoined(path, std::span(components).first(count), '/');
    return path;
}

std::optional<Mapped> mapPath(const Configuration& config, std::string_view path, IoStatus* status)
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
    m.components = pathComponents(path.substr(2));
    m.driveFolder = *folder;
    m.host = *folder;
    if (!m.components.empty() && m.host.back() != '/')
        m.host.push_back('/');
    appendJoined(m.host, m.components, '/');
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

bool driveAnswers(const Configuration& config, const Mapped& m)
{
    if (m.components.empty())
        return config.probes.probe(m.letter) != DriveProbes::Answer::NoAnswer;
    return config.probes.answering(m.letter);
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

// However long the path, no link below the drive's folder is followed: a folder that a
// link has replaced since it was listed is not entered, and no command reaches through
// such a link.
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

namespace {

// Opens a folder for listing with open(int flags). O_NOATIME keeps the search from
// changing the last-access times it searches for; the system grants it to the owner of
// the folder (and to root) only.
template <typename Open> int openForListing(Open open)
{
    constexpr int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK;
    const int fd = open(flags | O_NOATIME);
    if (fd >= 0 || errno != EPERM)
        return fd;
    return open(flags);
}

} // namespace

int openDirectory(const Mapped& m)
{
    return openForListing([&m](int flags) { return openMapped(m, m.components.size(), flags); });
}

int openSubdirectory(int parentFd, std::string_view name)
{
    return openForListing([&](int flags) {
        const int fd = openNoFollow(parentFd, name, flags);
        if (fd < 0 && errno == ELOOP)
            errno = ENOTDIR;
        return fd;
    });
}

Parent::~Parent()
{
    if (fd >= 0)
        ::close(fd);
}

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

} // namespace posix

using posix::configuration;
using posix::mapPath;

// ---- host paths -------------------------------------------------------------------------------

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
    // Read as the system reads it: "//" and "." dropped, ".." resolved ("/.." is "/"),
    // before the drive is chosen: "/mnt/data/../x" is not on the drive at /mnt/data. The
    // drives' folders are read alike.
    const auto resolved = [](std::string_view path) {
        std::string text = "/";
        appendJoined(text, pathComponents(path), '/');
        return text;
    };
    const std::string host = resolved(native);
    const auto config = configuration();
    int best = -1;
    std::size_t bestLength = 0;
    for (int i = 0; i < 26; ++i) {
        const auto given = config->drives.hostFolder(static_cast<char>('a' + i));
        const std::string folder = given ? resolved(*given) : std::string();
        if (given && pathWithin(host, folder) && (best < 0 || folder.size() > bestLength)) {
            best = i;
            bestLength = folder.size();
        }
    }
    if (best < 0)
        return std::nullopt;
    std::string path(1, static_cast<char>('a' + best));
    path += ":\\";
    std::string_view rest = std::string_view(host).substr(bestLength == 1 ? 1 : bestLength);
    while (!rest.empty() && rest.front() == '/')
        rest.remove_prefix(1);
    for (char c : rest)
        path.push_back(c == '/' ? '\\' : c);
    return path;
}

// ---- drives -----------------------------------------------------------------------------------

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
    return configuration()->probes.probe(letter) == posix::DriveProbes::Answer::Ready;
}

bool driveAnswers(char letter)
{
    return configuration()->probes.probe(letter) != posix::DriveProbes::Answer::NoAnswer;
}

} // namespace nuvero::platform
