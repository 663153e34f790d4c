// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Result.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// One point of a measured impedance curve.
struct ImpedancePoint {
    double frequency = 0; // Hz, above 0
    double ohms = 0;      // |Z|, not negative
    double degrees = 0;   // phase; NaN where the file gives none
};

// A measured impedance curve, frequencies strictly increasing.
struct ImpedanceCurve {
    std::vector<ImpedancePoint> points;
    bool hasPhase = false; // every point has its phase
};

// What makes a file no impedance curve.
enum class CurveProblem {
    Unreadable,
    TooLarge,
    TooManyPoints,
    BadLine,
    NotIncreasing,
    TooFewPoints
};

inline constexpr std::size_t kMaxCurveBytes = 10 * 1000 * 1000;
inline constexpr std::size_t kMaxCurvePoints = 200000;
// Fewer points carry no resonance worth fitting.
inline constexpr std::size_t kMinCurvePoints = 5;

// Reads the text of an impedance file, as measurement programs and crossover
// tools write it: one point a line, frequency (Hz), |Z| (Ω) and optionally the
// phase (degrees), separated by blanks, tabs, commas or semicolons, numbers in
// the C locale. A line whose first item is not a number (a comment starting
// with *, #, ; or ", a header, a blank line) is skipped; a further item after
// the phase is ignored. The failure names the first bad line.
Result<ImpedanceCurve, CurveProblem> ParseImpedanceText(std::string_view text);

// The same for a file, at most kMaxCurveBytes long.
Result<ImpedanceCurve, CurveProblem> ReadImpedanceFile(const std::string& path);

} // namespace orvane
