#include "results/ResultsModel.h"
#include "results/FileCommands.h"
#include "results/RowVector.h"
#include "results/ScriptedUi.h"
#include "results/SortState.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

#include <QPersistentModelIndex>

#include <algorithm>
#include <string>
#include <vector>

namespace nuvero {
namespace {

using Names = std::vector<std::string>;

using test::makeRow;

void append(ResultsModel& model, ResultRow row)
{
    std::vector<ResultRow> rows;
    rows.push_back(std::move(row));
    model.appendRows(std::move(rows));
}

std::vector<std::string> column(const ResultsModel& model, int col)
{
    std::vector<std::string> out;
    for (int i = 0; i < model.size(); ++i)
        out.emplace_back(cellText(model.row(i), col));
    return out;
}

std::vector<std::string> names(const ResultsModel& model)
{
    return column(model, NameColumn);
}

// One batch of rows in "c:\data" with these names.
void fill(ResultsModel& model, const std::vector<std::string>& rowNames)
{
    std::vector<ResultRow> rows;
    for (const std::string& n : rowNames)
        rows.push_back(makeRow(makeSharedText("c:\\data"), n));
    model.appendRows(std::move(rows));
}

TEST(ResultsModel, ColumnsCellsAndTheEditablePath)
{
    ResultsModel model;
    append(model, makeRow(makeSharedText("c:\\Документы"), "Отчёт.doc", "05.12.2026  07:03:09", "12 KBytes", false));
    append(model, makeRow(makeSharedText("c:\\"), "Папка", "01.03.2026  09:05:07", "0 KBytes", true));
    const QStringList first = { "c:\\Документы", "Отчёт.doc", "05.12.2026  07:03:09", "12 KBytes", " " };
    const QStringList second = { "c:\\", "Папка", "01.03.2026  09:05:07", "0 KBytes", "DIR" };
    ASSERT_EQ(model.columnCount(), 5);
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(model.data(model.index(0, c)).toString(), first[c]);
        EXPECT_EQ(model.data(model.index(1, c)).toString(), second[c]);
        EXPECT_EQ(bool(model.flags(model.index(0, c)) & Qt::ItemIsEditable), c == 0) << c;
    }
}

TEST(ResultsModel, EditedPathBelongsToItsRowOnly)
{
    ResultsModel model;
    const SharedText shared = makeSharedText("c:\\data");
    append(model, makeRow(shared, "one"));
    append(model, makeRow(shared, "two"));
    append(model, makeRow(makeSharedText("c:\\bad\xFF"), "three"));
    EXPECT_TRUE(model.setData(model.index(1, 0), QString::fromUtf8("d:\\Новая")));
    EXPECT_EQ(model.row(1).fullPath(), "d:\\Новая\\two");
    EXPECT_EQ(model.row(0).pathText(), "c:\\data");
    EXPECT_FALSE(model.setData(model.index(0, 1), "x"));
    EXPECT_EQ(model.row(0).name, "one");
    // Committing an edit without a change keeps bytes that are not valid UTF-8.
    EXPECT_TRUE(model.setData(model.index(2, 0), model.data(model.index(2, 0), Qt::EditRole)));
    EXPECT_EQ(model.row(2).pathText(), "c:\\bad\xFF");
}

// Header clicks: one direction flag for all columns, flipped by every click, also on an
// empty list, where nothing else happens. (Orders by each column: RowSorterTest.)
TEST(ResultsModel, HeaderClickSequence)
{
    ResultsModel empty;
    SortState flipOnly;
    int layouts = 0;
    QObject::connect(&empty, &QAbstractItemModel::layoutChanged, [&] { ++layouts; });
    flipOnly.columnClicked(2, empty);
    EXPECT_TRUE(flipOnly.descending());
    EXPECT_EQ(layouts, 0);

    ResultsModel model;
    append(model, makeRow(makeSharedText("c:\\b"), "beta", "02.01.2024  00:00:00", "100 KBytes", false));
    append(model, makeRow(makeSharedText("c:\\a"), "alpha", "15.12.2023  00:00:00", "20 KBytes", true));
    append(model, makeRow(makeSharedText("c:\\c"), "gamma", "01.06.2025  00:00:00", "3 KBytes", false));
    SortState state;
    struct Step {
        int column;
        bool descending;
        Names order;
    };
    const std::vector<Step> steps = {
        { 1, true, { "gamma", "beta", "alpha" } }, // first click after start: descending
        { 1, false, { "alpha", "beta", "gamma" } }, // same column again: ascending
        { 3, true, { "gamma", "alpha", "beta" } }, // another column: descending, Size as text
    };
    for (const Step& s : steps) {
        state.columnClicked(s.column, model);
        EXPECT_EQ(state.column(), s.column);
        EXPECT_EQ(state.descending(), s.descending);
        EXPECT_EQ(names(model), s.order) << "column " << s.column;
    }
}

TEST(ResultsModel, SelectionFollowsItsRow)
{
    ResultsModel model;
    fill(model, { "c", "a", "d", "b" });
    const QPersistentModelIndex selected(model.index(2, 1)); // "d"
    const QPersistentModelIndex current(model.index(0, 0)); // row of "c"
    model.sort(NameColumn, false);
    EXPECT_EQ(selected.row(), 3);
    EXPECT_EQ(selected.column(), 1);
    EXPECT_EQ(selected.data().toString(), "d");
    EXPECT_EQ(current.row(), 2);
    model.sort(NameColumn, true);
    EXPECT_EQ(selected.row(), 0);
    EXPECT_EQ(current.row(), 1);
    model.removeRow(0);
    EXPECT_FALSE(selected.isValid());
    EXPECT_EQ(current.row(), 0);
}

// The commands work on the model itself, in its display order. Sorted by Path descending,
// what lies inside a folder, at any depth, comes before the folder's own row, so nothing
// fails for an outdated Path.
TEST(ResultsModel, RenameAllAfterSortingByPathDescending)
{
    test::TempTree tree;
    test::TestDrives drives;
    drives.map({ { 'c', tree.root() } });
    tree.makeFile("Папка/Вложенная/Щётка.txt", "deep");
    tree.makeFile("Папка/Файл.txt", "flat");
    ResultsModel model;
    append(model, makeRow(makeSharedText("c:\\"), "Папка", "", "0 KBytes", true));
    append(model, makeRow(makeSharedText("c:\\Папка"), "Вложенная", "", "0 KBytes", true));
    append(model, makeRow(makeSharedText("c:\\Папка"), "Файл.txt"));
    append(model, makeRow(makeSharedText("c:\\Папка\\Вложенная"), "Щётка.txt"));
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
