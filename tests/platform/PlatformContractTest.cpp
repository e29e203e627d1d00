// What the rest of the program relies on from the platform layer, on real temporary trees,
// the same on both back ends. Each test gets a drive whose root is its tree: C: mapped
// onto it on Linux, the tree's own test drive on Windows. Paths in the tables name it
// "c:" ("C:" keeps the capital) and a drive that does not exist "q:"; on() puts the real
// letters in.

#include "platform/Platform.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#ifdef _WIN32
#include "platform/win32/WindowsApi.h"
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <map>

namespace nuvero::platform {
namespace {

class PlatformContractTest : public testing::Test {
protected:
    std::string on(std::string path) const
    {
        std::replace(path.begin(), path.end(), '/', '\\');
        if (path.size() > 1 && path[1] == ':')
            path[0] = static_cast<char>((((path[0] | 0x20) == 'q' ? missing : letter) & ~0x20) | (path[0] & 0x20));
        return path;
    }

    // The entries of a folder by name; the folder must open and list.
    std::map<std::string, DirEntry> list(const std::string& path) const
    {
        std::vector<DirEntry> entries;
        EXPECT_TRUE(Folder::open(on(path)).readAll(entries)) << path;
        std::map<std::string, DirEntry> byName;
        for (auto& e : entries)
            byName[e.name] = e;
        return byName;
    }

