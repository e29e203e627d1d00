#include "search/RowQueue.h"

#include <iterator>
#include <utility>

namespace nuvero {

RowQueue::RowQueue(std::size_t maxRows, std::chrono::milliseconds maxDelay)
    : m_maxRows(maxRows == 0 ? 1 : maxRows)
    , m_maxDelay(maxDelay)
    , m_lastHandOver(std::chrono::steady_clock::now())
{
}

void RowQueue::setNotify(std::function<void()> notify)
{
    std::lock_guard lock(m_mutex);
    m_notify = std::move(notify);
}

RowQueue::Batch RowQueue::take()
{
    Batch batch;
    std::lock_guard lock(m_mutex);
    batch.rows.swap(m_rows);
    if (m_hasStatus && m_status)
        batch.status = *m_status;
    m_hasStatus = false;
    m_status.reset();
    batch.finished = m_finished;
    m_finished = false;
    m_notified = false;
    return batch;
}

void RowQueue::close()
{
    std::lock_guard lock(m_mutex);
    m_closed = true;
}

void RowQueue::reset()
{
    m_localRows.clear();
    m_localStatus.reset();
    m_localHasStatus = false;
    m_lastHandOver = std::chrono::steady_clock::now();
    std::lock_guard lock(m_mutex);
    m_rows.clear();
    m_status.reset();
    m_hasStatus = false;
    m_finished = false;
    m_notified = false;
    m_closed = false;
}

void RowQueue::addRow(ResultRow&& row)
{
    if (m_localRows.empty())
        m_localRows.reserve(m_maxRows < 1024 ? m_maxRows : 1024);
    m_localRows.push_back(std::move(row));
    if (m_localRows.size() >= m_maxRows)
        handOver(false);
    else
        flushIfDue();
}

void RowQueue::setStatus(const SharedText& folder)
{
    m_localStatus = folder;
    m_localHasStatus = true;
    flushIfDue();
}

void RowQueue::enterFolder(const SharedText& folder)
{
    m_localStatus = folder;
    m_localHasStatus = true;
    handOver(false);
}

void RowQueue::finish(bool completed)
{
    // Always through the lock, also with nothing left to hand over: the worker's last step
    // is then ordered before whatever the window's thread does after taking from the queue.
    handOver(completed);
}

void RowQueue::flushIfDue()
{
    if (hasLocal() && std::chrono::steady_clock::now() - m_lastHandOver >= m_maxDelay)
        handOver(false);
}

bool RowQueue::hasLocal() const
{
    return !m_localRows.empty() || m_localHasStatus;
}

void RowQueue::handOver(bool finished)
{
    m_lastHandOver = std::chrono::steady_clock::now();
    std::function<void()> notify;
    {
        std::lock_guard lock(m_mutex);
        if (!m_closed) {
            if (m_rows.empty())
                m_rows.swap(m_localRows);
            else
                m_rows.insert(m_rows.end(), std::make_move_iterator(m_localRows.begin()),
                    std::make_move_iterator(m_localRows.end()));
            if (m_localHasStatus) {
                m_status = std::move(m_localStatus);
                m_hasStatus = true;
            }
            m_finished = m_finished || finished;
            if (!m_notified && (!m_rows.empty() || m_hasStatus || m_finished)) {
                m_notified = true;
                notify = m_notify;
            }
        }
        // Still under the lock: at finish() this is the worker's last touch of the queue,
        // so whatever the window does after its next take() (destroying the queue, say)
        // comes after it.
        m_localRows.clear();
        m_localStatus.reset();
        m_localHasStatus = false;
    }
    if (notify)
        notify();
}

} // namespace nuvero
