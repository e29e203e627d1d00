#pragma once

#include "search/ResultRow.h"

#include <string>

namespace nuvero {

// The results list as the file commands and the list writer see it: rows by display
// position, with the two changes the commands make. The window's ResultsModel is one;
// keeping this free of Qt lets those commands build and run without it.
class RowList {
public:
    virtual ~RowList() = default;

    virtual int size() const = 0;
    // Row at a display position, 0 .. size() - 1.
    virtual const ResultRow& row(int index) const = 0;
    virtual void setName(int index, std::string name) = 0;
    virtual void eraseRow(int index) = 0;
};

} // namespace nuvero
