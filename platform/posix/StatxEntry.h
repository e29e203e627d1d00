#pragma once

// What statx(2) says about an entry, in the terms the program uses: the Windows attribute
// word and file times.

#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif

#include "platform/DirEntry.h"

#include <cstdint>
#include <sys/stat.h>

namespace nuvero::platform::posix {

// The fields every listing and attribute query asks for.
inline constexpr unsigned StatxFields
    = STATX_TYPE | STATX_MODE | STATX_INO | STATX_SIZE | STATX_ATIME | STATX_MTIME | STATX_CTIME | STATX_BTIME;

std::uint32_t attributesFromStatx(const struct statx& sx);
void fillEntry(DirEntry& e, const struct statx& sx);

} // namespace nuvero::platform::posix
