#pragma once

#include "platform/win32/WindowsApi.h"

namespace nuvero::platform::win32 {

// While it lives, a drive without a medium makes the calls of this thread fail quietly
// instead of showing the system's critical-error box; the thread's previous mode comes
// back when it goes. The thread's own mode is switched, not the process's, because the
// search worker and the window's thread both reach drives at the same time.
class QuietErrorMode {
public:
    QuietErrorMode();
    ~QuietErrorMode();
    QuietErrorMode(const QuietErrorMode&) = delete;
    QuietErrorMode& operator=(const QuietErrorMode&) = delete;

private:
    DWORD m_previous = 0;
    bool m_changed = false;
};

} // namespace nuvero::platform::win32
