#include "RecordingSink.h"

#include "platform/Platform.h"
#include "search/DirectoryWalk.h"
#include "search/SearchCriteria.h"
#include "search/SearchJob.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nuvero {
namespace {

using test::RecordingSink;

constexpr std::int64_t TicksPerSecond = 10000000;
constexpr std::int64_t UnixEpochTicks = 11644473600LL * TicksPerSecond;

platform::FileTime fileTimeOf(std::time_t seconds, long nanoseconds = 0)
{
    return { UnixEpochTicks + static_cast<std::int64_t>(seconds) * TicksPerSecond + nanoseconds / 100 };
}

class WalkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        drives.map({ { 'c', tree.root() } });
        // Without the time test every entry that may be a row is one.
        criteria.setAfterDate(false);
    }

    // Runs the job's body on this thread, as the worker would.
    void search(const std::string& roots, const std::string& mask = "*.*")
    {
        std::atomic<bool> stop { false };
        SearchJob(criteria, sink, stop).run(roots, mask);
    }

    // The listing entry of a file, read through the platform layer.
    platform::DirEntry entryOf(const std::string& folder, const std::string& name)
    {
        platform::Folder f = platform::Folder::open(folder);
        std::vector<platform::DirEntry> entries;
        EXPECT_TRUE(f.isOpen());
        f.readAll(entries);
        for (auto& e : entries) {
            if (e.name == name)
                return e;
        }
        ADD_FAILURE() << name << " not listed in " << folder;
        return {};
    }

    const ResultRow* row(const std::string& name) const
    {
        for (const auto& r : sink.rows) {
            if (r.name == name)
                return &r;
        }
        return nullptr;
    }

    bool hasRow(const std::string& key) const
    {
        const auto keys = sink.rowKeys();
        return std::find(keys.begin(), keys.end(), key) != keys.end();
    }

    test::TempTree tree;
    test::TestDrives drives;
    SearchCriteria criteria;
    RecordingSink sink;
};

// ---- order and roots ----------------------------------------------------------------------

TEST_F(WalkTest, RootsAreWalkedInTheOrderWritten)
{
    test::TempTree other;
    other.makeFile("d1/in-d.txt");
    tree.makeFile("one/in-one.txt");
    tree.makeFile("two/in-two.txt");
    drives.map({ { 'c', tree.root() }, { 'd', other.root() } });

    search("c:\\two;d:;c:\\one");
    EXPECT_EQ(sink.rowKeys(),
        (std::vector<std::string> { "c:\\two|in-two.txt", "d:\\|d1", "d:\\d1|in-d.txt", "c:\\one|in-one.txt" }));
    EXPECT_EQ(sink.statuses, (std::vector<std::string> { "c:\\two", "d:\\", "d:\\d1", "c:\\one" }));
}

// Root texts the either-system test does not try: empty pieces, a leading blank, and a
// path that leaves a real folder for a missing one.
TEST_F(WalkTest, RootsThatCannotBeEnteredYieldNothing)
{
    tree.makeFile("real/r.txt");
    for (const char* roots : { "", ";", ";;", " c:", "c:\\real\\..\\missing" }) {
        sink = {};
        search(roots);
        EXPECT_TRUE(sink.rows.empty()) << '"' << roots << '"';
        EXPECT_TRUE(sink.statuses.empty()) << '"' << roots << '"';
        EXPECT_EQ(sink.finished, std::optional<bool>(true)) << '"' << roots << '"';
    }
}

// ---- mask, names and attributes -------------------------------------------------------------

// An empty mask matches no name, yet every folder is still walked.
TEST_F(WalkTest, EmptyMaskGivesNoRowsButEverySubfolderIsWalked)
{
    tree.makeFile("a.txt");
    tree.makeFile("sub/deep/c.TXT");
    search("c:", "");
    EXPECT_TRUE(sink.rows.empty());
    EXPECT_EQ(sink.statuses, (std::vector<std::string> { "c:\\", "c:\\sub", "c:\\sub\\deep" }));
}

// Read-only files and folders are rows; only a folder with nothing but the directory flag
// reads "DIR". Links are the walk fault tests' business.
TEST_F(WalkTest, ReadOnlyFlagsPassAndOnlyTheBareFolderReadsDir)
{
    tree.makeFile("readonly.txt");
    tree.makeFile("rofolder/inner.txt");
    tree.makeDir("plain");
    ASSERT_EQ(::chmod(tree.path("readonly.txt").c_str(), 0444), 0);
    ASSERT_EQ(::chmod(tree.path("rofolder").c_str(), 0555), 0);

    search("c:");
    ASSERT_NE(row("readonly.txt"), nullptr);
    EXPECT_EQ(row("readonly.txt")->dirText(), " ");
    ASSERT_NE(row("rofolder"), nullptr);
    EXPECT_EQ(row("rofolder")->dirText(), " ");
    EXPECT_TRUE(hasRow("c:\\rofolder|inner.txt"));
    ASSERT_NE(row("plain"), nullptr);
    EXPECT_EQ(row("plain")->dirText(), "DIR");
}

