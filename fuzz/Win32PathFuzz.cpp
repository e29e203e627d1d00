// Roots and paths the user types, as the Windows back end resolves them, and names the
// Windows listing returns (any 16-bit units) on their way to UTF-8 and back.
#include "platform/win32/ProgramPath.h"
#include "platform/win32/WideText.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace nuvero::platform::win32;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto parsed = parseProgramPath(text)) {
        // Resolving again changes nothing; only a root ends in "\"; the system form is
        // always the "\\?\" one.
        const auto again = parseProgramPath(parsed->text);
        if (!again || again->text != parsed->text || again->isRoot != parsed->isRoot || again->isUnc != parsed->isUnc)
            std::abort();
        if (!parsed->isRoot && parsed->text.back() == '\\')
            std::abort();
        if (parsed->text.find("\\\\", 1) != std::string::npos)
            std::abort();
        if (systemForm(*parsed).rfind("\\\\?\\", 0) != 0)
            std::abort();
    }
    std::u16string units(size / 2, u'\0');
    if (!units.empty())
        std::memcpy(units.data(), data, units.size() * sizeof(char16_t));
    if (toUtf16(fromUtf16(units)) != units)
        std::abort();
    return 0;
}
