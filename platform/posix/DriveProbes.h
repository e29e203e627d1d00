#pragma once

#include "platform/posix/DriveTable.h"

#include <chrono>
#include <cstdint>
#include <memory>

namespace nuvero::platform::posix {

// Whether each drive's folder answers, asked on threads of their own so that nobody
// waits on a drive's file system for longer than AnswerTimeout: a network share whose
// server is gone, or a FUSE mount that never replies, holds only its probe's thread. The
// table's own probes, started with it, read each folder's identity (for isDriveRoot);
// probe() reads the folder's attributes, its file system's size and the start of its
// listing.
//
// Thread safety: every member may be called from any thread. The probes' threads share
// the state with the table; a call into a file system that hangs cannot be cancelled, so
// a probe may outlive its table and ends when the file system answers or the process
// exits. There is at most one probe of each kind of a drive at a time.
class DriveProbes {
public:
    static constexpr std::chrono::milliseconds AnswerTimeout { 2000 };

    enum class Answer { Ready, NotReady, NoAnswer };

    DriveProbes() = default; // no drives
    // Starts a probe of every drive's folder's identity and returns at once.
    explicit DriveProbes(const DriveTable& drives);

    // Probes the drive anew, or joins the probe under way, and waits for it until
    // AnswerTimeout after it started. Ready: the folder is a folder and its file
    // system's size can be read. A letter without a drive is NotReady.
    Answer probe(char letter) const;

    // False while one of the drive's latest probes is unanswered past AnswerTimeout.
    // Starts no probe; waits for those under way until AnswerTimeout after they started.
    bool answering(char letter) const;

    // Whether (device, inode) is some drive's folder. The first call waits for the probes
    // started with the table to identify the folders, until AnswerTimeout after they
    // started; a folder identified later counts from then on.
    bool isDriveRoot(std::uint64_t device, std::uint64_t inode) const;

private:
    struct State;
    std::shared_ptr<State> m_state;
};

} // namespace nuvero::platform::posix
