// The list file where it cannot be written: no drive D:, a folder or a pipe in the
// automatic file's place, a full device or disk, a read-only file system, and a user
// without the right to write there. Each save says which, never waits, and keeps what was
// there before or what it wrote before the failure.
#include "FaultSupport.h"

#include "export/ListFileWriter.h"
#include "results/RowVector.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
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
        const char* place;
        int rows;
        const char* target; // the automatic save when null
        const char* text; // the save's report, "" when it succeeds
        const char* holds; // the automatic file afterwards: "=whole" list, "=start" of it, as it was, "" unchecked
    } cases[] = { { "d", 3, nullptr, "", "=whole" }, { "no D:", 3, nullptr, "Invalid filename", "" },
        { "folder", 3, nullptr, "File access denied", "" }, { "pipe", 3, nullptr, "I/O error 31", "" },
        { "/dev/full", 1, "x:\\full", "Disk full", "" }, { "/dev/full", 30000, "x:\\full", "Disk full", "" },
        { "full disk", 20000, nullptr, "Disk full", "=start" },
        { "read-only", 5, nullptr, "I/O error 19", "older list" },
        { "unwritable", 3, nullptr, "File access denied", "older list" } };
    std::string skipped;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.place);
        const std::string place = c.place, holds = c.holds;
        test::TempTree tree;
        test::TestDrives drives;
        tree.makeDir("d");
        std::optional<test::PrivateMount> disk;
        if (place == "full disk" || place == "read-only")
            disk.emplace(tree.path("d"), "size=64k");
        drives.map({ { 'c', tree.root() }, { place == "no D:" ? 'e' : 'd', tree.path("d") }, { 'x', "/dev" } });
        if (place == "folder")
            tree.makeFile(AutoFile + "/inside.txt", "older list");
        ASSERT_TRUE(place != "pipe" || ::mkfifo(tree.path(AutoFile).c_str(), 0644) == 0);
        if (holds == "older list" && (!disk || disk->mounted()))
            tree.makeFile(AutoFile, "older list");
        std::string reason = disk && !disk->mounted() ? disk->reason() : "";
        if (place == "read-only" && reason.empty() && !disk->makeReadOnly())
            reason = "the mount stays writable";
        if (place == "unwritable" && ::geteuid() != 0)
            reason = "needs root to take on another user's ids";
        if (place == "/dev/full" && !std::filesystem::exists("/dev/full"))
            reason = "no /dev/full";
        if (!reason.empty()) {
            skipped += place + ": " + reason + "; ";
            continue;
        }
        test::RowVector rows;
        std::string whole;
        for (int i = 0; i < c.rows; ++i) {
            rows.add("c:\\folder\\with\\a\\longer\\path\\" + std::to_string(i % 97), "name-" + std::to_string(i));
            ListFileWriter::appendLine(whole, rows.rows.back().pathText(), rows.rows.back().name);
        }
        const auto save = [&] {
            const DateTime threshold = DateTime::fromCalendar({ 2026, 12, 4, 14, 30, 5, 0 });
            const platform::IoStatus status
                = c.target ? ListFileWriter::write(c.target, rows) : ListFileWriter::saveList(true, threshold, rows);
            return status.ok() ? std::string() : status.text();
        };
        std::string text;
        if (place == "unwritable") { // root may write anywhere: a plain user's child saves
            ASSERT_EQ(::chmod(tree.root().c_str(), 0755) | ::chmod(tree.path("d").c_str(), 0755), 0);
            const int result = test::runAs(65534, 65534, [&] { return save() == c.text ? 0 : 1; });
            text = result == 0 ? c.text : "child's exit status " + std::to_string(result);
        } else {
            auto saving = std::async(std::launch::async, save);
            if (saving.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
                ADD_FAILURE() << "the save waits";
                // Become the pipe's reader until the save is done, so that it can end.
                const int reader = ::open(tree.path(AutoFile).c_str(), O_RDONLY | O_NONBLOCK);
                char sink[4096];
                while (saving.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready)
                    (void)!::read(reader, sink, sizeof sink);
                ::close(reader);
            }
            text = saving.get();
        }
        EXPECT_EQ(text, c.text);
        EXPECT_TRUE(place != "folder" || tree.read(AutoFile + "/inside.txt") == "older list");
        const std::string written = holds.empty() ? "" : tree.read(AutoFile);
        EXPECT_TRUE(holds != "=start" || (!written.empty() && written.size() < whole.size()));
        EXPECT_EQ(written, holds == "=whole" ? whole : holds == "=start" ? whole.substr(0, written.size()) : holds);
    }
    if (!skipped.empty())
        GTEST_SKIP() << "not made here: " << skipped;
}

} // namespace
} // namespace nuvero
