#include "results/ResultsModel.h"
#include "results/FileCommands.h"
#include "results/RowStore.h"
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

void append(ResultsModel& model, std::vector<ResultRow> rows)
{
    model.appendRows(std::move(rows));
}

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
    append(model,
        { makeRow(shared, "Отчёт.doc", "05.12.2026  07:03:09", "12 KBytes"), makeRow(shared, "two"),
            makeRow(makeSharedText("c:\\bad\xFF"), "Папка", {}, "0 KBytes", true) });
    const QStringList first = { "c:\\data", "Отчёт.doc", "05.12.2026  07:03:09", "12 KBytes", " " };
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(model.data(model.index(0, c)).toString(), first[c]);
        EXPECT_EQ(bool(model.flags(model.index(0, c)) & Qt::ItemIsEditable), c == 0) << c;
    }
    EXPECT_EQ(model.data(model.index(2, 4)).toString(), "DIR");
    // An edited Path belongs to its row only; a name cannot be edited.
    EXPECT_TRUE(model.setData(model.index(1, 0), QString::fromUtf8("d:\\Новая")));
    EXPECT_EQ(model.row(1).fullPath(), "d:\\Новая\\two");
    EXPECT_EQ(model.row(0).pathText(), "c:\\data");
    // Committing an edit without a change keeps bytes that are not valid UTF-8.
    EXPECT_TRUE(model.setData(model.index(2, 0), model.data(model.index(2, 0), Qt::EditRole)));
    EXPECT_EQ(model.row(2).pathText(), "c:\\bad\xFF");
}

// Header clicks: one direction flag for all columns, flipped by every click, also on an
// empty list; a selection follows its row through sorts and removals.
TEST(ResultsModel, HeaderClicksAndSelection)
{
    ResultsModel empty;
    SortState flipOnly;
    flipOnly.columnClicked(2, empty);
    EXPECT_TRUE(flipOnly.descending());

    ResultsModel model;
    append(model,
        { makeRow(makeSharedText("c:\\b"), "beta", "02.01.2024  00:00:00", "100 KBytes"),
            makeRow(makeSharedText("c:\\a"), "alpha", "15.12.2023  00:00:00", "20 KBytes"),
            makeRow(makeSharedText("c:\\c"), "gamma", "01.06.2025  00:00:00", "3 KBytes") });
    const QPersistentModelIndex selected(model.index(1, 1)); // alpha
    SortState state;
    const struct {
        int column;
        bool descending;
        Names order;
        int selectedRow;
    } steps[] = {
        { 1, true, { "gamma", "beta", "alpha" }, 2 }, // first click after start: descending
        { 1, false, { "alpha", "beta", "gamma" }, 0 }, // same column again: ascending
        { 3, true, { "gamma", "alpha", "beta" }, 1 }, // another column: descending, Size as text
    };
    for (const auto& s : steps) {
        state.columnClicked(s.column, model);
        EXPECT_EQ(state.descending(), s.descending);
        EXPECT_EQ(names(model), s.order) << "column " << s.column;
        EXPECT_EQ(selected.row(), s.selectedRow);
    }
    model.removeRow(0);
    model.removeRow(0);
    EXPECT_FALSE(selected.isValid());
}

// The commands work on the model in its display order. Sorted by Path descending, what
// lies inside a folder comes before the folder's own row, so nothing fails.
TEST(ResultsModel, RenameAllAfterSortingByPathDescending)
{
    test::TempTree tree;
    test::TestDrives drives;
    drives.map({ { 'c', tree.root() } });
    tree.makeFile("Папка/Вложенная/Щётка.txt", "deep");
    tree.makeFile("Папка/Файл.txt", "flat");
    ResultsModel model;
    append(model,
        { makeRow(makeSharedText("c:\\"), "Папка", {}, "0 KBytes", true),
            makeRow(makeSharedText("c:\\Папка"), "Вложенная", {}, "0 KBytes", true),
            makeRow(makeSharedText("c:\\Папка"), "Файл.txt"),
            makeRow(makeSharedText("c:\\Папка\\Вложенная"), "Щётка.txt") });
    model.sort(PathColumn, true);
    test::ScriptedUi ui;
    ui.answers = { true, true, true };
    FileCommands(model, ui).renameAll();
    EXPECT_EQ(std::count(ui.events.begin(), ui.events.end(), "File I/O error."), 0);
    EXPECT_EQ(tree.read("Papka/Vlozhennaya/SCHyotka.txt"), "deep");
    EXPECT_EQ(tree.read("Papka/Fayl.txt"), "flat");
    EXPECT_EQ(names(model), (Names { "SCHyotka.txt", "Vlozhennaya", "Fayl.txt", "Papka" }));
}

} // namespace
} // namespace nuvero
