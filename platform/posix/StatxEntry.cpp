#include "platform/posix/StatxEntry.h"

namespace nuvero::platform::posix {

namespace {

// Some file systems (tmpfs, btrfs) keep any 64-bit second count: such a time is held at
// the nearer end of what FileTime shows instead of overflowing.
constexpr std::int64_t EpochDifference = 11644473600LL; // 1601-01-01 to 1970-01-01, seconds

std::int64_t ticksFromStatx(const statx_timestamp& t)
{
    const std::int64_t seconds = static_cast<std::int64_t>(t.tv_sec);
    if (seconds < -EpochDifference)
        return 0;
    if (seconds > FileTime::LastSecond - EpochDifference)
        return FileTime::MaxTicks;
    return (seconds + EpochDifference) * FileTime::TicksPerSecond + t.tv_nsec / 100;
}

} // namespace

std::uint32_t attributesFromStatx(const struct statx& sx)
{
    std::uint32_t attr = 0;
    const mode_t type = sx.stx_mode & S_IFMT;
    if (type == S_IFLNK)
        return Attr::ReparsePoint; // never followed: neither a folder nor a file here
    if (type == S_IFDIR)
        attr |= Attr::Directory;
    else if (type == S_IFREG)
        attr |= Attr::Archive;
    else
        attr |= Attr::System;
    if ((sx.stx_mode & S_IWUSR) == 0)
        attr |= Attr::ReadOnly;
    if (sx.stx_attributes_mask & STATX_ATTR_COMPRESSED && sx.stx_attributes & STATX_ATTR_COMPRESSED)
        attr |= Attr::Compressed;
    if (sx.stx_attributes_mask & STATX_ATTR_ENCRYPTED && sx.stx_attributes & STATX_ATTR_ENCRYPTED)
        attr |= Attr::Encrypted;
    return attr;
}

void fillEntry(DirEntry& e, const struct statx& sx)
{
    e.attributes = attributesFromStatx(sx);
    e.lastAccessTime.ticks = ticksFromStatx(sx.stx_atime);
    e.lastWriteTime.ticks = ticksFromStatx(sx.stx_mtime);
    e.creationTime.ticks = ticksFromStatx((sx.stx_mask & STATX_BTIME) ? sx.stx_btime : sx.stx_ctime);
    e.size = ((sx.stx_mode & S_IFMT) == S_IFREG) ? sx.stx_size : 0;
}

} // namespace nuvero::platform::posix
