#pragma once

#include "search/ResultRow.h"

#include <cstddef>
#include <memory>
#include <span>
#include <vector>

namespace nuvero {

// The results list's rows by slot number, kept in chunks of a fixed size so that the store
// grows without ever moving a row already in it. A growing vector of a million rows would
// move every row at each doubling and touch twice the memory, which stalls the window's
// thread for hundreds of milliseconds on a machine where fresh memory is slow to map.
// Owned and used by one thread (the window's).
class RowStore {
public:
    static constexpr std::size_t ChunkRows = 8192; // about 850 KB a chunk

    RowStore() = default;
    ~RowStore();
    RowStore(const RowStore&) = delete;
    RowStore& operator=(const RowStore&) = delete;

    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    ResultRow& operator[](std::size_t slot) { return m_chunks[slot / ChunkRows][slot % ChunkRows]; }
    const ResultRow& operator[](std::size_t slot) const { return m_chunks[slot / ChunkRows][slot % ChunkRows]; }

    // Moves the rows in after the last slot, in their order; the rows given are left
    // moved-from.
    void append(std::span<ResultRow> rows);
    // Destroys every row and gives the memory back.
    void clear();

private:
    struct ChunkDeleter {
        void operator()(ResultRow* chunk) const;
    };
    using Chunk = std::unique_ptr<ResultRow[], ChunkDeleter>;

    // Chunks hold raw memory; rows are made in place as they arrive, so a chunk that is only
    // partly filled costs only the memory it uses.
    std::vector<Chunk> m_chunks;
    std::size_t m_size = 0;
};

} // namespace nuvero
