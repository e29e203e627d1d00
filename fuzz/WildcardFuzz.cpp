// The mask the user types against names found on disk: any bytes on both sides.
#include "fuzz/FuzzInput.h"
#include "platform/Wildcard.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto [pattern, name] = nuvero::fuzz::splitTwo(data, size);
    const bool matches = nuvero::platform::wildcardMatch(pattern, name);
    // Invariants: "*" and "*.*" match every name; a pattern without wildcards matches itself.
    if (!nuvero::platform::wildcardMatch("*", name) || !nuvero::platform::wildcardMatch("*.*", name))
        std::abort();
    if (pattern.find_first_of("*?") == std::string_view::npos && !nuvero::platform::wildcardMatch(pattern, pattern))
        std::abort();
    (void)matches;
    return 0;
}
