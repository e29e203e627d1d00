#pragma once

#include "platform/DirEntry.h"
#include "search/SearchCriteria.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace nuvero {

// The rules of the walk that need no file system: how a roots text is cut into roots and a
// folder path is formed, which folders the exclusion list keeps out, which entries may become
// rows or are walked into, and which names count for "Rus names". DirectoryWalk applies them
// on the search worker. An object holds only the folded items of the last exclusion snapshot
// it was given, so it belongs to one thread; the static rules may be called from anywhere.
class WalkRules {
public:
    using Exclusions = SearchCriteria::Exclusions;

    // The roots of a roots text, in the order written: the text with ";" appended, cut at
    // every ";". Nothing is trimmed; an empty piece (";;", or the ";" that ends the drive
    // list) is a root too, one that yields nothing. "" gives one empty root.
    static std::vector<std::string> splitRoots(std::string_view roots);
    // The root folder of a root as typed: "c:" becomes "c:\", anything else stays as it is.
    static std::string rootFolder(std::string_view root);
    // dir, "\" and name, without doubling a separator that dir ends with.
    static std::string joinPath(std::string_view dir, std::string_view name);

    // Exclusion test: false when any item, folded to lower case in the letters A-Z only,
    // equals the path folded the same way and cut to the item's length. An empty item
    // excludes every path. This form tests against an immutable snapshot (null counts as an
    // empty list) and folds its items only when the snapshot is another than last time.
    bool PathAllowed(std::string_view path, const std::shared_ptr<const Exclusions>& snapshot);
    // The same test against a list, folded for this one call.
    static bool PathAllowed(std::string_view path, const Exclusions& items);

    // An entry the mask pass may turn into a row: no attribute flag of 256 or above
    // (reparse points, compressed, encrypted, ...) and a name that does not begin with ".".
    static bool mayBeRow(const platform::DirEntry& entry);
    // A subfolder the walk goes into: a folder whose name does not begin with ".", and no
    // link (a reparse point: a Windows junction or folder link, a symbolic link here), so
    // that a link pointing above itself cannot make the walk endless.
    static bool isWalkedFolder(const platform::DirEntry& entry);

    // "Rus names": true when the name holds a character from U+0410 to U+044F (the basic
    // Cyrillic letters; Ё and ё do not count). Bytes that are not UTF-8 count as no letter.
    static bool HasRusLetters(std::string_view name);

private:
    static std::string foldItem(std::string_view item);
    static bool allowedByFolded(std::string_view path, const std::vector<std::string>& foldedItems);
    static bool matchesFolded(std::string_view path, std::string_view foldedItem);

    std::shared_ptr<const Exclusions> m_exclusions;
    std::vector<std::string> m_foldedExclusions;
};

} // namespace nuvero
