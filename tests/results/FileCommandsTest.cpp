#include "results/FileCommands.h"
#include "results/RowVector.h"
#include "results/ScriptedUi.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace nuvero {
namespace {

using test::Events;
using Names = std::vector<std::string>;

struct Row {
    std::string path;
    std::string name;
    bool dir = false;
};

// One run of the commands on drive C: mapped onto a fresh tree. Entries of `files` and
// `after` are "a/b/" for a folder, "a/b=content" for a file with that content, and in
// `after` "!a/b" for nothing of that name.
struct Case {
    const char* what;
    std::vector<std::string> files;
    std::vector<Row> rows;
    std::deque<bool> answers; // to the questions, in order
    std::function<void(FileCommands&)> run;
    Events events; // questions, status texts and error boxes, in order
    std::vector<std::string> after;
    Names names; // the list's Names afterwards
};

void PrintTo(const Case& c, std::ostream* out)
{
    *out << c.what;
}

const std::string RenameAllQuestion
    = "confirm Are you sure to transliterate and rename all files and dirictories from the list? ";

const Case Cases[] = {
    // ---- Delete: the open test comes first, only Yes deletes, and only the file asked about.
    { "a folder row and a missing file fail before any question; No keeps the file", { "Папка/", "data/a.txt=keep" },
        { { "c:\\", "Папка", true }, { "c:\\data", "gone.txt" }, { "c:\\data", "a.txt" } }, { false },
        [](FileCommands& c) {
            for (int row = 0; row < 3; ++row)
                c.deleteFile(row);
        },
        { "status c:\\\\Папка", "File I/O error.", "status c:\\data\\gone.txt", "File I/O error.",
            "status c:\\data\\a.txt", "confirm Erase c:\\data\\a.txt?" },
        { "Папка/", "data/a.txt=keep" }, { "Папка", "gone.txt", "a.txt" } },
    { "Yes removes that file and its row only", { "data/a.txt=a", "data/b.txt=b" },
        { { "c:\\data", "a.txt" }, { "c:\\data", "b.txt" } }, { true }, [](FileCommands& c) { c.deleteFile(1); },
        { "status c:\\data\\b.txt", "confirm Erase c:\\data\\b.txt?" }, { "!data/b.txt", "data/a.txt=a" },
        { "a.txt" } },
    { "a file in a drive root is named with two separators", { "root.txt=" }, { { "c:\\", "root.txt" } }, { true },
        [](FileCommands& c) { c.deleteFile(0); }, { "status c:\\\\root.txt", "confirm Erase c:\\\\root.txt?" },
        { "!root.txt" }, {} },
    { "no selected row, no command", { "Жук.txt=" }, { { "c:\\", "Жук.txt" } }, {},
        [](FileCommands& c) {
            c.deleteFile(std::nullopt);
            c.renameOne(std::nullopt);
            c.deleteFile(5);
            c.renameOne(-1);
        },
        {}, { "Жук.txt=" }, { "Жук.txt" } },

    // ---- Rename one
    { "a file row", { "work/Отчёт.doc=report" }, { { "c:\\work", "Отчёт.doc" } }, { true },
        [](FileCommands& c) { c.renameOne(0); },
        { "status c:\\work\\Отчёт.doc", "status Otchyot.doc", "confirm Rename c:\\work\\Отчёт.doc to Otchyot.doc ?" },
        { "!work/Отчёт.doc", "work/Otchyot.doc=report" }, { "Otchyot.doc" } },
    { "a file row answered No", { "work/Отчёт.doc=report" }, { { "c:\\work", "Отчёт.doc" } }, { false },
        [](FileCommands& c) { c.renameOne(0); },
        { "status c:\\work\\Отчёт.doc", "status Otchyot.doc", "confirm Rename c:\\work\\Отчёт.doc to Otchyot.doc ?" },
        { "work/Отчёт.doc=report", "!work/Otchyot.doc" }, { "Отчёт.doc" } },
    { "a name without Cyrillic letters still asks", { "data/report_2004.txt=r" }, { { "c:\\data", "report_2004.txt" } },
        { true }, [](FileCommands& c) { c.renameOne(0); },
        { "status c:\\data\\report_2004.txt", "status report_2004.txt",
            "confirm Rename c:\\data\\report_2004.txt to report_2004.txt ?" },
        { "data/report_2004.txt=r" }, { "report_2004.txt" } },
    { "a folder row: the question first, then the entered folder", { "data/Папка/inside.txt=x" },
        { { "c:\\data", "Папка", true } }, { true }, [](FileCommands& c) { c.renameOne(0); },
        { "confirm Rename c:\\data\\Папка to Papka ?", "status c:\\data\\Papka" },
        { "!data/Папка", "data/Papka/inside.txt=x" }, { "Papka" } },
    { "a folder row in a drive root", { "Ёлка/" }, { { "c:\\", "Ёлка", true } }, { true },
        [](FileCommands& c) { c.renameOne(0); }, { "confirm Rename c:\\\\Ёлка to YOlka ?", "status c:\\\\YOlka" },
        { "!Ёлка", "YOlka/" }, { "YOlka" } },
    { "never replaces a file, a folder, or the folder itself (a name of signs only)",
        { "data/Жук.txt=cyrillic", "data/ZHuk.txt=latin", "data/Папка/", "data/Papka/keep.txt=kept", "data/ЪЬ=signs" },
        { { "c:\\data", "Жук.txt" }, { "c:\\data", "Папка", true }, { "c:\\data", "ЪЬ" } }, { true, true, true },
        [](FileCommands& c) {
            for (int row = 0; row < 3; ++row)
                c.renameOne(row);
        },
        { "status c:\\data\\Жук.txt", "status ZHuk.txt", "confirm Rename c:\\data\\Жук.txt to ZHuk.txt ?",
            "File I/O error.", "confirm Rename c:\\data\\Папка to Papka ?", "status c:\\data\\Papka", "File I/O error.",
            "status c:\\data\\ЪЬ", "status ", "confirm Rename c:\\data\\ЪЬ to  ?", "File I/O error." },
        { "data/Жук.txt=cyrillic", "data/ZHuk.txt=latin", "data/Папка/", "data/Papka/keep.txt=kept", "data/ЪЬ=signs" },
        { "Жук.txt", "Папка", "ЪЬ" } },
    { "a folder row whose Path is gone goes to the general report", {}, { { "c:\\gone", "Папка", true } }, {},
        [](FileCommands& c) { c.renameOne(0); }, { "general File not found" }, {}, { "Папка" } },

    // ---- Rename all: one question, then every row in display order without asking files.
    { "all, on an empty list", {}, {}, { true }, [](FileCommands& c) { c.renameAll(); }, { RenameAllQuestion }, {},
        {} },
    { "all, answered No", { "Жук.txt=" }, { { "c:\\", "Жук.txt" } }, { false }, [](FileCommands& c) { c.renameAll(); },
        { RenameAllQuestion }, { "Жук.txt=" }, { "Жук.txt" } },
    // A folder comes before what was found inside it: once it has its new name, the file
    // inside is no longer reached under its old Path, and its row keeps naming it as it is.
    { "all, in search order", { "Папка/Файл.txt=f", "Щётка.txt=" },
        { { "c:\\", "Папка", true }, { "c:\\Папка", "Файл.txt" }, { "c:\\", "Щётка.txt" } }, { true, true },
        [](FileCommands& c) { c.renameAll(); },
        { RenameAllQuestion, "confirm Rename c:\\\\Папка to Papka ?", "status c:\\\\Papka",
            "status c:\\Папка\\Файл.txt", "status Fayl.txt", "File I/O error.", "status c:\\\\Щётка.txt",
            "status SCHyotka.txt" },
        { "Papka/Файл.txt=f", "SCHyotka.txt=", "!Щётка.txt" }, { "Papka", "Файл.txt", "SCHyotka.txt" } },
    { "all, stopped by a folder row whose Path is gone", { "Папка/Вложенная/", "Жук.txt=" },
        { { "c:\\", "Папка", true }, { "c:\\Папка", "Вложенная", true }, { "c:\\", "Жук.txt" } }, { true, true },
        [](FileCommands& c) { c.renameAll(); },
        { RenameAllQuestion, "confirm Rename c:\\\\Папка to Papka ?", "status c:\\\\Papka", "general File not found" },
        { "Papka/Вложенная/", "Жук.txt=" }, { "Papka", "Вложенная", "Жук.txt" } },
    { "all, going on after No and after a failure", { "Папка/", "Жук.txt=new", "ZHuk.txt=old", "Эхо.txt=" },
        { { "c:\\", "Папка", true }, { "c:\\", "Жук.txt" }, { "c:\\", "Эхо.txt" } }, { true, false },
        [](FileCommands& c) { c.renameAll(); },
        { RenameAllQuestion, "confirm Rename c:\\\\Папка to Papka ?", "status c:\\\\Жук.txt", "status ZHuk.txt",
            "File I/O error.", "status c:\\\\Эхо.txt", "status Eho.txt" },
        { "Папка/", "Жук.txt=new", "ZHuk.txt=old", "Eho.txt=", "!Эхо.txt" }, { "Папка", "Жук.txt", "Eho.txt" } },

    // ---- Rename Dir: the picker's folder, with no question.
    { "dir", { "data/Папка/x.txt=x" }, {}, {},
        [](FileCommands& c) {
            c.renameDir("c:\\data\\Папка");
            c.renameDir(""); // nothing chosen
        },
        { "status c:\\data\\Папка      c:\\data\\Papka" }, { "!data/Папка", "data/Papka/x.txt=x" }, {} },
    { "dir: a parent that does not exist, an existing target", { "Родитель/Дочь/", "Ёж/", "YOzh/keep.txt=kept" }, {},
        {},
        [](FileCommands& c) {
            c.renameDir("c:\\Родитель\\Дочь");
            c.renameDir("c:\\Ёж");
        },
        { "status c:\\Родитель\\Дочь      c:\\Roditel\\Doch", "File I/O error.", "status c:\\Ёж      c:\\YOzh",
            "File I/O error." },
        { "Родитель/Дочь/", "Ёж/", "YOzh/keep.txt=kept" }, {} },
};

class FileCommandsTest : public testing::TestWithParam<Case> { };

TEST_P(FileCommandsTest, Run)
{
    const Case& c = GetParam();
    SCOPED_TRACE(c.what);
    test::TempTree tree;
    test::TestDrives drives;
    drives.map({ { 'c', tree.root() } });
    for (const std::string& entry : c.files) {
        const auto equals = entry.find('=');
        if (equals == std::string::npos)
            tree.makeDir(entry);
        else
            tree.makeFile(entry.substr(0, equals), entry.substr(equals + 1));
    }
    test::RowVector rows;
    for (const Row& r : c.rows)
        rows.add(r.path, r.name, r.dir);
    test::ScriptedUi ui;
    ui.answers = c.answers;
    FileCommands commands(rows, ui);
    c.run(commands);

    EXPECT_EQ(ui.events, c.events);
    EXPECT_TRUE(ui.answers.empty()) << "questions not asked";
    EXPECT_EQ(rows.names(), c.names);
    for (const std::string& entry : c.after) {
        const auto equals = entry.find('=');
        if (entry[0] == '!')
            EXPECT_FALSE(tree.exists(entry.substr(1))) << entry;
        else if (equals == std::string::npos)
            EXPECT_TRUE(tree.isDir(entry)) << entry;
        else if (tree.exists(entry.substr(0, equals)))
            EXPECT_EQ(tree.read(entry.substr(0, equals)), entry.substr(equals + 1)) << entry;
        else
            ADD_FAILURE() << "missing: " << entry;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, FileCommandsTest, testing::ValuesIn(Cases));

} // namespace
} // namespace nuvero
