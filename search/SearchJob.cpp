#include "search/SearchJob.h"

#include "search/WalkRules.h"

#include <optional>

namespace nuvero {

SearchJob::SearchJob(
    const SearchCriteria& criteria, RowSink& sink, const std::atomic<bool>& stopRequested, FolderLister* lister)
    : m_criteria(criteria)
    , m_sink(sink)
    , m_stopRequested(stopRequested)
    , m_lister(lister)
{
}

bool SearchJob::run(const std::string& roots, const std::string& mask)
{
    m_stats = {};
    m_readAheadStats = {};
    bool completed = false;
    {
        // The read-ahead threads live for this run only and are joined at the end of this
        // scope, so that nothing of the run is still working when the sink hears the end.
        std::optional<ReadAheadFolderLister> readAhead;
        FolderLister* lister = m_lister;
        if (!lister && m_threads > 1)
            lister = &readAhead.emplace(&m_stopRequested, m_threads - 1);
        completed = walkRoots(roots, mask, lister);
        if (readAhead)
            m_readAheadStats = readAhead->stats();
    }
    m_sink.finish(completed);
    return completed;
}

bool SearchJob::walkRoots(const std::string& roots, const std::string& mask, FolderLister* lister)
{
    // Roots are walked in the order written; nothing is trimmed, and an empty piece (";;",
    // or the ";" that ends the drive list) is walked too and yields nothing.
    DirectoryWalk walk(m_criteria, m_sink, m_stopRequested, mask, lister);
    for (const std::string& root : WalkRules::splitRoots(roots)) {
        const bool walked = walk.SearchRoot(root);
        m_stats = walk.stats();
        if (!walked)
            return false;
    }
    return true;
}

} // namespace nuvero
