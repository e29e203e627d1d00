#include "support/TestDrives.h"

#include "platform/Platform.h"
#include "support/TempTree.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace nuvero::test {

namespace {

// Settings paths are UTF-8 on both systems.
std::filesystem::path fsPath(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

void writeFile(const std::string& path, const std::string& content)
{
    std::ofstream out(fsPath(path), std::ios::binary | std::ios::trunc);
    out << content;
    out.close();
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

#ifndef _WIN32
void setEnv(const char* name, const std::string& value)
{
    ::setenv(name, value.c_str(), 1);
}
#endif

} // namespace

TestDrives::TestDrives()
{
#ifdef _WIN32
    m_settingsPath = platform::settingsFilePath();
#else
    std::string templ = (std::filesystem::temp_directory_path() / "nuvero-config-XXXXXX").string();
    if (!::mkdtemp(templ.data()))
        throw std::runtime_error("mkdtemp failed");
    m_configHome = templ;
    std::filesystem::create_directories(std::filesystem::path(m_configHome) / "nuvero");
    m_settingsPath = m_configHome + "/nuvero/lamer.Ini";
    if (const char* old = std::getenv("XDG_CONFIG_HOME")) {
        m_hadValue = true;
        m_savedValue = old;
    }
    setEnv("XDG_CONFIG_HOME", m_configHome);
#endif
    platform::reloadConfiguration();
}

TestDrives::~TestDrives()
{
    std::error_code ec;
#ifdef _WIN32
    if (m_touchedSettings && m_hadSettings) {
        try {
            writeFile(m_settingsPath, m_savedSettings);
        } catch (const std::exception&) {
        }
    } else if (m_touchedSettings) {
        std::filesystem::remove(fsPath(m_settingsPath), ec);
    }
#else
    if (m_hadValue)
        setEnv("XDG_CONFIG_HOME", m_savedValue);
    else
        ::unsetenv("XDG_CONFIG_HOME");
    std::filesystem::remove_all(m_configHome, ec);
#endif
    platform::reloadConfiguration();
}

char TestDrives::driveFor(const TempTree& tree, char preferred)
{
#ifdef _WIN32
    (void)preferred;
    return tree.driveLetter();
#else
    m_drives[preferred] = tree.root();
    map(m_drives, m_extraIni);
    return preferred;
#endif
}

char TestDrives::unusedLetter()
{
    const std::uint32_t present = platform::logicalDrives();
    for (char letter = 'z'; letter >= 'd'; --letter) {
        if ((present & (1u << (letter - 'a'))) == 0)
            return letter;
    }
    throw std::runtime_error("every drive letter is taken");
}

void TestDrives::map(const std::map<char, std::string>& drives, const std::string& extraIni)
{
#ifdef _WIN32
    (void)drives;
    (void)extraIni;
    throw std::logic_error("drive letters cannot be mapped onto folders on Windows: use driveFor()");
#else
    m_drives = drives;
    m_extraIni = extraIni;
    std::string text = "[drives]\n";
    for (const auto& [letter, folder] : drives)
        text += std::string(1, letter) + "=" + folder + "\n";
    writeSettings(text + extraIni);
#endif
}

void TestDrives::keepSettings()
{
#ifdef _WIN32
    // The settings file is shared by every test program on Windows: only a test that
    // changes it saves and restores it, so that tests running side by side that never
    // touch it cannot undo its changes.
    if (m_touchedSettings)
        return;
    m_touchedSettings = true;
    std::ifstream in(fsPath(m_settingsPath), std::ios::binary);
    if (in) {
        std::ostringstream s;
        s << in.rdbuf();
        m_savedSettings = s.str();
        m_hadSettings = true;
    }
#endif
}

void TestDrives::writeSettings(const std::string& content)
{
    keepSettings();
    writeFile(m_settingsPath, content);
    platform::reloadConfiguration();
}

void TestDrives::removeSettings()
{
    keepSettings();
    std::error_code ec;
    std::filesystem::remove(fsPath(m_settingsPath), ec);
    platform::reloadConfiguration();
}

} // namespace nuvero::test
