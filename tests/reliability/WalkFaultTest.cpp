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
#include <sys/stat.h>
#include <unistd.h>

namespace nuvero {
namespace {

class WalkFaultTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        drives.map({ { 'c', tree.root() } });
        criteria.setAfterDate(false);
    }

    bool search(const std::string& roots, const std::string& mask = "*.*")
    {
        sink = {};
        std::atomic<bool> stop { false };
        return SearchJob(criteria, sink, stop).run(roots, mask);
    }

    test::TempTree tree;
    test::TestDrives drives;
    SearchCriteria criteria;
    test::RecordingSink sink;
};

// The deepest paths are more than five times what the system takes in one call. Every
// level is walked, and the file at the bottom is renamed and deleted through its row.
TEST_F(WalkFaultTest, AChainTwoThousandDeepIsWalkedAndItsBottomFileServed)
{
    constexpr int Depth = 2000;
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
    commands.deleteFile(0);
    EXPECT_EQ(rows.size(), 0);
    EXPECT_EQ(std::count(ui.events.begin(), ui.events.end(), "File I/O error."), 0);
    EXPECT_TRUE(search("c:\\chain", "*.txt"));
    EXPECT_TRUE(sink.rows.empty());
}

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
    const std::pair<const char*, std::int64_t> stamps[] = { { "latest", INT64_MAX }, { "far", 1000000000000000LL },
        { "earliest", INT64_MIN }, { "before1601", -12000000000LL }, { "epoch", 0 } };
    for (const auto& [name, seconds] : stamps) {
        const std::string path = tree.path("mnt/") + name;
        ::close(::open(path.c_str(), O_WRONLY | O_CREAT, 0644));
        const struct timespec times[2] = { { seconds, 0 }, { seconds, 0 } };
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << name;
    }
    criteria.setAfterDate(true);
    criteria.setTimeKind(static_cast<int>(TimeKind::Changing));
    using Times = std::map<std::string, std::string>;
    const auto hits = [&](DateTime threshold) {
        criteria.setThreshold(threshold);
        EXPECT_TRUE(search("c:"));
        Times times;
        for (const ResultRow& row : sink.rows)
            times[row.name] = std::string(row.timeText());
        return times;
    };
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
