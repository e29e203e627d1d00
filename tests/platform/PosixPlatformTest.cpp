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

TEST(DriveTableTest, ReadsTheDrivesSectionOrDefaultsToRootAndHome)
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
    // Letters without regard to case, the first wins; relative, empty, two letters, digits
    // and a folder another drive has are refused; without any drive: C: the root, D: home.
    EXPECT_EQ(drives("[drives]\nC=/srv/\nc=/x\nd=relative\ne=\nff=/x\n1=/x\ng=/srv\nh=/home/ann\n", "/home/ann"),
        "c=/srv h=/home/ann ");
    EXPECT_EQ(drives("[drives]\nx=not absolute\n", "/home/ann/"), "c=/ d=/home/ann ");
    EXPECT_EQ(drives("", "/"), "c=/ ");
    const std::string nested = "[drives]\nc=/\nd=/home/ann\ne=/home/ann/music\nf=/home/annex\n";
    EXPECT_EQ(drives(nested, "", 'd'), "c=/ d=/home/ann e=/home/ann/music f=/home/annex nested:/home/ann/music ");
    EXPECT_EQ(drives(nested, "", 'c'),
        "c=/ d=/home/ann e=/home/ann/music f=/home/annex nested:/home/ann nested:/home/ann/music nested:/home/annex ");
}

TEST(MountTableTest, KeepsPseudoFileSystemsOnly)
{
    const MountTable table = MountTable::parse("22 1 0:21 / /proc rw,nosuid - proc proc rw\n"
                                               "24 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                                               "25 1 0:23 / /mnt/with\\040blank\\040 rw - devpts devpts rw\n"
                                               "26 1 0:24 / /tmp rw - tmpfs tmpfs rw\nbroken line\n");
    ASSERT_EQ(table.pseudoMounts().size(), 2u);
    EXPECT_EQ(table.pseudoMounts()[0].mountPoint, "/proc");
    EXPECT_EQ(table.pseudoMounts()[1].mountPoint, "/mnt/with blank ");
    EXPECT_TRUE(table.isPseudoDevice(table.pseudoMounts()[1].device));
}

// Links are listed as reparse points and never followed; read-only entries and pipes get
// their attribute words; a name holding "\" cannot be part of a program path and is left
// out.
TEST(PosixPlatformTest, EntriesThatOnlyLinuxHas)
{
    test::TempTree tree;
    test::TestDrives drives;
    drives.map({ { 'c', tree.root() } });
    tree.makeFile("target.txt", "x");
    tree.makeDir("dir");
    for (const auto& [link, target] : { std::pair { "to-file", "target.txt" }, { "to-dir", "dir" }, { "loop", "loop" },
             { "dangling", "nowhere" }, { "to-root", "/" } })
        tree.makeSymlink(link, target);
    tree.makeFile("ro.txt");
    tree.makeDir("ro-dir");
    ASSERT_EQ(::chmod(tree.path("ro.txt").c_str(), 0444) | ::chmod(tree.path("ro-dir").c_str(), 0555), 0);
    ASSERT_EQ(::mkfifo(tree.path("pipe").c_str(), 0644), 0);
    tree.makeFile("back\\slash.txt");

    std::vector<DirEntry> listed;
    ASSERT_TRUE(Folder::open("c:\\").readAll(listed));
    std::map<std::string, DirEntry> entries;
    for (auto& e : listed)
        entries[e.name] = e;
    for (const auto& [name, attributes] : { std::pair { "to-file", Attr::ReparsePoint },
             { "to-dir", Attr::ReparsePoint }, { "loop", Attr::ReparsePoint }, { "dangling", Attr::ReparsePoint },
             { "to-root", Attr::ReparsePoint }, { "ro.txt", Attr::Archive | Attr::ReadOnly },
             { "ro-dir", Attr::Directory | Attr::ReadOnly }, { "pipe", Attr::System } })
        EXPECT_EQ(entries[name].attributes, attributes) << name;
    EXPECT_EQ(listed.size(), 10u); // not the name with "\"
    EXPECT_EQ(openReadWriteTest("c:\\to-file").code(), IoCode::AccessDenied);
    EXPECT_TRUE(deleteFile("c:\\to-file").ok()); // the link goes, its target stays
    EXPECT_EQ(tree.read("target.txt"), "x");
}

// A drive never shows another drive's folder nor a pseudo file system; drives are named
// after their folders; one whose folder is missing or no folder is listed but not ready,
// and every call reports it as a missing path.
TEST(PosixPlatformTest, DrivesKeepToTheirOwnFolders)
{
    test::TempTree tree;
    test::TestDrives drives;
    tree.makeDir("c-root/home/ann/docs");
    tree.makeDir("c-root/home/annex");
    tree.makeFile("music/a.txt", "x");
    ASSERT_EQ(::mkfifo(tree.path("pipe").c_str(), 0644), 0);
    tree.makeSymlink("link", tree.path("music"));
    drives.map({ { 'c', tree.path("c-root") }, { 'd', tree.path("c-root/home/ann") }, { 'e', tree.path("link") },
        { 'f', tree.path("missing") }, { 'g', "/" }, { 'h', tree.path("music/a.txt") }, { 'i', tree.path("pipe") },
        { 'j', "relative" }, { 'k', "" } });
    std::vector<DirEntry> home;
    ASSERT_TRUE(Folder::open("c:\\home").readAll(home));
    ASSERT_EQ(home.size(), 1u);
    EXPECT_EQ(home[0].name, "annex");
    EXPECT_FALSE(Folder::open("c:\\home\\ann").isOpen() || Folder::open("c:\\home\\ann\\docs").isOpen());
    EXPECT_TRUE(Folder::open("d:\\docs").isOpen() && Folder::open("e:\\").isOpen());
    EXPECT_EQ(logicalDrives(), 0b111111100u);
    EXPECT_EQ(driveDisplayName('g'), "File System (G:)");
    EXPECT_EQ(driveDisplayName('e'), "link (E:)");
    EXPECT_EQ(computerDisplayName(), "Computer");
    for (const char letter : { 'f', 'h', 'i', 'j' }) {
        EXPECT_FALSE(driveReady(letter)) << letter;
        EXPECT_FALSE(Folder::open(std::string(1, letter) + ":\\").isOpen()) << letter;
    }
    EXPECT_TRUE(driveReady('e'));
    EXPECT_EQ(openReadWriteTest("h:\\a.txt").text(), "Invalid filename");
    EXPECT_EQ(deleteFile("i:\\x").text(), "Invalid filename");
    EXPECT_EQ(OutputFile().create("h:\\fls1").text(), "Invalid filename");
    EXPECT_EQ(tree.read("music/a.txt"), "x");

    const MountTable mounts = MountTable::readSystem();
    const bool procIsPseudo = std::any_of(
        mounts.pseudoMounts().begin(), mounts.pseudoMounts().end(), [](auto& m) { return m.mountPoint == "/proc"; });
    std::vector<DirEntry> root;
    ASSERT_TRUE(Folder::open("g:\\").readAll(root));
    EXPECT_FALSE(procIsPseudo && std::any_of(root.begin(), root.end(), [](auto& e) { return e.name == "proc"; }));
    EXPECT_FALSE(procIsPseudo && Folder::open("g:\\proc\\self").isOpen());
}

} // namespace
} // namespace nuvero::platform
