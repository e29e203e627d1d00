#pragma once

#include "platform/DirEntry.h"
#include "search/FolderLister.h"
#include "search/ResultRow.h"
#include "search/SearchCriteria.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace nuvero {

// Reads the walk's folders with many requests in flight, for drives where every request is
// a round trip (network drives, FUSE): a folder's listing, its entries' details and its
// subfolders are all read by a pool of reader threads, and the walk takes the listings one
// by one in its own breadth-first order, exactly as from DirectFolderLister.
//
// How the readers stay ahead of the walk: when a folder's listing is complete, the readers
// work out its subfolders themselves (the walk's own rules: WalkRules::isWalkedFolder, the
// exclusions as they stand, so an excluded folder is never opened) and read them without
// waiting for the walk to queue them. Each folder's place in the walk's order is known from
// its index path (depth, then the listing positions from the root); a free reader takes
// the earliest folder that is waiting, or the earliest part of a listing whose details are
// still to be read (a large folder's details are spread over the readers in parts), so the
// folder the walk needs next is always served first. Subfolders are opened from their
// parent's open descriptor, not by their path. The walk stays the judge: a folder it
// queues that no reader foresaw is read as well, and foreseen ones it does not queue are
// thrown away with everything read below them.
//
// Memory stays bounded: readers foresee at most `Limits::folders` folders (and of the
// walk's own queue only as many are prepared for reading), and start a folder other than
// the walk's next only while the listings waiting to be taken hold fewer than
// `Limits::entries` entries.
//
// Threads: queued(), list(), skip() and clear() are called by the search worker (one caller
// at a time); the readers belong to the object. Everything they share lives in a core
// object under one mutex that the readers hold a reference to. list() never reads a folder
// on the worker and never waits for any folder but the one asked for, so while one folder
// hangs, every folder before it has been handed over. A stop request makes list() return
// within StopPoll and the readers start nothing more; the destructor does not wait for a
// request in flight (a hung folder): a reader still in one ends on its own once it returns.
class ParallelFolderLister : public FolderLister {
public:
    struct Limits {
        std::size_t folders = 4096; // folders foreseen and not yet taken by the walk, at most
        std::size_t entries = 65536; // entries in listings waiting to be taken, at most
        std::size_t keptOpen = 256; // folders kept open for their subfolders' opening, at most
    };

    struct Stats {
        std::uint64_t folders = 0; // folders opened and listed by the readers
        std::uint64_t detailParts = 0; // parts of listings whose details a reader read
        std::uint64_t foreseen = 0; // folders queued by the readers before the walk
        std::uint64_t discarded = 0; // folders read or queued that the walk did not take
        std::uint64_t waits = 0; // times the walk waited for its next listing
    };

    // Entries whose details one reader reads in one go.
    static constexpr std::size_t DetailPart = 8;
    // How often list() looks at the stop request while it waits.
    static constexpr std::chrono::milliseconds StopPoll { 20 };

    struct Options {
        const SearchCriteria* criteria = nullptr; // the exclusions; none: nothing excluded
        const std::atomic<bool>* stopRequested = nullptr;
        int readers = 64; // clamped to at least 1
        Limits limits = {};
        // For tests: called on a reader with a folder's path when its listing is complete,
        // before anyone else can see it; may block to make readers finish in another order.
        std::function<void(const std::string& path)> listed = {};
    };

    explicit ParallelFolderLister(Options options);
    ~ParallelFolderLister() override;
    ParallelFolderLister(const ParallelFolderLister&) = delete;
    ParallelFolderLister& operator=(const ParallelFolderLister&) = delete;

    void queued(const SharedText& path) override;
    bool list(const SharedText& path, std::vector<platform::DirEntry>& out) override;
    void skip(const SharedText& path) override;
    void clear() override;

    Stats stats() const;

private:
    class Core;
    std::shared_ptr<Core> m_core;
    std::vector<std::thread> m_readers;
};

} // namespace nuvero
