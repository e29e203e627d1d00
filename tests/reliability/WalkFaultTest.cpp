// What the walk may meet on a Linux disk and no Windows one: odd names, paths past what the
// system takes in one call, times past what a calendar holds. Trees that change under the
// walk are WalkTest's cases.
#include "FaultSupport.h"
#include "search/RecordingSink.h"

#include "export/ListFileWriter.h"
#include "results/FileCommands.h"
#include "results/RowVector.h"
#include "results/ScriptedUi.h"
#include "results/Translite.h"
#include "search/SearchJob.h"
#include "search/WalkRules.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"
#include "support/TestFsMount.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace nuvero {
namespace {

// The rows of a search of drive c:; any time unless a threshold is given.
std::vector<ResultRow> search(const std::string& roots, const std::string& mask, std::optional<DateTime> after = {})
{
    SearchCriteria criteria;
    criteria.setAfterDate(after.has_value());
    criteria.setTimeKind(static_cast<int>(TimeKind::Changing));
    criteria.setThreshold(after.value_or(DateTime()));
    test::RecordingSink sink;
    std::atomic<bool> stop { false };
    EXPECT_TRUE(SearchJob(criteria, sink, stop).run(roots, mask));
    return sink.rows;
}

// Drive D: on a file system that does not answer: one that answers each request after ten
// minutes (a network share whose server is gone), and one whose root never lists. The
// drive table comes at once and D: is not ready; a search over c:;d: finds C:'s rows and
// nothing on D:. Were a call to wait on D:, CTest's timeout would fail the test.
TEST(WalkFaultTest, ADeadDriveHoldsNeitherTheDriveTableNorTheSearch)
{
    if (const std::string why = test::TestFsMount::unavailableReason(); !why.empty())
        GTEST_SKIP() << why;
    test::TempTree tree;
    tree.makeFile("c/found.txt");
    tree.makeFile("d/lost.txt");
    for (const std::vector<std::string>& options :
        { std::vector<std::string> { "--delay-us", "600000000" }, { "--hang", "." } }) {
        SCOPED_TRACE(options[0]);
        const test::TestFsMount mount(tree.path("d"), tree.path("mnt"), options);
        ASSERT_TRUE(mount.mounted());
        test::TestDrives drives;
        drives.map({ { 'c', tree.path("c") }, { 'd', tree.path("mnt") } });
        EXPECT_EQ(platform::logicalDrives(), 0b1100u);
        EXPECT_TRUE(platform::driveReady('c'));
        EXPECT_FALSE(platform::driveReady('d') || platform::driveAnswers('d'));
        platform::IoStatus status;
        EXPECT_TRUE(!platform::Folder::open("d:\\", &status).isOpen() && status.code() == platform::IoCode::NotReady);
        std::vector<std::string> found;
        for (const ResultRow& row : search("c:;d:", "*.*"))
            found.push_back(std::string(row.pathText()) + row.name);
        EXPECT_EQ(found, std::vector<std::string> { "c:\\found.txt" });
    }
}

// On a memory file system where the test may mount one: a chain of folders whose deepest
// paths are more than five times what the system takes in one call, every level walked and
// the file at the bottom renamed and deleted through its row; and file times of any 64-bit
// second count, which such file systems keep, held at the ends of what a row can show and
// still compared as far future or far past.
TEST(WalkFaultTest, AChainTwoThousandDeepAndTimesBeyondEveryCalendar)
{
    constexpr int Depth = 2000;
    test::TempTree tree;
    test::TestDrives drives;
    drives.map({ { 'c', tree.root() } });
    tree.makeDir("mem");
    const test::PrivateMount memory(tree.path("mem"), "size=256m");
    tree.makeDir("mem/chain");
    int fd = ::open(tree.path("mem/chain").c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < Depth && fd >= 0; ++i) { // never one long path
        ASSERT_EQ(::mkdirat(fd, "dddddddddd", 0755), 0);
        const int next = ::openat(fd, "dddddddddd", O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
    }
    ASSERT_GE(fd, 0);
    ::close(::openat(fd, "Файл.txt", O_WRONLY | O_CREAT, 0644));
    ::close(fd);
    const std::shared_ptr<void> cleanup(nullptr, [&](void*) {
        if (!memory.mounted())
            test::removeTree(tree.path("mem/chain"));
    });

    const std::vector<ResultRow> found = search("c:\\mem\\chain", "*.*");
    ASSERT_EQ(found.size(), static_cast<std::size_t>(Depth + 1));
    for (std::size_t i = 1; i < found.size(); ++i)
        ASSERT_EQ(found[i].pathText(), WalkRules::joinPath(found[i - 1].pathText(), found[i - 1].name));
    const ResultRow& bottom = found.back();
    EXPECT_EQ(bottom.name, "Файл.txt");
    EXPECT_GT(bottom.fullPath().size(), static_cast<std::size_t>(5 * PATH_MAX));
    test::RowVector rows;
    rows.add(std::string(bottom.pathText()), bottom.name);
    test::ScriptedUi ui;
    FileCommands commands(rows, ui);
    ui.answers = { true, true };
    commands.renameOne(0);
    EXPECT_EQ(rows.names(), (std::vector<std::string> { "Fayl.txt" }));
    commands.deleteFile(0);
    EXPECT_EQ(rows.size(), 0);
    EXPECT_TRUE(search("c:\\mem\\chain", "*.txt").empty());

    if (!memory.mounted())
        GTEST_SKIP() << "times: " << memory.reason();
    ::setenv("TZ", "UTC", 1); // the ends of the calendar are local times
    ::tzset();
    tree.makeDir("mem/times");
    for (const std::int64_t seconds : { INT64_MAX, INT64_MIN, std::int64_t { -12000000000 } }) {
        const std::string path = tree.path("mem/times/") + std::to_string(seconds);
        ::close(::open(path.c_str(), O_WRONLY | O_CREAT, 0644));
        const struct timespec times[2] = { { seconds, 0 }, { seconds, 0 } };
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << seconds;
    }
    const std::vector<ResultRow> future = search("c:\\mem\\times", "*.*", platform::localNow());
    ASSERT_EQ(future.size(), 1u);
    EXPECT_EQ(future[0].name, std::to_string(INT64_MAX));
    const std::vector<ResultRow> all
        = search("c:\\mem\\times", "*.*", DateTime::fromCalendar({ 1600, 12, 31, 23, 59, 59 }));
    ASSERT_EQ(all.size(), 3u);
    for (const ResultRow& row : all)
        EXPECT_EQ(row.timeText(), row.name[0] == '-' ? "01.01.1601  00:00:00" : "31.12.9999  23:59:59") << row.name;
    ::unsetenv("TZ");
    ::tzset();
}

// Names that no Windows disk can hold but a Linux one can: line ends, blanks only, 255
// bytes, bytes that are not UTF-8, characters Windows forbids. Each is listed, written to
// the list file, renamed and deleted as the exact file it is, or refused with a clear
// error where the new name does not fit; the file beside it is never touched.
TEST(OddNameTest, IsListedSavedRenamedAndDeletedAsTheExactFile)
{
    std::string zh; // 254 bytes; "ZH" each once transliterated
    while (zh.size() < 254)
        zh += "Ж";
    std::string sch; // "SCH" each: too long once transliterated
    while (sch.size() < 254)
        sch += "Щ";
    const struct {
        std::string name;
        bool renameFits = true;
    } cases[] = { { "new\nline.txt" }, { "car\rriage\r\n" }, { "   " }, { "a*b?c<d>e|f:g\"h" }, { zh + "x" },
        { sch + "x", false }, { "Ж\xFFЖ.txt" }, { "cut\xD0" }, { "over\xC0\xAFlong" } };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.name));
        test::TempTree tree;
        test::TestDrives drives;
        drives.map({ { 'c', tree.root() } });
        tree.makeFile("names/" + c.name, "content");
        tree.makeFile("names/sibling", "sibling");
        test::RowVector rows;
        rows.rows = search("c:\\names", "*.*");
        ASSERT_EQ(rows.size(), 2);
        const int index = rows.row(0).name == c.name ? 0 : 1;
        EXPECT_EQ(rows.row(index).name, c.name);
        EXPECT_EQ(rows.row(index).pathText(), "c:\\names");

