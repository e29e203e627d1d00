#include "platform/posix/DriveTable.h"

namespace nuvero::platform {

int driveIndex(char letter)
{
    if (letter >= 'a' && letter <= 'z')
        return letter - 'a';
    if (letter >= 'A' && letter <= 'Z')
        return letter - 'A';
    return -1;
}

std::string trimTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

bool pathWithin(std::string_view path, std::string_view folder)
{
    if (folder == "/")
        return !path.empty() && path.front() == '/';
    if (path.size() < folder.size() || path.substr(0, folder.size()) != folder)
        return false;
    return path.size() == folder.size() || path[folder.size()] == '/';
}

DriveTable DriveTable::fromSettings(const IniFile& settings, std::string_view homeFolder)
{
    DriveTable table;
    table.m_home = homeFolder.empty() ? std::string() : trimTrailingSlashes(std::string(homeFolder));
    bool any = false;
    for (const auto& [key, value] : settings.section("drives")) {
        if (key.size() != 1 || driveIndex(key[0]) < 0)
            continue;
        if (value.empty() || value.front() != '/' || value.find('\0') != std::string::npos)
            continue;
        const std::string folder = trimTrailingSlashes(value);
        auto& slot = table.m_folders[static_cast<std::size_t>(driveIndex(key[0]))];
        if (slot)
            continue;
        bool taken = false;
        for (const auto& other : table.m_folders)
            taken = taken || (other && *other == folder);
        if (taken)
            continue;
        slot = folder;
        any = true;
    }
    if (!any) {
        table.m_folders[2].emplace(1, '/');
        if (!table.m_home.empty() && table.m_home.front() == '/' && table.m_home != "/")
            table.m_folders[3] = table.m_home;
    }
    return table;
}

std::optional<std::string> DriveTable::hostFolder(char letter) const
{
    const int index = driveIndex(letter);
    if (index < 0)
        return std::nullopt;
    return m_folders[static_cast<std::size_t>(index)];
}

std::uint32_t DriveTable::mask() const
{
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < m_folders.size(); ++i) {
        if (m_folders[i])
            bits |= 1u << i;
    }
    return bits;
}

std::vector<std::string> DriveTable::nestedRoots(char letter) const
{
    std::vector<std::string> nested;
    const auto own = hostFolder(letter);
    if (!own)
        return nested;
    for (const auto& other : m_folders) {
        if (other && *other != *own && pathWithin(*other, *own))
            nested.push_back(*other);
    }
    return nested;
}

} // namespace nuvero::platform
