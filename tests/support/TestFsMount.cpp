#include "support/TestFsMount.h"

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace nuvero::test {

std::string TestFsMount::unavailableReason()
{
    if (std::string(NUVERO_TESTFS_PROGRAM).empty())
        return "nuvero-testfs was not built (libfuse3 missing)";
    const int fd = open("/dev/fuse", O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return "/dev/fuse cannot be opened";
    close(fd);
    return {};
}

TestFsMount::TestFsMount(
    const std::string& source, const std::string& mountPoint, const std::vector<std::string>& options)
    : m_mountPoint(mountPoint)
{
    std::filesystem::create_directories(mountPoint);
    std::vector<std::string> args { NUVERO_TESTFS_PROGRAM };
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(source);
    args.push_back(mountPoint);
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    // The file system says "ready" once the mount is in place; it closes its end on failure.
    std::string said;
    pollfd p { out[0], POLLIN, 0 };
    while (m_pid > 0 && said.find("ready\n") == std::string::npos && poll(&p, 1, 10000) > 0) {
        char buf[64];
        const ssize_t n = read(out[0], buf, sizeof buf);
        if (n <= 0)
            break;
        said.append(buf, static_cast<size_t>(n));
    }
    close(out[0]);
    m_mounted = said.find("ready\n") != std::string::npos;
}

TestFsMount::~TestFsMount()
{
    // On SIGTERM the file system answers its hung requests, unmounts and exits.
    if (m_pid > 0 && kill(m_pid, SIGTERM) == 0)
        waitpid(m_pid, nullptr, 0);
    umount2(m_mountPoint.c_str(), MNT_DETACH); // whatever a crashed one left behind
}

} // namespace nuvero::test
