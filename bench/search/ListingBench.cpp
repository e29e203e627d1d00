// nuvero-listing-bench: where the time of a walk goes. Walks a host folder breadth-first
// four ways and reports microseconds of processor time per entry (median of the rounds):
//   bare      open by full path + getdents64 + statx per entry (the system calls alone)
//   bare-at   the same, each folder opened relative to its parent (openat)
//   platform  platform::Folder::open + readAll (the back end the walk reads through)
//   engine    SearchJob with "Changing" and a threshold, rows counted but not written
//
//   nuvero-listing-bench HOSTDIR [ROUNDS]

#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif

#include "platform/Platform.h"
#include "search/SearchCriteria.h"
#include "search/SearchJob.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

std::uint64_t bareWalk(const std::string& root)
{
    std::uint64_t entries = 0;
    std::deque<std::string> queue { root };
    alignas(8) static char buffer[64 * 1024];
    while (!queue.empty()) {
        const std::string dir = std::move(queue.front());
        queue.pop_front();
        const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOATIME);
        if (fd < 0)
            continue;
        for (;;) {
            const ssize_t n = ::getdents64(fd, buffer, sizeof buffer);
            if (n <= 0)
                break;
            for (ssize_t off = 0; off < n;) {
                const auto* d = reinterpret_cast<const struct dirent64*>(buffer + off);
                off += d->d_reclen;
                const char* name = d->d_name;
                if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
                    continue;
                struct statx sx;
                if (::statx(fd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
                        STATX_TYPE | STATX_MODE | STATX_INO | STATX_SIZE | STATX_ATIME | STATX_MTIME | STATX_CTIME
                            | STATX_BTIME,
                        &sx)
                    != 0)
                    continue;
                ++entries;
                if (S_ISDIR(sx.stx_mode) && name[0] != '.')
                    queue.push_back(dir + "/" + name);
            }
        }
        ::close(fd);
    }
    return entries;
}

// As bareWalk, but every subfolder is opened relative to its parent while the parent is
// being read (its descriptor waits in the queue): no walk of the full path per folder.
std::uint64_t bareWalkAt(const std::string& root)
{
    std::uint64_t entries = 0;
    std::deque<std::pair<int, std::string>> queue;
    queue.emplace_back(::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOATIME), root);
    alignas(8) static char buffer[64 * 1024];
    while (!queue.empty()) {
        auto [fd, dir] = std::move(queue.front());
        queue.pop_front();
        if (fd < 0)
            fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOATIME);
        if (fd < 0)
            continue;
        for (;;) {
            const ssize_t n = ::getdents64(fd, buffer, sizeof buffer);
            if (n <= 0)
                break;
            for (ssize_t off = 0; off < n;) {
                const auto* d = reinterpret_cast<const struct dirent64*>(buffer + off);
                off += d->d_reclen;
                const char* name = d->d_name;
                if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
                    continue;
                struct statx sx;
                if (::statx(fd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
                        STATX_TYPE | STATX_MODE | STATX_INO | STATX_SIZE | STATX_ATIME | STATX_MTIME | STATX_CTIME
                            | STATX_BTIME,
                        &sx)
                    != 0)
                    continue;
                ++entries;
                if (S_ISDIR(sx.stx_mode) && name[0] != '.') {
                    const int child = ::openat(fd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOATIME);
                    queue.emplace_back(child, dir + "/" + name); // by path later if out of descriptors
                }
            }
        }
        ::close(fd);
    }
    return entries;
}

std::uint64_t platformWalk()
{
    std::uint64_t entries = 0;
    std::deque<std::string> queue { "c:\\" };
    std::vector<nuvero::platform::DirEntry> list;
    while (!queue.empty()) {
        const std::string dir = std::move(queue.front());
        queue.pop_front();
        nuvero::platform::Folder folder = nuvero::platform::Folder::open(dir);
        if (!folder.isOpen())
            continue;
        list.clear();
        folder.readAll(list);
        entries += list.size();
        for (const auto& e : list) {
            if (e.isDirectory() && e.name[0] != '.')
                queue.push_back(dir.back() == '\\' ? dir + e.name : dir + "\\" + e.name);
        }
    }
    return entries;
}

class CountingSink : public nuvero::RowSink {
public:
    void addRow(nuvero::ResultRow&&) override { ++rows; }
    void setStatus(const nuvero::SharedText&) override { }
    std::uint64_t rows = 0;
};

// Processor time (user + system) of this process: steadier than the wall clock on a
// machine shared with others.
double cpuSeconds()
{
    timespec ts {};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

struct Timing {
    std::vector<double> cpu;
    std::uint64_t count = 0;
    double median() const
    {
        std::vector<double> sorted = cpu;
        std::sort(sorted.begin(), sorted.end());
        const std::size_t n = sorted.size();
        return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: nuvero-listing-bench HOSTDIR [ROUNDS]\n");
        return 2;
    }
    const std::string root = std::filesystem::absolute(argv[1]).string();
    // bare-at keeps a descriptor for every queued folder.
    rlimit files {};
    if (::getrlimit(RLIMIT_NOFILE, &files) == 0) {
        files.rlim_cur = files.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &files);
    }
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;

    std::string config = (std::filesystem::temp_directory_path() / "nuvero-listing-XXXXXX").string();
    if (!::mkdtemp(config.data()))
        return 1;
    std::filesystem::create_directories(config + "/nuvero");
    std::ofstream(config + "/nuvero/lamer.Ini") << "[drives]\nc=" << root << "\n";
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    nuvero::platform::reloadConfiguration();

    nuvero::SearchCriteria criteria;
    criteria.setTimeKind(1);
    criteria.setThreshold(nuvero::platform::localNow().addMsecs(-86400000));
    std::uint64_t rows = 0;
    const auto engineWalk = [&] {
        CountingSink sink;
        const std::atomic<bool> stop { false };
        nuvero::SearchJob job(criteria, sink, stop);
        job.run("c:", "*.*");
        rows = sink.rows;
        return job.stats().entriesRead;
    };

    // Interleaved rounds, so that a burst of load elsewhere hits all three alike.
    Timing bare, bareAt, platform, engine;
    const auto measure = [](Timing& t, auto&& walk) {
        const double start = cpuSeconds();
        t.count = walk();
        t.cpu.push_back(cpuSeconds() - start);
    };
    for (int i = 0; i < rounds; ++i) {
        measure(bare, [&] { return bareWalk(root); });
        measure(bareAt, [&] { return bareWalkAt(root); });
        measure(platform, platformWalk);
        measure(engine, engineWalk);
    }

    std::printf("entries: bare %llu, platform %llu, engine %llu (%llu rows); median processor time of %d rounds\n",
        static_cast<unsigned long long>(bare.count), static_cast<unsigned long long>(platform.count),
        static_cast<unsigned long long>(engine.count), static_cast<unsigned long long>(rows), rounds);
    const std::pair<const char*, const Timing*> results[]
        = { { "bare", &bare }, { "bare-at", &bareAt }, { "platform", &platform }, { "engine", &engine } };
    for (const auto& [label, t] : results) {
        std::printf("%-9s %.3f s  %.2f us/entry\n", label, t->median(),
            t->median() * 1e6 / static_cast<double>(std::max<std::uint64_t>(1, t->count)));
    }
    std::filesystem::remove_all(config);
    return 0;
}
