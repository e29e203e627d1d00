// The read-ahead lister on its own: how far it reads ahead, that every listing goes to its
// own folder across skips and drops, and that it ends. What the walk gives with it is
// WalkTest's.

#include "search/ReadAheadFolderLister.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

namespace nuvero {
namespace {

using namespace std::chrono_literals;

// Folders f0 .. f<count-1>, f<i> holding `files` files, or i+1 files when files is 0.
std::vector<SharedText> makeFolders(const test::TempTree& tree, char letter, int count, int files)
{
    std::vector<SharedText> paths;
    for (int i = 0; i < count; ++i) {
        const std::string name = "f" + std::to_string(i);
        for (int k = 0; k < (files ? files : i + 1); ++k)
            tree.makeFile(name + "/n" + std::to_string(k));
        paths.push_back(makeSharedText(std::string(1, letter) + ":\\" + name));
    }
    return paths;
}

std::size_t listed(ReadAheadFolderLister& lister, const SharedText& path)
{
    std::vector<platform::DirEntry> entries;
    EXPECT_TRUE(lister.list(path, entries)) << *path;
    return entries.size();
}

TEST(ReadAheadListerTest, ReadsWithinItsWindowAndHandsEachListingToItsFolder)
{
    // Ten entries a folder: a window of 8 folders, or listings of at most 25 entries (the
    // third folder read takes them past it); a stop request reads nothing ahead.
    const struct {
        ReadAheadFolderLister::Limits limits;
        bool stop;
        std::uint64_t ahead;
    } windows[] = { { { 8, 100000 }, false, 8 }, { { 100, 25 }, false, 3 }, { {}, true, 0 } };
    test::TempTree tree;
    test::TestDrives drives;
    const auto paths = makeFolders(tree, drives.driveFor(tree), 40, 10);
    for (const auto& w : windows) {
        std::atomic<bool> stop { w.stop };
        ReadAheadFolderLister lister(&stop, 1, w.limits);
        for (const auto& p : paths)
            lister.queued(p);
        ASSERT_TRUE(lister.waitIdle(20s));
        EXPECT_EQ(lister.stats().readAhead, w.ahead);
        EXPECT_EQ(listed(lister, paths[0]), 10u);
        ASSERT_TRUE(lister.waitIdle(20s));
        EXPECT_EQ(lister.stats().readAhead, w.ahead + (w.stop ? 0 : 1)) << "taking one makes room for one more";
    }
}

TEST(ReadAheadListerTest, ListingsMatchTheirFoldersAcrossSkipsAndDrops)
{
    test::TempTree tree;
    test::TestDrives drives;
    const char letter = drives.driveFor(tree);
    const auto paths = makeFolders(tree, letter, 6, 0);
    ReadAheadFolderLister lister(nullptr, 2);
    for (const auto& p : paths)
        lister.queued(p);
    ASSERT_TRUE(lister.waitIdle(20s));
    lister.skip(paths[0]);
    EXPECT_EQ(listed(lister, paths[1]), 2u);
    lister.skip(paths[2]);
    lister.clear();

    // Read before the drop, changed after it: the new request gets the folder as it is now.
    tree.makeFile("f3/new");
    const SharedText missing = makeSharedText(std::string(1, letter) + ":\\missing");
    const SharedText file = makeSharedText(*paths[4] + "\\n0");
    for (const auto& p : { paths[3], missing, file, paths[5] })
        lister.queued(p);
    ASSERT_TRUE(lister.waitIdle(20s));
    EXPECT_EQ(listed(lister, paths[3]), 5u);
    std::vector<platform::DirEntry> entries;
    EXPECT_FALSE(lister.list(missing, entries));
    EXPECT_TRUE(entries.empty());
    EXPECT_FALSE(lister.list(file, entries));
    EXPECT_EQ(listed(lister, paths[5]), 6u);
    EXPECT_EQ(lister.stats().discarded, 5u); // f0 and f2 skipped, f3 .. f5 dropped, all read ahead
    EXPECT_EQ(listed(lister, paths[4]), 5u) << "a folder never announced is read on the spot";
}

} // namespace
} // namespace nuvero
