#include "results/FileCommands.h"
#include "platform/Platform.h"
#include "results/RowVector.h"
#include "results/ScriptedUi.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace nuvero {
namespace {

using test::Events;

class FileCommandsTest : public ::testing::Test {
protected:
    void SetUp() override { m_drives.map({ { 'c', m_tree.root() } }); }

    void addRow(const std::string& path, const std::string& name, bool dir = false) { m_rows.add(path, name, dir); }
    std::vector<std::string> names() const { return m_rows.names(); }

    test::TempTree m_tree;
    test::TestDrives m_drives;
    test::RowVector m_rows;
    test::ScriptedUi m_ui;
    FileCommands m_commands { m_rows, m_ui };
};

using Names = std::vector<std::string>;

// ---- Delete -----------------------------------------------------------------------------

// A folder row and a missing file fail the open test before any question; No changes
// nothing. The row stays in every case.
TEST_F(FileCommandsTest, DeleteThatRemovesNothing)
{
    m_tree.makeDir("Папка");
    m_tree.makeFile("data/a.txt", "keep");
    addRow("c:\\", "Папка", true);
    addRow("c:\\data", "gone.txt");
    addRow("c:\\data", "a.txt");
    m_ui.answers = { false };
    for (int row = 0; row < 3; ++row)
        m_commands.deleteFile(row);
    EXPECT_EQ(m_ui.events,
        (Events { "status c:\\\\Папка", "File I/O error.", "status c:\\data\\gone.txt", "File I/O error.",
            "status c:\\data\\a.txt", "confirm Erase c:\\data\\a.txt?" }));
    EXPECT_TRUE(m_tree.isDir("Папка"));
    EXPECT_EQ(m_tree.read("data/a.txt"), "keep");
    EXPECT_EQ(m_rows.size(), 3);
}

TEST_F(FileCommandsTest, DeleteAnsweredYesRemovesFileAndRow)
{
    m_tree.makeFile("data/a.txt");
    m_tree.makeFile("data/b.txt");
    addRow("c:\\data", "a.txt");
    addRow("c:\\data", "b.txt");
    m_ui.answers = { true };
    m_commands.deleteFile(1);
    EXPECT_EQ(m_ui.events, (Events { "status c:\\data\\b.txt", "confirm Erase c:\\data\\b.txt?" }));
    EXPECT_FALSE(m_tree.exists("data/b.txt"));
    EXPECT_TRUE(m_tree.exists("data/a.txt"));
    EXPECT_EQ(names(), (Names { "a.txt" }));
}

TEST_F(FileCommandsTest, DeleteInDriveRootAsksWithTwoSeparators)
{
    m_tree.makeFile("root.txt");
    addRow("c:\\", "root.txt");
    m_ui.answers = { true };
    m_commands.deleteFile(0);
    EXPECT_EQ(m_ui.events, (Events { "status c:\\\\root.txt", "confirm Erase c:\\\\root.txt?" }));
    EXPECT_FALSE(m_tree.exists("root.txt"));
    EXPECT_EQ(m_rows.size(), 0);
}

TEST_F(FileCommandsTest, CommandsWithoutASelectedRowDoNothing)
{
    m_tree.makeFile("Жук.txt");
    addRow("c:\\", "Жук.txt");
    m_commands.deleteFile(std::nullopt);
    m_commands.renameOne(std::nullopt);
    m_commands.deleteFile(5);
    EXPECT_TRUE(m_ui.events.empty());
    EXPECT_TRUE(m_tree.exists("Жук.txt"));
}

// ---- Rename one -------------------------------------------------------------------------

TEST_F(FileCommandsTest, RenameOneFileRow)
{
    m_tree.makeFile("work/Отчёт.doc", "report");
    addRow("c:\\work", "Отчёт.doc");
    m_ui.answers = { true };
    m_commands.renameOne(0);
    EXPECT_EQ(m_ui.events,
        (Events { "status c:\\work\\Отчёт.doc", "status Otchyot.doc",
            "confirm Rename c:\\work\\Отчёт.doc to Otchyot.doc ?" }));
    EXPECT_FALSE(m_tree.exists("work/Отчёт.doc"));
    EXPECT_EQ(m_tree.read("work/Otchyot.doc"), "report");
    EXPECT_EQ(m_rows.row(0).name, "Otchyot.doc");
    EXPECT_EQ(m_rows.row(0).pathText(), "c:\\work");
}

TEST_F(FileCommandsTest, RenameOneAnsweredNo)
{
    m_tree.makeFile("work/Отчёт.doc");
    addRow("c:\\work", "Отчёт.doc");
    m_ui.answers = { false };
    m_commands.renameOne(0);
    EXPECT_TRUE(m_tree.exists("work/Отчёт.doc"));
    EXPECT_FALSE(m_tree.exists("work/Otchyot.doc"));
    EXPECT_EQ(m_rows.row(0).name, "Отчёт.doc");
}

TEST_F(FileCommandsTest, RenameOneFolderRow)
{
    m_tree.makeFile("data/Папка/inside.txt", "x");
    addRow("c:\\data", "Папка", true);
    m_ui.answers = { true };
    m_commands.renameOne(0);
    // The question comes before any status text; the status shows the entered folder.
    EXPECT_EQ(m_ui.events, (Events { "confirm Rename c:\\data\\Папка to Papka ?", "status c:\\data\\Papka" }));
    EXPECT_FALSE(m_tree.exists("data/Папка"));
    EXPECT_EQ(m_tree.read("data/Papka/inside.txt"), "x");
    EXPECT_EQ(m_rows.row(0).name, "Papka");
}

TEST_F(FileCommandsTest, RenameOneFolderRowInDriveRoot)
{
    m_tree.makeDir("Ёлка");
    addRow("c:\\", "Ёлка", true);
    m_ui.answers = { true };
    m_commands.renameOne(0);
    ASSERT_EQ(m_ui.events.size(), 2U);
    EXPECT_EQ(m_ui.events[0], "confirm Rename c:\\\\Ёлка to YOlka ?");
    EXPECT_TRUE(m_tree.isDir("YOlka"));
    EXPECT_EQ(m_rows.row(0).name, "YOlka");
}

TEST_F(FileCommandsTest, RenameOneNeverReplacesAnExistingTarget)
{
    m_tree.makeFile("data/Жук.txt", "cyrillic");
    m_tree.makeFile("data/ZHuk.txt", "latin");
    m_tree.makeDir("data/Папка");
    m_tree.makeFile("data/Papka/keep.txt", "kept");
    addRow("c:\\data", "Жук.txt");
    addRow("c:\\data", "Папка", true);
    m_ui.answers = { true, true };
    m_commands.renameOne(0);
    m_commands.renameOne(1);
    EXPECT_EQ(m_ui.events,
        (Events { "status c:\\data\\Жук.txt", "status ZHuk.txt", "confirm Rename c:\\data\\Жук.txt to ZHuk.txt ?",
            "File I/O error.", "confirm Rename c:\\data\\Папка to Papka ?", "status c:\\data\\Papka",
            "File I/O error." }));
    EXPECT_EQ(m_tree.read("data/Жук.txt"), "cyrillic");
    EXPECT_EQ(m_tree.read("data/ZHuk.txt"), "latin");
    EXPECT_TRUE(m_tree.isDir("data/Папка"));
    EXPECT_EQ(m_tree.read("data/Papka/keep.txt"), "kept");
    EXPECT_EQ(names(), (Names { "Жук.txt", "Папка" }));

    // Signs only give an empty name: the target is the folder itself, which exists.
    m_tree.makeFile("data/ЪЬ", "signs");
    addRow("c:\\data", "ЪЬ");
    m_ui.events.clear();
    m_ui.answers = { true };
    m_commands.renameOne(2);
    EXPECT_EQ(m_ui.events.back(), "File I/O error.");
    EXPECT_EQ(m_tree.read("data/ЪЬ"), "signs");
    EXPECT_EQ(m_rows.row(2).name, "ЪЬ");
}

TEST_F(FileCommandsTest, RenameOneWithoutCyrillicLettersStillAsks)
{
    m_tree.makeFile("data/report_2004.txt", "r");
    addRow("c:\\data", "report_2004.txt");
    m_ui.answers = { true };
    m_commands.renameOne(0);
    EXPECT_EQ(m_ui.events,
        (Events { "status c:\\data\\report_2004.txt", "status report_2004.txt",
            "confirm Rename c:\\data\\report_2004.txt to report_2004.txt ?" }));
    EXPECT_EQ(m_tree.read("data/report_2004.txt"), "r");
    EXPECT_EQ(m_rows.row(0).name, "report_2004.txt");
}

TEST_F(FileCommandsTest, RenameOneFolderRowWhosePathIsGone)
{
    addRow("c:\\gone", "Папка", true);
    m_commands.renameOne(0);
    const platform::IoStatus expected = platform::enterFolder("c:\\gone");
    ASSERT_FALSE(expected.ok());
    EXPECT_EQ(m_ui.events, (Events { "general " + expected.text() }));
    EXPECT_EQ(m_rows.row(0).name, "Папка");
}

// ---- Rename all -------------------------------------------------------------------------

TEST_F(FileCommandsTest, RenameAllAnsweredNoOrOnAnEmptyList)
{
    m_ui.answers = { true };
    m_commands.renameAll();
    const std::string question
        = "confirm Are you sure to transliterate and rename all files and dirictories from the list? ";
    EXPECT_EQ(m_ui.events, (Events { question }));

    m_tree.makeFile("Жук.txt");
    addRow("c:\\", "Жук.txt");
    m_ui.events.clear();
    m_ui.answers = { false };
    m_commands.renameAll();
    EXPECT_EQ(m_ui.events, (Events { question }));
    EXPECT_TRUE(m_tree.exists("Жук.txt"));
}

// In search order a folder comes before what was found inside it: the folder gets its new
// name first, so the file inside can no longer be reached under its old Path.
TEST_F(FileCommandsTest, RenameAllInSearchOrder)
{
    m_tree.makeFile("Папка/Файл.txt", "f");
    m_tree.makeFile("Щётка.txt");
    addRow("c:\\", "Папка", true);
    addRow("c:\\Папка", "Файл.txt");
    addRow("c:\\", "Щётка.txt");
    m_ui.answers = { true, true };
    m_commands.renameAll();
    EXPECT_EQ(m_ui.events,
        (Events { "confirm Are you sure to transliterate and rename all files and dirictories from the list? ",
            "confirm Rename c:\\\\Папка to Papka ?", "status c:\\\\Papka", "status c:\\Папка\\Файл.txt",
            "status Fayl.txt", "File I/O error.", "status c:\\\\Щётка.txt", "status SCHyotka.txt" }));
    EXPECT_EQ(m_tree.read("Papka/Файл.txt"), "f");
    EXPECT_TRUE(m_tree.exists("SCHyotka.txt"));
    // The failed row still names the file as it is on disk.
    EXPECT_EQ(names(), (Names { "Papka", "Файл.txt", "SCHyotka.txt" }));
}

TEST_F(FileCommandsTest, RenameAllStopsAtAFolderRowWhosePathIsGone)
{
    m_tree.makeDir("Папка/Вложенная");
    m_tree.makeFile("Жук.txt");
    addRow("c:\\", "Папка", true);
    addRow("c:\\Папка", "Вложенная", true);
    addRow("c:\\", "Жук.txt");
    m_ui.answers = { true, true };
    m_commands.renameAll();
    const platform::IoStatus gone = platform::enterFolder("c:\\Папка");
    ASSERT_FALSE(gone.ok());
    ASSERT_EQ(m_ui.events.size(), 4U);
    EXPECT_EQ(m_ui.events.back(), "general " + gone.text());
    EXPECT_TRUE(m_tree.isDir("Papka/Вложенная"));
    EXPECT_TRUE(m_tree.exists("Жук.txt"));
    EXPECT_EQ(names(), (Names { "Papka", "Вложенная", "Жук.txt" }));
}

TEST_F(FileCommandsTest, RenameAllGoesOnAfterNoAndAfterFailures)
{
    m_tree.makeDir("Папка");
    m_tree.makeFile("Жук.txt", "new");
    m_tree.makeFile("ZHuk.txt", "old");
    m_tree.makeFile("Эхо.txt");
    addRow("c:\\", "Папка", true);
    addRow("c:\\", "Жук.txt");
    addRow("c:\\", "Эхо.txt");
    m_ui.answers = { true, false };
    m_commands.renameAll();
    EXPECT_TRUE(m_tree.isDir("Папка"));
    EXPECT_EQ(m_tree.read("Жук.txt"), "new");
    EXPECT_EQ(m_tree.read("ZHuk.txt"), "old");
    EXPECT_TRUE(m_tree.exists("Eho.txt"));
    EXPECT_EQ(names(), (Names { "Папка", "Жук.txt", "Eho.txt" }));
    EXPECT_EQ(std::count(m_ui.events.begin(), m_ui.events.end(), "File I/O error."), 1);
}

// ---- Rename Dir -------------------------------------------------------------------------

TEST_F(FileCommandsTest, RenameDir)
{
    m_tree.makeFile("data/Папка/x.txt", "x");
    m_commands.renameDir("c:\\data\\Папка");
    EXPECT_EQ(m_ui.events, (Events { "status c:\\data\\Папка      c:\\data\\Papka" }));
    EXPECT_EQ(m_tree.read("data/Papka/x.txt"), "x");

    m_ui.events.clear();
    m_commands.renameDir("");
    EXPECT_TRUE(m_ui.events.empty());
}

TEST_F(FileCommandsTest, RenameDirFailures)
{
    m_tree.makeDir("Родитель/Дочь");
    m_tree.makeDir("Ёж");
    m_tree.makeFile("YOzh/keep.txt", "kept");
    // The new path names a parent that does not exist.
    m_commands.renameDir("c:\\Родитель\\Дочь");
    // The new path exists already.
    m_commands.renameDir("c:\\Ёж");
    EXPECT_EQ(m_ui.events,
        (Events { "status c:\\Родитель\\Дочь      c:\\Roditel\\Doch", "File I/O error.", "status c:\\Ёж      c:\\YOzh",
            "File I/O error." }));
    EXPECT_TRUE(m_tree.isDir("Родитель/Дочь"));
    EXPECT_TRUE(m_tree.isDir("Ёж"));
    EXPECT_EQ(m_tree.read("YOzh/keep.txt"), "kept");
}

} // namespace
} // namespace nuvero
