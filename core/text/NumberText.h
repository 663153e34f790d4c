// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvane {

// Room for any text FormatG17 writes ("-2.2250738585072014e-308" and signs of
// non-finite values included).
inline constexpr std::size_t kG17MaxChars = 32;

// Writes `value` exactly as printf's "%.17g" does in the C locale (17
// significant digits, trailing zeros dropped, exponent form outside 1e-5 ..
// 1e17) and returns the end of the text. [first, last) must hold at least
// kG17MaxChars characters. Not-a-number and infinities come out as "nan",
// "-nan", "inf", "-inf", as printf writes them; callers that show them
// otherwise test for them first.
char* FormatG17(char* first, char* last, double value);

// The same text as a string.
std::string G17(double value);

// The shortest text that reads back to exactly `value` ("0.1", "3e-05"), in
// the C locale: what data files write, so that they round-trip exactly.
std::string ShortestText(double value);

// A number as entry fields show it: 15 significant digits; plain notation
// for decimal exponents -1..14, else exponent form with sign and three
// digits; trailing zeros dropped, the point kept (0 -> "0.", 20 -> "20.",
// 0.05 -> "5.e-002"); non-finite values as "inf", "-inf", "nan".
std::string EntryNumber(double value);

// A number the program writes into an entry field (a value from the
// record, a computed tuning, a value converted to other units): as
// EntryNumber, rounded to four significant digits with whole units kept
// (31.4199… -> "31.42", 0.39742… -> "0.3974", 283168.47 -> "283168.", 20 ->
// "20."), so it fits its field. The field keeps the exact value behind such
// a text.
std::string ShownEntryNumber(double value);

// Reads `text` as one finite number in the C locale: blanks and tabs around
// it and a leading "+" allowed, nothing else beside the number. False for
// anything else, overflow included.
bool ReadNumberText(std::string_view text, double& out);

} // namespace orvane
