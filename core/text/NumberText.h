// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>

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

} // namespace orvane