        // Saved: the line holds the name's bytes as they are.
        ASSERT_TRUE(ListFileWriter::write("c:\\list.txt", rows).ok());
        EXPECT_NE(tree.read("list.txt").find(c.name + " \r\n"), std::string::npos);

        // Renamed to its transliteration (the same name where it has no Russian letter).
        test::ScriptedUi ui;
        ui.answers = { true };
        FileCommands commands(rows, ui);
        commands.renameOne(index);
        const std::string nowCalled = c.renameFits ? translite(c.name) : c.name;
        EXPECT_EQ(std::count(ui.events.begin(), ui.events.end(), "File I/O error."), c.renameFits ? 0 : 1);
        EXPECT_EQ(rows.row(index).name, nowCalled);
        EXPECT_EQ(tree.read("names/" + nowCalled), "content");

        // Deleted: the file goes and its row with it; the sibling stays.
        ui.answers = { true };
        commands.deleteFile(index);
        EXPECT_EQ(ui.events.back(), "confirm Erase c:\\names\\" + nowCalled + "?");
        EXPECT_FALSE(tree.exists("names/" + nowCalled) || tree.exists("names/" + c.name));
        EXPECT_EQ(tree.read("names/sibling"), "sibling");
        EXPECT_EQ(rows.size(), 1);
    }
}

} // namespace
} // namespace nuvero
