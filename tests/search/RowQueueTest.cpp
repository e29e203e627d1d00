#include "search/RowQueue.h"
#include "search/RowFeed.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace nuvero {
namespace {

using namespace std::chrono_literals;

ResultRow makeTestRow(const SharedText& path, int i)
{
    ResultRow row;
    row.path = path;
    row.name = std::to_string(i);
    return row;
}

std::vector<std::string> names(const std::vector<ResultRow>& rows)
{
    std::vector<std::string> out;
    for (const auto& r : rows)
        out.push_back(r.name);
    return out;
}

std::vector<std::string> range(int from, int to)
{
    std::vector<std::string> out;
    for (int i = from; i < to; ++i)
        out.push_back(std::to_string(i));
    return out;
}

// A queue that hands over by count only (the delay is far beyond any test's run).
class RowQueueTest : public ::testing::Test {
protected:
    RowQueue queue { 3, std::chrono::hours(1) };
    SharedText path = makeSharedText("c:\\");
    int notifications = 0;

    void SetUp() override
    {
        queue.setNotify([this] { ++notifications; });
    }
};

TEST_F(RowQueueTest, HandsOverFullBatchesInOrder)
{
    for (int i = 0; i < 2; ++i)
        queue.addRow(makeTestRow(path, i));
    EXPECT_TRUE(queue.take().empty()) << "a partial batch stays with the worker";
    EXPECT_EQ(notifications, 0);

    for (int i = 2; i < 7; ++i)
        queue.addRow(makeTestRow(path, i));
    // Two batches of three went over; the seventh row waits.
    EXPECT_EQ(notifications, 1) << "the second hand-over found the queue not yet drained";
    RowQueue::Batch batch = queue.take();
    EXPECT_EQ(names(batch.rows), range(0, 6));
    EXPECT_FALSE(batch.finished);

    queue.addRow(makeTestRow(path, 7));
    queue.addRow(makeTestRow(path, 8));
    EXPECT_EQ(notifications, 2) << "a drained queue is notified again";
    EXPECT_EQ(names(queue.take().rows), range(6, 9));
}

TEST_F(RowQueueTest, FinishedComesWithTheLastRowsAndNeverBefore)
{
    queue.addRow(makeTestRow(path, 0));
    queue.finish(true);
    RowQueue::Batch batch = queue.take();
    EXPECT_EQ(names(batch.rows), range(0, 1));
    EXPECT_TRUE(batch.finished);
    EXPECT_EQ(notifications, 1);
    EXPECT_TRUE(queue.take().empty());
}

TEST_F(RowQueueTest, StoppedWorkerDeliversItsRowsWithoutFinished)
{
    queue.addRow(makeTestRow(path, 0));
    queue.finish(false);
    RowQueue::Batch batch = queue.take();
    EXPECT_EQ(names(batch.rows), range(0, 1));
    EXPECT_FALSE(batch.finished);
}

TEST_F(RowQueueTest, StatusIsCoalescedToTheLastOne)
{
    queue.setStatus(makeSharedText("c:\\a"));
    queue.addRow(makeTestRow(path, 0));
    queue.setStatus(makeSharedText("c:\\b"));
    queue.setStatus(makeSharedText("c:\\c"));
    queue.flush();
    RowQueue::Batch batch = queue.take();
    EXPECT_EQ(batch.status, std::optional<std::string>("c:\\c"));
    EXPECT_EQ(names(batch.rows), range(0, 1));

    // No new status since: none is reported.
    queue.addRow(makeTestRow(path, 1));
    queue.flush();
    EXPECT_EQ(queue.take().status, std::nullopt);
}

TEST_F(RowQueueTest, CloseDropsWhatComesLaterAndResetOpensAgain)
{
    queue.addRow(makeTestRow(path, 0));
    queue.flush();
    queue.close();
    queue.addRow(makeTestRow(path, 1));
    queue.finish(true);
    RowQueue::Batch batch = queue.take();
    EXPECT_EQ(names(batch.rows), range(0, 1)) << "what was handed over before close stays";
    EXPECT_FALSE(batch.finished);

    queue.reset();
    queue.addRow(makeTestRow(path, 2));
    queue.finish(true);
    batch = queue.take();
    EXPECT_EQ(names(batch.rows), range(2, 3));
    EXPECT_TRUE(batch.finished);
}

// The window's side: parts of at most two rows. The worker goes on handing over while a
// part is on its way; the window is not notified again for that (the first notice is not
// yet answered by a take), so every part must take, or the last rows and the end stay in
// the queue and the search never ends on screen.
TEST_F(RowQueueTest, FeedTakesWithEveryPartAndEndsAfterTheLastRow)
{
    RowFeed feed(2);
    std::vector<std::string> shown;
    auto show = [&](const RowFeed::Part& part) {
        for (const ResultRow& row : part.rows)
            shown.push_back(row.name);
    };
    for (int i = 0; i < 3; ++i)
        queue.addRow(makeTestRow(path, i));
    queue.setStatus(makeSharedText("c:\\a"));
    queue.flush();
    ASSERT_EQ(notifications, 1);

    RowFeed::Part part = feed.next(queue);
    show(part);
    EXPECT_TRUE(part.more);
    EXPECT_FALSE(part.status) << "the status follows the last row taken";

    // While the rest of the first take waits, the worker hands over its last rows and ends.
    for (int i = 3; i < 6; ++i)
        queue.addRow(makeTestRow(path, i));
    queue.setStatus(makeSharedText("c:\\b"));
    queue.finish(true);
    EXPECT_EQ(notifications, 2);

    int parts = 1;
    do {
        part = feed.next(queue);
        show(part);
        ++parts;
        EXPECT_EQ(part.finished, !part.more);
        ASSERT_LE(parts, 10);
    } while (part.more);
    EXPECT_EQ(shown, range(0, 6));
    EXPECT_EQ(parts, 3);
    EXPECT_EQ(part.status, std::optional<std::string>("c:\\b"));
    EXPECT_EQ(notifications, 2) << "nothing left in the queue to announce";

    // Cleared (the search was stopped): what was taken is never handed out.
    for (int i = 6; i < 11; ++i)
        queue.addRow(makeTestRow(path, i));
    part = feed.next(queue);
    EXPECT_TRUE(part.more);
    feed.clear();
    part = feed.next(queue);
    EXPECT_TRUE(part.rows.empty());
    EXPECT_FALSE(part.more);
}

TEST(RowQueueDelayTest, HandsOverAfterTheDelayEvenWithFewRows)
{
    RowQueue queue(1000, std::chrono::milliseconds(0));
    const SharedText path = makeSharedText("c:\\");
    queue.addRow(makeTestRow(path, 0));
    EXPECT_EQ(queue.take().rows.size(), 1u);
    queue.setStatus(makeSharedText("c:\\x"));
    EXPECT_EQ(queue.take().status, std::optional<std::string>("c:\\x"));
}

} // namespace
} // namespace nuvero
