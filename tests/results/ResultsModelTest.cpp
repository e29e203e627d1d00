#include "results/ResultsModel.h"
#include "export/ListFileWriter.h"
#include "results/FileCommands.h"
#include "results/ScriptedUi.h"
#include "results/SortState.h"
#include "results/TextCompare.h"

#include <gtest/gtest.h>

#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <QPersistentModelIndex>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace nuvero {
namespace {

ResultRow makeRow(SharedText path, std::string name, std::string_view time = "01.01.2024  00:00:00",
    std::string size = "0 KBytes", bool dir = false)
{
    ResultRow row;
    row.path = std::move(path);
    row.name = std::move(name);
    std::copy_n(time.begin(), std::min(time.size(), row.time.size()), row.time.begin());
    row.size = std::move(size);
    row.dir = dir;
    return row;
}

ResultRow makeRow(std::string path, std::string name)
{
    return makeRow(makeSharedText(std::move(path)), std::move(name));
}

std::vector<std::string> column(const ResultsModel& model, int col)
{
    std::vector<std::string> out;
    for (int i = 0; i < model.size(); ++i)
        out.emplace_back(ResultsModel::cellText(model.row(i), col));
    return out;
}

std::vector<std::string> names(const ResultsModel& model)
{
    return column(model, ResultsModel::NameColumn);
}

void fill(ResultsModel& model, const std::vector<std::string>& rowNames)
{
    std::vector<ResultRow> rows;
    for (const std::string& n : rowNames)
        rows.push_back(makeRow("c:\\data", n));
    model.appendRows(std::move(rows));
}

using Names = std::vector<std::string>;

TEST(ResultsModel, ColumnsAndCells)
{
    ResultsModel model;
    EXPECT_EQ(model.columnCount(), 5);
    const char* captions[] = { "Path", "Name", "Time", "Size", "dir" };
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(model.headerData(c, Qt::Horizontal).toString(), QString::fromUtf8(captions[c]));

    std::vector<ResultRow> rows;
    rows.push_back(makeRow(makeSharedText("c:\\Документы"), "Отчёт.doc", "05.12.2026  07:03:09", "12 KBytes", false));
    rows.push_back(makeRow(makeSharedText("c:\\"), "Папка", "01.03.2026  09:05:07", "0 KBytes", true));
    model.appendRows(std::move(rows));

    const QStringList first = { "c:\\Документы", "Отчёт.doc", "05.12.2026  07:03:09", "12 KBytes", " " };
    const QStringList second = { "c:\\", "Папка", "01.03.2026  09:05:07", "0 KBytes", "DIR" };
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(model.data(model.index(0, c)).toString(), first[c]);
        EXPECT_EQ(model.data(model.index(1, c)).toString(), second[c]);
    }
    EXPECT_TRUE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
    for (int c = 1; c < 5; ++c)
        EXPECT_FALSE(model.flags(model.index(0, c)) & Qt::ItemIsEditable);
}

TEST(ResultsModel, RowCountReachesTheStatusPanel)
{
    ResultsModel model;
    std::vector<int> counts;
    std::vector<int> countsFromStandardSignals;
    QObject::connect(&model, &ResultsModel::countChanged, [&](int n) { counts.push_back(n); });
    QObject::connect(&model, &QAbstractItemModel::rowsInserted,
        [&](const QModelIndex&, int, int) { countsFromStandardSignals.push_back(model.rowCount()); });
    QObject::connect(&model, &QAbstractItemModel::rowsAboutToBeRemoved, [&](const QModelIndex&, int first, int last) {
        countsFromStandardSignals.push_back(model.rowCount() - (last - first + 1));
    });

    fill(model, { "a" });
    fill(model, { "b", "c", "d" });
    fill(model, {}); // an empty batch is no insertion
    model.removeRow(1);
    EXPECT_EQ(names(model), (Names { "a", "c", "d" }));
    model.removeRow(7); // no such row
    model.clear();
    fill(model, { "e" });
    model.removeRow(0);

    const std::vector<int> expected = { 1, 4, 3, 0, 1, 0 };
    EXPECT_EQ(counts, expected);
    EXPECT_EQ(countsFromStandardSignals, expected);
    EXPECT_EQ(model.rowCount(), 0);
}

