#include "support/TestDrives.h"

#include "platform/Platform.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace nuvero::test {

namespace {

void setEnv(const char* name, const std::string& value)
{
#ifdef _WIN32
    _putenv_s(name, value.c_str());
#else
    ::setenv(name, value.c_str(), 1);
#endif
}

void unsetEnv(const char* name)
{
#ifdef _WIN32
    _putenv_s(name, "");
#else
    ::unsetenv(name);
#endif
}

} // namespace

TestDrives::TestDrives()
{
    const auto base = std::filesystem::temp_directory_path() / "nuvero-config-XXXXXX";
    std::string templ = base.string();
#ifdef _WIN32
    templ = (std::filesystem::temp_directory_path() / ("nuvero-config-" + std::to_string(std::rand()))).string();
    std::filesystem::create_directories(templ);
#else
    if (!::mkdtemp(templ.data()))
        throw std::runtime_error("mkdtemp failed");
#endif
    m_configHome = templ;
    std::filesystem::create_directories(std::filesystem::path(m_configHome) / "nuvero");
    if (const char* old = std::getenv("XDG_CONFIG_HOME")) {
        m_hadValue = true;
        m_savedValue = old;
    }
    setEnv("XDG_CONFIG_HOME", m_configHome);
    platform::reloadConfiguration();
}

TestDrives::~TestDrives()
{
    if (m_hadValue)
        setEnv("XDG_CONFIG_HOME", m_savedValue);
    else
        unsetEnv("XDG_CONFIG_HOME");
    std::error_code ec;
    std::filesystem::remove_all(m_configHome, ec);
    platform::reloadConfiguration();
}

void TestDrives::map(const std::map<char, std::string>& drives, const std::string& extraIni)
{
    std::string text = "[drives]\n";
    for (const auto& [letter, folder] : drives)
        text += std::string(1, letter) + "=" + folder + "\n";
    writeSettings(text + extraIni);
}

void TestDrives::writeSettings(const std::string& content)
{
    std::ofstream out(std::filesystem::path(m_configHome) / "nuvero" / "lamer.Ini", std::ios::binary | std::ios::trunc);
    out << content;
    out.close();
    platform::reloadConfiguration();
}

void TestDrives::removeSettings()
{
    std::error_code ec;
    std::filesystem::remove(std::filesystem::path(m_configHome) / "nuvero" / "lamer.Ini", ec);
    platform::reloadConfiguration();
}

} // namespace nuvero::test
