#pragma once

#include "search/FolderLister.h"
#include "search/RowSink.h"
#include "search/SearchCriteria.h"
#include "search/SearchJob.h"

#include <QThread>

#include <atomic>
#include <string>

namespace nuvero {

// The search job: walks every root of Roots, in the order written, on a worker thread of
// its own, and writes what it finds to the sink. It never touches a widget.
//
// SearchSession owns the object: it sets Roots and Mask, calls start(), and sets
// StopRequested to stop it, without waiting for the worker. When every root is walked, the
// job calls sink.finish(true); a stopped job ends at its next poll and only calls
// sink.finish(false). An error inside the worker ends it the same silent way. One object
// serves one search (StopRequested is never cleared).
class SearchThread : public QThread {
    Q_OBJECT

public:
    // criteria and sink must outlive the job (the destructor waits for the worker).
    SearchThread(const SearchCriteria& criteria, RowSink& sink, QObject* parent = nullptr);
    ~SearchThread() override;

    // Copied when the worker starts; set them before start().
    std::string Roots;
    std::string Mask;
    // Set by any thread; polled by the worker. Harmless once the worker has ended.
    std::atomic<bool> StopRequested { false };

    // The worker's body: splits Roots at ";" and walks each root. run() calls it; tests may
    // call it on their own thread. Errors propagate from here (run() catches them).
    void Execute();

    // Supplies the folder listings (default: read by SearchJob::DefaultThreads read-ahead
    // threads of its own, or many readers on a network drive). Set before start().
    void setFolderLister(FolderLister* lister) { m_lister = lister; }
    // Threads that read folders on a local disk; 1 reads them all on the worker.
    void setThreads(int threads) { m_threads = threads; }

protected:
    void run() override;

private:
    const SearchCriteria& m_criteria;
    RowSink& m_sink;
    FolderLister* m_lister = nullptr;
    int m_threads = SearchJob::DefaultThreads;
};

} // namespace nuvero
