// The POSIX back end's configuration, the settings read from it, and the shell's names
// for the computer and the drives.

#include "platform/posix/HostConfiguration.h"
#include "platform/Platform.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nuvero::platform {

namespace posix {

namespace {

std::string homeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home == '/')
        return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return {};
}

std::string computeSettingsPath()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (xdg && *xdg == '/')
        base = xdg;
    else if (const std::string home = homeFolder(); !home.empty())
        base = home + "/.config";
    else
        base = "/tmp";
    return base + "/nuvero/lamer.Ini";
}

std::string readSettingsText(const std::string& path)
{
    std::string text;
    // Only a regular file is read: a pipe or a device put in its place would stall the
    // start (a pipe without a writer never ends, /dev/zero never ends either).
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return text;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return text;
    }
    text.resize(MaxSettingsFileSize);
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::read(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    text.resize(done);
    ::close(fd);
    return text;
}

std::shared_ptr<const Configuration> loadConfiguration()
{
    auto config = std::make_shared<Configuration>();
    config->settingsPath = computeSettingsPath();
    config->settings = IniFile::parse(readSettingsText(config->settingsPath));
    config->drives = DriveTable::fromSettings(config->settings, homeFolder());
    config->mounts = MountTable::readSystem();
    config->probes = DriveProbes(config->drives);
    return config;
}

std::mutex g_configMutex;
std::shared_ptr<const Configuration> g_config;

} // namespace

std::shared_ptr<const Configuration> configuration()
{
    {
        std::lock_guard lock(g_configMutex);
        if (g_config)
            return g_config;
    }
    // Read without the lock, which every folder lister takes: reading the settings file
    // is a file system call. Of two first readers racing here, the first one's set stays.
    auto fresh = loadConfiguration();
    std::lock_guard lock(g_configMutex);
    if (!g_config)
        g_config = std::move(fresh);
    return g_config;
}

} // namespace posix

using posix::configuration;

// ---- settings ---------------------------------------------------------------------------------

std::string readProfileString(std::string_view section, std::string_view key, std::string_view defaultValue)
{
    const auto value = configuration()->settings.value(section, key);
    return value ? *value : std::string(defaultValue);
}

std::string settingsFilePath()
{
    return configuration()->settingsPath;
}

void reloadConfiguration()
{
    auto fresh = posix::loadConfiguration();
    std::lock_guard lock(posix::g_configMutex);
    posix::g_config = std::move(fresh);
}

// ---- shell ------------------------------------------------------------------------------------

std::string computerDisplayName()
{
    return "Computer";
}

std::string driveDisplayName(char letter)
{
    const auto config = configuration();
    const auto folder = config->drives.hostFolder(letter);
    if (!folder)
        return {};
    std::string label;
    if (*folder == "/")
        label = "File System";
    else if (*folder == config->drives.homeFolder())
        label = "Home";
    else
        label = folder->substr(folder->rfind('/') + 1);
    const char upper = static_cast<char>(letter >= 'a' && letter <= 'z' ? letter - 'a' + 'A' : letter);
    return label + " (" + upper + ":)";
}

} // namespace nuvero::platform
