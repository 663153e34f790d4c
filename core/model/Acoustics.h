// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/units/Units.h"

#include <cmath>
#include <numbers>

// The physical constants of the analysis, in SI units; unit conversions are
// in core/units/Units.h.
namespace orvane::Acoustics {

inline constexpr double kAirDensity = 1.18;         // kg/m³
inline constexpr double kSpeedOfSound = 345.0;      // m/s
inline constexpr double kReferencePressure = 20e-6; // Pa, 0 dB SPL
inline constexpr double kDistance = 1.0;            // m, radiating into half space

// The level at 1 m of 1 W of acoustic power radiated into half space,
// 10·log10(ρ0·c/(2π·p0²)) = 112.09 dB: what ties a driver's efficiency in dB
// to its η0, so that the analysis plays the entered level at 1 W.
inline double HalfSpaceLevel() {
    return 10 * std::log10(kAirDensity * kSpeedOfSound /
                           (2 * std::numbers::pi * kReferencePressure * kReferencePressure));
}

// The acoustic compliance of a volume of air, m⁵/N: V/(ρ0·c²).
inline double AcousticCompliance(double cubicFeet) {
    return cubicFeet * Units::kCubicMetresPerCubicFoot /
           (kAirDensity * kSpeedOfSound * kSpeedOfSound);
}

} // namespace orvane::Acoustics
