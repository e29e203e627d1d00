// The results list: the order and transliteration of names, the sort over the row store,
// header clicks on the model, and the commands on the rows' files.
#include "platform/Utf8.h"
#include "results/FileCommands.h"
#include "results/ResultColumns.h"
#include "results/ResultsModel.h"
#include "results/RowSorter.h"
#include "results/ScriptedUi.h"
#include "results/SortState.h"
#include "results/TextCompare.h"
#include "results/Translite.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

#include <QPersistentModelIndex>

#include <functional>
#include <numeric>
#include <set>

namespace nuvero {
namespace {

using test::makeRow;

TEST(TextCompare, OrderOfTheList)
{
    // The result is the first rank difference, else the length difference. (Sort keys
    // agree with it: a fuzz target.)
    const struct {
        const char* a;
        const char* b;
        int expected; // a sign, or the exact value where it is not ±1
    } cases[] = { { "apple", "APPLE", 0 }, { "Zebra", "apple", 1 }, { "Ёлка", "Арбуз", 0xA8 - 0xC0 },
        { "Ж", "Жжж", -2 }, { "ab\xFF\xFE", "ab", 2 }, { "я", "Ω", -1 }, { "Ω", "中", -1 }, { "😀", "\xFF", -1 } };
    for (const auto& c : cases) {
        const int ab = textcompare::compare(c.a, c.b);
        EXPECT_EQ(std::abs(c.expected) > 1 ? ab : (ab > 0) - (ab < 0), c.expected) << c.a << " | " << c.b;
        EXPECT_EQ(textcompare::compare(c.b, c.a), -ab) << c.b << " | " << c.a;
    }
    // The characters of the bytes 0x80..0xFF, in byte order, rank one after the other.
    const std::string upper = "ЂЃ‚ѓ„…†‡€‰Љ‹ЊЌЋЏђ‘’“”•–—™љ›њќћџ\u00A0ЎўЈ¤Ґ¦§Ё©Є«¬\u00AD®Ї°±Ііґµ¶·ё№є»јЅѕї"
                              "АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдежзийклмнопрстуфхцчшщъыьэюя";
    std::string previous = "\x7F";
    for (std::size_t pos = 0; pos < upper.size(); pos += previous.size()) {
        const std::string current = upper.substr(pos, utf8::decode(upper, pos).length);
        EXPECT_LT(textcompare::compare(previous, current), 0) << previous << " | " << current;
        previous = current;
    }
}

TEST(Translite, NamesAndPaths)
{
    // Every letter of the table, capital and small (Ё after Е), in one name each.
    const std::pair<std::string, std::string> cases[] = { { "xАБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ",
                                                              "xABVGDEYOZHZIYKLMNOPRSTUFHTSCHSHSCHIEUYA" },
        { "xабвгдеёжзийклмнопрстуфхцчшщъыьэюя", "xabvgdeyozhziyklmnoprstufhtschshschieuya" },
        { "C:\\Документы\\Отчёт.doc", "C:\\Dokumenti\\Otchyot.doc" },
        // Other Cyrillic letters, other scripts and symbols pass.
        { "Є І Ґ є ґ Ѐ ӿ Ω № 中 😀", "Є І Ґ є ґ Ѐ ӿ Ω № 中 😀" },
        // Decomposed й, Й, ё, Ё (the letter, then a combining breve or diaeresis, as names
        // copied from macOS have them) give what the composed letters give; a combining
        // mark after any other character stays.
        { "Новыи\u0306", "Noviy" }, { "И\u0306ОД", "YOD" }, { "Ще\u0308тка", "SCHyotka" }, { "Е\u0308ЛКА", "YOLKA" },
        { "a\u0306о\u0308и\u0308е\u0306\u0306", "a\u0306o\u0308i\u0308e\u0306\u0306" }, { "\u0308е", "\u0308e" },
        // Bytes that are not UTF-8 are copied as they are.
        { "\xD1\xD0\x90", "\xD1\x41" }, { "\xFF\xFEЯ", "\xFF\xFEYA" }, { "\xE0\xD0\x90", "\xE0\x41" } };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(translite(input), expected) << input;
}

// Keys equal up to the end of one of the sort's eight-byte words and differing just before,
// at or after it, as Paths shared and separate, sorted again and again as header clicks
// do: every neighbouring pair is in order by the plain text comparison, rows with equal
// keys keep their order in both directions, no row is lost, and an empty key becomes " ".
TEST(RowSorter, AgreesWithTheTextComparisonAndKeepsEqualRowsInOrder)
{
    std::vector<std::string> texts;
    std::vector<SharedText> paths;
    for (const std::size_t length : { 0, 7, 8, 9, 16, 17, 24, 25 }) {
        for (const char* tail : { "", "a", "B", "я", "Ё", "\xFF", "Ω" })
            paths.push_back(makeSharedText(texts.emplace_back(std::string(length, 'x') + tail)));
    }
    RowStore store;
    std::vector<ResultRow> rows;
    for (std::size_t i = 0; i < 3 * texts.size(); ++i) {
        const SharedText& p = paths[i * 7 % paths.size()];
        rows.push_back(
            makeRow(i % 3 == 0 ? makeSharedText(*p) : p, texts[i * 5 % texts.size()], texts[i % texts.size()]));
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
    model.appendRows(
        { makeRow(makeSharedText("c:\\"), "d", "100 KBytes", true), makeRow(makeSharedText("c:\\d"), "b", "20 KBytes"),
            makeRow(makeSharedText("c:\\d"), "c", "3 KBytes"), makeRow(makeSharedText("c:\\d\\b"), "a", "0 KBytes") });
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

// Delete and rename on drive C: mapped onto a real tree, on rows whose entry changed since
// the search or changes while the question is up. Only the entry asked about is ever
// touched, nothing is ever replaced, and nothing outside the drive (where links lead)
// changes.
TEST(FileCommandsTest, OnlyTheEntryAskedAboutIsEverTouched)
{
    test::TempTree tree;
    test::TempTree outside;
    test::TestDrives drives;
    drives.map({ { 'c', tree.root() } });
    outside.makeFile("Ж", "outside");
    tree.makeFile("data/Ж2/in", "in"); // a folder where the file was
    tree.makeSymlink("data/Ж3", outside.path("Ж"));
    tree.makeSymlink("link", outside.root());
    test::RowVector rows;
    for (const char* folder : { "data", "data", "data", "link", "a", "b", "c", "d", "e" }) {
        rows.add(std::string("c:\\") + folder, rows.rows.size() < 3 ? "Ж" + std::to_string(rows.rows.size() + 1) : "Ж");
        if (rows.rows.size() > 4)
            tree.makeFile(folder + std::string("/Ж"), folder);
    }
    test::ScriptedUi ui;
    ui.answers = { true, true, true, true, true };
    // While a question is up the entry goes, becomes a folder or a link, the new name
    // comes, or the row itself leaves the list.
    ui.whileAsking = [&](int question) {
        const std::vector<std::function<void()>> changes
            = { [&] { tree.remove("a/Ж"); }, [&] { tree.remove("b/Ж"), tree.makeDir("b/Ж"); },
                  [&] { tree.remove("c"), tree.makeSymlink("c", outside.root()); },
                  [&] { tree.makeFile("d/ZH", "came"); }, [&] { rows.rows.pop_back(); } };
        changes[static_cast<std::size_t>(question)]();
    };
    FileCommands commands(rows, ui);
    for (int row = 0; row < 7; ++row)
        commands.deleteFile(row);
    commands.renameOne(7);
    commands.deleteFile(8); // the last row, gone from the list while asked about
    commands.deleteFile({}), commands.renameOne(-1), commands.deleteFile(8), commands.renameOne(8); // none there

    std::erase_if(ui.events, [](const std::string& e) { return e.starts_with("status "); });
    const std::string io = "File I/O error.";
    EXPECT_EQ(ui.events,
        (test::Events { io, io, io, io, "confirm Erase c:\\a\\Ж?", io, "confirm Erase c:\\b\\Ж?", io,
            "confirm Erase c:\\c\\Ж?", io, "confirm Rename c:\\d\\Ж to ZH ?", io, "confirm Erase c:\\e\\Ж?" }));
    EXPECT_EQ(rows.names(), (test::Events { "Ж1", "Ж2", "Ж3", "Ж", "Ж", "Ж", "Ж", "Ж" }));
    EXPECT_TRUE(tree.isDir("b/Ж") && tree.exists("data/Ж2/in") && tree.exists("data/Ж3") && tree.exists("link"));
    EXPECT_EQ(tree.read("d/Ж") + tree.read("d/ZH") + outside.read("Ж"), "dcameoutside");
    EXPECT_FALSE(tree.exists("e/Ж"));
}

} // namespace
} // namespace nuvero
