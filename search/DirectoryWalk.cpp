#include "search/DirectoryWalk.h"

#include "platform/Wildcard.h"
#include "search/RowBuilder.h"

#include <utility>

namespace nuvero {

DirectoryWalk::DirectoryWalk(const SearchCriteria& criteria, RowSink& sink, const std::atomic<bool>& stopRequested,
    std::string mask, FolderLister* lister)
    : m_criteria(criteria)
    , m_sink(sink)
    , m_stopRequested(stopRequested)
    , m_mask(std::move(mask))
    , m_maskMatchesAll(m_mask == "*" || m_mask == "*.*")
    , m_lister(lister ? lister : &m_directLister)
{
}

DirectoryWalk::~DirectoryWalk()
{
    dropQueue();
}

bool DirectoryWalk::PathAllowed(std::string_view path)
{
    return m_rules.PathAllowed(path, m_criteria.exclusions());
}

void DirectoryWalk::enqueue(std::string path)
{
    // An excluded folder never reaches the queue, so the lister never hears of it and no
    // read-ahead thread opens it.
    if (!PathAllowed(path))
        return;
    m_queue.push_back(makeSharedText(std::move(path)));
    m_lister->queued(m_queue.back());
}

void DirectoryWalk::dropQueue()
{
    if (!m_queue.empty())
        m_lister->clear();
    m_queue.clear();
}

bool DirectoryWalk::SearchRoot(std::string_view root)
{
    dropQueue();
    enqueue(WalkRules::rootFolder(root));
    while (!m_queue.empty()) {
        if (stopRequested()) {
            dropQueue();
            return false;
        }
        const SharedText dir = std::move(m_queue.front());
        m_queue.pop_front();
        if (!ScanFolder(dir)) {
            dropQueue();
            return false;
        }
    }
    return true;
}

bool DirectoryWalk::ScanFolder(const SharedText& dir)
{
    // The exclusion list may have changed since the folder was queued. A folder that cannot
    // be entered and an excluded folder are both skipped silently with everything below them.
    if (!PathAllowed(*dir)) {
        m_lister->skip(dir);
        return true;
    }
    m_sink.enterFolder(dir);
    if (!m_lister->list(dir, m_entries))
        return true;
    ++m_stats.foldersEntered;
    m_stats.entriesRead += m_entries.size();

    if (!SearchFolder(dir))
        return false;
    return queueSubfolders(dir);
}

bool DirectoryWalk::SearchFolder(const SharedText& dir)
{
    m_sink.setStatus(dir);
    for (const platform::DirEntry& entry : m_entries) {
        // The mask takes the place of a listing by pattern: entries it does not match are
        // not part of this pass at all.
        if (!m_maskMatchesAll && !platform::wildcardMatch(m_mask, entry.name))
            continue;
        if (WalkRules::mayBeRow(entry))
            considerEntry(dir, entry);
        if (stopRequested())
            return false;
    }
    return true;
}

bool DirectoryWalk::queueSubfolders(const SharedText& dir)
{
    // Subfolders are queued whether or not they matched the mask or any criterion.
    for (const platform::DirEntry& entry : m_entries) {
        if (stopRequested())
            return false;
        if (WalkRules::isWalkedFolder(entry))
            enqueue(WalkRules::joinPath(*dir, entry.name));
    }
    return true;
}

void DirectoryWalk::considerEntry(const SharedText& dir, const platform::DirEntry& entry)
{
    const bool afterDate = m_criteria.afterDate();
    platform::FileTime fileTime = entry.creationTime;
    if (afterDate) {
        const int kind = m_criteria.timeKind();
        if (kind == static_cast<int>(TimeKind::Changing))
            fileTime = entry.lastWriteTime;
        else if (kind == static_cast<int>(TimeKind::Access))
            fileTime = entry.lastAccessTime;
    }
    const DateTime moment = m_timeConverter.toDateTime(fileTime);
    if (afterDate && !(moment > m_criteria.threshold()))
        return;
    if (m_criteria.rusNames() && !WalkRules::HasRusLetters(entry.name))
        return;
    m_sink.addRow(makeRow(dir, entry, moment, m_criteria.sizeUnit()));
    ++m_stats.rows;
}

} // namespace nuvero
