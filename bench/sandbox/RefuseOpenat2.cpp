// nuvero-refuse-openat2: runs a program under a system-call filter that refuses openat2
// with the given error, as some container and application sandboxes do.
//
//   nuvero-refuse-openat2 EPERM|ENOSYS PROGRAM [ARG]...
//
// The filter (classic BPF, installed with prctl) answers openat2 on this machine's own
// architecture with the error and lets every other call through.

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

int main(int argc, char** argv)
{
#if defined(__x86_64__)
    constexpr std::uint32_t nativeArch = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
    constexpr std::uint32_t nativeArch = AUDIT_ARCH_AARCH64;
#else
    std::fprintf(stderr, "nuvero-refuse-openat2: this architecture is not known here\n");
    return 2;
#endif
    const unsigned error = argc < 3           ? 0
        : std::strcmp(argv[1], "EPERM") == 0  ? EPERM
        : std::strcmp(argv[1], "ENOSYS") == 0 ? ENOSYS
                                              : 0;
    if (error == 0) {
        std::fprintf(stderr, "usage: nuvero-refuse-openat2 EPERM|ENOSYS PROGRAM [ARG]...\n");
        return 2;
    }
    sock_filter code[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, nativeArch, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_openat2, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (error & SECCOMP_RET_DATA)),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    const sock_fprog program { static_cast<unsigned short>(std::size(code)), code };
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 || ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0) {
        std::perror("nuvero-refuse-openat2: prctl");
        return 2;
    }
    ::execvp(argv[2], argv + 2);
    std::perror("nuvero-refuse-openat2: exec");
    return 127;
}
