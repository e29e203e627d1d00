// Names that no Windows disk can hold but a Linux one can: line ends, blanks only, 255
// bytes, bytes that are not UTF-8, characters Windows forbids. Each is listed, written to
// the list file, renamed and deleted as the exact file it is, or refused with a clear
// error where the new name does not fit; the file beside it is never touched.
#include "FaultSupport.h"
#include "search/RecordingSink.h"

#include "export/ListFileWriter.h"
#include "results/FileCommands.h"
#include "results/RowVector.h"
#include "results/ScriptedUi.h"
#include "results/Translite.h"
#include "search/SearchJob.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace nuvero {
namespace {

TEST(OddNameTest, IsListedSavedRenamedAndDeletedAsTheExactFile)
{
    std::string zh; // 254 bytes; "ZH" each once transliterated
    std::string sch; // "SCH" each: too long once transliterated
    for (int i = 0; i < 127; ++i) {
        zh += "Ж";
        sch += "Щ";
    }
    const struct {
        std::string name;
        bool renameFits = true;
    } cases[] = { { "new\nline.txt" }, { "car\rriage\r\n" }, { "   " }, { "a*b?c<d>e|f:g\"h" }, { zh + "x" },
        { sch + "x", false }, { "Ж\xFFЖ.txt" }, { "cut\xD0" }, { "over\xC0\xAFlong" } };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.name));
        test::TempTree tree;
        test::TestDrives drives;
        drives.map({ { 'c', tree.root() } });
        tree.makeFile("names/" + c.name, "content");
        tree.makeFile("names/sibling", "sibling");
        SearchCriteria criteria;
        criteria.setAfterDate(false);
        test::RecordingSink sink;
        std::atomic<bool> stop { false };
        ASSERT_TRUE(SearchJob(criteria, sink, stop).run("c:\\names", "*.*"));
        ASSERT_EQ(sink.rows.size(), 2u);
        const int index = sink.rows[0].name == c.name ? 0 : 1;
        EXPECT_EQ(sink.rows[index].name, c.name);
        EXPECT_EQ(sink.rows[1 - index].name, "sibling");
        EXPECT_EQ(sink.rows[index].pathText(), "c:\\names");

        // Saved: the line holds the name's bytes as they are.
        test::RowVector rows;
        rows.rows = sink.rows;
        ASSERT_TRUE(ListFileWriter::write("c:\\list.txt", rows).ok());
        EXPECT_NE(tree.read("list.txt").find(c.name + " \r\n"), std::string::npos);

        // Renamed to its transliteration (the same name where it has no Russian letter).
        test::ScriptedUi ui;
        ui.answers = { true };
        FileCommands commands(rows, ui);
        commands.renameOne(index);
        const std::string nowCalled = c.renameFits ? translite(c.name) : c.name;
        EXPECT_EQ(std::count(ui.events.begin(), ui.events.end(), "File I/O error."), c.renameFits ? 0 : 1);
        EXPECT_EQ(rows.row(index).name, nowCalled);
        EXPECT_EQ(tree.read("names/" + nowCalled), "content");
        EXPECT_EQ(ui.events.front(), "status c:\\names\\" + c.name);

        // Deleted: the file goes and its row with it; the sibling stays.
        ui.answers = { true };
        commands.deleteFile(index);
        EXPECT_EQ(ui.events.back(), "confirm Erase c:\\names\\" + nowCalled + "?");
        EXPECT_EQ(test::hostNames(tree.path("names")), (std::vector<std::string> { "sibling" }));
        EXPECT_EQ(tree.read("names/sibling"), "sibling");
        EXPECT_EQ(rows.size(), 1);
    }
}

} // namespace
} // namespace nuvero
