// The settings file "lamer.Ini" and its [drives] section: any bytes a user's file may hold.
#include "platform/IniFile.h"
#include "platform/posix/DriveTable.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto ini = nuvero::platform::IniFile::parse(text);
    (void)ini.value("s", "a");
    const auto table = nuvero::platform::DriveTable::fromSettings(ini, "/home/fuzz");
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        const auto folder = table.hostFolder(letter);
        // Every drive names an absolute folder, never with a trailing "/" (but "/" itself).
        if (folder && (folder->empty() || folder->front() != '/' || (folder->size() > 1 && folder->back() == '/')))
            std::abort();
        (void)table.nestedRoots(letter);
    }
    if (table.mask() == 0)
        std::abort(); // at least the default C:
    return 0;
}
