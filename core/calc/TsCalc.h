// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

namespace orvane {

// Thiele/Small parameters from impedance measurements. A result that is not a
// finite number is std::nullopt ("n/a" in the dialog, "nan" in the tool).
namespace TsCalc {

struct Measurements {
    double fs = 0;   // free-air resonance, Hz
    double re = 0;   // voice-coil DC resistance, ohms
    double zmax = 0; // impedance at fs, ohms
    double f1 = 0;   // below fs where |Z| = sqrt(re * zmax), Hz
    double f2 = 0;   // above fs, same level, Hz
    double fc = 0;   // resonance in the closed test box, Hz
    double vb = 0;   // test box volume, cubic feet
};

struct Results {
    std::optional<double> z;   // sqrt(re * zmax), the level to measure f1 and f2 at
    std::optional<double> qms; // 0 when f2 is not above f1
    std::optional<double> qes;
    std::optional<double> qts;   // previousQts when qes + qms is not positive
    std::optional<double> error; // |fs - sqrt(f1 * f2)|, Hz
    std::optional<double> vas;   // 1.15 * vb * ((fc / fs)^2 - 1), cubic feet
};

// One recalculation. Qts is carried over from the previous one when this
// measurement gives no positive qes + qms, so the caller passes its last Qts.
Results Compute(const Measurements& m, std::optional<double> previousQts);

} // namespace TsCalc

} // namespace orvane
