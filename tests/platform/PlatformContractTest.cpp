// What the rest of the program relies on from the platform layer, checked on real
// temporary trees on both back ends. Each test gets a drive whose root is its tree: C:
// mapped onto the tree on Linux, the tree's own test drive on Windows. Paths in the
// tables name it "c:" ("C:" keeps the capital) and a drive that does not exist "q:";
// on() puts the real letters in.

#include "platform/Platform.h"
#include "support/Host.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace nuvero::platform {
namespace {

class PlatformContractTest : public testing::Test {
protected:
    void SetUp() override
    {
        letter = drives.driveFor(tree);
        missingLetter = test::TestDrives::unusedLetter();
    }

    std::string on(std::string_view path) const
    {
        std::string real(path);
        const auto lower = [](char c) { return static_cast<char>(c | 0x20); };
        const auto upper = [](char c) { return static_cast<char>(c & ~0x20); };
        if (real.size() >= 2 && real[1] == ':') {
            if (real[0] == 'c' || real[0] == 'C')
                real[0] = real[0] == 'c' ? lower(letter) : upper(letter);
            else if (real[0] == 'q' || real[0] == 'Q')
                real[0] = real[0] == 'q' ? lower(missingLetter) : upper(missingLetter);
        }
        return real;
    }

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
    char letter = 0;
    char missingLetter = 0;
};

TEST_F(PlatformContractTest, ListsFilesAndFoldersWithTheirAttributeWords)
{
    tree.makeFile("file.txt", "12345");
    tree.makeDir("folder");
    tree.makeFile("\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82.doc"); // Отчёт.doc
    const auto entries = list(on("c:\\"));
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
        const Folder folder = Folder::open(on(c.path), &status);
        EXPECT_EQ(folder.isOpen(), c.opens) << c.path;
        EXPECT_EQ(status.ok(), c.opens) << c.path;
    }
}

TEST_F(PlatformContractTest, FoldersThatCannotBeEnteredGiveTheSystemsCodes)
{
    // The codes Windows gives when a folder cannot be made the working directory; the
    // rename commands show their texts when a row's folder is gone.
    tree.makeFile("file.txt");
    const struct {
        const char* path;
        int code;
    } cases[] = {
        { "c:\\missing", IoCode::FileNotFound },
        { "c:\\missing\\below", IoCode::PathNotFound },
        { "c:\\file.txt", 267 }, // "the directory name is invalid"
        { "c:\\file.txt\\below", IoCode::PathNotFound },
        { "q:\\", IoCode::PathNotFound },
        { "q:\\data", IoCode::PathNotFound },
        { "", IoCode::PathNotFound },
    };
    for (const auto& c : cases) {
        IoStatus status;
        EXPECT_FALSE(Folder::open(on(c.path), &status).isOpen()) << c.path;
        EXPECT_EQ(status.code(), c.code) << c.path;
        EXPECT_EQ(enterFolder(on(c.path)).code(), c.code) << c.path;
    }
}

TEST_F(PlatformContractTest, ListMatchingAppliesTheMaskToNamesOnly)
{
    tree.makeFile("a.txt");
    tree.makeFile("B.TXT");
    tree.makeFile("c.doc");
    tree.makeDir("notes.txt");
    std::vector<DirEntry> hits;
    ASSERT_TRUE(listMatching(on("c:\\"), "*.txt", hits));
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
    const DirEntry e = list(on("c:\\")).at("old.txt");
    constexpr std::int64_t unixEpochTicks = 116444736000000000LL;
    EXPECT_EQ(e.lastAccessTime.ticks, unixEpochTicks + 1000000000LL * 10000000LL);
    EXPECT_EQ(e.lastWriteTime.ticks, unixEpochTicks + 1500000000LL * 10000000LL);
    if (!test::runningUnderWine()) { // Wine reports the host's last write time as creation time
        EXPECT_GT(e.creationTime.ticks, e.lastWriteTime.ticks); // made now, dated back afterwards
    }
}

TEST_F(PlatformContractTest, RenameNeverReplacesAnExistingTarget)
{
    tree.makeFile("one.txt", "one");
    tree.makeFile("two.txt", "two");
    tree.makeDir("dir");
    const IoStatus onto = moveFile(on("c:\\one.txt"), on("c:\\two.txt"));
    EXPECT_EQ(onto.code(), IoCode::AlreadyExists);
    EXPECT_EQ(tree.read("one.txt"), "one");
    EXPECT_EQ(tree.read("two.txt"), "two");
    EXPECT_EQ(moveFile(on("c:\\one.txt"), on("c:\\dir")).code(), IoCode::AlreadyExists);
    EXPECT_EQ(moveFile(on("c:\\dir"), on("c:\\two.txt")).code(), IoCode::AlreadyExists);
    EXPECT_TRUE(tree.isDir("dir"));

    EXPECT_TRUE(moveFile(on("c:\\one.txt"), on("c:\\one.txt")).ok()); // the very same name
    EXPECT_EQ(tree.read("one.txt"), "one");
    EXPECT_TRUE(moveFile(on("c:\\one.txt"), on("c:\\dir\\moved.txt")).ok());
    EXPECT_EQ(tree.read("dir/moved.txt"), "one");
    EXPECT_TRUE(moveFile(on("c:\\dir"), on("c:\\renamed")).ok());
    EXPECT_TRUE(tree.isDir("renamed"));
    EXPECT_EQ(moveFile(on("c:\\gone.txt"), on("c:\\x.txt")).code(), IoCode::FileNotFound);
}

