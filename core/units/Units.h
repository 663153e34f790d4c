// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The units the record keeps (cubic feet, inches) in terms of others, each by
// its exact definition, so that a value converts the same way everywhere.
namespace orvane::Units {

inline constexpr double kMetresPerInch = 0.0254;
inline constexpr double kMillimetresPerInch = 25.4;
inline constexpr double kCentimetresPerInch = 2.54;
inline constexpr double kCubicMetresPerCubicFoot = 0.028316846592; // 0.3048³
inline constexpr double kLitresPerCubicFoot = 28.316846592;
// The share of the nominal cone diameter that radiates: the effective radius
// is 0.415·D.
inline constexpr double kEffectiveRadiusShare = 0.415;

} // namespace orvane::Units
