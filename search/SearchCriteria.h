#pragma once

#include "platform/DateTime.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace nuvero {

// Position of an entry of the time-kind box: which file time the walk compares.
enum class TimeKind : int { None = -1, Appearance = 0, Changing = 1, Access = 2 };

// Position of an entry of the size-unit box: the divisor is 1024 to that power.
enum class SizeUnit : int { Bytes = 0, KBytes = 1, MBytes = 2, GBytes = 3 };

// The criteria the walk reads "live": the window's thread writes them from the controls'
// change signals, the search worker reads them for every entry (atomics) and the
// exclusion list for every folder (an immutable snapshot, swapped whole under a mutex,
// so a folder is always tested against one consistent list).
class SearchCriteria {
public:
    using Exclusions = std::vector<std::string>;

    SearchCriteria();

    void setAfterDate(bool on) { m_afterDate.store(on, std::memory_order_relaxed); }
    bool afterDate() const { return m_afterDate.load(std::memory_order_relaxed); }

    // Any int the box reports (-1 for no selection); the walk treats all but 1 and 2 as
    // creation time.
    void setTimeKind(int position) { m_timeKind.store(position, std::memory_order_relaxed); }
    int timeKind() const { return m_timeKind.load(std::memory_order_relaxed); }

    void setThreshold(DateTime threshold) { m_threshold.store(threshold.msecs(), std::memory_order_relaxed); }
    DateTime threshold() const { return DateTime::fromMsecs(m_threshold.load(std::memory_order_relaxed)); }

    void setRusNames(bool on) { m_rusNames.store(on, std::memory_order_relaxed); }
    bool rusNames() const { return m_rusNames.load(std::memory_order_relaxed); }

    void setSizeUnit(SizeUnit unit) { m_sizeUnit.store(static_cast<int>(unit), std::memory_order_relaxed); }
    SizeUnit sizeUnit() const { return static_cast<SizeUnit>(m_sizeUnit.load(std::memory_order_relaxed)); }

    void setExclusions(Exclusions items);
    std::shared_ptr<const Exclusions> exclusions() const;

private:
    std::atomic<bool> m_afterDate { true };
    std::atomic<int> m_timeKind { -1 };
    std::atomic<std::int64_t> m_threshold { 0 };
    std::atomic<bool> m_rusNames { false };
    std::atomic<int> m_sizeUnit { 1 };
    mutable std::mutex m_exclusionsMutex;
    std::shared_ptr<const Exclusions> m_exclusions;
};

} // namespace nuvero
