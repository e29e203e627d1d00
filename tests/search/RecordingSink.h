#pragma once

#include "search/RowSink.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace nuvero::test {

// Keeps everything the walk writes, in order; onRow acts on the walk's own thread after
// each row (with the number of rows so far), e.g. to request a stop.
class RecordingSink : public RowSink {
public:
    std::vector<ResultRow> rows;
    std::vector<std::string> statuses;
    std::vector<std::string> events; // a row's "path|name", or a status's folder alone
    std::vector<bool> finishes; // the argument of each finish()
    std::function<void(std::size_t)> onRow;

    void addRow(ResultRow&& row) override
    {
        events.push_back(std::string(row.pathText()) + "|" + row.name);
        rows.push_back(std::move(row));
        if (onRow)
            onRow(rows.size());
    }
    void setStatus(const SharedText& folder) override
    {
        statuses.push_back(*folder);
        events.push_back(*folder);
    }
    void finish(bool completed) override { finishes.push_back(completed); }
};

} // namespace nuvero::test
