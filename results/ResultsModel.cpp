#include "results/ResultsModel.h"

#include "qt/QtText.h"
#include "results/TextCompare.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <numeric>
#include <unordered_map>

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

ResultsModel::ResultsModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

ResultsModel::~ResultsModel() = default;

int ResultsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : size();
}

int ResultsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

std::string_view ResultsModel::cellText(const ResultRow& row, int column)
{
    switch (column) {
    case PathColumn:
        return row.pathText();
    case NameColumn:
        return row.name;
    case TimeColumn:
        return row.timeText();
    case SizeColumn:
        return row.size;
    case DirColumn:
        return row.dirText();
    default:
        return {};
    }
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= size() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return toQString(cellText(row(index.row()), index.column()));
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const captions[ColumnCount] = { "Path", "Name", "Time", "Size", "dir" };
    if (section < 0 || section >= ColumnCount)
        return {};
    return QString::fromLatin1(captions[section]);
}

Qt::ItemFlags ResultsModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == PathColumn)
        f |= Qt::ItemIsEditable;
    return f;
}

bool ResultsModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.column() != PathColumn || role != Qt::EditRole || index.row() >= size())
        return false;
    ResultRow& r = rowAt(index.row());
    const QString text = value.toString();
    // An edit left as it was keeps the exact bytes: a Path that is not valid UTF-8 shows
    // with replacement characters, and writing those back would lose the real folder name.
    if (text == toQString(r.pathText()))
        return true;
    r.path = makeSharedText(toUtf8(text));
    emit dataChanged(index, index, { Qt::DisplayRole, Qt::EditRole });
    return true;
}

bool ResultsModel::removeRows(int row, int count, const QModelIndex& parent)
{
    if (parent.isValid() || row < 0 || count <= 0 || row + count > size())
        return false;
    beginRemoveRows(QModelIndex(), row, row + count - 1);
    emit countChanged(size() - count);
    const auto first = m_order.begin() + row;
    for (auto it = first; it != first + count; ++it)
        m_store[*it] = ResultRow();
    m_order.erase(first, first + count);
    if (m_order.empty())
        m_store.clear();
    endRemoveRows();
    return true;
}

void ResultsModel::appendRows(std::vector<ResultRow>&& rows)
{
    appendRows(std::span<ResultRow>(rows));
    rows.clear();
}

void ResultsModel::appendRows(std::span<ResultRow> rows)
{
    if (rows.empty())
        return;
    const int first = size();
    const std::size_t count = rows.size();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(count) - 1);
    const auto slot = static_cast<std::uint32_t>(m_store.size());
    m_store.append(rows);
    // Grown by the vector's own doubling: reserving the exact new size here would copy the
    // whole index at every batch of a long search.
    const std::size_t before = m_order.size();
    m_order.resize(before + count);
    std::iota(m_order.begin() + static_cast<std::ptrdiff_t>(before), m_order.end(), slot);
    endInsertRows();
    emit countChanged(size());
}

void ResultsModel::clear()
{
    if (m_order.empty())
        return;
    beginRemoveRows(QModelIndex(), 0, size() - 1);
    emit countChanged(0);
    std::vector<std::uint32_t>().swap(m_order);
    m_store.clear();
    endRemoveRows();
}

void ResultsModel::setName(int index, std::string name)
{
    if (index < 0 || index >= size())
        return;
    rowAt(index).name = std::move(name);
    const QModelIndex cell = this->index(index, NameColumn);
    emit dataChanged(cell, cell, { Qt::DisplayRole, Qt::EditRole });
}

void ResultsModel::sort(int column, Qt::SortOrder order)
{
    sort(column, order == Qt::DescendingOrder);
}

void ResultsModel::sort(int column, bool descending)
{
    if (column < 0 || column >= ColumnCount)
        return;
    const std::size_t n = m_order.size();
    const auto Removed = static_cast<std::uint32_t>(-1);

    // Display position of every slot; removed slots have none. The rows are read in slot
    // order below, which is the order they lie in memory.
    std::vector<std::uint32_t> position(m_store.size(), Removed);
    for (std::size_t i = 0; i < n; ++i)
        position[m_order[i]] = static_cast<std::uint32_t>(i);

    // An empty key is sorted, shown and saved as " ". Only the Path, Name and Size can be
    // empty: the Time cell is fixed-width and the dir cell is "DIR" or " ".
    bool filled = false;
    std::size_t total = 0;
    for (std::size_t s = 0; s < m_store.size(); ++s) {
        if (position[s] == Removed)
            continue;
        ResultRow& r = m_store[s];
        if (column == PathColumn && r.pathText().empty()) {
            r.path = singleSpace();
            filled = true;
        } else if (column == NameColumn && r.name.empty()) {
            r.name = " ";
            filled = true;
        } else if (column == SizeColumn && r.size.empty()) {
            r.size = " ";
            filled = true;
        }
        if (column != PathColumn)
            total += cellText(r, column).size();
    }
    if (filled)
        emit dataChanged(index(0, column), index(static_cast<int>(n) - 1, column), { Qt::DisplayRole, Qt::EditRole });
    if (n < 2)
        return;

    // Keys are encoded once (see textcompare::appendSortKey) into one buffer. Rows of one
    // folder share their Path text, so a shared Path is encoded once for all of them.
    std::string keys;
    keys.reserve(total + total / 8 + KeyPadding);
    std::vector<SortEntry> entries;
    entries.reserve(n);
    std::unordered_map<const std::string*, std::pair<std::size_t, std::uint32_t>> pathKeys;
    const std::string* lastPath = nullptr;
    std::pair<std::size_t, std::uint32_t> lastKey { 0, 0 };
    for (std::size_t s = 0; s < m_store.size(); ++s) {
        if (position[s] == Removed)
            continue;
        const ResultRow& r = m_store[s];
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

    // Equal keys keep their display order in both directions (the old position breaks
    // the tie), so repeated sorts do not shuffle equal rows.
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

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<std::uint32_t> order(n);
    for (std::size_t i = 0; i < n; ++i)
        order[i] = m_order[entries[i].position];
    m_order.swap(order);

    const QModelIndexList oldIndexes = persistentIndexList();
    if (!oldIndexes.isEmpty()) {
        // position is free now: reuse it as old display position -> new one.
        for (std::size_t i = 0; i < n; ++i)
            position[entries[i].position] = static_cast<std::uint32_t>(i);
        QModelIndexList newIndexes;
        newIndexes.reserve(oldIndexes.size());
        for (const QModelIndex& old : oldIndexes)
            newIndexes.append(index(static_cast<int>(position[static_cast<std::size_t>(old.row())]), old.column()));
        changePersistentIndexList(oldIndexes, newIndexes);
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

} // namespace nuvero
