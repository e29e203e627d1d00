#pragma once

// The one way the back end and the Windows test helpers include <windows.h>: wide
// calls, Windows 7 as the oldest system (SetThreadErrorMode), no min/max macros.

#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#if !defined(_WIN32_WINNT) || _WIN32_WINNT < 0x0601
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0601
#endif

#include <windows.h>

#include <string>
#include <string_view>

#include "platform/win32/WideText.h"

namespace nuvero::platform::win32 {

// UTF-8 program text to the wide text the calls take, and back.
inline std::wstring wide(std::string_view text)
{
    const std::u16string units = toUtf16(text);
    return std::wstring(units.begin(), units.end());
}

inline std::string narrow(const wchar_t* text, std::size_t length)
{
    std::u16string units(length, u'\0');
    for (std::size_t i = 0; i < length; ++i)
        units[i] = static_cast<char16_t>(text[i]);
    return fromUtf16(units);
}

inline std::string narrow(std::wstring_view text)
{
    return narrow(text.data(), text.size());
}

} // namespace nuvero::platform::win32
