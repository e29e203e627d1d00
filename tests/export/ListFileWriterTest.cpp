#include "export/ListFileWriter.h"
#include "results/RowVector.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#ifdef _WIN32
#include "platform/win32/WindowsApi.h"
#else
#include <chrono>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

namespace nuvero {
namespace {

// The file is made anew each time and holds exactly the rows, in list order: none, a few
// with odd bytes, and enough to be handed over in several pieces. Text is kept as bytes on
// Linux and written in the ANSI code page on Windows. The Name starts at column 50, 60,
// ... at least ten past the Path, counted in characters (a byte that is none counts one).
TEST(ListFileWriter, WritesEveryRowInListOrder)
{
#ifdef _WIN32
    if (::GetACP() != 1251)
        GTEST_SKIP() << "needs the Russian ANSI code page 1251 (scripts/test-wine.sh sets it)";
    const std::string report = "\xCE\xF2\xF7\xB8\xF2.doc", other = "n??.txt", bad = "bad?",
                      folder = "\xCF\xE0\xEF\xEA\xE0", ff = "?";
#else
    const std::string report = "Отчёт.doc", other = "né日.txt", bad = "bad\xFF", folder = "Папка", ff = "\xFF";
#endif
    test::TempTree tree;
    test::TestDrives drives;
    test::RowVector rows;
    const std::string list = std::string(1, drives.driveFor(tree)) + ":\\list.txt";
    tree.makeFile("list.txt", std::string(10000, '#'));
    EXPECT_TRUE(ListFileWriter::write(list, rows).ok());
    EXPECT_EQ(tree.read("list.txt"), "");

    const std::string x32(32, 'x');
    rows.add("c:\\b", "Отчёт.doc");
    rows.add("c:\\Папка" + x32, "né日.txt"); // 40 characters
    rows.add("c:\\\xFF" + x32 + "xxxxx", "bad\xFF"); // 41
    rows.add("c:\\" + x32 + x32.substr(17), "n"); // 50
    EXPECT_TRUE(ListFileWriter::write(list, rows).ok());
    EXPECT_EQ(tree.read("list.txt"),
        "c:\\b" + std::string(45, ' ') + report + " \r\n" + "c:\\" + folder + x32 + std::string(9, ' ') + other
            + " \r\nc:\\" + ff + x32 + "xxxxx" + std::string(18, ' ') + bad + " \r\nc:\\" + x32 + x32.substr(17)
            + std::string(9, ' ') + "n \r\n");

    std::string expected = tree.read("list.txt");
    for (int i = 0; i < 40000; ++i) { // over a MiB: the list and the file's buffer go out in pieces
        rows.add("c:\\folder" + std::to_string(i % 97), "file" + std::to_string(i));
        ListFileWriter::appendLine(expected, rows.rows.back().pathText(), rows.rows.back().name);
    }
    EXPECT_TRUE(ListFileWriter::write(list, rows).ok());
    EXPECT_TRUE(tree.read("list.txt") == expected); // no dump of it on failure
}

#ifndef _WIN32
// A list that cannot be written says why and never waits: a folder in the file's place
// (whose contents stay), a pipe nobody reads, a full device while the list is going out.
TEST(ListFileWriter, SaysWhyItCannotWriteAndNeverWaits)
{
    test::TempTree tree;
    test::TestDrives drives;
    drives.map({ { 'c', tree.root() }, { 'x', "/dev" } });
    tree.makeFile("folder/inside.txt", "kept");
    ASSERT_EQ(::mkfifo(tree.path("pipe").c_str(), 0644), 0);
    test::RowVector rows;
    for (int i = 0; i < 30000; ++i)
        rows.add("c:\\folder\\with\\a\\longer\\path" + std::to_string(i % 97), "file" + std::to_string(i));
    const std::pair<const char*, const char*> cases[]
        = { { "c:\\folder", "File access denied" }, { "c:\\pipe", "I/O error 31" }, { "x:\\full", "Disk full" } };
    for (const auto& [target, text] : cases) {
        auto saving = std::async(std::launch::async, [&] { return ListFileWriter::write(target, rows).text(); });
        if (saving.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
            ADD_FAILURE() << target << ": the save waits";
            // Become the pipe's reader until the save is done, so that it can end.
            const int reader = ::open(tree.path("pipe").c_str(), O_RDONLY | O_NONBLOCK);
            for (char sink[4096]; saving.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready;)
                (void)!::read(reader, sink, sizeof sink);
        }
        EXPECT_EQ(saving.get(), text) << target;
    }
    EXPECT_EQ(tree.read("folder/inside.txt"), "kept");
}
#endif

} // namespace
} // namespace nuvero
