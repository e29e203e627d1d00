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
//               [--threads N] ROOTS
struct WalkOptions {
    std::map<char, std::string> drives; // empty: the settings file's drive table serves
    std::string mask = "*.*";
    bool afterDate = true;
    int timeKind = -1;
    std::optional<DateTime> threshold; // none: 24 hours before now
    bool rusNames = false;
    int unit = 1;
    std::vector<std::string> exclusions;
    int threads = 2; // threads that read folders: 1 = the walk's own only, 2 = one read-ahead thread more
    std::string roots;

    // Reads argv; on a bad option returns nothing and sets error to a one-line message.
    static std::optional<WalkOptions> parse(int argc, const char* const* argv, std::string& error);
};

} // namespace nuvero::bench
