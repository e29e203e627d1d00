#include "platform/DateTime.h"

#include <charconv>

namespace nuvero {

namespace {

constexpr std::int64_t MsecsPerDay = 86400000;

// Days from 1 January 1970 for a proleptic Gregorian date (H. Hinnant's algorithm).
constexpr std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

constexpr std::int64_t ZeroDay = daysFromCivil(1899, 12, 30);

void civilFromDays(std::int64_t z, int& year, int& month, int& day)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(y + (month <= 2 ? 1 : 0));
}

bool isLeap(int y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m)
{
    static constexpr int days[] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    return m == 2 && isLeap(y) ? 29 : days[m - 1];
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

// Reads exactly `width` digits at text[pos]; advances pos.
bool readDigits(std::string_view text, std::size_t& pos, std::size_t width, int& value)
{
    if (pos + width > text.size())
        return false;
    for (std::size_t i = pos; i < pos + width; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
    }
    std::from_chars(text.data() + pos, text.data() + pos + width, value);
    pos += width;
    return true;
}

bool expect(std::string_view text, std::size_t& pos, char c)
{
    if (pos >= text.size() || text[pos] != c)
        return false;
    ++pos;
    return true;
}

} // namespace

DateTime DateTime::fromCalendar(const CalendarTime& f)
{
    const std::int64_t days
        = daysFromCivil(f.year, static_cast<unsigned>(f.month), static_cast<unsigned>(f.day)) - ZeroDay;
    const std::int64_t ms
        = ((static_cast<std::int64_t>(f.hour) * 60 + f.minute) * 60 + f.second) * 1000 + f.millisecond;
    return DateTime(days * MsecsPerDay + ms);
}

CalendarTime DateTime::calendar() const
{
    const std::int64_t day = floorDiv(m_msecs, MsecsPerDay);
    std::int64_t rest = m_msecs - day * MsecsPerDay;
    CalendarTime f;
    civilFromDays(day + ZeroDay, f.year, f.month, f.day);
    f.millisecond = static_cast<int>(rest % 1000);
    rest /= 1000;
    f.second = static_cast<int>(rest % 60);
    rest /= 60;
    f.minute = static_cast<int>(rest % 60);
    f.hour = static_cast<int>(rest / 60);
    return f;
}

std::optional<DateTime> DateTime::parse(std::string_view text)
{
    CalendarTime f;
    std::size_t pos = 0;
    if (!readDigits(text, pos, 2, f.day) || !expect(text, pos, '.') || !readDigits(text, pos, 2, f.month)
        || !expect(text, pos, '.') || !readDigits(text, pos, 4, f.year))
        return std::nullopt;
    if (!expect(text, pos, ' '))
        return std::nullopt;
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    if (!readDigits(text, pos, 2, f.hour) || !expect(text, pos, ':') || !readDigits(text, pos, 2, f.minute)
        || !expect(text, pos, ':') || !readDigits(text, pos, 2, f.second) || pos != text.size())
        return std::nullopt;
    if (f.year < 1 || f.month < 1 || f.month > 12 || f.day < 1 || f.day > daysInMonth(f.year, f.month) || f.hour > 23
        || f.minute > 59 || f.second > 59)
        return std::nullopt;
    return fromCalendar(f);
}

void appendTwoDigits(std::string& out, int value)
{
    out.push_back(static_cast<char>('0' + (value / 10) % 10));
    out.push_back(static_cast<char>('0' + value % 10));
}

std::string DateTime::rowText() const
{
    const CalendarTime f = calendar();
    std::string out;
    out.reserve(20);
    appendTwoDigits(out, f.day);
    out.push_back('.');
    appendTwoDigits(out, f.month);
    out.push_back('.');
    const int y = f.year;
    appendTwoDigits(out, (y / 100) % 100);
    appendTwoDigits(out, y % 100);
    out += "  ";
    appendTwoDigits(out, f.hour);
    out.push_back(':');
    appendTwoDigits(out, f.minute);
    out.push_back(':');
    appendTwoDigits(out, f.second);
    return out;
}

} // namespace nuvero
