#include "platform/win32/QuietErrorMode.h"

namespace nuvero::platform::win32 {

QuietErrorMode::QuietErrorMode()
{
    m_changed = ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &m_previous) != FALSE;
}

QuietErrorMode::~QuietErrorMode()
{
    if (m_changed)
        ::SetThreadErrorMode(m_previous, nullptr);
}

} // namespace nuvero::platform::win32
