// Program paths ("X:\a\..\b") typed by the user or built from names on disk, mapped onto
// host paths: the result must never leave the drive's folder.
#include "platform/Platform.h"

#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool setUp()
{
    // A private settings folder with C: on /srv/nuvero-fuzz (which need not exist).
    char templ[] = "/tmp/nuvero-fuzz-XXXXXX";
    if (!::mkdtemp(templ))
        std::abort();
    const std::string home = templ;
    ::setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    ::mkdir((home + "/nuvero").c_str(), 0700);
    std::ofstream(home + "/nuvero/lamer.Ini") << "[drives]\nc=/srv/nuvero-fuzz\nd=/srv/nuvero-fuzz/inner\n";
    nuvero::platform::reloadConfiguration();
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = setUp();
    (void)ready;
    const std::string path(reinterpret_cast<const char*>(data), size);
    const auto host = nuvero::platform::nativePath(path);
    if (!host)
        return 0;
    const std::string c = "/srv/nuvero-fuzz";
    const std::string d = "/srv/nuvero-fuzz/inner";
    const bool inC = host->compare(0, c.size(), c) == 0 && (host->size() == c.size() || (*host)[c.size()] == '/');
    if (!inC)
        std::abort();
    // C: never reaches into D:'s folder.
    if ((path[0] == 'c' || path[0] == 'C') && host->compare(0, d.size(), d) == 0
        && (host->size() == d.size() || (*host)[d.size()] == '/'))
        std::abort();
    if (host->find("/../") != std::string::npos || host->find("//") != std::string::npos)
        std::abort();
    const auto back = nuvero::platform::fromNativePath(*host);
    if (!back)
        std::abort();
    return 0;
}
