#pragma once

#include "platform/DateTime.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace nuvero::bench {

// Command line of nuvero-walk:
//   nuvero-walk [--drive X=HOSTDIR]... [--mask MASK] [--no-after-date] [--time-kind N]
//               [--threshold "dd.mm.yyyy hh:nn:ss"] [--rus] [--unit N] [--exclude PREFIX]...
//               [--threads N] [--remote-readers N] [--all-remote] ROOTS
struct WalkOptions {
    std::map<char, std::string> drives; // empty: the settings file's drive table serves
    std::string mask = "*.*";
    bool afterDate = true;
    int timeKind = -1;
    std::optional<DateTime> threshold; // none: 24 hours before now
    bool rusNames = false;
    int unit = 1;
    std::vector<std::string> exclusions;
    int threads = 2; // threads that read folders on a local disk: 1 = the walk's own only, more = read-ahead threads
    int remoteReaders = 64; // readers on network and FUSE roots; 0: as on a local disk
    bool allRemote = false; // every root read as a remote one
    std::string roots;

    // Reads argv; on a bad option returns nothing and sets error to a one-line message.
    static std::optional<WalkOptions> parse(int argc, const char* const* argv, std::string& error);
};

} // namespace nuvero::bench
