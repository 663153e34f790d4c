// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/LibraryUnits.h"

namespace orvane::LibraryUnits {

QString Label(Quantity quantity) {
    return quantity == Quantity::Volume ? QStringLiteral("ft3") : QStringLiteral("in");
}

double ToDisplay(Quantity /*quantity*/, double stored) {
    return stored;
}

double FromDisplay(Quantity /*quantity*/, double shown) {
    return shown;
}

} // namespace orvane::LibraryUnits
