#include "support/QueueWindow.h"

namespace nuvero::test {

QueueWindow::QueueWindow(RowQueue& queue)
    : m_queue(queue)
{
    m_queue.setNotify([this] {
        std::lock_guard lock(m_mutex);
        ++m_notifications;
        m_notified = true;
        m_wake.notify_one();
    });
}

QueueWindow::~QueueWindow()
{
    std::lock_guard lock(m_mutex);
}

bool QueueWindow::pump(std::chrono::milliseconds timeout)
{
    {
        std::unique_lock lock(m_mutex);
        if (!m_wake.wait_for(lock, timeout, [&] { return m_notified; }))
            return false;
        m_notified = false;
    }
    take();
    return true;
}

void QueueWindow::take()
{
    RowQueue::Batch batch = m_queue.take();
    if (batch.empty())
        return;
    afterFinished = afterFinished || finished;
    for (const ResultRow& row : batch.rows)
        rows.push_back(std::string(row.pathText()) + "|" + row.name);
    if (batch.status)
        status = *batch.status;
    finished = finished || batch.finished;
}

int QueueWindow::notifications()
{
    std::lock_guard lock(m_mutex);
    return m_notifications;
}

} // namespace nuvero::test
