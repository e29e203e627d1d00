#include "search/SearchSession.h"
#include "search/DirectFolderLister.h"
#include "search/SearchCriteria.h"
#include "support/EventLoop.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>

namespace nuvero {
namespace {

using namespace std::chrono_literals;

// Reads folders directly, but holds the listing of `stalled` until released (as a hung
// network folder would). Gives up holding after ten seconds,
// so that a test that goes wrong fails instead of hanging.
class StallingLister : public FolderLister {
public:
    std::string stalled = "none";
    std::string failing = "none";

    bool list(const SharedText& path, std::vector<platform::DirEntry>& out) override
    {
        if (*path == failing)
            throw std::runtime_error("device gone");
        if (*path == stalled) {
            std::unique_lock lock(m_mutex);
            m_inside = true;
            m_changed.notify_all();
            m_changed.wait_for(lock, 10s, [this] { return m_released; });
            m_inside = false;
        }
        return DirectFolderLister::read(*path, out);
    }

    bool inside(std::chrono::milliseconds wait = 0ms)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, wait, [this] { return m_inside; });
    }
    void release()
    {
        std::lock_guard lock(m_mutex);
        m_released = true;
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_inside = false;
    bool m_released = false;
};

// Rows found before a listing that does not return show while it hangs, and so does the
// folder it is stuck in. Stop and a new search then go on at once: the old worker's late
// rows never show, and it is destroyed once its listing returns.
TEST(SearchSessionTest, AStalledListingHoldsNeitherRowsNorTheNextSearch)
{
    test::coreApplication();
    test::TempTree tree;
    test::TestDrives drives;
    drives.map({ { 'c', tree.root() } });
    for (int i = 0; i < 10; ++i)
        tree.makeFile("first/a" + std::to_string(i) + ".txt");
    tree.makeFile("first/slow/s.txt");
    tree.makeFile("fast/f.txt");
    SearchCriteria criteria;
    criteria.setAfterDate(false);
    StallingLister lister; // goes after the session, whose workers use it
    lister.stalled = "c:\\first\\slow";
    SearchSession session(criteria);
    session.setFolderLister(&lister);
    std::vector<std::string> rows; // what the window would show
    std::string status;
    std::vector<bool> ends; // true: completed
    QObject::connect(&session, &SearchSession::rowsFound, [&](std::span<ResultRow> found) {
        for (const ResultRow& row : found)
            rows.push_back(std::string(row.pathText()) + "|" + row.name);
    });
    QObject::connect(&session, &SearchSession::statusChanged, [&](const std::string& folder) { status = folder; });
    QObject::connect(&session, &SearchSession::ended, [&](bool completed) { ends.push_back(completed); });

    session.start("c:\\first", "*.*");
    EXPECT_TRUE(test::runUntil([&] { return rows.size() == 11 && status == lister.stalled; }, 5s));
    ASSERT_TRUE(lister.inside(10s));
    session.stop();
    rows.clear();
    session.start("c:\\fast", "*.*");
    EXPECT_TRUE(lister.inside()) << "the new search waited for the stalled worker";
    ASSERT_TRUE(test::runUntil([&] { return !session.running(); }));
    EXPECT_EQ(ends, (std::vector<bool> { false, true }));
    lister.release();
    EXPECT_TRUE(session.waitForIdle(20000));
    EXPECT_EQ(session.workers(), 0);
    EXPECT_EQ(rows, std::vector<std::string> { "c:\\fast|f.txt" });

    // A worker whose listing fails ends without "finished": what it found shows, and the
    // search stays on until stopped.
    rows.clear();
    lister.failing = lister.stalled;
    session.start("c:\\first", "*.*");
    EXPECT_TRUE(session.waitForIdle(20000));
    EXPECT_TRUE(session.running());
    EXPECT_EQ(rows.size(), 11u);
    session.stop();
    EXPECT_EQ(ends, (std::vector<bool> { false, true, false }));
}

} // namespace
} // namespace nuvero
