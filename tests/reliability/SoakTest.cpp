// Soak: hundreds of searches through one real SearchSession, started and stopped at
// random moments (a new search often starts while the stopped worker is still walking),
// while another thread keeps changing the tree under them (files and folders come and go,
// folders turn into files and into links out of the drive). Run under ThreadSanitizer and
// AddressSanitizer too (label "threads").
//
// After every search: it ended once, nothing came after its end, and every row names an
// entry that existed during the search, none outside the tree.
//
// NUVERO_SOAK_SECONDS sets the duration (default: 10 s, 25 s under the sanitizers).
#include "FaultSupport.h"

#include "search/SearchCriteria.h"
#include "search/SearchSession.h"
#include "support/EventLoop.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <iterator>
#include <mutex>
#include <random>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

// Qt is not built with ThreadSanitizer: an ended QThread wakes its waiters through a
// condition variable whose ordering the sanitizer cannot see (see SearchSessionTest).
extern "C" const char* __tsan_default_suppressions()
{
    return "race:QWaitCondition::~QWaitCondition\n";
}

namespace nuvero {
namespace {

using namespace std::chrono_literals;

#ifndef NUVERO_SOAK_DEFAULT_SECONDS
#define NUVERO_SOAK_DEFAULT_SECONDS 10
#endif

int soakSeconds()
{
    if (const char* text = std::getenv("NUVERO_SOAK_SECONDS"); text && *text)
        return std::max(1, std::atoi(text));
    return NUVERO_SOAK_DEFAULT_SECONDS;
}

// Changes the tree at random. Every entry it may make is recorded, as "program folder|name",
// before it is made, so a row is right when its key was recorded.
class ChangingTree {
public:
    ChangingTree(const test::TempTree& tree, std::string outside)
        : m_tree(tree)
        , m_outside(std::move(outside))
    {
        std::mt19937 random(1);
        for (int i = 0; i < 300; ++i)
            change(random, i % 5);
    }

    void change(std::mt19937& random, unsigned what)
    {
        const std::string top = (random() % 2 ? "папка" : "folder") + std::to_string(random() % 4);
        const std::string sub = top + "/s" + std::to_string(random() % 4);
        const std::string file = sub + "/" + (random() % 3 ? "file" : "Файл") + std::to_string(random() % 12) + ".txt";
        switch (what) {
        case 0: // a folder comes (back)
            record(top);
            record(sub);
            if (m_tree.exists(sub) && !m_tree.isDir(sub))
                m_tree.remove(sub);
            ::mkdir(m_tree.path(top).c_str(), 0755);
            ::mkdir(m_tree.path(sub).c_str(), 0755);
            break;
        case 1:
        case 2: // a file comes; only where the folder still is one, never through a link
            record(file);
            if (m_tree.isDir(sub))
                ::close(::open(m_tree.path(file).c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW, 0644));
            break;
        case 3: // a folder vanishes with all it holds, or turns into a file
            m_tree.remove(sub);
            if (random() % 2) {
                record(sub);
                ::close(::open(m_tree.path(sub).c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW, 0644));
            }
            break;
        default: // a folder or file turns into a link out of the drive or to the system's root
            const std::string& gone = random() % 2 ? sub : file;
            m_tree.remove(gone);
            ::symlink(random() % 2 ? "/" : m_outside.c_str(), m_tree.path(gone).c_str());
            break;
        }
    }

    // `folder` as a row's Path holds it: a root typed with a trailing "\" keeps it.
    bool existed(std::string folder, const std::string& name) const
    {
        if (folder.size() > 3 && folder.back() == '\\')
            folder.pop_back();
        std::lock_guard lock(m_mutex);
        return m_existed.count(folder + "|" + name) > 0;
    }

private:
    void record(const std::string& relative)
    {
        std::string key = "c:\\" + relative;
        std::replace(key.begin(), key.end(), '/', '\\');
        const auto cut = key.rfind('\\');
        key = (cut == 2 ? key.substr(0, 3) : key.substr(0, cut)) + "|" + key.substr(cut + 1);
        std::lock_guard lock(m_mutex);
        m_existed.insert(key);
    }

