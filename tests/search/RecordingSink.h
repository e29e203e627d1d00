#pragma once

#include "search/RowSink.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace nuvero::test {

// Keeps everything the walk writes, in order, and lets a test act at a given moment (change
// criteria, request a stop) from inside the walk, on the walk's own thread.
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

    // Called after a row was recorded, with the number of rows so far.
    std::function<void(const ResultRow&, std::size_t)> onRow;
    // Called after a status was recorded, with the number of statuses so far.
    std::function<void(const std::string&, std::size_t)> onStatus;

    void addRow(ResultRow&& row) override
    {
        events.push_back({ true, std::string(row.pathText()) + "|" + row.name });
        rows.push_back(std::move(row));
        if (onRow)
            onRow(rows.back(), rows.size());
    }

    void setStatus(const SharedText& folder) override
    {
        statuses.push_back(*folder);
        events.push_back({ false, *folder });
        if (onStatus)
            onStatus(statuses.back(), statuses.size());
    }

    void finish(bool completed) override
    {
        finished = completed;
        ++finishCalls;
    }

    // "path|name" of every row.
    std::vector<std::string> rowKeys() const
    {
        std::vector<std::string> keys;
        for (const auto& row : rows)
            keys.push_back(std::string(row.pathText()) + "|" + row.name);
        return keys;
    }
};

} // namespace nuvero::test
