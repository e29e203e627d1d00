#pragma once

// Program paths on the host: a path "X:\a\b" taken apart by the shared path rule
// (platform/PathComponents.h) and placed in drive X:'s host folder, and the opening of
// what it names without following any link below the drive's folder.

#include "platform/IoStatus.h"
#include "platform/posix/HostConfiguration.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nuvero::platform::posix {

// A program path taken apart: its drive letter and the host path it stands for.
struct Mapped {
    char letter = 0;
    std::string driveFolder; // the drive's host folder
    std::string host;
    std::vector<std::string_view> components; // after "X:", "." and ".." resolved

    // The first `count` components joined with "/": a path below the drive's folder.
    std::string below(std::size_t count) const;
};

// Maps "X:\a\b" onto the drive's host folder. Folders of other drives and pseudo file
// systems inside the drive cannot be reached from it (PathNotFound, as an unknown drive).
std::optional<Mapped> mapPath(const Configuration& config, std::string_view path, IoStatus* status = nullptr);

// Whether the mapped path's drive answers (see DriveProbes.h). Its own folder is probed
// anew, as every search and every listing of the drive starts there; below it the latest
// answer counts. A drive that does not answer is treated as not ready.
bool driveAnswers(const Configuration& config, const Mapped& m);

// The code Windows gives when a folder cannot be entered (see HostPath.cpp).
int enterFailureCode(const std::string& host, int err);

// Opens the first `count` components of a mapped path with open(2) flags; -1 and errno
// on failure. The drive's own folder is opened by its host path (a drive may be reached
// through a link); below it no link is followed.
int openMapped(const Mapped& m, std::size_t count, int flags);

// The mapped folder itself, for listing.
int openDirectory(const Mapped& m);

// A folder's entry `name` opened for listing as openDirectory would open it by path: no
// link is followed (a link fails with ENOTDIR, as a file does).
int openSubdirectory(int parentFd, std::string_view name);

// The folder that holds a mapped path's last component, opened as a path only, and that
// component's name. Fails with EACCES for a drive's own folder, which has no parent here.
struct Parent {
    int fd = -1;
    std::string name;

    Parent() = default;
    Parent(const Parent&) = delete;
    Parent& operator=(const Parent&) = delete;
    ~Parent();
};

bool openParent(const Mapped& m, Parent& parent);

} // namespace nuvero::platform::posix
