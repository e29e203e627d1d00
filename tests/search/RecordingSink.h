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
    struct Event {
        bool isRow = false;
        std::string text; // status text, or "path|name" of a row
    };

    std::vector<ResultRow> rows;
    std::vector<std::string> statuses;
    std::vector<Event> events;
    std::optional<bool> finished; // the argument of finish(), once called
    int finishCalls = 0;
    std::function<void(std::size_t)> onRow;

    void addRow(ResultRow&& row) override
    {
        events.push_back({ true, std::string(row.pathText()) + "|" + row.name });
        rows.push_back(std::move(row));
        if (onRow)
            onRow(rows.size());
    }
    void setStatus(const SharedText& folder) override
    {
        statuses.push_back(*folder);
        events.push_back({ false, *folder });
    }
    void finish(bool completed) override
    {
        finished = completed;
        ++finishCalls;
    }
};

} // namespace nuvero::test
