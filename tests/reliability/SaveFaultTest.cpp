// The list file where it cannot be written: a folder in the automatic file's place, a
// read-only file system, a full one, and a user without the right to write there. Each
// save says which, and keeps what it wrote before the failure.
#include "FaultSupport.h"

#include "export/ListFileWriter.h"
#include "platform/Platform.h"
#include "results/RowVector.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

namespace nuvero {
namespace {

const DateTime Threshold = DateTime::fromCalendar({ 2026, 12, 4, 14, 30, 5 });
const char* const AutoName = "fls114 30 05_04 12 2026";

class SaveFaultTest : public ::testing::Test {
protected:
    void SetUp() override { tree.makeDir("d"); }

    void addRows(int count)
    {
        for (int i = 0; i < count; ++i)
            rows.add("c:\\folder\\with\\a\\longer\\path\\" + std::to_string(i % 97), "name-" + std::to_string(i));
    }

    // The whole file the rows give, to compare what a failed save left with.
    std::string fullText() const
    {
        std::string text;
        for (const ResultRow& row : rows.rows)
            ListFileWriter::appendLine(text, row.pathText(), row.name);
        return text;
    }

    test::TempTree tree;
    test::TestDrives drives;
    test::RowVector rows;
};

TEST_F(SaveFaultTest, AFolderInTheAutomaticFilesPlaceIsReportedAndKept)
{
    drives.map({ { 'c', tree.root() }, { 'd', tree.path("d") } });
    tree.makeFile(std::string("d/") + AutoName + "/inside.txt", "keep");
    addRows(3);
    EXPECT_EQ(ListFileWriter::saveList(true, Threshold, rows).text(), "File access denied");
    EXPECT_EQ(tree.read(std::string("d/") + AutoName + "/inside.txt"), "keep");
}

// A pipe in the automatic file's place: with nobody reading, the save must not wait for
// one (it would hold the window); with a reader, the list goes down the pipe.
TEST_F(SaveFaultTest, APipeInTheAutomaticFilesPlaceNeverHoldsTheSave)
{
    drives.map({ { 'c', tree.root() }, { 'd', tree.path("d") } });
    const std::string pipe = tree.path(std::string("d/") + AutoName);
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
    addRows(3);
    auto saving = std::async(std::launch::async, [&] { return ListFileWriter::saveList(true, Threshold, rows); });
    if (saving.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
        ADD_FAILURE() << "the save waits for a reader of the pipe";
        // Become that reader, and read until the save is done, so that it can end.
        const int unblock = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
        char sink[4096];
        while (saving.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready)
            (void)!::read(unblock, sink, sizeof sink);
        ::close(unblock);
    }
    const platform::IoStatus status = saving.get();
    EXPECT_FALSE(status.ok());
    EXPECT_EQ(status.text(), "I/O error 31");

    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_TRUE(ListFileWriter::saveList(true, Threshold, rows).ok());
    std::string got(fullText().size() + 16, '\0');
    const ssize_t n = ::read(reader, got.data(), got.size());
    ::close(reader);
    EXPECT_EQ(got.substr(0, n < 0 ? 0 : static_cast<std::size_t>(n)), fullText());
}

// A list bigger than the disk: "Disk full", and the file holds the first part of the list,
// whole lines or not, but never anything else.
TEST_F(SaveFaultTest, AFullDiskSaysSoAndKeepsTheLinesWrittenBefore)
{
    test::PrivateMount disk(tree.path("d"), "size=64k");
    if (!disk.mounted())
        GTEST_SKIP() << disk.reason() << "; /dev/full serves the list writer's own test";
    drives.map({ { 'c', tree.root() }, { 'd', tree.path("d") } });
    for (const int count : { 20000, 200 }) {
        rows.rows.clear();
        addRows(count);
        const platform::IoStatus status = ListFileWriter::saveList(true, Threshold, rows);
        const std::string written = tree.read(std::string("d/") + AutoName);
        const std::string full = fullText();
        if (full.size() <= 64 * 1024) {
            EXPECT_TRUE(status.ok()) << count;
            EXPECT_EQ(written, full);
        } else {
            EXPECT_EQ(status.text(), "Disk full") << count;
            EXPECT_GT(written.size(), 0u);
            EXPECT_LT(written.size(), full.size());
            EXPECT_EQ(written, full.substr(0, written.size()));
        }
    }
    // Beside a file that fills the disk, another list says so and leaves that file alone.
    tree.remove(std::string("d/") + AutoName);
    tree.makeFile("d/filler", std::string(60 * 1024, 'x'));
    rows.rows.clear();
    addRows(2000);
    EXPECT_EQ(ListFileWriter::write("d:\\second.txt", rows).text(), "Disk full");
    EXPECT_EQ(tree.read("d/filler"), std::string(60 * 1024, 'x'));
}

TEST_F(SaveFaultTest, AReadOnlyFileSystemIsReportedAndTheOldFileStays)
{
    test::PrivateMount disk(tree.path("d"), "size=1m");
    if (!disk.mounted())
        GTEST_SKIP() << disk.reason();
    drives.map({ { 'c', tree.root() }, { 'd', tree.path("d") } });
    addRows(5);
    ASSERT_TRUE(ListFileWriter::saveList(true, Threshold, rows).ok());
    const std::string before = tree.read(std::string("d/") + AutoName);
    ASSERT_TRUE(disk.makeReadOnly());
    addRows(5);
    // Error 19, the write-protected medium, has no text of its own.
    EXPECT_EQ(ListFileWriter::saveList(true, Threshold, rows).text(), "I/O error 19");
    EXPECT_EQ(ListFileWriter::write("d:\\new.txt", rows).text(), "I/O error 19");
    EXPECT_EQ(tree.read(std::string("d/") + AutoName), before);
    EXPECT_FALSE(tree.exists("d/new.txt"));
}

// Root may write anywhere; a user may not. The save runs in a child with a plain user's ids.
TEST_F(SaveFaultTest, AFolderTheUserMayNotWriteIsReported)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to take on another user's ids";
    drives.map({ { 'c', tree.root() }, { 'd', tree.path("d") } });
    ASSERT_EQ(::chmod(tree.path("d").c_str(), 0755), 0);
    ASSERT_EQ(::chmod(tree.root().c_str(), 0755), 0);
    addRows(3);
    tree.makeFile(std::string("d/") + AutoName, "older list");
    const int result = test::runAs(65534, 65534, [&] {
        const platform::IoStatus save = ListFileWriter::saveList(true, Threshold, rows);
        const platform::IoStatus other = ListFileWriter::write("d:\\other.txt", rows);
        return save.text() == "File access denied" && other.text() == "File access denied" ? 0 : 1;
    });
    if (result == 125)
        GTEST_SKIP() << "the system refused to change the user";
    EXPECT_EQ(result, 0);
    EXPECT_EQ(tree.read(std::string("d/") + AutoName), "older list");
    EXPECT_FALSE(tree.exists("d/other.txt"));
}

} // namespace
} // namespace nuvero
