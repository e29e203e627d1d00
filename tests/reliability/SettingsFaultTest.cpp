// The settings file "lamer.Ini" as users' disks hold it: missing, empty, binary, huge,
// something other than a file, and a [drives] section that names what is no folder.
#include "search/RecordingSink.h"

#include "platform/IniFile.h"
#include "platform/Platform.h"
#include "search/SearchCriteria.h"
#include "search/SearchJob.h"
#include "support/TempTree.h"
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

using namespace std::chrono_literals;

constexpr const char* StoredValue = "04.12.2026 14:30:05";

struct SettingsCase {
    const char* name;
    // Puts something at the settings file's path (which does not exist yet).
    std::function<void(const std::string& path)> make;
    std::string expected; // value of key "a" in section "s", default "error"
};

void PrintTo(const SettingsCase& c, std::ostream* out)
{
    *out << c.name;
}

void writeFile(const std::string& path, const std::string& content)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, content.data(), content.size()), static_cast<ssize_t>(content.size()));
    ::close(fd);
}

// A file of `size` bytes, sparse (zero bytes) but for `content` written at `offset`.
void writeSparse(const std::string& path, off_t size, off_t offset, const std::string& content)
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

class SettingsFileTest : public ::testing::TestWithParam<SettingsCase> {
protected:
    test::TestDrives drives;
};

// Start-up reads the file once; whatever stands there, the start goes on with the value or
// the default, and never waits for the file.
TEST_P(SettingsFileTest, StartUpReadsTheValueOrTheDefault)
{
    const SettingsCase& c = GetParam();
    drives.removeSettings();
    const std::string path = drives.configHome() + "/nuvero/lamer.Ini";
    c.make(path);

    auto reading = std::async(std::launch::async, [] {
        platform::reloadConfiguration();
        return platform::readProfileString("s", "a", "error");
    });
    if (reading.wait_for(30s) != std::future_status::ready) {
        ADD_FAILURE() << "reading the settings does not end";
        // Let a reader that waits on a pipe go: a writer that comes and goes gives it the end.
        ::close(::open(path.c_str(), O_WRONLY | O_NONBLOCK));
    }
    EXPECT_EQ(reading.get(), c.expected);
    EXPECT_EQ(platform::settingsFilePath(), path);
    EXPECT_NE(platform::logicalDrives() & (1u << 2), 0u) << "drive C: is always there";
}

INSTANTIATE_TEST_SUITE_P(Files, SettingsFileTest,
    ::testing::Values(SettingsCase { "Missing", [](const std::string&) {}, "error" },
        SettingsCase { "Empty", [](const std::string& p) { writeFile(p, ""); }, "error" },
        SettingsCase {
            "Stored", [](const std::string& p) { writeFile(p, "[s]\r\na=04.12.2026 14:30:05\r\n"); }, StoredValue },
        SettingsCase { "StoredError", [](const std::string& p) { writeFile(p, "[s]\na=error\n"); }, "error" },
        SettingsCase { "Binary", [](const std::string& p) { writeFile(p, randomBytes(65536, 7)); }, "error" },
        SettingsCase { "BinaryAroundTheValue",
            [](const std::string& p) {
                writeFile(p, randomBytes(4096, 8) + "\n[s]\na=" + StoredValue + "\n" + randomBytes(4096, 9));
            },
            StoredValue },
        SettingsCase { "UnclosedQuotesAndNoNewline", [](const std::string& p) { writeFile(p, "[s]\na=\"x"); }, "\"x" },
        // 50 MB: only the first MiB is read, so a value beyond it is not seen.
        SettingsCase { "HugeWithTheValueFirst",
            [](const std::string& p) { writeSparse(p, 50 << 20, 0, std::string("[s]\na=") + StoredValue + "\n"); },
            StoredValue },
        SettingsCase { "HugeWithTheValueBeyondTheFirstMebibyte",
            [](const std::string& p) {
                writeSparse(p, 50 << 20, 2 << 20, std::string("\n[s]\na=") + StoredValue + "\n");
            },
            "error" },
        // Nearly a mebibyte of distinct sections (a start-up that took 24 s once): the
        // section after them is found.
        SettingsCase { "AMebibyteOfSections",
            [](const std::string& p) {
                std::string text;
                for (int i = 0; text.size() < platform::MaxSettingsFileSize - 64; ++i)
                    text += "[" + std::to_string(i) + "]\n";
                writeFile(p, text + "[S]\nA=" + StoredValue + "\n");
            },
            StoredValue },
        SettingsCase { "AFolder", [](const std::string& p) { ASSERT_EQ(::mkdir(p.c_str(), 0755), 0); }, "error" },
        SettingsCase {
            "APipeWithoutWriter", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); }, "error" },
        SettingsCase { "ALinkToAnEndlessDevice",
            [](const std::string& p) { ASSERT_EQ(::symlink("/dev/zero", p.c_str()), 0); }, "error" },
        SettingsCase {
            "ADanglingLink", [](const std::string& p) { ASSERT_EQ(::symlink("nowhere", p.c_str()), 0); }, "error" }),
    [](const ::testing::TestParamInfo<SettingsCase>& info) { return std::string(info.param.name); });

