#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <utility>

namespace nuvero::fuzz {

// A broken promise ends the run, so that the fuzzer keeps the input.
inline void check(bool condition)
{
    if (!condition)
        std::abort();
}

// Splits the fuzzer's bytes at the first NUL into two texts (the second may be empty).
inline std::pair<std::string_view, std::string_view> splitTwo(const std::uint8_t* data, std::size_t size)
{
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const auto nul = all.find('\0');
    if (nul == std::string_view::npos)
        return { all, {} };
    return { all.substr(0, nul), all.substr(nul + 1) };
}

} // namespace nuvero::fuzz
