// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/library/ParsedDrivers.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace orvane {

// The library's CSV form: a header row naming the columns, in any order,
// units in the names; columns it does not know are ignored.
//   maker, model                 text (required)
//   fs (or fs_hz), qts           required
//   vas_ft3 or vas_l             required
//   cone_diameter_in, _cm, _mm   optional; sd_m2 or sd_cm2 (a datasheet's
//                                Sd) gives the cone diameter instead
//   xmax_in or xmax_mm, efficiency_db, re_ohm (or re), qes, le_mh, pe_w, notes
//   kind                         driver or radiator (a radiator's qts is its
//                                Qms); without it, or empty, a driver
//   mms_g, displacement_ft3 or displacement_l
// An empty cell is a value not given. Fields follow RFC 4180 (quotes, doubled
// quotes, line breaks inside quotes); numbers are read in the C locale. A
// maker, model or notes that a spreadsheet would run as a formula (starting
// with =, +, -, @, a tab or a carriage return) is written after an
// apostrophe, which reading takes away again.
namespace DriverCsv {

// Reads `text`. Rows that cannot be taken are refused with their line and
// reason, the others taken. Returns the reason the file as a whole cannot be
// read (no header, a required column missing, a quantity named twice), or
// nothing.
std::optional<std::string> Parse(std::string_view text, ParsedDrivers& out);

// The entries as CSV in the record's units, every number in its shortest form
// that reads back to the same double, so an export imports exactly: the
// header row, then one row per entry.
std::string Write(std::span<const DriverEntry> entries);
std::string Header();
void AppendRow(std::string& text, const DriverEntry& entry);

} // namespace DriverCsv

} // namespace orvane
