// What the rest of the program relies on from the platform layer, checked on real
// temporary trees on both back ends. Each test gets a drive whose root is its tree: C:
// mapped onto the tree on Linux, the tree's own test drive on Windows. Paths in the
// tables name it "c:" ("C:" keeps the capital) and a drive that does not exist "q:";
// on() puts the real letters in.

#include "ListByName.h"

#include "platform/Platform.h"
#include "support/Host.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

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

    test::TempTree tree;
    test::TestDrives drives;
    char letter = 0;
    char missingLetter = 0;
};

// Every form of a folder's path is opened and entered, and entering reports the folder as
// the system spells it; those that cannot be entered give the codes Windows gives when a
// folder cannot be made the working directory (the rename commands show their texts).
TEST_F(PlatformContractTest, FolderPathsOpenOrGiveTheSystemsCodes)
{
    tree.makeFile("a/b/inner.txt");
    const struct {
        const char* path;
        int code;
        const char* reported;
    } cases[] = {
        { "c:", 0, "c:\\" },
        { "c:\\", 0, "c:\\" },
        { "C:\\a", 0, "C:\\a" },
        { "c:\\a\\b\\", 0, "c:\\a\\b" },
        { "c:/a//b", 0, "c:\\a\\b" },
        { "c:\\a\\..\\a\\b", 0, "c:\\a\\b" },
        { "c:\\a\\.\\b\\..", 0, "c:\\a" },
        { "c:\\..\\..\\a", 0, "c:\\a" },
        { "c:\\missing", IoCode::FileNotFound, "" },
        { "c:\\missing\\below", IoCode::PathNotFound, "" },
        { "c:\\a\\b\\inner.txt", 267, "" }, // "the directory name is invalid"
        { "c:\\a\\b\\inner.txt\\below", IoCode::PathNotFound, "" },
        { "q:\\", IoCode::PathNotFound, "" },
        { "q:\\data", IoCode::PathNotFound, "" },
        { "", IoCode::PathNotFound, "" },
        { "c", IoCode::PathNotFound, "" },
        { "\\a", IoCode::PathNotFound, "" },
    };
    for (const auto& c : cases) {
        IoStatus status;
        EXPECT_EQ(Folder::open(on(c.path), &status).isOpen(), c.code == 0) << c.path;
        EXPECT_EQ(status.code(), c.code) << c.path;
        std::string reported;
        EXPECT_EQ(enterFolder(on(c.path), &reported).code(), c.code) << c.path;
        if (c.code == 0) {
            EXPECT_EQ(reported, on(c.reported)) << c.path;
        }
    }
}

TEST_F(PlatformContractTest, FileTimesAreTheSystemsOwn)
{
    tree.makeFile("old.txt");
    tree.setTimes("old.txt", 1000000000, 1500000000); // access 2001-09-09, write 2017-07-14 (UTC)
    const DirEntry e = test::listByName(on("c:\\")).at("old.txt");
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
    EXPECT_EQ(moveFile(on("c:\\one.txt"), on("c:\\two.txt")).code(), IoCode::AlreadyExists);
    EXPECT_EQ(moveFile(on("c:\\one.txt"), on("c:\\dir")).code(), IoCode::AlreadyExists);
    EXPECT_EQ(moveFile(on("c:\\dir"), on("c:\\two.txt")).code(), IoCode::AlreadyExists);
    EXPECT_EQ(tree.read("one.txt"), "one");
    EXPECT_EQ(tree.read("two.txt"), "two");
    EXPECT_TRUE(tree.isDir("dir"));
    EXPECT_TRUE(moveFile(on("c:\\one.txt"), on("c:\\one.txt")).ok()); // the very same name
    EXPECT_EQ(tree.read("one.txt"), "one");
    EXPECT_TRUE(moveFile(on("c:\\one.txt"), on("c:\\dir\\moved.txt")).ok());
    EXPECT_EQ(tree.read("dir/moved.txt"), "one");
    EXPECT_TRUE(moveFile(on("c:\\dir"), on("c:\\renamed")).ok());
    EXPECT_TRUE(tree.isDir("renamed"));
    EXPECT_EQ(moveFile(on("c:\\gone.txt"), on("c:\\x.txt")).code(), IoCode::FileNotFound);
}

