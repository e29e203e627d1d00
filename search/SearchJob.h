#pragma once

#include "search/DirectoryWalk.h"
#include "search/FolderLister.h"
#include "search/RowSink.h"
#include "search/SearchCriteria.h"

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

namespace nuvero {

// The body of a search, free of any thread class: splits the roots text at ";" and walks
// each root in the order written. SearchThread runs it on its worker; nuvero-walk and the
// tests run it on their own thread.
class SearchJob {
public:
    // criteria, sink, stopRequested and lister must outlive the job.
    SearchJob(const SearchCriteria& criteria, RowSink& sink, const std::atomic<bool>& stopRequested,
        FolderLister* lister = nullptr);

    // Walks every root of `roots` with `mask`. When all are walked, calls sink.finish(true)
    // and returns true; when the stop request ends the walk, calls sink.finish(false) and
    // returns false, with no other effect after the poll that saw it. Errors propagate.
    bool run(const std::string& roots, const std::string& mask);

    // The roots of a roots text, in the order written: the text with ";" appended, cut
    // at every ";". Nothing is trimmed; an empty piece (";;", or the ";" that ends the
    // drive list) is a root too, one that yields nothing. "" gives one empty root.
    static std::vector<std::string> splitRoots(std::string_view roots);

    // Figures of the last run.
    const DirectoryWalk::Stats& stats() const { return m_stats; }

private:
    const SearchCriteria& m_criteria;
    RowSink& m_sink;
    const std::atomic<bool>& m_stopRequested;
    FolderLister* m_lister;
    DirectoryWalk::Stats m_stats;
};

} // namespace nuvero
