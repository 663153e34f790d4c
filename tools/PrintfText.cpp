// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/PrintfText.h"

#include "core/text/Printf.h"

#include <cmath>

namespace orvane {

namespace PrintfText {

QString Format(const char* format, double value) {
    // A port of no ports has a length of -0 * 0.7315; no result is "minus nothing".
    if (std::signbit(value) && Printf(format, -value) == Printf(format, 0.0))
        value = 0.0;
    return QString::fromStdString(Printf(format, value));
}

QString FormatOrNa(const char* format, std::optional<double> value) {
    return value ? Format(format, *value) : QStringLiteral("n/a");
}

} // namespace PrintfText

} // namespace orvane
