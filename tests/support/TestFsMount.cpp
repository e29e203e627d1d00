#include "support/TestFsMount.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace nuvero::test {

namespace {

constexpr int StartMs = 10000;
constexpr int StopMs = 5000;

// Waits for the child to end, at most timeoutMs; true when it was reaped.
bool reap(pid_t pid, int timeoutMs)
{
    const int pidFd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    if (pidFd >= 0) {
        pollfd p { pidFd, POLLIN, 0 };
        poll(&p, 1, timeoutMs);
        close(pidFd);
    }
    int status = 0;
    return waitpid(pid, &status, WNOHANG) == pid;
}

} // namespace

std::string TestFsMount::unavailableReason()
{
    const std::string program = NUVERO_TESTFS_PROGRAM;
    if (program.empty())
        return "nuvero-testfs was not built (libfuse3 missing)";
    const int fd = open("/dev/fuse", O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return "/dev/fuse cannot be opened";
    close(fd);
    if (geteuid() != 0 && access("/usr/bin/fusermount3", X_OK) != 0)
        return "fusermount3 is missing";
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
    const int spawned = posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        m_pid = -1;
        close(out[0]);
        return;
    }
    // The file system says "ready" once the mount is in place; it closes its end on failure.
    std::string said;
    pollfd p { out[0], POLLIN, 0 };
    while (said.find("ready\n") == std::string::npos && poll(&p, 1, StartMs) > 0) {
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
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        if (!reap(m_pid, StopMs)) {
            kill(m_pid, SIGKILL);
            reap(m_pid, StopMs);
        }
    }
    // Normally the file system unmounted itself; a killed one leaves a dead mount behind.
    if (umount2(m_mountPoint.c_str(), MNT_DETACH) != 0 && errno == EPERM) {
        const std::string command = "fusermount3 -uz '" + m_mountPoint + "' 2>/dev/null";
        [[maybe_unused]] const int ignored = std::system(command.c_str());
    }
}

} // namespace nuvero::test
