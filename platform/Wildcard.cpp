#include "platform/Platform.h"
#include "platform/Utf8.h"

namespace nuvero::platform {

namespace {

// Decoded character for matching: invalid bytes keep a value above every code point so
// that they only ever match themselves (or "?", "*").
char32_t at(std::string_view s, std::size_t pos, std::size_t& length)
{
    const utf8::Char c = utf8::decode(s, pos);
    length = c.length;
    return c.valid ? utf8::foldCase(c.code) : 0x110000 + c.code;
}

} // namespace

bool wildcardMatch(std::string_view pattern, std::string_view name)
{
    if (pattern == "*" || pattern == "*.*")
        return true;
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starN = 0;
    while (n < name.size()) {
        std::size_t plen = 0;
        std::size_t nlen = 0;
        if (p < pattern.size()) {
            if (pattern[p] == '*') {
                starP = ++p;
                starN = n;
                continue;
            }
            const char32_t pc = at(pattern, p, plen);
            const char32_t nc = at(name, n, nlen);
            if (pattern[p] == '?' || pc == nc) {
                p += plen;
                n += nlen;
                continue;
            }
        }
        if (starP == std::string_view::npos)
            return false;
        // Let the last "*" take one more character of the name and try again.
        at(name, starN, nlen);
        starN += nlen;
        n = starN;
        p = starP;
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

// The mask listing is the full listing filtered by the wildcard rules, on every system:
// the walk reads each folder once, and the Windows listing's matching of 8.3 short names
// is deliberately not applied.
bool listMatching(std::string_view folderPath, std::string_view pattern, std::vector<DirEntry>& out)
{
    Folder folder = Folder::open(folderPath);
    std::vector<DirEntry> all;
    if (!folder.isOpen())
        return false;
    const bool ok = folder.readAll(all);
    for (auto& e : all) {
        if (wildcardMatch(pattern, e.name))
            out.push_back(std::move(e));
    }
    return ok;
}

} // namespace nuvero::platform
