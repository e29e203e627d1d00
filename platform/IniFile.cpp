#include "platform/IniFile.h"

#include <unordered_map>

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

std::string foldedName(std::string_view name)
{
    std::string folded(name);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

} // namespace

IniFile IniFile::parse(std::string_view text)
{
    IniFile ini;
    // Sections are found again by their folded name through an index, not by a search of
    // the list: a file of a megabyte of distinct "[x]" lines must not stall the start.
    std::unordered_map<std::string, std::size_t> sectionIndex;
    constexpr std::size_t None = static_cast<std::size_t>(-1);
    std::size_t current = None;
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
            const auto [it, added] = sectionIndex.try_emplace(foldedName(name), ini.m_sections.size());
            if (added)
                ini.m_sections.push_back({ std::string(name), {} });
            current = it->second;
            continue;
        }
        if (current == None)
            continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            continue;
        const std::string_view key = trim(line.substr(0, eq));
        std::string_view value = trim(line.substr(eq + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        ini.m_sections[current].entries.emplace_back(std::string(key), std::string(value));
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
