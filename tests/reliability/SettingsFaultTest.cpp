// The settings file "lamer.Ini" as users' disks hold it: missing, hand-edited, endless, or
// a pipe.
#include "platform/Platform.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

namespace nuvero {
namespace {

// Start-up reads the file once; whatever stands there, the start goes on with the value of
// key "a" in section "s" or the default, and never waits for the file.
TEST(SettingsFileTest, StartUpReadsTheValueOrTheDefault)
{
    const std::string stored = "04.12.2026 14:30:05";
    const struct {
        std::string name;
        std::string content;
        std::string expected;
    } cases[] = { { "missing", "", "error" },
        // Blanks around names and values go, names are without regard to case, the first
        // value wins; lines outside a proper section are no values.
        { "hand-edited", "; comment\r\n[S]\r\n  A = " + stored + "  \r\na=second\r\n", stored },
        { "outside a section", "a=wrong\n[s\na=wrong\n[s]\nb=1\n[x]\na=wrong\n[s]\na=" + stored, stored },
        { "pipe without writer", "", "error" }, { "link to /dev/zero", "", "error" } };
    for (const auto& c : cases) {
        test::TestDrives drives;
        const std::string& path = drives.settingsPath();
        if (c.name.starts_with("pipe"))
            ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
        else if (c.name.starts_with("link"))
            ASSERT_EQ(::symlink("/dev/zero", path.c_str()), 0);
        else if (!c.content.empty())
            std::ofstream(path, std::ios::binary) << c.content;
        auto reading = std::async(std::launch::async, [] {
            platform::reloadConfiguration();
            return platform::readProfileString("s", "a", "error");
        });
        if (reading.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
            ADD_FAILURE() << c.name << ": reading the settings does not end";
            // Let a reader that waits on a pipe go: a writer that comes and goes gives it the end.
            ::close(::open(path.c_str(), O_WRONLY | O_NONBLOCK));
        }
        EXPECT_EQ(reading.get(), c.expected) << c.name;
    }
}

} // namespace
} // namespace nuvero
