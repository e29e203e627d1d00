// The walk where paths and times go past what the system takes in one call or a calendar
// holds: a chain of 2,000 folders, and file times of any 64-bit second count. Trees that
// change under the walk are WalkTest's cases.
#include "FaultSupport.h"
#include "search/RecordingSink.h"

#include "results/FileCommands.h"
#include "results/RowVector.h"
#include "results/ScriptedUi.h"
#include "search/SearchJob.h"
#include "search/WalkRules.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <fcntl.h>
#include <map>
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

// The deepest paths are more than five times what the system takes in one call. Every
// level is walked, and the file at the bottom is renamed and deleted through its row.
TEST(WalkFaultTest, AChainTwoThousandDeepIsWalkedAndItsBottomFileServed)
{
    constexpr int Depth = 2000;
    test::TempTree tree;
    test::TestDrives drives;
    drives.map({ { 'c', tree.root() } });
    tree.makeDir("chain");
    const test::PrivateMount memory(tree.path("chain"), "size=256m");
    int fd = ::open(tree.path("chain").c_str(), O_RDONLY | O_DIRECTORY);
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
            test::removeTree(tree.path("chain"));
    });

    const std::vector<ResultRow> found = search("c:\\chain", "*.*");
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
    EXPECT_EQ(std::count(ui.events.begin(), ui.events.end(), "File I/O error."), 0);
    EXPECT_TRUE(search("c:\\chain", "*.txt").empty());
}

// Some file systems keep any 64-bit second count as a file time. Such times are held at
// the ends of what a row can show, and still compare as far future or far past.
TEST(WalkFaultTest, FileTimesBeyondEveryCalendarGiveSaneRows)
{
    test::TempTree tree;
    tree.makeDir("mnt");
    test::PrivateMount mount(tree.path("mnt"), "size=1m");
    if (!mount.mounted())
        GTEST_SKIP() << mount.reason();
    ::setenv("TZ", "UTC", 1); // the ends of the calendar are local times
    ::tzset();
    test::TestDrives drives;
    drives.map({ { 'c', tree.path("mnt") } });
    const std::pair<const char*, std::int64_t> stamps[] = { { "latest", INT64_MAX }, { "far", 1000000000000000LL },
        { "earliest", INT64_MIN }, { "before1601", -12000000000LL } };
    for (const auto& [name, seconds] : stamps) {
        const std::string path = tree.path("mnt/") + name;
        ::close(::open(path.c_str(), O_WRONLY | O_CREAT, 0644));
        const struct timespec times[2] = { { seconds, 0 }, { seconds, 0 } };
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << name;
    }
    using Times = std::map<std::string, std::string>;
    const auto hits = [&](DateTime threshold) {
        Times times;
        for (const ResultRow& row : search("c:", "*.*", threshold))
            times[row.name] = std::string(row.timeText());
        return times;
    };
    const std::string last = "31.12.9999  23:59:59";
    const std::string first = "01.01.1601  00:00:00";
    EXPECT_EQ(hits(platform::localNow()), (Times { { "latest", last }, { "far", last } }));
    EXPECT_EQ(hits(DateTime::fromCalendar({ 1600, 12, 31, 23, 59, 59 })),
        (Times { { "latest", last }, { "far", last }, { "earliest", first }, { "before1601", first } }));
    ::unsetenv("TZ");
    ::tzset();
}

} // namespace
} // namespace nuvero
