#include "support/Host.h"

#ifdef _WIN32
#include "platform/win32/WindowsApi.h"
#endif

namespace nuvero::test {

bool runningUnderWine()
{
#ifdef _WIN32
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
#else
    return false;
#endif
}

} // namespace nuvero::test
