// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Result.h"
#include "core/design/SpeakerDesign.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace orvane {

// Box alignments for a driver: the sealed box for a target Qtc in closed
// form, and the vented box tuning that reaches lowest for a given volume
// without the response rising above a ripple bound, found by a search over
// the program's own vented response model.
namespace Alignment {

// The driver an alignment is worked out for: Fs (Hz), Qts and Vas (ft3) of
// one driver, and how many drivers share the box.
struct Driver {
    double fs = 0;
    double qts = 0;
    double vas = 0;
    int32_t count = 1;
};

// One alignment. A sealed box's F1 is its resonance fc. Levels are in dB
// relative to the passband (the response's high-frequency level).
struct Row {
    double v1 = 0;     // ft3
    double f1 = 0;     // Hz
    double f3 = 0;     // Hz, the lowest frequency above which the level stays >= -3 dB
    double peak = 0;   // dB, the highest level
    double prMass = 0; // g added to each passive radiator (their alignment only)
};

enum class Problem {
    None,
    BadDriver,      // Fs below 1 Hz, Qts or Vas not above zero, drivers outside 1..65535
    QtcOutOfRange,  // the sealed target lies outside its field's bounds
    QtcNotAboveQts, // the sealed target is not above the driver's Qts
    BadVolume,      // the vented box volume is not above zero
    BadRipple,      // the ripple bound is negative or not a number
    NoTuning,       // no vented tuning keeps the response within the ripple
    NoRadiator,     // the radiators lack Fs, Vas, Sd (or a diameter) or Qms
    NoMass,         // no added mass of 0 g or more tunes the box into the range searched
};

// An alignment, or why there is none, in one sentence.
using RowResult = Result<Row, Problem>;

// One sentence that says why a request has no answer; empty for None.
std::string ProblemText(Problem problem);

// The level that defines f3.
inline constexpr double kF3Level = -3.0;
// The sealed targets offered beside one the user types.
inline constexpr std::array<double, 4> kSealedQtc = {0.577, 0.707, 0.8, 1.0};
// The ripple bounds offered, dB.
inline constexpr std::array<double, 4> kRipples = {0.25, 0.5, 1.0, 2.0};
// The vented response is examined from 1 Hz to this multiple of Fs, and the
// tuning searched between these multiples of Fs.
inline constexpr double kTopRatio = 20.0;
inline constexpr double kLowestTuningRatio = 0.1;
inline constexpr double kHighestTuningRatio = 20.0;
// The vented table: nine volumes from 1/4 to 4 times N Vas in equal ratios.
inline constexpr int kTableRows = 9;

// BadDriver, or success.
Result<void, Problem> CheckDriver(const Driver& driver);

// V1 = N Vas / ((Qtc/Qts)^2 - 1), fc = Fs Qtc/Qts, f3 and peak of the
// second-order high-pass response at that Qtc, which the Qtc field bounds.
RowResult Sealed(const Driver& driver, double qtc);

// The tuning F1 in [0.1 Fs, 20 Fs] with the lowest f3 whose response stays at
// or below +ripple dB between 1 Hz and 20 Fs; f3 and peak over that band.
RowResult Vented(const Driver& driver, double volume, double ripple);

// The passive-radiator box of the same search: the tuning is the box's Fb,
// set by the mass added to each radiator, so only the tunings a mass of 0 g
// or more reaches are searched (at most the radiators' bare Fb). `radiators`
// holds their values as a design stores them (prFs, prVas, prSd or
// prDiameter, prQms, prCount) and the box losses QL; prMass and prTune are
// not read. F1 is the resulting Fb, prMass the mass per radiator in grams.
RowResult PassiveRadiator(const Driver& driver, const DesignExtras& radiators, double volume,
                          double ripple);

// The volumes of the vented table, smallest first.
std::array<double, kTableRows> TableVolumes(const Driver& driver);
// Vented() for each of TableVolumes(): each row its alignment or its failure.
std::vector<RowResult> VentedTable(const Driver& driver, double ripple);

} // namespace Alignment

} // namespace orvane
