#include "search/SearchJob.h"

#include "platform/Platform.h"
#include "search/WalkRules.h"

#include <optional>

namespace nuvero {

// The listers of one run, made when a root first needs them.
struct SearchJob::Listers {
    std::optional<ReadAheadFolderLister> readAhead;
    std::optional<ParallelFolderLister> parallel;
};

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
    m_parallelStats = {};
    bool completed = false;
    {
        // The reader threads live for this run only and end at the end of this scope (but
        // for one still in a request that hangs, which touches nothing of the run), so
        // that nothing of the run is still working when the sink hears the end.
        Listers listers;
        completed = walkRoots(roots, mask, listers);
        if (listers.readAhead)
            m_readAheadStats = listers.readAhead->stats();
        if (listers.parallel)
            m_parallelStats = listers.parallel->stats();
    }
    m_sink.finish(completed);
    return completed;
}

bool SearchJob::walkRoots(const std::string& roots, const std::string& mask, Listers& listers)
{
    // Roots are walked in the order written; nothing is trimmed, and an empty piece (";;",
    // or the ";" that ends the drive list) is walked too and yields nothing.
    DirectoryWalk walk(m_criteria, m_sink, m_stopRequested, mask, m_lister);
    for (const std::string& root : WalkRules::splitRoots(roots)) {
        if (!m_lister && m_threads > 1) {
            // Each root is read the way its file system pays best: on a local disk two
            // threads keep the processor busy, over a network many requests in flight.
            const bool remote
                = m_remoteReaders > 0 && (m_allRemote || platform::isRemoteFolder(WalkRules::rootFolder(root)));
            if (remote && !listers.parallel)
                listers.parallel.emplace(
                    ParallelFolderLister::Options { &m_criteria, &m_stopRequested, m_remoteReaders });
            if (!remote && !listers.readAhead)
                listers.readAhead.emplace(&m_stopRequested, m_threads);
            walk.setLister(remote ? static_cast<FolderLister*>(&*listers.parallel) : &*listers.readAhead);
        }
        const bool walked = walk.SearchRoot(root);
        m_stats = walk.stats();
        if (!walked)
            return false;
    }
    return true;
}

} // namespace nuvero
