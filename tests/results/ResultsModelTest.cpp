// The list's order: the sort over the row store, and header clicks on the model.
#include "results/ResultsModel.h"
#include "results/ResultColumns.h"
#include "results/RowSorter.h"
#include "results/RowVector.h"
#include "results/SortState.h"
#include "results/TextCompare.h"

#include <gtest/gtest.h>

#include <QPersistentModelIndex>

#include <numeric>
#include <set>

namespace nuvero {
namespace {

using test::makeRow;

// Keys equal up to the end of one of the sort's eight-byte words and differing just before,
// at or after it, as Paths shared and separate, sorted again and again as header clicks
// do: every neighbouring pair is in order by the plain text comparison, rows with equal
// keys keep their order in both directions, no row is lost, and an empty key becomes " ".
TEST(RowSorter, AgreesWithTheTextComparisonAndKeepsEqualRowsInOrder)
{
    std::vector<std::string> texts;
    for (const std::size_t length : { 0, 7, 8, 9, 16, 17, 24, 25 }) {
        for (const char* tail : { "", "a", "B", "я", "Ё", "\xFF", "Ω" })
            texts.push_back(std::string(length, 'x') + tail);
    }
    std::vector<SharedText> paths;
    for (const std::string& t : texts)
        paths.push_back(makeSharedText(t));
    RowStore store;
    std::vector<ResultRow> rows;
    for (std::size_t i = 0; i < 3 * texts.size(); ++i) {
        const SharedText& p = paths[i * 7 % paths.size()];
        rows.push_back(
            makeRow(i % 3 == 0 ? makeSharedText(*p) : p, texts[i * 5 % texts.size()], {}, texts[i % texts.size()]));
    }
    store.append(rows);
    std::vector<std::uint32_t> order(store.size());
    std::iota(order.begin(), order.end(), 0U);
    for (const int column : { NameColumn, PathColumn, SizeColumn, NameColumn, SizeColumn, PathColumn }) {
        for (const bool descending : { false, true }) {
            const RowSorter::Result result = RowSorter::sort(store, order, column, descending);
            std::vector<std::uint32_t> sorted;
            for (const std::uint32_t from : result.from)
                sorted.push_back(order[from]);
            ASSERT_EQ(std::set<std::uint32_t>(sorted.begin(), sorted.end()).size(), store.size());
            for (std::size_t i = 0; i + 1 < sorted.size(); ++i) {
                const std::string_view a = cellText(store[sorted[i]], column),
                                       b = cellText(store[sorted[i + 1]], column);
                const int c = textcompare::compare(a, b) * (descending ? -1 : 1);
                ASSERT_TRUE(c < 0 || (c == 0 && result.from[i] < result.from[i + 1]))
                    << "column " << column << " row " << i << ": " << a << " | " << b;
                ASSERT_FALSE(a.empty());
            }
            order.swap(sorted);
        }
    }
}

// Header clicks: one direction flag for all columns, flipped by every click (the first
// sorts descending); Size is compared as text; a selection follows its row.
TEST(ResultsModel, HeaderClicksSortAndTheSelectionFollows)
{
    ResultsModel model;
    model.appendRows({ makeRow(makeSharedText("c:\\"), "d", {}, "100 KBytes", true),
        makeRow(makeSharedText("c:\\d"), "b", {}, "20 KBytes"), makeRow(makeSharedText("c:\\d"), "c", {}, "3 KBytes"),
        makeRow(makeSharedText("c:\\d\\b"), "a", {}, "0 KBytes") });
    const QPersistentModelIndex selected(model.index(2, 1));
    SortState state;
    std::string orders;
    for (const int column : { NameColumn, SizeColumn, PathColumn }) {
        state.columnClicked(column, model);
        for (int i = 0; i < model.size(); ++i)
            orders += model.row(i).name;
        orders += std::to_string(selected.row()) + " ";
    }
    EXPECT_EQ(orders, "dcba1 adbc3 abcd2 ");
}

} // namespace
} // namespace nuvero
