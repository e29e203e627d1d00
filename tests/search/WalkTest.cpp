// The walk over one small real tree, case by case, on whichever system runs the tests
// (Linux with drive C: mapped onto the tree, Windows or Wine with the tree's own drive:
// "c:" in the cases stands for it). Every case runs with the walk reading alone, with
// folders read ahead on other threads and with many readers finishing in any order; all
// must give the same rows in the same order. A recorder between walk and lister shows that
// excluded folders are never queued nor listed.

#include "RecordingSink.h"

#include "search/DirectFolderLister.h"
#include "search/ParallelFolderLister.h"
#include "search/ReadAheadFolderLister.h"
#include "search/SearchJob.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>

#include <cstdlib>
#include <filesystem>

namespace nuvero {
namespace {

using Keys = std::vector<std::string>;
using Kind = test::TreeEntry::Kind;
using Change = std::function<void(const test::TempTree&, const test::TempTree& outside)>;

constexpr std::time_t Old = 1000000000; // 09.09.2001
constexpr std::time_t Written = 1500000000; // 14.07.2017

const test::TreeEntry commonTree[] = { { "top.txt", Kind::File, 2048, Written, Old },
    { "new.txt", Kind::File, 0, Old, Written }, { "a/fa.TXT", Kind::File, 0, Old, Old },
    { "a/a1/deep.txt", Kind::File, 0, Old, Old }, { "a/a1/in/x.txt", Kind::File, 0, Old, Old },
    { "b/fb.doc", Kind::File, 0, Old, Old }, { "notes.txt", Kind::Dir, 0, Old, Old },
    { "Ж/файл.txt", Kind::File, 0, Old, Old }, { "skip/s.txt", Kind::File, 0, Old, Old },
    { "skipped/t.txt", Kind::File, 0, Old, Old }, { ".hidden/h.txt" }, { ".dot.txt" },
    { "café", Kind::File, 0, Old, Old }, { "Ωμέγα", Kind::File, 0, Old, Old }, { "中文", Kind::File, 0, Old, Old },
    { "a/a1/in", Kind::Dir, 0, Old, Old }, { "a/a1", Kind::Dir, 0, Old, Old }, { "a", Kind::Dir, 0, Old, Old } };

// What only Linux can hold: links (never rows, never entered), a name with "\" (no program
// path can name it), a read-only folder (no "DIR") and a sparse file over 4 GiB.
const test::TreeEntry posixTree[] = { { "lnk.txt", Kind::Link, 0, 0, 0, "a" },
    { "gone.txt", Kind::Link, 0, 0, 0, "nowhere/at/all" }, { "a/a1/up.txt", Kind::Link, 0, 0, 0, ".." },
    { "loop.txt", Kind::Link, 0, 0, 0, "loop.txt" }, { "root.txt", Kind::Link, 0, 0, 0, "/" }, { "back\\slash.txt" },
    { "big.bin", Kind::File, (5ULL << 30) + 1 }, { "rob", Kind::Dir } };

const Keys allRows = { "c:\\|top.txt", "c:\\|new.txt", "c:\\|a", "c:\\|b", "c:\\|notes.txt", "c:\\|Ж", "c:\\|skip",
    "c:\\|skipped", "c:\\|café", "c:\\|Ωμέγα", "c:\\|中文", "c:\\a|fa.TXT", "c:\\a|a1", "c:\\a\\a1|deep.txt",
    "c:\\a\\a1|in", "c:\\a\\a1\\in|x.txt", "c:\\b|fb.doc", "c:\\Ж|файл.txt", "c:\\skip|s.txt", "c:\\skipped|t.txt" };
const Keys allFolders
    = { "c:\\", "c:\\a", "c:\\b", "c:\\notes.txt", "c:\\Ж", "c:\\skip", "c:\\skipped", "c:\\a\\a1", "c:\\a\\a1\\in" };

Keys plus(Keys keys, const Keys& more)
{
    keys.insert(keys.end(), more.begin(), more.end());
    return keys;
}

Keys minus(Keys keys, const Keys& less)
{
    std::erase_if(keys, [&](const std::string& k) { return std::find(less.begin(), less.end(), k) != less.end(); });
    return keys;
}

struct Case {
    const char* name;
    const char* roots;
    const char* mask;
    Keys rows; // "path|name", with "|size|dir" unless the unit is KBytes; any order
    Keys folders; // the statuses; in this order for several roots, else any order
    Keys exclusions = {}; // the folders of allFolders left out must never be queued nor listed
    bool posix = false; // needs posixTree
    int kind = -2; // the time kind, with "After date:"; -2: no time test
    int afterWritten = 0; // the threshold, in seconds after the write time of top.txt
    bool rus = false;
    SizeUnit unit = SizeUnit::KBytes;
    Change change = {}; // right after the listing of c:\a\a1
    bool bIsJunction = false; // "b" listed as Windows lists a junction: folder and reparse point
};

const Change a1ToLink = [](const test::TempTree& t, const test::TempTree& outside) {
    t.remove("a/a1");
    t.makeSymlink("a/a1", outside.root());
};
const Change removeA = [](const test::TempTree& t, const test::TempTree&) { t.remove("a"); };
const Keys a1Rows = { "c:\\a|fa.TXT", "c:\\a|a1", "c:\\a\\a1|deep.txt", "c:\\a\\a1|in" };

const Case cases[] = {
    { "every entry, level by level", "c:", "*.*", allRows, allFolders },
    { "links and odd names are neither rows nor entered", "c:", "*.*", plus(allRows, { "c:\\|big.bin", "c:\\|rob" }),
        plus(allFolders, { "c:\\rob" }), {}, true },
    { "mask, trailing separator", "c:\\a\\", "*.txt", { "c:\\a\\|fa.TXT", "c:\\a\\a1|deep.txt", "c:\\a\\a1\\in|x.txt" },
        { "c:\\a\\", "c:\\a\\a1", "c:\\a\\a1\\in" } },
    { "empty mask walks everything", "c:\\a", "", {}, { "c:\\a", "c:\\a\\a1", "c:\\a\\a1\\in" } },
    { "roots in the order written; those that cannot be entered add nothing",
        "c:\\b;;c:\\missing;c:\\top.txt;c:\\a\\a1\\in;c:\\b", "*.*",
        { "c:\\b|fb.doc", "c:\\a\\a1\\in|x.txt", "c:\\b|fb.doc" }, { "c:\\b", "c:\\a\\a1\\in", "c:\\b" } },
    { "write time after the threshold", "c:", "*.txt", { "c:\\|top.txt" }, allFolders, {}, false, 1, -1 },
    { "write time equal to the second", "c:", "*.txt", {}, allFolders, {}, false, 1, 0 },
    { "access time", "c:", "*.txt", { "c:\\|new.txt" }, allFolders, {}, false, 2, -1 },
    { "Rus names: Cyrillic names only, not accented Latin, Greek or CJK", "c:", "*.*", { "c:\\|Ж", "c:\\Ж|файл.txt" },
        allFolders, {}, false, -2, 0, true },
    { "sizes and dir cells", "c:", "t*", { "c:\\|top.txt|2048 bytes| ", "c:\\skipped|t.txt|0 bytes| " }, allFolders, {},
        false, -2, 0, false, SizeUnit::Bytes },
    { "sizes over 4 GiB; a read-only folder reads no DIR", "c:", "*b*",
        { "c:\\|big.bin|5 GBytes| ", "c:\\|b|0 GBytes|DIR", "c:\\|rob|0 GBytes| ", "c:\\b|fb.doc|0 GBytes| " },
        plus(allFolders, { "c:\\rob" }), {}, true, -2, 0, false, SizeUnit::GBytes },
    { "exclusions: a prefix with A-Z folded; a trailing separator spares the folder", "c:", "*.*",
        minus(allRows, { "c:\\skip|s.txt", "c:\\skipped|t.txt", "c:\\a\\a1\\in|x.txt" }),
        minus(allFolders, { "c:\\skip", "c:\\skipped", "c:\\a\\a1\\in" }),
        { "C:\\SKIP", "c:\\a\\a1\\", "c:\\nothing" } },
    { "an empty item excludes everything", "c:;c:\\a", "*.*", {}, {}, { "c:\\zzz", "" } },
    // The tree changes right after a folder was read: the walk lists only what is there
    // and never leaves the tree.
    { "folder on the way turned into a link out of the drive", "c:\\a", "*.*", a1Rows, { "c:\\a", "c:\\a\\a1" }, {},
        true, -2, 0, false, SizeUnit::KBytes, a1ToLink },
    { "whole folder removed while it is searched", "c:\\a", "*.*", a1Rows, { "c:\\a", "c:\\a\\a1" }, {}, true, -2, 0,
        false, SizeUnit::KBytes, removeA },
    // One pointing above itself would make the search endless.
    { "a junction is neither a row nor entered", "c:", "*.*", minus(allRows, { "c:\\|b", "c:\\b|fb.doc" }),
        minus(allFolders, { "c:\\b" }), {}, false, -2, 0, false, SizeUnit::KBytes, {}, true },
};

// Between the walk and a lister: logs each folder queued and each listed.
class Recorder : public FolderLister {
public:
    explicit Recorder(FolderLister& inner)
        : m_inner(inner)
    {
    }
    void queued(const SharedText& path) override
    {
        log.push_back(*path);
        m_inner.queued(path);
    }
    bool list(const SharedText& path, std::vector<platform::DirEntry>& out) override
    {
        log.push_back(*path);
        ++lists;
        const bool entered = m_inner.list(path, out);
        afterList(*path, out);
        return entered;
    }
    void skip(const SharedText& path) override { m_inner.skip(path); }
    void clear() override { m_inner.clear(); }