// Header clicks: one direction flag for all columns, flipped by every click.
TEST(ResultsModel, HeaderClickSequence)
{
    ResultsModel model;
    std::vector<ResultRow> rows;
    rows.push_back(makeRow(makeSharedText("c:\\b"), "beta", "02.01.2024  00:00:00", "100 KBytes", false));
    rows.push_back(makeRow(makeSharedText("c:\\a"), "alpha", "15.12.2023  00:00:00", "20 KBytes", true));
    rows.push_back(makeRow(makeSharedText("c:\\c"), "gamma", "01.06.2025  00:00:00", "3 KBytes", false));
    model.appendRows(std::move(rows));

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
        { 2, false, { "gamma", "beta", "alpha" } }, // Time as text: day first
        { 4, true, { "alpha", "gamma", "beta" } }, // "DIR" first, equal " " rows keep order
        { 4, false, { "gamma", "beta", "alpha" } }, // " " before "DIR"
        { 0, true, { "gamma", "beta", "alpha" } },
    };
    for (const Step& s : steps) {
        state.columnClicked(s.column, model);
        EXPECT_EQ(state.column(), s.column);
        EXPECT_EQ(state.descending(), s.descending);
        EXPECT_EQ(names(model), s.order) << "column " << s.column;
    }
}

TEST(ResultsModel, HeaderClickOnEmptyListOnlyFlips)
{
    ResultsModel model;
    SortState state;
    int layouts = 0;
    QObject::connect(&model, &QAbstractItemModel::layoutChanged, [&] { ++layouts; });
    state.columnClicked(2, model);
    EXPECT_TRUE(state.descending());
    state.columnClicked(2, model);
    EXPECT_FALSE(state.descending());
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(layouts, 0);
}

TEST(ResultsModel, NameOrder)
{
    struct Case {
        Names input;
        bool descending;
        Names expected;
    };
    const std::vector<Case> cases = {
        { { "Zebra", "apple" }, false, { "apple", "Zebra" } },
        { { "яблоко", "Яблоко" }, false, { "Яблоко", "яблоко" } },
        { { "Арбуз", "Ёлка", "ёж", "Ящик", "арбуз" }, false, { "Ёлка", "ёж", "Арбуз", "Ящик", "арбуз" } },
        { { "Арбуз", "Ёлка", "ёж", "Ящик", "арбуз" }, true, { "арбуз", "Ящик", "Арбуз", "ёж", "Ёлка" } },
        // Equal keys keep their order, in both directions.
        { { "APPLE", "b", "apple", "Apple" }, false, { "APPLE", "apple", "Apple", "b" } },
        { { "APPLE", "b", "apple", "Apple" }, true, { "b", "APPLE", "apple", "Apple" } },
        { { "file10", "file9", "File1" }, false, { "File1", "file10", "file9" } },
    };
    for (const Case& c : cases) {
        ResultsModel model;
        fill(model, c.input);
        model.sort(ResultsModel::NameColumn, c.descending);
        EXPECT_EQ(names(model), c.expected);
    }
}

TEST(ResultsModel, EmptyKeyBecomesASpaceInTheRow)
{
    ResultsModel model;
    std::vector<ResultRow> rows;
    rows.push_back(makeRow(makeSharedText("c:\\x"), "b"));
    rows.push_back(makeRow(makeSharedText(""), "", "01.01.2024  00:00:00", ""));
    rows.push_back(makeRow(SharedText(), "a"));
    model.appendRows(std::move(rows));

    model.sort(ResultsModel::NameColumn, false);
    EXPECT_EQ(names(model), (Names { " ", "a", "b" }));
    EXPECT_EQ(model.data(model.index(0, 1)).toString(), " ");
    // Only the sorted column is filled in.
    EXPECT_EQ(model.row(0).pathText(), "");
    EXPECT_EQ(model.row(0).size, "");

    model.sort(ResultsModel::PathColumn, true);
    EXPECT_EQ(column(model, 0), (Names { "c:\\x", " ", " " }));
    model.sort(ResultsModel::SizeColumn, false);
    EXPECT_EQ(column(model, 3), (Names { " ", "0 KBytes", "0 KBytes" }));

    // Also when there is nothing to sort.
    ResultsModel single;
    fill(single, { "" });
    single.sort(ResultsModel::NameColumn, false);
    EXPECT_EQ(single.row(0).name, " ");
}

