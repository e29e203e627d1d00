#include "results/RowStore.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace nuvero {
namespace {

std::vector<ResultRow> numberedRows(std::size_t from, std::size_t count, const SharedText& path)
{
    std::vector<ResultRow> rows(count);
    for (std::size_t i = 0; i < count; ++i) {
        rows[i].path = path;
        // Long enough to live on the heap: a row copied instead of moved, or moved twice,
        // shows as a wrong or empty name.
        rows[i].name = "a name long enough for the heap " + std::to_string(from + i);
        rows[i].dir = (from + i) % 3 == 0;
    }
    return rows;
}

TEST(RowStoreTest, RowsKeepTheirSlotsAcrossChunksWhateverTheBatchSizes)
{
    const std::size_t chunk = RowStore::ChunkRows;
    const std::vector<std::vector<std::size_t>> batchSizes = {
        { 1 },
        { chunk },
        { chunk - 1, 1, 1 },
        { 3, chunk * 2 + 5, 7 },
        { 0, chunk + 1, 0, chunk - 2 },
    };
    for (const auto& sizes : batchSizes) {
        RowStore store;
        const SharedText path = makeSharedText("c:\\data");
        std::size_t total = 0;
        for (std::size_t size : sizes) {
            std::vector<ResultRow> rows = numberedRows(total, size, path);
            store.append(rows);
            total += size;
            ASSERT_EQ(store.size(), total);
        }
        for (std::size_t slot = 0; slot < total; ++slot) {
            ASSERT_EQ(store[slot].name, "a name long enough for the heap " + std::to_string(slot)) << slot;
            ASSERT_EQ(store[slot].dir, slot % 3 == 0);
            ASSERT_EQ(store[slot].path.get(), path.get()) << "the Path text stays shared";
        }
        EXPECT_EQ(path.use_count(), static_cast<long>(total + 1));
        store.clear();
        EXPECT_TRUE(store.empty());
        EXPECT_EQ(path.use_count(), 1) << "clearing destroys every row";
        std::vector<ResultRow> again = numberedRows(0, 2, path);
        store.append(again);
        EXPECT_EQ(store[1].name, "a name long enough for the heap 1");
    }
}

} // namespace
} // namespace nuvero
