// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace orvane {

// printf-style formatting of the program's quoted formats ("%.1f", "Fs %.fHz",
// ...) into a string of any length, always in the "C" locale.
std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace orvane
