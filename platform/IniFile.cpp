#include "platform/IniFile.h"

namespace nuvero::platform {

namespace {

std::string_view trim(std::string_view s)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool equalsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

} // namespace

IniFile IniFile::parse(std::string_view text)
{
    IniFile ini;
    Section* current = nullptr;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            if (close == std::string_view::npos)
                continue;
            const std::string_view name = trim(line.substr(1, close - 1));
            current = nullptr;
            for (auto& s : ini.m_sections) {
                if (equalsNoCase(s.name, name))
                    current = &s;
            }
            if (!current) {
                ini.m_sections.push_back({ std::string(name), {} });
                current = &ini.m_sections.back();
            }
            continue;
        }
        if (!current)
            continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            continue;
        const std::string_view key = trim(line.substr(0, eq));
        std::string_view value = trim(line.substr(eq + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        current->entries.emplace_back(std::string(key), std::string(value));
    }
    return ini;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const
{
    for (const auto& s : m_sections) {
        if (!equalsNoCase(s.name, section))
            continue;
        for (const auto& [k, v] : s.entries) {
            if (equalsNoCase(k, key))
                return v;
        }
    }
    return std::nullopt;
}

std::vector<IniFile::Entry> IniFile::section(std::string_view name) const
{
    for (const auto& s : m_sections) {
        if (equalsNoCase(s.name, name))
            return s.entries;
    }
    return {};
}

} // namespace nuvero::platform