// ---- a [drives] section that names no folder -----------------------------------------------

TEST(DriveSectionTest, DrivesThatAreNoFoldersAreListedButYieldNothing)
{
    test::TempTree tree;
    tree.makeFile("real/a.txt");
    tree.makeFile("plain-file", "x");
    tree.makeSymlink("link-to-real", tree.path("real"));
    ASSERT_EQ(::mkfifo(tree.path("pipe").c_str(), 0644), 0);
    test::TestDrives drives;
    drives.map({ { 'c', tree.path("missing") }, { 'd', tree.path("plain-file") }, { 'e', tree.path("real") },
        { 'f', "relative/folder" }, { 'g', "/dev/null" }, { 'h', tree.path("pipe") },
        { 'i', tree.path("link-to-real") }, { 'j', "" } });

    // Every absolute entry is a drive (the drive list shows it); readiness tells them apart.
    const std::uint32_t expectedMask = (1u << 2) | (1u << 3) | (1u << 4) | (1u << 6) | (1u << 7) | (1u << 8);
    EXPECT_EQ(platform::logicalDrives(), expectedMask);
    for (const char letter : { 'c', 'd', 'g', 'h' })
        EXPECT_FALSE(platform::driveReady(letter)) << letter;
    for (const char letter : { 'e', 'i' })
        EXPECT_TRUE(platform::driveReady(letter)) << letter;
    EXPECT_FALSE(platform::driveReady('f'));

    for (const char* root : { "c:\\", "d:\\", "f:\\", "g:\\", "h:\\" }) {
        platform::IoStatus status;
        EXPECT_FALSE(platform::Folder::open(root, &status).isOpen()) << root;
        EXPECT_FALSE(status.ok()) << root;
    }

    // A search of them all ends, with rows from the two real folders only.
    SearchCriteria criteria;
    criteria.setAfterDate(false);
    test::RecordingSink sink;
    std::atomic<bool> stop { false };
    EXPECT_TRUE(SearchJob(criteria, sink, stop).run("c:;d:;e:;f:;g:;h:;i:;j:", "*.*"));
    EXPECT_EQ(sink.rowKeys(), (std::vector<std::string> { "e:\\|a.txt", "i:\\|a.txt" }));

    // The commands and the automatic save report them as any missing path.
    EXPECT_EQ(platform::openReadWriteTest("d:\\a.txt").text(), "Invalid filename");
    EXPECT_EQ(platform::deleteFile("h:\\x").text(), "Invalid filename");
    platform::OutputFile out;
    EXPECT_EQ(out.create("d:\\fls1").text(), "Invalid filename");
    EXPECT_EQ(tree.read("plain-file"), "x");
}

} // namespace
} // namespace nuvero
