// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/library/DriverUnits.h"

#include <cmath>
#include <numbers>

namespace orvane::DriverUnits {

double ConeDiameterFromSd(double sdSquareMetres) {
    return std::sqrt(sdSquareMetres / std::numbers::pi) /
           (Units::kEffectiveRadiusShare * kMetresPerInch);
}

double SdFromConeDiameter(double inches) {
    const double radius = Units::kEffectiveRadiusShare * inches * kMetresPerInch;
    return std::numbers::pi * radius * radius;
}

} // namespace orvane::DriverUnits
