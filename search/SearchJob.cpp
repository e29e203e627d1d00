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

std::vector<std::string> SearchJob::splitRoots(std::string_view roots)
{
    // Every ";" closes a root, and the end of the text closes the last one (as if a ";"
    // were appended). One byte at a time is enough: the byte of ";" never occurs inside
    // another character's UTF-8 bytes.
    std::vector<std::string> pieces;
    std::string root;
    for (const char c : roots) {
        if (c != ';') {
            root.push_back(c);
            continue;
        }
        pieces.push_back(std::move(root));
        root.clear();
    }
    pieces.push_back(std::move(root));
    return pieces;
}

bool SearchJob::run(const std::string& roots, const std::string& mask)
{
    m_stats = {};
    DirectoryWalk walk(m_criteria, m_sink, m_stopRequested, mask, m_lister);
    for (const std::string& root : splitRoots(roots)) {
        const bool walked = walk.SearchRoot(root);
        m_stats = walk.stats();
        if (!walked) {
            m_sink.finish(false);
            return false;
        }
    }
    m_sink.finish(true);
    return true;
}

} // namespace nuvero