    Keys log;
    std::uint64_t lists = 0;
    std::function<void(const std::string&, std::vector<platform::DirEntry>&)> afterList;

private:
    FolderLister& m_inner;
};

// The parallel lister's readers, held as they complete a folder and let go in the reverse
// order, a batch at a time (or what has come when no more comes for a moment): listings
// then complete in quite another order than the walk takes them. Notes every folder listed.
class Shuffler {
public:
    explicit Shuffler(std::size_t batch)
        : m_batch(batch)
    {
    }
    void operator()(const std::string& path)
    {
        std::unique_lock lock(m_mutex);
        listed.push_back(path);
        const std::size_t me = m_arrived++;
        m_held.push_back(me);
        const auto isReleased = [&] { return std::find(m_release.begin(), m_release.end(), me) != m_release.end(); };
        if (m_held.size() >= m_batch || !m_changed.wait_for(lock, std::chrono::milliseconds(30), isReleased)) {
            m_release.insert(m_release.end(), m_held.rbegin(), m_held.rend());
            m_held.clear();
        }
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return m_release.front() == me; });
        m_release.erase(m_release.begin());
        m_changed.notify_all();
    }
    Keys listed;

private:
    const std::size_t m_batch;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::size_t m_arrived = 0;
    std::vector<std::size_t> m_held;
    std::vector<std::size_t> m_release;
};

