#include "search/ReadAheadFolderLister.h"

#include "search/DirectFolderLister.h"

#include <system_error>
#include <utility>

namespace nuvero {

namespace {

// Listing vectors are handed back for reuse, so that a walk of many small folders does not
// grow a new vector for each. A few are enough; a huge one is given back to the system.
constexpr std::size_t MaxSpareVectors = 8;
constexpr std::size_t MaxSpareCapacity = 4096;

} // namespace

ReadAheadFolderLister::ReadAheadFolderLister(const std::atomic<bool>* stopRequested, int readers)
    : ReadAheadFolderLister(stopRequested, readers, Limits {})
{
}

ReadAheadFolderLister::ReadAheadFolderLister(const std::atomic<bool>* stopRequested, int readers, Limits limits)
    : m_stopRequested(stopRequested)
    , m_limits { limits.folders == 0 ? 1 : limits.folders, limits.entries == 0 ? 1 : limits.entries }
{
    const int count = readers < 1 ? 1 : readers;
    m_readers.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        try {
            m_readers.emplace_back([this] { readerLoop(); });
        } catch (const std::system_error&) {
            // No thread to be had: the worker reads what the others do not.
            break;
        }
    }
}

ReadAheadFolderLister::~ReadAheadFolderLister()
{
    {
        std::lock_guard lock(m_mutex);
        m_ending = true;
    }
    m_workAvailable.notify_all();
    for (std::thread& reader : m_readers)
        reader.join();
}

void ReadAheadFolderLister::queued(const SharedText& path)
{
    {
        std::lock_guard lock(m_mutex);
        m_slots.push_back(Slot { path, State::Waiting, false, {} });
    }
    m_workAvailable.notify_one();
}

bool ReadAheadFolderLister::list(const SharedText& path, std::vector<platform::DirEntry>& out)
{
    out.clear();
    std::unique_lock lock(m_mutex);
    if (!isHead(path)) {
        // Not announced (or out of order): read it here and leave the queue as it is.
        ++m_stats.readByWorker;
        lock.unlock();
        return DirectFolderLister::read(*path, out);
    }
    for (;;) {
        Slot& head = m_slots.front();
        if (m_nextUnread == m_headSeq || head.state == State::Failed) {
            // No one has started it (or a read-ahead thread could not read it): read it
            // here, so that an error is the worker's own.
            if (m_nextUnread == m_headSeq)
                ++m_nextUnread;
            popHead();
            ++m_stats.readByWorker;
            lock.unlock();
            return DirectFolderLister::read(*path, out);
        }
        if (head.state == State::Ready) {
            out.swap(head.entries);
            const bool opened = head.opened;
            m_bufferedEntries -= out.size();
            recycle(std::move(head.entries));
            popHead();
            return opened;
        }
        // A read-ahead thread is reading it: wait for it. The worker never reads a later
        // folder meanwhile: should that one hang, this folder's rows, though read, would
        // never be shown, and the status would name a folder that is not the one hanging.
        ++m_stats.waits;
        m_listingDone.wait(lock);
    }
}

void ReadAheadFolderLister::skip(const SharedText& path)
{
    std::lock_guard lock(m_mutex);
    if (!isHead(path))
        return;
    Slot& head = m_slots.front();
    if (m_nextUnread == m_headSeq) {
        ++m_nextUnread;
    } else if (head.state == State::Ready) {
        m_bufferedEntries -= head.entries.size();
        ++m_stats.discarded;
        recycle(std::move(head.entries));
    }
    // Still being read: the reader finds its slot gone and throws the listing away.
    popHead();
}

void ReadAheadFolderLister::clear()
{
    std::lock_guard lock(m_mutex);
    for (Slot& slot : m_slots) {
        if (slot.state == State::Ready) {
            ++m_stats.discarded;
            recycle(std::move(slot.entries));
        }
    }
    m_headSeq += m_slots.size();
    m_slots.clear();
    m_nextUnread = m_headSeq;
    m_bufferedEntries = 0;
}

ReadAheadFolderLister::Stats ReadAheadFolderLister::stats() const
{
    std::lock_guard lock(m_mutex);
    return m_stats;
}

bool ReadAheadFolderLister::waitIdle(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    return m_listingDone.wait_for(
        lock, timeout, [this] { return m_readersBusy == 0 && (m_readers.empty() || !mayStartNext()); });
}

void ReadAheadFolderLister::readerLoop()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_workAvailable.wait(lock, [this] { return m_ending || mayStartNext(); });
        if (m_ending)
            return;
        readNextAhead(lock);
    }
}

bool ReadAheadFolderLister::mayStartNext() const
{
    const std::uint64_t ahead = m_nextUnread - m_headSeq;
    return !m_ending && ahead < m_slots.size() && ahead < m_limits.folders && m_bufferedEntries < m_limits.entries
        && !stopRequested();
}

void ReadAheadFolderLister::readNextAhead(std::unique_lock<std::mutex>& lock)
{
    const std::uint64_t seq = m_nextUnread++;
    Slot& slot = m_slots[static_cast<std::size_t>(seq - m_headSeq)];
    slot.state = State::Reading;
    const SharedText path = slot.path;
    std::vector<platform::DirEntry> entries = spareVector();
    ++m_readersBusy;
    lock.unlock();

    bool opened = false;
    bool failed = false;
    try {
        opened = DirectFolderLister::read(*path, entries);
    } catch (...) {
        // Out of memory, say: the worker reads the folder again when it comes to it, so that
        // the error, if it happens again, is the worker's own.
        failed = true;
    }

    lock.lock();
    --m_readersBusy;
    ++m_stats.readAhead;
    // Slots are only ever removed from the head, and a dropped queue moves the head past
    // every number given out so far: a slot still queued has a number at or past the head.
    if (seq >= m_headSeq) {
        Slot& target = m_slots[static_cast<std::size_t>(seq - m_headSeq)];
        if (failed) {
            target.state = State::Failed;
            recycle(std::move(entries));
        } else {
            target.entries = std::move(entries);
            target.opened = opened;
            target.state = State::Ready;
            m_bufferedEntries += target.entries.size();
        }
    } else {
        ++m_stats.discarded;
        recycle(std::move(entries));
    }
    m_listingDone.notify_all();
}

bool ReadAheadFolderLister::isHead(const SharedText& path) const
{
    if (m_slots.empty())
        return false;
    const SharedText& head = m_slots.front().path;
    return head == path || (head && path && *head == *path);
}

void ReadAheadFolderLister::popHead()
{
    m_slots.pop_front();
    ++m_headSeq;
    // The window moved on by one folder.
    m_workAvailable.notify_one();
}

std::vector<platform::DirEntry> ReadAheadFolderLister::spareVector()
{
    if (m_spare.empty())
        return {};
    std::vector<platform::DirEntry> v = std::move(m_spare.back());
    m_spare.pop_back();
    return v;
}

void ReadAheadFolderLister::recycle(std::vector<platform::DirEntry>&& entries)
{
    if (entries.capacity() == 0 || entries.capacity() > MaxSpareCapacity || m_spare.size() >= MaxSpareVectors) {
        std::vector<platform::DirEntry>().swap(entries);
        return;
    }
    entries.clear();
    m_spare.push_back(std::move(entries));
}

} // namespace nuvero
