// What the rest of the program relies on from the platform layer, checked on real
// temporary trees mapped as drive C:.

#include "platform/Platform.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace nuvero::platform {
namespace {

class PlatformContractTest : public testing::Test {
protected:
    void SetUp() override { drives.map({ { 'c', tree.root() } }); }

    std::map<std::string, DirEntry> list(const std::string& path)
    {
        Folder folder = Folder::open(path);
        EXPECT_TRUE(folder.isOpen()) << path;
        std::vector<DirEntry> entries;
        EXPECT_TRUE(folder.readAll(entries));
        std::map<std::string, DirEntry> byName;
        for (auto& e : entries)
            byName[e.name] = e;
        return byName;
    }

    test::TempTree tree;
    test::TestDrives drives;
};

TEST_F(PlatformContractTest, ListsFilesAndFoldersWithTheirAttributeWords)
{
    tree.makeFile("file.txt", "12345");
    tree.makeDir("folder");
    tree.makeFile("\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82.doc"); // Отчёт.doc
    const auto entries = list("c:\\");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries.at("file.txt").attributes, Attr::Archive);
    EXPECT_EQ(entries.at("file.txt").size, 5u);
    EXPECT_EQ(entries.at("folder").attributes, Attr::Directory);
    EXPECT_EQ(entries.at("folder").size, 0u);
    EXPECT_TRUE(entries.count("\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82.doc"));
    EXPECT_EQ(entries.count("."), 0u);
    EXPECT_EQ(entries.count(".."), 0u);
}

TEST_F(PlatformContractTest, OpensFoldersByEveryFormOfTheirPath)
{
    tree.makeFile("a/b/inner.txt");
    const struct {
        const char* path;
        bool opens;
    } cases[] = {
        { "c:", true },
        { "c:\\", true },
        { "C:\\a", true },
        { "c:\\a\\b\\", true },
        { "c:/a//b", true },
        { "c:\\a\\..\\a\\b", true },
        { "c:\\..\\..\\a", true },
        { "c:\\missing", false },
        { "c:\\a\\b\\inner.txt", false },
        { "q:\\", false },
        { "", false },
        { "c", false },
        { "\\a", false },
    };
    for (const auto& c : cases) {
        IoStatus status;
        const Folder folder = Folder::open(c.path, &status);
        EXPECT_EQ(folder.isOpen(), c.opens) << c.path;
        EXPECT_EQ(status.ok(), c.opens) << c.path;
    }
}

TEST_F(PlatformContractTest, ListMatchingAppliesTheMaskToNamesOnly)
{
    tree.makeFile("a.txt");
    tree.makeFile("B.TXT");
    tree.makeFile("c.doc");
    tree.makeDir("notes.txt");
    std::vector<DirEntry> hits;
    ASSERT_TRUE(listMatching("c:\\", "*.txt", hits));
    std::vector<std::string> names;
    for (const auto& e : hits)
        names.push_back(e.name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string> { "B.TXT", "a.txt", "notes.txt" }));
}

TEST_F(PlatformContractTest, FileTimesAreTheSystemsOwn)
{
    tree.makeFile("old.txt");
    tree.setTimes("old.txt", 1000000000, 1500000000); // access 2001-09-09, write 2017-07-14 (UTC)
    const DirEntry e = list("c:\\").at("old.txt");
    constexpr std::int64_t unixEpochTicks = 116444736000000000LL;
    EXPECT_EQ(e.lastAccessTime.ticks, unixEpochTicks + 1000000000LL * 10000000LL);
    EXPECT_EQ(e.lastWriteTime.ticks, unixEpochTicks + 1500000000LL * 10000000LL);
    EXPECT_GT(e.creationTime.ticks, e.lastWriteTime.ticks); // made now, dated back afterwards
}

TEST_F(PlatformContractTest, RenameNeverReplacesAnExistingTarget)
{
    tree.makeFile("one.txt", "one");
    tree.makeFile("two.txt", "two");
    tree.makeDir("dir");
    const IoStatus onto = moveFile("c:\\one.txt", "c:\\two.txt");
    EXPECT_EQ(onto.code(), IoCode::AlreadyExists);
    EXPECT_EQ(tree.read("one.txt"), "one");
    EXPECT_EQ(tree.read("two.txt"), "two");
    EXPECT_EQ(moveFile("c:\\one.txt", "c:\\dir").code(), IoCode::AlreadyExists);
    EXPECT_EQ(moveFile("c:\\dir", "c:\\two.txt").code(), IoCode::AlreadyExists);
    EXPECT_TRUE(tree.isDir("dir"));

    EXPECT_TRUE(moveFile("c:\\one.txt", "c:\\one.txt").ok()); // the very same name
    EXPECT_EQ(tree.read("one.txt"), "one");
    EXPECT_TRUE(moveFile("c:\\one.txt", "c:\\dir\\moved.txt").ok());
    EXPECT_EQ(tree.read("dir/moved.txt"), "one");
    EXPECT_TRUE(moveFile("c:\\dir", "c:\\renamed").ok());
    EXPECT_TRUE(tree.isDir("renamed"));
    EXPECT_EQ(moveFile("c:\\gone.txt", "c:\\x.txt").code(), IoCode::FileNotFound);
}

