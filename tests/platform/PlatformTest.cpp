// The platform layer as the rest of the program relies on it: text rules that need no
// file system (masks, date-times, names and paths as the Windows back end hands them to
// the system: built everywhere, so checked in every build), the calls on real temporary
// trees the same on both back ends (on the tree's own drive: C: mapped onto it on Linux,
// the tree's test drive on Windows), and the Linux side's drive table, links and mounts.

#include "platform/Platform.h"
#include "platform/DateTime.h"
#include "platform/Wildcard.h"
#include "platform/win32/ProgramPath.h"
#include "platform/win32/WideText.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#ifndef _WIN32
#include "platform/IniFile.h"
#include "platform/posix/DriveTable.h"
#include "platform/posix/MountTable.h"

#include <sys/stat.h>
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

namespace nuvero::platform {
namespace {

// A trailing ".*" also takes names without a dot, a trailing "." only those; "?" before a
// dot or at the end may stand for nothing, elsewhere for one character. Capitals of the
// name alphabets match their small letters; a byte that is no character (an overlong
// form, half a surrogate) is one character of its own.
TEST(WildcardTest, MatchesLikeWindows)
{
    const struct {
        const char* pattern;
        const char* name;
        bool matches;
    } cases[] = { { "*.*", "noextension", true }, { "*.txt", "NOTES.TXT", true }, { "*.txt", "notes.txt.bak", false },
        { "?.txt", "ab.txt", false }, { "a*b*c", "axxbyy", false }, { "a*.*", "abc", true }, { "a*.*", "bac", false },
        { "*.", "abc", true }, { "*.", "a.b", false }, { "file?.txt", "file.txt", true },
        { "file?.txt", "file1.txt", true }, { "file?.txt", "file12.txt", false }, { "a?c", "ac", false },
        { "ÉĀŁŚŽŸЁЄҐѠӐΑЯ", "éāłśžÿёєґѡӑαя", true }, { "×", "÷", false }, { "?", "😀", true }, { "??", "\xC0\x80", true },
        { "??", "\xED\xA0\x80", false } };
    for (const auto& c : cases)
        EXPECT_EQ(wildcardMatch(c.pattern, c.name), c.matches) << c.pattern << " vs " << c.name;
}

// Days since 30 December 1899, as the classic date value counts them, and the row's Time
// text (milliseconds left out); texts that are no date-time of the program's own format
// are refused.
TEST(TextRulesTest, DateTimes)
{
    const struct {
        CalendarTime date;
        double days;
        const char* rowText;
    } cases[] = { { { 1899, 12, 29, 0, 0, 0, 0 }, -1.0, "29.12.1899  00:00:00" },
        { { 1900, 3, 1, 0, 0, 0, 0 }, 61.0, "01.03.1900  00:00:00" },
        { { 2024, 2, 29, 9, 5, 7, 999 }, 45351.37856480324, "29.02.2024  09:05:07" } };
    for (const auto& c : cases) {
        const DateTime t = DateTime::fromCalendar(c.date);
        EXPECT_DOUBLE_EQ(t.days(), c.days) << c.rowText;
        EXPECT_EQ(t.rowText(), c.rowText);
        EXPECT_EQ(DateTime::parse(c.rowText), DateTime::fromMsecs(t.msecs() - c.date.millisecond)) << c.rowText;
    }
    EXPECT_EQ(DateTime::parse("31.01.2026 14:30:05"), DateTime::fromCalendar({ 2026, 1, 31, 14, 30, 5, 0 }));
    for (const char* text : { "29.02.2023 00:00:00", "29.02.1900 00:00:00", "04.13.2026 10:00:00",
             "04.12.2026 24:00:00", "04.12.2026 14:60:05", "1/.12.2026 14:30:05", "04.12.2026 14:30:05 ", "error" })
        EXPECT_FALSE(DateTime::parse(text).has_value()) << text;
}

// UTF-16 names come back exactly, lone surrogates included; a byte that is no character
// becomes U+FFFD. Program paths for the Windows calls: separators folded, "." and ".."
// resolved (never above the drive or share), the long-path form; refused without drive or
// share.
TEST(TextRulesTest, WindowsNamesAndPaths)
{
    const std::pair<std::u16string, std::string> names[] = { { u"Отчёт\U0010FFFF", "Отчёт\U0010FFFF" },
        { { u'a', char16_t(0xDFFF), char16_t(0xD800) }, "a\xED\xBF\xBF\xED\xA0\x80" } };
    for (const auto& [wide, utf8] : names) {
        EXPECT_EQ(win32::fromUtf16(wide), utf8);
        EXPECT_EQ(win32::toUtf16(utf8), wide);
    }
    EXPECT_EQ(win32::toUtf16("a\xFF\xC0\xAF"), u"a\uFFFD\uFFFD\uFFFD");

    const std::pair<const char*, const char*> paths[] = { { "c:", "\\\\?\\c:\\" },
        { "c:/data//sub/", "\\\\?\\c:\\data\\sub" }, { "c:\\..\\..\\data", "\\\\?\\c:\\data" },
        { "c:\\data\\.\\sub\\..\\..", "\\\\?\\c:\\" }, { "\\\\srv\\pub\\..\\..\\x", "\\\\?\\UNC\\srv\\pub\\x" },
        { "", nullptr }, { "data\\x", nullptr }, { "\\\\srv", nullptr }, { "\\\\?\\c:\\x", nullptr } };
    for (const auto& [path, system] : paths) {
        const auto parsed = win32::parseProgramPath(path);
        EXPECT_EQ(parsed ? win32::systemForm(*parsed) : "refused", system ? system : "refused") << path;
    }
    EXPECT_FALSE(win32::parseProgramPath(std::string_view("c:\\a\0b", 6)).has_value());
}

// The calls on files, a folder and paths that lead nowhere, in this order: attributes, the
// open test, delete, a new output file, and a rename onto each. Each reaches exactly its
// own entry: names outside any code page, device names and names ending in a dot or a
// blank (never the device, never the name cut short), names that are not UTF-8 on Linux,
// paths beyond the classic limit of 260 characters. Delete takes only the file asked
// about, rename never replaces, and a failed call makes nothing.
TEST(PlatformContractTest, FileCallsReachExactlyTheirOwnEntry)
{
    test::TempTree tree;
    test::TestDrives drives;
    const char letter = drives.driveFor(tree), missing = test::TestDrives::unusedLetter();
    const auto on = [&](std::string path) { // "c:" is the tree's drive, "q:" one that does not exist
        path[0] = path[0] == 'q' ? missing : letter;
        return path;
    };
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
    EXPECT_TRUE(moveFile(on("c:\\folder"), on("c:\\renamed")).ok());
    EXPECT_EQ(tree.read("keep.txt"), "keep");
}

#ifndef _WIN32
// Letters without regard to case, the first wins; relative, empty, two letters, digits and
// a folder another drive has are refused; without any drive: C: the root, D: home. A
// drive's nested roots are the other drives' folders inside its own.
TEST(PosixPlatformTest, DriveAndMountTables)
{
    const auto drives = [](const std::string& ini, const char* home) {
        return DriveTable::fromSettings(IniFile::parse("[drives]\n" + ini), home);
    };
    const DriveTable set = drives("C=/srv/\r\nc=/x\nd=relative\ne=\nff=/x\n1=/x\ng=/srv\nh=/home/ann\n", "/home/ann");
    EXPECT_EQ(set.mask(), 0b10000100u);
    EXPECT_EQ(*set.hostFolder('c') + *set.hostFolder('h'), "/srv/home/ann");
    const DriveTable none = drives("x=not absolute\n", "/home/ann/");
    EXPECT_EQ(none.mask(), 0b1100u);
    EXPECT_EQ(*none.hostFolder('c') + *none.hostFolder('d'), "//home/ann");
    // Sections and keys without regard to case, trimmed, the first value wins; lines outside
    // a proper section are no values.
    EXPECT_EQ(IniFile::parse("a=0\n[s\na=1\n[s]\nb=2\n[x]\na=3\n[S]\n A = 4 \na=5\n").value("s", "a"), "4");
    // A to Z fold; the characters beside them ("@[`{") do not, in sections and keys.
    const IniFile folding = IniFile::parse("[AZ@]\nZA@[=1\n[az`]\nZA@[=2\n");
    EXPECT_EQ(folding.value("az@", "za@[").value_or("") + folding.value("AZ`", "ZA@[").value_or("")
            + folding.value("AZ@", "ZA`{").value_or("-"),
        "12-");
    EXPECT_EQ(drives("c=/\nd=/home/ann\ne=/home/ann/music\n", "").nestedRoots('d'),
        std::vector<std::string> { "/home/ann/music" });

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
// out. A drive never shows another drive's folder nor a pseudo file system; a drive is
// listed for a folder that is missing, but not ready.
TEST(PosixPlatformTest, EntriesDrivesAndTheSettingsFileOnLinux)
{
    test::TempTree tree;
    test::TestDrives drives;
    tree.makeFile("c/target.txt", "x");
    tree.makeDir("c/home/ann/docs");
    tree.makeDir("music/ann");
    for (const auto& [link, target] : { std::pair { "c/to-file", "target.txt" }, { "c/to-dir", "home" },
             { "c/dangling", "nowhere" }, { "link", "music" } })
        tree.makeSymlink(link, target);
    ASSERT_EQ(::chmod(tree.path("c/target.txt").c_str(), 0444) | ::mkfifo(tree.path("c/pipe").c_str(), 0644), 0);
    tree.makeFile("c/back\\slash.txt");
    drives.map({ { 'c', tree.path("c") }, { 'd', tree.path("c/home/ann") }, { 'e', tree.path("link") },
        { 'f', tree.path("missing") }, { 'g', "/" } });

    std::vector<DirEntry> listed;
    ASSERT_TRUE(Folder::open("c:\\").readAll(listed));
    std::map<std::string, std::uint32_t> attributes;
    for (auto& e : listed)
        attributes[e.name] = e.attributes;
    EXPECT_EQ(attributes,
        (std::map<std::string, std::uint32_t> { { "dangling", Attr::ReparsePoint }, { "home", Attr::Directory },
            { "pipe", Attr::System }, { "target.txt", Attr::Archive | Attr::ReadOnly },
            { "to-dir", Attr::ReparsePoint }, { "to-file", Attr::ReparsePoint } }));
    EXPECT_EQ(openReadWriteTest("c:\\to-file").code(), IoCode::AccessDenied);
    EXPECT_TRUE(deleteFile("c:\\to-file").ok()); // the link goes, its target stays
    EXPECT_EQ(tree.read("c/target.txt"), "x");

    std::vector<DirEntry> home; // D:'s folder, known by its identity right after the reload
    ASSERT_TRUE(Folder::open("c:\\home").readAll(home));
    EXPECT_TRUE(home.empty());
    EXPECT_FALSE(Folder::open("c:\\home\\ann\\docs").isOpen());
    EXPECT_TRUE(Folder::open("d:\\docs").isOpen() && Folder::open("e:\\ann").isOpen());
    EXPECT_EQ(logicalDrives(), 0b1111100u);
    EXPECT_FALSE(driveReady('f') || Folder::open("f:\\").isOpen());
    std::vector<DirEntry> root;
    ASSERT_TRUE(Folder::open("g:\\").readAll(root));
    EXPECT_TRUE(std::none_of(root.begin(), root.end(), [](auto& e) { return e.name == "proc"; }));

    // Host paths typed as roots: on the deepest drive that holds them, read as the system
    // reads them; nothing where no drive holds them.
    const std::pair<std::string, const char*> roots[]
        = { { tree.path("c/home/ann/docs/"), "d:\\docs" }, { tree.path("c/home/x/../ann//."), "d:\\" },
              { tree.path("c") + "/./home", "c:\\home" }, { "/proc/../etc", "g:\\etc" } };
    for (const auto& [host, program] : roots)
        EXPECT_EQ(fromNativePath(host).value_or("none"), program) << host;
    drives.map({ { 'c', tree.path("c") } });
    EXPECT_FALSE(fromNativePath("/etc").has_value());

    // A pipe in the settings file's place is not read: the start goes on with the default
    // at once instead of waiting for a writer (were it to wait, CTest's timeout fails it).
    ASSERT_EQ(std::remove(drives.settingsPath().c_str()) | ::mkfifo(drives.settingsPath().c_str(), 0644), 0);
    reloadConfiguration();
    EXPECT_EQ(readProfileString("s", "a", "default"), "default");
}

#endif

} // namespace
} // namespace nuvero::platform
