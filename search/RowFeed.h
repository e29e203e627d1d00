#pragma once

#include "search/RowQueue.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>

namespace nuvero {

// The window's side of a RowQueue: what was taken from the queue but not yet shown, handed
// out in parts of at most `maxRows` rows so that a batch that grew large while the window
// was busy never holds its event loop for long.
//
// Every next() takes what the queue holds, also while rows of an earlier take are still
// waiting: the queue notifies once per take, and a notice that came while a part was on its
// way is not repeated, so a part that did not take could leave the last rows and the
// "finished" mark in the queue for ever. The status text and "finished" come with the part
// that ends the rows taken so far.
//
// Window's thread only.
class RowFeed {
public:
    struct Part {
        std::span<ResultRow> rows; // valid until the next call of next() or clear()
        std::optional<std::string> status; // only on the part that ends the rows taken
        bool finished = false; // likewise
        bool more = false; // rows taken are still waiting: ask again at once
    };

    explicit RowFeed(std::size_t maxRows);

    Part next(RowQueue& queue);
    // Drops what was taken but not handed out (a stopped search's rows are not shown).
    void clear();

private:
    std::size_t m_maxRows;
    RowQueue::Batch m_pending;
    std::size_t m_first = 0; // rows before it were handed out
};

} // namespace nuvero
