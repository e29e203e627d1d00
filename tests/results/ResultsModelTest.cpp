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

// Header clicks: one direction flag for all columns, flipped by every click; a selection follows its row. The commands
// then work in the display order: sorted by Path descending, what lies inside a folder comes before the folder's own
// row, so renaming them all fails nowhere.
TEST(ResultsModel, HeaderClicksThenRenameAllInDisplayOrder)
{
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
        { SizeColumn, { "Щётка.txt", "Папка", "Вложенная", "Файл.txt" }, 3 }, // Size as text
        { PathColumn, { "Щётка.txt", "Вложенная", "Файл.txt", "Папка" }, 2 },
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
    EXPECT_EQ(names(model), (Names { "SCHyotka.txt", "Vlozhennaya", "Fayl.txt", "Papka" }));
}

} // namespace
} // namespace nuvero
