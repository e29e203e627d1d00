#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif

#include "platform/posix/DriveProbes.h"

#include <array>
#include <condition_variable>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace nuvero::platform::posix {

namespace {

using Clock = std::chrono::steady_clock;

struct RootId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
};

// The two kinds of probe. The table's own only reads the folder's identity: a drive the
// user never searches is never asked for more, so a file system whose listings hang
// holds no thread of a program that does not use it (a thread waiting on FUSE cannot be
// ended, and the process cannot end before it).
enum class Kind { Identity, Full };

} // namespace

// Guarded by `mutex`, except each drive's `folder`, set before any probe starts.
struct DriveProbes::State {
    // The probes of one kind of one drive: at most one at a time, answering in order.
    struct Slot {
        std::uint64_t started = 0;
        std::uint64_t answered = 0;
        Clock::time_point latestStart;

        bool busy() const { return started != answered; }
    };

    struct Drive {
        std::string folder; // empty: no such drive
        std::array<Slot, 2> slots; // by Kind
        bool ready = false; // the latest full probe's answer
        bool identified = false; // some probe's attributes came back (or failed)
        std::optional<RootId> id; // the latest identity read
    };

    std::mutex mutex;
    std::condition_variable changed;
    std::array<Drive, 26> drives;
    Clock::time_point identifyBy; // how long isDriveRoot waits for the first probes
    bool settled = false; // isDriveRoot waits no more

    // Called with the mutex held: starts a probe unless one of that kind is under way.
    void start(const std::shared_ptr<State>& self, std::size_t index, Kind kind);
    // Called with the mutex held: waits for the slot's latest probe until AnswerTimeout
    // after it started; whether it answered.
    bool await(std::unique_lock<std::mutex>& lock, const Slot& slot);
    // A probe's thread.
    static void run(std::shared_ptr<State> self, std::size_t index, std::string folder, Kind kind);
    bool allIdentified() const;
};

void DriveProbes::State::start(const std::shared_ptr<State>& self, std::size_t index, Kind kind)
{
    Drive& drive = drives[index];
    Slot& slot = drive.slots[static_cast<std::size_t>(kind)];
    if (!slot.busy()) {
        ++slot.started;
        slot.latestStart = Clock::now();
        try {
            std::thread(run, self, index, drive.folder, kind).detach();
        } catch (const std::system_error&) {
            // No thread to be had: the drive counts as not ready this time.
            ++slot.answered;
            drive.ready = false;
            drive.identified = true;
        }
    }
}

bool DriveProbes::State::await(std::unique_lock<std::mutex>& lock, const Slot& slot)
{
    const std::uint64_t awaited = slot.started;
    return changed.wait_until(lock, slot.latestStart + AnswerTimeout, [&] { return slot.answered >= awaited; });
}

bool DriveProbes::State::allIdentified() const
{
    for (const Drive& drive : drives) {
        if (!drive.folder.empty() && !drive.identified)
            return false;
    }
    return true;
}

void DriveProbes::State::run(std::shared_ptr<State> state, std::size_t index, std::string folder, Kind kind)
{
    Drive& drive = state->drives[index];
    struct stat st;
    const bool isFolder = ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    {
        std::lock_guard lock(state->mutex);
        drive.identified = true;
        drive.id.reset();
        if (isFolder)
            drive.id = RootId { static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino) };
    }
    state->changed.notify_all();
    bool ready = false;
    if (kind == Kind::Full && isFolder) {
        struct statvfs vfs;
        ready = ::statvfs(folder.c_str(), &vfs) == 0;
        // A server may answer for its root's attributes while every listing hangs.
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
        if (fd >= 0) {
            alignas(8) char buffer[4096];
            [[maybe_unused]] const ssize_t n = ::getdents64(fd, buffer, sizeof buffer);
            ::close(fd);
        }
    }
    {
        std::lock_guard lock(state->mutex);
        ++drive.slots[static_cast<std::size_t>(kind)].answered;
        if (kind == Kind::Full)
            drive.ready = ready;
    }
    state->changed.notify_all();
}

DriveProbes::DriveProbes(const DriveTable& drives)
    : m_state(std::make_shared<State>())
{
    for (std::size_t i = 0; i < m_state->drives.size(); ++i) {
        if (const auto folder = drives.hostFolder(static_cast<char>('a' + i)))
            m_state->drives[i].folder = *folder;
    }
    std::lock_guard lock(m_state->mutex);
    m_state->identifyBy = Clock::now() + AnswerTimeout;
    for (std::size_t i = 0; i < m_state->drives.size(); ++i) {
        if (!m_state->drives[i].folder.empty())
            m_state->start(m_state, i, Kind::Identity);
    }
}

DriveProbes::Answer DriveProbes::probe(char letter) const
{
    const int index = driveIndex(letter);
    if (!m_state || index < 0 || m_state->drives[static_cast<std::size_t>(index)].folder.empty())
        return Answer::NotReady;
    State::Drive& drive = m_state->drives[static_cast<std::size_t>(index)];
    std::unique_lock lock(m_state->mutex);
    m_state->start(m_state, static_cast<std::size_t>(index), Kind::Full);
    if (!m_state->await(lock, drive.slots[static_cast<std::size_t>(Kind::Full)]))
        return Answer::NoAnswer;
    return drive.ready ? Answer::Ready : Answer::NotReady;
}

bool DriveProbes::answering(char letter) const
{
    const int index = driveIndex(letter);
    if (!m_state || index < 0)
        return true;
    State::Drive& drive = m_state->drives[static_cast<std::size_t>(index)];
    std::unique_lock lock(m_state->mutex);
    for (const State::Slot& slot : drive.slots) {
        if (slot.busy() && !m_state->await(lock, slot))
            return false;
    }
    return true;
}

bool DriveProbes::isDriveRoot(std::uint64_t device, std::uint64_t inode) const
{
    if (!m_state)
        return false;
    std::unique_lock lock(m_state->mutex);
    if (!m_state->settled) {
        m_state->changed.wait_until(lock, m_state->identifyBy, [&] { return m_state->allIdentified(); });
        m_state->settled = true;
    }
    for (const State::Drive& drive : m_state->drives) {
        if (drive.id && drive.id->device == device && drive.id->inode == inode)
            return true;
    }
    return false;
}

} // namespace nuvero::platform::posix
