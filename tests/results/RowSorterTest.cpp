#include "results/RowSorter.h"
#include "results/ResultColumns.h"
#include "results/RowStore.h"
#include "results/ScriptedUi.h"
#include "results/TextCompare.h"

#include <gtest/gtest.h>

#include <numeric>
#include <set>

namespace nuvero {
namespace {

using Names = std::vector<std::string>;

using test::makeRow;

// Sorts and rewrites the display order as the model does.
bool sortList(RowStore& store, std::vector<std::uint32_t>& order, int column, bool descending)
{
    const RowSorter::Result result = RowSorter::sort(store, order, column, descending);
    std::vector<std::uint32_t> sorted;
    for (const std::uint32_t from : result.from)
        sorted.push_back(order[from]);
    if (!result.from.empty())
        order.swap(sorted);
    return result.filled;
}

Names cells(const RowStore& store, const std::vector<std::uint32_t>& order, int column)
{
    Names out;
    for (const std::uint32_t slot : order)
        out.emplace_back(cellText(store[slot], column));
    return out;
}

// One list sorted again and again, as header clicks do: every column is compared as text
// (Time day first, Size by its characters, " " before "DIR"), an empty key becomes " " in
// the row, and rows with equal keys keep their order in both directions.
TEST(RowSorter, SortsByTheClickedColumnKeepingEqualRowsInOrder)
{
    RowStore store;
    const SharedText b = makeSharedText("c:\\b");
    std::vector<ResultRow> rows;
    rows.push_back(makeRow(b, "beta", "02.01.2024  00:00:00", "100 KBytes"));
    rows.push_back(makeRow(makeSharedText("c:\\a"), "alpha", "15.12.2023  00:00:00", "20 KBytes", true));
    rows.push_back(makeRow(makeSharedText(""), "gamma", "01.06.2025  00:00:00", ""));
    rows.emplace_back(); // a removed row: its slot is not in the display order
    rows.push_back(makeRow(b, "", "02.01.2024  00:00:00", "3 KBytes"));
    store.append(rows);
    std::vector<std::uint32_t> order = { 0, 1, 2, 4 };

    struct Step {
        int column;
        bool descending;
        Names names;
        bool filled;
    };
    const std::vector<Step> steps = {
        { NameColumn, false, { " ", "alpha", "beta", "gamma" }, true },
        { NameColumn, false, { " ", "alpha", "beta", "gamma" }, false },
        { SizeColumn, true, { " ", "alpha", "beta", "gamma" }, true }, // 3, 20, 100, " "
        { TimeColumn, false, { "gamma", " ", "beta", "alpha" }, false },
        { TimeColumn, true, { "alpha", " ", "beta", "gamma" }, false },
        { DirColumn, false, { " ", "beta", "gamma", "alpha" }, false },
        { DirColumn, true, { "alpha", " ", "beta", "gamma" }, false },
        { PathColumn, true, { " ", "beta", "alpha", "gamma" }, true },
    };
    for (const Step& s : steps) {
        EXPECT_EQ(sortList(store, order, s.column, s.descending), s.filled) << "column " << s.column;
        EXPECT_EQ(cells(store, order, NameColumn), s.names) << "column " << s.column;
    }
    EXPECT_EQ(cells(store, order, PathColumn), (Names { "c:\\b", "c:\\b", "c:\\a", " " }));
    EXPECT_EQ(cells(store, order, SizeColumn), (Names { "3 KBytes", "100 KBytes", "20 KBytes", " " }));

    // One row: nothing to order, but its empty key is filled in all the same.
    RowStore single;
    std::vector<ResultRow> one = { makeRow(b, "", "01.01.2024  00:00:00", "") };
    single.append(one);
    const RowSorter::Result result = RowSorter::sort(single, std::vector<std::uint32_t> { 0 }, NameColumn, false);
    EXPECT_TRUE(result.filled && result.from.empty());
    EXPECT_EQ(single[0].name, " ");
}

// Keys equal up to the end of one of the sort's eight-byte words and differing just before,
// at or after it, as Paths shared and separate: every neighbouring pair of the sorted list
// is in order by the plain text comparison, and no row is lost.
TEST(RowSorter, AgreesWithTheTextComparisonAtEveryWordEdge)
{
    std::vector<std::string> texts;
    for (const std::size_t length : { 0, 7, 8, 9, 15, 16, 17, 23, 24, 25, 33 }) {
        for (const char* tail : { "", "a", "B", "я", "Ё", "\xFF", "Ω", "ab" })
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
    for (int col = 0; col < 4; ++col) {
        for (const bool descending : { false, true }) {
            sortList(store, order, col, descending);
            for (std::size_t i = 0; i + 1 < order.size(); ++i) {
                const int c = textcompare::compare(cellText(store[order[i]], col), cellText(store[order[i + 1]], col));
                ASSERT_TRUE(descending ? c >= 0 : c <= 0) << "column " << col << " row " << i;
            }
            ASSERT_EQ(std::set<std::uint32_t>(order.begin(), order.end()).size(), store.size());
        }
    }
}

} // namespace
} // namespace nuvero
