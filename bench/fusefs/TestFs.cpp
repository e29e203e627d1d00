// nuvero-testfs: a read-only FUSE mirror of a host folder for tests and benchmarks.
//
//   nuvero-testfs [--delay-us N] [--hang REL]... [--threads N] SOURCE MOUNTPOINT
//
// --delay-us makes every request wait before it answers, as a network drive's round trip
// does; many threads serve requests at once, so a client that keeps many requests in flight
// gains from it as it would on a real network drive. --hang REL makes opendir and readdir of
// the folder REL (relative to SOURCE; "." is the root) never answer until the file system
// exits, as a dead NFS or SMB server does. SIGTERM or SIGINT releases every hung request
// (EIO), unmounts and exits 0. "ready" goes to stdout once the mount is in place.
//
// Threads: libfuse's worker threads run every handler; the inode table is shared under
// m_mutex. A hung handler waits on g_release, polling the session's exit flag, because
// libfuse's loop joins its workers at exit and must not wait for a handler forever.
#define FUSE_USE_VERSION FUSE_MAKE_VERSION(3, 12)
#include <fuse3/fuse_lowlevel.h>
#include <linux/fuse.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace {

struct Options {
    std::string source;
    std::string mountPoint;
    long delayUs = 0;
    unsigned threads = 64;
    std::set<std::string> hung; // relative paths, "" for the root
};

Options g_options;
fuse_session* g_session = nullptr;
std::mutex g_releaseMutex;
std::condition_variable g_release;
std::atomic<uint64_t> g_initUnique { 0 };

// Inode numbers stand for relative paths ("" is the root, FUSE_ROOT_ID). Entries are never
// forgotten: a test tree is small, and a benchmark tree's few hundred thousand paths fit.
class InodeTable {
public:
    InodeTable()
    {
        m_paths.push_back(""); // 0: unused
        m_paths.push_back(""); // 1: FUSE_ROOT_ID
        m_ids.emplace("", FUSE_ROOT_ID);
    }
    fuse_ino_t idOf(const std::string& path)
    {
        std::lock_guard lock(m_mutex);
        auto [it, added] = m_ids.emplace(path, m_paths.size());
        if (added)
            m_paths.push_back(path);
        return it->second;
    }
    std::string pathOf(fuse_ino_t id)
    {
        std::lock_guard lock(m_mutex);
        return id < m_paths.size() ? m_paths[id] : std::string();
    }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_paths;
    std::unordered_map<std::string, fuse_ino_t> m_ids;
};

InodeTable g_inodes;

std::string hostPath(const std::string& rel)
{
    return rel.empty() ? g_options.source : g_options.source + "/" + rel;
}

std::string childPath(const std::string& parent, const char* name)
{
    return parent.empty() ? std::string(name) : parent + "/" + name;
}

// Sleeps in slices, so that a long delay ends with the file system as a hung request does.
void roundTrip()
{
    auto left = std::chrono::microseconds(g_options.delayUs);
    constexpr auto Slice = std::chrono::microseconds(100000);
    while (left.count() > 0 && !fuse_session_exited(g_session)) {
        std::this_thread::sleep_for(std::min(left, Slice));
        left -= Slice;
    }
}

// Returns once the file system exits; the caller then answers EIO.
void hangIfAsked(const std::string& rel)
{
    if (!g_options.hung.count(rel))
        return;
    std::unique_lock lock(g_releaseMutex);
    while (!fuse_session_exited(g_session))
        g_release.wait_for(lock, std::chrono::milliseconds(100));
}

bool isHung(const std::string& rel)
{
    return g_options.hung.count(rel) != 0;
}

void replyEntry(fuse_req_t req, const std::string& rel)
{
    fuse_entry_param entry {};
    if (lstat(hostPath(rel).c_str(), &entry.attr) != 0) {
        fuse_reply_err(req, errno);
        return;
    }
    entry.ino = g_inodes.idOf(rel);
    entry.attr.st_ino = entry.ino;
    entry.attr_timeout = 0;
    entry.entry_timeout = 0;
    fuse_reply_entry(req, &entry);
}

void opLookup(fuse_req_t req, fuse_ino_t parent, const char* name)
{
    roundTrip();
    replyEntry(req, childPath(g_inodes.pathOf(parent), name));
}

