// The list file where it cannot be written: no drive D:, a folder or a pipe in the
// automatic file's place, a full device or disk. Each save says which, never waits, and
// keeps what was there before or what it wrote before the failure.
#include "FaultSupport.h"

#include "export/ListFileWriter.h"
#include "results/RowVector.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <future>
#include <optional>
#include <sys/stat.h>

namespace nuvero {
namespace {

TEST(SaveFaultTest, EachPlaceIsReportedAndWhatWasThereIsKept)
{
    const std::string autoFile = "d/fls114 30 05_04 12 2026";
    const struct {
        std::string place;
        int rows;
        const char* text;
    } cases[] = { { "no D:", 3, "Invalid filename" }, { "folder", 3, "File access denied" },
        { "pipe", 3, "I/O error 31" }, { "/dev/full", 1, "Disk full" }, { "/dev/full", 30000, "Disk full" },
        { "full disk", 20000, "Disk full" } }; // last: it may be skipped
    for (const auto& c : cases) {
        SCOPED_TRACE(c.place);
        test::TempTree tree;
        test::TestDrives drives;
        tree.makeDir("d");
        std::optional<test::PrivateMount> disk;
        if (c.place == "full disk" && !disk.emplace(tree.path("d"), "size=64k").mounted())
            GTEST_SKIP() << "no full disk here: " << disk->reason();
        drives.map({ { 'c', tree.root() }, { c.place == "no D:" ? 'e' : 'd', tree.path("d") }, { 'x', "/dev" } });
        if (c.place == "folder")
            tree.makeFile(autoFile + "/inside.txt", "older list");
        ASSERT_TRUE(c.place != "pipe" || ::mkfifo(tree.path(autoFile).c_str(), 0644) == 0);
        test::RowVector rows;
        std::string whole;
        for (int i = 0; i < c.rows; ++i) {
            rows.add("c:\\folder\\with\\a\\longer\\path\\" + std::to_string(i % 97), "name-" + std::to_string(i));
            ListFileWriter::appendLine(whole, rows.rows.back().pathText(), rows.rows.back().name);
        }
        auto saving = std::async(std::launch::async, [&] {
            const platform::IoStatus status = c.place == "/dev/full"
                ? ListFileWriter::write("x:\\full", rows)
                : ListFileWriter::saveList(true, DateTime::fromCalendar({ 2026, 12, 4, 14, 30, 5, 0 }), rows);
            return status.text();
        });
        if (saving.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
            ADD_FAILURE() << "the save waits";
            // Become the pipe's reader for good (the few rows fit its buffer), so that it can end.
            (void)!::open(tree.path(autoFile).c_str(), O_RDONLY | O_NONBLOCK);
        }
        EXPECT_EQ(saving.get(), c.text);
        EXPECT_TRUE(c.place != "folder" || tree.read(autoFile + "/inside.txt") == "older list");
        const std::string written = disk ? tree.read(autoFile) : "";
        EXPECT_TRUE(
            !disk || (!written.empty() && written == whole.substr(0, written.size()) && written.size() < whole.size()));
    }
}

} // namespace
} // namespace nuvero
