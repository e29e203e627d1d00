// Start-up with settings files made to stall it, and walks of trees far deeper or wider
// than usual: the figures behind "start-up stays quick" and "walked in bounded time".
//
//   ./build/normal/bench/reliability/bench_reliability
//
// Trees are made once per size under $TMPDIR (default /tmp) and removed at the end.

#include "platform/IniFile.h"
#include "platform/Platform.h"
#include "search/RowSink.h"
#include "search/SearchCriteria.h"
#include "search/SearchJob.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>
#include <ftw.h>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace nuvero;

class CountingSink : public RowSink {
public:
    void addRow(ResultRow&&) override { ++rows; }
    void setStatus(const SharedText&) override { }
    long rows = 0;
};

// A scratch folder with a private settings folder; C: is mapped onto `c` inside it.
class Scratch {
public:
    Scratch()
    {
        const char* base = std::getenv("TMPDIR");
        std::string templ = std::string(base && *base ? base : "/tmp") + "/nuvero-bench-XXXXXX";
        if (!::mkdtemp(templ.data()))
            std::abort();
        m_root = templ;
        ::mkdir((m_root + "/config").c_str(), 0700);
        ::mkdir((m_root + "/config/nuvero").c_str(), 0700);
        ::mkdir((m_root + "/c").c_str(), 0755);
        ::setenv("XDG_CONFIG_HOME", (m_root + "/config").c_str(), 1);
        writeSettings("[drives]\nc=" + m_root + "/c\n");
    }
    ~Scratch()
    {
        // Deep chains are taken apart one level at a time; nftw cannot reach their ends.
        for (const auto& [name, depth] : m_chains)
            removeChain(m_root + "/c/" + name, depth);
        ::nftw(
            m_root.c_str(), [](const char* p, const struct stat*, int, struct FTW*) { return ::remove(p); }, 64,
            FTW_DEPTH | FTW_PHYS);
    }

    const std::string& root() const { return m_root; }

