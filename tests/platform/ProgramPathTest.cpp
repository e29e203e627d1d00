// How the Windows back end reads program paths and system error numbers. Plain text
// rules, so they run in every build.

#include "platform/win32/ProgramPath.h"

#include <gtest/gtest.h>

namespace nuvero::platform::win32 {
namespace {

TEST(ProgramPathTest, ResolvesDrivePathsLikeThePosixBackEnd)
{
    const struct {
        const char* path;
        const char* text;
        bool isRoot;
    } cases[] = {
        { "c:", "c:\\", true },
        { "c:\\", "c:\\", true },
        { "C:/", "C:\\", true },
        { "c:data", "c:\\data", false }, // no current folder per drive: from the root
        { "c:\\data\\", "c:\\data", false },
        { "c:\\data\\\\sub", "c:\\data\\sub", false },
        { "c:/data//sub/", "c:\\data\\sub", false },
        { "c:\\data\\.\\sub\\..", "c:\\data", false },
        { "c:\\..\\..\\data", "c:\\data", false },
        { "c:\\data\\..", "c:\\", true },
        { "c:\\con", "c:\\con", false }, // a name, not the console
        { "c:\\name. \\x", "c:\\name. \\x", false }, // trailing dot and blank kept
        { "c:\\\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0", "c:\\\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0", false },
    };
    for (const auto& c : cases) {
        const auto parsed = parseProgramPath(c.path);
        ASSERT_TRUE(parsed.has_value()) << c.path;
        EXPECT_EQ(parsed->text, c.text) << c.path;
        EXPECT_EQ(parsed->isRoot, c.isRoot) << c.path;
        EXPECT_FALSE(parsed->isUnc) << c.path;
        EXPECT_EQ(parsed->driveLetter, c.path[0]) << c.path;
        EXPECT_EQ(systemForm(*parsed), std::string("\\\\?\\") + c.text) << c.path;
    }
}

TEST(ProgramPathTest, SharesKeepServerAndShareAsTheirRoot)
{
    const struct {
        const char* path;
        const char* text;
        const char* system;
        bool isRoot;
    } cases[] = {
        { "\\\\srv\\pub", "\\\\srv\\pub\\", "\\\\?\\UNC\\srv\\pub\\", true },
        { "//srv/pub/docs/", "\\\\srv\\pub\\docs", "\\\\?\\UNC\\srv\\pub\\docs", false },
        { "\\\\srv\\pub\\..\\..\\x", "\\\\srv\\pub\\x", "\\\\?\\UNC\\srv\\pub\\x", false },
    };
    for (const auto& c : cases) {
        const auto parsed = parseProgramPath(c.path);
        ASSERT_TRUE(parsed.has_value()) << c.path;
        EXPECT_TRUE(parsed->isUnc);
        EXPECT_EQ(parsed->text, c.text);
        EXPECT_EQ(systemForm(*parsed), c.system);
        EXPECT_EQ(parsed->isRoot, c.isRoot) << c.path;
    }
}

TEST(ProgramPathTest, RefusesPathsWithoutDriveOrShare)
{
    const std::string withNul("c:\\a\0b", 6);
    for (const std::string& path : { std::string(""), std::string("c"), std::string("data\\x"), std::string("\\data"),
             std::string("1:\\x"), std::string(":\\x"), std::string("\\\\srv"), std::string("\\\\srv\\"),
             std::string("\\\\..\\pub"), std::string("\\\\?\\c:\\x"), std::string("\\\\.\\pipe\\x"), withNul }) {
        EXPECT_FALSE(parseProgramPath(path).has_value()) << path;
    }
}

TEST(ProgramPathTest, SystemErrorsKeepTheirNumbersButDiskFullHasOneCode)
{
    const struct {
        unsigned long error;
        int code;
    } cases[] = {
        { 2, IoCode::FileNotFound }, { 3, IoCode::PathNotFound }, { 4, IoCode::TooManyOpenFiles },
        { 5, IoCode::AccessDenied }, { 32, IoCode::SharingViolation },
        { 39, IoCode::DiskFull }, // ERROR_HANDLE_DISK_FULL
        { 112, IoCode::DiskFull }, // ERROR_DISK_FULL
        { 183, IoCode::AlreadyExists }, { 267, 267 }, { 0xC0000022UL, 31 }, // an NT status is no system error number
    };
    for (const auto& c : cases)
        EXPECT_EQ(ioCodeFromSystemError(c.error), c.code) << c.error;
    EXPECT_EQ(IoStatus(ioCodeFromSystemError(112)).text(), "Disk full");
}

TEST(ProgramPathTest, DrivesWithoutAShellNameGetOneByTheirType)
{
    EXPECT_EQ(fallbackDriveDisplayName('c', DriveType::Fixed), "Local Disk (C:)");
    EXPECT_EQ(fallbackDriveDisplayName('D', DriveType::CdRom), "CD Drive (D:)");
    EXPECT_EQ(fallbackDriveDisplayName('a', DriveType::Removable), "Removable Disk (A:)");
    EXPECT_EQ(fallbackDriveDisplayName('n', DriveType::Remote), "Network Drive (N:)");
    EXPECT_EQ(fallbackDriveDisplayName('r', DriveType::RamDisk), "RAM Disk (R:)");
    EXPECT_EQ(fallbackDriveDisplayName('x', DriveType::Unknown), "Local Disk (X:)");
}

} // namespace
} // namespace nuvero::platform::win32
