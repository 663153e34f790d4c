// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The physical constants of the analysis, in SI units; unit conversions are
// in core/units/Units.h.
namespace orvane::Acoustics {

inline constexpr double kAirDensity = 1.18;         // kg/m³
inline constexpr double kSpeedOfSound = 345.0;      // m/s
inline constexpr double kReferencePressure = 20e-6; // Pa, 0 dB SPL
inline constexpr double kDistance = 1.0;            // m, radiating into half space

// What the analysis takes while the user has given nothing else.
inline constexpr double kDefaultPower = 1.0; // W
inline constexpr double kDefaultQl = 7.0;

} // namespace orvane::Acoustics
