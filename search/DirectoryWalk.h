#pragma once

#include "platform/DirEntry.h"
#include "platform/Platform.h"
#include "search/DirectFolderLister.h"
#include "search/FolderLister.h"
#include "search/ResultRow.h"
#include "search/RowSink.h"
#include "search/SearchCriteria.h"
#include "search/WalkRules.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace nuvero {

// The breadth-first walk of one search job. Runs on the search worker only.
//
// For each root: the root folder, then its subfolders in listing order, then theirs grouped
// by parent, and so on (a first-in first-out queue without a size limit). Each folder is
// entered (opened, never made the working directory) and read once; the mask pass turns
// matching entries into rows, the subfolder pass queues the folders below it. What counts
// (exclusions, which entries are rows or walked into, "Rus names", paths) is WalkRules'.
//
// The exclusions are tested before a folder is queued, so that an excluded folder is never
// handed to the lister and no read-ahead opens it (an excluded slow or hung mount is not
// touched at all), and again when the folder's turn comes, against the list as it stands
// then. Each test reads the list's current immutable snapshot.
//
// Criteria are read live from SearchCriteria: "After date:", the time kind, the threshold
// and "Rus names" for every entry, the size unit for every hit. The stop request is polled
// before each queued folder, before each entry of the subfolder pass and after each entry
// of the mask pass; a walk that sees it returns false at once and adds nothing more.
class DirectoryWalk {
public:
    struct Stats {
        std::uint64_t foldersEntered = 0; // folders opened and read (not excluded)
        std::uint64_t entriesRead = 0; // entries their listings held
        std::uint64_t rows = 0; // rows added
    };

    // The mask is copied; `lister` (optional) supplies the listings, by default read
    // directly on the worker. criteria, sink, stopRequested and lister must outlive the walk.
    DirectoryWalk(const SearchCriteria& criteria, RowSink& sink, const std::atomic<bool>& stopRequested,
        std::string mask, FolderLister* lister = nullptr);
    ~DirectoryWalk();
    DirectoryWalk(const DirectoryWalk&) = delete;
    DirectoryWalk& operator=(const DirectoryWalk&) = delete;

    // Walks one root as typed ("c:", "c:\data", "c:\temp\", even ""). Returns false when the
    // stop request ended it: the caller must end the worker without any further effect.
    bool SearchRoot(std::string_view root);

    // The lister of the roots walked from now on (null: read directly on the worker).
    void setLister(FolderLister* lister) { m_lister = lister ? lister : &m_directLister; }

    // Exclusion test of a folder path against the exclusion list as it stands now.
    bool PathAllowed(std::string_view path);

    const Stats& stats() const { return m_stats; }

private:
    void enqueue(std::string path);
    bool queueSubfolders(const SharedText& dir);
    void dropQueue();
    bool ScanFolder(const SharedText& dir);
    bool SearchFolder(const SharedText& dir);
    void considerEntry(const SharedText& dir, const platform::DirEntry& entry);
    bool stopRequested() const { return m_stopRequested.load(std::memory_order_relaxed); }

    const SearchCriteria& m_criteria;
    RowSink& m_sink;
    const std::atomic<bool>& m_stopRequested;
    const std::string m_mask;
    const bool m_maskMatchesAll;
    const platform::LocalTimeConverter m_timeConverter;

    DirectFolderLister m_directLister;
    FolderLister* m_lister;

    std::deque<SharedText> m_queue;
    std::vector<platform::DirEntry> m_entries; // the listing of the folder being scanned

    WalkRules m_rules; // keeps the folded items of the last exclusion snapshot

    Stats m_stats;
};

} // namespace nuvero