    test::TempTree tree;
    test::TestDrives drives;
    char letter = drives.driveFor(tree);
    char missing = test::TestDrives::unusedLetter();
};

// Every form of a folder's path is opened and entered, reported as the system spells it,
// and ".." never climbs above the drive; the rest give the codes Windows gives when a
// folder cannot be made the working directory (the rename commands show their texts).
TEST_F(PlatformContractTest, FolderPathsOpenOrGiveTheSystemsCodes)
{
    tree.makeFile("a/b/inner.txt");
    const struct {
        const char* path;
        int code;
        const char* reported;
    } cases[] = { { "c:", 0, "c:\\" }, { "C:\\a", 0, "C:\\a" }, { "c:\\a\\b\\", 0, "c:\\a\\b" },
        { "c:/a//b", 0, "c:\\a\\b" }, { "c:\\a\\..\\a\\b", 0, "c:\\a\\b" }, { "c:\\a\\.\\b\\..", 0, "c:\\a" },
        { "c:\\..\\..\\a", 0, "c:\\a" }, { "c:\\a\\..\\..", 0, "c:\\" }, { "c:\\missing", IoCode::FileNotFound, "" },
        { "c:\\missing\\below", IoCode::PathNotFound, "" },
        { "c:\\a\\b\\inner.txt", 267, "" }, // "the directory name is invalid"
        { "c:\\a\\b\\inner.txt\\below", IoCode::PathNotFound, "" }, { "q:\\", IoCode::PathNotFound, "" },
        { "", IoCode::PathNotFound, "" }, { "c", IoCode::PathNotFound, "" }, { "\\a", IoCode::PathNotFound, "" } };
    for (const auto& c : cases) {
        IoStatus status;
        EXPECT_EQ(Folder::open(on(c.path), &status).isOpen(), c.code == 0) << c.path;
        EXPECT_EQ(status.code(), c.code) << c.path;
        std::string reported;
        EXPECT_EQ(enterFolder(on(c.path), &reported).code(), c.code) << c.path;
        EXPECT_EQ(reported, c.code == 0 ? on(c.reported) : "") << c.path;
    }
}

// The calls on a file, a folder and paths that lead nowhere, in this order: attributes,
// the open test, delete, a new output file, and a rename onto each. Delete takes only the
// file asked about, rename never replaces, and a failed call makes nothing.
TEST_F(PlatformContractTest, FileCallsOnFilesFoldersAndMissingPaths)
{
    tree.makeFile("file.txt", "old content that is longer");
    tree.makeFile("keep.txt", "keep");
    tree.makeDir("folder");
    tree.setTimes("keep.txt", 1000000000, 1500000000); // access 2001-09-09, write 2017-07-14 (UTC)
    auto entries = list("c:\\");
    ASSERT_EQ(entries.size(), 3u); // no "." or ".."
    EXPECT_EQ(entries["file.txt"].attributes, Attr::Archive);
    EXPECT_EQ(entries["file.txt"].size, 26u);
    EXPECT_EQ(entries["folder"].attributes, Attr::Directory);
    const DirEntry& dated = entries["keep.txt"];
    constexpr std::int64_t unixEpoch = 116444736000000000LL, second = 10000000LL;
    EXPECT_EQ(dated.lastAccessTime.ticks, unixEpoch + 1000000000LL * second);
    EXPECT_EQ(dated.lastWriteTime.ticks, unixEpoch + 1500000000LL * second);
#ifndef _WIN32 // made now, dated back afterwards (Wine gives the host's last write time instead)
    EXPECT_GT(dated.creationTime.ticks, dated.lastWriteTime.ticks);
#endif

    constexpr int Fails = -1; // some code: the back ends differ
    const struct {
        const char* path;
        std::uint32_t attributes;
        int openTest, remove, create, renameOnto;
    } cases[] = { { "c:\\file.txt", Attr::Archive, 0, 0, 0, IoCode::AlreadyExists },
        { "c:\\folder", Attr::Directory, IoCode::AccessDenied, IoCode::AccessDenied, IoCode::AccessDenied,
            IoCode::AlreadyExists },
        { "c:\\missing.txt", 0, IoCode::FileNotFound, IoCode::FileNotFound, 0, IoCode::AlreadyExists },
        { "c:\\no\\such\\folder\\x", 0, Fails, Fails, IoCode::PathNotFound, Fails },
        { "q:\\x", 0, IoCode::PathNotFound, IoCode::PathNotFound, IoCode::PathNotFound, Fails } };
    const auto code
        = [](const IoStatus& status, int expected) { return expected == Fails ? -!status.ok() : status.code(); };
    for (const auto& c : cases) {
        const std::string path = on(c.path);
        EXPECT_EQ(fileAttributes(path).value_or(0), c.attributes) << c.path;
        EXPECT_EQ(code(openReadWriteTest(path), c.openTest), c.openTest) << c.path;
        EXPECT_EQ(code(deleteFile(path), c.remove), c.remove) << c.path;
        OutputFile out;
        EXPECT_EQ(out.create(path).code(), c.create) << c.path;
        EXPECT_TRUE(c.create != 0 || (out.write("new\r\n").ok() && out.close().ok())) << c.path;
        EXPECT_EQ(code(moveFile(on("c:\\keep.txt"), path), c.renameOnto), c.renameOnto) << c.path;
    }
    EXPECT_EQ(fileAttributes(on("c:\\")), Attr::Directory);
    EXPECT_EQ(tree.read("file.txt") + tree.read("missing.txt") + tree.read("keep.txt"), "new\r\nnew\r\nkeep");
    EXPECT_FALSE(tree.exists("no"));
    EXPECT_EQ(moveFile(on("c:\\folder"), on("c:\\file.txt")).code(), IoCode::AlreadyExists);
    EXPECT_TRUE(moveFile(on("c:\\keep.txt"), on("c:\\keep.txt")).ok()); // the very same name
    EXPECT_TRUE(moveFile(on("c:\\keep.txt"), on("c:\\folder\\moved.txt")).ok());
    EXPECT_TRUE(moveFile(on("c:\\folder"), on("c:\\renamed")).ok());
    EXPECT_EQ(moveFile(on("c:\\folder"), on("c:\\x")).code(), IoCode::FileNotFound);
    EXPECT_EQ(tree.read("renamed/moved.txt"), "keep");
}

// Names a listing returns must reach exactly their own file with every call: names outside
// any code page, device names and names ending in a dot or a blank (never the device,
// never the name cut short), names that are not UTF-8 on Linux, and paths beyond the
// classic limit of 260 characters.
TEST_F(PlatformContractTest, EveryCallReachesExactlyItsOwnFile)
{
    std::string deep;
    for (char c = 'a'; c < 'g'; ++c)
        deep += std::string(60, c) + "/";
    std::vector<std::pair<std::string, std::string>> files
        = { { "Папка/", "αβγ.txt" }, { "Папка/", "文档.txt" }, { "Папка/", "😀.txt" }, { "", "con" }, { "", "nul.txt" },
              { "", "aux" }, { "", "com1" }, { "", "name." }, { "", "blank " }, { deep, "deep.txt" } };
#ifndef _WIN32
    files.insert(files.end(), { { "caf\xE9/", "inner\xFF.txt" }, { "", "line\nbreak.txt" } });
#endif
    for (const auto& [where, name] : files) {
        tree.makeFile(where + name, name);
        tree.makeFile(where + "neighbour", "n");
    }
    for (const auto& [where, name] : files) {
        SCOPED_TRACE(name);
        const std::string folder = on("c:\\" + where);
        EXPECT_EQ(list(folder)[name].size, name.size());
        EXPECT_EQ(fileAttributes(folder + name), Attr::Archive);
        EXPECT_TRUE(openReadWriteTest(folder + name).ok() && moveFile(folder + name, folder + "moved").ok());
        EXPECT_EQ(tree.read(where + "moved"), name);
        EXPECT_TRUE(deleteFile(folder + "moved").ok() && !tree.exists(where + "moved"));
        OutputFile out;
        EXPECT_TRUE(out.create(folder + name).ok() && out.write("kept").ok() && out.close().ok());
        EXPECT_EQ(tree.read(where + name) + tree.read(where + "neighbour"), "keptn");
        EXPECT_EQ(out.write("late").code(), IoCode::InvalidHandle);
    }
    for (const char* device : { "prn", "lpt1", "aux.txt" }) { // no such file: not the device either
        EXPECT_EQ(openReadWriteTest(on("c:\\") + device).code(), IoCode::FileNotFound) << device;
        EXPECT_EQ(deleteFile(on("c:\\") + device).code(), IoCode::FileNotFound) << device;
    }
}

TEST_F(PlatformContractTest, DrivesAndTimes)
{
    const auto bit = [](char c) { return 1u << ((c | 0x20) - 'a'); };
    EXPECT_EQ(logicalDrives() & (bit(letter) | bit(missing)), bit(letter));
    EXPECT_TRUE(driveType(letter) == DriveType::Fixed && driveType(missing) == DriveType::NoRootDir);
    EXPECT_TRUE(driveReady(letter) && !driveReady(missing));
    EXPECT_EQ(driveDisplayName(missing), "");
    EXPECT_TRUE(driveDisplayName(letter).ends_with(std::string(" (") + static_cast<char>(letter & ~0x20) + ":)"));
    EXPECT_FALSE(computerDisplayName().empty());
    // A file time taken now is the local time now, give or take a second, without milliseconds.
    const DateTime now = localNow();
    const auto ticks = static_cast<std::int64_t>(std::time(nullptr)) * 10000000LL + 116444736000000000LL;
    const DateTime converted = LocalTimeConverter().toDateTime(FileTime { ticks });
    EXPECT_LE(std::llabs(converted.msecs() - now.msecs()), 2000);
    EXPECT_EQ(converted.msecs() % 1000, 0);
}

#ifdef _WIN32
// A file another handle holds is refused with the system's code and left as it was.
TEST_F(PlatformContractTest, AFileHeldOpenIsRefusedAndKept)
{
    const std::string path = on("c:\\held.txt");
    tree.makeFile("held.txt", "held");
    const HANDLE held = ::CreateFileW(win32::wide("\\\\?\\" + path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(openReadWriteTest(path).code(), IoCode::SharingViolation);
    EXPECT_EQ(deleteFile(path).code(), IoCode::SharingViolation);
    EXPECT_EQ(OutputFile().create(path).code(), IoCode::SharingViolation);
    ::CloseHandle(held);
    EXPECT_EQ(tree.read("held.txt"), "held");
}
#endif

} // namespace
} // namespace nuvero::platform
