#include "search/ParallelFolderLister.h"

#include "platform/Folder.h"
#include "search/DirectFolderLister.h"
#include "search/WalkRules.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <set>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <utility>

namespace nuvero {

namespace {

// A folder kept open so that its subfolders are opened from it; counted, so that a wide
// tree cannot use up the process's descriptors.
struct KeptFolder {
    KeptFolder(platform::Folder opened, std::atomic<std::size_t>& count)
        : folder(std::move(opened))
        , m_count(count)
    {
        ++m_count;
    }
    ~KeptFolder() { --m_count; }
    KeptFolder(const KeptFolder&) = delete;
    KeptFolder& operator=(const KeptFolder&) = delete;

    platform::Folder folder;

private:
    std::atomic<std::size_t>& m_count;
};

enum class State : std::uint8_t { Waiting, Opening, Detailing, Ready };

struct Node {
    SharedText path;
    std::string name; // the entry's name in its parent's listing; empty when not foreseen
    std::vector<std::uint32_t> order; // listing positions from the root: the walk's order
    std::uint64_t serial = 0; // ties of order (folders no reader foresaw)
    std::uint64_t seq = 0; // its place in the walk's queue, once the walk queued it
    State state = State::Waiting;
    bool announced = false; // the walk queued it
    bool dropped = false; // no longer wanted; a reader still on it throws its work away
    std::size_t expandedUpTo = 0; // its entries before this one have been foreseen from
    bool opened = false; // Ready: the folder could be entered
    std::shared_ptr<KeptFolder> parent; // the parent, open, until this folder is opened
    std::shared_ptr<KeptFolder> folder; // open while its details are read
    std::vector<platform::DirEntry> entries;
    std::size_t parts = 0; // parts of the listing whose details are to be read
    std::size_t partsTaken = 0;
    std::size_t partsDone = 0;
    std::vector<std::shared_ptr<Node>> children; // foreseen, until the walk has queued them
};

using NodePtr = std::shared_ptr<Node>;

// The walk's order. Every folder the walk has queued comes before every folder it has not:
// those are below folders it has yet to list. Queued ones go by their place in the queue,
// the others by depth, then by the listing positions from the root.
struct Earlier {
    bool operator()(const NodePtr& a, const NodePtr& b) const { return (*this)(a.get(), b.get()); }
    bool operator()(const Node* a, const Node* b) const
    {
        if (a->announced != b->announced)
            return a->announced;
        if (a->announced)
            return a->seq < b->seq;
        if (a->order.size() != b->order.size())
            return a->order.size() < b->order.size();
        if (a->order != b->order)
            return a->order < b->order;
        return a->serial < b->serial;
    }
};

} // namespace

class ParallelFolderLister::Core {
public:
    explicit Core(Options options)
        : m_criteria(options.criteria)
        , m_stopRequested(options.stopRequested)
        , m_limits(options.limits)
        , m_listedHook(std::move(options.listed))
    {
    }

    // ---- reader threads ----

    void readerLoop()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_workAvailable.wait(lock, [this] { return m_ending || hasTask(); });
            if (m_ending)
                break;
            runTask(lock);
        }
        --m_alive;
        m_changed.notify_all();
    }

    // ---- the worker's calls ----

    void queued(const SharedText& path)
    {
        std::lock_guard lock(m_mutex);
        Announced entry { path, nullptr, ++m_announceSeq };
        if (const auto it = m_byPath.find(*path); it != m_byPath.end() && !it->second->announced) {
            // Foreseen: it moves ahead of every folder the walk has not queued.
            entry.node = it->second;
            reposition(entry.node, [&](Node& node) {
                node.announced = true;
                node.seq = entry.seq;
            });
        }
        m_announced.push_back(std::move(entry));
        promote();
    }

    bool list(const SharedText& path, std::vector<platform::DirEntry>& out)
    {
        out.clear();
        std::unique_lock lock(m_mutex);
        settleHanded();
        if (m_readers == 0 || !isHead(path)) {
            // No reader to be had, or not announced: read it here and leave the queue alone.
            lock.unlock();
            return DirectFolderLister::read(*path, out);
        }
        const NodePtr node = m_announced.front().node;
        if (node->state != State::Ready) {
            ++m_stats.waits;
            while (node->state != State::Ready) {
                if (stopRequested())
                    return false; // the walk sees the stop next and drops its queue
                m_changed.wait_for(lock, StopPoll);
            }
        }
        popHead();
        forget(*node);
        // Subfolders not foreseen yet are prepared as the walk queues them.
        m_unexpanded.erase(node);
        out.swap(node->entries);
        m_bufferedEntries -= out.size();
        m_handedChildren = std::move(node->children);
        m_handedOrder = std::move(node->order);
        expandDeferred();
        m_workAvailable.notify_one(); // the listings waiting to be taken may have made room
        return node->opened;
    }

    void skip(const SharedText& path)
    {
        std::lock_guard lock(m_mutex);
        settleHanded();
        if (!isHead(path))
            return;
        const NodePtr node = m_announced.front().node;
        popHead();
        drop(node);
        m_workAvailable.notify_all();
    }

    void clear()
    {
        std::lock_guard lock(m_mutex);
        dropAll();
        m_workAvailable.notify_all();
    }

    ParallelFolderLister::Stats stats() const
    {
        std::lock_guard lock(m_mutex);
        return m_stats;
    }

    // ---- the owner ----

    // Counts a reader before its thread starts; gone: the thread could not be started.
    void readerStarted(bool gone = false)
    {
        std::lock_guard lock(m_mutex);
        m_readers += gone ? -1 : 1;
        m_alive += gone ? -1 : 1;
    }

    // Ends the readers: idle ones leave at once and are waited for; one in a request is not.
    void end()
    {
        std::unique_lock lock(m_mutex);
        m_ending = true;
        m_stopRequested = nullptr; // may be gone before a reader in a hung request returns
        dropAll();
        m_workAvailable.notify_all();
        m_changed.wait(lock, [this] { return m_alive == m_busy; });
    }

