// Delete and rename on rows whose file changed since the search, or changes while the
// question is open; and rename ALL where names meet. Only the file asked about is ever
// touched, or a clear error says why nothing changed; no file is ever replaced.
#include "FaultSupport.h"

#include "platform/Platform.h"
#include "results/FileCommands.h"
#include "results/RowVector.h"
#include "results/ScriptedUi.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

namespace nuvero {
namespace {

using Names = std::vector<std::string>;
using Files = std::map<std::string, std::string>; // host path below the tree -> content ("/" for a folder)

// Answers like ScriptedUi, and first runs the test's change while the question is open.
class ChangingUi : public test::ScriptedUi {
public:
    std::function<void()> whileAsking;

    bool confirm(const std::string& text) override
    {
        if (whileAsking)
            std::exchange(whileAsking, nullptr)();
        return ScriptedUi::confirm(text);
    }
};

// Everything in a host folder and below, without following links (a link shows as "link").
Files snapshot(const test::TempTree& tree, const std::string& relative = "")
{
    Files files;
    for (const std::string& name : test::hostNames(tree.path(relative))) {
        const std::string path = relative.empty() ? name : relative + "/" + name;
        char target[16];
        if (::readlink(tree.path(path).c_str(), target, sizeof target) >= 0) {
            files[path] = "link";
        } else if (tree.isDir(path)) {
            files[path] = "/";
            files.merge(snapshot(tree, path));
        } else {
            files[path] = tree.read(path);
        }
    }
    return files;
}

enum class Command { Delete, Rename };

struct ChangedRowCase {
    const char* name;
    Command command;
    // Changes the tree after the search found data/Файл.txt (content "found"); the outside
    // tree holds Файл.txt and victim.txt that no command may ever touch.
    std::function<void(const test::TempTree& tree, const std::string& outside)> change;
    bool whileAsking; // the change happens while the question is open, not before
    Names events; // what the command shows, after the status texts
    // Expected tree after the command, as differences from the tree after the change:
    // removed paths and added (path, content).
    std::vector<std::string> gone;
    Files added;
};

void PrintTo(const ChangedRowCase& c, std::ostream* out)
{
    *out << c.name;
}

class ChangedRowTest : public ::testing::TestWithParam<ChangedRowCase> {
protected:
    void SetUp() override { drives.map({ { 'c', tree.root() } }); }

    test::TempTree tree;
    test::TempTree outside;
    test::TestDrives drives;
    test::RowVector rows;
    ChangingUi ui;
};

const std::string Erase = "confirm Erase c:\\data\\Файл.txt?";
const std::string Rename = "confirm Rename c:\\data\\Файл.txt to Fayl.txt ?";
const std::string IoError = "File I/O error.";

TEST_P(ChangedRowTest, OnlyTheAskedFileIsTouchedOrNothingIs)
{
    const ChangedRowCase& c = GetParam();
    tree.makeFile("data/Файл.txt", "found");
    tree.makeFile("data/sibling.txt", "sibling");
    outside.makeFile("Файл.txt", "outside");
    outside.makeFile("victim.txt", "victim");
    rows.add("c:\\data", "Файл.txt");
    const Files outsideBefore = snapshot(outside);

    Files expected;
    const auto change = [&] {
        c.change(tree, outside.root());
        expected = snapshot(tree);
        for (const std::string& path : c.gone)
            expected.erase(path);
        for (const auto& [path, content] : c.added)
            expected[path] = content;
    };
    if (c.whileAsking)
        ui.whileAsking = change;
    else
        change();

    ui.answers = { true };
    FileCommands commands(rows, ui);
    if (c.command == Command::Delete)
        commands.deleteFile(0);
    else
        commands.renameOne(0);
    Names shown;
    for (const std::string& event : ui.events) {
        if (event.rfind("status ", 0) != 0)
            shown.push_back(event);
    }
    EXPECT_EQ(shown, c.events);
    EXPECT_EQ(snapshot(tree), expected);
    // The row follows the file only when the command did its work.
    const bool done = std::find(shown.begin(), shown.end(), IoError) == shown.end();
    if (c.command == Command::Delete)
        EXPECT_EQ(rows.size(), done ? 0 : 1);
    else
        EXPECT_EQ(rows.names(), (Names { done ? "Fayl.txt" : "Файл.txt" }));
    EXPECT_EQ(snapshot(outside), outsideBefore) << "nothing outside the drive is touched";
    ui.answers.clear();
}

void removeFile(const test::TempTree& t, const std::string&)
{
    t.remove("data/Файл.txt");
}
void makeFolder(const test::TempTree& t, const std::string& o)
{
    removeFile(t, o);
    t.makeFile("data/Файл.txt/inner.txt", "inner");
}
void makeOtherFile(const test::TempTree& t, const std::string& o)
{
    removeFile(t, o);
    t.makeFile("data/Файл.txt", "another");
}
void makeLinkToFile(const test::TempTree& t, const std::string& o)
{
    removeFile(t, o);
    t.makeSymlink("data/Файл.txt", o + "/victim.txt");
}
void makeLinkToFolder(const test::TempTree& t, const std::string& o)
{
    removeFile(t, o);
    t.makeSymlink("data/Файл.txt", o);
}
// The row's folder itself becomes a link to a folder that holds a file of the row's name.
void makeFolderALink(const test::TempTree& t, const std::string& o)
{
    t.remove("data");
    t.makeSymlink("data", o);
}

INSTANTIATE_TEST_SUITE_P(Rows, ChangedRowTest,
    ::testing::Values(
        // Before the command.
        ChangedRowCase { "DeleteGone", Command::Delete, removeFile, false, { IoError }, {}, {} },
        ChangedRowCase { "DeleteNowAFolder", Command::Delete, makeFolder, false, { IoError }, {}, {} },
        ChangedRowCase {
            "DeleteAnotherFile", Command::Delete, makeOtherFile, false, { Erase }, { "data/Файл.txt" }, {} },
        ChangedRowCase { "DeleteLinkToAFile", Command::Delete, makeLinkToFile, false, { IoError }, {}, {} },
        ChangedRowCase { "DeleteLinkToAFolder", Command::Delete, makeLinkToFolder, false, { IoError }, {}, {} },
        ChangedRowCase { "DeleteFolderBecameALink", Command::Delete, makeFolderALink, false, { IoError }, {}, {} },
        ChangedRowCase { "RenameGone", Command::Rename, removeFile, false, { Rename, IoError }, {}, {} },
        ChangedRowCase { "RenameNowAFolder", Command::Rename, makeFolder, false, { Rename },
            { "data/Файл.txt", "data/Файл.txt/inner.txt" },
            { { "data/Fayl.txt", "/" }, { "data/Fayl.txt/inner.txt", "inner" } } },
        ChangedRowCase { "RenameAnotherFile", Command::Rename, makeOtherFile, false, { Rename }, { "data/Файл.txt" },
            { { "data/Fayl.txt", "another" } } },
        ChangedRowCase { "RenameLinkToAFile", Command::Rename, makeLinkToFile, false, { Rename }, { "data/Файл.txt" },
            { { "data/Fayl.txt", "link" } } },
        ChangedRowCase {
            "RenameFolderBecameALink", Command::Rename, makeFolderALink, false, { Rename, IoError }, {}, {} },
        // While the question is open.
        ChangedRowCase { "DeleteGoneWhileAsking", Command::Delete, removeFile, true, { Erase, IoError }, {}, {} },
        ChangedRowCase { "DeleteNowAFolderWhileAsking", Command::Delete, makeFolder, true, { Erase, IoError }, {}, {} },
        ChangedRowCase {
            "DeleteFolderBecameALinkWhileAsking", Command::Delete, makeFolderALink, true, { Erase, IoError }, {}, {} },
        ChangedRowCase {
            "RenameFolderBecameALinkWhileAsking", Command::Rename, makeFolderALink, true, { Rename, IoError }, {}, {} },
        ChangedRowCase { "RenameTargetAppearsWhileAsking", Command::Rename,
            [](const test::TempTree& t, const std::string&) { t.makeFile("data/Fayl.txt", "came meanwhile"); }, true,
            { Rename, IoError }, {}, {} }),
    [](const ::testing::TestParamInfo<ChangedRowCase>& info) { return std::string(info.param.name); });

// ---- rename ALL where names meet -------------------------------------------------------------

class RenameAllCollisionTest : public ::testing::Test {
protected:
    void SetUp() override { drives.map({ { 'c', tree.root() } }); }

