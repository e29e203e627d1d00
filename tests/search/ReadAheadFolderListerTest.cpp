// The walk with folders read ahead on other threads must give exactly what the walk gives
// alone: the same rows with the same texts, in the same order, the same status texts, and the
// same end, whatever the shape of the tree, the criteria, or the moment of a stop.

#include "RecordingSink.h"

#include "search/ReadAheadFolderLister.h"
#include "search/SearchCriteria.h"
#include "search/SearchJob.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <future>

namespace nuvero {
namespace {

using namespace std::chrono_literals;
using test::RecordingSink;

// Every text of a row, so that a listing of the wrong folder or a stale one shows.
std::vector<std::string> rowTexts(const RecordingSink& sink)
{
    std::vector<std::string> out;
    for (const ResultRow& r : sink.rows)
        out.push_back(std::string(r.pathText()) + "|" + r.name + "|" + std::string(r.timeText()) + "|" + r.size + "|"
            + std::string(r.dirText()));
    return out;
}

struct Shape {
    const char* name;
    std::function<void(test::TempTree&)> make;
    std::string roots;
    std::string mask = "*.*";
    SearchCriteria::Exclusions exclusions = {};
};

std::vector<Shape> shapes()
{
    return {
        { "wide",
            [](test::TempTree& t) {
                for (int d = 0; d < 150; ++d) {
                    t.makeFile("w" + std::to_string(d) + "/f" + std::to_string(d % 3) + ".txt");
                    if (d % 10 == 0)
                        t.makeFile("w" + std::to_string(d) + "/s/g.log");
                }
            },
            "c:" },
        { "deep",
            [](test::TempTree& t) {
                std::string path;
                for (int level = 0; level < 40; ++level) {
                    path += "l" + std::to_string(level) + "/";
                    t.makeFile(path + "file" + std::to_string(level));
                }
            },
            "c:" },
        { "excluded folders",
            [](test::TempTree& t) {
                for (const char* f : { "keep/a", "keep/sub/b", "skip/c", "skipped-too/d", "keep/x/e", "keep/x/y/f" })
                    t.makeFile(f);
            },
            "c:", "*.*", { "c:\\skip", "C:\\KEEP\\X\\" } },
        { "mask",
            [](test::TempTree& t) {
                for (const char* f : { "a.txt", "b.log", "notes.txt/c.log", "d/e.TXT", "d/f/g.txt", "h/i.dat" })
                    t.makeFile(f);
            },
            "c:", "*.txt" },
        { "several roots, missing and empty ones",
            [](test::TempTree& t) {
                for (const char* f : { "r1/a", "r1/b/c", "r2/d", "r2/e/f/g" })
                    t.makeFile(f);
                t.makeSymlink("link", "r1");
                t.makeDir(".hidden/inside");
            },
            "c:\\r1;;c:\\missing;c:\\r2\\e;c:;c:\\r1\\b" },
    };
}

struct ListerSetup {
    const char* name;
    int readers;
    ReadAheadFolderLister::Limits limits;
};

const ListerSetup setups[] = {
    { "one reader, window of one folder", 1, { 1, 1 } },
    { "one reader, default window", 1, {} },
    { "three readers, small window", 3, { 4, 16 } },
};

class ReadAheadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        drives.map({ { 'c', tree.root() } });
        criteria.setAfterDate(false);
    }

    // Runs the job on this thread with the walk reading alone, or with a read-ahead lister.
    void run(RecordingSink& sink, const Shape& shape, const ListerSetup* setup, std::atomic<bool>& stop)
    {
        criteria.setExclusions(shape.exclusions);
        if (!setup) {
            SearchJob job(criteria, sink, stop);
            job.setThreads(1);
            job.run(shape.roots, shape.mask);
            return;
        }
        ReadAheadFolderLister lister(&stop, setup->readers, setup->limits);
        SearchJob(criteria, sink, stop, &lister).run(shape.roots, shape.mask);
    }

    test::TempTree tree;
    test::TestDrives drives;
    SearchCriteria criteria;
};

TEST_F(ReadAheadTest, GivesTheSameRowsInTheSameOrderAsTheWalkAlone)
{
    for (const Shape& shape : shapes()) {
        SCOPED_TRACE(shape.name);
        test::TempTree shapeTree;
        shape.make(shapeTree);
        drives.map({ { 'c', shapeTree.root() } });
        RecordingSink alone;
        std::atomic<bool> stop { false };
        run(alone, shape, nullptr, stop);
        ASSERT_FALSE(alone.rows.empty());
        for (const ListerSetup& setup : setups) {
            SCOPED_TRACE(setup.name);
            RecordingSink ahead;
            run(ahead, shape, &setup, stop);
            EXPECT_EQ(rowTexts(ahead), rowTexts(alone));
            EXPECT_EQ(ahead.statuses, alone.statuses);
            EXPECT_EQ(ahead.finished, std::optional<bool>(true));
        }
    }
}