// The calls on a file, a folder and paths that lead nowhere, in this order: the listing,
// attributes, the open test, delete, then a new output file. Delete takes only the file
// asked about, and a failed call makes nothing.
TEST_F(PlatformContractTest, FileCallsOnFilesFoldersAndMissingPaths)
{
    tree.makeFile("file.txt", "old content that is longer");
    tree.makeFile("keep.txt", "keep");
    tree.makeDir("folder");
    const auto entries = test::listByName(on("c:\\"));
    ASSERT_EQ(entries.size(), 3u); // no "." or ".."
    EXPECT_EQ(entries.at("file.txt").attributes, Attr::Archive);
    EXPECT_EQ(entries.at("file.txt").size, 26u);
    EXPECT_EQ(entries.at("folder").attributes, Attr::Directory);
    EXPECT_EQ(entries.at("folder").size, 0u);
    constexpr std::uint32_t None = 0;
    constexpr int Fails = -1; // some code: the back ends differ
    const struct {
        const char* path;
        std::uint32_t attributes;
        int openTest;
        int remove;
        int create;
    } cases[] = {
        { "c:\\file.txt", Attr::Archive, 0, 0, 0 },
        { "c:\\folder", Attr::Directory, IoCode::AccessDenied, IoCode::AccessDenied, IoCode::AccessDenied },
        { "c:\\missing.txt", None, IoCode::FileNotFound, IoCode::FileNotFound, 0 },
        { "c:\\no\\such\\folder\\x", None, Fails, Fails, IoCode::PathNotFound },
        { "q:\\x", None, IoCode::PathNotFound, IoCode::PathNotFound, IoCode::PathNotFound },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fileAttributes(on(c.path)).value_or(None), c.attributes) << c.path;
        const auto code
            = [](const IoStatus& status, int expected) { return expected == Fails ? -!status.ok() : status.code(); };
        EXPECT_EQ(code(openReadWriteTest(on(c.path)), c.openTest), c.openTest) << c.path;
        EXPECT_EQ(code(deleteFile(on(c.path)), c.remove), c.remove) << c.path;
        OutputFile out;
        EXPECT_EQ(out.create(on(c.path)).code(), c.create) << c.path;
        if (c.create == 0) {
            EXPECT_TRUE(out.write("new\r\n").ok() && out.close().ok()) << c.path;
            EXPECT_EQ(fileAttributes(on(c.path)), Attr::Archive) << c.path;
        }
    }
    EXPECT_EQ(fileAttributes(on("c:\\")), Attr::Directory);
    EXPECT_EQ(tree.read("file.txt"), "new\r\n");
    EXPECT_EQ(tree.read("missing.txt"), "new\r\n");
    EXPECT_EQ(tree.read("keep.txt"), "keep");
    EXPECT_TRUE(tree.isDir("folder"));
    EXPECT_FALSE(tree.exists("no"));
}

// Names that a listing returns on either system must reach exactly their own file with
// every call: names outside any code page, device names and names ending in a dot or a
// blank (never the device, never the name cut short), names that are not UTF-8 on Linux,
// and paths beyond the classic limit of 260 characters.
TEST_F(PlatformContractTest, EveryCallReachesExactlyItsOwnFile)
{
    std::string deep;
    for (char c = 'a'; c < 'g'; ++c)
        deep += std::string(deep.empty() ? "" : "/") + std::string(60, c);
    const std::vector<std::pair<std::string, std::string>> files = {
        { "Папка", "αβγ.txt" },
        { "Папка", "文档.txt" },
        { "Папка", "😀.txt" }, // 😀: two UTF-16 units
        { "", "con" },
        { "", "nul.txt" },
        { "", "aux" },
        { "", "com1" },
        { "", "name." },
        { "", "blank " },
        { deep, "deep.txt" },
#ifndef _WIN32
        { "caf\xE9", "inner\xFF.txt" },
        { "", "line\nbreak.txt" },
#endif
    };
    ASSERT_GT(on("c:\\").size() + deep.size(), 260u); // MAX_PATH
    for (const auto& [where, name] : files) {
        const std::string relative = where.empty() ? "" : where + "/";
        tree.makeFile(relative + name, name);
        tree.makeFile(relative + "neighbour", "n");
    }
    for (const auto& [where, name] : files) {
        SCOPED_TRACE(name);
        const std::string relative = where.empty() ? "" : where + "/";
        std::string folder = on("c:\\") + where;
        std::replace(folder.begin(), folder.end(), '/', '\\');
        const std::string prefix = where.empty() ? folder : folder + "\\";
        const auto entries = test::listByName(folder);
        ASSERT_TRUE(entries.count(name));
        EXPECT_EQ(entries.at(name).size, name.size());
        EXPECT_EQ(fileAttributes(prefix + name), Attr::Archive);
        EXPECT_TRUE(openReadWriteTest(prefix + name).ok());
        EXPECT_TRUE(moveFile(prefix + name, prefix + "moved").ok());
        EXPECT_EQ(tree.read(relative + "moved"), name);
        EXPECT_TRUE(deleteFile(prefix + "moved").ok());
        EXPECT_FALSE(tree.exists(relative + "moved"));
        OutputFile out;
        ASSERT_TRUE(out.create(prefix + name).ok());
        ASSERT_TRUE(out.write("kept").ok() && out.close().ok());
        EXPECT_EQ(tree.read(relative + name), "kept");
        EXPECT_EQ(tree.read(relative + "neighbour"), "n");
        std::string reported;
        EXPECT_TRUE(enterFolder(prefix, &reported).ok());
        EXPECT_EQ(reported, where.empty() ? on("c:\\") : folder);
    }
    // Device names that no file has are not found, rather than opened as the device.
    for (const char* device : { "prn", "lpt1", "aux.txt" }) {
        EXPECT_EQ(openReadWriteTest(on("c:\\") + device).code(), IoCode::FileNotFound) << device;
        EXPECT_FALSE(fileAttributes(on("c:\\") + device).has_value()) << device;
        EXPECT_EQ(deleteFile(on("c:\\") + device).code(), IoCode::FileNotFound) << device;
    }
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
    EXPECT_TRUE(tree.read("long.txt") == expected); // no dump of 3 MB on failure
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
    EXPECT_TRUE(name.size() > suffix.size() && name.ends_with(suffix)) << name;
    EXPECT_FALSE(computerDisplayName().empty());
}

TEST(IoErrorTextTest, TextsFollowTheSystemErrorCode)
{
    const struct {
        int code;
        const char* text;
    } cases[] = { { 2, "File not found" }, { 3, "Invalid filename" }, { 4, "Too many open files" },
        { 5, "File access denied" }, { 100, "Read beyond end of file" }, { 101, "Disk full" },
        { 106, "Invalid numeric input" }, { 183, "I/O error 183" }, { 32, "I/O error 32" } };
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