private:
    bool stopRequested() const { return m_stopRequested && m_stopRequested->load(std::memory_order_relaxed); }

    bool isHead(const SharedText& path) const
    {
        if (m_announced.empty())
            return false;
        const SharedText& head = m_announced.front().path;
        return head == path || (head && path && *head == *path);
    }

    // Under the lock: a folder may be started when it is the walk's next one, or while the
    // listings waiting to be taken leave room.
    bool mayStart(const NodePtr& node) const
    {
        return (!m_announced.empty() && m_announced.front().node == node) || m_bufferedEntries < m_limits.entries;
    }

    bool hasTask() const
    {
        if (stopRequested())
            return false;
        return !m_details.empty() || (!m_waiting.empty() && mayStart(*m_waiting.begin()));
    }

    // Takes the earliest task: a folder to open and list, or a part of a listing's details.
    void runTask(std::unique_lock<std::mutex>& lock)
    {
        NodePtr waiting = m_waiting.empty() ? nullptr : *m_waiting.begin();
        if (waiting && !mayStart(waiting))
            waiting = nullptr;
        NodePtr details = m_details.empty() ? nullptr : *m_details.begin();
        if (waiting && (!details || Earlier()(waiting, details)))
            openFolder(lock, waiting);
        else
            readDetailPart(lock, details);
    }

    // `self` is held by the caller while the lock is released: the node stays alive even
    // when it is dropped meanwhile.
    void openFolder(std::unique_lock<std::mutex>& lock, const NodePtr& self)
    {
        Node& node = *self;
        m_waiting.erase(self);
        node.state = State::Opening;
        std::shared_ptr<KeptFolder> parent = std::move(node.parent);
        ++m_busy;
        passWakeOn();
        lock.unlock();

        platform::Folder folder;
        std::vector<platform::DirEntry> entries;
        bool failed = false;
        try {
            folder = parent ? parent->folder.openSubfolder(node.name, *node.path) : platform::Folder::open(*node.path);
            parent.reset();
            folder.readNames(entries);
        } catch (...) {
            failed = true; // out of memory, say: the walk finds the folder not entered
        }
        const bool opened = folder.isOpen() && !failed;
        const bool needDetails = opened && std::any_of(entries.begin(), entries.end(), [](const platform::DirEntry& e) {
            return e.attributes == platform::Folder::NoDetails;
        });

        lock.lock();
        returned();
        ++m_stats.folders;
        if (node.dropped) {
            ++m_stats.discarded;
            return;
        }
        node.opened = opened;
        node.entries = opened ? std::move(entries) : std::vector<platform::DirEntry>();
        if (!needDetails) {
            complete(lock, self);
            return;
        }
        node.folder = std::make_shared<KeptFolder>(std::move(folder), m_keptOpen);
        node.parts = (node.entries.size() + DetailPart - 1) / DetailPart;
        node.state = State::Detailing;
        m_details.insert(self);
        // This reader takes the first part itself.
        wake(node.parts - 1);
    }

    void readDetailPart(std::unique_lock<std::mutex>& lock, const NodePtr& self)
    {
        Node& node = *self;
        const std::size_t first = node.partsTaken * DetailPart;
        if (++node.partsTaken == node.parts)
            m_details.erase(self);
        const std::shared_ptr<KeptFolder> folder = node.folder;
        // The parts are distinct elements of a vector no one resizes before the last is done.
        const std::span<platform::DirEntry> part(
            node.entries.data() + first, std::min(DetailPart, node.entries.size() - first));
        ++m_busy;
        passWakeOn();
        lock.unlock();
        folder->folder.readDetails(part);
        lock.lock();
        returned();
        ++m_stats.detailParts;
        if (++node.partsDone == node.parts && !node.dropped)
            complete(lock, self);
    }

    // The listing of `node` is complete: it becomes ready for the walk, and its subfolders
    // are foreseen when there is room.
    void complete(std::unique_lock<std::mutex>& lock, const NodePtr& node)
    {
        if (m_listedHook) {
            lock.unlock();
            m_listedHook(*node->path);
            lock.lock();
        }
        if (node->dropped) {
            ++m_stats.discarded;
            return;
        }
        std::erase_if(
            node->entries, [](const platform::DirEntry& e) { return e.attributes == platform::Folder::NoDetails; });
        node->state = State::Ready;
        m_bufferedEntries += node->entries.size();
        if (!expand(*node))
            m_unexpanded.insert(node);
        node->folder.reset();
        if (!m_announced.empty() && m_announced.front().node == node)
            m_changed.notify_all(); // the worker may be waiting for it
    }

    // Foresees the subfolders of a ready folder the way the walk queues them, as far as
    // there is room; true when every one is foreseen.
    bool expand(Node& node)
    {
        const bool shareFolder = node.folder && m_keptOpen <= m_limits.keptOpen;
        const auto exclusions = m_criteria ? m_criteria->exclusions() : nullptr;
        for (; node.expandedUpTo < node.entries.size(); ++node.expandedUpTo) {
            if (m_byPath.size() >= m_limits.folders)
                return false;
            const std::size_t i = node.expandedUpTo;
            const platform::DirEntry& entry = node.entries[i];
            if (!WalkRules::isWalkedFolder(entry))
                continue;
            std::string path = WalkRules::joinPath(*node.path, entry.name);
            if (m_byPath.count(path) != 0 || !m_rules.PathAllowed(path, exclusions))
                continue;
            auto child = std::make_shared<Node>();
            child->path = makeSharedText(std::move(path));
            child->name = entry.name;
            child->order = node.order;
            child->order.push_back(static_cast<std::uint32_t>(i));
            child->serial = ++m_serial;
            if (shareFolder)
                child->parent = node.folder;
            m_byPath.emplace(*child->path, child);
            m_waiting.insert(child);
            node.children.push_back(std::move(child));
            ++m_stats.foreseen;
            m_workAvailable.notify_one();
        }
        return true;
    }

    // Gives the first Limits::folders entries of the walk's queue a node of their own.
    void promote()
    {
        while (m_promoted < m_announced.size() && m_promoted < m_limits.folders) {
            Announced& entry = m_announced[m_promoted++];
            if (entry.node)
                continue;
            // No reader foresaw it (a root, a folder of a wide level, or the exclusions
            // changed meanwhile).
            auto node = std::make_shared<Node>();
            node->path = entry.path;
            node->order = m_handedOrder;
            node->order.push_back(0x80000000u);
            node->serial = ++m_serial;
            node->announced = true;
            node->seq = entry.seq;
            if (m_byPath.count(*node->path) == 0)
                m_byPath.emplace(*node->path, node);
            m_waiting.insert(node);
            entry.node = std::move(node);
            m_workAvailable.notify_one();
        }
    }

    void popHead()
    {
        m_announced.pop_front();
        if (m_promoted > 0)
            --m_promoted;
        promote();
    }

    // Changes what orders a node, keeping it in the task sets it is in.
    template <typename Change> void reposition(const NodePtr& node, Change change)
    {
        const bool waiting = m_waiting.erase(node) != 0;
        const bool details = m_details.erase(node) != 0;
        const bool unexpanded = m_unexpanded.erase(node) != 0;
        change(*node);
        if (waiting)
            m_waiting.insert(node);
        if (details)
            m_details.insert(node);
        if (unexpanded)
            m_unexpanded.insert(node);
    }

    // Wakes up to `count` idle readers: waking every reader for each task would cost more
    // processor time than the requests themselves on a busy machine.
    void wake(std::size_t count)
    {
        for (std::size_t i = 0; i < count && i < static_cast<std::size_t>(m_readers); ++i)
            m_workAvailable.notify_one();
    }

    // Wakes are passed on one at a time: a reader that takes a task while more are left
    // wakes another.
    void passWakeOn()
    {
        if (hasTask())
            m_workAvailable.notify_one();
    }

    // A reader is back from a request (under the lock); end() waits for that.
    void returned()
    {
        --m_busy;
        if (m_ending)
            m_changed.notify_all();
    }

    // Foresees the subfolders of ready folders that found no room before, earliest first.
    void expandDeferred()
    {
        while (!m_unexpanded.empty() && m_byPath.size() < m_limits.folders) {
            const NodePtr node = *m_unexpanded.begin();
            if (expand(*node))
                m_unexpanded.erase(m_unexpanded.begin());
        }
    }

    // The walk has queued every subfolder of the folder it took last: the foreseen ones it
    // did not queue are dropped with everything read below them.
    void settleHanded()
    {
        for (const NodePtr& child : m_handedChildren) {
            if (!child->announced)
                drop(child);
        }
        m_handedChildren.clear();
    }

    void drop(const NodePtr& self)
    {
        Node& node = *self;
        if (node.dropped)
            return;
        node.dropped = true;
        node.parent.reset();
        m_waiting.erase(self);
        m_details.erase(self);
        m_unexpanded.erase(self);
        forget(node);
        if (node.state == State::Ready) {
            m_bufferedEntries -= node.entries.size();
            std::vector<platform::DirEntry>().swap(node.entries);
            ++m_stats.discarded;
        }
        for (const NodePtr& child : node.children)
            drop(child);
        node.children.clear();
    }

    void dropAll()
    {
        settleHanded();
        for (const Announced& entry : m_announced) {
            if (entry.node)
                drop(entry.node);
        }
        std::vector<NodePtr> rest;
        rest.reserve(m_byPath.size());
        for (const auto& [path, node] : m_byPath)
            rest.push_back(node);
        for (const NodePtr& node : rest)
            drop(node);
        m_announced.clear();
        m_promoted = 0;
        m_byPath.clear();
        m_handedOrder.clear();
        m_bufferedEntries = 0;
    }

    void forget(const Node& node)
    {
        const auto it = m_byPath.find(*node.path);
        if (it != m_byPath.end() && it->second.get() == &node)
            m_byPath.erase(it);
    }

    const SearchCriteria* const m_criteria;
    const std::atomic<bool>* m_stopRequested; // under m_mutex; cleared when the owner ends
    const Limits m_limits;
    const std::function<void(const std::string&)> m_listedHook;

    std::atomic<std::size_t> m_keptOpen { 0 }; // before every node, which may hold one

    mutable std::mutex m_mutex;
    std::condition_variable m_workAvailable; // readers wait here
    std::condition_variable m_changed; // the worker waits here for its listing, end() for readers

    // Under m_mutex.
    // The walk's queue as it announced it. Only the first Limits::folders have a node (the
    // others are read when their turn comes near), so a queue of a million folders costs
    // little more than the walk's own.
    struct Announced {
        SharedText path;
        NodePtr node;
        std::uint64_t seq = 0;
    };
    std::deque<Announced> m_announced;
    std::size_t m_promoted = 0; // the first this many entries of m_announced have a node
    std::uint64_t m_announceSeq = 0;
    std::unordered_map<std::string_view, NodePtr> m_byPath; // every node not yet taken
    std::set<NodePtr, Earlier> m_waiting; // to be opened
    std::set<NodePtr, Earlier> m_details; // listings with parts of details nobody has taken
    std::set<NodePtr, Earlier> m_unexpanded; // ready, subfolders not yet foreseen
    std::vector<NodePtr> m_handedChildren; // foreseen subfolders of the folder taken last
    std::vector<std::uint32_t> m_handedOrder; // the order of the folder taken last
    std::uint64_t m_serial = 0;
    std::size_t m_bufferedEntries = 0;
    WalkRules m_rules;
    int m_readers = 0;
    int m_alive = 0; // reader threads still in their loop
    int m_busy = 0; // readers in a request
    bool m_ending = false;
    ParallelFolderLister::Stats m_stats;
};

ParallelFolderLister::ParallelFolderLister(Options options)
    : m_core(std::make_shared<Core>(options))
{
    const int count = options.readers < 1 ? 1 : options.readers;
    m_readers.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        m_core->readerStarted();
        try {
            m_readers.emplace_back([core = m_core] { core->readerLoop(); });
        } catch (const std::system_error&) {
            // No more threads to be had: the others read, or the worker when there are none.
            m_core->readerStarted(true);
            break;
        }
    }
}

ParallelFolderLister::~ParallelFolderLister()
{
    m_core->end();
    // A reader still in a request keeps the core alive and leaves when the request returns.
    for (std::thread& reader : m_readers)
        reader.detach();
}

void ParallelFolderLister::queued(const SharedText& path)
{
    m_core->queued(path);
}

bool ParallelFolderLister::list(const SharedText& path, std::vector<platform::DirEntry>& out)
{
    return m_core->list(path, out);
}

void ParallelFolderLister::skip(const SharedText& path)
{
    m_core->skip(path);
}

void ParallelFolderLister::clear()
{
    m_core->clear();
}

ParallelFolderLister::Stats ParallelFolderLister::stats() const
{
    return m_core->stats();
}

} // namespace nuvero
