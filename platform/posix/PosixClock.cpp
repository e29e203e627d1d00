// Local time on the POSIX back end: the C library's time zone.
#include "platform/Platform.h"

#include <ctime>

namespace nuvero::platform {

namespace {
std::int64_t currentOffsetSeconds()
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    ::localtime_r(&now, &local);
    return local.tm_gmtoff;
}
} // namespace

LocalTimeConverter::LocalTimeConverter()
    : m_offsetTicks(currentOffsetSeconds() * FileTime::TicksPerSecond)
{
}

DateTime localNow()
{
    timespec ts {};
    ::clock_gettime(CLOCK_REALTIME, &ts);
    std::tm local {};
    ::localtime_r(&ts.tv_sec, &local);
    const std::int64_t seconds = static_cast<std::int64_t>(ts.tv_sec) + local.tm_gmtoff;
    constexpr std::int64_t UnixFrom1899 = 2209161600LL; // 1899-12-30 to 1970-01-01
    return DateTime::fromMsecs((seconds + UnixFrom1899) * 1000 + ts.tv_nsec / 1000000);
}

} // namespace nuvero::platform
