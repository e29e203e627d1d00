#include "search/WalkRules.h"

#include "search/DirectoryWalk.h"
#include "search/FolderLister.h"
#include "search/RowSink.h"

#include <atomic>
#include <map>

#include <gtest/gtest.h>

namespace nuvero {
namespace {

struct ExclusionCase {
    const char* path;
    std::vector<std::string> items;
    bool allowed;
};

class PathAllowedTest : public ::testing::TestWithParam<ExclusionCase> { };

TEST_P(PathAllowedTest, FoldsAsciiLettersAndComparesPrefixes)
{
    const ExclusionCase& c = GetParam();
    EXPECT_EQ(WalkRules::PathAllowed(c.path, c.items), c.allowed) << c.path;
}

INSTANTIATE_TEST_SUITE_P(Items, PathAllowedTest,
    ::testing::Values(ExclusionCase { "c:\\temp", {}, true }, ExclusionCase { "c:\\temp", { "c:\\temp" }, false },
        // A plain text prefix, not a prefix by whole folder names.
        ExclusionCase { "c:\\temporary", { "C:\\TEMP" }, false }, ExclusionCase { "c:\\windows", { "c:\\win" }, false },
        // A trailing "\" spares the folder itself but not what lies below it.
        ExclusionCase { "c:\\temp", { "c:\\temp\\" }, true },
        ExclusionCase { "c:\\temp\\sub", { "c:\\temp\\" }, false },
        // A shorter path stays whole and never equals a longer item.
        ExclusionCase { "c:\\te", { "c:\\temp" }, true }, ExclusionCase { "c:\\", { "c:\\temp" }, true },
        // The empty item excludes everything, the empty path included.
        ExclusionCase { "c:\\anything", { "" }, false }, ExclusionCase { "", { "" }, false },
        // Every item is tested: a later match counts after an earlier miss.
        ExclusionCase { "d:\\x", { "c:\\", "e:", "D:\\" }, false },
        // Only A-Z fold: Cyrillic capitals stay as they are, on either side.
        ExclusionCase { "c:\\папка\\x", { "C:\\ПАПКА" }, true },
        ExclusionCase { "C:\\ПАПКА\\x", { "c:\\ПАПКА" }, false }, ExclusionCase { "c:\\Папка", { "C:\\папка" }, true },
        ExclusionCase { "c:\\ÄÖ", { "c:\\äö" }, true },
        // Lower-case items fold nothing, upper-case paths fold.
        ExclusionCase { "C:\\DATA\\Logs", { "c:\\data\\logs" }, false },
        // The cut is by characters: an item ending inside a character of the path is no prefix.
        ExclusionCase { "c:\\\xD0\x90", { "c:\\\xD0" }, true },
        ExclusionCase { "c:\\\xD0\x90", { "c:\\\xD0\x90" }, false }));

struct RusCase {
    const char* name;
    bool rus;
};

class HasRusLettersTest : public ::testing::TestWithParam<RusCase> { };

TEST_P(HasRusLettersTest, CountsOnlyBasicCyrillicLetters)
{
    EXPECT_EQ(WalkRules::HasRusLetters(GetParam().name), GetParam().rus) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(Names, HasRusLettersTest,
    ::testing::Values(RusCase { "readme.txt", false }, RusCase { "", false }, RusCase { "Ё.txt", false },
        RusCase { "ёЁ1", false }, RusCase { "А", true }, RusCase { "я", true }, RusCase { "dataЖ.bin", true },
        RusCase { "Ёж", true }, RusCase { "\xD0\x8F", false }, // U+040F, just before А
        RusCase { "\xD1\x90", false }, // U+0450, just after я
        RusCase { "\xC0\xE0", false }, // Windows-1251 bytes, not UTF-8
        RusCase { "\xD0", false }, // a lone lead byte
        RusCase { "\xFF\xD0\x90", true }, RusCase { "Ωλ", false })); // an invalid byte, then А

TEST(RootFolderTest, CompletesOnlyBareDriveNames)
{
    EXPECT_EQ(WalkRules::rootFolder("c:"), "c:\\");
    EXPECT_EQ(WalkRules::rootFolder("D:"), "D:\\");
    EXPECT_EQ(WalkRules::rootFolder("c:\\"), "c:\\");
    EXPECT_EQ(WalkRules::rootFolder("c:\\data"), "c:\\data");
    EXPECT_EQ(WalkRules::rootFolder("c:\\temp\\"), "c:\\temp\\");
    EXPECT_EQ(WalkRules::rootFolder(""), "");
    EXPECT_EQ(WalkRules::rootFolder(" c:"), " c:");
    EXPECT_EQ(WalkRules::rootFolder(":"), ":");
    EXPECT_EQ(WalkRules::rootFolder("Ж:"), "Ж:\\"); // two characters, whatever their bytes
}

TEST(SplitRootsTest, CutsAtEverySemicolonAndKeepsEveryPiece)
{
    using Roots = std::vector<std::string>;
    EXPECT_EQ(WalkRules::splitRoots("c:;d:"), (Roots { "c:", "d:" }));
    EXPECT_EQ(WalkRules::splitRoots("c:;d:;e:;"), (Roots { "c:", "d:", "e:", "" }));
    EXPECT_EQ(WalkRules::splitRoots(""), (Roots { "" }));
    EXPECT_EQ(WalkRules::splitRoots(";;"), (Roots { "", "", "" }));
    EXPECT_EQ(WalkRules::splitRoots(" c:\\Мои документы ; d:"), (Roots { " c:\\Мои документы ", " d:" }));
}

} // namespace
} // namespace nuvero

namespace nuvero {
namespace {

// A lister that serves made-up folders, so attribute words the host cannot produce (a
// Windows junction: directory and reparse point) reach the walk.
class ScriptedLister : public FolderLister {
public:
    std::map<std::string, std::vector<platform::DirEntry>> folders;
    std::vector<std::string> asked;

    bool list(const SharedText& path, std::vector<platform::DirEntry>& out) override
    {
        asked.push_back(*path);
        const auto it = folders.find(*path);
        out = it == folders.end() ? std::vector<platform::DirEntry>() : it->second;
        return it != folders.end();
    }
};

class CollectingSink : public RowSink {
public:
    std::vector<std::string> rows;
    void addRow(ResultRow&& row) override { rows.push_back(row.fullPath()); }
    void setStatus(const SharedText&) override { }
};

platform::DirEntry folderEntry(std::string name, std::uint32_t attributes)
{
    platform::DirEntry e;
    e.name = std::move(name);
    e.attributes = attributes;
    return e;
}

TEST(WalkLinksTest, FolderLinksAreNeitherEnteredNorRows)
{
    ScriptedLister lister;
    lister.folders["c:\\"] = { folderEntry("junction", platform::Attr::Directory | platform::Attr::ReparsePoint),
        folderEntry("real", platform::Attr::Directory) };
    lister.folders["c:\\real"] = {};
    SearchCriteria criteria;
    criteria.setAfterDate(false);
    CollectingSink sink;
    std::atomic<bool> stop { false };
    DirectoryWalk walk(criteria, sink, stop, "*.*", &lister);
    ASSERT_TRUE(walk.SearchRoot("c:"));
    EXPECT_EQ(lister.asked, (std::vector<std::string> { "c:\\", "c:\\real" }));
    EXPECT_EQ(sink.rows, (std::vector<std::string> { "c:\\\\real" }));
}

} // namespace
} // namespace nuvero
