#include "search/RowQueue.h"
#include "search/RowFeed.h"

#include <gtest/gtest.h>

#include <string>

namespace nuvero {
namespace {

// Hands rows named from..to-1 to the queue.
void add(RowQueue& queue, int from, int to)
{
    for (int i = from; i < to; ++i) {
        ResultRow row;
        row.name = std::to_string(i);
        queue.addRow(std::move(row));
    }
}

std::string names(std::span<const ResultRow> rows)
{
    std::string out;
    for (const auto& r : rows)
        out += r.name + " ";
    return out;
}

// Batches of three rows; the delay is far beyond any test's run.
TEST(RowQueueTest, HandsOverBatchesInOrderWithTheEndLast)
{
    RowQueue queue(3, std::chrono::hours(1));
    int notices = 0;
    queue.setNotify([&] { ++notices; });
    add(queue, 0, 2);
    EXPECT_TRUE(queue.take().empty()) << "a partial batch stays with the worker";
    add(queue, 2, 7);
    EXPECT_EQ(notices, 1) << "the second hand-over found the queue not yet drained";
    EXPECT_EQ(names(queue.take().rows), "0 1 2 3 4 5 ");
    queue.setStatus(makeSharedText("c:\\a"));
    queue.setStatus(makeSharedText("c:\\b"));
    queue.finish(true);
    EXPECT_EQ(notices, 2);
    RowQueue::Batch batch = queue.take();
    EXPECT_EQ(names(batch.rows), "6 ");
    EXPECT_EQ(batch.status, std::optional<std::string>("c:\\b"));
    EXPECT_TRUE(batch.finished);

    RowQueue quick(1000, std::chrono::milliseconds(0));
    add(quick, 0, 1);
    EXPECT_EQ(quick.take().rows.size(), 1u) << "handed over after the delay, however few";
}

// The window's side: parts of at most two rows. The worker hands over its last rows while
// a part is on its way, and is not notified again for that, so every part must take, or
// the last rows and the end stay in the queue and the search never ends on screen.
TEST(RowQueueTest, FeedTakesWithEveryPartAndEndsAfterTheLastRow)
{
    RowQueue queue(3, std::chrono::hours(1));
    RowFeed feed(2);
    add(queue, 0, 3);
    queue.setStatus(makeSharedText("c:\\a"));
    RowFeed::Part part = feed.next(queue);
    std::string shown = names(part.rows);
    EXPECT_FALSE(part.status) << "the status follows the last row taken";
    add(queue, 3, 6);
    queue.setStatus(makeSharedText("c:\\b"));
    queue.finish(true);
    for (int parts = 1; part.more && parts < 10; ++parts) {
        part = feed.next(queue);
        shown += names(part.rows);
        EXPECT_EQ(part.finished, !part.more);
    }
    EXPECT_EQ(shown, "0 1 2 3 4 5 ");
    EXPECT_EQ(part.status, std::optional<std::string>("c:\\b"));
}

} // namespace
} // namespace nuvero