TEST_F(ReadAheadTest, StopAtEveryRowEndsWhereTheWalkAloneEnds)
{
    const Shape shape { "stop", {}, "c:;c:\\b" };
    for (const char* f : { "1", "a/2", "a/3", "b/4", "b/c/5", "b/c/6", "d/7", "d/e/f/8", "g/9" })
        tree.makeFile(f);
    RecordingSink full;
    std::atomic<bool> never { false };
    run(full, shape, nullptr, never);
    const std::size_t total = full.rows.size();
    ASSERT_GT(total, 15u);

    for (std::size_t n = 1; n <= total; ++n) {
        std::vector<std::string> expected;
        for (const ListerSetup* setup : { static_cast<const ListerSetup*>(nullptr), &setups[0], &setups[2] }) {
            RecordingSink sink;
            std::atomic<bool> stop { false };
            sink.onRow = [&](const ResultRow&, std::size_t count) {
                if (count == n)
                    stop = true;
            };
            run(sink, shape, setup, stop);
            EXPECT_EQ(sink.rows.size(), n);
            EXPECT_EQ(sink.finished, std::optional<bool>(false));
            if (!setup)
                expected = rowTexts(sink);
            else
                EXPECT_EQ(rowTexts(sink), expected) << "stopped at row " << n << ", " << setup->name;
        }
    }
}

// A read-ahead lister that records which folders the walk hands it and asks it for, and
// lets a test act the moment a folder is queued.
class RecordingReadAhead : public ReadAheadFolderLister {
public:
    using ReadAheadFolderLister::ReadAheadFolderLister;

    std::vector<std::string> queuedPaths;
    std::vector<std::string> listedPaths;
    std::function<void(const std::string&)> onQueued;

    void queued(const SharedText& path) override
    {
        queuedPaths.push_back(*path);
        if (onQueued)
            onQueued(*path);
        ReadAheadFolderLister::queued(path);
    }
    bool list(const SharedText& path, std::vector<platform::DirEntry>& out) override
    {
        listedPaths.push_back(*path);
        return ReadAheadFolderLister::list(path, out);
    }
};

TEST_F(ReadAheadTest, ExcludedFoldersAreNeverHandedToTheReadAhead)
{
    for (const char* f : { "keep/a", "keep/mount/b", "mount/c", "late/d", "late/e/f" })
        tree.makeFile(f);
    // Excluded before the search: never queued, so no read-ahead thread can open them. "late"
    // is excluded only once it is queued: the walk still passes over it when its turn comes.
    const SearchCriteria::Exclusions before { "C:\\MOUNT", "c:\\keep\\mount" };
    criteria.setExclusions(before);
    std::atomic<bool> stop { false };
    RecordingReadAhead lister(&stop, SearchJob::DefaultThreads - 1);
    lister.onQueued = [&](const std::string& path) {
        if (path == "c:\\late") {
            SearchCriteria::Exclusions more = before;
            more.push_back("c:\\late");
            criteria.setExclusions(std::move(more));
        }
    };
    RecordingSink sink;
    ASSERT_TRUE(SearchJob(criteria, sink, stop, &lister).run("c:;c:\\mount", "*.*"));

    const auto sorted = [](std::vector<std::string> v) {
        std::sort(v.begin(), v.end());
        return v;
    };
    using Paths = std::vector<std::string>;
    EXPECT_EQ(sorted(lister.queuedPaths), (Paths { "c:\\", "c:\\keep", "c:\\late" }));
    EXPECT_EQ(sorted(lister.listedPaths), (Paths { "c:\\", "c:\\keep" }));
    EXPECT_EQ(
        sorted(sink.rowKeys()), (Paths { "c:\\keep|a", "c:\\keep|mount", "c:\\|keep", "c:\\|late", "c:\\|mount" }));
}

// ---- the lister on its own ---------------------------------------------------------------------

class ReadAheadListerTest : public ReadAheadTest {
protected:
    // Folders f0 .. f<count-1> of the tree mapped as C:, each holding `files` files.
    std::vector<SharedText> makeFolders(int count, int files) { return makeFoldersIn(tree, count, files); }

    static std::vector<SharedText> makeFoldersIn(test::TempTree& where, int count, int files)
    {
        std::vector<SharedText> paths;
        for (int i = 0; i < count; ++i) {
            const std::string name = "f" + std::to_string(i);
            where.makeDir(name);
            for (int k = 0; k < files; ++k)
                where.makeFile(name + "/" + std::to_string(k));
            paths.push_back(makeSharedText("c:\\" + name));
        }
        return paths;
    }
};

