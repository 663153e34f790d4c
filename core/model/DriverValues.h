// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/design/SpeakerDesign.h"
#include "core/model/AnalysisProblem.h"

#include <limits>
#include <optional>

namespace orvane {

// The lumped-parameter values of one driver, in SI units, derived from its
// Thiele/Small parameters and the extra electrical values.
struct DriverValues {
    double sd = 0;   // m², effective piston area
    double eta0 = 0; // reference efficiency (a fraction), 4π²·Fs³·Vas/(c³·Qes)
    double qes = 0;  // entered, or from the efficiency
    double qms = 0;
    double cms = 0;           // m/N, suspension compliance
    double mms = 0;           // kg, moving mass
    double rms = 0;           // N·s/m, mechanical resistance
    double bl2OverRe = 0;     // N·s/m, electrical damping Bl²/Re
    std::optional<double> re; // Ω, when given above 0
    std::optional<double> bl; // T·m, needs Re
    std::optional<double> le; // H, when Re and Le are given above 0
    // With both Qes and the efficiency entered, the analysis follows Qes: the
    // level Qes implies less the one entered (dB), when they part by more
    // than kEfficiencyTolerance.
    std::optional<double> efficiencyMismatchDb;
};

inline constexpr double kEfficiencyTolerance = 0.5; // dB

// A driver's efficiency in dB (its level at 1 W and 1 m in half space) from
// η0, and back.
double EfficiencyDb(double eta0);
double Eta0(double efficiencyDb);

// Whether a value counts as given: finite and above 0. NaN, infinities, 0
// and negative values from a file all count as not given.
inline bool IsGiven(double value) {
    return value > 0 && value < std::numeric_limits<double>::infinity();
}
inline bool IsGiven(const std::optional<double>& value) {
    return value && IsGiven(*value);
}

// The values are those of the driver as connected: with two voice coils
// the entered Re and Le are one coil's and Qes the data sheet's with both
// coils, and the coil wiring gives Re = 2Rc, Le = 4Lc, Bl = 2Bc (series),
// Re = Rc/2, Le = Lc, Bl = Bc (parallel) or Re = Rc, Le = Lc, Bl = Bc (one
// coil, so Qes doubles).
//
// The driver's values, or what is missing: Fs, Qts and Vas above 0, the cone
// diameter, Qes or the efficiency, and Qes above Qts (a Qes from the
// efficiency names both and the remedy); voice coils and their wiring the
// chain knows (BadChain). TooExtreme where they overflow.
AnalysisResult<DriverValues> DeriveDriverValues(const SpeakerDesign& design);

} // namespace orvane
