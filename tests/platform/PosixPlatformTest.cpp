// The Linux side of the platform layer: the drive table, what a listing shows of links,
// odd names and other drives (paths far beyond PATH_MAX: WalkFaultTest's chain).

#include "ListByName.h"

#include "platform/Platform.h"
#include "platform/posix/DriveTable.h"
#include "platform/posix/MountTable.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace nuvero::platform {
namespace {

using test::listByName;

TEST(DriveTableTest, ParsesTheDrivesSection)
{
    const IniFile ini = IniFile::parse("[drives]\n"
                                       "C=/srv/\n"
                                       "c=/ignored/second/c\n" // letters without regard to case, first wins
                                       "d=relative/path\n" // refused
                                       "e=\n" // refused
                                       "ff=/two/letters\n" // refused
                                       "1=/digit\n" // refused
                                       "g=/srv\n" // folder already taken by C:
                                       "h=/home/ann\n"
                                       "garbage line\n");
    const DriveTable table = DriveTable::fromSettings(ini, "/home/ann");
    EXPECT_EQ(table.hostFolder('c'), "/srv");
    EXPECT_EQ(table.hostFolder('C'), "/srv");
    EXPECT_FALSE(table.hostFolder('d').has_value());
    EXPECT_FALSE(table.hostFolder('e').has_value());
    EXPECT_FALSE(table.hostFolder('g').has_value());
    EXPECT_EQ(table.hostFolder('h'), "/home/ann");
    EXPECT_EQ(table.mask(), (1u << 2) | (1u << 7));
}

TEST(DriveTableTest, DefaultsToRootAndHome)
{
    const struct {
        const char* ini;
        const char* home;
        std::uint32_t mask;
    } cases[] = {
        { "", "/home/ann", 0b1100 },
        { "[drives]\nx=not absolute\n", "/home/ann", 0b1100 },
        { "[other]\nc=/data\n", "/root", 0b1100 },
        { "", "/", 0b0100 }, // home is the root itself: only C:
        { "", "", 0b0100 },
    };
    for (const auto& c : cases) {
        const DriveTable table = DriveTable::fromSettings(IniFile::parse(c.ini), c.home);
        EXPECT_EQ(table.mask(), c.mask) << c.ini << " / " << c.home;
        EXPECT_EQ(table.hostFolder('c'), "/");
    }
    EXPECT_EQ(DriveTable::fromSettings(IniFile::parse(""), "/home/ann/").hostFolder('d'), "/home/ann");
}

TEST(DriveTableTest, NestedRootsBelongToTheirOwnDrive)
{
    const DriveTable table = DriveTable::fromSettings(
        IniFile::parse("[drives]\nc=/\nd=/home/ann\ne=/home/ann/music\nf=/home/annex\n"), "/home/ann");
    EXPECT_EQ(table.nestedRoots('c'), (std::vector<std::string> { "/home/ann", "/home/ann/music", "/home/annex" }));
    EXPECT_EQ(table.nestedRoots('d'), (std::vector<std::string> { "/home/ann/music" }));
    EXPECT_TRUE(table.nestedRoots('f').empty());
}

TEST(MountTableTest, KeepsPseudoFileSystemsOnly)
{
    const MountTable table = MountTable::parse("22 1 0:21 / /proc rw,nosuid - proc proc rw\n"
                                               "23 1 0:22 / /sys rw - sysfs sysfs rw\n"
                                               "24 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                                               "25 1 0:23 / /mnt/with\\040blank rw - devpts devpts rw\n"
                                               "26 1 0:24 / /tmp rw - tmpfs tmpfs rw\n"
                                               "broken line\n");
    ASSERT_EQ(table.pseudoMounts().size(), 3u);
    EXPECT_EQ(table.pseudoMounts()[0].mountPoint, "/proc");
    EXPECT_EQ(table.pseudoMounts()[2].mountPoint, "/mnt/with blank");
    EXPECT_TRUE(table.isPseudoDevice(table.pseudoMounts()[1].device));
}

class PosixPlatformTest : public testing::Test {
protected:
    test::TempTree tree;
    test::TestDrives drives;
};

// Links are listed as reparse points and never followed; read-only entries, pipes and
// files beyond 4 GB get their attribute words and sizes; a name holding "\" cannot be
// part of a program path and is left out.
TEST_F(PosixPlatformTest, EntriesThatOnlyLinuxHas)
{
    drives.map({ { 'c', tree.root() } });
    tree.makeFile("target.txt", "x");
    tree.makeDir("dir");
    for (const auto& [link, target] : std::map<std::string, std::string> { { "to-file", "target.txt" },
             { "to-dir", "dir" }, { "loop", "loop" }, { "dangling", "nowhere" }, { "to-root", "/" } })
        tree.makeSymlink(link, target);
    tree.makeFile("ro.txt");
    ASSERT_EQ(::chmod(tree.path("ro.txt").c_str(), 0444), 0);
    tree.makeDir("ro-dir");
    ASSERT_EQ(::chmod(tree.path("ro-dir").c_str(), 0555), 0);
    ASSERT_EQ(::mkfifo(tree.path("pipe").c_str(), 0644), 0);
    const int fd = ::open(tree.path("big").c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 5LL * 1024 * 1024 * 1024 + 7), 0);
    ::close(fd);
    tree.makeFile("back\\slash.txt");

