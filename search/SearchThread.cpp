#include "search/SearchThread.h"

#include <exception>

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
    m_stats = {};
    // Copies, so that the walk never reads a field the window might write.
    const std::string roots = Roots + ";";
    DirectoryWalk walk(m_criteria, m_sink, StopRequested, Mask, m_lister);

    // Split one character at a time; nothing is trimmed, and an empty piece (";;", or the
    // ";" that ends the roots text) is walked too and yields nothing.
    std::string root;
    for (char c : roots) {
        if (c != ';') {
            root.push_back(c);
            continue;
        }
        const bool walked = walk.SearchRoot(root);
        m_stats = walk.stats();
        if (!walked) {
            m_sink.finish(false);
            return;
        }
        root.clear();
    }
    m_sink.finish(true);
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
