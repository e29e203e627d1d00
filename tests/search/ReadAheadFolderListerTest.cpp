// The read-ahead lister on its own: that it keeps to its window, that every listing goes to
// its own folder across skips and drops, and that a listing dropped and asked for again is
// read afresh. What the walk gives with it is WalkTest's.

#include "search/ReadAheadFolderLister.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

namespace nuvero {
namespace {

using namespace std::chrono_literals;

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
    ASSERT_TRUE(lister.waitIdle(20s));
    EXPECT_EQ(lister.stats().readAhead, 3u);
    lister.skip(paths[0]);
    EXPECT_EQ(listed(paths[1]), 2u);
    lister.skip(paths[2]);
    ASSERT_TRUE(lister.waitIdle(20s));
    EXPECT_EQ(lister.stats().readAhead, 6u) << "taking one makes room for one more";
    lister.clear();

    // Read before the drop, changed after it: the new request gets the folder as it is now.
    tree.makeFile("f3/new");
    const SharedText missing = makeSharedText(drive + "missing");
    const SharedText file = makeSharedText(*paths[4] + "\\n0");
    for (const auto& p : { paths[3], missing, file, paths[5] })
        lister.queued(p);
    ASSERT_TRUE(lister.waitIdle(20s));
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
