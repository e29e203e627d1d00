#include "search/SearchThread.h"

namespace nuvero {

SearchThread::SearchThread(const SearchCriteria& criteria, RowSink& sink, QObject* parent)
    : QThread(parent)
    , m_criteria(criteria)
    , m_sink(sink)
{
}

SearchThread::~SearchThread()
{
    // Destroying a running QThread aborts the program; a job dropped while it runs is
    // stopped and waited for instead.
    StopRequested.store(true);
    wait();
}

void SearchThread::Execute()
{
    // Roots and Mask are copied by the job before anything is walked.
    // The job's last step is sink.finish(), under the queue's lock: nothing of this object
    // is written after it, so the window may destroy the object once it has taken the end.
    SearchJob job(m_criteria, m_sink, StopRequested, m_lister);
    job.setThreads(m_threads);
    job.run(Roots, Mask);
}

void SearchThread::run()
{
    try {
        Execute();
    } catch (...) {
        // An error on the worker ends it without a message and without "Finished"; rows
        // found until then are still delivered.
        try {
            m_sink.finish(false);
        } catch (...) {
        }
    }
}

} // namespace nuvero
