#include "platform/Wildcard.h"

#include "platform/Utf8.h"

#include <algorithm>
#include <string>
#include <vector>

namespace nuvero::platform {

namespace {

// Case-folded characters; an invalid byte keeps a value above every code point so that it
// only ever matches itself (or "?", "*").
void decodeFolded(std::string_view text, std::u32string& out)
{
    out.clear();
    for (std::size_t pos = 0; pos < text.size();) {
        const utf8::Char c = utf8::decode(text, pos);
        out.push_back(c.valid ? utf8::foldCase(c.code) : 0x110000 + c.code);
        pos += c.length;
    }
}

// The mask walked over the name as a set of positions the name may have reached, one
// mask character at a time: no backtracking, so no mask costs more than its length times
// the name's. Runs on the search thread for every name, hence the buffers kept per thread.
class Matcher {
public:
    bool matches(std::u32string_view pattern, std::u32string_view name)
    {
        m_reached.assign(name.size() + 1, 0);
        m_reached[0] = 1;
        for (const char32_t pc : pattern) {
            m_next.assign(name.size() + 1, 0);
            if (pc == U'*') {
                const auto first = std::find(m_reached.begin(), m_reached.end(), 1);
                std::fill(m_next.begin() + (first - m_reached.begin()), m_next.end(), 1);
            } else {
                for (std::size_t i = 0; i <= name.size(); ++i) {
                    if (!m_reached[i])
                        continue;
                    if (i < name.size() && (pc == U'?' || pc == name[i]))
                        m_next[i + 1] = 1;
                    // "?" before a dot or at the end of the name may stand for nothing.
                    if (pc == U'?' && (i == name.size() || name[i] == U'.'))
                        m_next[i] = 1;
                }
            }
            m_reached.swap(m_next);
            if (std::find(m_reached.begin(), m_reached.end(), 1) == m_reached.end())
                return false;
        }
        return m_reached[name.size()] != 0;
    }

    std::u32string pattern;
    std::u32string name;

private:
    std::vector<char> m_reached;
    std::vector<char> m_next;
};

} // namespace

bool wildcardMatch(std::string_view pattern, std::string_view name)
{
    if (pattern == "*" || pattern == "*.*")
        return true;
    thread_local Matcher matcher;
    decodeFolded(pattern, matcher.pattern);
    decodeFolded(name, matcher.name);
    const std::u32string_view p = matcher.pattern;
    const std::u32string_view n = matcher.name;
    if (matcher.matches(p, n))
        return true;
    // "x.*" stands for "x" with any extension or none; "x." for "x" without one.
    if (p.ends_with(U".*"))
        return matcher.matches(p.substr(0, p.size() - 2), n);
    if (p.ends_with(U'.') && n.find(U'.') == std::u32string_view::npos)
        return matcher.matches(p.substr(0, p.size() - 1), n);
    return false;
}

} // namespace nuvero::platform
