// The walk over the platform layer of whichever system runs the tests: the same cases
// run on Linux (drive C: mapped onto the tree) and under Windows or Wine (the tree's own
// test drive). Paths in the cases name the tree's drive "c:"; at() puts its letter in.

#include "RecordingSink.h"

#include "platform/Platform.h"
#include "search/SearchCriteria.h"
#include "search/SearchJob.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>

namespace nuvero {
namespace {

class WalkOnEitherSystemTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        letter = drives.driveFor(tree);
        criteria.setAfterDate(false);
    }

    std::string at(std::string_view path) const
    {
        std::string real(path);
        if (real.size() >= 2 && real[1] == ':' && (real[0] == 'c' || real[0] == 'C'))
            real[0] = real[0] == 'c' ? static_cast<char>(letter | 0x20) : static_cast<char>(letter & ~0x20);
        return real;
    }

    void search(const std::string& roots, const std::string& mask = "*.*")
    {
        sink = {};
        std::atomic<bool> stop { false };
        SearchJob(criteria, sink, stop).run(roots, mask);
    }

    std::vector<std::string> sortedRows() const
    {
        auto keys = sink.rowKeys();
        std::sort(keys.begin(), keys.end());
        return keys;
    }

    // Rows ("path|name") and folders of a breadth-first walk with "*.*" and no time test,
    // worked out from the platform's own listing order.
    std::pair<std::vector<std::string>, std::vector<std::string>> expectedWalk(const std::string& root) const
    {
        std::vector<std::string> rows;
        std::vector<std::string> folders;
        std::deque<std::string> queue { root };
        while (!queue.empty()) {
            const std::string folder = queue.front();
            queue.pop_front();
            folders.push_back(folder);
            platform::Folder opened = platform::Folder::open(folder);
            std::vector<platform::DirEntry> entries;
            EXPECT_TRUE(opened.readAll(entries)) << folder;
            for (const auto& e : entries) {
                if (e.name.front() == '.')
                    continue;
                if ((e.attributes & 0xFF) == e.attributes)
                    rows.push_back(folder + "|" + e.name);
                if (e.isDirectory())
                    queue.push_back(folder + (folder.back() == '\\' ? "" : "\\") + e.name);
            }
        }
        return { rows, folders };
    }

    test::TempTree tree;
    test::TestDrives drives;
    char letter = 0;
    SearchCriteria criteria;
    test::RecordingSink sink;
};

TEST_F(WalkOnEitherSystemTest, WalksLevelByLevelInTheListingsOrder)
{
    for (const char* f :
        { "top.txt", "a/fa.txt", "a/a1/deep.txt", "b/fb.txt", "b/b1/y", "\xD0\x96/\xD1\x84\xD0\xB0\xD0\xB9\xD0\xBB" })
        tree.makeFile(f);
    search(at("c:"));
    const auto [rows, folders] = expectedWalk(at("c:\\"));
    EXPECT_EQ(rows.size(), 11u);
    EXPECT_EQ(sink.rowKeys(), rows);
    EXPECT_EQ(sink.statuses, folders);
    EXPECT_EQ(sink.finished, std::optional<bool>(true));
    // Rows of one folder share one Path text.
    for (const auto& a : sink.rows) {
        for (const auto& b : sink.rows)
            EXPECT_EQ(a.pathText() == b.pathText(), a.path.get() == b.path.get()) << a.pathText();
    }
}

TEST_F(WalkOnEitherSystemTest, MaskDotNamesAndTrailingSeparators)
{
    tree.makeFile("data/a.txt");
    tree.makeFile("data/B.TXT");
    tree.makeFile("data/c.doc");
    tree.makeDir("data/notes.txt");
    tree.makeFile("data/sub/deep.txt");
    tree.makeFile("data/.hidden/inside.txt");
    tree.makeFile("data/.profile.txt");

    search(at("c:\\data\\"), "*.txt");
    EXPECT_EQ(sortedRows(),
        (std::vector<std::string> { at("c:\\data\\sub|deep.txt"), at("c:\\data\\|B.TXT"), at("c:\\data\\|a.txt"),
            at("c:\\data\\|notes.txt") }));
    std::vector<std::string> statuses = sink.statuses;
    std::sort(statuses.begin(), statuses.end());
    EXPECT_EQ(
        statuses, (std::vector<std::string> { at("c:\\data\\"), at("c:\\data\\notes.txt"), at("c:\\data\\sub") }));
}

TEST_F(WalkOnEitherSystemTest, RootsThatCannotBeEnteredAndExcludedFoldersAddNothing)
{
    tree.makeFile("file.txt");
    tree.makeFile("real/r.txt");
    tree.makeFile("skip/s.txt");
    tree.makeFile("skipped/t.txt");
    const std::string missingDrive = std::string(1, test::TestDrives::unusedLetter()) + ":";
    search(at("c:\\missing;;") + missingDrive + ";" + at("c:\\file.txt;") + at("c:\\real"));
    EXPECT_EQ(sink.rowKeys(), (std::vector<std::string> { at("c:\\real|r.txt") }));
    EXPECT_EQ(sink.statuses, (std::vector<std::string> { at("c:\\real") }));

    criteria.setExclusions({ at("C:\\SKIP") }); // a plain prefix, letters A to Z folded
    search(at("c:"));
    EXPECT_EQ(sortedRows(),
        (std::vector<std::string> {
            at("c:\\real|r.txt"), at("c:\\|file.txt"), at("c:\\|real"), at("c:\\|skip"), at("c:\\|skipped") }));
}

TEST_F(WalkOnEitherSystemTest, LastWriteTimesAreComparedToTheSecond)
{
    tree.makeFile("old.txt");
    tree.makeFile("new.txt");
    tree.setTimes("old.txt", 1500000000, 1000000000); // written 2001
    tree.setTimes("new.txt", 1000000000, 1500000000); // written 2017
    const DateTime newWrite
        = platform::LocalTimeConverter().toDateTime(platform::FileTime { (11644473600LL + 1500000000LL) * 10000000LL });
    criteria.setAfterDate(true);
    criteria.setTimeKind(static_cast<int>(TimeKind::Changing));
    const struct {
        std::int64_t thresholdMs;
        std::vector<std::string> rows;
    } cases[] = {
        { -1000, { at("c:\\|new.txt") } },
        { 0, {} }, // equal to the second is no hit
        { -16LL * 365 * 86400000, { at("c:\\|new.txt"), at("c:\\|old.txt") } },
    };
    for (const auto& c : cases) {
        criteria.setThreshold(newWrite.addMsecs(c.thresholdMs));
        search(at("c:"));
        EXPECT_EQ(sortedRows(), c.rows) << c.thresholdMs;
    }
    criteria.setTimeKind(static_cast<int>(TimeKind::Access));
    criteria.setThreshold(newWrite.addMsecs(-1000));
    search(at("c:"));
    EXPECT_EQ(sortedRows(), (std::vector<std::string> { at("c:\\|old.txt") })); // read in 2017, a second late
}

} // namespace
} // namespace nuvero
