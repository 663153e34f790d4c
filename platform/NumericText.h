// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace orvane {

// The one module that turns numbers into entry-field text and back.
namespace NumericText {

// Display format: 15 significant digits; plain notation for decimal exponents
// -1..14, else exponent form with sign and three digits; trailing zeros
// dropped, the point kept (0 -> "0.", 20 -> "20.", 0.05 -> "5.e-002");
// non-finite values as "inf", "-inf", "nan".
QString FormatNumber(double value);
// A value the program writes, as ShownEntryNumber: "31.42" for 31.4199….
QString FormatShown(double value);
QString FormatInteger(int32_t value); // "%d"

// Strict reading, as on OK or Plot: first 31 characters, blanks and tabs
// around, the whole rest consumed; 0 only when the first non-blank character
// is the digit 0; values that overflow a double are not numbers.
std::optional<double> ReadNumber(const QString& text);
// Integers: same rules, clamped to the 32-bit range.
std::optional<int32_t> ReadInteger(const QString& text);

// Lenient scanf-style scans of the calculators ("%lf", "%d"): first 19
// characters, leading blanks skipped, longest numeric beginning, rest ignored.
std::optional<double> ScanNumber(const QString& text);
std::optional<int32_t> ScanInteger(const QString& text);

} // namespace NumericText

} // namespace orvane
