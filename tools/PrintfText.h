// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

namespace orvane {

// The calculators' result texts use fixed printf formats ("%.2f in", "%.3f", ...),
// always with a decimal point whatever the desktop's locale.
namespace PrintfText {

// `format` holds exactly one double conversion. A negative value that rounds
// to zero shows as zero, without a sign ("0.00", not "-0.00").
QString Format(const char* format, double value);
// "n/a" when there is no value.
QString FormatOrNa(const char* format, std::optional<double> value);

} // namespace PrintfText

} // namespace orvane
