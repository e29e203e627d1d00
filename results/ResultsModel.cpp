#include "results/ResultsModel.h"

#include "qt/DesktopPath.h"
#include "qt/QtText.h"
#include "results/RowSorter.h"

#include <QMimeData>

#include <numeric>

namespace nuvero {

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
    return parent.isValid() ? 0 : ResultColumnCount;
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= size())
        return {};
    const ResultRow& r = row(index.row());
    if (role == Qt::ToolTipRole) {
        // The folder or the entry as the desktop names it (on Linux the host path); the
        // view shows the other cells' whole texts where they are cut.
        if (index.column() != PathColumn && index.column() != NameColumn)
            return {};
        const auto path = DesktopPath::of(index.column() == PathColumn ? std::string(r.pathText()) : r.fullPath());
        return path ? path->text() : toQString(cellText(r, index.column()));
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    return toQString(cellText(r, index.column()));
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const captions[ResultColumnCount] = { "Path", "Name", "Time", "Size", "dir" };
    if (section < 0 || section >= ResultColumnCount)
        return {};
    return QString::fromLatin1(captions[section]);
}

Qt::ItemFlags ResultsModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren | Qt::ItemIsDragEnabled;
    if (index.column() == PathColumn)
        f |= Qt::ItemIsEditable;
    return f;
}

QStringList ResultsModel::mimeTypes() const
{
    return { QStringLiteral("text/uri-list"), QStringLiteral("text/plain") };
}

QMimeData* ResultsModel::mimeData(const QModelIndexList& indexes) const
{
    // The list selects one whole row: every index is a cell of it.
    if (indexes.isEmpty() || indexes.constFirst().row() >= size())
        return nullptr;
    const auto path = DesktopPath::of(row(indexes.constFirst().row()).fullPath());
    return path ? path->mimeData() : nullptr;
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
}

void ResultsModel::clear()
{
    if (m_order.empty())
        return;
    beginRemoveRows(QModelIndex(), 0, size() - 1);
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
    const RowSorter::Result sorted = RowSorter::sort(m_store, m_order, column, descending);
    const std::size_t n = m_order.size();
    if (sorted.filled)
        emit dataChanged(index(0, column), index(static_cast<int>(n) - 1, column), { Qt::DisplayRole, Qt::EditRole });
    if (sorted.from.empty())
        return;

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<std::uint32_t> order(n);
    for (std::size_t i = 0; i < n; ++i)
        order[i] = m_order[sorted.from[i]];
    m_order.swap(order);

    const QModelIndexList oldIndexes = persistentIndexList();
    if (!oldIndexes.isEmpty()) {
        std::vector<std::uint32_t> newPosition(n);
        for (std::size_t i = 0; i < n; ++i)
            newPosition[sorted.from[i]] = static_cast<std::uint32_t>(i);
        QModelIndexList newIndexes;
        newIndexes.reserve(oldIndexes.size());
        for (const QModelIndex& old : oldIndexes)
            newIndexes.append(index(static_cast<int>(newPosition[static_cast<std::size_t>(old.row())]), old.column()));
        changePersistentIndexList(oldIndexes, newIndexes);
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

} // namespace nuvero
