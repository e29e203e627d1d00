// The Windows side of the platform layer: the settings file in the Windows folder,
// local times as the system converts them, files that other handles hold or that are
// marked read-only, and names that are not valid UTF-16.

#include "platform/Platform.h"
#include "platform/win32/WindowsApi.h"
#include "support/Host.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

namespace nuvero::platform {
namespace {

using win32::wide;

class Win32PlatformTest : public testing::Test {
protected:
    void SetUp() override { letter = drives.driveFor(tree); }
    std::string at(std::string_view relative) const { return std::string(1, letter) + ":\\" + std::string(relative); }

    test::TempTree tree;
    test::TestDrives drives;
    char letter = 0;
};

TEST_F(Win32PlatformTest, SettingsAreReadFromLamerIniInTheWindowsFolder)
{
    wchar_t folder[MAX_PATH + 1];
    const UINT n = ::GetWindowsDirectoryW(folder, MAX_PATH + 1);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(settingsFilePath(), win32::narrow(folder, n) + "\\lamer.Ini");

    // How the system reads the file is its own business; what is ours is telling a missing
    // key (the default, trailing blanks and all) from an empty value.
    drives.writeSettings("[s]\r\na=04.12.2026 14:30:05\r\nblank=\r\n");
    const struct {
        const char* key;
        const char* defaultValue;
        const char* value;
    } cases[] = {
        { "a", "error", "04.12.2026 14:30:05" },
        { "b", "error", "error" },
        { "blank", "error", "" },
        { "b", "kept as it is  ", "kept as it is  " },
    };
    for (const auto& c : cases)
        EXPECT_EQ(readProfileString("s", c.key, c.defaultValue), c.value) << c.key;

    drives.writeSettings("[s]\r\na=" + std::string(3000, '7') + "\r\n");
    EXPECT_EQ(readProfileString("s", "a", "error"), std::string(3000, '7'));
    drives.removeSettings();
    EXPECT_EQ(readProfileString("s", "a", "error"), "error");
}

TEST_F(Win32PlatformTest, LocalTimesAgreeWithTheSystemsConversion)
{
    const LocalTimeConverter converter;
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    const std::int64_t nowTicks = (static_cast<std::int64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    // Times close to now share the offset in force now, so the system's own conversion
    // must give the very same fields.
    for (const std::int64_t delta : { 0LL, -36000000000LL, 12345678LL, -9999LL, 864000000000LL }) {
        const std::int64_t ticks = nowTicks + delta;
        FILETIME utc { static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32) };
        FILETIME local;
        SYSTEMTIME st;
        ASSERT_TRUE(::FileTimeToLocalFileTime(&utc, &local));
        ASSERT_TRUE(::FileTimeToSystemTime(&local, &st));
        const CalendarTime expected { st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond,
            st.wMilliseconds };
        EXPECT_EQ(converter.toLocal(FileTime { ticks }), expected) << delta;
        CalendarTime whole = expected;
        whole.millisecond = 0;
        EXPECT_EQ(converter.toDateTime(FileTime { ticks }), DateTime::fromCalendar(whole)) << delta;
    }
}

TEST_F(Win32PlatformTest, AFileHeldOpenByAnotherHandleIsNeitherOpenedNorDeleted)
{
    tree.makeFile("held.txt", "held");
    const HANDLE held = ::CreateFileW(wide("\\\\?\\" + at("held.txt")).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(openReadWriteTest(at("held.txt")).code(), IoCode::SharingViolation);
    EXPECT_EQ(deleteFile(at("held.txt")).code(), IoCode::SharingViolation);
    OutputFile out;
    EXPECT_EQ(out.create(at("held.txt")).code(), IoCode::SharingViolation);
    ::CloseHandle(held);
    EXPECT_EQ(tree.read("held.txt"), "held");
    EXPECT_TRUE(openReadWriteTest(at("held.txt")).ok());
}

TEST_F(Win32PlatformTest, ReadOnlyFilesAreRefusedByTheSystem)
{
    tree.makeFile("ro.txt", "ro");
    const std::wstring system = wide("\\\\?\\" + at("ro.txt"));
    ASSERT_TRUE(::SetFileAttributesW(system.c_str(), FILE_ATTRIBUTE_READONLY));
    if (test::runningUnderWine()) {
        const HANDLE probe
            = ::CreateFileW(system.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (probe != INVALID_HANDLE_VALUE) {
            ::CloseHandle(probe);
            GTEST_SKIP() << "Wine run as root opens read-only files for writing";
        }
    }
    EXPECT_EQ(fileAttributes(at("ro.txt")), Attr::ReadOnly);
    EXPECT_EQ(openReadWriteTest(at("ro.txt")).code(), IoCode::AccessDenied);
    EXPECT_EQ(deleteFile(at("ro.txt")).code(), IoCode::AccessDenied);
    EXPECT_EQ(tree.read("ro.txt"), "ro");
}

TEST_F(Win32PlatformTest, NamesThatAreNotValidUtf16ComeBackExactly)
{
    const std::wstring name = std::wstring(L"lone") + wchar_t(0xD800) + L".txt";
    const HANDLE file = ::CreateFileW((wide("\\\\?\\" + at("")) + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        GTEST_SKIP() << "this file system refuses unpaired surrogates (error " << ::GetLastError() << ")";
    ::CloseHandle(file);
    Folder folder = Folder::open(at(""));
    std::vector<DirEntry> entries;
    ASSERT_TRUE(folder.readAll(entries));
    ASSERT_EQ(entries.size(), 1u);
    const std::string listed = entries[0].name;
    if (win32::wide(listed) != name)
        GTEST_SKIP() << "this file system stores the name in another form";
    EXPECT_EQ(listed, "lone\xED\xA0\x80.txt");
    EXPECT_TRUE(openReadWriteTest(at(listed)).ok());
    EXPECT_TRUE(deleteFile(at(listed)).ok());
    EXPECT_FALSE(tree.exists("lone\xED\xA0\x80.txt"));
}

} // namespace
} // namespace nuvero::platform
