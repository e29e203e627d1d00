#include "results/ResultsModel.h"
#include "results/FileCommands.h"
#include "results/ResultColumns.h"
#include "results/ScriptedUi.h"
#include "results/SortState.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

#include <QPersistentModelIndex>

namespace nuvero {
namespace {

using Names = std::vector<std::string>;
using test::makeRow;

Names names(const ResultsModel& model)
{
    Names out;
    for (int i = 0; i < model.size(); ++i)
        out.push_back(model.row(i).name);
    return out;
}

TEST(ResultsModel, CellsAndTheEditablePath)
{
    ResultsModel model;
    const SharedText shared = makeSharedText("c:\\data");
    model.appendRows({ makeRow(shared, "Отчёт.doc", "05.12.2026  07:03:09", "12 KBytes"), makeRow(shared, "two"),
        makeRow(makeSharedText("c:\\bad\xFF"), "Папка", {}, "0 KBytes", true) });
    const QStringList first = { "c:\\data", "Отчёт.doc", "05.12.2026  07:03:09", "12 KBytes", " " };
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(model.data(model.index(0, c)).toString(), first[c]);
        EXPECT_EQ(bool(model.flags(model.index(0, c)) & Qt::ItemIsEditable), c == 0) << c;
    }
    EXPECT_EQ(model.data(model.index(2, 4)).toString(), "DIR");
    // An edited Path belongs to its row only.
    EXPECT_TRUE(model.setData(model.index(1, 0), QString::fromUtf8("d:\\Новая")));
    EXPECT_EQ(model.row(1).fullPath(), "d:\\Новая\\two");
    EXPECT_EQ(model.row(0).pathText(), "c:\\data");
    // Committing an edit without a change keeps bytes that are not valid UTF-8.
    EXPECT_TRUE(model.setData(model.index(2, 0), model.data(model.index(2, 0), Qt::EditRole)));
    EXPECT_EQ(model.row(2).pathText(), "c:\\bad\xFF");
}

// Header clicks: one direction flag for all columns, flipped by every click (also on an
// empty list); a selection follows its row. The commands then work in the display order:
// sorted by Path descending, what lies inside a folder comes before the folder's own row,
// so renaming them all fails nowhere.
TEST(ResultsModel, HeaderClicksThenRenameAllInDisplayOrder)
{
    ResultsModel empty;
    SortState flipOnly;
    flipOnly.columnClicked(2, empty);
    EXPECT_TRUE(flipOnly.descending());

    test::TempTree tree;
    test::TestDrives drives;
    drives.map({ { 'c', tree.root() } });
    tree.makeFile("Папка/Вложенная/Щётка.txt", "deep");
    tree.makeFile("Папка/Файл.txt", "flat");
    ResultsModel model;
    model.appendRows({ makeRow(makeSharedText("c:\\"), "Папка", {}, "100 KBytes", true),
        makeRow(makeSharedText("c:\\Папка"), "Вложенная", {}, "20 KBytes", true),
        makeRow(makeSharedText("c:\\Папка"), "Файл.txt", {}, "3 KBytes"),
        makeRow(makeSharedText("c:\\Папка\\Вложенная"), "Щётка.txt", {}, "0 KBytes") });
    const QPersistentModelIndex selected(model.index(2, 1));
    SortState state;
    const struct {
        int column;
        Names order;
        int selectedRow;
    } steps[] = {
        { NameColumn, { "Щётка.txt", "Файл.txt", "Папка", "Вложенная" }, 1 }, // first click: descending
        { NameColumn, { "Вложенная", "Папка", "Файл.txt", "Щётка.txt" }, 2 },
        { SizeColumn, { "Файл.txt", "Вложенная", "Папка", "Щётка.txt" }, 0 }, // Size as text
        { PathColumn, { "Папка", "Файл.txt", "Вложенная", "Щётка.txt" }, 1 },
        { PathColumn, { "Щётка.txt", "Файл.txt", "Вложенная", "Папка" }, 1 },
    };
    for (const auto& s : steps) {
        state.columnClicked(s.column, model);
        EXPECT_EQ(names(model), s.order) << "column " << s.column;
        EXPECT_EQ(selected.row(), s.selectedRow);
    }
    test::ScriptedUi ui;
    ui.answers = { true, true, true };
    FileCommands(model, ui).renameAll();
    EXPECT_EQ(std::count(ui.events.begin(), ui.events.end(), "File I/O error."), 0);
    EXPECT_EQ(tree.read("Papka/Vlozhennaya/SCHyotka.txt") + tree.read("Papka/Fayl.txt"), "deepflat");
    EXPECT_EQ(names(model), (Names { "SCHyotka.txt", "Fayl.txt", "Vlozhennaya", "Papka" }));
}

} // namespace
} // namespace nuvero
