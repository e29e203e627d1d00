// The platform layer is called from two threads at once: the search worker lists and
// enters folders while the window's thread renames files and reads drives and settings.
// Run under ThreadSanitizer (label "threads").

#include "platform/Platform.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace nuvero::platform {
namespace {

TEST(PlatformThreadsTest, ListingAndFileCommandsRunSideBySide)
{
    test::TempTree tree;
    test::TestDrives drives;
    const std::string root = std::string(1, drives.driveFor(tree)) + ":\\";
    constexpr int Files = 40;
    for (int i = 0; i < Files; ++i)
        tree.makeFile("data/f" + std::to_string(i) + ".txt", std::to_string(i));

    std::atomic<std::size_t> listed { 0 };
    std::thread worker([&] {
        const LocalTimeConverter converter;
        for (int round = 0; round < 100; ++round) {
            Folder folder = Folder::open(root + "data");
            std::vector<DirEntry> entries;
            if (folder.isOpen() && folder.readAll(entries)) {
                for (const auto& e : entries)
                    (void)converter.toDateTime(e.lastWriteTime);
                listed += entries.size();
            }
            (void)fileAttributes(root + "data");
            (void)logicalDrives();
        }
    });
    // The window's side: every file renamed away and back, settings and drives read.
    int renamed = 0;
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < Files; ++i) {
            const std::string name = root + "data\\f" + std::to_string(i) + ".txt";
            const std::string other = root + "data\\g" + std::to_string(i) + ".txt";
            renamed += moveFile(round == 0 ? name : other, round == 0 ? other : name).ok() ? 1 : 0;
            (void)readProfileString("s", "a", "error");
            (void)driveReady(root[0]);
        }
    }
    worker.join();
    EXPECT_EQ(renamed, 2 * Files);
    for (int i = 0; i < Files; ++i)
        EXPECT_EQ(tree.read("data/f" + std::to_string(i) + ".txt"), std::to_string(i));
    EXPECT_GT(listed.load(), 0u);
}

} // namespace
} // namespace nuvero::platform
