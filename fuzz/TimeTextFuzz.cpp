// Time values from outside: the stored settings value ("dd.mm.yyyy hh:nn:ss") read at
// start, and file times as a disk hands them over (any 64-bit tick count), turned into a
// row's Time text and the automatic file's name.
#include "export/ListFileWriter.h"
#include "fuzz/FuzzInput.h"
#include "platform/DateTime.h"
#include "platform/Platform.h"
#include "search/RowBuilder.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using nuvero::fuzz::check;

// "dd.mm.yyyy  hh:nn:ss" with digits where the format has them.
void checkRowText(std::string_view text)
{
    check(text.size() == 20);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char expected = "dd.mm.yyyy  hh:nn:ss"[i];
        check(expected == '.' || expected == ' ' || expected == ':'
                ? text[i] == expected
                : std::isdigit(static_cast<unsigned char>(text[i])));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace nuvero;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    // A stored value that reads as a date-time reads back from its own row text.
    if (const auto parsed = DateTime::parse(text)) {
        const std::string row = parsed->rowText();
        checkRowText(row);
        check(DateTime::parse(row) == parsed);
        const CalendarTime f = parsed->calendar();
        check(DateTime::fromCalendar(f) == *parsed);
        const std::string name = ListFileWriter::autoFileName(*parsed);
        check(name.size() == 26 && name.compare(0, 7, "d:\\fls1") == 0);
    }

    // The same bytes as a file time: any tick count gives a time the row can show.
    std::int64_t ticks = 0;
    std::memcpy(&ticks, data, size < sizeof ticks ? size : sizeof ticks);
    static const platform::LocalTimeConverter converter;
    const DateTime moment = converter.toDateTime({ ticks });
    const auto cells = rowTimeCells(moment);
    checkRowText({ cells.data(), cells.size() });
    check(moment.rowText() == std::string_view(cells.data(), cells.size()));
    check(DateTime::parse(moment.rowText()) == moment);
    const CalendarTime local = converter.toLocal({ ticks });
    check(local.year >= 1601 && local.year <= 9999 && local.month >= 1 && local.month <= 12 && local.day >= 1
        && local.day <= 31 && local.hour <= 23 && local.minute <= 59 && local.second <= 59);

    // And as an entry of a listing: the row shows it whatever its other fields hold.
    platform::DirEntry entry;
    entry.name = std::string(text);
    entry.attributes = static_cast<std::uint32_t>(ticks);
    entry.size = static_cast<std::uint64_t>(ticks) * 7919u;
    const auto unit = static_cast<SizeUnit>(static_cast<int>(ticks >> 32));
    const ResultRow row = makeRow(makeSharedText("c:\\dir"), entry, moment, unit);
    check(row.name == entry.name);
    check(row.size == sizeText(entry.size, unit));
    const auto space = row.size.find(' ');
    check(space != std::string::npos && space > 0);
    for (std::size_t i = 0; i < space; ++i)
        check(std::isdigit(static_cast<unsigned char>(row.size[i])));
    check(row.dirText() == (entry.attributes == platform::Attr::Directory ? "DIR" : " "));
    return 0;
}
