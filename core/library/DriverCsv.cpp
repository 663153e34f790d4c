// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/library/DriverCsv.h"

#include "core/library/DriverUnits.h"
#include "core/text/NumberText.h"

#include <array>

namespace orvane::DriverCsv {

namespace {

enum class Quantity {
    Maker,
    Model,
    Fs,
    Qts,
    Vas,
    ConeDiameter,
    Sd,
    Xmax,
    Efficiency,
    Re,
    Qes,
    Le,
    Pe,
    Kind,
    Mms,
    Displacement,
    Notes,
    Count
};

// A column name and how its numbers become the record's unit: divided by
// `per` (litres per cubic foot, millimetres per inch, ...).
struct Column {
    const char* name;
    Quantity quantity;
    double per;
};

constexpr Column kColumns[] = {
    {"maker", Quantity::Maker, 1},
    {"model", Quantity::Model, 1},
    {"fs", Quantity::Fs, 1},
    {"fs_hz", Quantity::Fs, 1},
    {"qts", Quantity::Qts, 1},
    {"vas_ft3", Quantity::Vas, 1},
    {"vas_l", Quantity::Vas, DriverUnits::kLitresPerCubicFoot},
    {"cone_diameter_in", Quantity::ConeDiameter, 1},
    {"cone_diameter_cm", Quantity::ConeDiameter, DriverUnits::kMillimetresPerInch / 10},
    {"cone_diameter_mm", Quantity::ConeDiameter, DriverUnits::kMillimetresPerInch},
    {"sd_m2", Quantity::Sd, 1},
    {"sd_cm2", Quantity::Sd, 1e4},
    {"xmax_in", Quantity::Xmax, 1},
    {"xmax_mm", Quantity::Xmax, DriverUnits::kMillimetresPerInch},
    {"efficiency_db", Quantity::Efficiency, 1},
    {"re_ohm", Quantity::Re, 1},
    {"re", Quantity::Re, 1},
    {"qes", Quantity::Qes, 1},
    {"le_mh", Quantity::Le, 1},
    {"pe_w", Quantity::Pe, 1},
    {"kind", Quantity::Kind, 1},
    {"mms_g", Quantity::Mms, 1},
    {"displacement_ft3", Quantity::Displacement, 1},
    {"displacement_l", Quantity::Displacement, DriverUnits::kLitresPerCubicFoot},
    {"notes", Quantity::Notes, 1},
};

// The header this program writes, in the record's units.
constexpr const char* kExportHeader =
    "maker,model,kind,fs,qts,vas_ft3,cone_diameter_in,xmax_in,efficiency_db,re_ohm,qes,le_mh,pe_w,"
    "mms_g,displacement_ft3,notes";

struct Record {
    std::vector<std::string> cells;
    long line = 0;
    std::optional<std::string> error; // the record could not be split
};

// Splits CSV text into records, one at a time.
class Reader {
public:
    explicit Reader(std::string_view text) : m_text(text) {
        if (m_text.substr(0, 3) == "\xEF\xBB\xBF")
            m_pos = 3;
    }

