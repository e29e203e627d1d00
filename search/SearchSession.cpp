#include "search/SearchSession.h"

#include "search/SearchThread.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace nuvero {

// One search: the worker and the queue it writes to, made together and destroyed together.
struct SearchSession::Job {
    std::unique_ptr<RowQueue> queue = std::make_unique<RowQueue>();
    std::unique_ptr<SearchThread> thread;

    // The worker ends at its next poll; nothing it hands over from now on is kept.
    void stop()
    {
        thread->StopRequested = true;
        queue->close();
    }

    // Destroyed once the worker has ended (the session's destructor waits for it here).
    ~Job()
    {
        stop();
        thread->wait();
        // The worker's last step is a hand-over under the queue's lock. Qt's join is
        // invisible to ThreadSanitizer; taking the lock once more orders that step before
        // the queue and the thread object go also in its eyes.
        queue->close();
        thread.reset();
    }
};

SearchSession::SearchSession(const SearchCriteria& criteria, QObject* parent)
    : QObject(parent)
    , m_criteria(criteria)
{
}

SearchSession::~SearchSession()
{
    // Workers read the criteria and write the queues: every one is stopped and waited for.
    // A worker in a folder listing that never returns holds the program's exit here; this
    // is the only place that waits.
    if (m_current)
        m_current->stop();
    for (const auto& job : m_retired)
        job->stop();
    m_current.reset();
    m_retired.clear();
}

void SearchSession::start(const std::string& roots, const std::string& mask)
{
    if (m_running)
        end(false);
    retire();
    m_feed.clear();

    auto job = std::make_unique<Job>();
    // Called on the worker's thread once the owner has taken what came before.
    job->queue->setNotify([this] {
        QMetaObject::invokeMethod(
            this, [this] { postDrain(true); }, Qt::QueuedConnection);
    });
    job->thread = std::make_unique<SearchThread>(m_criteria, *job->queue);
    job->thread->Roots = roots;
    job->thread->Mask = mask;
    if (m_lister)
        job->thread->setFolderLister(m_lister);
    const SearchThread* thread = job->thread.get();
    connect(job->thread.get(), &QThread::finished, this, [this, thread] { reap(thread); });
    m_current = std::move(job);
    m_currentEnded = false;
    m_running = true;
    ++m_generation;
    m_current->thread->start();
}

void SearchSession::stop()
{
    end(false);
}

void SearchSession::end(bool completed)
{
    if (!m_running)
        return;
    m_running = false;
    ++m_generation;
    retire();
    m_feed.clear(); // taken but not emitted: not part of the search's rows either
    emit ended(completed);
}

void SearchSession::retire()
{
    if (!m_current)
        return;
    m_current->stop();
    if (m_currentEnded)
        m_current.reset(); // its worker has ended: nothing to wait for
    else
        m_retired.push_back(std::move(m_current));
    m_current.reset();
}

void SearchSession::reap(const SearchThread* thread)
{
    // Queued from the worker's QThread::finished: the worker has run its last line of ours.
    if (m_current && m_current->thread.get() == thread) {
        m_currentEnded = true;
        return;
    }
    const auto it = std::find_if(
        m_retired.begin(), m_retired.end(), [thread](const auto& job) { return job->thread.get() == thread; });
    if (it != m_retired.end())
        m_retired.erase(it);
}

void SearchSession::postDrain(bool paced)
{
    if (m_drainPosted)
        return; // the one already on its way drains whatever has come meanwhile
    m_drainPosted = true;
    // Showing rows and the folder text costs the owner the same for ten rows as for ten
    // thousand: a search that hands rows over faster than that is shown in steps of
    // DrainInterval, which keeps the owner's share of the processor small.
    std::chrono::milliseconds delay { 0 };
    if (paced && m_lastDrain.isValid())
        delay
            = std::max(std::chrono::milliseconds(0), DrainInterval - std::chrono::milliseconds(m_lastDrain.elapsed()));
    QTimer::singleShot(delay, this, [this] {
        m_drainPosted = false;
        drain();
    });
}

void SearchSession::drain()
{
    m_lastDrain.start();
    if (!m_running || !m_current) {
        m_feed.clear(); // stopped meanwhile: nothing more is emitted
        return;
    }
    // The rows in parts; the folder text and the end follow the last row taken.
    const std::uint64_t generation = m_generation;
    const RowFeed::Part part = m_feed.next(*m_current->queue);
    if (!part.rows.empty()) {
        emit rowsFound(part.rows);
        if (generation != m_generation)
            return; // a receiver stopped (or restarted) the search, which dropped the rest
    }
    if (part.more) {
        postDrain(false);
        return;
    }
    if (part.status) {
        emit statusChanged(*part.status);
        if (generation != m_generation)
            return;
    }
    if (part.finished)
        end(true);
}

int SearchSession::workers() const
{
    return static_cast<int>(m_retired.size()) + (m_current ? 1 : 0);
}

bool SearchSession::waitForWorkers(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    if (m_current && !m_current->thread->wait(deadline))
        return false;
    for (const auto& job : m_retired) {
        if (!job->thread->wait(deadline))
            return false;
    }
    return true;
}

bool SearchSession::idle() const
{
    // A worker that has ended may still have rows and "finished" on their way to a drain.
    const bool currentDone = !m_current || (m_currentEnded && (!m_running || !m_drainPosted));
    return currentDone && m_retired.empty();
}

bool SearchSession::waitForIdle(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    QTimer wake; // ends the wait for events at the deadline
    wake.setSingleShot(true);
    wake.start(std::max(timeoutMs, 0));
    while (!idle()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

} // namespace nuvero