TEST_F(PlatformContractTest, DeleteRemovesOnlyTheFileAskedAbout)
{
    tree.makeFile("keep.txt", "k");
    tree.makeFile("drop.txt", "d");
    tree.makeDir("folder");
    EXPECT_TRUE(deleteFile("c:\\drop.txt").ok());
    EXPECT_FALSE(tree.exists("drop.txt"));
    EXPECT_TRUE(tree.exists("keep.txt"));
    EXPECT_EQ(deleteFile("c:\\folder").code(), IoCode::AccessDenied);
    EXPECT_TRUE(tree.isDir("folder"));
    EXPECT_EQ(deleteFile("c:\\drop.txt").code(), IoCode::FileNotFound);
}

TEST_F(PlatformContractTest, OpenTestAcceptsExistingFilesOnly)
{
    tree.makeFile("file.txt");
    tree.makeDir("folder");
    EXPECT_TRUE(openReadWriteTest("c:\\file.txt").ok());
    EXPECT_EQ(openReadWriteTest("c:\\folder").code(), IoCode::AccessDenied);
    EXPECT_EQ(openReadWriteTest("c:\\missing.txt").code(), IoCode::FileNotFound);
    EXPECT_FALSE(tree.exists("missing.txt"));
}

TEST_F(PlatformContractTest, EnteringReportsTheFolderAsTheSystemSpellsIt)
{
    tree.makeDir("data/sub");
    const struct {
        const char* path;
        const char* reported;
    } cases[] = {
        { "c:", "c:\\" },
        { "c:\\", "c:\\" },
        { "c:\\data\\", "c:\\data" },
        { "c:\\data\\\\sub", "c:\\data\\sub" },
        { "c:\\data\\.\\sub\\..", "c:\\data" },
        { "C:/data/sub", "C:\\data\\sub" },
    };
    for (const auto& c : cases) {
        std::string reported;
        EXPECT_TRUE(enterFolder(c.path, &reported).ok()) << c.path;
        EXPECT_EQ(reported, c.reported);
    }
    EXPECT_FALSE(enterFolder("c:\\nothing").ok());
}

TEST_F(PlatformContractTest, OutputFileReplacesContentAndReportsFailures)
{
    tree.makeFile("list.txt", "old content that is longer");
    tree.makeDir("folder");
    {
        OutputFile out;
        ASSERT_TRUE(out.create("c:\\list.txt").ok());
        ASSERT_TRUE(out.write("new\r\n").ok());
        ASSERT_TRUE(out.close().ok());
    }
    EXPECT_EQ(tree.read("list.txt"), "new\r\n");
    OutputFile out;
    EXPECT_EQ(out.create("c:\\folder").code(), IoCode::AccessDenied);
    EXPECT_EQ(out.create("c:\\no\\such\\folder\\x").code(), IoCode::PathNotFound);
    EXPECT_EQ(out.create("q:\\x").code(), IoCode::PathNotFound);
}

TEST_F(PlatformContractTest, AttributesOfPaths)
{
    tree.makeFile("file.txt");
    EXPECT_EQ(fileAttributes("c:\\file.txt"), Attr::Archive);
    EXPECT_EQ(fileAttributes("c:\\"), Attr::Directory);
    EXPECT_FALSE(fileAttributes("c:\\missing").has_value());
}

TEST(IoErrorTextTest, TextsFollowTheSystemErrorCode)
{
    const struct {
        int code;
        const char* text;
    } cases[] = {
        { 2, "File not found" },
        { 3, "Invalid filename" },
        { 4, "Too many open files" },
        { 5, "File access denied" },
        { 100, "Read beyond end of file" },
        { 101, "Disk full" },
        { 106, "Invalid numeric input" },
        { 183, "I/O error 183" },
        { 32, "I/O error 32" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(IoStatus(c.code).text(), c.text);
    EXPECT_TRUE(IoStatus().ok());
}

TEST(LocalTimeTest, ConvertsWithTheOffsetInForceNow)
{
    const LocalTimeConverter converter;
    const DateTime now = localNow();
    // A file time taken now converts to the local time now, give or take a second.
    const auto nowTicks = static_cast<std::int64_t>(std::time(nullptr)) * 10000000LL + 116444736000000000LL;
    const DateTime converted = converter.toDateTime(FileTime { nowTicks });
    EXPECT_LE(std::llabs(converted.msecs() - now.msecs()), 2000);
    EXPECT_EQ(converted.msecs() % 1000, 0); // milliseconds dropped
}

} // namespace
} // namespace nuvero::platform
