#pragma once

#include "search/RowSink.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace nuvero {

// Carries rows, the status text and the "finished" mark from the search worker to the
// window's thread, in the worker's order and in batches, so that a search with a million
// hits keeps the window responsive.
//
// Worker side (addRow, setStatus, enterFolder, finish; one worker at a time): everything is
// gathered in a local buffer without locking and handed over to the shared part every
// `maxDelay` or `maxRows` rows, whichever comes first, before every folder listing
// (enterFolder) and at finish(). A hand-over into a shared part
// that the window has drained calls the notify callback once; further hand-overs do not
// call it again until the window has taken them.
//
// Window side (setNotify, take, close, reset): take() returns everything handed over so far.
// "finished" is handed over together with the last rows, so the window never sees it before
// every row.
class RowQueue : public RowSink {
public:
    struct Batch {
        std::vector<ResultRow> rows; // in the order found
        std::optional<std::string> status; // the last status text set up to the hand-over
        bool finished = false; // every root was walked; no more rows will come
    };

    static constexpr std::size_t DefaultMaxRows = 1000;
    static constexpr std::chrono::milliseconds DefaultMaxDelay { 50 };

    explicit RowQueue(std::size_t maxRows = DefaultMaxRows, std::chrono::milliseconds maxDelay = DefaultMaxDelay);
    RowQueue(const RowQueue&) = delete;
    RowQueue& operator=(const RowQueue&) = delete;

    // Called on the worker's thread when a hand-over finds the shared part drained. The
    // window posts a queued call to itself here and calls take() from it.
    void setNotify(std::function<void()> notify);

    // Window side.
    Batch take();
    // After close() nothing more is handed over: a stopped search's late rows are dropped,
    // so the list the window has at "Stop" is the search's final list.
    void close();
    // Empties the queue and opens it again for the next search. Only while no worker uses it.
    void reset();

    // Worker side.
    void addRow(ResultRow&& row) override;
    void setStatus(const SharedText& folder) override;
    // Shows the folder and hands over everything held, so that rows found before a listing
    // that blocks are not held back by it.
    void enterFolder(const SharedText& folder) override;
    void finish(bool completed) override;

private:
    void flushIfDue();
    bool hasLocal() const;
    void handOver(bool finished);

    const std::size_t m_maxRows;
    const std::chrono::steady_clock::duration m_maxDelay;

    // Worker-owned.
    std::vector<ResultRow> m_localRows;
    SharedText m_localStatus;
    bool m_localHasStatus = false;
    std::chrono::steady_clock::time_point m_lastHandOver;

    // Shared, under m_mutex.
    mutable std::mutex m_mutex;
    std::function<void()> m_notify;
    std::vector<ResultRow> m_rows;
    SharedText m_status;
    bool m_hasStatus = false;
    bool m_finished = false;
    bool m_notified = false;
    bool m_closed = false;
};

} // namespace nuvero
