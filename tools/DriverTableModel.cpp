// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/DriverTableModel.h"

#include "core/text/Printf.h"
#include "platform/UnitChoice.h"

#include <algorithm>

namespace orvane {

namespace {

using UnitChoice::Quantity;

std::optional<double> Value(const DriverEntry& e, int column) {
    switch (column) {
    case DriverTableModel::Fs:
        return e.fs;
    case DriverTableModel::Qts:
        return e.qts;
    case DriverTableModel::Vas:
        return UnitChoice::ToDisplay(Quantity::Volume, e.vas);
    case DriverTableModel::Xmax:
        if (e.xmax)
            return UnitChoice::ToDisplay(Quantity::Excursion, *e.xmax);
        return std::nullopt;
    case DriverTableModel::Re:
        return e.re;
    case DriverTableModel::Pe:
        return e.pe;
    case DriverTableModel::Efficiency:
        return e.efficiency;
    default:
        return std::nullopt;
    }
}

// Five significant digits: as many as datasheets give, short enough for a
// column.
QString Text(const std::optional<double>& value) {
    return value ? QString::fromStdString(Printf("%.5g", *value)) : QString();
}

QString Header(int column) {
    switch (column) {
    case DriverTableModel::Maker:
        return QStringLiteral("Maker");
    case DriverTableModel::Model:
        return QStringLiteral("Model");
    case DriverTableModel::Fs:
        return QStringLiteral("Fs (Hz)");
    case DriverTableModel::Qts:
        return QStringLiteral("Qts");
    case DriverTableModel::Vas:
        return QStringLiteral("Vas (%1)").arg(UnitChoice::Label(Quantity::Volume));
    case DriverTableModel::Xmax:
        return QStringLiteral("Xmax (%1)").arg(UnitChoice::Label(Quantity::Excursion));
    case DriverTableModel::Re:
        return QStringLiteral("Re (ohm)");
    case DriverTableModel::Pe:
        return QStringLiteral("Pe (W)");
    case DriverTableModel::Efficiency:
        return QStringLiteral("Efficiency (dB)");
    default:
        return QString();
    }
}

// Ascending order of two drivers by a column: texts without case, numbers by
// value with "not given" after every number; ties by maker, model.
bool Before(const DriverEntry& a, const DriverEntry& b, int column) {
    if (column == DriverTableModel::Model) {
        if (const int c = CompareNoCase(a.model, b.model))
            return c < 0;
    } else if (column != DriverTableModel::Maker) {
        const std::optional<double> x = Value(a, column);
        const std::optional<double> y = Value(b, column);
        if (x.has_value() != y.has_value())
            return x.has_value();
        if (x && *x != *y)
            return *x < *y;
    }
    if (const int c = CompareNoCase(a.maker, b.maker))
        return c < 0;
    if (const int c = CompareNoCase(a.model, b.model))
        return c < 0;
    return a.id < b.id;
}

} // namespace

DriverTableModel::DriverTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void DriverTableModel::SetEntries(std::vector<DriverEntry> entries) {
    beginResetModel();
    m_all = std::move(entries);
    SortAll();
    Refilter();
    endResetModel();
}

void DriverTableModel::SetFilter(const QString& query) {
    std::string utf8 = query.toStdString();
    if (utf8 == m_query)
        return;
    beginResetModel();
    m_query = std::move(utf8);
    Refilter();
    endResetModel();
}

void DriverTableModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= ColumnCount)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<std::int64_t> ids;
    for (const QModelIndex& index : before)
        ids.push_back(EntryAt(index.row()).id);
    m_sortColumn = column;
    m_sortOrder = order;
    SortAll();
    Refilter();
    QModelIndexList after;
    for (size_t i = 0; i < ids.size(); ++i)
        after << index(RowOf(ids[i]), before[static_cast<qsizetype>(i)].column());
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void DriverTableModel::SortAll() {
    const int column = m_sortColumn;
    if (m_sortOrder == Qt::AscendingOrder) {
        std::stable_sort(m_all.begin(), m_all.end(),
                         [column](const auto& a, const auto& b) { return Before(a, b, column); });
    } else {
        std::stable_sort(m_all.begin(), m_all.end(),
                         [column](const auto& a, const auto& b) { return Before(b, a, column); });
    }
}

void DriverTableModel::Refilter() {
    m_shown.clear();
    m_shown.reserve(m_all.size());
    for (size_t i = 0; i < m_all.size(); ++i) {
        if (DriverMatches(m_all[i], m_query))
            m_shown.push_back(static_cast<int>(i));
    }
}

int DriverTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ShownCount();
}

int DriverTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant DriverTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= ShownCount())
        return {};
    const DriverEntry& e = EntryAt(index.row());
    const int column = index.column();
    if (role == Qt::TextAlignmentRole) {
        const bool text = column == Maker || column == Model;
        return QVariant::fromValue(Qt::AlignVCenter | (text ? Qt::AlignLeft : Qt::AlignRight));
    }
    if (role == Qt::ToolTipRole && !e.notes.empty())
        return QString::fromStdString(e.notes);
    if (role != Qt::DisplayRole)
        return {};
    if (column == Maker)
        return QString::fromStdString(e.maker);
    if (column == Model)
        return QString::fromStdString(e.model);
    return Text(Value(e, column));
}

QVariant DriverTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return Header(section);
}

const DriverEntry& DriverTableModel::EntryAt(int row) const {
    return m_all[static_cast<size_t>(m_shown[static_cast<size_t>(row)])];
}

int DriverTableModel::RowOf(std::int64_t id) const {
    for (size_t row = 0; row < m_shown.size(); ++row) {
        if (m_all[static_cast<size_t>(m_shown[row])].id == id)
            return static_cast<int>(row);
    }
    return -1;
}

} // namespace orvane