    const auto entries = listByName("c:\\");
    for (const char* name : { "to-file", "to-dir", "loop", "dangling", "to-root" }) {
        ASSERT_TRUE(entries.count(name)) << name;
        EXPECT_EQ(entries.at(name).attributes, Attr::ReparsePoint) << name;
        EXPECT_EQ(entries.at(name).size, 0u) << name;
    }
    EXPECT_EQ(entries.at("ro.txt").attributes, Attr::Archive | Attr::ReadOnly);
    EXPECT_EQ(entries.at("ro-dir").attributes, Attr::Directory | Attr::ReadOnly);
    EXPECT_EQ(entries.at("pipe").attributes, Attr::System);
    EXPECT_EQ(entries.at("big").size, 5ULL * 1024 * 1024 * 1024 + 7);
    EXPECT_FALSE(entries.count("back\\slash.txt"));
    EXPECT_EQ(entries.size(), 11u);
    EXPECT_EQ(openReadWriteTest("c:\\to-file").code(), IoCode::AccessDenied);
    EXPECT_TRUE(deleteFile("c:\\to-file").ok()); // the link goes, its target stays
    EXPECT_EQ(tree.read("target.txt"), "x");
}

TEST_F(PosixPlatformTest, AnotherDrivesFolderIsNeitherListedNorEntered)
{
    tree.makeDir("c-root/home/ann/docs");
    tree.makeDir("c-root/home/annex");
    drives.map({ { 'c', tree.path("c-root") }, { 'd', tree.path("c-root/home/ann") } });
    const auto home = listByName("c:\\home");
    EXPECT_FALSE(home.count("ann"));
    EXPECT_TRUE(home.count("annex"));
    EXPECT_FALSE(Folder::open("c:\\home\\ann").isOpen());
    EXPECT_FALSE(Folder::open("c:\\home\\ann\\docs").isOpen());
    EXPECT_TRUE(Folder::open("d:\\docs").isOpen());
    EXPECT_EQ(logicalDrives(), 0b1100u);
}

TEST_F(PosixPlatformTest, PseudoFileSystemsStayOutOfTheRootDrive)
{
    drives.map({ { 'c', "/" } });
    const MountTable mounts = MountTable::readSystem();
    bool procIsPseudo = false;
    for (const auto& m : mounts.pseudoMounts())
        procIsPseudo = procIsPseudo || m.mountPoint == "/proc";
    if (!procIsPseudo)
        GTEST_SKIP() << "/proc is not mounted here";
    EXPECT_FALSE(listByName("c:\\").count("proc"));
    EXPECT_FALSE(Folder::open("c:\\proc").isOpen());
    EXPECT_FALSE(Folder::open("c:\\proc\\self").isOpen());
}

TEST_F(PosixPlatformTest, DriveDisplayNamesAndReadiness)
{
    tree.makeDir("music");
    const char* home = std::getenv("HOME");
    drives.map(
        { { 'c', "/" }, { 'd', home ? home : "/tmp" }, { 'e', tree.path("music") }, { 'f', tree.path("missing") } });
    EXPECT_EQ(computerDisplayName(), "Computer");
    EXPECT_EQ(driveDisplayName('c'), "File System (C:)");
    if (home && std::string(home) != "/") {
        EXPECT_EQ(driveDisplayName('d'), "Home (D:)");
    }
    EXPECT_EQ(driveDisplayName('e'), "music (E:)");
    EXPECT_TRUE(driveReady('e'));
    EXPECT_FALSE(driveReady('f'));
    EXPECT_EQ(logicalDrives(), 0b111100u);
}

} // namespace
} // namespace nuvero::platform
