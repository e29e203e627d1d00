#include "FaultSupport.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace nuvero::test {

namespace {

std::string failed(const char* what)
{
    return std::string(what) + " (" + std::strerror(errno) + ")";
}

// The entries of an open folder, each with whether it is a folder itself.
std::vector<std::pair<std::string, bool>> list(int fd)
{
    std::vector<std::pair<std::string, bool>> entries;
    DIR* dir = ::fdopendir(::dup(fd));
    while (const dirent* d = dir ? ::readdir(dir) : nullptr) {
        struct stat st;
        if (std::strcmp(d->d_name, ".") != 0 && std::strcmp(d->d_name, "..") != 0)
            entries.emplace_back(
                d->d_name, ::fstatat(fd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode));
    }
    if (dir)
        ::closedir(dir);
    return entries;
}

} // namespace

PrivateMount::PrivateMount(const std::string& folder, const std::string& options)
    : m_folder(folder)
{
    // Once per thread: a mount namespace of its own whose mounts do not travel back out.
    static thread_local const std::string own = [] {
        if (::unshare(CLONE_NEWNS) != 0)
            return failed("no mount namespace of our own: unshare");
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return failed("mounts cannot be made private");
        return std::string();
    }();
    m_reason = own;
    if (m_reason.empty() && ::mount("nuvero-test", folder.c_str(), "tmpfs", 0, options.c_str()) != 0)
        m_reason = failed("tmpfs cannot be mounted");
}

PrivateMount::~PrivateMount()
{
    if (mounted())
        ::umount2(m_folder.c_str(), MNT_DETACH);
}

bool PrivateMount::makeReadOnly()
{
    return mounted() && ::mount("nuvero-test", m_folder.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

void removeTree(const std::string& hostFolder)
{
    // Each round empties one folder of its files and moves its subfolders up beside it,
    // under fresh names, then removes it; so no round goes deeper than one level.
    const auto slash = hostFolder.rfind('/');
    const int parent
        = ::open(slash == 0 ? "/" : hostFolder.substr(0, slash).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parent < 0)
        return;
    std::vector<std::string> pending { hostFolder.substr(slash + 1) };
    unsigned long fresh = 0;
    while (!pending.empty()) {
        const std::string name = pending.back();
        pending.pop_back();
        const int fd = ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            ::unlinkat(parent, name.c_str(), 0);
            continue;
        }
        ::fchmod(fd, 0700);
        for (const auto& [entry, isDir] : list(fd)) {
            const std::string moved = ".nuvero-removing-" + std::to_string(::getpid()) + "-" + std::to_string(fresh++);
            if (!isDir)
                ::unlinkat(fd, entry.c_str(), 0);
            else if (::renameat(fd, entry.c_str(), parent, moved.c_str()) == 0)
                pending.push_back(moved);
        }
        ::close(fd);
        ::unlinkat(parent, name.c_str(), AT_REMOVEDIR);
    }
    ::close(parent);
}

std::vector<std::string> hostNames(const std::string& hostFolder)
{
    std::vector<std::string> names;
    const int fd = ::open(hostFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return names;
    for (const auto& entry : list(fd))
        names.push_back(entry.first);
    ::close(fd);
    return names;
}

int runAs(unsigned uid, unsigned gid, const std::function<int()>& body)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0 ? 125 : body());
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

} // namespace nuvero::test
