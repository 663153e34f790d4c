// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/DriverTableModel.h"

#include "platform/UnitChoice.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <numeric>

namespace orvane {

namespace {

using UnitChoice::Quantity;

// How many searches are kept for taking keys back; older ones are searched
// again when needed.
constexpr std::size_t kKeptSearches = 32;
// How many of the longest names are measured for a text column's width.
constexpr std::size_t kMeasuredNames = 24;

// Text() of a row's notes.
constexpr int kNotes = -1;

std::size_t ValueIndex(int column) {
    return static_cast<std::size_t>(column - DriverTableModel::Fs);
}

// The value as the column shows it: volumes and Xmax in the chosen units.
double Displayed(double value, int column) {
    if (column == DriverTableModel::Vas)
        return UnitChoice::ToDisplay(Quantity::Volume, value);
    if (column == DriverTableModel::Xmax)
        return UnitChoice::ToDisplay(Quantity::Excursion, value);
    return value;
}

// Five significant digits: as many as datasheets give, short enough for a
// column.
QString ValueText(double value) {
    std::array<char, 32> text{};
    const char* end =
        std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::general, 5)
            .ptr;
    return QString::fromLatin1(text.data(), end - text.data());
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

// Puts each row at the place its rank gives (the other way round when
// descending); false, with the rows as they were, unless every row has a
// rank of its own.
bool PlaceByRank(std::vector<DriverRows::Row>& rows, bool descending) {
    const std::size_t n = rows.size();
    std::vector<DriverRows::Row> placed(n);
    std::vector<char> filled(n, 0);
    for (const DriverRows::Row& row : rows) {
        if (row.rank >= n || filled[row.rank] != 0)
            return false;
        filled[row.rank] = 1;
        placed[descending ? n - 1 - row.rank : row.rank] = row;
    }
    rows = std::move(placed);
    return true;
}

std::optional<double> Given(double value) {
    return std::isnan(value) ? std::nullopt : std::optional<double>(value);
}

} // namespace

void DriverRows::Add(const DriverEntry& e) {
    Row row{};
    row.id = e.id;
    row.rank = kUnranked;
    row.text = static_cast<std::uint32_t>(m_texts.size());
    row.haystack = static_cast<std::uint32_t>(m_haystacks.size());
    row.makerSize = static_cast<std::uint32_t>(e.maker.size());
    row.modelSize = static_cast<std::uint32_t>(e.model.size());
    row.notesSize = static_cast<std::uint32_t>(e.notes.size());
    const double none = std::numeric_limits<double>::quiet_NaN();
    row.values = {e.fs,
                  e.qts,
                  e.vas,
                  e.xmax.value_or(none),
                  e.re.value_or(none),
                  e.pe.value_or(none),
                  e.efficiency.value_or(none)};
    m_rows.push_back(row);
    m_texts.append(e.maker).append(1, '\n').append(e.model).append(1, '\n').append(e.notes);
    DriverQuery::AppendHaystack(m_haystacks, e.maker, e.model, e.notes);
    m_rows.back().characters =
        DriverQuery::Characters(std::string_view(m_haystacks).substr(m_rows.back().haystack));
}

void DriverRows::SetNameOrder(const std::vector<std::int64_t>& ids) {
    // The numbers are the table's row ids, mostly dense: looked up in a table
    // by number where they are, else in a list sorted by number.
    const auto [least, most] = std::minmax_element(ids.begin(), ids.end());
    if (!ids.empty() && *least >= 0 && *most < static_cast<std::int64_t>(4 * ids.size() + 1024)) {
        std::vector<std::uint32_t> rankOf(static_cast<std::size_t>(*most) + 1, kUnranked);
        for (std::size_t i = 0; i < ids.size(); ++i)
            rankOf[static_cast<std::size_t>(ids[i])] = static_cast<std::uint32_t>(i);
        for (Row& row : m_rows) {
            row.rank = row.id >= 0 && row.id <= *most ? rankOf[static_cast<std::size_t>(row.id)]
                                                      : kUnranked;
        }
        return;
    }
    std::vector<std::pair<std::int64_t, std::uint32_t>> ranks; // by id
    ranks.reserve(ids.size());
    for (std::size_t i = 0; i < ids.size(); ++i)
        ranks.emplace_back(ids[i], static_cast<std::uint32_t>(i));
    std::sort(ranks.begin(), ranks.end());
    for (Row& row : m_rows) {
        const auto found =
            std::lower_bound(ranks.begin(), ranks.end(), std::pair(row.id, std::uint32_t{0}));
        row.rank = found != ranks.end() && found->first == row.id ? found->second : kUnranked;
    }
}

DriverTableModel::DriverTableModel(QObject* parent)
    : QAbstractTableModel(parent), m_searches{{{}, DriverQuery({}), {}}} {}

DriverTableModel::~DriverTableModel() = default;

void DriverTableModel::SetRows(DriverRows rows) {
    beginResetModel();
    m_data = std::move(rows);
    SortAll();
    Refilter();
    endResetModel();
}

void DriverTableModel::SetFilter(const QString& query) {
    std::string text = query.toStdString();
    if (text == m_searches.back().text)
        return;
    beginResetModel();
    Find(text);
    endResetModel();
}

void DriverTableModel::Find(const std::string& text) {
    DriverQuery query(text);
    // Back to the last search the new one narrows; the first always is.
    while (m_searches.size() > 1 && !query.Narrows(m_searches.back().query))
        m_searches.pop_back();
    Search& base = m_searches.back();
    if (query.Narrows(base.query) && base.query.Narrows(query)) {
        base.text = text; // the same words: the same drivers
        return;
    }
    std::vector<int> shown;
    const std::string_view haystacks(m_data.m_haystacks);
    const bool decided = query.DecidedByCharacters();
    for (const int i : base.shown) {
        const DriverRows::Row& row = m_data.m_rows[static_cast<std::size_t>(i)];
        if (!query.MayMatch(row.characters))
            continue;
        const std::size_t size = row.makerSize + row.modelSize + row.notesSize + 2;
        if (decided || query.MatchesHaystack(haystacks.substr(row.haystack, size)))
            shown.push_back(i);
    }
    if (m_searches.size() == kKeptSearches)
        m_searches.erase(m_searches.begin() + 1);
    m_searches.push_back({text, std::move(query), std::move(shown)});
}

void DriverTableModel::Refilter() {
    const std::string text = m_searches.back().text;
    m_searches.erase(m_searches.begin() + 1, m_searches.end());
    std::vector<int>& all = m_searches.front().shown;
    all.resize(m_data.m_rows.size());
    std::iota(all.begin(), all.end(), 0);
    if (!text.empty())
        Find(text);
}

void DriverTableModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= ColumnCount)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<std::int64_t> ids;
    for (const QModelIndex& index : before)
        ids.push_back(IdAt(index.row()));
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

