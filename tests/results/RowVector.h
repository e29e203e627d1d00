#pragma once

#include "results/RowList.h"

#include <string>
#include <utility>
#include <vector>

namespace nuvero::test {

// A row with these texts; its Time text is all zero bytes.
inline ResultRow makeRow(SharedText path, std::string name, std::string size = "0 KBytes", bool dir = false)
{
    ResultRow row;
    row.path = std::move(path);
    row.name = std::move(name);
    row.size = std::move(size);
    row.dir = dir;
    return row;
}

// A plain results list for the tests of the commands and the list writer.
class RowVector : public RowList {
public:
    std::vector<ResultRow> rows;

    void add(std::string path, std::string name, bool dir = false)
    {
        rows.push_back(makeRow(makeSharedText(std::move(path)), std::move(name), "0 KBytes", dir));
    }
    std::vector<std::string> names() const
    {
        std::vector<std::string> out;
        for (const ResultRow& r : rows)
            out.push_back(r.name);
        return out;
    }

    int size() const override { return static_cast<int>(rows.size()); }
    const ResultRow& row(int index) const override { return rows[static_cast<std::size_t>(index)]; }
    void setName(int index, std::string name) override { rows[static_cast<std::size_t>(index)].name = std::move(name); }
    void eraseRow(int index) override { rows.erase(rows.begin() + index); }
};

} // namespace nuvero::test