TEST(ResultsModel, SelectionFollowsItsRow)
{
    ResultsModel model;
    fill(model, { "c", "a", "d", "b" });
    const QPersistentModelIndex selected(model.index(2, 1)); // "d"
    const QPersistentModelIndex current(model.index(0, 0)); // row of "c"
    model.sort(ResultsModel::NameColumn, false);
    ASSERT_TRUE(selected.isValid());
    EXPECT_EQ(selected.row(), 3);
    EXPECT_EQ(selected.column(), 1);
    EXPECT_EQ(selected.data().toString(), "d");
    EXPECT_EQ(current.row(), 2);
    model.sort(ResultsModel::NameColumn, true);
    EXPECT_EQ(selected.row(), 0);
    EXPECT_EQ(current.row(), 1);
    model.removeRow(0);
    EXPECT_FALSE(selected.isValid());
    EXPECT_EQ(current.row(), 0);
}

TEST(ResultsModel, EditedPathBelongsToItsRowOnly)
{
    ResultsModel model;
    const SharedText shared = makeSharedText("c:\\data");
    std::vector<ResultRow> rows;
    rows.push_back(makeRow(shared, "one"));
    rows.push_back(makeRow(shared, "two"));
    rows.push_back(makeRow(makeSharedText("c:\\bad\xFF"), "three"));
    model.appendRows(std::move(rows));

    EXPECT_TRUE(model.setData(model.index(1, 0), QString::fromUtf8("d:\\Новая")));
    EXPECT_EQ(model.row(1).pathText(), "d:\\Новая");
    EXPECT_EQ(model.row(1).fullPath(), "d:\\Новая\\two");
    EXPECT_EQ(model.row(0).pathText(), "c:\\data");
    EXPECT_FALSE(model.setData(model.index(0, 1), "x"));
    EXPECT_EQ(model.row(0).name, "one");

    // Committing an edit without a change keeps bytes that are not valid UTF-8.
    EXPECT_TRUE(model.setData(model.index(2, 0), model.data(model.index(2, 0), Qt::EditRole)));
    EXPECT_EQ(model.row(2).pathText(), "c:\\bad\xFF");
}

// Many rows with shared and separate Paths, Cyrillic and odd bytes: every neighbouring
// pair of the sorted list is in order by the plain text comparison, and no row is lost.
TEST(ResultsModel, LargeSortAgreesWithTheTextComparison)
{
    const std::vector<std::string> parts = { "a", "B", "я", "Ё", "_", " ", "1", "\\", "\xFF", "Ω", "ab", "AB" };
    std::mt19937 random(11);
    std::uniform_int_distribution<std::size_t> pick(0, parts.size() - 1);
    std::uniform_int_distribution<int> length(0, 12);
    auto text = [&] {
        std::string t;
        for (int n = length(random); n > 0; --n)
            t += parts[pick(random)];
        return t;
    };
    std::vector<SharedText> paths;
    for (int i = 0; i < 60; ++i)
        paths.push_back(makeSharedText(text()));
    ResultsModel model;
    std::vector<ResultRow> rows;
    for (int i = 0; i < 3000; ++i) {
        // Some Paths are separate texts equal to a shared one.
        const SharedText& p = paths[pick(random) * 5 % paths.size()];
        rows.push_back(i % 7 == 0 ? makeRow(makeSharedText(*p), text()) : makeRow(p, text()));
        rows.back().size = std::to_string(i); // identifies the row
    }
    model.appendRows(std::move(rows));

    for (int col = 0; col < 4; ++col) {
        for (bool descending : { false, true }) {
            model.sort(col, descending);
            std::vector<std::string> ids;
            for (int i = 0; i + 1 < model.size(); ++i) {
                const int c = textcompare::compare(
                    ResultsModel::cellText(model.row(i), col), ResultsModel::cellText(model.row(i + 1), col));
                ASSERT_TRUE(descending ? c >= 0 : c <= 0) << "column " << col << " row " << i;
            }
            for (int i = 0; i < model.size(); ++i)
                ids.push_back(model.row(i).size);
            std::sort(ids.begin(), ids.end());
            ASSERT_EQ(std::unique(ids.begin(), ids.end()), ids.end());
            ASSERT_EQ(ids.size(), 3000U);
        }
    }
}

