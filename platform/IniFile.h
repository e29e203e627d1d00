#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace nuvero::platform {

// An INI text as the Windows profile functions read it: "[section]" lines open a
// section, "key=value" lines give values; section and key names compare without regard
// to ASCII case, names and values are trimmed of blanks, a value wholly in double quotes
// loses them, lines starting with ";" and lines without "=" are ignored, and the first of
// two equal keys wins. Any bytes are accepted; nothing is ever an error.
class IniFile {
public:
    using Entry = std::pair<std::string, std::string>;

    static IniFile parse(std::string_view text);

    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    // Every key and value of a section, in file order (for the drive table).
    std::vector<Entry> section(std::string_view name) const;

private:
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };
    std::vector<Section> m_sections;
};

// The largest settings file that is read; what lies beyond is ignored, so that a huge
// or binary file cannot stall the start.
inline constexpr std::size_t MaxSettingsFileSize = 1 << 20;

} // namespace nuvero::platform
