// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/design/SpeakerDesign.h"
#include "core/model/AnalysisProblem.h"

#include <complex>
#include <string>

namespace orvane {

// The passive radiators of a design in SI units: Np alike, each a driver
// without a motor. Its resistance stays that of its own moving mass when
// mass is added, as a weight glued to the cone leaves the surround alone.
struct RadiatorValues {
    double count = 1; // Np
    double sd = 0;    // m², one radiator
    double cms = 0;   // m/N
    double mms = 0;   // kg, its own moving mass, from Fs and Vas
    double added = 0; // kg, added to each
    double rms = 0;   // N·s/m
    double xmax = 0;  // mm; 0 when not given

    double MovingMass() const { return mms + added; }
};

// The radiators' values, or NoRadiator when Fs, Vas, Sd (or the diameter) or
// Qms is not above 0; TooExtreme where they overflow.
AnalysisResult<RadiatorValues> DeriveRadiatorValues(const SpeakerDesign& design);

// All radiators as one acoustic branch beside the box's compliance:
// Zap = (Rmp + s·M + 1/(s·Cmp)) / (Np·Sd²).
struct RadiatorBranch {
    double resistance = 0; // N·s/m⁵
    double mass = 0;       // kg/m⁴
    double stiffness = 0;  // N/m⁵, the inverse of the compliance

    explicit RadiatorBranch(const RadiatorValues& r);
    // By the plain formula: the library's guarded complex division costs more
    // than these magnitudes ever need.
    std::complex<double> Admittance(double omega) const {
        const double reactance = omega * mass - stiffness / omega;
        const double scale = 1 / (resistance * resistance + reactance * reactance);
        return {resistance * scale, -reactance * scale};
    }
};

// The tuning of radiators on a box of acoustic compliance Cab (m⁵/N):
// the radiators' own resonance Fp (the notch in the response), the
// compliance ratio δ = Np·Vas_p/Vb and the box's tuning Fb = Fp·√(1 + δ).
struct RadiatorTuning {
    double fp = 0;
    double delta = 0;
    double fb = 0;
};
RadiatorTuning TuningOf(const RadiatorValues& r, double boxCompliance);

// The mass in grams to add to each radiator so that the box tunes to `fb`:
// Np·Sd²/((2π·fb)²·Ceff) − Mmp, with Ceff the box's and the radiators'
// compliances in series. A target that needs less than the radiator's own
// mass is refused with the highest tuning it can reach.
Result<double, int> MassForTuning(const RadiatorValues& r, double boxCompliance, double fb);

// The build rule: the radiators should displace at least twice the volume
// the drivers do at Xmax (Np·Sd_p·Xmax_p ≥ 2·N·Sd·Xmax). Nothing when it
// holds or a value to judge it is missing, else the sentence.
std::string RadiatorDisplacementWarning(const SpeakerDesign& design);

} // namespace orvane
