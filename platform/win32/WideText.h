#pragma once

// Names cross the Windows back end as UTF-16 and leave it as UTF-8. NTFS names are
// sequences of 16-bit units that need not be valid UTF-16: a lone surrogate is a legal
// name unit. Such a unit is written as the three bytes its code point would take
// (ED A0 80 .. ED BF BF, the "WTF-8" form), which the UTF-8 helpers above the layer
// treat as three invalid bytes and copy unchanged, so every name the listing returns
// comes back to the system exactly. The system's own conversion would turn the unit
// into U+FFFD and the file could then be neither renamed nor deleted.
//
// Kept free of <windows.h> so that it is built and tested on every platform.

#include <string>
#include <string_view>

namespace nuvero::platform::win32 {

// UTF-16 units to UTF-8; a lone surrogate becomes its three-byte form.
std::string fromUtf16(std::u16string_view text);

// UTF-8 to UTF-16 units. A three-byte surrogate form gives its unit back; any other byte
// that does not start a valid sequence becomes U+FFFD (no real name holds one, since
// every name came from fromUtf16 or from the user's typing).
std::u16string toUtf16(std::string_view text);

} // namespace nuvero::platform::win32