// The commands and the list writer on the model itself: they see the display order, and
// the row count reaches the status panel when a command removes a row.
class ModelWithFiles : public ::testing::Test {
protected:
    void SetUp() override { m_drives.map({ { 'c', m_tree.root() } }); }
    void add(const std::string& path, const std::string& name, bool dir = false)
    {
        std::vector<ResultRow> rows;
        rows.push_back(makeRow(makeSharedText(path), name, "01.01.2024  00:00:00", "0 KBytes", dir));
        m_model.appendRows(std::move(rows));
    }

    test::TempTree m_tree;
    test::TestDrives m_drives;
    ResultsModel m_model;
    test::ScriptedUi m_ui;
    FileCommands m_commands { m_model, m_ui };
};

// Sorted by Path descending, what lies inside a folder, at any depth, comes before the
// folder's own row, so nothing fails for an outdated Path.
TEST_F(ModelWithFiles, RenameAllAfterSortingByPathDescending)
{
    m_tree.makeFile("Папка/Вложенная/Щётка.txt", "deep");
    m_tree.makeFile("Папка/Файл.txt", "flat");
    add("c:\\", "Папка", true);
    add("c:\\Папка", "Вложенная", true);
    add("c:\\Папка", "Файл.txt");
    add("c:\\Папка\\Вложенная", "Щётка.txt");
    m_model.sort(ResultsModel::PathColumn, true);
    m_ui.answers = { true, true, true };
    m_commands.renameAll();
    EXPECT_EQ(std::count(m_ui.events.begin(), m_ui.events.end(), "File I/O error."), 0);
    EXPECT_EQ(m_tree.read("Papka/Vlozhennaya/SCHyotka.txt"), "deep");
    EXPECT_EQ(m_tree.read("Papka/Fayl.txt"), "flat");
    EXPECT_EQ(names(m_model), (Names { "SCHyotka.txt", "Vlozhennaya", "Fayl.txt", "Papka" }));
}

TEST_F(ModelWithFiles, DeleteCountsDown)
{
    m_tree.makeFile("a.txt");
    m_tree.makeFile("b.txt");
    add("c:\\", "a.txt");
    add("c:\\", "b.txt");
    m_model.sort(ResultsModel::NameColumn, true);
    std::vector<int> counts;
    QObject::connect(&m_model, &ResultsModel::countChanged, [&](int n) { counts.push_back(n); });
    m_ui.answers = { true };
    m_commands.deleteFile(0);
    EXPECT_EQ(m_ui.events.back(), "confirm Erase c:\\\\b.txt?");
    EXPECT_FALSE(m_tree.exists("b.txt"));
    EXPECT_EQ(names(m_model), (Names { "a.txt" }));
    EXPECT_EQ(counts, (std::vector<int> { 1 }));
}

TEST_F(ModelWithFiles, ListFileInDisplayOrder)
{
    add("c:\\b", "Отчёт.doc");
    add("c:\\", "a.txt");
    add("", "empty path");
    m_model.sort(ResultsModel::PathColumn, false);
    ASSERT_TRUE(ListFileWriter::write("c:\\list.txt", m_model).ok());
    // The empty Path was sorted as " " and is written so.
    EXPECT_EQ(m_tree.read("list.txt"),
        " " + std::string(48, ' ') + "empty path \r\n" + "c:\\" + std::string(46, ' ') + "a.txt \r\n" + "c:\\b"
            + std::string(45, ' ') + "Отчёт.doc \r\n");
}

} // namespace
} // namespace nuvero
