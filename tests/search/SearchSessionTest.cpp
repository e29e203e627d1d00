#include "RecordingSink.h"

#include "search/DirectFolderLister.h"
#include "search/SearchCriteria.h"
#include "search/SearchJob.h"
#include "search/SearchSession.h"
#include "support/EventLoop.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>

// Qt is not built with ThreadSanitizer: a QThread that has ended wakes its waiters through
// a condition variable, and QThread::wait() learns of the end through Qt's own futex-based
// mutex, which the sanitizer cannot see. Destroying the ended QThread then looks like a race
// with that wake-up. Nothing of this program is involved; only that report is silenced.
extern "C" const char* __tsan_default_suppressions()
{
    return "race:QWaitCondition::~QWaitCondition\n";
}

namespace nuvero {
namespace {

using namespace std::chrono_literals;

// Reads folders directly, but holds the listing of one folder until released (as a hung
// network folder would), and fails the listing of another. Gives up waiting after ten
// seconds, so that a test that goes wrong fails instead of hanging.
class StallingLister : public FolderLister {
public:
    StallingLister(std::string stalled, std::string failing)
        : m_stalled(std::move(stalled))
        , m_failing(std::move(failing))
    {
    }

    bool list(const SharedText& path, std::vector<platform::DirEntry>& out) override
    {
        if (*path == m_failing)
            throw std::runtime_error("device gone");
        if (*path == m_stalled) {
            std::unique_lock lock(m_mutex);
            m_inside = true;
            m_changed.notify_all();
            m_changed.wait_for(lock, 10s, [this] { return m_released; });
            m_inside = false;
        }
        return DirectFolderLister::read(*path, out);
    }

    bool waitUntilInside()
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, 10s, [this] { return m_inside; });
    }
    bool inside()
    {
        std::lock_guard lock(m_mutex);
        return m_inside;
    }
    void release()
    {
        std::lock_guard lock(m_mutex);
        m_released = true;
        m_changed.notify_all();
    }

private:
    const std::string m_stalled;
    const std::string m_failing;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_inside = false;
    bool m_released = false;
};

// What a session emitted, as the window would show it.
struct Shown {
    explicit Shown(SearchSession& session)
    {
        QObject::connect(&session, &SearchSession::rowsFound, [this](std::span<ResultRow> found) {
            afterEnd = afterEnd || !ends.empty();
            for (const ResultRow& row : found)
                rows.push_back(std::string(row.pathText()) + "|" + row.name);
        });
        QObject::connect(&session, &SearchSession::statusChanged, [this](const std::string& folder) {
            afterEnd = afterEnd || !ends.empty();
            status = folder;
        });
        QObject::connect(&session, &SearchSession::ended, [this](bool completed) { ends.push_back(completed); });
    }

    std::vector<std::string> rows;
    std::string status;
    std::vector<bool> ends; // true: completed
    bool afterEnd = false; // something came after an end: never allowed
};

class SearchSessionTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::coreApplication(); }

    void SetUp() override
    {
        drives.map({ { 'c', tree.root() } });
        criteria.setAfterDate(false);
    }

    void makeWideTree()
    {
        for (int d = 0; d < 30; ++d) {
            for (int f = 0; f < 25; ++f)
                tree.makeFile("d" + std::to_string(d) + "/s" + std::to_string(d % 4) + "/f" + std::to_string(f));
        }
    }

    // A session whose listings hold at `stalled` and fail at `failing`, searching `roots`.
    void start(const std::string& roots, std::string stalled = "none", std::string failing = "none")
    {
        lister = std::make_unique<StallingLister>(std::move(stalled), std::move(failing));
        session = std::make_unique<SearchSession>(criteria);
        session->setFolderLister(lister.get());
        shown = std::make_unique<Shown>(*session);
        session->start(roots, "*.*");
    }

    test::TempTree tree;
    test::TestDrives drives;
    SearchCriteria criteria;
    std::unique_ptr<StallingLister> lister; // goes after the session, whose workers use it
    std::unique_ptr<SearchSession> session;
    std::unique_ptr<Shown> shown;
};

TEST_F(SearchSessionTest, DeliversEveryRowInOrderThenFinished)
{
    makeWideTree();
    test::RecordingSink alone;
    std::atomic<bool> never { false };
    SearchJob(criteria, alone, never).run("c:", "*.*");
    start("c:");
    ASSERT_TRUE(session->running());
    ASSERT_TRUE(test::runUntil([&] { return !session->running(); }));
    EXPECT_EQ(shown->rows, alone.rowKeys());
    EXPECT_EQ(shown->status, alone.statuses.back());
    EXPECT_EQ(shown->ends, std::vector<bool> { true });
    EXPECT_TRUE(session->waitForIdle(20000));
    EXPECT_EQ(session->workers(), 0);
    EXPECT_FALSE(shown->afterEnd);

    SearchSession running(criteria); // destroyed while its worker runs: stops it
    running.start("c:;c:;c:;c:", "*.*");
}

// A worker that fails ends without "finished"; rows found until then are still shown.
TEST_F(SearchSessionTest, AnErrorOnTheWorkerEndsItSilently)
{
    tree.makeFile("a.txt");
    tree.makeFile("gone/b.txt");
    start("c:", "none", "c:\\gone");
    ASSERT_TRUE(session->waitForIdle(20000));
    EXPECT_TRUE(session->running());
    EXPECT_TRUE(shown->ends.empty());
    EXPECT_EQ(shown->rows.size(), 2u); // a.txt and the folder
    session->stop();
    EXPECT_EQ(shown->ends, std::vector<bool> { false });
}

// Stop and a new search while the old worker sits in a listing that does not return: the
// window's thread goes on at once, the old worker's rows never show, and it is destroyed
// once its listing returns.
TEST_F(SearchSessionTest, SearchAfterStopDoesNotWaitForAStalledWorker)
{
    tree.makeFile("slow/s.txt");
    tree.makeFile("fast/f.txt");
    start("c:\\slow", "c:\\slow");
    ASSERT_TRUE(lister->waitUntilInside());
    session->stop();
    session->start("c:\\fast", "*.*");
    EXPECT_TRUE(lister->inside()) << "the new search waited for the stalled worker";
    ASSERT_TRUE(test::runUntil([&] { return !session->running(); }));
    EXPECT_EQ(shown->ends, (std::vector<bool> { false, true }));
    lister->release();
    EXPECT_TRUE(session->waitForIdle(20000));
    EXPECT_EQ(session->workers(), 0);
    EXPECT_EQ(shown->rows, std::vector<std::string> { "c:\\fast|f.txt" });
}

// Rows found before a listing that does not return are shown, and so is the folder it is
// stuck in, while it is stuck.
TEST_F(SearchSessionTest, RowsAndTheStalledFolderShowWhileItsListingHangs)
{
    for (int i = 0; i < 10; ++i)
        tree.makeFile("a" + std::to_string(i) + ".txt");
    tree.makeFile("slow/s.txt");
    start("c:", "c:\\slow");
    EXPECT_TRUE(test::runUntil([&] { return shown->rows.size() == 11 && shown->status == "c:\\slow"; }, 5s));
    EXPECT_TRUE(lister->inside());
    lister->release();
    ASSERT_TRUE(test::runUntil([&] { return !session->running(); }));
    EXPECT_EQ(shown->rows.size(), 12u);
    EXPECT_EQ(shown->ends, std::vector<bool> { true });
}

} // namespace
} // namespace nuvero
