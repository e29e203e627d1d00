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

// Batches of three rows (the delay is far beyond any test's run), shown in parts of at
// most two. The worker hands over its last rows while a part is on its way, and is not
// notified again for that, so every part must take, or the last rows and the end stay in
// the queue and the search never ends on screen.
TEST(RowQueueTest, HandsOverBatchesAndTheFeedEndsAfterTheLastRow)
{
    RowQueue queue(3, std::chrono::hours(1));
    int notices = 0;
    queue.setNotify([&] { ++notices; });
    RowFeed feed(2);
    add(queue, 0, 2);
    const RowQueue::Batch held = queue.take();
    EXPECT_TRUE(held.rows.empty() && !held.status && !held.finished) << "a partial batch stays with the worker";
    add(queue, 2, 4);
    RowFeed::Part part = feed.next(queue);
    std::string shown = names(part.rows);
    add(queue, 4, 7);
    queue.setStatus(makeSharedText("c:\\b"));
    queue.finish(true);
    EXPECT_EQ(notices, 2) << "one notice per take";
    for (int parts = 1; part.more && parts < 10; ++parts) {
        part = feed.next(queue);
        shown += names(part.rows);
        EXPECT_EQ(part.finished, !part.more) << "the end comes with the last row";
    }
    EXPECT_EQ(shown, "0 1 2 3 4 5 6 ");
    EXPECT_EQ(part.status, std::optional<std::string>("c:\\b"));

    RowQueue quick(1000, std::chrono::milliseconds(0));
    add(quick, 0, 1);
    EXPECT_EQ(quick.take().rows.size(), 1u) << "handed over after the delay, however few";
}

} // namespace
} // namespace nuvero
