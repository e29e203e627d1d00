#pragma once

#include "platform/DirEntry.h"
#include "search/FolderLister.h"
#include "search/ResultRow.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace nuvero {

// Reads the walk's queued folders ahead on threads of its own, so that listing and statx of
// the next folders overlap with the walk's work on the current one.
//
// The walk stays the only judge of what becomes a row: it still takes the listings one by
// one in queue order and applies every live criterion entry by entry. Only the reading moves.
//
// Threads: queued(), list(), skip() and clear() are called by the search worker (one caller
// at a time); the read-ahead threads belong to this object and end in its destructor.
// Everything they share with the worker is guarded by m_mutex; a listing changes hands under
// it, whole.
//
// Whoever comes first reads a folder: a read-ahead thread picks the first queued folder no
// one has started, within a window of `Limits::folders` folders from the head and while the
// listings waiting to be taken hold fewer than `Limits::entries` entries, so memory stays
// small however wide the tree. When the walk asks for a folder no one has started, it reads
// the folder itself; when a read-ahead thread is still reading it, the worker waits for it
// and reads no other folder meanwhile, so that while one folder hangs, every folder before
// it has been handed over and shown. Excluded folders are never queued, so
// never read here; a folder skipped because it was excluded after it was queued is never
// waited for, and a listing finished after its folder was skipped or dropped is thrown away.
// A stop request (checked before every folder) or a dropped queue ends the read-ahead at the
// end of the folder in hand.
class ReadAheadFolderLister : public FolderLister {
public:
    struct Limits {
        std::size_t folders = 256; // folders read or being read ahead of the head, at most
        std::size_t entries = 32768; // entries in listings waiting to be taken, at most
    };

    struct Stats {
        std::uint64_t readAhead = 0; // folders read by the read-ahead threads
        std::uint64_t readByWorker = 0; // folders the worker read itself
        std::uint64_t discarded = 0; // listings read for folders that were skipped or dropped
        std::uint64_t waits = 0; // times the worker waited for a listing in progress
    };

    // stopRequested (optional) must outlive the object; readers is clamped to at least 1.
    explicit ReadAheadFolderLister(const std::atomic<bool>* stopRequested = nullptr, int readers = 1);
    ReadAheadFolderLister(const std::atomic<bool>* stopRequested, int readers, Limits limits);
    ~ReadAheadFolderLister() override;
    ReadAheadFolderLister(const ReadAheadFolderLister&) = delete;
    ReadAheadFolderLister& operator=(const ReadAheadFolderLister&) = delete;

    void queued(const SharedText& path) override;
    bool list(const SharedText& path, std::vector<platform::DirEntry>& out) override;
    void skip(const SharedText& path) override;
    void clear() override;

    Stats stats() const;

    // For tests and benchmarks: waits until no read-ahead thread is reading and none may
    // start another folder. False when that did not happen within the timeout.
    bool waitIdle(std::chrono::milliseconds timeout);

private:
    enum class State : std::uint8_t { Waiting, Reading, Ready, Failed };

    struct Slot {
        SharedText path;
        State state = State::Waiting;
        bool opened = false; // Ready: the folder could be entered
        std::vector<platform::DirEntry> entries;
    };

    void readerLoop();
    // Under the lock: whether the folder m_nextUnread may be started now. Not when nothing
    // queued is waiting, the window is full, the listings waiting to be taken are at their
    // limit, or the read-ahead is to end.
    bool mayStartNext() const;
    // Reads the folder m_nextUnread on a read-ahead thread (lock held on entry and on
    // return, released while reading) and stores the listing in its slot if that is still
    // queued.
    void readNextAhead(std::unique_lock<std::mutex>& lock);
    bool isHead(const SharedText& path) const;
    void popHead();
    std::vector<platform::DirEntry> spareVector();
    void recycle(std::vector<platform::DirEntry>&& entries);
    bool stopRequested() const { return m_stopRequested && m_stopRequested->load(std::memory_order_relaxed); }

    const std::atomic<bool>* const m_stopRequested;
    const Limits m_limits;

    mutable std::mutex m_mutex;
    std::condition_variable m_workAvailable; // read-ahead threads wait here
    std::condition_variable m_listingDone; // the worker (and waitIdle) wait here

    // Under m_mutex. Slots are numbered in queue order; m_slots[0] has number m_headSeq.
    // Every slot numbered below m_nextUnread has been started by someone.
    std::deque<Slot> m_slots;
    std::uint64_t m_headSeq = 0;
    std::uint64_t m_nextUnread = 0;
    std::size_t m_bufferedEntries = 0;
    int m_readersBusy = 0;
    bool m_ending = false;
    std::vector<std::vector<platform::DirEntry>> m_spare;
    Stats m_stats;

    std::vector<std::thread> m_readers;
};

} // namespace nuvero
