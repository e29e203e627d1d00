#pragma once

#include "search/DirectoryWalk.h"
#include "search/FolderLister.h"
#include "search/ParallelFolderLister.h"
#include "search/ReadAheadFolderLister.h"
#include "search/RowSink.h"
#include "search/SearchCriteria.h"

#include <atomic>
#include <string>

namespace nuvero {

// The body of a search, free of any thread class: splits the roots text at ";" and walks
// each root in the order written. SearchThread runs it on its worker; nuvero-walk and the
// tests run it on their own thread.
class SearchJob {
public:
    // Threads that read folders on a local disk: 1 reads every folder on the caller's thread;
    // more start that many read-ahead threads for the run (ReadAheadFolderLister), and the
    // caller then only takes their listings in order. Two keep both cores of a small
    // machine busy.
    static constexpr int DefaultThreads = 2;
    // Readers for a root on a network drive or a FUSE file system (platform::isRemoteFolder),
    // where every request is a round trip: they keep that many requests in flight
    // (ParallelFolderLister).
    static constexpr int DefaultRemoteReaders = 64;

    // criteria, sink, stopRequested and lister must outlive the job. A lister given here
    // supplies the listings and the thread count is not used.
    SearchJob(const SearchCriteria& criteria, RowSink& sink, const std::atomic<bool>& stopRequested,
        FolderLister* lister = nullptr);

    void setThreads(int threads) { m_threads = threads < 1 ? 1 : threads; }
    int threads() const { return m_threads; }
    // Readers for remote roots; 0 walks them as local ones.
    void setRemoteReaders(int readers) { m_remoteReaders = readers < 0 ? 0 : readers; }
    int remoteReaders() const { return m_remoteReaders; }
    // Walks every root as a remote one (with remote readers), e.g. to compare on a local disk.
    void setAllRemote(bool on) { m_allRemote = on; }

    // Walks every root of `roots` with `mask`. When all are walked, calls sink.finish(true)
    // and returns true; when the stop request ends the walk, calls sink.finish(false) and
    // returns false, with no other effect after the poll that saw it. Errors propagate.
    // Read-ahead threads of the run have ended before sink.finish() is called.
    bool run(const std::string& roots, const std::string& mask);

    // Figures of the last run; those of a lister it did not use stay zero.
    const DirectoryWalk::Stats& stats() const { return m_stats; }
    const ReadAheadFolderLister::Stats& readAheadStats() const { return m_readAheadStats; }
    const ParallelFolderLister::Stats& parallelStats() const { return m_parallelStats; }

private:
    struct Listers;
    bool walkRoots(const std::string& roots, const std::string& mask, Listers& listers);

    const SearchCriteria& m_criteria;
    RowSink& m_sink;
    const std::atomic<bool>& m_stopRequested;
    FolderLister* m_lister;
    int m_threads = DefaultThreads;
    int m_remoteReaders = DefaultRemoteReaders;
    bool m_allRemote = false;
    DirectoryWalk::Stats m_stats;
    ReadAheadFolderLister::Stats m_readAheadStats;
    ParallelFolderLister::Stats m_parallelStats;
};

} // namespace nuvero
