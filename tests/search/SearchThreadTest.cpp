#include "WalkTreeSupport.h"

#include "search/RowQueue.h"
#include "search/SearchCriteria.h"
#include "search/SearchThread.h"
#include "support/QueueWindow.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
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

class SearchThreadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int d = 0; d < 30; ++d) {
            for (int f = 0; f < 25; ++f)
                tree.makeFile("d" + std::to_string(d) + "/s" + std::to_string(d % 4) + "/f" + std::to_string(f));
        }
        drives.map({ { 'c', tree.root() } });
        criteria.setAfterDate(false);
        expected = test::expectedWalk(tree.root(), "c:\\");
        ASSERT_GT(expected.rows.size(), 800u);
    }

    bool isPrefixOfExpected(const std::vector<std::string>& rows) const
    {
        return rows.size() <= expected.rows.size() && std::equal(rows.begin(), rows.end(), expected.rows.begin());
    }

    test::TempTree tree;
    test::TestDrives drives;
    SearchCriteria criteria;
    test::ExpectedWalk expected;
};

TEST_F(SearchThreadTest, DeliversEveryRowInOrderThenFinished)
{
    for (std::size_t batchRows : { std::size_t { 1000 }, std::size_t { 7 } }) {
        RowQueue queue(batchRows, std::chrono::milliseconds(1));
        test::QueueWindow window(queue);
        SearchThread job(criteria, queue);
        job.Roots = "c:";
        job.Mask = "*.*";
        job.start();
        while (!window.finished)
            ASSERT_TRUE(window.pump()) << "no notification within the timeout";
        ASSERT_TRUE(job.wait(QDeadlineTimer(20000)));
        window.take();
        EXPECT_FALSE(window.afterFinished) << "nothing may come after finished";
        EXPECT_EQ(window.rows, expected.rows);
        EXPECT_EQ(window.status, expected.folders.back());
        EXPECT_GE(window.notifications(), 1);

        // A stop request to an ended job changes nothing.
        job.StopRequested = true;
        EXPECT_TRUE(job.wait(QDeadlineTimer(20000)));
        EXPECT_TRUE(queue.take().empty());
    }
}

TEST_F(SearchThreadTest, DestroyingARunningJobStopsIt)
{
    RowQueue queue;
    {
        SearchThread job(criteria, queue);
        job.Roots = "c:;c:;c:;c:";
        job.Mask = "*.*";
        job.start();
    }
    const RowQueue::Batch batch = queue.take();
    EXPECT_FALSE(batch.finished && batch.rows.size() < 4 * expected.rows.size());
}

// Fails on the third row, as a worker may fail anywhere.
class FailingSink : public RowSink {
public:
    void addRow(ResultRow&&) override
    {
        std::lock_guard lock(mutex);
        if (++rows == 3)
            throw std::runtime_error("no room");
    }
    void setStatus(const SharedText&) override { }
    void finish(bool completed) override
    {
        std::lock_guard lock(mutex);
        finished = completed;
        ++finishCalls;
    }

    std::mutex mutex;
    int rows = 0;
    std::optional<bool> finished;
    int finishCalls = 0;
};

TEST_F(SearchThreadTest, AnErrorOnTheWorkerEndsItSilently)
{
    FailingSink sink;
    SearchThread job(criteria, sink);
    job.Roots = "c:";
    job.Mask = "*.*";
    job.start();
    ASSERT_TRUE(job.wait(QDeadlineTimer(20000)));
    std::lock_guard lock(sink.mutex);
    EXPECT_EQ(sink.rows, 3);
    EXPECT_EQ(sink.finished, std::optional<bool>(false));
    EXPECT_EQ(sink.finishCalls, 1);
}

} // namespace
} // namespace nuvero
