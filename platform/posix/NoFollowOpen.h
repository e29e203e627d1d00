#pragma once

#include <string_view>

namespace nuvero::platform {

// Opens a host path below an open folder without following any symbolic link on the
// way: the walk never enters a link, and a command on a row never reaches through a link
// that took the place of one of the row's folders since the search.
//
// `relative` is a path below baseFd whose components are separated by single "/" (no
// leading or trailing "/", no "." or ".."); it may be far longer than the system takes in
// one call. Intermediate folders are opened as paths only; `flags` apply to the last
// component. Returns the new descriptor, or -1 with errno set (ELOOP when a component is
// a link, ENOTDIR when an intermediate one is no folder).
//
// Uses openat2 with RESOLVE_NO_SYMLINKS, one call for every PATH_MAX bytes of the path;
// where the kernel lacks it or a sandbox refuses it (asked once per process), one openat
// with O_NOFOLLOW for every component.
int openNoFollow(int baseFd, std::string_view relative, int flags);

} // namespace nuvero::platform
