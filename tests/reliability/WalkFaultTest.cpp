// The walk over trees that fight back: folders that vanish or change kind while the walk is
// inside them, links of every sort, a folder of 100,000 entries, a chain of 2,000 folders,
// and file times no calendar holds.
#include "FaultSupport.h"
#include "search/RecordingSink.h"
#include "search/WalkTreeSupport.h"

#include "platform/Platform.h"
#include "results/FileCommands.h"
#include "results/RowVector.h"
#include "results/ScriptedUi.h"
#include "search/DirectFolderLister.h"
#include "search/SearchCriteria.h"
#include "search/SearchJob.h"
#include "search/WalkRules.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <map>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace nuvero {
namespace {

using Keys = std::vector<std::string>;

// Reads folders directly, and lets a test change the tree right after a given folder was
// read: the walk then holds a listing that no longer matches the disk, deterministically.
class ChangingLister : public DirectFolderLister {
public:
    std::function<void(const std::string& path)> afterList;

    bool list(const SharedText& path, std::vector<platform::DirEntry>& out) override
    {
        const bool entered = DirectFolderLister::list(path, out);
        if (afterList)
            afterList(*path);
        return entered;
    }
};

class WalkFaultTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        drives.map({ { 'c', tree.root() } });
        criteria.setAfterDate(false);
    }

    bool search(const std::string& roots, FolderLister* lister = nullptr, const std::string& mask = "*.*")
    {
        std::atomic<bool> stop { false };
        return SearchJob(criteria, sink, stop, lister).run(roots, mask);
    }

    test::TempTree tree;
    test::TestDrives drives;
    SearchCriteria criteria;
    test::RecordingSink sink;
};

// ---- the tree changes under the walk -------------------------------------------------------

struct ChangeCase {
    const char* name;
    std::vector<const char*> files; // made before the search
    const char* changeAfter; // the folder whose listing triggers the change ("" for none)
    std::function<void(const test::TempTree& tree, const std::string& outside)> change;
    Keys rows; // exactly what the search must give
};

void PrintTo(const ChangeCase& c, std::ostream* out)
{
    *out << c.name;
}

class TreeChangesTest : public WalkFaultTest, public ::testing::WithParamInterface<ChangeCase> { };

