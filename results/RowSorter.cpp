#include "results/RowSorter.h"

#include "results/ResultColumns.h"
#include "results/TextCompare.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>
#include <unordered_map>
#include <utility>

namespace nuvero {

namespace {

// One row's place in a sort: the first sixteen key bytes as two numbers (most rows
// differ there, and comparing numbers is far cheaper than comparing texts), where the
// whole key lies in the key buffer, and the row's display position before the sort.
struct SortEntry {
    std::uint64_t prefix0 = 0;
    std::uint64_t prefix1 = 0;
    std::size_t offset = 0;
    std::uint32_t length = 0;
    std::uint32_t position = 0;
};

// Bytes of zeros after the last key, so that the fixed-size loads below stay inside.
constexpr std::size_t KeyPadding = 16;

// Eight key bytes from p as a number that orders like the bytes.
std::uint64_t load64(const char* p)
{
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    if constexpr (std::endian::native == std::endian::little) {
#if defined(_MSC_VER)
        v = _byteswap_uint64(v);
#else
        v = __builtin_bswap64(v);
#endif
    }
    return v;
}

// Eight bytes of a key from byte `from`, zeros past its end.
std::uint64_t keyWord(const char* key, std::size_t length, std::size_t from)
{
    if (length <= from)
        return 0;
    const std::uint64_t v = load64(key + from);
    const std::size_t have = length - from;
    return have >= 8 ? v : v & ~(~std::uint64_t(0) >> (8 * have));
}

// Byte order of two keys whose sixteen-byte prefixes are equal: eight bytes at a time
// from byte 16, then the shorter key first.
int compareRest(const char* a, std::uint32_t lengthA, const char* b, std::uint32_t lengthB)
{
    const std::uint32_t n = std::min(lengthA, lengthB);
    for (std::uint32_t p = 16; p < n; p += 8) {
        std::uint64_t wa = load64(a + p);
        std::uint64_t wb = load64(b + p);
        if (p + 8 > n) {
            const unsigned shift = 8 * (p + 8 - n);
            wa >>= shift;
            wb >>= shift;
        }
        if (wa != wb)
            return wa < wb ? -1 : 1;
    }
    return lengthA < lengthB ? -1 : (lengthA > lengthB ? 1 : 0);
}

const SharedText& singleSpace()
{
    static const SharedText text = makeSharedText(" ");
    return text;
}

} // namespace

RowSorter::Result RowSorter::sort(RowStore& store, std::span<const std::uint32_t> order, int column, bool descending)
{
    Result result;
    if (column < 0 || column >= ResultColumnCount)
        return result;
    const std::size_t n = order.size();
    const auto Removed = static_cast<std::uint32_t>(-1);

    // Display position of every slot; removed slots have none. The rows are read in slot
    // order below, which is the order they lie in memory.
    std::vector<std::uint32_t> position(store.size(), Removed);
    for (std::size_t i = 0; i < n; ++i)
        position[order[i]] = static_cast<std::uint32_t>(i);

    // An empty key is sorted, shown and saved as " ". Only the Path, Name and Size can be
    // empty: the Time cell is fixed-width and the dir cell is "DIR" or " ".
    std::size_t total = 0;
    for (std::size_t s = 0; s < store.size(); ++s) {
        if (position[s] == Removed)
            continue;
        ResultRow& r = store[s];
        if (column == PathColumn && r.pathText().empty()) {
            r.path = singleSpace();
            result.filled = true;
        } else if (column == NameColumn && r.name.empty()) {
            // assign(1, ' ') rather than = " ": MinGW-w64 GCC 12 at -O3 warns of an
            // overlapping memcpy in the inlined copy of the literal (a false -Wrestrict).
            r.name.assign(1, ' ');
            result.filled = true;
        } else if (column == SizeColumn && r.size.empty()) {
            r.size.assign(1, ' ');
            result.filled = true;
        }
        if (column != PathColumn)
            total += cellText(r, column).size();
    }
    if (n < 2)
        return result;

    // Keys are encoded once (see textcompare::appendSortKey) into one buffer. Rows of one
    // folder share their Path text, so a shared Path is encoded once for all of them.
    std::string keys;
    keys.reserve(total + total / 8 + KeyPadding);
    std::vector<SortEntry> entries;
    entries.reserve(n);
    std::unordered_map<const std::string*, std::pair<std::size_t, std::uint32_t>> pathKeys;
    const std::string* lastPath = nullptr;
    std::pair<std::size_t, std::uint32_t> lastKey { 0, 0 };
    for (std::size_t s = 0; s < store.size(); ++s) {
        if (position[s] == Removed)
            continue;
        const ResultRow& r = store[s];
        std::pair<std::size_t, std::uint32_t> key;
        if (column == PathColumn) {
            const std::string* shared = r.path.get();
            if (shared != lastPath) {
                auto [it, isNew] = pathKeys.try_emplace(shared);
                if (isNew) {
                    const std::size_t offset = keys.size();
                    textcompare::appendSortKey(keys, *shared);
                    it->second = { offset, static_cast<std::uint32_t>(keys.size() - offset) };
                }
                lastPath = shared;
                lastKey = it->second;
            }
            key = lastKey;
        } else {
            const std::size_t offset = keys.size();
            textcompare::appendSortKey(keys, cellText(r, column));
            key = { offset, static_cast<std::uint32_t>(keys.size() - offset) };
        }
        SortEntry e;
        e.offset = key.first;
        e.length = key.second;
        e.position = position[s];
        entries.push_back(e);
    }
    keys.append(KeyPadding, '\0');
    const char* const keyData = keys.data();
    for (SortEntry& e : entries) {
        e.prefix0 = keyWord(keyData + e.offset, e.length, 0);
        e.prefix1 = keyWord(keyData + e.offset, e.length, 8);
    }

    // The old position breaks ties, in both directions.
    auto before = [keyData, descending](const SortEntry& a, const SortEntry& b) {
        int c = 0;
        if (a.prefix0 != b.prefix0)
            c = a.prefix0 < b.prefix0 ? -1 : 1;
        else if (a.prefix1 != b.prefix1)
            c = a.prefix1 < b.prefix1 ? -1 : 1;
        else if (a.offset != b.offset || a.length != b.length)
            c = compareRest(keyData + a.offset, a.length, keyData + b.offset, b.length);
        if (c != 0)
            return descending ? c > 0 : c < 0;
        return a.position < b.position;
    };
    std::sort(entries.begin(), entries.end(), before);
    std::string().swap(keys);

    result.from.resize(n);
    for (std::size_t i = 0; i < n; ++i)
        result.from[i] = entries[i].position;
    return result;
}

} // namespace nuvero