TEST_F(ReadAheadListerTest, ReadsAheadNoFurtherThanItsWindow)
{
    struct Case {
        ReadAheadFolderLister::Limits limits;
        std::uint64_t ahead; // folders read ahead before anything is taken
    };
    // Ten entries a folder: a window of 8 folders, or listings of at most 25 entries (the
    // third folder read takes them past it).
    for (const Case& c : { Case { { 8, 100000 }, 8 }, Case { { 100, 25 }, 3 } }) {
        test::TempTree folders;
        drives.map({ { 'c', folders.root() } });
        const auto paths = makeFoldersIn(folders, 40, 10);
        ReadAheadFolderLister lister(nullptr, 1, c.limits);
        for (const auto& p : paths)
            lister.queued(p);
        ASSERT_TRUE(lister.waitIdle(20s));
        EXPECT_EQ(lister.stats().readAhead, c.ahead);
        std::vector<platform::DirEntry> entries;
        EXPECT_TRUE(lister.list(paths[0], entries));
        EXPECT_EQ(entries.size(), 10u);
        ASSERT_TRUE(lister.waitIdle(20s));
        EXPECT_EQ(lister.stats().readAhead, c.ahead + 1) << "taking one makes room for one more";
    }
}

TEST_F(ReadAheadListerTest, ListingsMatchTheirFoldersAcrossSkipsAndDrops)
{
    const auto paths = makeFolders(6, 0);
    for (int i = 0; i < 6; ++i) {
        for (int k = 0; k <= i; ++k)
            tree.makeFile("f" + std::to_string(i) + "/n" + std::to_string(k));
    }
    ReadAheadFolderLister lister(nullptr, 2);
    for (const auto& p : paths)
        lister.queued(p);
    ASSERT_TRUE(lister.waitIdle(20s));
    std::vector<platform::DirEntry> entries;
    lister.skip(paths[0]);
    ASSERT_TRUE(lister.list(paths[1], entries));
    EXPECT_EQ(entries.size(), 2u);
    lister.skip(paths[2]);
    lister.clear();

    // Read before the drop, changed after it: the new request gets the folder as it is now.
    tree.makeFile("f3/new");
    lister.queued(paths[3]);
    lister.queued(makeSharedText("c:\\missing"));
    lister.queued(makeSharedText("c:\\f4\\n0")); // a file where a folder is expected
    lister.queued(paths[5]);
    ASSERT_TRUE(lister.waitIdle(20s));
    ASSERT_TRUE(lister.list(paths[3], entries));
    EXPECT_EQ(entries.size(), 5u);
    EXPECT_FALSE(lister.list(makeSharedText("c:\\missing"), entries));
    EXPECT_TRUE(entries.empty());
    EXPECT_FALSE(lister.list(makeSharedText("c:\\f4\\n0"), entries));
    ASSERT_TRUE(lister.list(paths[5], entries));
    EXPECT_EQ(entries.size(), 6u);
    EXPECT_EQ(lister.stats().discarded, 5u); // f0 and f2 skipped, f3 .. f5 dropped, all read ahead

    // A folder that was never announced is read on the spot.
    ASSERT_TRUE(lister.list(paths[4], entries));
    EXPECT_EQ(entries.size(), 5u);
}

TEST_F(ReadAheadListerTest, AStopRequestEndsTheReadAhead)
{
    const auto paths = makeFolders(20, 2);
    std::atomic<bool> stop { true };
    ReadAheadFolderLister lister(&stop, 2);
    for (const auto& p : paths)
        lister.queued(p);
    ASSERT_TRUE(lister.waitIdle(20s));
    EXPECT_EQ(lister.stats().readAhead, 0u);
    // The walk may still ask (it polls the stop request between folders): it reads for itself.
    std::vector<platform::DirEntry> entries;
    EXPECT_TRUE(lister.list(paths[0], entries));
    EXPECT_EQ(entries.size(), 2u);
}

TEST_F(ReadAheadListerTest, DestroyedWhileReadingAhead)
{
    const auto paths = makeFolders(60, 40);
    for (int round = 0; round < 20; ++round) {
        std::atomic<bool> stop { false };
        auto lister = std::make_unique<ReadAheadFolderLister>(&stop, 1 + round % 3, ReadAheadFolderLister::Limits {});
        for (const auto& p : paths)
            lister->queued(p);
        std::vector<platform::DirEntry> entries;
        for (int i = 0; i < round % 4; ++i)
            ASSERT_TRUE(lister->list(paths[static_cast<std::size_t>(i)], entries));
        if (round % 2)
            stop = true;
        auto destroyed = std::async(std::launch::async, [&] { lister.reset(); });
        ASSERT_EQ(destroyed.wait_for(20s), std::future_status::ready) << "the read-ahead threads did not end";
    }
}

} // namespace
} // namespace nuvero
