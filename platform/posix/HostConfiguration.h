#pragma once

// What the POSIX back end reads once and shares between threads: the settings file, the
// drive table made from it, the mount table and the probes of the drives' folders. A
// reload replaces the whole set; callers hold the one they took for as long as a call
// lasts, so a reload never changes the drives under a running call. Reading it touches
// no drive: the probes answer on threads of their own.

#include "platform/IniFile.h"
#include "platform/posix/DriveProbes.h"
#include "platform/posix/DriveTable.h"
#include "platform/posix/MountTable.h"

#include <cstdint>
#include <memory>
#include <string>

namespace nuvero::platform::posix {

struct Configuration {
    IniFile settings;
    DriveTable drives;
    MountTable mounts;
    DriveProbes probes;
    std::string settingsPath;

    bool isDriveRoot(std::uint64_t device, std::uint64_t inode) const { return probes.isDriveRoot(device, inode); }
};

// The configuration in force, read on first use.
std::shared_ptr<const Configuration> configuration();

} // namespace nuvero::platform::posix
