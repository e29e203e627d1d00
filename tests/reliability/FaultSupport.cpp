#include "FaultSupport.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace nuvero::test {

static std::string failed(const char* what)
{
    return std::string(what) + " (" + std::strerror(errno) + ")";
}

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

void removeTree(const std::string& hostFolder)
{
    // Each round empties one folder of its files and moves its subfolders up beside it,
    // under fresh names, then removes it; so no path is ever more than one level deep.
    namespace fs = std::filesystem;
    const fs::path parent = fs::path(hostFolder).parent_path();
    std::vector<fs::path> pending { hostFolder };
    std::error_code ec;
    for (unsigned long fresh = 0; !pending.empty();) {
        const fs::path folder = pending.back();
        pending.pop_back();
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ec);
        for (const auto& entry : fs::directory_iterator(folder, ec)) {
            const fs::path moved
                = parent / (".nuvero-removing-" + std::to_string(::getpid()) + "-" + std::to_string(fresh++));
            if (entry.symlink_status(ec).type() != fs::file_type::directory)
                fs::remove(entry.path(), ec);
            else if (fs::rename(entry.path(), moved, ec); !ec)
                pending.push_back(moved);
        }
        fs::remove(folder, ec);
    }
}

} // namespace nuvero::test
