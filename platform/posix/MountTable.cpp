#include "platform/posix/MountTable.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <sys/sysmacros.h>

namespace nuvero::platform {

namespace {

// mountinfo escapes blanks, tabs, newlines and backslashes as \ooo.
std::string unescape(std::string_view s)
{
    const auto oct = [](char c) { return c >= '0' && c <= '7'; };
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size() && oct(s[i + 1]) && oct(s[i + 2]) && oct(s[i + 3])) {
            out.push_back(static_cast<char>((s[i + 1] - '0') * 64 + (s[i + 2] - '0') * 8 + (s[i + 3] - '0')));
            i += 3;
            continue;
        }
        out.push_back(s[i]);
    }
    return out;
}

} // namespace

bool MountTable::isPseudoType(std::string_view type)
{
    static constexpr std::string_view types[] = { "proc", "sysfs", "devtmpfs", "devpts", "cgroup", "cgroup2",
        "securityfs", "debugfs", "tracefs", "pstore", "bpf", "configfs", "fusectl", "mqueue", "hugetlbfs", "autofs",
        "binfmt_misc", "efivarfs", "selinuxfs", "rpc_pipefs", "nsfs", "ramfs" };
    return std::find(std::begin(types), std::end(types), type) != std::end(types);
}

MountTable MountTable::parse(std::string_view mountinfo)
{
    MountTable table;
    std::istringstream in { std::string(mountinfo) };
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string id, parent, devText, root, mountPoint;
        if (!(fields >> id >> parent >> devText >> root >> mountPoint))
            continue;
        const auto dash = line.find(" - ");
        if (dash == std::string::npos)
            continue;
        std::istringstream tail(line.substr(dash + 3));
        std::string type;
        if (!(tail >> type) || !isPseudoType(type))
            continue;
        const auto colon = devText.find(':');
        if (colon == std::string::npos)
            continue;
        unsigned major = 0;
        unsigned minor = 0;
        try {
            major = static_cast<unsigned>(std::stoul(devText.substr(0, colon)));
            minor = static_cast<unsigned>(std::stoul(devText.substr(colon + 1)));
        } catch (...) {
            continue;
        }
        table.m_pseudo.push_back({ unescape(mountPoint), makedev(major, minor), type });
    }
    return table;
}

MountTable MountTable::readSystem()
{
    std::ifstream in("/proc/self/mountinfo");
    if (!in)
        return {};
    std::ostringstream text;
    text << in.rdbuf();
    return parse(text.str());
}

bool MountTable::isPseudoDevice(std::uint64_t device) const
{
    return std::any_of(m_pseudo.begin(), m_pseudo.end(), [&](const Mount& m) { return m.device == device; });
}

} // namespace nuvero::platform
