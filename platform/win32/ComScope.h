#pragma once

namespace nuvero::platform::win32 {

// The shell calls want COM on the calling thread. The window's thread has it already
// (Qt starts it there); any other thread gets it for as long as this object lives.
class ComScope {
public:
    ComScope();
    ~ComScope();
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool m_started = false;
};

} // namespace nuvero::platform::win32