void opGetattr(fuse_req_t req, fuse_ino_t ino, fuse_file_info*)
{
    roundTrip();
    struct stat st { };
    if (lstat(hostPath(g_inodes.pathOf(ino)).c_str(), &st) != 0) {
        fuse_reply_err(req, errno);
        return;
    }
    st.st_ino = ino;
    fuse_reply_attr(req, &st, 0);
}

void opReadlink(fuse_req_t req, fuse_ino_t ino)
{
    roundTrip();
    char target[4096];
    const ssize_t n = readlink(hostPath(g_inodes.pathOf(ino)).c_str(), target, sizeof target - 1);
    if (n < 0) {
        fuse_reply_err(req, errno);
        return;
    }
    target[n] = '\0';
    fuse_reply_readlink(req, target);
}

struct OpenFolder {
    DIR* dir = nullptr;
    std::string rel;
};

void opOpendir(fuse_req_t req, fuse_ino_t ino, fuse_file_info* fi)
{
    roundTrip();
    const std::string rel = g_inodes.pathOf(ino);
    if (isHung(rel)) {
        hangIfAsked(rel);
        fuse_reply_err(req, EIO);
        return;
    }
    DIR* dir = opendir(hostPath(rel).c_str());
    if (!dir) {
        fuse_reply_err(req, errno);
        return;
    }
    fi->fh = reinterpret_cast<uint64_t>(new OpenFolder { dir, rel });
    fuse_reply_open(req, fi);
}

void opReaddir(fuse_req_t req, fuse_ino_t, size_t size, off_t offset, fuse_file_info* fi)
{
    roundTrip();
    auto* folder = reinterpret_cast<OpenFolder*>(fi->fh);
    if (isHung(folder->rel)) {
        hangIfAsked(folder->rel);
        fuse_reply_err(req, EIO);
        return;
    }
    // A reply holds as many entries as fit; the offset handed back is the next one's
    // telldir position, so a listing resumes where the last reply ended.
    std::vector<char> buf(size);
    size_t used = 0;
    seekdir(folder->dir, offset);
    for (;;) {
        errno = 0;
        dirent* d = readdir(folder->dir);
        if (!d)
            break;
        struct stat st { };
        st.st_ino = d->d_ino;
        st.st_mode = static_cast<mode_t>(DTTOIF(d->d_type));
        const off_t next = telldir(folder->dir);
        const size_t need = fuse_add_direntry(req, buf.data() + used, size - used, d->d_name, &st, next);
        if (need > size - used)
            break;
        used += need;
    }
    fuse_reply_buf(req, buf.data(), used);
}

void opReleasedir(fuse_req_t req, fuse_ino_t, fuse_file_info* fi)
{
    auto* folder = reinterpret_cast<OpenFolder*>(fi->fh);
    closedir(folder->dir);
    delete folder;
    fuse_reply_err(req, 0);
}

void opOpen(fuse_req_t req, fuse_ino_t ino, fuse_file_info* fi)
{
    roundTrip();
    if ((fi->flags & O_ACCMODE) != O_RDONLY) {
        fuse_reply_err(req, EROFS);
        return;
    }
    const int fd = open(hostPath(g_inodes.pathOf(ino)).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        fuse_reply_err(req, errno);
        return;
    }
    fi->fh = static_cast<uint64_t>(fd);
    fuse_reply_open(req, fi);
}

void opRead(fuse_req_t req, fuse_ino_t, size_t size, off_t offset, fuse_file_info* fi)
{
    roundTrip();
    std::vector<char> buf(size);
    const ssize_t n = pread(static_cast<int>(fi->fh), buf.data(), size, offset);
    if (n < 0)
        fuse_reply_err(req, errno);
    else
        fuse_reply_buf(req, buf.data(), static_cast<size_t>(n));
}

void opRelease(fuse_req_t req, fuse_ino_t, fuse_file_info* fi)
{
    close(static_cast<int>(fi->fh));
    fuse_reply_err(req, 0);
}

void opStatfs(fuse_req_t req, fuse_ino_t)
{
    roundTrip();
    struct statvfs st { };
    if (statvfs(g_options.source.c_str(), &st) != 0)
        fuse_reply_err(req, errno);
    else
        fuse_reply_statfs(req, &st);
}