TEST_F(PlatformContractTest, DeleteRemovesOnlyTheFileAskedAbout)
{
    tree.makeFile("keep.txt", "k");
    tree.makeFile("drop.txt", "d");
    tree.makeDir("folder");
    EXPECT_TRUE(deleteFile(on("c:\\drop.txt")).ok());
    EXPECT_FALSE(tree.exists("drop.txt"));
    EXPECT_TRUE(tree.exists("keep.txt"));
    EXPECT_EQ(deleteFile(on("c:\\folder")).code(), IoCode::AccessDenied);
    EXPECT_TRUE(tree.isDir("folder"));
    EXPECT_EQ(deleteFile(on("c:\\drop.txt")).code(), IoCode::FileNotFound);
}

TEST_F(PlatformContractTest, OpenTestAcceptsExistingFilesOnly)
{
    tree.makeFile("file.txt");
    tree.makeDir("folder");
    EXPECT_TRUE(openReadWriteTest(on("c:\\file.txt")).ok());
    EXPECT_EQ(openReadWriteTest(on("c:\\folder")).code(), IoCode::AccessDenied);
    EXPECT_EQ(openReadWriteTest(on("c:\\missing.txt")).code(), IoCode::FileNotFound);
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
        EXPECT_TRUE(enterFolder(on(c.path), &reported).ok()) << c.path;
        EXPECT_EQ(reported, on(c.reported));
    }
    EXPECT_FALSE(enterFolder(on("c:\\nothing")).ok());
}

TEST_F(PlatformContractTest, OutputFileReplacesContentAndReportsFailures)
{
    tree.makeFile("list.txt", "old content that is longer");
    tree.makeDir("folder");
    {
        OutputFile out;
        ASSERT_TRUE(out.create(on("c:\\list.txt")).ok());
        ASSERT_TRUE(out.write("new\r\n").ok());
        ASSERT_TRUE(out.close().ok());
    }
    EXPECT_EQ(tree.read("list.txt"), "new\r\n");
    OutputFile out;
    EXPECT_EQ(out.create(on("c:\\folder")).code(), IoCode::AccessDenied);
    EXPECT_EQ(out.create(on("c:\\no\\such\\folder\\x")).code(), IoCode::PathNotFound);
    EXPECT_EQ(out.create(on("q:\\x")).code(), IoCode::PathNotFound);
}

TEST_F(PlatformContractTest, AttributesOfPaths)
{
    tree.makeFile("file.txt");
    EXPECT_EQ(fileAttributes(on("c:\\file.txt")), Attr::Archive);
    EXPECT_EQ(fileAttributes(on("c:\\")), Attr::Directory);
    EXPECT_FALSE(fileAttributes(on("c:\\missing")).has_value());
}

TEST_F(PlatformContractTest, NamesOutsideAnyCodePageAreListedRenamedAndDeleted)
{
    const std::string folder = "\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0"; // Папка
    const std::string greek = "\xCE\xB1\xCE\xB2\xCE\xB3.txt"; // αβγ.txt
    const std::string chinese = "\xE6\x96\x87\xE6\xA1\xA3.txt"; // 文档.txt
    const std::string emoji = "\xF0\x9F\x98\x80.txt"; // two UTF-16 units for one character
    for (const auto& name : { greek, chinese, emoji })
        tree.makeFile(folder + "/" + name, name);
    const std::string base = on("c:\\") + folder;
    const auto entries = list(base);
    ASSERT_EQ(entries.size(), 3u);
    for (const auto& name : { greek, chinese, emoji }) {
        ASSERT_TRUE(entries.count(name)) << name;
        EXPECT_EQ(entries.at(name).size, name.size());
    }
    EXPECT_TRUE(moveFile(base + "\\" + emoji, base + "\\Otchyot.txt").ok());
    EXPECT_EQ(tree.read(folder + "/Otchyot.txt"), emoji);
    EXPECT_TRUE(deleteFile(base + "\\" + chinese).ok());
    EXPECT_FALSE(tree.exists(folder + "/" + chinese));
    EXPECT_TRUE(tree.exists(folder + "/" + greek));
    std::string reported;
    EXPECT_TRUE(enterFolder(base + "\\", &reported).ok());
    EXPECT_EQ(reported, base);
}

