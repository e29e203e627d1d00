// Delete, rename one, rename all and rename dir on drive C: mapped onto a real tree,
// including rows whose entry changed since the search or changes while a question is up.
// Only the entry asked about is ever touched, nothing is ever replaced, and nothing outside
// the drive (where links lead) changes.
#include "results/FileCommands.h"
#include "results/ScriptedUi.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace nuvero {
namespace {

using Texts = std::vector<std::string>;

// Entries of `files`, `asking` and `after` are "a/b/" for a folder, "a/b=text" for a file,
// "a/b@x" for a link to x in the outside tree, "-a/b" for removing (in `after`: nothing
// of that name). Rows are "path|name", a trailing "/" for a folder. `run` holds commands:
// dN or rN deletes or renames row N (d- and r- with no row), "all", "dir:PATH".
struct Case {
    const char* what;
    Texts files;
    Texts rows;
    std::deque<bool> answers;
    std::string run;
    Texts events; // without "status " lines unless the case lists some
    Texts after;
    Texts names; // of the rows afterwards
    std::vector<Texts> asking = {}; // changes made while question N is up
};

void PrintTo(const Case& c, std::ostream* out)
{
    *out << c.what;
}

const std::string All = "confirm Are you sure to transliterate and rename all files and dirictories from the list? ";
const std::string Io = "File I/O error.";

const Case Cases[] = {
    { "delete: open test first, only Yes deletes", { "Папка/", "data/a.txt=keep", "data/b.txt=b", "root.txt=" },
        { "c:\\|Папка/", "c:\\data|gone.txt", "c:\\data|a.txt", "c:\\data|b.txt", "c:\\|root.txt" },
        { false, true, true }, "d- r- d5 r-1 d0 d1 d2 d3 d3",
        { "status c:\\\\Папка", Io, "status c:\\data\\gone.txt", Io, "status c:\\data\\a.txt",
            "confirm Erase c:\\data\\a.txt?", "status c:\\data\\b.txt", "confirm Erase c:\\data\\b.txt?",
            "status c:\\\\root.txt", "confirm Erase c:\\\\root.txt?" },
        { "Папка/", "data/a.txt=keep", "-data/b.txt", "-root.txt" }, { "Папка", "gone.txt", "a.txt" } },
    { "delete: the entry changed since the search",
        { "data/Ж2/inner.txt=inner", "data/Ж3@victim.txt", "data/Ж4@", "link@" },
        { "c:\\data|Ж1", "c:\\data|Ж2", "c:\\data|Ж3", "c:\\data|Ж4", "c:\\link|Ж.txt" }, {}, "d0 d1 d2 d3 d4",
        { Io, Io, Io, Io, Io }, { "data/Ж2/inner.txt=inner", "data/Ж3@victim.txt", "data/Ж4@", "link@" },
        { "Ж1", "Ж2", "Ж3", "Ж4", "Ж.txt" } },
    { "delete: the entry changes while the question is up", { "a/Ж=a", "b/Ж=b", "c/Ж=c" },
        { "c:\\a|Ж", "c:\\b|Ж", "c:\\c|Ж" }, { true, true, true }, "d0 d1 d2",
        { "confirm Erase c:\\a\\Ж?", Io, "confirm Erase c:\\b\\Ж?", Io, "confirm Erase c:\\c\\Ж?", Io },
        { "-a/Ж", "b/Ж/", "c@" }, { "Ж", "Ж", "Ж" }, { { "-a/Ж" }, { "-b/Ж", "b/Ж/" }, { "-c", "c@" } } },
    { "rename one: files and folders, Yes and No",
        { "work/Отчёт.doc=report", "work/Щётка=s", "data/report_2004.txt=r", "data/Папка/in=x", "Ёлка/" },
        { "c:\\work|Отчёт.doc", "c:\\work|Щётка", "c:\\data|report_2004.txt", "c:\\data|Папка/", "c:\\|Ёлка/" },
        { true, false, true, true, true }, "r0 r1 r2 r3 r4",
        { "status c:\\work\\Отчёт.doc", "status Otchyot.doc", "confirm Rename c:\\work\\Отчёт.doc to Otchyot.doc ?",
            "status c:\\work\\Щётка", "status SCHyotka", "confirm Rename c:\\work\\Щётка to SCHyotka ?",
            "status c:\\data\\report_2004.txt", "status report_2004.txt",
            "confirm Rename c:\\data\\report_2004.txt to report_2004.txt ?",
            "confirm Rename c:\\data\\Папка to Papka ?", "status c:\\data\\Papka",
            "confirm Rename c:\\\\Ёлка to YOlka ?", "status c:\\\\YOlka" },
        { "-work/Отчёт.doc", "work/Otchyot.doc=report", "work/Щётка=s", "-work/SCHyotka", "data/report_2004.txt=r",
            "-data/Папка", "data/Papka/in=x", "-Ёлка", "YOlka/" },
        { "Otchyot.doc", "Щётка", "report_2004.txt", "Papka", "YOlka" } },
    { "rename one never replaces; a gone folder is a general error",
        { "data/Жук=cyrillic", "data/ZHuk=latin", "data/Папка/", "data/Papka/keep=kept", "data/ЪЬ=signs" },
        { "c:\\data|Жук", "c:\\data|Папка/", "c:\\data|ЪЬ", "c:\\gone|Папка/" }, { true, true, true }, "r0 r1 r2 r3",
        { "confirm Rename c:\\data\\Жук to ZHuk ?", Io, "confirm Rename c:\\data\\Папка to Papka ?", Io,
            "confirm Rename c:\\data\\ЪЬ to  ?", Io, "general File not found" },
        { "data/Жук=cyrillic", "data/ZHuk=latin", "data/Папка/", "data/Papka/keep=kept", "data/ЪЬ=signs" },
        { "Жук", "Папка", "ЪЬ", "Папка" } },
    { "rename one: the entry changed since the search", { "data/Ж2/inner=inner", "data/Ж3@victim.txt", "link@" },
        { "c:\\data|Ж1", "c:\\data|Ж2", "c:\\data|Ж3", "c:\\link|Ж.txt" }, { true, true, true, true }, "r0 r1 r2 r3",
        { "confirm Rename c:\\data\\Ж1 to ZH1 ?", Io, "confirm Rename c:\\data\\Ж2 to ZH2 ?",
            "confirm Rename c:\\data\\Ж3 to ZH3 ?", "confirm Rename c:\\link\\Ж.txt to ZH.txt ?", Io },
        { "-data/Ж2", "data/ZH2/inner=inner", "-data/Ж3", "data/ZH3@victim.txt", "link@" },
        { "Ж1", "ZH2", "ZH3", "Ж.txt" } },
    { "rename one: a link or the new name appears while the question is up", { "a/Ж=a", "c/Ж=c" },
        { "c:\\c|Ж.txt", "c:\\a|Ж" }, { true, true }, "r0 r1",
        { "confirm Rename c:\\c\\Ж.txt to ZH.txt ?", Io, "confirm Rename c:\\a\\Ж to ZH ?", Io },
        { "a/Ж=a", "a/ZH=came", "c@" }, { "Ж.txt", "Ж" }, { { "-c", "c@" }, { "a/ZH=came" } } },
    // A folder comes before what was found inside it: once renamed, the file inside is no
    // longer reached under its old Path and its row keeps naming it as it is.
    { "rename all: in list order, on after No and failures", { "Папка/Файл=f", "Дом/", "Жук=new", "ZHuk=old", "Эхо=" },
        { "c:\\|Папка/", "c:\\Папка|Файл", "c:\\|Дом/", "c:\\|Жук", "c:\\|Эхо" }, { true, true, false }, "all",
        { All, "confirm Rename c:\\\\Папка to Papka ?", "status c:\\\\Papka", "status c:\\Папка\\Файл", "status Fayl",
            Io, "confirm Rename c:\\\\Дом to Dom ?", "status c:\\\\Жук", "status ZHuk", Io, "status c:\\\\Эхо",
            "status Eho" },
        { "Papka/Файл=f", "Дом/", "Жук=new", "ZHuk=old", "Eho=", "-Эхо" }, { "Papka", "Файл", "Дом", "Жук", "Eho" } },
    { "rename all: equal new names, a row listed twice",
        { "Ель=spruce", "Эль=ale", "Ёж/a=1", "Йож/b=2", "YOzh/c=3", "Дом=house" },
        { "c:\\|Ель", "c:\\|Эль", "c:\\|Ёж/", "c:\\|Йож/", "c:\\|Дом", "c:\\|Дом" }, { true, true, true }, "all",
        { All, Io, "confirm Rename c:\\\\Ёж to YOzh ?", Io, "confirm Rename c:\\\\Йож to Yozh ?", Io },
        { "El=spruce", "Эль=ale", "Ёж/a=1", "Yozh/b=2", "YOzh/c=3", "Dom=house", "-Дом" },
        { "El", "Эль", "Ёж", "Yozh", "Dom", "Дом" } },
    { "rename all: answered No", { "Жук=" }, { "c:\\|Жук" }, { false }, "all", { All }, { "Жук=" }, { "Жук" } },
    { "rename all: stopped by a folder whose Path is gone", { "Папка/Вложенная/", "Жук=" },
        { "c:\\|Папка/", "c:\\Папка|Вложенная/", "c:\\|Жук" }, { true, true }, "all",
        { All, "confirm Rename c:\\\\Папка to Papka ?", "general File not found" }, { "Papka/Вложенная/", "Жук=" },
        { "Papka", "Вложенная", "Жук" } },
    { "rename dir: no question; a missing parent or an existing target fails",
        { "data/Папка/x=x", "Родитель/Дочь/", "Ёж/", "YOzh/keep=kept" }, {}, {},
        "dir:c:\\data\\Папка dir: dir:c:\\Родитель\\Дочь dir:c:\\Ёж",
        { "status c:\\data\\Папка      c:\\data\\Papka", "status c:\\Родитель\\Дочь      c:\\Roditel\\Doch", Io,
            "status c:\\Ёж      c:\\YOzh", Io },
        { "-data/Папка", "data/Papka/x=x", "Родитель/Дочь/", "Ёж/", "YOzh/keep=kept" }, {} },
};

class FileCommandsTest : public testing::TestWithParam<Case> {
protected:
    void apply(const Texts& entries)
    {
        for (const std::string& e : entries) {
            const auto at = e.find_first_of("=@");
            if (e[0] == '-')
                tree.remove(e.substr(1));
            else if (at == std::string::npos)
                tree.makeDir(e);
            else if (e[at] == '=')
                tree.makeFile(e.substr(0, at), e.substr(at + 1));
            else
                tree.makeSymlink(e.substr(0, at), outside.path(e.substr(at + 1)));
        }
    }

