#include "results/RowStore.h"

#include <memory>
#include <new>

namespace nuvero {

void RowStore::ChunkDeleter::operator()(ResultRow* chunk) const
{
    ::operator delete (static_cast<void*>(chunk), std::align_val_t { alignof(ResultRow) });
}

RowStore::~RowStore()
{
    clear();
}

void RowStore::append(std::span<ResultRow> rows)
{
    for (ResultRow& row : rows) {
        const std::size_t offset = m_size % ChunkRows;
        if (offset == 0 && m_size / ChunkRows == m_chunks.size()) {
            void* memory = ::operator new (sizeof(ResultRow) * ChunkRows, std::align_val_t { alignof(ResultRow) });
            m_chunks.emplace_back(static_cast<ResultRow*>(memory));
        }
        std::construct_at(&m_chunks[m_size / ChunkRows][offset], std::move(row));
        ++m_size;
    }
}

void RowStore::clear()
{
    for (std::size_t slot = 0; slot < m_size; ++slot)
        std::destroy_at(&(*this)[slot]);
    m_size = 0;
    std::vector<Chunk>().swap(m_chunks);
}

} // namespace nuvero
