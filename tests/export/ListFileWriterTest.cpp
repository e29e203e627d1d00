#include "export/ListFileWriter.h"
#include "results/RowVector.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#ifdef _WIN32
#include "platform/win32/WindowsApi.h"
#endif

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace nuvero {
namespace {

TEST(ListFileWriter, NameColumn)
{
    struct Case {
        std::string path;
        int column;
        std::size_t spaces;
    };
    const std::vector<Case> cases = {
        { "", 50, 49 },
        { std::string(8, 'p'), 50, 41 },
        { std::string(39, 'p'), 50, 10 },
        { std::string(40, 'p'), 50, 9 },
        { std::string(41, 'p'), 60, 18 },
        { std::string(50, 'p'), 60, 9 },
        { std::string(51, 'p'), 70, 18 },
        { std::string(125, 'p'), 140, 14 },
        // Characters, not bytes: 8 Cyrillic letters are 16 bytes.
        { "c:\\Папка", 50, 41 },
        { "d:\\" + std::string(20, 'x') + "Документы\\Отчёты", 50, 10 },
        { "d:\\" + std::string(22, 'x') + "Документы\\Отчёты", 60, 18 },
        // An invalid byte counts as one character.
        { "c:\\\xFF\xFE" + std::string(35, 'x'), 50, 9 },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ListFileWriter::nameColumn(c.path), c.column) << c.path;
        std::string line;
        ListFileWriter::appendLine(line, c.path, "Name5");
        EXPECT_EQ(line, c.path + std::string(c.spaces, ' ') + "Name5 \r\n") << c.path;
    }
}

TEST(ListFileWriter, AutomaticFileName)
{
    struct Case {
        CalendarTime time;
        const char* name;
    };
    const std::vector<Case> cases = {
        { { 2026, 12, 4, 14, 30, 5, 0 }, "d:\\fls114 30 05_04 12 2026" },
        { { 2027, 3, 1, 9, 5, 7, 999 }, "d:\\fls109 05 07_01 03 2027" },
        { { 2000, 1, 31, 0, 0, 0, 0 }, "d:\\fls100 00 00_31 01 2000" },
        { { 2024, 2, 29, 23, 59, 59, 0 }, "d:\\fls123 59 59_29 02 2024" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(ListFileWriter::autoFileName(DateTime::fromCalendar(c.time)), c.name);
}

class ListFileWriterFiles : public ::testing::Test {
protected:
    void SetUp() override { m_list = std::string(1, m_drives.driveFor(m_tree)) + ":\\list.txt"; }

    test::TempTree m_tree;
    test::TestDrives m_drives;
    test::RowVector m_rows;
    std::string m_list;
};

// The file is created anew each time and holds exactly the rows, in list order: none,
// a few with odd bytes, and enough to be handed over in several pieces. Names are kept as
// bytes on Linux and written in the ANSI code page on Windows.
TEST_F(ListFileWriterFiles, WritesEveryRowInListOrder)
{
#ifdef _WIN32
    if (::GetACP() != 1251)
        GTEST_SKIP() << "needs the Russian ANSI code page 1251 (scripts/test-wine.sh sets it)";
    const std::string report = "\xCE\xF2\xF7\xB8\xF2.doc", other = "n??.txt", bad = "bad?";
#else
    const std::string report = "Отчёт.doc", other = "né日.txt", bad = "bad\xFF";
#endif
    m_tree.makeFile("list.txt", std::string(10000, '#'));
    EXPECT_TRUE(ListFileWriter::write(m_list, m_rows).ok());
    EXPECT_EQ(m_tree.read("list.txt"), "");

    m_rows.add("c:\\b", "Отчёт.doc");
    m_rows.add("c:\\", "né日.txt");
    m_rows.add("c:\\" + std::string(50, 'x'), "bad\xFF");
    const platform::IoStatus status = ListFileWriter::write(m_list, m_rows);
    EXPECT_TRUE(status.ok()) << status.text();
    EXPECT_EQ(m_tree.read("list.txt"),
        "c:\\b" + std::string(45, ' ') + report + " \r\n" + "c:\\" + std::string(46, ' ') + other + " \r\n" + "c:\\"
            + std::string(50, 'x') + std::string(16, ' ') + bad + " \r\n");

    std::string expected = m_tree.read("list.txt");
    for (int i = 0; i < 20000; ++i) {
        m_rows.add("c:\\folder" + std::to_string(i % 97), "file" + std::to_string(i));
        ListFileWriter::appendLine(expected, m_rows.rows.back().pathText(), m_rows.rows.back().name);
    }
    EXPECT_TRUE(ListFileWriter::write(m_list, m_rows).ok());
    EXPECT_TRUE(m_tree.read("list.txt") == expected); // about 1 MB: no dump of it on failure
}

#ifndef _WIN32
// Drive D: and a full device are mapped through the Linux drive table.
TEST_F(ListFileWriterFiles, AutomaticSave)
{
    m_tree.makeDir("d");
    m_drives.map({ { 'c', m_tree.root() }, { 'd', m_tree.path("d") } });
    m_rows.add("c:\\data", "a.txt");
    const DateTime threshold = DateTime::fromCalendar({ 2026, 12, 4, 14, 30, 5, 0 });

    EXPECT_TRUE(ListFileWriter::saveList(false, threshold, m_rows).ok());
    EXPECT_FALSE(m_tree.exists("d/fls114 30 05_04 12 2026"));

    EXPECT_TRUE(ListFileWriter::saveList(true, threshold, m_rows).ok());
    EXPECT_EQ(m_tree.read("d/fls114 30 05_04 12 2026"), "c:\\data" + std::string(42, ' ') + "a.txt \r\n");

    // The same threshold again replaces the file.
    m_rows.rows.clear();
    EXPECT_TRUE(ListFileWriter::saveList(true, threshold, m_rows).ok());
    EXPECT_EQ(m_tree.read("d/fls114 30 05_04 12 2026"), "");
    // A failed save names the platform's error (each call's codes are the platform's tests).
    m_drives.map({ { 'c', m_tree.root() } });
    EXPECT_EQ(ListFileWriter::saveList(true, threshold, m_rows).text(), "Invalid filename"); // no drive D:
}

// A device that accepts the file but no bytes: a full disk, for real. Small lists fail when
// the file is closed, big ones while writing; both report it.
TEST_F(ListFileWriterFiles, DiskFullIsReported)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    m_drives.map({ { 'c', m_tree.root() }, { 'x', "/dev" } });
    for (const int count : { 1, 30000 }) {
        m_rows.rows.clear();
        for (int i = 0; i < count; ++i)
            m_rows.add("c:\\data", "file" + std::to_string(i));
        EXPECT_EQ(ListFileWriter::write("x:\\full", m_rows).text(), "Disk full") << count;
    }
}

#endif

} // namespace
} // namespace nuvero
