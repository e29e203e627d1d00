#pragma once

#include <string>

namespace nuvero {

// What the file commands need from the window: its message boxes and status panel 1.
// The window implements it with real modal boxes; every call happens on the window's
// thread, and a box's modal loop may let the search job append rows meanwhile.
class CommandUi {
public:
    virtual ~CommandUi() = default;

    // "Confirm" box with a question icon, Yes and No; true only for Yes.
    virtual bool confirm(const std::string& text) = 0;
    // "Error" box: "File I/O error." with OK.
    virtual void ioError() = 0;
    // The application's general error report for an error no command handles, with the
    // error's text as given (the report itself appends "." where its rule says so).
    virtual void generalError(const std::string& text) = 0;
    // Status panel 1: what the command is working on.
    virtual void setStatus(const std::string& text) = 0;
};

} // namespace nuvero
