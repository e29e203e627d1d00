#pragma once

#include "platform/IniFile.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nuvero::platform {

// The Linux drive table: which host folder each drive letter stands for. Read from the
// section [drives] of the settings file ("c=/", "d=/home/ann"); letters are taken without
// regard to case, values must be absolute folders, bad lines are ignored, and a folder
// given twice keeps its first letter. Without any usable line, C: is "/" and D: the
// user's home folder.
class DriveTable {
public:
    static DriveTable fromSettings(const IniFile& settings, std::string_view homeFolder);

    // Host folder of a drive, without a trailing "/" (except "/" itself).
    std::optional<std::string> hostFolder(char letter) const;
    std::uint32_t mask() const;

    // Host folders of the other drives that lie inside this drive's folder: they belong
    // to their own drive and are never entered from this one.
    std::vector<std::string> nestedRoots(char letter) const;

    const std::string& homeFolder() const { return m_home; }

private:
    std::array<std::optional<std::string>, 26> m_folders;
    std::string m_home;
};

// Index 0..25 of a drive letter, or -1.
int driveIndex(char letter);

// "/a/b/" -> "/a/b"; "/" stays.
std::string trimTrailingSlashes(std::string path);

// True when path is folder itself or lies below it ("/a" holds "/a/b", not "/ab").
bool pathWithin(std::string_view path, std::string_view folder);

} // namespace nuvero::platform