    bool Next(Record& record) {
        record = Record{};
        if (m_pos >= m_text.size())
            return false;
        record.line = m_line;
        std::string cell;
        bool quotedCell = false;
        for (;;) {
            if (m_pos >= m_text.size()) {
                record.cells.push_back(std::move(cell));
                return true;
            }
            const char c = m_text[m_pos++];
            if (c == '"' && cell.empty() && !quotedCell) {
                quotedCell = true;
                if (!ReadQuoted(cell)) {
                    record.error = "a quoted field is not closed";
                    record.cells.push_back(std::move(cell));
                    return true;
                }
                continue;
            }
            if (c == ',') {
                record.cells.push_back(std::move(cell));
                cell.clear();
                quotedCell = false;
                continue;
            }
            if (c == '\n' || c == '\r') {
                if (c == '\r' && m_pos < m_text.size() && m_text[m_pos] == '\n')
                    ++m_pos;
                ++m_line;
                record.cells.push_back(std::move(cell));
                return true;
            }
            if (quotedCell) {
                // Blanks between a closing quote and the comma are layout.
                if (c != ' ' && c != '\t' && !record.error)
                    record.error = "text follows a closing quote";
                continue;
            }
            cell.push_back(c);
        }
    }

private:
    // After an opening quote: up to the closing one, "" standing for ".
    bool ReadQuoted(std::string& cell) {
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos++];
            if (c == '"') {
                if (m_pos < m_text.size() && m_text[m_pos] == '"') {
                    cell.push_back('"');
                    ++m_pos;
                    continue;
                }
                return true;
            }
            if (c == '\n')
                ++m_line;
            cell.push_back(c);
        }
        return false;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    long m_line = 1;
};

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

const Column* FindColumn(std::string_view name) {
    const std::string lower = Lower(Trim(name));
    for (const Column& column : kColumns) {
        if (lower == column.name)
            return &column;
    }
    return nullptr;
}

// An empty line, or a row of empty cells as spreadsheets leave below a table.
bool IsBlankRecord(const Record& record) {
    if (record.error)
        return false;
    for (const std::string& cell : record.cells) {
        if (!Trim(cell).empty())
            return false;
    }
    return true;
}

// The text of a cell as a reason quotes it: at most 40 bytes.
std::string Quoted(std::string_view cell) {
    constexpr std::size_t kShown = 40;
    std::string shown(cell.substr(0, kShown));
    if (cell.size() > kShown)
        shown += "...";
    return "'" + shown + "'";
}

// A whole cell as a number in the C locale: nothing, a number, or an error.
std::optional<std::string> ReadNumber(std::string_view cell, std::optional<double>& out) {
    cell = Trim(cell);
    out.reset();
    if (cell.empty())
        return std::nullopt;
    double value = 0;
    if (!ReadNumberText(cell, value))
        return "is not a number: " + Quoted(cell);
    out = value;
    return std::nullopt;
}

// The columns a header names: per quantity the column's index and unit.
struct Layout {
    std::array<const Column*, static_cast<std::size_t>(Quantity::Count)> column{};
    std::array<std::size_t, static_cast<std::size_t>(Quantity::Count)> index{};
    std::size_t width = 0;

    const Column* Of(Quantity q) const { return column[static_cast<std::size_t>(q)]; }
};

std::optional<std::string> ReadHeader(const Record& header, Layout& layout) {
    if (header.error)
        return "its header row cannot be read: " + *header.error;
    layout.width = header.cells.size();
    for (std::size_t i = 0; i < header.cells.size(); ++i) {
        const Column* column = FindColumn(header.cells[i]);
        if (column == nullptr)
            continue; // not ours: ignored
        const auto q = static_cast<std::size_t>(column->quantity);
        if (layout.column[q] != nullptr) {
            return std::string("the columns ") + layout.column[q]->name + " and " + column->name +
                   " give the same value";
        }
        layout.column[q] = column;
        layout.index[q] = i;
    }
    const std::pair<Quantity, const char*> required[] = {{Quantity::Maker, "maker"},
                                                         {Quantity::Model, "model"},
                                                         {Quantity::Fs, "fs"},
                                                         {Quantity::Qts, "qts"},
                                                         {Quantity::Vas, "vas_ft3 or vas_l"}};
    for (const auto& [quantity, name] : required) {
        if (layout.Of(quantity) == nullptr)
            return std::string("its header row has no ") + name + " column";
    }
    return std::nullopt;
}

// A text that a spreadsheet would take for a formula (=, +, -, @, or a tab or
// carriage return that hides one) is written with a leading apostrophe, the
// spreadsheets' own sign for "text". So that what is written reads back
// exactly, a text that already starts with apostrophes before such a
// character gets one more, and reading takes exactly one away.
bool NeedsGuard(std::string_view text) {
    const std::size_t first = text.find_first_not_of('\'');
    return first != std::string_view::npos &&
           std::string_view("=+-@\t\r").find(text[first]) != std::string_view::npos;
}

std::string Guarded(std::string_view text) {
    return NeedsGuard(text) ? "'" + std::string(text) : std::string(text);
}

std::string Unguarded(std::string_view cell) {
    if (cell.starts_with('\'') && NeedsGuard(cell.substr(1)))
        cell.remove_prefix(1);
    return std::string(cell);
}

// One data row into an entry, or the reason it is refused.
std::optional<std::string> ReadRow(const Record& row, const Layout& layout, DriverEntry& entry) {
    if (row.error)
        return *row.error;
    if (row.cells.size() > layout.width) {
        return "the row has " + std::to_string(row.cells.size()) + " cells, the header " +
               std::to_string(layout.width);
    }
    auto cell = [&](Quantity q) -> std::string_view {
        const std::size_t i = layout.index[static_cast<std::size_t>(q)];
        return layout.Of(q) != nullptr && i < row.cells.size() ? std::string_view(row.cells[i])
                                                               : std::string_view();
    };
    entry.maker = Unguarded(cell(Quantity::Maker));
    entry.model = Unguarded(cell(Quantity::Model));
    entry.notes = Unguarded(cell(Quantity::Notes));
    // A file without the column, or a row without a kind, holds drivers.
    if (const std::string_view kind = Trim(cell(Quantity::Kind)); !kind.empty()) {
        const std::optional<DriverKind> named = KindNamed(kind);
        if (!named)
            return "kind must be driver or radiator, not " + Quoted(kind);
        entry.kind = *named;
    }

    std::array<std::optional<double>, static_cast<std::size_t>(Quantity::Count)> values{};
    for (std::size_t q = 0; q < values.size(); ++q) {
        const Column* column = layout.column[q];
        if (column == nullptr || column->quantity == Quantity::Maker ||
            column->quantity == Quantity::Model || column->quantity == Quantity::Notes ||
            column->quantity == Quantity::Kind)
            continue;
        if (std::optional<std::string> error = ReadNumber(cell(column->quantity), values[q]))
            return column->name + (" " + *error);
        if (values[q])
            *values[q] /= column->per;
    }
    auto value = [&](Quantity q) { return values[static_cast<std::size_t>(q)]; };
    for (const auto& [q, name] : {std::pair{Quantity::Fs, "fs"}, std::pair{Quantity::Qts, "qts"},
                                  std::pair{Quantity::Vas, layout.Of(Quantity::Vas)->name}}) {
        if (!value(q))
            return std::string(name) + " is empty";
    }
    entry.fs = *value(Quantity::Fs);
    entry.qts = *value(Quantity::Qts);
    entry.vas = *value(Quantity::Vas);
    // A datasheet's Sd is the area the analysis must see: it decides the
    // cone diameter whenever it is given.
    if (const std::optional<double> sd = value(Quantity::Sd)) {
        if (!(*sd > 0))
            return std::string(layout.Of(Quantity::Sd)->name) + " must be a number above 0";
        entry.coneDiameter = DriverUnits::ConeDiameterFromSd(*sd);
    } else {
        entry.coneDiameter = value(Quantity::ConeDiameter);
    }
    entry.xmax = value(Quantity::Xmax);
    entry.efficiency = value(Quantity::Efficiency);
    entry.re = value(Quantity::Re);
    entry.qes = value(Quantity::Qes);
    entry.le = value(Quantity::Le);
    entry.pe = value(Quantity::Pe);
    entry.mms = value(Quantity::Mms);
    entry.displacement = value(Quantity::Displacement);
    return std::nullopt;
}

std::string Cell(std::string_view guarded) {
    const std::string text = Guarded(guarded);
    const bool quote = text.find_first_of(",\"\r\n") != std::string_view::npos ||
                       (!text.empty() && (text.front() == ' ' || text.front() == '\t' ||
                                          text.back() == ' ' || text.back() == '\t'));
    if (!quote)
        return std::string(text);
    std::string cell = "\"";
    for (char c : text) {
        if (c == '"')
            cell += '"';
        cell += c;
    }
    return cell + "\"";
}

std::string Number(double value) {
    return ShortestText(value);
}

std::string Number(const std::optional<double>& value) {
    return value ? ShortestText(*value) : std::string();
}

} // namespace

