#include "search/DirectoryWalk.h"

#include "platform/Utf8.h"
#include "platform/Wildcard.h"
#include "search/RowBuilder.h"

#include <utility>

namespace nuvero {

namespace {

constexpr char foldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

constexpr bool isContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

constexpr bool isDotName(std::string_view name)
{
    return !name.empty() && name.front() == '.';
}

// Entries with any attribute flag of 256 or above (reparse points, compressed, encrypted,
// ...) never become rows.
constexpr bool hasOnlyLowFlags(std::uint32_t attributes)
{
    return (attributes & 0xFFu) == attributes;
}

} // namespace

DirectoryWalk::DirectoryWalk(const SearchCriteria& criteria, RowSink& sink, const std::atomic<bool>& stopRequested,
    std::string mask, FolderLister* lister)
    : m_criteria(criteria)
    , m_sink(sink)
    , m_stopRequested(stopRequested)
    , m_mask(std::move(mask))
    , m_maskMatchesAll(m_mask == "*" || m_mask == "*.*")
    , m_lister(lister ? *lister : m_directLister)
{
}

DirectoryWalk::~DirectoryWalk()
{
    dropQueue();
}

std::string DirectoryWalk::rootFolder(std::string_view root)
{
    std::string folder(root);
    if (!root.empty() && root.back() == ':' && utf8::countChars(root) == 2)
        folder.push_back('\\');
    return folder;
}

std::string DirectoryWalk::joinPath(std::string_view dir, std::string_view name)
{
    std::string path;
    path.reserve(dir.size() + 1 + name.size());
    path.append(dir);
    if (dir.empty() || dir.back() != '\\')
        path.push_back('\\');
    path.append(name);
    return path;
}

bool DirectoryWalk::HasRusLetters(std::string_view name)
{
    for (std::size_t pos = 0; pos < name.size();) {
        if (static_cast<unsigned char>(name[pos]) < 0x80) {
            ++pos;
            continue;
        }
        const utf8::Char c = utf8::decode(name, pos);
        if (c.valid && c.code >= 0x0410 && c.code <= 0x044F)
            return true;
        pos += c.length;
    }
    return false;
}

std::string DirectoryWalk::foldItem(std::string_view item)
{
    std::string folded(item);
    for (char& c : folded)
        c = foldAscii(c);
    return folded;
}

bool DirectoryWalk::matchesFolded(std::string_view path, std::string_view item)
{
    if (item.size() > path.size())
        return false;
    for (std::size_t i = 0; i < item.size(); ++i) {
        if (foldAscii(path[i]) != item[i])
            return false;
    }
    // The path is cut by characters: an item that ends inside what is one longer character
    // of the path (only possible with an item ending in a broken sequence) is no prefix.
    if (item.size() < path.size() && isContinuationByte(path[item.size()])) {
        std::size_t pos = 0;
        while (pos < item.size())
            pos += utf8::decode(path, pos).length;
        return pos == item.size();
    }
    return true;
}

bool DirectoryWalk::PathAllowed(std::string_view path, const SearchCriteria::Exclusions& items)
{
    bool allowed = true;
    for (const std::string& item : items) {
        if (matchesFolded(path, foldItem(item)))
            allowed = false;
    }
    return allowed;
}

void DirectoryWalk::refreshExclusions()
{
    std::shared_ptr<const SearchCriteria::Exclusions> current = m_criteria.exclusions();
    if (current == m_exclusions)
        return;
    m_exclusions = std::move(current);
    m_foldedExclusions.clear();
    if (m_exclusions) {
        for (const std::string& item : *m_exclusions)
            m_foldedExclusions.push_back(foldItem(item));
    }
}

bool DirectoryWalk::PathAllowed(std::string_view path)
{
    refreshExclusions();
    // Every item is tested, whatever the earlier ones gave.
    bool allowed = true;
    for (const std::string& item : m_foldedExclusions) {
        if (matchesFolded(path, item))
            allowed = false;
    }
    return allowed;
}

void DirectoryWalk::enqueue(std::string path)
{
    m_queue.push_back(makeSharedText(std::move(path)));
    m_lister.queued(m_queue.back());
}

void DirectoryWalk::dropQueue()
{
    if (!m_queue.empty())
        m_lister.clear();
    m_queue.clear();
}

bool DirectoryWalk::SearchRoot(std::string_view root)
{
    dropQueue();
    enqueue(rootFolder(root));
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
    // A folder that cannot be entered and an excluded folder are both skipped silently with
    // everything below them; testing the exclusions first spares opening excluded folders.
    if (!PathAllowed(*dir)) {
        m_lister.skip(dir);
        return true;
    }
    if (!m_lister.list(dir, m_entries))
        return true;
    ++m_stats.foldersEntered;
    m_stats.entriesRead += m_entries.size();

    if (!SearchFolder(dir))
        return false;

    // Subfolders are queued whether or not they matched the mask or any criterion. A
    // folder that is a link (a reparse point: a Windows junction or folder link) is never
    // entered, so a link that points above itself cannot make the walk endless.
    for (const platform::DirEntry& entry : m_entries) {
        if (stopRequested())
            return false;
        if (entry.isDirectory() && (entry.attributes & platform::Attr::ReparsePoint) == 0 && !isDotName(entry.name))
            enqueue(joinPath(*dir, entry.name));
    }
    return true;
}

bool DirectoryWalk::SearchFolder(const SharedText& dir)
{
    m_sink.setStatus(dir);
    for (const platform::DirEntry& entry : m_entries) {
        // The mask takes the place of a listing by pattern: entries it does not match are
        // not part of this pass at all.
        if (!m_maskMatchesAll && !platform::wildcardMatch(m_mask, entry.name))
            continue;
        if (hasOnlyLowFlags(entry.attributes) && !isDotName(entry.name))
            considerEntry(dir, entry);
        if (stopRequested())
            return false;
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
    if (m_criteria.rusNames() && !HasRusLetters(entry.name))
        return;
    m_sink.addRow(makeRow(dir, entry, moment, m_criteria.sizeUnit()));
    ++m_stats.rows;
}

} // namespace nuvero