TEST_P(TreeChangesTest, TheWalkListsOnlyWhatWasThereAndNeverLeavesTheTree)
{
    const ChangeCase& c = GetParam();
    for (const char* f : c.files)
        tree.makeFile(f, "x");
    // Outside the drive: what a link may point at. No row may ever come from here.
    test::TempTree outside;
    outside.makeFile("deeper/secret.txt");
    outside.makeFile("top-secret.txt");
    ChangingLister lister;
    lister.afterList = [&](const std::string& path) {
        if (path == c.changeAfter)
            c.change(tree, outside.root());
    };

    EXPECT_TRUE(search("c:\\a", &lister));
    // Rows of one folder come in the system's listing order; which rows there are is the point.
    Keys rows = sink.rowKeys();
    Keys expected = c.rows;
    std::sort(rows.begin(), rows.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(sink.finished, std::optional<bool>(true));
}

const Keys aAndSub = { "c:\\a|sub", "c:\\a|y.txt" };

INSTANTIATE_TEST_SUITE_P(Faults, TreeChangesTest,
    ::testing::Values(ChangeCase { "SubfolderRemovedAfterItsParentWasRead", { "a/sub/x.txt", "a/y.txt" }, "c:\\a",
                          [](const test::TempTree& t, const std::string&) { t.remove("a/sub"); }, aAndSub },
        ChangeCase { "SubfolderReplacedByAFile", { "a/sub/x.txt", "a/y.txt" }, "c:\\a",
            [](const test::TempTree& t, const std::string&) {
                t.remove("a/sub");
                t.makeFile("a/sub", "now a file");
            },
            aAndSub },
        ChangeCase { "SubfolderReplacedByALinkToTheSystemRoot", { "a/sub/x.txt", "a/y.txt" }, "c:\\a",
            [](const test::TempTree& t, const std::string&) {
                t.remove("a/sub");
                t.makeSymlink("a/sub", "/");
            },
            aAndSub },
        ChangeCase { "SubfolderReplacedByALinkOutOfTheDrive", { "a/sub/x.txt", "a/y.txt" }, "c:\\a",
            [](const test::TempTree& t, const std::string& outside) {
                t.remove("a/sub");
                t.makeSymlink("a/sub", outside);
            },
            aAndSub },
        // The walk already holds c:\a\sub\deeper in its queue when c:\a\sub becomes a link
        // to a tree that also has a "deeper": the link on the way is not followed either.
        ChangeCase { "FolderOnTheWayReplacedByALink", { "a/sub/deeper/z.txt", "a/y.txt" }, "c:\\a\\sub",
            [](const test::TempTree& t, const std::string& outside) {
                t.remove("a/sub");
                t.makeSymlink("a/sub", outside);
            },
            { "c:\\a|sub", "c:\\a|y.txt", "c:\\a\\sub|deeper" } },
        ChangeCase { "WholeFolderRemovedWhileItIsBeingSearched", { "a/sub/x.txt", "a/sub/inner/w.txt", "a/y.txt" },
            "c:\\a\\sub", [](const test::TempTree& t, const std::string&) { t.remove("a"); },
            { "c:\\a|sub", "c:\\a|y.txt", "c:\\a\\sub|inner", "c:\\a\\sub|x.txt" } },
        ChangeCase { "RootRemovedRightAfterItWasRead", { "a/sub/x.txt", "a/y.txt" }, "c:\\a",
            [](const test::TempTree& t, const std::string&) { t.remove("a"); }, aAndSub }),
    [](const ::testing::TestParamInfo<ChangeCase>& info) { return std::string(info.param.name); });

// A folder removed in the middle of its own mask pass (the walk is adding its rows): the
// rows it had read stay, nothing below it is entered, the search completes.
TEST_F(WalkFaultTest, FolderRemovedWhileItsRowsAreAdded)
{
    for (const char* f : { "a/1.txt", "a/2.txt", "a/3.txt", "a/sub/deep.txt" })
        tree.makeFile(f);
    sink.onRow = [&](const ResultRow& row, std::size_t) {
        if (row.pathText() == "c:\\a" && tree.exists("a"))
            tree.remove("a");
    };
    EXPECT_TRUE(search("c:\\a"));
    const Keys keys = sink.rowKeys();
    const std::set<std::string> rows(keys.begin(), keys.end());
    EXPECT_EQ(rows, (std::set<std::string> { "c:\\a|1.txt", "c:\\a|2.txt", "c:\\a|3.txt", "c:\\a|sub" }));
    EXPECT_EQ(sink.statuses, (std::vector<std::string> { "c:\\a" }));
}

// ---- links ------------------------------------------------------------------------------------

TEST_F(WalkFaultTest, LinksOfEveryKindAreNeitherRowsNorEntered)
{
    tree.makeFile("a/b/file.txt", "x");
    tree.makeSymlink("a/loop1", "loop2");
    tree.makeSymlink("a/loop2", "loop1");
    tree.makeSymlink("a/self", "self");
    tree.makeSymlink("a/b/up", "..");
    tree.makeSymlink("a/b/up-abs", tree.path("a"));
    tree.makeSymlink("a/root", "/");
    tree.makeSymlink("a/dangling", "nowhere/at/all");
    tree.makeSymlink("a/to-file", "b/file.txt");
    tree.makeSymlink("a/proc-self", "/proc/self/cwd");
    const auto expected = test::expectedWalk(tree.root(), "c:\\");
    ASSERT_EQ(expected.rows, (Keys { "c:\\|a", "c:\\a|b", "c:\\a\\b|file.txt" })) << "the reference walk sees no links";
    EXPECT_TRUE(search("c:"));
    EXPECT_EQ(sink.rowKeys(), expected.rows);
    EXPECT_EQ(sink.statuses, expected.folders);

    // Typed as roots, the links are not entered either: no rows, no status, no error.
    sink = {};
    EXPECT_TRUE(search("c:\\a\\root;c:\\a\\loop1;c:\\a\\dangling;c:\\a\\b\\up;c:\\a\\b\\up\\b"));
    EXPECT_TRUE(sink.rows.empty());
    EXPECT_TRUE(sink.statuses.empty());
}

// ---- size -----------------------------------------------------------------------------------

// A third of the entries are folders: more than a fixed list of 32,768 queued folders
// holds, each walked once.
TEST_F(WalkFaultTest, AFolderOfAHundredThousandEntriesIsListedWhole)
{
    constexpr int Count = 100000;
    constexpr int Folders = 33000;
    tree.makeDir("big");
    // On a memory file system where one can be had: the walk is what is tested here, and
    // making 100,000 entries on a busy disk takes much longer than walking them.
    const test::PrivateMount memory(tree.path("big"), "size=256m");
    const int dir = ::open(tree.path("big").c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(dir, 0);
    for (int i = 0; i < Count; ++i) {
        const std::string name = "f" + std::to_string(i);
        if (i < Folders) {
            ASSERT_EQ(::mkdirat(dir, name.c_str(), 0755), 0) << name;
            continue;
        }
        const int fd = ::openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        ASSERT_GE(fd, 0) << name;
        ::close(fd);
    }
    ::close(dir);
    tree.makeFile("big/f32999/last.txt");

    EXPECT_TRUE(search("c:\\big"));
    ASSERT_EQ(sink.rows.size(), static_cast<std::size_t>(Count + 1));
    std::set<std::string> names;
    for (const ResultRow& row : sink.rows) {
        if (row.pathText() == "c:\\big")
            names.insert(row.name);
    }
    EXPECT_EQ(names.size(), static_cast<std::size_t>(Count));
    EXPECT_TRUE(names.count("f0") && names.count("f99999"));
    const Keys keys = sink.rowKeys();
    EXPECT_EQ(std::count(keys.begin(), keys.end(), "c:\\big\\f32999|last.txt"), 1);
    EXPECT_EQ(sink.statuses.size(), static_cast<std::size_t>(Folders + 1));

    // The mask picks from all of them: "f9999" and "f99990" to "f99999".
    sink = {};
    EXPECT_TRUE(search("c:\\big", nullptr, "f9999?"));
    EXPECT_EQ(sink.rows.size(), 11u);
}

// 2,000 folders of ten letters each: the deepest paths are more than five times what the
// system takes in one call. Every level is walked, and the file at the bottom can be
// renamed and deleted through its row like any other.
TEST_F(WalkFaultTest, AChainTwoThousandDeepIsWalkedAndItsBottomFileServed)
{
    constexpr int Depth = 2000;
    const std::string component = "dddddddddd";
    tree.makeDir("chain");
    const test::PrivateMount memory(tree.path("chain"), "size=256m");
    test::makeChain(tree.path("chain"), component, Depth, "Файл.txt");
    struct Cleanup {
        std::string path;
        bool onDisk;
        ~Cleanup()
        {
            if (onDisk)
                test::removeTree(path);
        }
    } cleanup { tree.path("chain"), !memory.mounted() };

    EXPECT_TRUE(search("c:\\chain"));
    ASSERT_EQ(sink.rows.size(), static_cast<std::size_t>(Depth + 1));
    for (std::size_t i = 1; i < sink.rows.size(); ++i)
        ASSERT_EQ(sink.rows[i].pathText(), WalkRules::joinPath(sink.rows[i - 1].pathText(), sink.rows[i - 1].name));
    const ResultRow& bottom = sink.rows.back();
    EXPECT_EQ(bottom.name, "Файл.txt");
    EXPECT_GT(bottom.fullPath().size(), static_cast<std::size_t>(5 * PATH_MAX));

    test::RowVector rows;
    rows.add(std::string(bottom.pathText()), bottom.name);
    test::ScriptedUi ui;
    FileCommands commands(rows, ui);
    ui.answers = { true, true };
    commands.renameOne(0);
    EXPECT_EQ(rows.names(), (std::vector<std::string> { "Fayl.txt" }));
    EXPECT_TRUE(platform::fileAttributes(rows.row(0).fullPath()).has_value());
    commands.deleteFile(0);
    EXPECT_EQ(rows.size(), 0);
    EXPECT_EQ(std::count(ui.events.begin(), ui.events.end(), "File I/O error."), 0);
    sink = {};
    EXPECT_TRUE(search("c:\\chain", nullptr, "*.txt"));
    EXPECT_TRUE(sink.rows.empty());
}

// ---- times ----------------------------------------------------------------------------------

// Some file systems keep any 64-bit second count as a file time. Such times are held at
// the ends of what a row can show, and still compare as far future or far past.
TEST_F(WalkFaultTest, FileTimesBeyondEveryCalendarGiveSaneRows)
{
    tree.makeDir("mnt");
    test::PrivateMount mount(tree.path("mnt"), "size=1m");
    if (!mount.mounted())
        GTEST_SKIP() << mount.reason();
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    drives.map({ { 'c', tree.path("mnt") } });
    struct Stamp {
        const char* name;
        std::int64_t seconds;
    };
    const Stamp stamps[] = {
        { "latest", INT64_MAX },
        { "far", 1000000000000000LL }, // 31.7 million years from now
        { "earliest", INT64_MIN },
        { "before1601", -12000000000LL }, // the year 1589
        { "epoch", 0 },
    };
    for (const Stamp& s : stamps) {
        const std::string path = tree.path("mnt/") + s.name;
        ::close(::open(path.c_str(), O_WRONLY | O_CREAT, 0644));
        const struct timespec times[2] = { { s.seconds, 0 }, { s.seconds, 0 } };
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << s.name;
    }
    criteria.setAfterDate(true);
    criteria.setTimeKind(static_cast<int>(TimeKind::Changing));
    const auto hits = [&](DateTime threshold) {
        sink = {};
        criteria.setThreshold(threshold);
        EXPECT_TRUE(search("c:"));
        std::map<std::string, std::string> times;
        for (const ResultRow& row : sink.rows)
            times[row.name] = std::string(row.timeText());
        return times;
    };
    using Times = std::map<std::string, std::string>;
    const std::string last = "31.12.9999  23:59:59";
    const std::string first = "01.01.1601  00:00:00";
    EXPECT_EQ(hits(platform::localNow()), (Times { { "latest", last }, { "far", last } }));
    EXPECT_EQ(hits(DateTime::fromCalendar({ 1600, 12, 31, 23, 59, 59 })),
        (Times { { "latest", last }, { "far", last }, { "earliest", first }, { "before1601", first },
            { "epoch", "01.01.1970  00:00:00" } }));
    ::unsetenv("TZ");
    ::tzset();
}

} // namespace
} // namespace nuvero
