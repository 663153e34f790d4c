// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/library/DriverEntry.h"

#include <QAbstractTableModel>

#include <vector>

namespace orvane {

// The library dialog's table: every driver in memory, sorted by a column, and
// the ones the search matches. Filtering walks the sorted list once and keeps
// its order, so a keystroke costs one pass over the drivers and no sort.
class DriverTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Maker, Model, Fs, Qts, Vas, Xmax, Re, Pe, Efficiency, ColumnCount };

    explicit DriverTableModel(QObject* parent = nullptr);

    // Replaces every driver; the sort and the search stay.
    void SetEntries(std::vector<DriverEntry> entries);
    // Shows the drivers the query matches (DriverMatches).
    void SetFilter(const QString& query);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    const DriverEntry& EntryAt(int row) const;
    // The row showing the driver with `id`, or -1.
    int RowOf(std::int64_t id) const;
    int ShownCount() const { return static_cast<int>(m_shown.size()); }
    int TotalCount() const { return static_cast<int>(m_all.size()); }

private:
    void SortAll();
    void Refilter();

    std::vector<DriverEntry> m_all; // in the order of the sort
    std::vector<int> m_shown;       // indexes into m_all
    std::string m_query;
    int m_sortColumn = Maker;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};

} // namespace orvane
