// What the rest of the program relies on from the platform layer, on real temporary trees,
// the same on both back ends. Each test gets a drive whose root is its tree: C: mapped
// onto it on Linux, the tree's own test drive on Windows. Paths in the tables name it
// "c:" ("C:" keeps the capital) and a drive that does not exist "q:"; on() puts the real
// letters in.

#include "platform/Platform.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

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
    } cases[] = { { "c:", 0, "c:\\" }, { "C:\\a", 0, "C:\\a" }, { "c:/a//b\\", 0, "c:\\a\\b" },
        { "c:\\a\\.\\b\\..", 0, "c:\\a" }, { "c:\\..\\..\\a\\b", 0, "c:\\a\\b" }, { "c:\\a\\..\\..", 0, "c:\\" },
        { "c:\\missing", IoCode::FileNotFound, "" }, { "c:\\missing\\below", IoCode::PathNotFound, "" },
        { "c:\\a\\b\\inner.txt", 267, "" }, // "the directory name is invalid"
        { "q:\\", IoCode::PathNotFound, "" }, { "", IoCode::PathNotFound, "" }, { "\\a", IoCode::PathNotFound, "" } };
    for (const auto& c : cases) {
        IoStatus status;
        EXPECT_EQ(Folder::open(on(c.path), &status).isOpen(), c.code == 0) << c.path;
        EXPECT_EQ(status.code(), c.code) << c.path;
        std::string reported;
        EXPECT_EQ(enterFolder(on(c.path), &reported).code(), c.code) << c.path;
        EXPECT_EQ(reported, c.code == 0 ? on(c.reported) : "") << c.path;
    }
}

// The calls on files, a folder and paths that lead nowhere, in this order: attributes, the
// open test, delete, a new output file, and a rename onto each. Each reaches exactly its
// own entry: names outside any code page, device names and names ending in a dot or a
// blank (never the device, never the name cut short), names that are not UTF-8 on Linux,
// paths beyond the classic limit of 260 characters. Delete takes only the file asked
// about, rename never replaces, and a failed call makes nothing.
TEST_F(PlatformContractTest, FileCallsReachExactlyTheirOwnEntry)
{
    constexpr int Fails = -1; // some code: the back ends differ
    constexpr int Exists = IoCode::AlreadyExists, Denied = IoCode::AccessDenied, Missing = IoCode::FileNotFound;
    struct Case {
        std::string path;
        std::uint32_t attributes;
        int openTest, remove, create, renameOnto;
    };
    std::vector<Case> cases = { { "c:\\folder", Attr::Directory, Denied, Denied, Denied, Exists },
        { "c:\\aux.txt", 0, Missing, Missing, 0, Exists }, // no such file: not the device either
        { "c:\\no\\such\\folder\\x", 0, Fails, Fails, IoCode::PathNotFound, Fails },
        { "q:\\x", 0, IoCode::PathNotFound, IoCode::PathNotFound, IoCode::PathNotFound, Fails } };
    std::vector<std::string> files = { "file.txt", "Папка\\😀.txt", "con", "name.", "blank ",
        std::string(250, 'd') + "\\" + std::string(100, 'e') + "\\deep.txt" };
#ifndef _WIN32
    files.insert(files.end(), { "caf\xE9\\inner\xFF.txt", "line\nbreak.txt" });
#endif
    const auto local = [](std::string path) {
        std::replace(path.begin(), path.end(), '\\', '/');
        return path.substr(3);
    };
    for (const std::string& name : files) {
        cases.push_back({ "c:\\" + name, Attr::Archive, 0, 0, 0, Exists });
        tree.makeFile(local(cases.back().path), cases.back().path);
    }
    tree.makeDir("folder");
    tree.makeFile("keep.txt", "keep");
    const auto code
        = [](const IoStatus& status, int expected) { return expected == Fails ? -!status.ok() : status.code(); };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const std::string path = on(c.path);
        EXPECT_EQ(fileAttributes(path).value_or(0), c.attributes);
        EXPECT_EQ(code(openReadWriteTest(path), c.openTest), c.openTest);
        EXPECT_EQ(code(deleteFile(path), c.remove), c.remove);
        OutputFile out;
        EXPECT_EQ(out.create(path).code(), c.create);
        EXPECT_TRUE(c.create != 0 || (out.write("new").ok() && out.close().ok() && tree.read(local(c.path)) == "new"));
        EXPECT_EQ(out.write("late").code(), IoCode::InvalidHandle);
        EXPECT_EQ(code(moveFile(on("c:\\keep.txt"), path), c.renameOnto), c.renameOnto);
    }
    EXPECT_FALSE(tree.exists("no"));
    EXPECT_TRUE(moveFile(on("c:\\keep.txt"), on("c:\\folder\\moved.txt")).ok());
    EXPECT_TRUE(moveFile(on("c:\\folder"), on("c:\\renamed")).ok());
    EXPECT_EQ(tree.read("renamed/moved.txt"), "keep");
}

} // namespace
} // namespace nuvero::platform
