// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/units/Units.h"

namespace orvane {

// The conversions between the units datasheets and other programs use and the
// record's own (cubic feet, inches). Each factor is the exact definition of
// the unit, so a value converts the same way everywhere; the library stores
// the record's units, so "Use" copies values without converting them.
namespace DriverUnits {

using Units::kCentimetresPerInch;
using Units::kLitresPerCubicFoot;
using Units::kMetresPerInch;
using Units::kMillimetresPerInch;

constexpr double LitresToCubicFeet(double litres) {
    return litres / kLitresPerCubicFoot;
}
constexpr double CubicFeetToLitres(double cubicFeet) {
    return cubicFeet * kLitresPerCubicFoot;
}
constexpr double MillimetresToInches(double mm) {
    return mm / kMillimetresPerInch;
}
constexpr double InchesToMillimetres(double inches) {
    return inches * kMillimetresPerInch;
}
constexpr double MetresToInches(double metres) {
    return metres / kMetresPerInch;
}

// The cone diameter (inches) whose effective area equals a datasheet's Sd
// (m²): π·(0.415·D·0.0254)² = Sd, so D = sqrt(Sd/π)/(0.415·0.0254).
double ConeDiameterFromSd(double sdSquareMetres);
// The effective area (m²) of a cone diameter (inches), the inverse of the above.
double SdFromConeDiameter(double inches);

} // namespace DriverUnits

} // namespace orvane
