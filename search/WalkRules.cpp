#include "search/WalkRules.h"

#include "platform/Utf8.h"

#include <utility>

namespace nuvero {

namespace {

constexpr char foldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

constexpr bool isContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

constexpr bool isDotName(std::string_view name)
{
    return !name.empty() && name.front() == '.';
}

} // namespace

std::vector<std::string> WalkRules::splitRoots(std::string_view roots)
{
    // Every ";" closes a root, and the end of the text closes the last one (as if a ";"
    // were appended). One byte at a time is enough: the byte of ";" never occurs inside
    // another character's UTF-8 bytes.
    std::vector<std::string> pieces;
    std::string root;
    for (const char c : roots) {
        if (c != ';') {
            root.push_back(c);
            continue;
        }
        pieces.push_back(std::move(root));
        root.clear();
    }
    pieces.push_back(std::move(root));
    return pieces;
}

std::string WalkRules::rootFolder(std::string_view root)
{
    std::string folder(root);
    if (!root.empty() && root.back() == ':' && utf8::countChars(root) == 2)
        folder.push_back('\\');
    return folder;
}

std::string WalkRules::joinPath(std::string_view dir, std::string_view name)
{
    std::string path;
    path.reserve(dir.size() + 1 + name.size());
    path.append(dir);
    if (dir.empty() || dir.back() != '\\')
        path.push_back('\\');
    path.append(name);
    return path;
}

bool WalkRules::PathAllowed(std::string_view path, const std::shared_ptr<const Exclusions>& snapshot)
{
    if (snapshot != m_exclusions) {
        m_exclusions = snapshot;
        m_foldedExclusions.clear();
        if (m_exclusions) {
            for (const std::string& item : *m_exclusions)
                m_foldedExclusions.push_back(foldItem(item));
        }
    }
    return allowedByFolded(path, m_foldedExclusions);
}

bool WalkRules::PathAllowed(std::string_view path, const Exclusions& items)
{
    std::vector<std::string> folded;
    folded.reserve(items.size());
    for (const std::string& item : items)
        folded.push_back(foldItem(item));
    return allowedByFolded(path, folded);
}

std::string WalkRules::foldItem(std::string_view item)
{
    std::string folded(item);
    for (char& c : folded)
        c = foldAscii(c);
    return folded;
}

bool WalkRules::allowedByFolded(std::string_view path, const std::vector<std::string>& foldedItems)
{
    // Every item is tested, whatever the earlier ones gave.
    bool allowed = true;
    for (const std::string& item : foldedItems) {
        if (matchesFolded(path, item))
            allowed = false;
    }
    return allowed;
}

bool WalkRules::matchesFolded(std::string_view path, std::string_view item)
{
    if (item.size() > path.size())
        return false;
    for (std::size_t i = 0; i < item.size(); ++i) {
        if (foldAscii(path[i]) != item[i])
            return false;
    }
    // The path is cut by characters: an item that ends inside what is one longer character
    // of the path (only possible with an item ending in a broken sequence) is no prefix.
    if (item.size() < path.size() && isContinuationByte(path[item.size()])) {
        std::size_t pos = 0;
        while (pos < item.size())
            pos += utf8::decode(path, pos).length;
        return pos == item.size();
    }
    return true;
}

bool WalkRules::mayBeRow(const platform::DirEntry& entry)
{
    return (entry.attributes & 0xFFu) == entry.attributes && !isDotName(entry.name);
}

bool WalkRules::isWalkedFolder(const platform::DirEntry& entry)
{
    return entry.isDirectory() && (entry.attributes & platform::Attr::ReparsePoint) == 0 && !isDotName(entry.name);
}

bool WalkRules::HasRusLetters(std::string_view name)
{
    for (std::size_t pos = 0; pos < name.size();) {
        if (static_cast<unsigned char>(name[pos]) < 0x80) {
            ++pos;
            continue;
        }
        const utf8::Char c = utf8::decode(name, pos);
        if (c.valid && c.code >= 0x0410 && c.code <= 0x044F)
            return true;
        pos += c.length;
    }
    return false;
}

} // namespace nuvero
