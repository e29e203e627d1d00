#include "platform/PathComponents.h"

namespace nuvero::platform {

std::vector<std::string_view> pathComponents(std::string_view rest)
{
    std::vector<std::string_view> parts;
    std::size_t pos = 0;
    while (pos <= rest.size()) {
        std::size_t end = rest.find_first_of("\\/", pos);
        if (end == std::string_view::npos)
            end = rest.size();
        const std::string_view part = rest.substr(pos, end - pos);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        pos = end + 1;
    }
    return parts;
}

void appendJoined(std::string& text, std::span<const std::string_view> parts, char separator)
{
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            text.push_back(separator);
        text.append(parts[i]);
    }
}

} // namespace nuvero::platform
