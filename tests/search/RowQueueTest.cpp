#include "search/RowQueue.h"
#include "search/RowFeed.h"

#include <gtest/gtest.h>

#include <string>

namespace nuvero {
namespace {

// Rows named from..to-1, as handed to the queue and expected from it.
struct Rows {
    int from;
    int to;
    void add(RowQueue& queue) const
    {
        for (int i = from; i < to; ++i) {
            ResultRow row;
            row.name = std::to_string(i);
            queue.addRow(std::move(row));
        }
    }
    std::string text() const
    {
        std::string out;
        for (int i = from; i < to; ++i)
            out += std::to_string(i) + " ";
        return out;
    }
};

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
    Rows { 0, 2 }.add(queue);
    EXPECT_TRUE(queue.take().empty()) << "a partial batch stays with the worker";
    Rows { 2, 7 }.add(queue);
    EXPECT_EQ(notices, 1) << "the second hand-over found the queue not yet drained";
    EXPECT_EQ(names(queue.take().rows), (Rows { 0, 6 }.text()));
    queue.setStatus(makeSharedText("c:\\a"));
    queue.setStatus(makeSharedText("c:\\b"));
    queue.finish(true);
    EXPECT_EQ(notices, 2);
    RowQueue::Batch batch = queue.take();
    EXPECT_EQ(names(batch.rows), (Rows { 6, 7 }.text()));
    EXPECT_EQ(batch.status, std::optional<std::string>("c:\\b"));
    EXPECT_TRUE(batch.finished);

    // A stopped worker's rows come without "finished"; after close() nothing more comes.
    queue.reset();
    Rows { 0, 1 }.add(queue);
    queue.finish(false);
    batch = queue.take();
    EXPECT_EQ(names(batch.rows), (Rows { 0, 1 }.text()));
    EXPECT_FALSE(batch.finished);
    EXPECT_EQ(batch.status, std::nullopt);
    queue.reset();
    Rows { 0, 1 }.add(queue);
    queue.flush();
    queue.close();
    Rows { 1, 2 }.add(queue);
    queue.finish(true);
    batch = queue.take();
    EXPECT_EQ(names(batch.rows), (Rows { 0, 1 }.text()));
    EXPECT_FALSE(batch.finished);

    RowQueue quick(1000, std::chrono::milliseconds(0));
    Rows { 0, 1 }.add(quick);
    EXPECT_EQ(quick.take().rows.size(), 1u) << "handed over after the delay, however few";
}

// The window's side: parts of at most two rows. The worker hands over its last rows while
// a part is on its way, and is not notified again for that, so every part must take, or
// the last rows and the end stay in the queue and the search never ends on screen.
TEST(RowQueueTest, FeedTakesWithEveryPartAndEndsAfterTheLastRow)
{
    RowQueue queue(3, std::chrono::hours(1));
    RowFeed feed(2);
    std::string shown;
    Rows { 0, 3 }.add(queue);
    queue.setStatus(makeSharedText("c:\\a"));
    RowFeed::Part part = feed.next(queue);
    shown += names(part.rows);
    EXPECT_TRUE(part.more);
    EXPECT_FALSE(part.status) << "the status follows the last row taken";
    Rows { 3, 6 }.add(queue);
    queue.setStatus(makeSharedText("c:\\b"));
    queue.finish(true);
    int parts = 1;
    do {
        part = feed.next(queue);
        shown += names(part.rows);
        EXPECT_EQ(part.finished, !part.more);
        ASSERT_LE(++parts, 10);
    } while (part.more);
    EXPECT_EQ(shown, (Rows { 0, 6 }.text()));
    EXPECT_EQ(parts, 3);
    EXPECT_EQ(part.status, std::optional<std::string>("c:\\b"));

    // Cleared (the search was stopped): what was taken is never handed out.
    Rows { 6, 11 }.add(queue);
    queue.flush();
    EXPECT_TRUE(feed.next(queue).more);
    feed.clear();
    part = feed.next(queue);
    EXPECT_TRUE(part.rows.empty());
    EXPECT_FALSE(part.more);
}

} // namespace
} // namespace nuvero