    const test::TempTree& m_tree;
    const std::string m_outside;
    mutable std::mutex m_mutex;
    std::set<std::string> m_existed;
};

TEST(SoakTest, SearchesStartedAndStoppedAtRandomOverAChangingTree)
{
    test::TempTree tree;
    test::TempTree outside;
    outside.makeFile("secret.txt", "never a row");
    outside.makeFile("deeper/secret2.txt", "never a row");
    // A memory file system where one can be had: more changes, and more races, a second.
    const test::PrivateMount memory(tree.root(), "size=64m");
    test::TestDrives drives;
    drives.map({ { 'c', tree.root() } });
    ChangingTree changing(tree, outside.root());
    SearchCriteria criteria;
    criteria.setAfterDate(false);

    // Changes the tree until it goes, also when an assertion ends the test early.
    struct Changer {
        std::atomic<bool> done { false };
        std::atomic<long> changes { 0 };
        std::thread thread;
        explicit Changer(ChangingTree& tree)
            : thread([this, &tree] {
                std::mt19937 random(4242);
                while (!done.load()) {
                    tree.change(random, static_cast<unsigned>(random() % 6));
                    changes.fetch_add(1);
                }
            })
        {
        }
        ~Changer()
        {
            done = true;
            thread.join();
        }
    } changer(changing);

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
            rows.push_back(std::string(row.pathText()) + "|" + row.name);
    });
    QObject::connect(&session, &SearchSession::ended, [&](bool completed) { ends.push_back(completed); });

    std::mt19937 random(1234);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(soakSeconds());
    const char* const rootsChoices[]
        = { "c:", "c:\\folder0;c:\\папка1", "c:;c:\\folder2\\s1", "c:\\папка3\\s0;;c:", "c:\\folder3\\" };
    int searches = 0;
    int completed = 0;
    long rowsSeen = 0;
    while (std::chrono::steady_clock::now() < deadline && searches < 20000) {
        ++searches;
        rows.clear();
        ends.clear();
        drains = 0;
        // The criteria change under the running search, from this thread, as the window's
        // controls would change them.
        criteria.setSizeUnit(static_cast<SizeUnit>(random() % 4));
        criteria.setRusNames(random() % 5 == 0);
        if (random() % 3 == 0)
            criteria.setExclusions({ "c:\\folder3", "c:\\nowhere" });
        else
            criteria.setExclusions({});
        session.start(rootsChoices[random() % std::size(rootsChoices)], random() % 4 ? "*.*" : "*.txt");

        // Stop at once, after some drains, or never.
        const unsigned mode = random() % 3;
        const int wanted = static_cast<int>(random() % 6);
        if (mode == 1) {
            EXPECT_TRUE(test::runUntil([&] { return drains >= wanted || !session.running(); }, 30s));
        } else if (mode == 2) {
            EXPECT_TRUE(test::runUntil([&] { return !session.running(); }, 30s)) << "search " << searches;
        }
        if (session.running())
            session.stop();
        // Now and then everything is let to end, so stopped workers do not pile up.
        if (random() % 8 == 0) {
            ASSERT_TRUE(session.waitForIdle(60000)) << "a worker did not end (search " << searches << ")";
        }

        EXPECT_FALSE(afterEnd) << "nothing may come after the end (search " << searches << ")";
        ASSERT_EQ(ends.size(), 1u) << "search " << searches;
        if (ends.front())
            ++completed;
        for (const std::string& key : rows) {
            const auto bar = key.rfind('|');
            ASSERT_TRUE(changing.existed(key.substr(0, bar), key.substr(bar + 1)))
                << "row of an entry that never was: " << key;
        }
        rowsSeen += static_cast<long>(rows.size());
    }
    ASSERT_TRUE(session.waitForIdle(60000));
    const long changes = changer.changes.load();
    std::printf("soak: %d searches (%d completed), %ld rows taken, %ld changes of the tree, %s\n", searches, completed,
        rowsSeen, changes, memory.mounted() ? "on tmpfs" : "on disk");
    EXPECT_GE(searches, 50);
    EXPECT_GT(completed, 0);
}

} // namespace
} // namespace nuvero
