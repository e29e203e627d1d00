#include "search/RowFeed.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace nuvero {

RowFeed::RowFeed(std::size_t maxRows)
    : m_maxRows(std::max<std::size_t>(maxRows, 1))
{
}

RowFeed::Part RowFeed::next(RowQueue& queue)
{
    RowQueue::Batch taken = queue.take();
    if (m_first == m_pending.rows.size()) {
        m_pending.rows.clear();
        m_first = 0;
    }
    if (m_pending.rows.empty()) {
        m_pending.rows.swap(taken.rows);
    } else {
        m_pending.rows.insert(m_pending.rows.end(), std::make_move_iterator(taken.rows.begin()),
            std::make_move_iterator(taken.rows.end()));
    }
    if (taken.status)
        m_pending.status = std::move(taken.status);
    m_pending.finished = m_pending.finished || taken.finished;

    Part part;
    const std::size_t count = std::min(m_pending.rows.size() - m_first, m_maxRows);
    part.rows = std::span<ResultRow>(m_pending.rows).subspan(m_first, count);
    m_first += count;
    part.more = m_first < m_pending.rows.size();
    if (!part.more) {
        part.status = std::exchange(m_pending.status, std::nullopt);
        part.finished = std::exchange(m_pending.finished, false);
    }
    return part;
}

void RowFeed::clear()
{
    m_pending = {};
    m_first = 0;
}

} // namespace nuvero
