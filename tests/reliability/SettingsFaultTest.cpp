// The settings file "lamer.Ini" as users' disks hold it: missing, hand-edited, binary,
// huge, or something other than a file.
#include "platform/IniFile.h"
#include "platform/Platform.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <functional>
#include <future>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace nuvero {
namespace {

const std::string Stored = "04.12.2026 14:30:05";

// A file of `size` bytes, sparse (zero bytes) but for `content` written at `offset`.
void writeAt(const std::string& path, const std::string& content, off_t offset = 0, off_t size = 0)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, size), 0);
    ASSERT_EQ(::pwrite(fd, content.data(), content.size(), offset), static_cast<ssize_t>(content.size()));
    ::close(fd);
}

std::string randomBytes(std::size_t count, unsigned seed)
{
    std::mt19937 random(seed);
    std::string bytes(count, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random() & 0xFF);
    return bytes;
}

auto text(std::string content)
{
    return [content](const std::string& path) { writeAt(path, content); };
}

// Start-up reads the file once; whatever stands there, the start goes on with the value of
// key "a" in section "s" or the default, and never waits for the file.
TEST(SettingsFileTest, StartUpReadsTheValueOrTheDefault)
{
    const struct {
        const char* name;
        std::function<void(const std::string& path)> make; // puts something at the file's path
        std::string expected;
    } cases[] = { { "missing", [](const std::string&) {}, "error" },
        // Blanks around names and values go, names are without regard to case, the first
        // value wins, quotes keep blanks; lines outside a proper section are no values.
        { "hand-edited", text("; comment\r\n[S]\r\n  A = " + Stored + "  \r\na=second\r\n"), Stored },
        { "quoted", text("[s]\na=\"  kept blanks  \"\n"), "  kept blanks  " },
        { "unclosed quote, no newline", text("[s]\na=\"x"), "\"x" },
        { "outside a section", text("a=wrong\n[s\na=wrong\n[s]\nb=1\n[x]\na=wrong\n[s]\na=" + Stored), Stored },
        { "binary", text(randomBytes(4096, 8) + "\n[s]\na=" + Stored + "\n" + randomBytes(4096, 9)), Stored },
        // 50 MB: only the first MiB is read, so a value beyond it is not seen.
        { "huge", [](const std::string& p) { writeAt(p, "\n[s]\na=" + Stored + "\n", (1 << 20) + 16, 50 << 20); },
            "error" },
        { "folder", [](const std::string& p) { ASSERT_EQ(::mkdir(p.c_str(), 0755), 0); }, "error" },
        { "pipe without writer", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); }, "error" },
        { "link to /dev/zero", [](const std::string& p) { ASSERT_EQ(::symlink("/dev/zero", p.c_str()), 0); },
            "error" } };
    for (const auto& c : cases) {
        test::TestDrives drives;
        c.make(drives.settingsPath());
        auto reading = std::async(std::launch::async, [] {
            platform::reloadConfiguration();
            return platform::readProfileString("s", "a", "error");
        });
        if (reading.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
            ADD_FAILURE() << c.name << ": reading the settings does not end";
            // Let a reader that waits on a pipe go: a writer that comes and goes gives it the end.
            ::close(::open(drives.settingsPath().c_str(), O_WRONLY | O_NONBLOCK));
        }
        EXPECT_EQ(reading.get(), c.expected) << c.name;
        EXPECT_NE(platform::logicalDrives() & (1u << 2), 0u) << c.name << ": drive C: is always there";
    }
}

} // namespace
} // namespace nuvero
