#pragma once

#include <cstdint>
#include <string>

namespace nuvero::platform {

// File attribute flags as the Windows file system reports them. The walk filters on the
// whole word (word & 0xFF == word), so the values are part of the program's behaviour.
namespace Attr {
inline constexpr std::uint32_t ReadOnly = 0x1;
inline constexpr std::uint32_t Hidden = 0x2;
inline constexpr std::uint32_t System = 0x4;
inline constexpr std::uint32_t VolumeLabel = 0x8;
inline constexpr std::uint32_t Directory = 0x10;
inline constexpr std::uint32_t Archive = 0x20;
inline constexpr std::uint32_t Temporary = 0x100;
inline constexpr std::uint32_t Sparse = 0x200;
inline constexpr std::uint32_t ReparsePoint = 0x400;
inline constexpr std::uint32_t Compressed = 0x800;
inline constexpr std::uint32_t Offline = 0x1000;
inline constexpr std::uint32_t NotContentIndexed = 0x2000;
inline constexpr std::uint32_t Encrypted = 0x4000;
} // namespace Attr

// A file time: 100-nanosecond ticks since 1 January 1601, universal time (a Windows
// FILETIME), so that both back ends hand the walk the same value.
struct FileTime {
    static constexpr std::int64_t TicksPerSecond = 10000000LL;
    // The times the program can show: from 1 January 1601 (tick 0) to the last moment of
    // the year 9999. Some file systems keep times beyond either end; the back ends hold
    // such a time at the nearer end instead of letting it overflow.
    static constexpr std::int64_t LastSecond = 265046774399LL; // 9999-12-31 23:59:59
    static constexpr std::int64_t MaxTicks = LastSecond * TicksPerSecond + (TicksPerSecond - 1);

    std::int64_t ticks = 0;
    friend bool operator==(const FileTime&, const FileTime&) = default;
};

// One entry of a folder listing.
struct DirEntry {
    std::string name; // exact bytes the system returned (UTF-8 on Windows, raw on Linux)
    std::uint32_t attributes = 0;
    FileTime creationTime;
    FileTime lastAccessTime;
    FileTime lastWriteTime;
    std::uint64_t size = 0; // full 64-bit size; 0 for folders

    bool isDirectory() const { return (attributes & Attr::Directory) != 0; }
};

} // namespace nuvero::platform
