// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/library/ParsedDrivers.h"

#include <optional>
#include <string>
#include <string_view>

namespace orvane {

// The driver database of the qspeakers program: a <speakers> element holding
// <speaker vendor= model= fs= qts= vas= (litres) dia= (m) sd= (m²) re= le= (mH)
// xmax= (mm) qes= spl= (dB, 1 W / 1 m) pe= .../> elements, where 0 or a missing
// attribute is a value not given. The cone diameter comes from sd when given
// (so the effective area is the datasheet's), else from dia.
//
// Read with expat, which loads no external entity or DTD; entity declarations
// are refused outright, so no expansion can grow the input. The caller bounds
// the size of the text.
namespace QspeakersXml {

// Reads `text`. Rows that cannot be taken (a value that is no number, fs, qts
// or vas not given) are refused with their line; the others taken. Returns the
// reason the file as a whole cannot be read, with the line for malformed XML
// ("line 12: not well-formed (invalid token)"), or nothing.
std::optional<std::string> Parse(std::string_view text, ParsedDrivers& out);

} // namespace QspeakersXml

} // namespace orvane
