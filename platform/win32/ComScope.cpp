#include "platform/win32/ComScope.h"

#include "platform/win32/WindowsApi.h"

#include <objbase.h>

namespace nuvero::platform::win32 {

ComScope::ComScope()
    // S_FALSE (already started on this thread) counts too: every successful call is
    // matched by one CoUninitialize. RPC_E_CHANGED_MODE leaves the thread as it is.
    : m_started(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
{
}

ComScope::~ComScope()
{
    if (m_started)
        ::CoUninitialize();
}

} // namespace nuvero::platform::win32
