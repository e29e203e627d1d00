// The exclusion list as typed into "Excluded paths" against folder paths found on disk,
// and the "Rus names" test on names: any bytes on both sides.
#include "fuzz/FuzzInput.h"
#include "platform/Utf8.h"
#include "search/SearchCriteria.h"
#include "search/WalkRules.h"

#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using nuvero::fuzz::check;

// The rule written out plainly: an item excludes a path when, with only A-Z folded (the C
// locale's tolower), it is the path cut to the item's length in characters.
bool excludes(std::string_view item, std::string_view path)
{
    std::size_t cut = 0;
    std::size_t chars = 0;
    const std::size_t itemChars = nuvero::utf8::countChars(item);
    while (chars < itemChars && cut < path.size()) {
        cut += nuvero::utf8::decode(path, cut).length;
        ++chars;
    }
    if (chars < itemChars || cut != item.size())
        return false;
    for (std::size_t i = 0; i < cut; ++i) {
        if (std::tolower(static_cast<unsigned char>(item[i])) != std::tolower(static_cast<unsigned char>(path[i])))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace nuvero;
    const auto [path, list] = fuzz::splitTwo(data, size);
    SearchCriteria::Exclusions items;
    for (std::size_t pos = 0; pos <= list.size();) {
        std::size_t end = list.find('\n', pos);
        if (end == std::string_view::npos)
            end = list.size();
        items.emplace_back(list.substr(pos, end - pos));
        pos = end + 1;
    }

    bool expected = true;
    for (const std::string& item : items)
        expected = expected && !excludes(item, path);
    check(WalkRules::PathAllowed(path, items) == expected);
    // No item excludes nothing; an empty item and the path itself exclude it.
    check(WalkRules::PathAllowed(path, SearchCriteria::Exclusions {}));
    check(!WalkRules::PathAllowed(path, { "" }));
    check(!WalkRules::PathAllowed(path, { std::string(path) }));

    // "Rus names": a character from U+0410 to U+044F.
    bool russian = false;
    for (std::size_t pos = 0; pos < path.size();) {
        const utf8::Char c = utf8::decode(path, pos);
        russian = russian || (c.valid && c.code >= 0x410 && c.code <= 0x44F);
        pos += c.length;
    }
    check(WalkRules::HasRusLetters(path) == russian);
    return 0;
}
