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
#include <unistd.h>

namespace nuvero {
namespace {

const std::string AutoFile = "d/fls114 30 05_04 12 2026";

TEST(SaveFaultTest, EachPlaceIsReportedAndWhatWasThereIsKept)
{
    const struct {
        std::string place;
        int rows;
        const char* text; // the save's report, "" when it succeeds
    } cases[] = { { "d", 3, "" }, { "no D:", 3, "Invalid filename" }, { "folder", 3, "File access denied" },
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
            tree.makeFile(AutoFile + "/inside.txt", "older list");
        ASSERT_TRUE(c.place != "pipe" || ::mkfifo(tree.path(AutoFile).c_str(), 0644) == 0);
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
            return status.ok() ? std::string() : status.text();
        });
        if (saving.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
            ADD_FAILURE() << "the save waits";
            // Become the pipe's reader until the save is done, so that it can end.
            const int reader = ::open(tree.path(AutoFile).c_str(), O_RDONLY | O_NONBLOCK);
            char sink[4096];
            while (saving.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready)
                (void)!::read(reader, sink, sizeof sink);
            ::close(reader);
        }
        EXPECT_EQ(saving.get(), c.text);
        EXPECT_TRUE(c.place != "folder" || tree.read(AutoFile + "/inside.txt") == "older list");
        if (c.place == "d" || disk) { // the whole list, or a proper start of it
            const std::string written = tree.read(AutoFile);
            EXPECT_EQ(written, whole.substr(0, disk ? written.size() : whole.size()));
            EXPECT_TRUE(!disk || (!written.empty() && written.size() < whole.size()));
        }
    }
}

} // namespace
} // namespace nuvero
