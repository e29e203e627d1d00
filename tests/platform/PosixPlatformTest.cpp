// The Linux side of the platform layer: the drive table, what a listing shows of links and
// entries only Linux has, and what one drive shows of another's folder and of /proc.

#include "platform/IniFile.h"
#include "platform/Platform.h"
#include "platform/posix/DriveTable.h"
#include "platform/posix/MountTable.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sys/stat.h>

namespace nuvero::platform {
namespace {

// Letters without regard to case, the first wins; relative, empty, two letters, digits and
// a folder another drive has are refused; without any drive: C: the root, D: home. A
// drive's nested roots are the other drives' folders inside its own.
TEST(PosixPlatformTest, DriveAndMountTables)
{
    const auto drives = [](const std::string& ini, const char* home, char nestedIn = 0) {
        const DriveTable table = DriveTable::fromSettings(IniFile::parse(ini), home);
        std::string text;
        for (char letter = 'a'; letter <= 'z'; ++letter) {
            if (table.hostFolder(letter) && ((table.mask() >> (letter - 'a')) & 1))
                text += std::string(1, letter) + "=" + *table.hostFolder(letter) + " ";
        }
        for (const auto& root : table.nestedRoots(nestedIn))
            text += "nested:" + root + " ";
        return text;
    };
    EXPECT_EQ(drives("[drives]\nC=/srv/\nc=/x\nd=relative\ne=\nff=/x\n1=/x\ng=/srv\nh=/home/ann\n", "/home/ann"),
        "c=/srv h=/home/ann ");
    EXPECT_EQ(drives("[drives]\nx=not absolute\n", "/home/ann/"), "c=/ d=/home/ann ");
    EXPECT_EQ(drives("[drives]\nc=/\nd=/home/ann\ne=/home/ann/music\nf=/home/annex\n", "", 'd'),
        "c=/ d=/home/ann e=/home/ann/music f=/home/annex nested:/home/ann/music ");

    const MountTable table = MountTable::parse("22 1 0:21 / /proc rw,nosuid - proc proc rw\n"
                                               "24 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                                               "25 1 0:23 / /mnt/with\\040blank\\040 rw - devpts devpts rw\n"
                                               "broken line\n");
    ASSERT_EQ(table.pseudoMounts().size(), 2u);
    EXPECT_EQ(table.pseudoMounts()[1].mountPoint, "/mnt/with blank ");
    EXPECT_TRUE(table.isPseudoDevice(table.pseudoMounts()[0].device));
}

// Links are listed as reparse points and never followed; read-only entries and pipes get
// their attribute words; a name holding "\" cannot be part of a program path and is left
// out. A drive never shows another drive's folder nor a pseudo file system; drives are
// named after their folders; one whose folder is missing or no folder is listed but not
// ready, and every call reports it as a missing path.
TEST(PosixPlatformTest, EntriesAndDrivesOnlyLinuxHas)
{
    test::TempTree tree;
    test::TestDrives drives;
    tree.makeFile("c/target.txt", "x");
    tree.makeDir("c/home/ann/docs");
    tree.makeDir("music/ann");
    for (const auto& [link, target] : { std::pair { "c/to-file", "target.txt" }, { "c/to-dir", "home" },
             { "c/dangling", "nowhere" }, { "link", "music" } })
        tree.makeSymlink(link, target);
    tree.makeFile("c/ro.txt");
    ASSERT_EQ(::chmod(tree.path("c/ro.txt").c_str(), 0444) | ::mkfifo(tree.path("c/pipe").c_str(), 0644), 0);
    tree.makeFile("c/back\\slash.txt");
    drives.map({ { 'c', tree.path("c") }, { 'd', tree.path("c/home/ann") }, { 'e', tree.path("link") },
        { 'f', tree.path("missing") }, { 'g', "/" }, { 'h', tree.path("c/target.txt") } });

    std::vector<DirEntry> listed;
    ASSERT_TRUE(Folder::open("c:\\").readAll(listed));
    std::map<std::string, std::uint32_t> attributes;
    for (auto& e : listed)
        attributes[e.name] = e.attributes;
    EXPECT_EQ(attributes,
        (std::map<std::string, std::uint32_t> { { "dangling", Attr::ReparsePoint }, { "home", Attr::Directory },
            { "pipe", Attr::System }, { "ro.txt", Attr::Archive | Attr::ReadOnly }, { "target.txt", Attr::Archive },
            { "to-dir", Attr::ReparsePoint }, { "to-file", Attr::ReparsePoint } }));
    EXPECT_EQ(openReadWriteTest("c:\\to-file").code(), IoCode::AccessDenied);
    EXPECT_TRUE(deleteFile("c:\\to-file").ok()); // the link goes, its target stays
    EXPECT_EQ(tree.read("c/target.txt"), "x");

    EXPECT_FALSE(Folder::open("c:\\home\\ann\\docs").isOpen());
    EXPECT_TRUE(Folder::open("d:\\docs").isOpen() && Folder::open("e:\\ann").isOpen());
    EXPECT_EQ(logicalDrives(), 0b11111100u);
    EXPECT_EQ(driveDisplayName('g') + driveDisplayName('e'), "File System (G:)link (E:)");
    for (const char letter : { 'f', 'h' })
        EXPECT_FALSE(driveReady(letter) || Folder::open(std::string(1, letter) + ":\\").isOpen()) << letter;
    EXPECT_EQ(openReadWriteTest("h:\\a.txt").text(), "Invalid filename");

    const MountTable mounts = MountTable::readSystem();
    const bool procIsPseudo = std::any_of(
        mounts.pseudoMounts().begin(), mounts.pseudoMounts().end(), [](auto& m) { return m.mountPoint == "/proc"; });
    EXPECT_FALSE(procIsPseudo && Folder::open("g:\\proc\\self").isOpen());
}

} // namespace
} // namespace nuvero::platform
