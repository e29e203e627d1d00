#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace nuvero {

// Calendar fields of a local date-time.
struct CalendarTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    friend bool operator==(const CalendarTime&, const CalendarTime&) = default;
};

// A local date-time counted in milliseconds from 30 December 1899, 00:00:00 (the zero
// date-time). The classic representation is a double of days; whole milliseconds keep
// "equal to the second" comparisons exact, and days() gives the double where needed.
class DateTime {
public:
    constexpr DateTime() = default;
    static constexpr DateTime fromMsecs(std::int64_t msecs) { return DateTime(msecs); }
    static DateTime fromCalendar(const CalendarTime& fields);

    // Reads the program's own format "dd.mm.yyyy hh:nn:ss" (one or more spaces between
    // date and time); anything else, or an impossible date or time, gives nothing.
    static std::optional<DateTime> parse(std::string_view text);

    constexpr std::int64_t msecs() const { return m_msecs; }
    double days() const { return static_cast<double>(m_msecs) / 86400000.0; }
    CalendarTime calendar() const;

    DateTime addMsecs(std::int64_t delta) const { return DateTime(m_msecs + delta); }

    // "dd.mm.yyyy  hh:nn:ss": the date, two spaces, the time (a result row's Time text).
    std::string rowText() const;

    friend constexpr auto operator<=>(const DateTime&, const DateTime&) = default;

private:
    constexpr explicit DateTime(std::int64_t msecs)
        : m_msecs(msecs)
    {
    }
    std::int64_t m_msecs = 0;
};

// Two-digit zero-padded text of 0..99 appended to out (used by the fixed formats).
void appendTwoDigits(std::string& out, int value);

} // namespace nuvero