    void writeSettings(const std::string& text) const
    {
        const int fd = ::open((m_root + "/config/nuvero/lamer.Ini").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || ::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
            std::abort();
        ::close(fd);
        platform::reloadConfiguration();
    }

    // c\<name>: a chain of `depth` folders of ten letters with one file at the bottom.
    void makeChain(const std::string& name, int depth)
    {
        int fd = ::open((m_root + "/c").c_str(), O_RDONLY | O_DIRECTORY);
        ::mkdirat(fd, name.c_str(), 0755);
        int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
        for (int i = 0; i < depth; ++i) {
            ::mkdirat(fd, "dddddddddd", 0755);
            next = ::openat(fd, "dddddddddd", O_RDONLY | O_DIRECTORY);
            ::close(fd);
            fd = next;
        }
        ::close(::openat(fd, "bottom.txt", O_WRONLY | O_CREAT, 0644));
        ::close(fd);
        m_chains[name] = depth;
    }

    void makeWide(const std::string& name, int count) const
    {
        const std::string folder = m_root + "/c/" + name;
        ::mkdir(folder.c_str(), 0755);
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
        for (int i = 0; i < count; ++i)
            ::close(::openat(fd, ("f" + std::to_string(i)).c_str(), O_WRONLY | O_CREAT, 0644));
        ::close(fd);
    }

private:
    static void removeChain(const std::string& top, int depth)
    {
        // Remove the deepest folder first, reaching it one openat at a time.
        for (int level = depth; level >= 0; --level) {
            int fd = ::open(top.c_str(), O_RDONLY | O_DIRECTORY);
            for (int i = 0; i < level - 1 && fd >= 0; ++i) {
                const int next = ::openat(fd, "dddddddddd", O_RDONLY | O_DIRECTORY);
                ::close(fd);
                fd = next;
            }
            if (fd < 0)
                return;
            if (level == depth && level > 0) {
                const int bottom = ::openat(fd, "dddddddddd", O_RDONLY | O_DIRECTORY);
                ::unlinkat(bottom, "bottom.txt", 0);
                ::close(bottom);
            }
            if (level > 0)
                ::unlinkat(fd, "dddddddddd", AT_REMOVEDIR);
            ::close(fd);
        }
        ::rmdir(top.c_str());
    }

    std::string m_root;
    std::map<std::string, int> m_chains;
};

Scratch& scratch()
{
    static Scratch s;
    return s;
}

long walk(const std::string& roots)
{
    SearchCriteria criteria;
    criteria.setAfterDate(false);
    CountingSink sink;
    std::atomic<bool> stop { false };
    SearchJob(criteria, sink, stop).run(roots, "*.*");
    return sink.rows;
}

// 1 MiB of distinct "[n]" sections: parsed once at every start.
void BM_SettingsOfAMebibyteOfSections(benchmark::State& state)
{
    std::string text = "[s]\na=04.12.2026 14:30:05\n";
    for (int i = 0; text.size() < platform::MaxSettingsFileSize; ++i)
        text += "[" + std::to_string(i) + "]\n";
    for (auto _ : state)
        benchmark::DoNotOptimize(platform::IniFile::parse(text));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_SettingsOfAMebibyteOfSections)->Unit(benchmark::kMillisecond);

// Start-up's reading of a 50 MB settings file (only the first MiB is read).
void BM_StartUpWithA50MBSettingsFile(benchmark::State& state)
{
    Scratch& s = scratch();
    const std::string path = s.root() + "/config/nuvero/lamer.Ini";
    std::string head = "[drives]\nc=" + s.root() + "/c\n[s]\na=04.12.2026 14:30:05\n";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::string block(1 << 20, 'x');
    for (std::size_t i = 80; i < block.size(); i += 81)
        block[i] = '\n';
    ::write(fd, head.data(), head.size());
    for (int i = 0; i < 50; ++i)
        ::write(fd, block.data(), block.size());
    ::close(fd);
    for (auto _ : state) {
        platform::reloadConfiguration();
        benchmark::DoNotOptimize(platform::readProfileString("s", "a", "error"));
    }
    s.writeSettings("[drives]\nc=" + s.root() + "/c\n");
}
BENCHMARK(BM_StartUpWithA50MBSettingsFile)->Unit(benchmark::kMillisecond);

// A whole walk of a chain of folders; at 2,000 levels its paths are 22 KB long.
void BM_WalkAChainOfFolders(benchmark::State& state)
{
    const int depth = static_cast<int>(state.range(0));
    const std::string name = "chain" + std::to_string(depth);
    scratch().makeChain(name, depth);
    long rows = 0;
    for (auto _ : state)
        rows = walk("c:\\" + name);
    if (rows != depth + 1)
        state.SkipWithError("a level was not walked");
    state.counters["levels"] = depth;
}
BENCHMARK(BM_WalkAChainOfFolders)->Arg(500)->Arg(1000)->Arg(2000)->Arg(4000)->Unit(benchmark::kMillisecond);

// Entering the deepest folder of the 2,000-level chain (the walk does this once per level).
void BM_EnterTheDeepestFolder(benchmark::State& state)
{
    scratch().makeChain("enter", 2000);
    std::string path = "c:\\enter";
    for (int i = 0; i < 2000; ++i)
        path += "\\dddddddddd";
    for (auto _ : state) {
        platform::Folder folder = platform::Folder::open(path);
        if (!folder.isOpen())
            state.SkipWithError("not entered");
    }
}
BENCHMARK(BM_EnterTheDeepestFolder)->Unit(benchmark::kMicrosecond);

// One folder of 100,000 files.
void BM_WalkAFolderOf100000Files(benchmark::State& state)
{
    scratch().makeWide("wide", 100000);
    long rows = 0;
    for (auto _ : state)
        rows = walk("c:\\wide");
    if (rows != 100000)
        state.SkipWithError("not every file was listed");
}
BENCHMARK(BM_WalkAFolderOf100000Files)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
