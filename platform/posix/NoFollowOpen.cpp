#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif

#include "platform/posix/NoFollowOpen.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <linux/openat2.h>
#include <string>
#include <sys/syscall.h>
#include <unistd.h>

namespace nuvero::platform {

namespace {

constexpr int PathOnly = O_PATH | O_DIRECTORY | O_CLOEXEC;

// Whether openat2 can be used, settled once for the process by one harmless call: a
// kernel older than 5.6 answers ENOSYS, and a sandbox's system-call filter may refuse it
// with any code (EPERM is common). Judged per call, such a refusal would read as "this
// folder cannot be entered" and the search would quietly skip everything below.
bool openat2Usable()
{
#ifdef SYS_openat2
    static const bool usable = [] {
        open_how how {};
        how.flags = PathOnly;
        how.resolve = RESOLVE_NO_SYMLINKS;
        const long fd = ::syscall(SYS_openat2, AT_FDCWD, "/", &how, sizeof how);
        if (fd < 0)
            return false;
        ::close(static_cast<int>(fd));
        return true;
    }();
    return usable;
#else
    return false;
#endif
}

// One step of a pieced open: the folder opened before (`current`, unless it is the
// caller's `base`) is closed, keeping the errno of the open that made `next`. Returns
// whether to go on from `next`.
bool stepTo(int& current, int base, int next, bool last)
{
    const int saved = errno;
    if (current != base)
        ::close(current);
    errno = saved;
    current = next;
    return next >= 0 && !last;
}

int openat2NoLinks(int dirFd, const std::string& path, int flags)
{
#ifdef SYS_openat2
    if (openat2Usable()) {
        open_how how {};
        how.flags = static_cast<unsigned>(flags);
        how.resolve = RESOLVE_NO_SYMLINKS;
        return static_cast<int>(::syscall(SYS_openat2, dirFd, path.c_str(), &how, sizeof how));
    }
#endif
    // One component at a time, each refused if it is a link.
    int current = dirFd;
    std::size_t pos = 0;
    for (;;) {
        std::size_t end = path.find('/', pos);
        const bool last = end == std::string::npos;
        if (last)
            end = path.size();
        const std::string part = path.substr(pos, end - pos);
        const int next = ::openat(current, part.c_str(), (last ? flags : PathOnly) | O_NOFOLLOW);
        if (!stepTo(current, dirFd, next, last))
            return next;
        pos = end + 1;
    }
}

} // namespace

int openNoFollow(int baseFd, std::string_view relative, int flags)
{
    // The path is taken in pieces of less than PATH_MAX bytes, cut between components,
    // each opened relative to the one before: the cost grows with the path's length, not
    // with its square as opening one component at a time from the top would.
    constexpr std::size_t Piece = PATH_MAX - 1;
    int current = baseFd;
    std::size_t pos = 0;
    for (;;) {
        std::size_t end = relative.size();
        if (end - pos > Piece) {
            end = relative.rfind('/', pos + Piece);
            if (end == std::string_view::npos || end <= pos) {
                errno = ENAMETOOLONG;
                end = std::string_view::npos;
            }
        }
        int next = -1;
        const bool last = end == relative.size();
        if (end != std::string_view::npos)
            next = openat2NoLinks(current, std::string(relative.substr(pos, end - pos)), last ? flags : PathOnly);
        if (!stepTo(current, baseFd, next, last))
            return next;
        pos = end + 1;
    }
}

} // namespace nuvero::platform