    test::TempTree tree;
    test::TempTree outside;
};

TEST_P(FileCommandsTest, Run)
{
    const Case& c = GetParam();
    test::TestDrives drives;
    drives.map({ { 'c', tree.root() } });
    outside.makeFile("Ж.txt", "outside");
    outside.makeFile("victim.txt", "victim");
    apply(c.files);
    test::RowVector rows;
    for (const std::string& r : c.rows) {
        const auto bar = r.find('|');
        rows.add(r.substr(0, bar), r.substr(bar + 1, r.size() - bar - 1 - (r.back() == '/')), r.back() == '/');
    }
    test::ScriptedUi ui;
    ui.answers = c.answers;
    ui.whileAsking = [&](int n) {
        if (n < static_cast<int>(c.asking.size()))
            apply(c.asking[static_cast<std::size_t>(n)]);
    };
    FileCommands commands(rows, ui);
    std::istringstream script(c.run);
    for (std::string op; script >> op;) {
        const auto row
            = [&op] { return op == "d-" || op == "r-" ? std::nullopt : std::optional(std::stoi(op.substr(1))); };
        if (op == "all")
            commands.renameAll();
        else if (op.starts_with("dir:"))
            commands.renameDir(op.substr(4));
        else if (op[0] == 'd')
            commands.deleteFile(row());
        else
            commands.renameOne(row());
    }

    const bool statuses
        = std::any_of(c.events.begin(), c.events.end(), [](auto& e) { return e.starts_with("status "); });
    std::erase_if(ui.events, [&](const std::string& e) { return !statuses && e.starts_with("status "); });
    EXPECT_EQ(ui.events, c.events);
    EXPECT_TRUE(ui.answers.empty()) << "questions not asked";
    EXPECT_EQ(rows.names(), c.names);
    for (const std::string& e : c.after) {
        const auto at = e.find_first_of("=@");
        const std::string name = e.substr(e[0] == '-', at);
        if (e[0] == '-' || at == std::string::npos)
            EXPECT_TRUE(e[0] == '-' ? !tree.exists(name) : tree.isDir(name)) << e;
        else if (e[at] == '@')
            EXPECT_EQ(std::filesystem::read_symlink(tree.path(name)).string(), outside.path(e.substr(at + 1))) << e;
        else
            EXPECT_TRUE(tree.exists(name) && tree.read(name) == e.substr(at + 1)) << e;
    }
    EXPECT_EQ(outside.read("Ж.txt") + outside.read("victim.txt"), "outsidevictim");
}

INSTANTIATE_TEST_SUITE_P(Table, FileCommandsTest, testing::ValuesIn(Cases));

} // namespace
} // namespace nuvero
