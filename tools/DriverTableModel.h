// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/library/DriverEntry.h"

#include <QAbstractTableModel>

#include <array>
#include <vector>

namespace orvane {

// What the table shows of each driver, held compactly: a hundred thousand
// drivers take a few large blocks, not a million small ones, and are given
// back whole when the dialog closes. The full entry (for Use and Edit) is
// read from the library by its number.
class DriverRows {
public:
    void Add(const DriverEntry& entry);
    // The library's order by name (DriverLibrary::IdsByName), so that
    // sorting by maker compares numbers, not names.
    void SetNameOrder(const std::vector<std::int64_t>& ids);
    std::size_t Size() const { return m_rows.size(); }

    static constexpr std::size_t kValues = 7; // Fs .. Efficiency, in column order
    static constexpr std::uint32_t kUnranked = 0xffffffff;
    struct Row {
        std::int64_t id;
        std::uint32_t rank;      // in the order by name; kUnranked when not known
        std::uint32_t text;      // where its texts start in m_texts
        std::uint32_t haystack;  // where its haystack starts in m_haystacks
        std::uint32_t makerSize; // maker "\n" model "\n" notes
        std::uint32_t modelSize;
        std::uint32_t notesSize;
        std::uint64_t characters;           // DriverQuery::Characters of its haystack
        std::array<double, kValues> values; // NaN: not given
    };

private:
    friend class DriverTableModel;
    std::vector<Row> m_rows;
    std::string m_texts;
    // The texts folded for the search (DriverQuery), in the order of the
    // rows, so that a search reads them from start to end.
    std::string m_haystacks;
};

// The library dialog's table: every driver in memory, sorted by a column, and
// the ones the search matches. A search that only grew looks among the
// drivers it found before, and one taken back finds them again, so a
// keystroke costs a pass over the drivers shown at most and no sort.
class DriverTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Maker, Model, Fs, Qts, Vas, Xmax, Re, Pe, Efficiency, ColumnCount };

    explicit DriverTableModel(QObject* parent = nullptr);
    ~DriverTableModel() override;

    // Replaces every driver; the sort and the search stay.
    void SetRows(DriverRows rows);
    // Shows the drivers the query matches (DriverQuery).
    void SetFilter(const QString& query);
    // Passive radiators: their Q is the mechanical one, headed "Qms".
    void SetRadiators(bool radiators) { m_radiators = radiators; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    std::int64_t IdAt(int row) const;
    // "MAKER MODEL" of the driver shown in `row`.
    QString NameAt(int row) const;
    // The row showing the driver with `id`, or -1.
    int RowOf(std::int64_t id) const;
    int ShownCount() const { return static_cast<int>(Shown().size()); }
    int TotalCount() const { return static_cast<int>(m_data.m_rows.size()); }

    // Texts as wide as the widest the column can show for the drivers held:
    // the longest names, and for numbers the widest text of every decade
    // their values span. Found without formatting every value.
    QStringList WidestTexts(int column) const;

private:
    struct Search {
        std::string text;
        DriverQuery query;
        std::vector<int> shown; // indexes into m_data.m_rows
    };
    const std::vector<int>& Shown() const { return m_searches.back().shown; }
    const DriverRows::Row& RowAt(int row) const;
    std::string_view Text(const DriverRows::Row& row, int column) const;
    // Maker or model folded to lower case, for sorting.
    std::string_view Folded(const DriverRows::Row& row, int column) const;
    // Sorts the rows and lays their haystacks out in the new order.
    void SortAll();
    // Back to every driver, then the current query's.
    void Refilter();
    void Find(const std::string& text);

    DriverRows m_data; // in the order of the sort
    // The searches typed since the last search that was not a narrowing of
    // the one before, each narrowing the one below; the first finds all,
    // the last is the one shown.
    std::vector<Search> m_searches;
    int m_sortColumn = Maker;
    bool m_radiators = false;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};

} // namespace orvane
