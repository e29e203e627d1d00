#pragma once

#include "search/ResultRow.h"
#include "search/RowFeed.h"
#include "search/RowQueue.h"
#include "search/SearchCriteria.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace nuvero {

class FolderLister;
class SearchThread;

// The search as its owner sees it: start(), stop(), running(), and signals for the rows
// found, the folder being searched and the end. A QObject of the owner's thread (the
// window's); every signal is emitted there, never on a worker.
//
// Threads: each start() makes a job of its own, a SearchThread worker and the RowQueue it
// writes to. stop() sets the worker's stop request and closes its queue, so nothing the
// worker still finds is shown, and retires the job without waiting for it: a worker that
// sits in a folder listing (a hung network folder) does not poll, and the owner's thread
// must stay responsive. Retired jobs are destroyed once their worker has ended, looked for
// every ReapInterval while any is left. Only the destructor waits for workers, since they
// read the criteria and write queues this object owns; so an owner that must end while a
// worker may be held by a listing for ever (the program's exit) asks waitForWorkers with a
// bound first and, when it fails, ends the process without destroying this object.
//
// The one thing a worker does with Qt is to post the "rows handed over" notice
// (noticeHandOver, queued); it does so under a mutex that the notice takes again on this
// thread, so that the hand-over is ordered for ThreadSanitizer too, which cannot see
// inside Qt.
//
// Rows reach the owner in drains: the first as soon as the worker hands something over,
// later ones at most every DrainInterval. A drain takes what the queue holds into a
// RowFeed and emits at most MaxRowsPerDrain rows, posting itself again for the rest, so a
// batch that grew large while the owner was busy never holds its event loop for long. The
// folder text changes once per drain, not once per folder.
class SearchSession : public QObject {
    Q_OBJECT

public:
    static constexpr std::size_t MaxRowsPerDrain = 16384;
    static constexpr std::chrono::milliseconds DrainInterval { 100 };
    static constexpr std::chrono::milliseconds ReapInterval { 100 };

    // criteria must outlive the session; workers read it live.
    explicit SearchSession(const SearchCriteria& criteria, QObject* parent = nullptr);
    ~SearchSession() override;

    // Starts a search of `roots` (";"-separated, as typed) with `mask`. A search still
    // running is stopped first (ended(false) is emitted).
    void start(const std::string& roots, const std::string& mask);
    // Ends the running search: its queue is closed and rows taken but not yet emitted are
    // dropped, so the rows emitted so far are the search's rows; then ended(false).
    // Returns at once, whatever the worker is doing.
    void stop();
    // Between start() and the end (stop(), or the drain that delivers "finished").
    bool running() const { return m_running; }

    // For tests and tools. The lister supplies the folder listings of every job started
    // afterwards (it must outlive every worker and be safe on several threads at once).
    void setFolderLister(FolderLister* lister) { m_lister = lister; }
    // Workers not yet destroyed: the current one and retired ones still ending.
    int workers() const;
    // Waits without running the event loop until every worker has ended: what they found
    // is then handed over but not yet emitted.
    bool waitForWorkers(int timeoutMs);
    // Runs the event loop until the current worker has ended and been handled and every
    // retired one has been destroyed.
    bool waitForIdle(int timeoutMs);

signals:
    // Rows to append, in the order found; valid during the emission only.
    void rowsFound(std::span<nuvero::ResultRow> rows);
    // The folder being searched.
    void statusChanged(const std::string& folder);
    // The search ended: completed when every root was walked, false when stopped.
    void ended(bool completed);

private slots:
    void noticeHandOver();

private:
    struct Job;

    void end(bool completed);
    void retire();
    void reap();
    void postDrain(bool paced);
    void drain();

    const SearchCriteria& m_criteria;
    FolderLister* m_lister = nullptr;
    std::unique_ptr<Job> m_current; // the last started job until it is retired
    std::vector<std::unique_ptr<Job>> m_retired; // stopped, worker still ending
    QTimer* m_reapTimer; // runs while retired jobs are left
    bool m_running = false;
    std::uint64_t m_generation = 0; // counts starts and ends; a drain checks it after emitting

    RowFeed m_feed { MaxRowsPerDrain };
    QElapsedTimer m_lastDrain;
    QTimer* m_drainTimer;
    bool m_drainPosted = false;
};

} // namespace nuvero
