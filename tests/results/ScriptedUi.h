#pragma once

#include "results/CommandUi.h"
#include "results/RowList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace nuvero::test {

// A row with these texts; the Time text is cut or padded with zero bytes to its 20 bytes.
inline ResultRow makeRow(
    SharedText path, std::string name, std::string_view time = {}, std::string size = "0 KBytes", bool dir = false)
{
    ResultRow row { .path = std::move(path), .name = std::move(name), .size = std::move(size), .dir = dir };
    std::copy_n(time.begin(), std::min(time.size(), row.time.size()), row.time.begin());
    return row;
}

// A plain results list for the commands.
class RowVector : public RowList {
public:
    std::vector<ResultRow> rows;

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

// Answers the commands' questions from a script and records everything they show;
// whileAsking runs when a question is up, before it is answered.
class ScriptedUi : public CommandUi {
public:
    std::deque<bool> answers;
    std::vector<std::string> events;
    std::function<void(int question)> whileAsking;

    bool confirm(const std::string& text) override
    {
        if (whileAsking)
            whileAsking(m_asked++);
        events.push_back("confirm " + text);
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text;
            return false;
        }
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    }
    void ioError() override { events.push_back("File I/O error."); }
    void generalError(const std::string& text) override { events.push_back("general " + text); }
    void setStatus(const std::string& text) override { events.push_back("status " + text); }

private:
    int m_asked = 0;
};

} // namespace nuvero::test
