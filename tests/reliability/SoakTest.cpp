// Soak: hundreds of searches through one real SearchSession, started and stopped at
// random moments (a new search often starts while the stopped worker is still walking),
// while another thread keeps changing the tree under them (files and folders come and go,
// folders turn into files and into links out of the drive). Run under ThreadSanitizer and
// AddressSanitizer too (label "threads").
//
// After every search: it ended once, nothing came after its end, and every row names an
// entry the changes can make, none outside the tree.
//
// NUVERO_SOAK_SECONDS sets the duration (default: 10 s, 25 s under the sanitizers).
// GCC 12 with AddressSanitizer warns that a std::function inside <regex>'s pattern compiler
// may be used uninitialized: a false positive of its inliner in the library's headers,
// whose lines come in through other headers first, so only a whole-file pragma reaches it.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include "FaultSupport.h"

#include "search/SearchCriteria.h"
#include "search/SearchSession.h"
#include "support/EventLoop.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <regex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace nuvero {
namespace {

using namespace std::chrono_literals;

// Every entry change() can make, as a row's folder and name joined by "\" (doubled after a
// folder with a trailing "\": the drive's root, or a root typed so).
const std::regex made(R"(c:\\{1,2}(folder|папка)[0-3](\\{1,2}s[0-3](\\(file|Файл)[0-9]\.txt)?)?)");

// One random change of the tree: a folder comes (back) or goes; a file comes; a folder or
// file turns into a file or into a link out of the drive or to the system's root. Files are
// made only where their folder is one, never through a link.
void change(const test::TempTree& tree, const std::string& outside, std::mt19937& random)
{
    const std::string top = (random() % 2 ? "папка" : "folder") + std::to_string(random() % 4);
    const std::string sub = top + "/s" + std::to_string(random() % 4);
    const std::string file = sub + "/" + (random() % 3 ? "file" : "Файл") + std::to_string(random() % 10) + ".txt";
    const unsigned what = random() % 6;
    if (what == 0) {
        if (!tree.isDir(sub))
            tree.remove(sub);
        ::mkdir(tree.path(top).c_str(), 0755);
        ::mkdir(tree.path(sub).c_str(), 0755);
        return;
    }
    const std::string& entry = tree.isDir(sub) && what != 3 && random() % 4 ? file : sub;
    if (what > 2)
        tree.remove(entry);
    if (what == 5)
        ::symlink(random() % 2 ? "/" : outside.c_str(), tree.path(entry).c_str());
    else if (what != 3)
        ::close(::open(tree.path(entry).c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW, 0644));
}

TEST(SoakTest, SearchesStartedAndStoppedAtRandomOverAChangingTree)
{
    test::TempTree tree;
    test::TempTree outside;
    outside.makeFile("deeper/secret.txt", "never a row");
    // A memory file system where one can be had: more changes, and more races, a second.
    const test::PrivateMount memory(tree.root(), "size=64m");
    test::TestDrives drives;
    drives.map({ { 'c', tree.root() } });
    std::mt19937 random(1);
    for (int i = 0; i < 300; ++i)
        change(tree, outside.root(), random);
    SearchCriteria criteria;
    criteria.setAfterDate(false);

    // Changes the tree until it goes, also when an assertion ends the test early.
    const std::jthread changer([&](std::stop_token stop) {
        std::mt19937 random(4242);
        while (!stop.stop_requested())
            change(tree, outside.root(), random);
    });

    test::coreApplication();
    SearchSession session(criteria);
    std::vector<std::string> rows; // of the search running now
    std::vector<bool> ends;
    bool afterEnd = false;
    int drains = 0;
    QObject::connect(&session, &SearchSession::rowsFound, [&](std::span<ResultRow> found) {
        afterEnd = afterEnd || !ends.empty();
        ++drains;
        for (const ResultRow& row : found)
            rows.push_back(std::string(row.pathText()) + "\\" + row.name);
    });
    QObject::connect(&session, &SearchSession::ended, [&](bool completed) { ends.push_back(completed); });

    const char* const seconds = std::getenv("NUVERO_SOAK_SECONDS");
    const auto deadline = std::chrono::steady_clock::now()
        + std::chrono::seconds(seconds && *seconds ? std::atoi(seconds) : NUVERO_SOAK_DEFAULT_SECONDS);
    const char* const rootsChoices[]
        = { "c:", "c:\\folder0;c:\\папка1", "c:;c:\\folder2\\s1", "c:\\папка3\\s0;;c:", "c:\\folder3\\" };
    int searches = 0;
    int completed = 0;
    while (std::chrono::steady_clock::now() < deadline && searches < 20000) {
        ++searches;
        rows.clear();
        ends.clear();
        drains = 0;
        // The criteria change under the running search, from this thread, as the window's
        // controls would change them.
        criteria.setSizeUnit(static_cast<SizeUnit>(random() % 4));
        criteria.setRusNames(random() % 5 == 0);
        criteria.setExclusions(
            random() % 3 ? SearchCriteria::Exclusions {} : SearchCriteria::Exclusions { "c:\\folder3", "c:\\nowhere" });
        session.start(rootsChoices[random() % std::size(rootsChoices)], random() % 4 ? "*.*" : "*.txt");

        // Stop at once, after some drains, or never.
        const int wanted = static_cast<int>(random() % 9);
        EXPECT_TRUE(test::runUntil([&] { return (wanted < 6 && drains >= wanted) || !session.running(); }, 30s));
        if (session.running())
            session.stop();
        // Now and then everything is let to end, so stopped workers do not pile up.
        if (random() % 8 == 0) {
            ASSERT_TRUE(session.waitForIdle(60000)) << "a worker did not end (search " << searches << ")";
        }

        EXPECT_FALSE(afterEnd) << "nothing may come after the end (search " << searches << ")";
        ASSERT_EQ(ends.size(), 1u) << "search " << searches;
        completed += ends.front() ? 1 : 0;
        for (const std::string& row : rows)
            ASSERT_TRUE(std::regex_match(row, made)) << "row of an entry that never was: " << row;
    }
    ASSERT_TRUE(session.waitForIdle(60000));
    EXPECT_GT(completed, 0);
}

} // namespace
} // namespace nuvero
