#include "results/ResultsModel.h"

#include "results/TextCompare.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace nuvero {

namespace {

// One row's place in a sort: the first eight key bytes as a number (most rows differ
// there, and comparing two numbers is far cheaper than comparing two texts), where its
// whole key lies in the key buffer, and the row it stands for.
struct SortEntry {
    std::uint64_t prefix = 0;
    std::size_t offset = 0;
    std::uint32_t length = 0;
    std::uint32_t row = 0;
};

std::uint64_t keyPrefix(const char* key, std::size_t length)
{
    std::uint64_t prefix = 0;
    for (std::size_t i = 0; i < 8; ++i)
        prefix = (prefix << 8) | (i < length ? static_cast<unsigned char>(key[i]) : 0U);
    return prefix;
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
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
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
    const std::string_view text = cellText(row(index.row()), index.column());
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
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
    ResultRow& r = m_rows[static_cast<std::size_t>(index.row())];
    const QString text = value.toString();
    const std::string_view old = r.pathText();
    // An edit left as it was keeps the exact bytes: a Path that is not valid UTF-8 shows
    // with replacement characters, and writing those back would lose the real folder name.
    if (text == QString::fromUtf8(old.data(), static_cast<qsizetype>(old.size())))
        return true;
    r.path = makeSharedText(text.toStdString());
    emit dataChanged(index, index, { Qt::DisplayRole, Qt::EditRole });
    return true;
}

bool ResultsModel::removeRows(int row, int count, const QModelIndex& parent)
{
    if (parent.isValid() || row < 0 || count <= 0 || row + count > size())
        return false;
    beginRemoveRows(QModelIndex(), row, row + count - 1);
    emit countChanged(size() - count);
    const auto first = m_rows.begin() + row;
    m_rows.erase(first, first + count);
    endRemoveRows();
    return true;
}

void ResultsModel::appendRows(std::vector<ResultRow>&& rows)
{
    if (rows.empty())
        return;
    const int first = size();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(rows.size()) - 1);
    if (m_rows.empty())
        m_rows = std::move(rows);
    else
        m_rows.insert(m_rows.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
    rows.clear();
    endInsertRows();
    emit countChanged(size());
}

void ResultsModel::clear()
{
    if (m_rows.empty())
        return;
    beginRemoveRows(QModelIndex(), 0, size() - 1);
    emit countChanged(0);
    std::vector<ResultRow>().swap(m_rows);
    endRemoveRows();
}

void ResultsModel::setName(int index, std::string name)
{
    if (index < 0 || index >= size())
        return;
    m_rows[static_cast<std::size_t>(index)].name = std::move(name);
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
    const std::size_t n = m_rows.size();

    // An empty key is sorted, shown and saved as " ". Only the Path, Name and Size can be
    // empty: the Time cell is fixed-width and the dir cell is "DIR" or " ".
    bool filled = false;
    for (ResultRow& r : m_rows) {
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
    }
    if (filled)
        emit dataChanged(index(0, column), index(static_cast<int>(n) - 1, column), { Qt::DisplayRole, Qt::EditRole });
    if (n < 2)
        return;

    // Keys are encoded once (see textcompare::appendSortKey) into one buffer. Rows of one
    // folder share their Path text, so a shared Path is encoded once for all of them.
    std::string keys;
    std::vector<SortEntry> entries(n);
    std::unordered_map<const std::string*, std::pair<std::size_t, std::uint32_t>> pathKeys;
    const std::string* lastPath = nullptr;
    std::pair<std::size_t, std::uint32_t> lastKey { 0, 0 };
    for (std::size_t i = 0; i < n; ++i) {
        const ResultRow& r = m_rows[i];
        std::pair<std::size_t, std::uint32_t> key;
        if (column == PathColumn) {
            const std::string* shared = r.path.get();
            if (shared == lastPath) {
                key = lastKey;
            } else {
                auto [it, isNew] = pathKeys.try_emplace(shared);
                if (isNew) {
                    const std::size_t offset = keys.size();
                    textcompare::appendSortKey(keys, *shared);
                    it->second = { offset, static_cast<std::uint32_t>(keys.size() - offset) };
                }
                key = it->second;
                lastPath = shared;
                lastKey = key;
            }
        } else {
            const std::size_t offset = keys.size();
            textcompare::appendSortKey(keys, cellText(r, column));
            key = { offset, static_cast<std::uint32_t>(keys.size() - offset) };
        }
        entries[i].offset = key.first;
        entries[i].length = key.second;
        entries[i].row = static_cast<std::uint32_t>(i);
    }
    for (SortEntry& e : entries)
        e.prefix = keyPrefix(keys.data() + e.offset, e.length);

    const char* const keyData = keys.data();
    auto compareKeys = [keyData](const SortEntry& a, const SortEntry& b) {
        if (a.offset == b.offset && a.length == b.length)
            return 0;
        const int c = std::memcmp(keyData + a.offset, keyData + b.offset, std::min(a.length, b.length));
        if (c != 0)
            return c;
        return a.length < b.length ? -1 : (a.length > b.length ? 1 : 0);
    };
    // Equal keys keep their list order in both directions (the original row is the tie
    // breaker), so repeated sorts do not shuffle equal rows.
    std::sort(entries.begin(), entries.end(), [&](const SortEntry& a, const SortEntry& b) {
        if (a.prefix != b.prefix)
            return descending ? a.prefix > b.prefix : a.prefix < b.prefix;
        const int c = compareKeys(a, b);
        if (c != 0)
            return descending ? c > 0 : c < 0;
        return a.row < b.row;
    });
    std::string().swap(keys);

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);

    // Rows move in place along the permutation's cycles: no second copy of the store.
    std::vector<bool> placed(n, false);
    for (std::size_t start = 0; start < n; ++start) {
        if (placed[start])
            continue;
        ResultRow held = std::move(m_rows[start]);
        std::size_t at = start;
        for (;;) {
            placed[at] = true;
            const std::size_t from = entries[at].row;
            if (from == start) {
                m_rows[at] = std::move(held);
                break;
            }
            m_rows[at] = std::move(m_rows[from]);
            at = from;
        }
    }

    const QModelIndexList oldIndexes = persistentIndexList();
    if (!oldIndexes.isEmpty()) {
        std::vector<std::uint32_t> newPlace(n);
        for (std::size_t i = 0; i < n; ++i)
            newPlace[entries[i].row] = static_cast<std::uint32_t>(i);
        QModelIndexList newIndexes;
        newIndexes.reserve(oldIndexes.size());
        for (const QModelIndex& old : oldIndexes)
            newIndexes.append(index(static_cast<int>(newPlace[static_cast<std::size_t>(old.row())]), old.column()));
        changePersistentIndexList(oldIndexes, newIndexes);
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

} // namespace nuvero