TEST_F(PlatformContractTest, DeviceNamesAndTrailingDotsAreOrdinaryNames)
{
    // Names a listing can return on either system. Each must reach exactly its own file:
    // never the device of that name, never the name with its dot or blank cut off.
    const char* names[] = { "con", "nul.txt", "aux", "com1", "name.", "blank " };
    for (const char* name : names)
        tree.makeFile(name, name);
    const auto entries = list(on("c:\\"));
    for (const char* name : names) {
        EXPECT_TRUE(entries.count(name)) << name;
        EXPECT_TRUE(openReadWriteTest(on("c:\\") + name).ok()) << name;
        EXPECT_EQ(fileAttributes(on("c:\\") + name), Attr::Archive) << name;
    }
    EXPECT_TRUE(moveFile(on("c:\\con"), on("c:\\console.txt")).ok());
    EXPECT_EQ(tree.read("console.txt"), "con");
    EXPECT_TRUE(deleteFile(on("c:\\name.")).ok());
    EXPECT_FALSE(tree.exists("name."));
    EXPECT_TRUE(tree.exists("blank "));
    // Device names that no file has are not found, rather than opened as the device.
    EXPECT_EQ(openReadWriteTest(on("c:\\prn")).code(), IoCode::FileNotFound);
    EXPECT_FALSE(fileAttributes(on("c:\\lpt1")).has_value());
    EXPECT_EQ(deleteFile(on("c:\\aux.txt")).code(), IoCode::FileNotFound);
    OutputFile out;
    ASSERT_TRUE(out.create(on("c:\\nul")).ok());
    ASSERT_TRUE(out.write("kept").ok());
    ASSERT_TRUE(out.close().ok());
    EXPECT_EQ(tree.read("nul"), "kept");
}

TEST_F(PlatformContractTest, PathsBeyondTheClassicLimitWork)
{
    std::string relative;
    for (char c = 'a'; c < 'g'; ++c)
        relative += std::string(relative.empty() ? "" : "/") + std::string(60, c);
    tree.makeFile(relative + "/deep.txt", "deep");
    std::string path = on("c:\\") + relative;
    std::replace(path.begin(), path.end(), '/', '\\');
    ASSERT_GT(path.size(), 260u); // MAX_PATH
    const auto entries = list(path);
    ASSERT_TRUE(entries.count("deep.txt"));
    EXPECT_EQ(entries.at("deep.txt").size, 4u);
    EXPECT_EQ(fileAttributes(path + "\\deep.txt"), Attr::Archive);
    EXPECT_TRUE(openReadWriteTest(path + "\\deep.txt").ok());
    EXPECT_TRUE(moveFile(path + "\\deep.txt", path + "\\moved.txt").ok());
    EXPECT_EQ(tree.read(relative + "/moved.txt"), "deep");
    OutputFile out;
    ASSERT_TRUE(out.create(path + "\\list.txt").ok());
    ASSERT_TRUE(out.write("line\r\n").ok());
    ASSERT_TRUE(out.close().ok());
    EXPECT_EQ(tree.read(relative + "/list.txt"), "line\r\n");
    EXPECT_TRUE(deleteFile(path + "\\moved.txt").ok());
    EXPECT_FALSE(tree.exists(relative + "/moved.txt"));
    std::string reported;
    EXPECT_TRUE(enterFolder(path + "\\", &reported).ok());
    EXPECT_EQ(reported, path);
}

TEST_F(PlatformContractTest, OutputFileKeepsEveryByteOfALongList)
{
    std::string expected;
    OutputFile out;
    ASSERT_TRUE(out.create(on("c:\\long.txt")).ok());
    for (int i = 0; i < 40000; ++i) { // about 3 MB: the buffer is written out several times
        const std::string line = std::to_string(i) + std::string(static_cast<std::size_t>(i % 97), '.') + "\r\n";
        ASSERT_TRUE(out.write(line).ok());
        expected += line;
    }
    ASSERT_TRUE(out.close().ok());
    EXPECT_EQ(tree.read("long.txt"), expected);
    EXPECT_EQ(out.write("late").code(), IoCode::InvalidHandle);
    EXPECT_EQ(out.close().code(), IoCode::InvalidHandle);
}

TEST_F(PlatformContractTest, TheTestDriveIsAReadyFixedDriveWithADisplayName)
{
    const auto bit = [](char c) { return 1u << ((c | 0x20) - 'a'); };
    EXPECT_NE(logicalDrives() & bit(letter), 0u);
    EXPECT_EQ(logicalDrives() & bit(missingLetter), 0u);
    EXPECT_EQ(driveType(letter), DriveType::Fixed);
    EXPECT_TRUE(driveReady(letter));
    EXPECT_EQ(driveType(missingLetter), DriveType::NoRootDir);
    EXPECT_FALSE(driveReady(missingLetter));
    EXPECT_EQ(driveDisplayName(missingLetter), "");
    const std::string name = driveDisplayName(letter);
    const std::string suffix = std::string(" (") + static_cast<char>(letter & ~0x20) + ":)";
    EXPECT_GT(name.size(), suffix.size());
    EXPECT_EQ(name.substr(name.size() - std::min(name.size(), suffix.size())), suffix) << name;
    EXPECT_FALSE(computerDisplayName().empty());
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
