#include "search/SearchSession.h"

#include "search/SearchThread.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include <algorithm>
#include <mutex>
#include <utility>

namespace nuvero {

namespace {

// Held by a worker while it posts its notice and by the owner's thread when the notice
// arrives: Qt's event queue is invisible to ThreadSanitizer, this lock is not. One for all
// sessions, since workers of different sessions post into the same event queues.
std::mutex noticeMutex;

} // namespace

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
    , m_reapTimer(new QTimer(this))
    , m_drainTimer(new QTimer(this))
{
    m_reapTimer->setInterval(ReapInterval);
    connect(m_reapTimer, &QTimer::timeout, this, &SearchSession::reap);
    m_drainTimer->setSingleShot(true);
    connect(m_drainTimer, &QTimer::timeout, this, [this] {
        m_drainPosted = false;
        drain();
    });
}

SearchSession::~SearchSession()
{
    // Workers read the criteria and write the queues: every one is stopped and waited for.
    // This is the only place that waits. A worker in a folder listing that never returns
    // would hold it for ever: the program's exit (main) does not come here then, it asks
    // waitForWorkers first and leaves such a worker to the system.
    if (m_current)
        m_current->stop();
    for (const auto& job : m_retired)
        job->stop();
    m_current.reset();
    m_retired.clear();
    // Orders the workers' last notices before Qt drops those still queued for this object.
    std::lock_guard lock(noticeMutex);
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
        std::lock_guard lock(noticeMutex);
        QMetaObject::invokeMethod(this, "noticeHandOver", Qt::QueuedConnection);
    });
    job->thread = std::make_unique<SearchThread>(m_criteria, *job->queue);
    job->thread->Roots = roots;
    job->thread->Mask = mask;
    if (m_lister)
        job->thread->setFolderLister(m_lister);
    m_current = std::move(job);
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
    m_retired.push_back(std::move(m_current));
    reap();
}

void SearchSession::reap()
{
    // A finished worker's thread is gone: destroying its job waits for nothing.
    std::erase_if(m_retired, [](const auto& job) { return job->thread->isFinished(); });
    if (m_retired.empty())
        m_reapTimer->stop();
    else if (!m_reapTimer->isActive())
        m_reapTimer->start();
}

void SearchSession::noticeHandOver()
{
    {
        std::lock_guard lock(noticeMutex); // orders the worker's post before this
    }
    postDrain(true);
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
    m_drainTimer->start(delay);
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

bool SearchSession::waitForIdle(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    QTimer wake; // the current worker's end comes without an event: look every ReapInterval
    wake.start(ReapInterval);
    for (;;) {
        const Job* current = m_current.get();
        const bool ended = !current || current->thread->isFinished();
        // What an ended worker posted (its last notice) is in the event queue by now.
        QCoreApplication::processEvents();
        const bool currentDone = !m_current || (m_current.get() == current && ended && !m_drainPosted);
        if (currentDone && m_retired.empty())
            return true;
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}

} // namespace nuvero
