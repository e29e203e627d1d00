#pragma once

#include "results/CommandUi.h"
#include "results/RowVector.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace nuvero::test {

using Events = std::vector<std::string>;

// Answers the commands' questions from a script and records everything they show;
// whileAsking runs when a question is up, before it is answered.
class ScriptedUi : public CommandUi {
public:
    std::deque<bool> answers;
    Events events;
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