std::optional<std::string> Parse(std::string_view text, ParsedDrivers& out) {
    Reader reader(text);
    Record record;
    bool haveHeader = false;
    while (!haveHeader && reader.Next(record))
        haveHeader = !IsBlankRecord(record);
    if (!haveHeader)
        return "it has no header row";
    Layout layout;
    if (std::optional<std::string> error = ReadHeader(record, layout))
        return error;
    while (reader.Next(record)) {
        if (IsBlankRecord(record))
            continue;
        DriverEntry entry;
        if (std::optional<std::string> reason = ReadRow(record, layout, entry))
            out.refused.push_back({record.line, std::move(*reason)});
        else
            out.Take(std::move(entry), record.line);
    }
    return std::nullopt;
}

std::string Header() {
    return std::string(kExportHeader) + "\n";
}

void AppendRow(std::string& text, const DriverEntry& e) {
    text += Cell(e.maker) + ',' + Cell(e.model) + ',' + KindName(e.kind) + ',' + Number(e.fs) +
            ',' + Number(e.qts) + ',' + Number(e.vas) + ',' + Number(e.coneDiameter) + ',' +
            Number(e.xmax) + ',' + Number(e.efficiency) + ',' + Number(e.re) + ',' + Number(e.qes) +
            ',' + Number(e.le) + ',' + Number(e.pe) + ',' + Number(e.mms) + ',' +
            Number(e.displacement) + ',' + Cell(e.notes) + '\n';
}

std::string Write(std::span<const DriverEntry> entries) {
    std::string text = Header();
    for (const DriverEntry& e : entries)
        AppendRow(text, e);
    return text;
}

} // namespace orvane::DriverCsv
