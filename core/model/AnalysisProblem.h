// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Result.h"

#include <string>

namespace orvane {

// Why the analysis, or one of its quantities, has no values for a design.
enum class AnalysisProblem {
    None,
    UnknownBoxType,
    NoDriver,      // Fs, Qts or Vas not above 0
    NoDriverCount, // no driver in the box
    NoConeDiameter,
    NoQesOrEfficiency,
    QesNotAboveQts, // Qes entered or from the efficiency
    NoVolume1,
    NoTuning1,
    NoVolume2,
    NoTuning2,
    NoRadiator,   // a passive radiator's Fs, Vas, Sd or Qms
    NoPower,      // input power not above 0
    NoQl,         // leakage Q not above 0
    EmptySweep,   // the frequency range holds no whole hertz above 0 Hz
    TooExtreme,   // values whose figures overflow or vanish
    BadChain,     // signal-chain values from a file that none can be
    ChainNeedsRe, // an input or amplifier voltage, or a series resistance, without Re
    // Only the quantity that needs it is missing:
    NoRe,    // impedance
    NoPort,  // port air velocity of a chamber
    NoLimit, // maximum power and SPL: neither Pe nor Xmax
};

// The sentence that tells the user what is missing or wrong.
std::string AnalysisProblemText(AnalysisProblem problem);

// A value, or the problem that keeps it from existing.
template <class T> using AnalysisResult = Result<T, AnalysisProblem>;

// The failure of a problem, with its sentence.
inline Failure<AnalysisProblem> Missing(AnalysisProblem problem) {
    return {problem, AnalysisProblemText(problem)};
}

} // namespace orvane
