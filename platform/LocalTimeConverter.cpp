// The conversions both back ends share; each back end's constructor finds the offset.
#include "platform/Platform.h"

#include <algorithm>

namespace nuvero::platform {

namespace {
constexpr std::int64_t SecondsFrom1601To1899 = 9435312000LL; // 1601-01-01 to 1899-12-30

// Local ticks of a file time, held within the times the program can show before and after
// the offset, so that no file time (NTFS and tmpfs keep any 64-bit value) overflows here.
std::int64_t localTicks(FileTime time, std::int64_t offsetTicks)
{
    const std::int64_t utc = std::clamp<std::int64_t>(time.ticks, 0, FileTime::MaxTicks);
    return std::clamp<std::int64_t>(utc + offsetTicks, 0, FileTime::MaxTicks);
}
} // namespace

DateTime LocalTimeConverter::toDateTime(FileTime time) const
{
    // Ticks are never negative here: plain division rounds down.
    const std::int64_t seconds = localTicks(time, m_offsetTicks) / FileTime::TicksPerSecond;
    return DateTime::fromMsecs((seconds - SecondsFrom1601To1899) * 1000);
}

CalendarTime LocalTimeConverter::toLocal(FileTime time) const
{
    const std::int64_t ms = localTicks(time, m_offsetTicks) / 10000;
    return DateTime::fromMsecs(ms - SecondsFrom1601To1899 * 1000).calendar();
}

} // namespace nuvero::platform
