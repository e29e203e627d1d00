#include "support/TestDrives.h"

#include "platform/Platform.h"
#include "support/TempTree.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace nuvero::test {

TestDrives::TestDrives()
{
#ifndef _WIN32
    std::string folder = (std::filesystem::temp_directory_path() / "nuvero-config-XXXXXX").string();
    if (!::mkdtemp(folder.data()))
        throw std::runtime_error("mkdtemp failed");
    std::filesystem::create_directories(folder + "/nuvero");
    m_configHome = folder;
    m_settingsPath = folder + "/nuvero/lamer.Ini";
    ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
#endif
    platform::reloadConfiguration();
}

TestDrives::~TestDrives()
{
    std::error_code ec;
    if (!m_configHome.empty())
        std::filesystem::remove_all(m_configHome, ec);
    platform::reloadConfiguration(); // no settings file: the default drives
}

char TestDrives::driveFor(const TempTree& tree, char preferred)
{
    if (tree.driveLetter())
        return tree.driveLetter();
    m_drives[preferred] = tree.root();
    map(m_drives, m_extraIni);
    return preferred;
}

char TestDrives::unusedLetter()
{
    for (char letter = 'z'; letter >= 'd'; --letter) {
        if ((platform::logicalDrives() & (1u << (letter - 'a'))) == 0)
            return letter;
    }
    throw std::runtime_error("every drive letter is taken");
}

void TestDrives::map(const std::map<char, std::string>& drives, const std::string& extraIni)
{
    if (m_configHome.empty())
        throw std::logic_error("drive letters cannot be mapped onto folders on Windows: use driveFor()");
    m_drives = drives;
    m_extraIni = extraIni;
    std::ofstream out(m_settingsPath, std::ios::binary | std::ios::trunc);
    out << "[drives]\n";
    for (const auto& [letter, folder] : drives)
        out << letter << "=" << folder << "\n";
    out << extraIni;
    if (!out.flush())
        throw std::runtime_error("cannot write " + m_settingsPath);
    platform::reloadConfiguration();
}

} // namespace nuvero::test
