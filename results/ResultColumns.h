#pragma once

#include "search/ResultRow.h"

#include <string_view>

namespace nuvero {

// The results list's columns, left to right: the row's Path, then its four cells.
enum ResultColumn : int { PathColumn = 0, NameColumn = 1, TimeColumn = 2, SizeColumn = 3, DirColumn = 4 };
inline constexpr int ResultColumnCount = 5;

// Text of a row in a column as the list shows, sorts and saves it; empty for no column.
inline std::string_view cellText(const ResultRow& row, int column)
{
    switch (column) {
    case PathColumn:
        return row.pathText();
    case NameColumn:
        return row.name;
    case TimeColumn:
        return row.timeText();
    case SizeColumn:
        return row.size;
    case DirColumn:
        return row.dirText();
    default:
        return {};
    }
}

} // namespace nuvero
