#include "platform/win32/ProgramPath.h"

#include "platform/PathComponents.h"

namespace nuvero::platform::win32 {

namespace {

bool isSeparator(char c)
{
    return c == '\\' || c == '/';
}

bool isDriveLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

} // namespace

std::optional<ProgramPath> parseProgramPath(std::string_view path)
{
    if (path.find('\0') != std::string_view::npos)
        return std::nullopt;
    ProgramPath result;
    if (path.size() >= 2 && isDriveLetter(path[0]) && path[1] == ':') {
        result.driveLetter = path[0];
        result.text = std::string(path.substr(0, 2)) + "\\";
        const auto parts = pathComponents(path.substr(2));
        appendJoined(result.text, parts, '\\');
        result.isRoot = parts.empty();
        return result;
    }
    if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        // A share: "\\server\share\...". The server and the share name are the root;
        // ".." never climbs above them.
        std::string_view rest = path.substr(2);
        std::string_view names[2];
        for (auto& name : names) {
            std::size_t end = 0;
            while (end < rest.size() && !isSeparator(rest[end]))
                ++end;
            name = rest.substr(0, end);
            rest.remove_prefix(end == rest.size() ? end : end + 1);
            if (name.empty() || name == "." || name == ".." || name == "?")
                return std::nullopt;
        }
        const auto parts = pathComponents(rest);
        result.isUnc = true;
        result.text = "\\\\" + std::string(names[0]) + "\\" + std::string(names[1]) + "\\";
        appendJoined(result.text, parts, '\\');
        result.isRoot = parts.empty();
        return result;
    }
    return std::nullopt;
}

std::string systemForm(const ProgramPath& path)
{
    if (path.isUnc)
        return "\\\\?\\UNC\\" + path.text.substr(2);
    return "\\\\?\\" + path.text;
}

int ioCodeFromSystemError(unsigned long error)
{
    constexpr unsigned long HandleDiskFull = 39;
    constexpr unsigned long DiskFull = 112;
    if (error == HandleDiskFull || error == DiskFull)
        return IoCode::DiskFull;
    if (error > 0x7FFFFFFFUL)
        return 31; // not a system error number: "a device is not functioning"
    return static_cast<int>(error);
}

std::string fallbackDriveDisplayName(char letter, DriveType type)
{
    std::string label;
    switch (type) {
    case DriveType::Removable:
        label = "Removable Disk";
        break;
    case DriveType::CdRom:
        label = "CD Drive";
        break;
    case DriveType::Remote:
        label = "Network Drive";
        break;
    case DriveType::RamDisk:
        label = "RAM Disk";
        break;
    default:
        label = "Local Disk";
        break;
    }
    const char upper = static_cast<char>(letter >= 'a' && letter <= 'z' ? letter - 'a' + 'A' : letter);
    return label + " (" + upper + ":)";
}

} // namespace nuvero::platform::win32
