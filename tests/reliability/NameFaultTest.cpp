// Names that no Windows disk can hold but a Linux one can: line ends, leading and
// trailing blanks, 255 bytes, bytes that are not UTF-8, a backslash. Each is listed,
// written to the list file, renamed and deleted as the exact file it is, or refused with
// a clear error where it cannot be a path of this program; the file beside it is never
// touched.
#include "FaultSupport.h"
#include "search/RecordingSink.h"

#include "export/ListFileWriter.h"
#include "platform/Platform.h"
#include "results/FileCommands.h"
#include "results/RowVector.h"
#include "results/ScriptedUi.h"
#include "results/Translite.h"
#include "search/SearchCriteria.h"
#include "search/SearchJob.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace nuvero {
namespace {

struct NameCase {
    const char* label;
    std::string name;
    // What renaming gives: the transliterated name, or nothing when the new name is too
    // long for the file system (the rename then fails and nothing changes).
    bool renameFits = true;
};

void PrintTo(const NameCase& c, std::ostream* out)
{
    *out << c.label;
}

std::string repeat(const std::string& part, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += part;
    return out;
}

class OddNameTest : public ::testing::TestWithParam<NameCase> {
protected:
    void SetUp() override
    {
        drives.map({ { 'c', tree.root() } });
        criteria.setAfterDate(false);
    }

    std::vector<std::string> namesIn(const std::string& folder) const
    {
        auto names = test::hostNames(tree.path(folder));
        std::sort(names.begin(), names.end());
        return names;
    }

    test::TempTree tree;
    test::TestDrives drives;
    SearchCriteria criteria;
    test::RecordingSink sink;
    test::RowVector rows;
    test::ScriptedUi ui;
};

TEST_P(OddNameTest, IsListedSavedRenamedAndDeletedAsTheExactFile)
{
    const NameCase& c = GetParam();
    ASSERT_LE(c.name.size(), 255u);
    tree.makeFile("names/" + c.name, "content");
    tree.makeFile("names/sibling", "sibling");

    // Listed, with the exact bytes.
    std::atomic<bool> stop { false };
    ASSERT_TRUE(SearchJob(criteria, sink, stop).run("c:\\names", "*.*"));
    auto keys = sink.rowKeys();
    std::vector<std::string> expected { "c:\\names|" + c.name, "c:\\names|sibling" };
    std::sort(keys.begin(), keys.end());
    std::sort(expected.begin(), expected.end());
    ASSERT_EQ(keys, expected);
    rows.rows = sink.rows;
    const int index = rows.row(0).name == c.name ? 0 : 1;

    // Saved: the line holds the name's bytes as they are.
    ASSERT_TRUE(ListFileWriter::write("c:\\list.txt", rows).ok());
    std::string expectedList;
    for (const ResultRow& row : rows.rows)
        ListFileWriter::appendLine(expectedList, row.pathText(), row.name);
    EXPECT_EQ(tree.read("list.txt"), expectedList);
    EXPECT_NE(tree.read("list.txt").find(c.name + " \r\n"), std::string::npos);

    // Renamed to its transliteration (the same name where it has no Russian letter).
    const std::string newName = translite(c.name);
    ui.answers = { true };
    FileCommands commands(rows, ui);
    commands.renameOne(index);
    const std::string nowCalled = c.renameFits ? newName : c.name;
    EXPECT_EQ(std::count(ui.events.begin(), ui.events.end(), "File I/O error."), c.renameFits ? 0 : 1);
    EXPECT_EQ(rows.row(index).name, nowCalled);
    EXPECT_EQ(tree.read("names/" + nowCalled), "content");
    EXPECT_EQ(ui.events.front(), "status c:\\names\\" + c.name);

    // Deleted: the file goes and its row with it; the sibling stays.
    ui.events.clear();
    ui.answers = { true };
    commands.deleteFile(index);
    EXPECT_EQ(ui.events.back(), "confirm Erase c:\\names\\" + nowCalled + "?");
    EXPECT_EQ(namesIn("names"), (std::vector<std::string> { "sibling" }));
    EXPECT_EQ(tree.read("names/sibling"), "sibling");
    EXPECT_EQ(rows.size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Names, OddNameTest,
    ::testing::Values(NameCase { "NewLine", "new\nline.txt" }, NameCase { "CarriageReturn", "car\rriage\r\n" },
        NameCase { "LeadingBlanks", "  leading.txt" }, NameCase { "TrailingBlank", "trailing " },
        NameCase { "BlanksOnly", "   " }, NameCase { "Tab", "tab\there" },
        NameCase { "WindowsForbidden", "a*b?c<d>e|f:g\"h" }, NameCase { "LeadingDash", "-rf" },
        NameCase { "LongestLatin", std::string(255, 'x') },
        NameCase { "LongestCyrillicStillFits", repeat("Ж", 127) + "x" }, // 254 + 1 bytes, "ZH" each
        NameCase { "LongestCyrillicTooLongOnceLatin", repeat("Щ", 127) + "x", false }, // "SCH" each
        NameCase { "NotUtf8", "\xFF\xFE bad" }, NameCase { "RussianAroundABadByte", "Ж\xFFЖ.txt" },
        NameCase { "CutSequence", "cut\xD0" }, NameCase { "OverlongSlash", "over\xC0\xAFlong" }),
    [](const ::testing::TestParamInfo<NameCase>& info) { return std::string(info.param.label); });

} // namespace
} // namespace nuvero
