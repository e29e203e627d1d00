#include "search/RowBuilder.h"

#include <charconv>

namespace nuvero {

namespace {

int unitPower(SizeUnit unit)
{
    const int power = static_cast<int>(unit);
    return power < 0 ? 0 : (power > 3 ? 3 : power);
}

void putTwoDigits(char* out, int value)
{
    out[0] = static_cast<char>('0' + (value / 10) % 10);
    out[1] = static_cast<char>('0' + value % 10);
}

} // namespace

std::string_view sizeUnitName(SizeUnit unit)
{
    static constexpr std::string_view names[] = { "bytes", "KBytes", "MBytes", "GBytes" };
    return names[unitPower(unit)];
}

void appendSizeText(std::string& out, std::uint64_t bytes, SizeUnit unit)
{
    const std::uint64_t figure = bytes >> (10 * unitPower(unit));
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, figure).ptr;
    out.append(digits, end);
    out.push_back(' ');
    out.append(sizeUnitName(unit));
}

std::string sizeText(std::uint64_t bytes, SizeUnit unit)
{
    std::string out;
    appendSizeText(out, bytes, unit);
    return out;
}

std::array<char, 20> rowTimeCells(DateTime moment)
{
    const CalendarTime f = moment.calendar();
    std::array<char, 20> cells;
    char* p = cells.data();
    putTwoDigits(p, f.day);
    p[2] = '.';
    putTwoDigits(p + 3, f.month);
    p[5] = '.';
    putTwoDigits(p + 6, (f.year / 100) % 100);
    putTwoDigits(p + 8, f.year % 100);
    p[10] = ' ';
    p[11] = ' ';
    putTwoDigits(p + 12, f.hour);
    p[14] = ':';
    putTwoDigits(p + 15, f.minute);
    p[17] = ':';
    putTwoDigits(p + 18, f.second);
    return cells;
}

ResultRow makeRow(const SharedText& path, const platform::DirEntry& entry, DateTime moment, SizeUnit unit)
{
    ResultRow row;
    row.path = path;
    row.name = entry.name;
    row.time = rowTimeCells(moment);
    appendSizeText(row.size, entry.size, unit);
    row.dir = isDirCell(entry.attributes);
    return row;
}

} // namespace nuvero
