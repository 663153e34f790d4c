// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/PrintfText.h"

#include "core/text/Printf.h"

namespace orvane {

namespace PrintfText {

QString Format(const char* format, double value) {
    return QString::fromStdString(Printf(format, value));
}

QString FormatOrNa(const char* format, std::optional<double> value) {
    return value ? Format(format, *value) : QStringLiteral("n/a");
}

} // namespace PrintfText

} // namespace orvane