// ---- sizes ------------------------------------------------------------------------------------

TEST_F(WalkTest, SizesAreFullSizesInTheUnitOfTheMoment)
{
    const auto makeSized = [&](const char* name, off_t size) {
        tree.makeFile(name);
        ASSERT_EQ(::truncate(tree.path(name).c_str(), size), 0);
    };
    makeSized("big", (5LL << 30) + 1); // sparse: takes no room
    tree.makeDir("folder");

    struct Case {
        SizeUnit unit;
        const char* name;
        const char* text;
    };
    // The texts of every unit are RowBuilderTest's; here the sizes the walk hands over.
    for (const Case& c : { Case { SizeUnit::GBytes, "big", "5 GBytes" },
             Case { SizeUnit::Bytes, "big", "5368709121 bytes" }, Case { SizeUnit::Bytes, "folder", "0 bytes" } }) {
        sink = {};
        criteria.setSizeUnit(c.unit);
        search("c:");
        ASSERT_NE(row(c.name), nullptr);
        EXPECT_EQ(row(c.name)->size, c.text) << c.name;
    }
}

// ---- times ------------------------------------------------------------------------------------

TEST_F(WalkTest, ThresholdIsStrictToTheSecondForWriteAndAccessTimes)
{
    const std::time_t base = 1700000000; // 14 Nov 2023
    tree.makeFile("f");
    const platform::LocalTimeConverter converter;

    struct Case {
        TimeKind kind;
        long nanoseconds; // of the compared time; the other time lies years earlier
        std::int64_t thresholdMs; // relative to the compared time's whole second
        bool hit;
    };
    // Whole seconds before, at and after are WalkOnEitherSystemTest's; here the parts of a second.
    for (const Case& c : { Case { TimeKind::Changing, 0, -1, true }, Case { TimeKind::Changing, 999999999, 0, false },
             Case { TimeKind::Access, 500000000, 0, false } }) {
        const timespec compared { base, c.nanoseconds };
        const timespec other { base - 5 * 365 * 86400, 0 };
        const timespec times[2]
            = { c.kind == TimeKind::Access ? compared : other, c.kind == TimeKind::Access ? other : compared };
        ASSERT_EQ(::utimensat(AT_FDCWD, tree.path("f").c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
        const DateTime moment = converter.toDateTime(fileTimeOf(base));

        sink = {};
        criteria.setAfterDate(true);
        criteria.setTimeKind(static_cast<int>(c.kind));
        criteria.setThreshold(moment.addMsecs(c.thresholdMs));
        search("c:");
        const ResultRow* r = row("f");
        EXPECT_EQ(r != nullptr, c.hit) << static_cast<int>(c.kind) << " ns " << c.nanoseconds << " ms "
                                       << c.thresholdMs;
        if (r) {
            EXPECT_EQ(r->timeText(), moment.rowText());
        }
    }
}

TEST_F(WalkTest, AppearanceComparesCreationTimeForEveryOtherKindAndNoTimeTestTakesAll)
{
    tree.makeFile("f");
    const timespec old[2] = { { 1000000000, 0 }, { 1000000000, 0 } }; // 2001
    ASSERT_EQ(::utimensat(AT_FDCWD, tree.path("f").c_str(), old, AT_SYMLINK_NOFOLLOW), 0);
    const DateTime created = platform::LocalTimeConverter().toDateTime(entryOf("c:\\", "f").creationTime);
    ASSERT_GT(created, DateTime::fromCalendar({ 2020, 1, 1 }));

    struct Case {
        int kind;
        std::int64_t thresholdMs;
        bool hit;
        bool afterDate = true; // without it every entry is a hit, shown with its creation time
    };
    for (const Case& c :
        { Case { 0, 0, false }, Case { 0, -1000, true }, Case { -1, -1000, true }, Case { 1, -1000, false },
            Case { 2, -1000, false }, Case { 1, 1000LL * 86400 * 365 * 7000, true, false } }) {
        sink = {};
        criteria.setAfterDate(c.afterDate);
        criteria.setTimeKind(c.kind);
        criteria.setThreshold(created.addMsecs(c.thresholdMs));
        search("c:");
        EXPECT_EQ(row("f") != nullptr, c.hit) << "kind " << c.kind << " ms " << c.thresholdMs;
        if (row("f")) {
            EXPECT_EQ(row("f")->timeText(), created.rowText());
        }
    }
}

// ---- names ------------------------------------------------------------------------------------

TEST_F(WalkTest, RusNamesKeepsOnlyNamesWithBasicCyrillicLetters)
{
    // Which names count is HasRusLettersTest's; here the rule applies to rows only.
    for (const char* name : { "А.txt", "plain.txt" })
        tree.makeFile(name);
    tree.makeFile("Папка/inner.txt");

    criteria.setRusNames(true);
    search("c:");
    std::vector<std::string> names;
    for (const auto& r : sink.rows)
        names.push_back(r.name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string> { "А.txt", "Папка" }));
    EXPECT_EQ(sink.statuses.size(), 2u); // the folder is searched although its files fail
}

// ---- exclusions -------------------------------------------------------------------------------

TEST_F(WalkTest, ExclusionsSkipFoldersWithEverythingBelow)
{
    // How an item matches a path is PathAllowedTest's; here what the walk skips.
    for (const char* f : { "temp/t.txt", "temp/sub/x.txt", "temporary/y.txt", "other/z.txt" })
        tree.makeFile(f);

    struct Case {
        std::vector<std::string> items;
        const char* roots;
        std::vector<std::string> present;
        std::vector<std::string> absent;
    };
    const std::vector<Case> cases = {
        { { "c:\\temp\\" }, "c:", { "c:\\temp|t.txt", "c:\\temp|sub", "c:\\temporary|y.txt" },
            { "c:\\temp\\sub|x.txt" } },
        { { "c:\\nothing", "C:\\OTHER" }, "c:\\other;c:\\temp", { "c:\\temp|t.txt" }, { "c:\\other|z.txt" } },
    };
    for (const Case& c : cases) {
        sink = {};
        criteria.setExclusions(c.items);
        search(c.roots);
        for (const auto& key : c.present)
            EXPECT_TRUE(hasRow(key)) << c.items.front() << ": " << key;
        for (const auto& key : c.absent)
            EXPECT_FALSE(hasRow(key)) << c.items.front() << ": " << key;
    }

    sink = {};
    criteria.setExclusions({ "c:\\temp", "" });
    search("c:");
    EXPECT_TRUE(sink.rows.empty());
    EXPECT_TRUE(sink.statuses.empty());
    EXPECT_EQ(sink.finished, std::optional<bool>(true));
}

// ---- live criteria ----------------------------------------------------------------------------

TEST_F(WalkTest, CriteriaChangedDuringTheWalkApplyFromTheNextEntry)
{
    for (int i = 0; i < 6; ++i)
        tree.makeFile("f" + std::to_string(i), std::string(2048, 'x'));
    tree.makeFile("sub/g");

    // "Rus names" ticked while the first row is added: no Latin name after it.
    sink.onRow = [&](const ResultRow&, std::size_t n) {
        if (n == 1)
            criteria.setRusNames(true);
    };
    search("c:");
    EXPECT_EQ(sink.rows.size(), 1u);
    EXPECT_EQ(sink.statuses.size(), 2u);

    // A threshold in the future, with "After date:" ticked.
    sink = {};
    criteria.setRusNames(false);
    sink.onRow = [&](const ResultRow&, std::size_t n) {
        if (n == 2) {
            criteria.setAfterDate(true);
            criteria.setThreshold(DateTime::fromCalendar({ 9999, 1, 1 }));
        }
    };
    search("c:");
    EXPECT_EQ(sink.rows.size(), 2u);

    // The size unit of every later row.
    sink = {};
    criteria.setAfterDate(false);
    criteria.setSizeUnit(SizeUnit::KBytes);
    sink.onRow = [&](const ResultRow&, std::size_t n) {
        if (n == 1)
            criteria.setSizeUnit(SizeUnit::Bytes);
    };
    search("c:\\", "f*");
    ASSERT_EQ(sink.rows.size(), 6u);
    EXPECT_EQ(sink.rows[0].size, "2 KBytes");
    for (std::size_t i = 1; i < sink.rows.size(); ++i)
        EXPECT_EQ(sink.rows[i].size, "2048 bytes");

    // The exclusion list from the next folder on: the root's entries all come, "sub" is skipped.
    sink = {};
    criteria.setSizeUnit(SizeUnit::KBytes);
    sink.onRow = [&](const ResultRow&, std::size_t n) {
        if (n == 1)
            criteria.setExclusions({ "c:\\sub" });
    };
    search("c:");
    EXPECT_EQ(sink.rows.size(), 7u);
    EXPECT_EQ(sink.statuses, (std::vector<std::string> { "c:\\" }));
}

// ---- stop ---------------------------------------------------------------------------------------

TEST_F(WalkTest, StopEndsTheWalkAtTheNextPollWithoutAnotherRow)
{
    for (const char* f : { "a/1", "a/2", "a/3", "b/4", "b/5", "6", "7", "c/d/8", "c/d/9" })
        tree.makeFile(f);
    search("c:;c:");
    const std::size_t total = sink.rows.size();
    ASSERT_EQ(total, 2 * 13u);

    for (std::size_t n = 1; n <= total; ++n) {
        sink = {};
        std::atomic<bool> stop { false };
        sink.onRow = [&](const ResultRow&, std::size_t count) {
            if (count == n)
                stop = true;
        };
        SearchJob(criteria, sink, stop).run("c:;c:", "*.*");
        EXPECT_EQ(sink.rows.size(), n);
        EXPECT_EQ(sink.finished, std::optional<bool>(false));
        EXPECT_EQ(sink.finishCalls, 1);
        ASSERT_FALSE(sink.events.empty());
        EXPECT_TRUE(sink.events.back().isRow) << "nothing may follow the row that stopped the walk";
    }
}

TEST_F(WalkTest, StopWhileAFolderStartsAllowsAtMostTheEntryInHand)
{
    for (const char* f : { "a/1", "a/2", "b/3", "b/4" })
        tree.makeFile(f);
    for (std::size_t k = 1; k <= 3; ++k) {
        sink = {};
        std::atomic<bool> stop { false };
        sink.onStatus = [&](const std::string&, std::size_t count) {
            if (count == k)
                stop = true;
        };
        SearchJob(criteria, sink, stop).run("c:", "*.*");
        // After the last status only the entry that was in hand when the stop came may
        // still become a row.
        const auto lastStatus = std::find_if(
            sink.events.rbegin(), sink.events.rend(), [](const RecordingSink::Event& e) { return !e.isRow; });
        EXPECT_LE(std::distance(sink.events.rbegin(), lastStatus), 1);
        EXPECT_EQ(sink.statuses.size(), k);
        EXPECT_EQ(sink.finished, std::optional<bool>(false));
    }

    sink = {};
    std::atomic<bool> stop { true };
    EXPECT_FALSE(SearchJob(criteria, sink, stop).run("c:", "*.*"));
    EXPECT_TRUE(sink.events.empty());
    EXPECT_EQ(sink.finished, std::optional<bool>(false));
}

// Reads folders directly and checks the order a read-ahead would rely on: every queued
// folder is asked for or passed over exactly once, in the order it was queued.
class CheckingLister : public DirectFolderLister {
public:
    void queued(const SharedText& path) override { pending.push_back(*path); }
    bool list(const SharedText& path, std::vector<platform::DirEntry>& out) override
    {
        take(*path, "list");
        return DirectFolderLister::list(path, out);
    }
    void skip(const SharedText& path) override { take(*path, "skip"); }
    void clear() override
    {
        calls.push_back("clear");
        pending.clear();
    }

    std::deque<std::string> pending;
    std::vector<std::string> calls;

private:
    void take(const std::string& path, const char* what)
    {
        ASSERT_FALSE(pending.empty()) << what << " " << path << " was never queued";
        EXPECT_EQ(pending.front(), path);
        pending.pop_front();
        calls.push_back(std::string(what) + " " + path);
    }
};

TEST_F(WalkTest, ListingsAreAskedForInTheOrderFoldersWereQueued)
{
    for (const char* f : { "a/x/1", "a/y/2", "b/3", "skip/4", "skip/deep/5" })
        tree.makeFile(f);
    criteria.setExclusions({ "c:\\skip" });
    CheckingLister lister;
    std::atomic<bool> stop { false };
    SearchJob(criteria, sink, stop, &lister).run("c:;c:\\b", "*.*");
    EXPECT_TRUE(lister.pending.empty());
    EXPECT_EQ(std::count(lister.calls.begin(), lister.calls.end(), "list c:\\a\\x"), 1);
    EXPECT_EQ(std::count(lister.calls.begin(), lister.calls.end(), "list c:\\b"), 2);

    // A stop drops what is still queued: stopped in the first of five sibling folders, the
    // other four are waiting.
    for (int i = 0; i < 5; ++i)
        tree.makeFile("m/f" + std::to_string(i) + "/file");
    sink = {};
    lister = {};
    sink.onRow = [&](const ResultRow& row, std::size_t) {
        if (row.pathText() != "c:\\m")
            stop = true;
    };
    stop = false;
    SearchJob(criteria, sink, stop, &lister).run("c:\\m", "*.*");
    ASSERT_FALSE(lister.calls.empty());
    EXPECT_EQ(lister.calls.back(), "clear");
    EXPECT_TRUE(lister.pending.empty());
}

} // namespace
} // namespace nuvero
