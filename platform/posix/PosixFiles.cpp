// File commands on the POSIX back end: attributes, the delete command's test, delete and
// rename. None follows a link below a drive's folder (HostPath.h).

#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif

#include "platform/Platform.h"
#include "platform/posix/HostPath.h"
#include "platform/posix/PosixErrors.h"
#include "platform/posix/StatxEntry.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nuvero::platform {

using namespace posix;

std::optional<std::uint32_t> fileAttributes(std::string_view path)
{
    const auto config = configuration();
    const auto mapped = mapPath(*config, path);
    // Asked by the folder picker on the window's thread before it opens a path: the drive
    // is probed anew, so that one that stopped answering holds it at most 2 s.
    if (!mapped || config->probes.probe(mapped->letter) == DriveProbes::Answer::NoAnswer)
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

} // namespace nuvero::platform