    test::TempTree tree;
    test::TestDrives drives;
    test::RowVector rows;
    test::ScriptedUi ui;
    FileCommands commands { rows, ui };
};

// "Ель" and "Эль" both become "El": the first takes the name, the second fails and stays
// as it is, and neither file loses a byte. The same for folders, and for a file whose new
// name is that of a file the list does not hold.
TEST_F(RenameAllCollisionTest, TheSecondOfTwoEqualNewNamesFailsAndNothingIsReplaced)
{
    tree.makeFile("Ель.txt", "spruce");
    tree.makeFile("Эль.txt", "ale");
    tree.makeFile("sub/Жук", "beetle");
    tree.makeFile("sub/ZHuk", "already there");
    tree.makeFile("Ёж/a.txt", "hedgehog");
    tree.makeFile("Йож/b.txt", "other");
    tree.makeFile("YOzh/c.txt", "latin");
    rows.add("c:\\", "Ель.txt");
    rows.add("c:\\", "Эль.txt");
    rows.add("c:\\sub", "Жук");
    rows.add("c:\\", "Ёж", true);
    rows.add("c:\\", "Йож", true);
    ui.answers = { true, true, true };
    commands.renameAll();

    EXPECT_EQ(snapshot(tree),
        (Files { { "El.txt", "spruce" }, { "Эль.txt", "ale" }, { "sub", "/" }, { "sub/Жук", "beetle" },
            { "sub/ZHuk", "already there" }, { "Ёж", "/" }, { "Ёж/a.txt", "hedgehog" }, { "Yozh", "/" },
            { "Yozh/b.txt", "other" }, { "YOzh", "/" }, { "YOzh/c.txt", "latin" } }));
    EXPECT_EQ(std::count(ui.events.begin(), ui.events.end(), "File I/O error."), 3);
    // The rows name the files as they now are.
    EXPECT_EQ(rows.names(), (Names { "El.txt", "Эль.txt", "Жук", "Ёж", "Yozh" }));
}

// The same name twice in the list (two searches appended their rows): the second row's
// file is already renamed, so its rename fails and changes nothing.
TEST_F(RenameAllCollisionTest, ARowListedTwiceIsRenamedOnce)
{
    tree.makeFile("Дом.txt", "house");
    rows.add("c:\\", "Дом.txt");
    rows.add("c:\\", "Дом.txt");
    ui.answers = { true };
    commands.renameAll();
    EXPECT_EQ(snapshot(tree), (Files { { "Dom.txt", "house" } }));
    EXPECT_EQ(rows.names(), (Names { "Dom.txt", "Дом.txt" }));
    EXPECT_EQ(ui.events.back(), "File I/O error.");
}

} // namespace
} // namespace nuvero
