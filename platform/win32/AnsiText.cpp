#include "platform/Platform.h"
#include "platform/win32/WindowsApi.h"

#include <climits>

namespace nuvero::platform {

std::string toListFileText(std::string_view text)
{
    const std::u16string units = win32::toUtf16(text);
    if (units.empty() || units.size() > INT_MAX)
        return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(units.data());
    const int length = static_cast<int>(units.size());
    // No best-fit mapping: a character the code page lacks is "?", never a look-alike
    // ("é" would become "e" on a Cyrillic system).
    const DWORD flags = WC_NO_BEST_FIT_CHARS;
    const int size = ::WideCharToMultiByte(CP_ACP, flags, wide, length, nullptr, 0, "?", nullptr);
    std::string bytes(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_ACP, flags, wide, length, bytes.data(), size, "?", nullptr);
    return bytes;
}

} // namespace nuvero::platform