void opInit(void*, fuse_conn_info* conn)
{
    conn->want &= ~FUSE_CAP_READDIRPLUS;
    if (conn->capable & FUSE_CAP_PARALLEL_DIROPS)
        conn->want |= FUSE_CAP_PARALLEL_DIROPS;
}

// libfuse 3.14 does not pass FUSE_CAP_PARALLEL_DIROPS on to the kernel, which then serialises
// lookups and readdirs within a folder, so a remote drive would look slower than it is. The
// session's own I/O hooks set the flag in the INIT answer.
ssize_t readRequest(int fd, void* buf, size_t len, void*)
{
    const ssize_t n = read(fd, buf, len);
    if (n >= static_cast<ssize_t>(sizeof(fuse_in_header))) {
        const auto* in = static_cast<const fuse_in_header*>(buf);
        if (in->opcode == FUSE_INIT)
            g_initUnique = in->unique;
    }
    return n;
}

ssize_t writeReply(int fd, iovec* iov, int count, void*)
{
    if (count >= 2 && iov[0].iov_len >= sizeof(fuse_out_header)) {
        const auto* out = static_cast<const fuse_out_header*>(iov[0].iov_base);
        if (out->error == 0 && g_initUnique != 0 && out->unique == g_initUnique
            && iov[1].iov_len >= offsetof(fuse_init_out, flags) + sizeof(uint32_t)) {
            static_cast<fuse_init_out*>(iov[1].iov_base)->flags |= FUSE_PARALLEL_DIROPS;
            g_initUnique = 0;
        }
    }
    return writev(fd, iov, count);
}

int usage()
{
    std::fprintf(stderr, "usage: nuvero-testfs [--delay-us N] [--hang REL]... [--threads N] SOURCE MOUNTPOINT\n");
    return 2;
}

std::string relative(std::string rel)
{
    while (!rel.empty() && rel.back() == '/')
        rel.pop_back();
    return rel == "." ? std::string() : rel;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--delay-us" && hasValue)
            g_options.delayUs = std::strtol(argv[++i], nullptr, 10);
        else if (arg == "--threads" && hasValue)
            g_options.threads = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        else if (arg == "--hang" && hasValue)
            g_options.hung.insert(relative(argv[++i]));
        else if (arg.rfind("--", 0) == 0)
            return usage();
        else
            positional.push_back(arg);
    }
    if (positional.size() != 2 || g_options.threads == 0)
        return usage();
    g_options.source = positional[0];
    g_options.mountPoint = positional[1];

    fuse_lowlevel_ops ops {};
    ops.init = opInit;
    ops.lookup = opLookup;
    ops.getattr = opGetattr;
    ops.readlink = opReadlink;
    ops.opendir = opOpendir;
    ops.readdir = opReaddir;
    ops.releasedir = opReleasedir;
    ops.open = opOpen;
    ops.read = opRead;
    ops.release = opRelease;
    ops.statfs = opStatfs;

    std::vector<std::string> argStrings { argv[0], "-o", "ro,fsname=nuvero-testfs,subtype=nuvero-testfs" };
    std::vector<char*> fuseArgv;
    for (auto& s : argStrings)
        fuseArgv.push_back(s.data());
    fuse_args args = FUSE_ARGS_INIT(static_cast<int>(fuseArgv.size()), fuseArgv.data());
    g_session = fuse_session_new(&args, &ops, sizeof ops, nullptr);
    if (!g_session)
        return 1;
    int status = 1;
    if (fuse_set_signal_handlers(g_session) == 0) {
        if (fuse_session_mount(g_session, g_options.mountPoint.c_str()) == 0) {
            const fuse_custom_io io { writeReply, readRequest, nullptr, nullptr };
            fuse_session_custom_io(g_session, &io, fuse_session_fd(g_session));
            std::printf("ready\n");
            std::fflush(stdout);
            fuse_loop_config* config = fuse_loop_cfg_create();
            fuse_loop_cfg_set_max_threads(config, g_options.threads);
            fuse_loop_cfg_set_idle_threads(config, g_options.threads);
            // A signal ends the loop as the way out; only a failed mount is a failure.
            fuse_session_loop_mt(g_session, config);
            status = 0;
            fuse_loop_cfg_destroy(config);
            g_release.notify_all();
            fuse_session_unmount(g_session);
        }
        fuse_remove_signal_handlers(g_session);
    }
    fuse_session_destroy(g_session);
    fuse_opt_free_args(&args);
    return status;
}
