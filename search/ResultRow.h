#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>

namespace nuvero {

// Immutable text shared by many rows (all rows found in one folder share their Path).
using SharedText = std::shared_ptr<const std::string>;

inline SharedText makeSharedText(std::string text)
{
    return std::make_shared<const std::string>(std::move(text));
}

// One row of the results list: the Path text and the cells Name, Time, Size and dir.
// Texts are UTF-8 (on Linux: the exact bytes of the names, whatever they are).
// Rows carry nothing else; every command reads them through these texts.
struct ResultRow {
    SharedText path; // folder the entry was found in
    std::string name; // entry name as listed
    std::array<char, 20> time {}; // "dd.mm.yyyy  hh:nn:ss", always 20 characters
    std::string size; // "<figure> <unit>"
    bool dir = false; // dir cell: "DIR" when true, " " otherwise

    std::string_view pathText() const { return path ? std::string_view(*path) : std::string_view(); }
    std::string_view timeText() const { return { time.data(), time.size() }; }
    std::string_view dirText() const { return dir ? std::string_view("DIR") : std::string_view(" "); }
    // Full path of the row's entry: Path, one "\" and Name, joined as they are.
    std::string fullPath() const { return std::string(pathText()) + '\\' + name; }
};

} // namespace nuvero