std::string_view DriverTableModel::Text(const DriverRows::Row& row, int column) const {
    const std::string_view texts(m_data.m_texts);
    switch (column) {
    case Maker:
        return texts.substr(row.text, row.makerSize);
    case Model:
        return texts.substr(row.text + row.makerSize + 1, row.modelSize);
    default:
        return texts.substr(row.text + row.makerSize + row.modelSize + 2, row.notesSize);
    }
}

std::string_view DriverTableModel::Folded(const DriverRows::Row& row, int column) const {
    const std::string_view folded(m_data.m_haystacks);
    return column == Maker ? folded.substr(row.haystack, row.makerSize)
                           : folded.substr(row.haystack + row.makerSize + 1, row.modelSize);
}

void DriverTableModel::SortAll() {
    // Ascending order of two drivers by the column: texts without case (the
    // folded texts of the search compare as the library's collation does),
    // numbers by value with "not given" after every number; ties by maker,
    // model, number.
    const int column = m_sortColumn;
    const auto before = [this, column](const DriverRows::Row& a, const DriverRows::Row& b) {
        if (column == Model) {
            if (const int c = Folded(a, Model).compare(Folded(b, Model)))
                return c < 0;
        } else if (column != Maker) {
            const double x = a.values[ValueIndex(column)];
            const double y = b.values[ValueIndex(column)];
            if (std::isnan(x) != std::isnan(y))
                return !std::isnan(x);
            if (!std::isnan(x) && x != y)
                return x < y;
        }
        // The library's order, where it gave one; names only for a driver
        // that came in after it.
        if (a.rank != b.rank && a.rank != DriverRows::kUnranked && b.rank != DriverRows::kUnranked)
            return a.rank < b.rank;
        if (const int c = Folded(a, Maker).compare(Folded(b, Maker)))
            return c < 0;
        if (const int c = Folded(a, Model).compare(Folded(b, Model)))
            return c < 0;
        return a.id < b.id;
    };
    std::vector<DriverRows::Row>& rows = m_data.m_rows;
    const bool descending = m_sortOrder == Qt::DescendingOrder;
    const auto after = [&before](const auto& a, const auto& b) { return before(b, a); };
    if (descending ? std::is_sorted(rows.begin(), rows.end(), after)
                   : std::is_sorted(rows.begin(), rows.end(), before))
        return;
    // By maker, each row's place is its rank in the library's order.
    if (column != Maker || !PlaceByRank(rows, descending)) {
        if (descending)
            std::sort(rows.begin(), rows.end(), after);
        else
            std::sort(rows.begin(), rows.end(), before);
    }
    std::string haystacks;
    haystacks.reserve(m_data.m_haystacks.size());
    for (DriverRows::Row& row : rows) {
        const std::size_t size = row.makerSize + row.modelSize + row.notesSize + 2;
        const std::size_t from = row.haystack;
        row.haystack = static_cast<std::uint32_t>(haystacks.size());
        haystacks.append(m_data.m_haystacks, from, size);
    }
    m_data.m_haystacks = std::move(haystacks);
}

int DriverTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ShownCount();
}

int DriverTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

const DriverRows::Row& DriverTableModel::RowAt(int row) const {
    return m_data.m_rows[static_cast<std::size_t>(Shown()[static_cast<std::size_t>(row)])];
}

QVariant DriverTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= ShownCount())
        return {};
    const DriverRows::Row& row = RowAt(index.row());
    const int column = index.column();
    if (role == Qt::TextAlignmentRole) {
        const bool text = column == Maker || column == Model;
        return QVariant::fromValue(Qt::AlignVCenter | (text ? Qt::AlignLeft : Qt::AlignRight));
    }
    if (role == Qt::ToolTipRole && row.notesSize > 0)
        return QString::fromUtf8(Text(row, kNotes));
    if (role != Qt::DisplayRole)
        return {};
    if (column == Maker || column == Model)
        return QString::fromUtf8(Text(row, column));
    const std::optional<double> value = Given(row.values[ValueIndex(column)]);
    return value ? ValueText(Displayed(*value, column)) : QString();
}

QVariant DriverTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (m_radiators && section == Qts)
        return QStringLiteral("Qms");
    return Header(section);
}

std::int64_t DriverTableModel::IdAt(int row) const {
    return RowAt(row).id;
}

QString DriverTableModel::NameAt(int row) const {
    const DriverRows::Row& r = RowAt(row);
    return QString::fromUtf8(Text(r, Maker)) + QLatin1Char(' ') + QString::fromUtf8(Text(r, Model));
}

int DriverTableModel::RowOf(std::int64_t id) const {
    const std::vector<int>& shown = Shown();
    for (std::size_t row = 0; row < shown.size(); ++row) {
        if (m_data.m_rows[static_cast<std::size_t>(shown[row])].id == id)
            return static_cast<int>(row);
    }
    return -1;
}

QStringList DriverTableModel::WidestTexts(int column) const {
    QStringList texts{Header(column)};
    const std::vector<DriverRows::Row>& rows = m_data.m_rows;
    if (column == Maker || column == Model) {
        // The longest names in bytes; among them, the font finds the widest.
        std::vector<std::pair<std::size_t, std::size_t>> longest; // size, row: a heap
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const std::size_t size = column == Maker ? rows[i].makerSize : rows[i].modelSize;
            if (longest.size() == kMeasuredNames && size <= longest.front().first)
                continue;
            if (longest.size() == kMeasuredNames) {
                std::pop_heap(longest.begin(), longest.end(), std::greater<>());
                longest.pop_back();
            }
            longest.emplace_back(size, i);
            std::push_heap(longest.begin(), longest.end(), std::greater<>());
        }
        for (const auto& [size, row] : longest)
            texts << QString::fromUtf8(Text(rows[row], column));
        return texts;
    }
    // "%.5g" of every value of a decade is at most as wide as that of
    // 1.2345 times its power of ten (digits are equally wide), and negative
    // values add a sign: the decades the values span are enough. The units
    // scale every value alike, so the extremes are converted alone.
    double low = std::numeric_limits<double>::infinity(), high = 0;
    bool negative = false;
    const std::size_t at = ValueIndex(column);
    for (const DriverRows::Row& row : rows) {
        const double value = std::fabs(row.values[at]);
        if (!(value > 0) || !std::isfinite(value))
            continue;
        low = std::min(low, value);
        high = std::max(high, value);
        negative = negative || row.values[at] < 0;
    }
    low = Displayed(low, column);
    high = Displayed(high, column);
    if (high == 0)
        return texts;
    const int first = static_cast<int>(std::floor(std::log10(low)));
    const int last = static_cast<int>(std::floor(std::log10(high)));
    for (int decade = first; decade <= last && decade - first < 40; ++decade)
        texts << ValueText((negative ? -1.2345 : 1.2345) * std::pow(10.0, decade));
    return texts;
}

} // namespace orvane
