#include "search/SearchJob.h"

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
    DirectoryWalk walk(m_criteria, m_sink, m_stopRequested, mask, m_lister);

    // The ";" appended closes the last root like the others. Split one character at a
    // time; nothing is trimmed, and an empty piece (";;", or the ";" that ends the roots
    // text) is walked too and yields nothing.
    const std::string text = roots + ";";
    std::string root;
    for (char c : text) {
        if (c != ';') {
            root.push_back(c);
            continue;
        }
        const bool walked = walk.SearchRoot(root);
        m_stats = walk.stats();
        if (!walked) {
            m_sink.finish(false);
            return false;
        }
        root.clear();
    }
    m_sink.finish(true);
    return true;
}

} // namespace nuvero