// Drive "from:" (either case) named "to:" instead.
std::string swap(std::string text, char from, char to)
{
    for (auto pos = text.find(':'); pos != std::string::npos; pos = text.find(':', pos + 1)) {
        if (pos > 0 && (text[pos - 1] | 0x20) == (from | 0x20))
            text[pos - 1] = to;
    }
    return text;
}

// What one search gave, with the tree's drive named "c:".
struct Outcome {
    test::RecordingSink sink;
    Keys rows; // as in Case, in the order given
    Keys statuses;
    Keys log; // what the Recorder logged
    Keys listed; // what the parallel lister's readers listed
    std::array<std::uint64_t, 4> reads {}; // by the lister: all, in vain, foreseen; the walk's listings
};

// One search of a fresh tree; readers 0: the walk reads alone; below 0: that many readers
// of the parallel lister, finishing out of order, with small limits.
Outcome search(const Case& c, int readers, const std::function<bool(std::size_t rows)>& stopAt = {})
{
    test::TempTree tree;
    test::TempTree outside;
    outside.makeFile("in/secret.txt");
    tree.build(commonTree);
    if (c.posix) {
        tree.build(posixTree);
        std::filesystem::permissions(
            tree.path("rob"), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    }
    test::TestDrives drives;
    const char letter = drives.driveFor(tree);
    const auto swapped = [](Keys keys, char from, char to) {
        for (std::string& k : keys)
            k = swap(k, from, to);
        return keys;
    };
    SearchCriteria criteria;
    criteria.setAfterDate(c.kind != -2);
    criteria.setTimeKind(c.kind);
    criteria.setThreshold(platform::LocalTimeConverter()
                              .toDateTime(platform::FileTime { (11644473600LL + Written) * 10000000LL })
                              .addMsecs(c.afterWritten * 1000));
    criteria.setRusNames(c.rus);
    criteria.setSizeUnit(c.unit);
    criteria.setExclusions(swapped(c.exclusions, 'c', letter));
    std::atomic<bool> stop { stopAt && stopAt(0) };
    Outcome run;
    run.sink.onRow = [&](std::size_t count) { stop = stop || (stopAt && stopAt(count)); };
    DirectFolderLister direct;
    ReadAheadFolderLister ahead(&stop, readers < 0 ? 1 : readers, { 2, 8 });
    Shuffler shuffler(static_cast<std::size_t>(readers < 0 ? -readers : 1));
    std::optional<ParallelFolderLister> parallel;
    if (readers < 0)
        parallel.emplace(ParallelFolderLister::Options {
            &criteria, &stop, -readers, { 3, 8, 1 }, [&](const std::string& path) { shuffler(path); } });
    Recorder recorder(parallel ? static_cast<FolderLister&>(*parallel)
            : readers          ? static_cast<FolderLister&>(ahead)
                               : direct);
    recorder.afterList = [&](const std::string& path, std::vector<platform::DirEntry>& entries) {
        if (c.change && path == swap("c:\\a\\a1", 'c', letter))
            c.change(tree, outside);
        for (platform::DirEntry& e : entries)
            e.attributes |= c.bIsJunction && e.name == "b" ? platform::Attr::ReparsePoint : 0;
    };
    SearchJob(criteria, run.sink, stop, &recorder).run(swap(c.roots, 'c', letter), c.mask);
    for (const ResultRow& r : run.sink.rows) {
        const std::string sizes = "|" + r.size + "|" + std::string(r.dirText());
        run.rows.push_back(
            swap(std::string(r.pathText()), letter, 'c') + "|" + r.name + (c.unit == SizeUnit::KBytes ? "" : sizes));
    }
    run.statuses = swapped(run.sink.statuses, letter, 'c');
    run.log = swapped(recorder.log, letter, 'c');
    const auto a = ahead.stats();
    const auto p = parallel ? parallel->stats() : ParallelFolderLister::Stats {};
    run.reads = parallel ? std::array { p.folders, p.discarded, p.foreseen, recorder.lists }
                         : std::array { a.readAhead + a.readByWorker, a.discarded, a.readAhead, recorder.lists };
    parallel.reset(); // its readers are done with the shuffler
    run.listed = swapped(shuffler.listed, letter, 'c');
    return run;
}

Keys sorted(Keys keys)
{
    std::sort(keys.begin(), keys.end());
    return keys;
}

TEST(WalkTest, EachCaseGivesItsRowsAndFoldersWithEitherLister)
{
    for (const Case& c : cases) {
#ifdef _WIN32
        if (c.posix)
            continue;
#endif
        SCOPED_TRACE(c.name);
        const Outcome alone = search(c, 0);
        EXPECT_EQ(sorted(alone.rows), sorted(c.rows));
        EXPECT_EQ(alone.sink.finishes, std::vector<bool> { true });
        const bool inOrder = std::string(c.roots).find(';') != std::string::npos;
        EXPECT_EQ(inOrder ? alone.statuses : sorted(alone.statuses), inOrder ? c.folders : sorted(c.folders));
        // Rows come folder by folder, each after its folder's status, level by level.
        std::string current;
        for (const std::string& e : alone.sink.events) {
            if (e.find('|') != std::string::npos)
                EXPECT_EQ(e.substr(0, e.rfind('|')), current);
            else
                current = e;
        }
        const auto depth = [](const std::string& s) { return std::count(s.begin(), s.end(), '\\'); };
        for (std::size_t i = 1; !inOrder && i < alone.statuses.size(); ++i)
            EXPECT_LE(depth(alone.statuses[i - 1]), depth(alone.statuses[i])) << alone.statuses[i];
        if (c.change)
            continue; // what a read-ahead took before the change may differ
        for (const int readers : { 2, -6 }) { // read ahead, or many readers finishing in any order
            SCOPED_TRACE(readers);
            const Outcome other = search(c, readers);
            EXPECT_EQ(other.rows, alone.rows);
            EXPECT_EQ(other.statuses, alone.statuses);
            EXPECT_EQ(other.sink.finishes, std::vector<bool> { true });
            // Round trips, as on a network drive: each folder the walk lists is read once and
            // none in vain (a junction is found to be one only after its reading), and the
            // many readers keep ahead of the walk.
            const auto [read, inVain, foreseen, listed] = other.reads;
            EXPECT_TRUE(c.bIsJunction || (read == listed && inVain == 0)) << read << ", " << inVain << ", " << listed;
            EXPECT_TRUE(&c != cases || readers > 0 || foreseen > 0);
            for (const std::string& path : c.exclusions.empty() ? Keys() : minus(allFolders, c.folders)) {
                for (const Keys* seen : { &alone.log, &other.log, &other.listed }) // never queued nor opened
                    EXPECT_EQ(std::count(seen->begin(), seen->end(), path), 0) << path;
            }
        }
    }
}

#ifdef NUVERO_REFUSE_OPENAT2
// Container and application sandboxes refuse system calls they do not know with an error
// of their own choosing: openat2 may fail with EPERM as well as with ENOSYS. Run again
// under a system-call filter that refuses it either way, the walk table passes.
TEST(WalkTest, ASandboxRefusingOpenat2LosesNoRow)
{
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    for (const char* refusal : { "EPERM", "ENOSYS" }) {
        const std::string command = std::string(NUVERO_REFUSE_OPENAT2) + " " + refusal + " '" + self
            + "' --gtest_filter=WalkTest.EachCaseGivesItsRowsAndFoldersWithEitherLister | grep -q 'PASSED  ] 1 test'";
        EXPECT_EQ(std::system(command.c_str()), 0) << refusal;
    }
}
#endif

// Stopped before it starts or at any row: nothing is added after the poll that sees it,
// and the rows so far are the same with every lister.
TEST(WalkTest, AStopEndsTheWalkAtOnceWithEitherLister)
{
    for (std::size_t n = 0; n <= allRows.size(); ++n) {
        SCOPED_TRACE(n);
        const auto stopAt = [n](std::size_t rows) { return rows == n; };
        const Outcome alone = search(cases[0], 0, stopAt);
        const Outcome ahead = search(cases[0], 2, stopAt);
        const Outcome many = search(cases[0], -6, stopAt);
        for (const Outcome* run : { &alone, &ahead, &many }) {
            EXPECT_EQ(run->sink.finishes, std::vector<bool> { false });
            EXPECT_EQ(run->rows.size(), n);
            EXPECT_TRUE(n == 0 ? run->sink.events.empty() : run->sink.events.back().find('|') != std::string::npos);
        }
        EXPECT_EQ(ahead.rows, alone.rows);
        EXPECT_EQ(many.rows, alone.rows);
    }
}

// The read-ahead lister on its own: that it keeps to its window, that every listing goes to
// its own folder across skips and drops, and that a listing dropped and asked for again is
// read afresh.
TEST(ReadAheadListerTest, KeepsToItsWindowAndHandsEachListingToItsFolder)
{
    test::TempTree tree;
    test::TestDrives drives;
    const std::string drive = std::string(1, drives.driveFor(tree)) + ":\\";
    std::vector<SharedText> paths; // f<i> holds i + 1 files
    for (int i = 0; i < 6; ++i) {
        for (int k = 0; k <= i; ++k)
            tree.makeFile("f" + std::to_string(i) + "/n" + std::to_string(k));
        paths.push_back(makeSharedText(drive + "f" + std::to_string(i)));
    }
    ReadAheadFolderLister lister(nullptr, 2, { 3, 100000 });
    std::vector<platform::DirEntry> entries;
    const auto listed = [&](const SharedText& path) { return lister.list(path, entries) ? entries.size() : 99u; };
    for (const auto& p : paths)
        lister.queued(p);
    ASSERT_TRUE(lister.waitIdle(std::chrono::seconds(20)));
    EXPECT_EQ(lister.stats().readAhead, 3u);
    lister.skip(paths[0]);
    EXPECT_EQ(listed(paths[1]), 2u);
    lister.skip(paths[2]);
    ASSERT_TRUE(lister.waitIdle(std::chrono::seconds(20)));
    EXPECT_EQ(lister.stats().readAhead, 6u) << "taking one makes room for one more";
    lister.clear();

    // Read before the drop, changed after it: the new request gets the folder as it is now.
    tree.makeFile("f3/new");
    const SharedText missing = makeSharedText(drive + "missing");
    const SharedText file = makeSharedText(*paths[4] + "\\n0");
    for (const auto& p : { paths[3], missing, file, paths[5] })
        lister.queued(p);
    ASSERT_TRUE(lister.waitIdle(std::chrono::seconds(20)));
    EXPECT_EQ(listed(paths[3]), 5u);
    EXPECT_EQ(listed(missing), 99u);
    EXPECT_TRUE(entries.empty());
    EXPECT_EQ(listed(file), 99u);
    EXPECT_EQ(listed(paths[5]), 6u);
    EXPECT_EQ(lister.stats().discarded, 5u); // f0 and f2 skipped, f3 .. f5 dropped, all read ahead
    EXPECT_EQ(listed(paths[4]), 5u) << "a folder never announced is read on the spot";
}

} // namespace
} // namespace nuvero
