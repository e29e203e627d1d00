#pragma once

#include "results/RowList.h"

#include <string>
#include <utility>
#include <vector>

namespace nuvero::test {

// A plain results list for the tests of the commands and the list writer.
class RowVector : public RowList {
public:
    std::vector<ResultRow> rows;

    void add(std::string path, std::string name, bool dir = false)
    {
        ResultRow row;
        row.path = makeSharedText(std::move(path));
        row.name = std::move(name);
        row.size = "0 KBytes";
        row.dir = dir;
        rows.push_back(std::move(row));
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
