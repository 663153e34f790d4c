// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/units/DisplayUnits.h"

#include "core/units/Units.h"

#include <cmath>

namespace orvane::DisplayUnits {

namespace {

// Display units per stored unit; 1 where the system keeps the record's.
double Factor(UnitSystem system, Quantity quantity) {
    if (system == UnitSystem::Imperial)
        return 1;
    switch (quantity) {
    case Quantity::Volume:
        return Units::kLitresPerCubicFoot;
    case Quantity::Length:
        return Units::kCentimetresPerInch;
    case Quantity::Excursion:
        return Units::kMillimetresPerInch;
    case Quantity::Area:
        return Units::kCentimetresPerInch * Units::kCentimetresPerInch;
    default:
        return 1;
    }
}

} // namespace

double ToDisplay(UnitSystem system, Quantity quantity, double stored) {
    return Converts(system, quantity) ? stored * Factor(system, quantity) : stored;
}

double FromDisplay(UnitSystem system, Quantity quantity, double shown) {
    return Converts(system, quantity) ? shown / Factor(system, quantity) : shown;
}

bool Converts(UnitSystem system, Quantity quantity) {
    return Factor(system, quantity) != 1;
}

std::string_view Label(UnitSystem system, Quantity quantity) {
    const bool metric = system == UnitSystem::Metric;
    switch (quantity) {
    case Quantity::Volume:
        return metric ? "L" : "ft3";
    case Quantity::Length:
        return metric ? "cm" : "in";
    case Quantity::Excursion:
        return metric ? "mm" : "in";
    case Quantity::None:
        return {};
    case Quantity::Frequency:
        return "Hz";
    case Quantity::Level:
        return "dB";
    case Quantity::Resistance:
        return "\u03a9";
    case Quantity::Inductance:
        return "mH";
    case Quantity::Power:
        return "W";
    case Quantity::Area:
        return metric ? "cm2" : "in2";
    }
    return {};
}

double DisplayBound(UnitSystem system, Quantity quantity, double storedBound) {
    if (!Converts(system, quantity))
        return storedBound;
    const double shown = ToDisplay(system, quantity, storedBound);
    const double rounded = std::round(shown * 100) / 100;
    // A bound too large for hundredths stays as it converts.
    return std::isfinite(rounded) ? rounded : shown;
}

std::string_view Name(UnitSystem system) {
    return system == UnitSystem::Metric ? "metric" : "imperial";
}

std::optional<UnitSystem> FromName(std::string_view name) {
    if (name == "imperial")
        return UnitSystem::Imperial;
    if (name == "metric")
        return UnitSystem::Metric;
    return std::nullopt;
}

} // namespace orvane::DisplayUnits
