#pragma once

#include "results/ResultColumns.h"
#include "results/RowList.h"
#include "results/RowStore.h"
#include "search/ResultRow.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace nuvero {

// The results list's rows: a table model over a compact row store, shown by a view with
// uniform rows. Lives on the window's thread; the search job's batches reach it through
// the window (appendRows), the file commands and the list writer through RowList.
//
// Row count for status panel 0: every change of the count goes through the standard
// signals, rowsInserted after an append and rowsAboutToBeRemoved during a removal (one
// row, or all of them for clear()), while the rows are still in the list.
class ResultsModel : public QAbstractTableModel, public RowList {
    Q_OBJECT

public:
    explicit ResultsModel(QObject* parent = nullptr);
    ~ResultsModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // A row dragged out is its entry: the file's URL and its path as the desktop spells it
    // (DesktopPath). Nothing is dropped onto the list.
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    // Column 0 only: the in-place edit of a row's Path. The edited text becomes the row's
    // own Path; the rows that shared the old one keep it.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;
    // A view's own sort request goes through the program's compare rule too.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // Appends a batch at the end, in its order, as one insertion.
    void appendRows(std::vector<ResultRow>&& rows);
    // The same for part of a batch: the rows are moved in and left moved-from.
    void appendRows(std::span<ResultRow> rows);
    // Removes every row at once, as one removal.
    void clear();

    // RowList: rows by display position; setName() and eraseRow() notify the views.
    const ResultRow& row(int index) const override { return m_store[m_order[static_cast<std::size_t>(index)]]; }
    int size() const override { return static_cast<int>(m_order.size()); }
    void setName(int index, std::string name) override;
    void eraseRow(int index) override { removeRows(index, 1); }

    // The list's sort (RowSorter): columns as in ResultColumns.h, descending reverses the
    // order. Cells whose empty key became " " are shown changed; selections and current
    // rows of views follow their rows.
    void sort(int column, bool descending);

private:
    ResultRow& rowAt(int index) { return m_store[m_order[static_cast<std::size_t>(index)]]; }

    // Rows stay where they were appended; m_order lists their slots in display order, so a
    // sort rewrites four bytes per row instead of moving the rows. A removed row's slot is
    // emptied and left unused until the list is cleared.
    RowStore m_store;
    std::vector<std::uint32_t> m_order;
};

} // namespace nuvero
