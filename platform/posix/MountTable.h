#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace nuvero::platform {

// The mounts of pseudo file systems (proc, sysfs, devtmpfs, ...) read from
// /proc/self/mountinfo: a drive never lists or enters them, so that a search of the
// whole disk does not wander into kernel tables.
class MountTable {
public:
    struct Mount {
        std::string mountPoint;
        std::uint64_t device = 0; // makedev(major, minor) as stat reports it
        std::string type;
    };

    static MountTable readSystem();
    static MountTable parse(std::string_view mountinfo);
    static bool isPseudoType(std::string_view type);

    const std::vector<Mount>& pseudoMounts() const { return m_pseudo; }
    bool isPseudoDevice(std::uint64_t device) const;

private:
    std::vector<Mount> m_pseudo;
};

} // namespace nuvero::platform
