// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/model/DriverValues.h"

#include "core/model/Acoustics.h"
#include "core/text/Printf.h"
#include "core/units/Units.h"

#include <cmath>
#include <numbers>

namespace orvane {

namespace {

// η0 = 4π²·Fs³·Vas/(c³·Qes) ties the efficiency to Qes; either gives the other.
double EfficiencyFactor(double fs, double vas) {
    constexpr double c = Acoustics::kSpeedOfSound;
    return 4 * std::numbers::pi * std::numbers::pi * fs * fs * fs * vas / (c * c * c);
}

// Finite and far enough from 0 that its reciprocal is finite too.
bool Usable(double value) {
    return std::isnormal(value) && value > 0;
}

} // namespace

double EfficiencyDb(double eta0) {
    return 10 * std::log10(eta0) + Acoustics::HalfSpaceLevel();
}

double Eta0(double efficiencyDb) {
    return std::pow(10.0, (efficiencyDb - Acoustics::HalfSpaceLevel()) / 10);
}

AnalysisResult<DriverValues> DeriveDriverValues(const SpeakerDesign& design) {
    using namespace Acoustics;
    const DesignExtras& extras = design.m_extras;
    if (!IsGiven(design.m_fs) || !IsGiven(design.m_qts) || !IsGiven(design.m_vas))
        return Missing(AnalysisProblem::NoDriver);
    if (!IsGiven(design.m_coneDiameter))
        return Missing(AnalysisProblem::NoConeDiameter);
    const double fs = design.m_fs;
    const double vas = design.m_vas * Units::kCubicMetresPerCubicFoot;
    const double factor = EfficiencyFactor(fs, vas);
    const bool hasEfficiency = IsGiven(design.m_efficiency);

    DriverValues v;
    const double r = Units::kEffectiveRadiusShare * design.m_coneDiameter * Units::kMetresPerInch;
    v.sd = std::numbers::pi * r * r;
    if (IsGiven(extras.qes)) {
        v.qes = *extras.qes;
    } else if (hasEfficiency) {
        v.qes = factor / Eta0(design.m_efficiency);
        // A driver's electrical and mechanical losses together give its Qts,
        // so the electrical part alone must damp less. A sensitivity taken
        // for an efficiency is the usual cause.
        if (v.qes <= design.m_qts)
            return Failure<AnalysisProblem>{
                AnalysisProblem::QesNotAboveQts,
                Printf("The efficiency of %g dB implies Qes %.2f, not above Qts %.2f: enter the "
                       "driver's Qes in Electrical Parameters, or check the efficiency (a "
                       "sensitivity quoted at 2.83 V is higher than at 1 W for drivers below "
                       "8 \u03a9).",
                       design.m_efficiency, v.qes, design.m_qts)};
    } else {
        return Missing(AnalysisProblem::NoQesOrEfficiency);
    }
    if (!std::isfinite(v.qes))
        return Missing(AnalysisProblem::TooExtreme);
    if (!(v.qes > design.m_qts))
        return Missing(AnalysisProblem::QesNotAboveQts);
    // The model follows Qes; an efficiency entered beside it only informs.
    v.eta0 = factor / v.qes;
    if (hasEfficiency && IsGiven(extras.qes)) {
        const double mismatch = EfficiencyDb(v.eta0) - design.m_efficiency;
        if (std::fabs(mismatch) > kEfficiencyTolerance)
            v.efficiencyMismatchDb = mismatch;
    }
    v.qms = design.m_qts * v.qes / (v.qes - design.m_qts);

    const double ws = 2 * std::numbers::pi * fs;
    v.cms = vas / (kAirDensity * kSpeedOfSound * kSpeedOfSound * v.sd * v.sd);
    v.mms = 1 / (ws * ws * v.cms);
    v.rms = ws * v.mms / v.qms;
    v.bl2OverRe = ws * v.mms / v.qes;
    double reFactor = 1, leFactor = 1;
    if (const SignalChain& chain = extras.chain; chain.coils.value_or(1) != 1) {
        if (chain.coils != 2 || chain.coilWiring.value_or(0) > 2)
            return Missing(AnalysisProblem::BadChain);
        switch (static_cast<CoilWiring>(chain.coilWiring.value_or(0))) {
        case CoilWiring::Series:
            reFactor = 2;
            leFactor = 4;
            break;
        case CoilWiring::Parallel:
            reFactor = 0.5;
            break;
        case CoilWiring::One:
            // Half the motor: Bl²/Re halves, and with it the efficiency.
            v.qes *= 2;
            v.eta0 /= 2;
            v.bl2OverRe /= 2;
            break;
        }
    }
    if (IsGiven(extras.re)) {
        v.re = *extras.re * reFactor;
        v.bl = std::sqrt(v.bl2OverRe * *v.re);
        if (IsGiven(extras.le))
            v.le = *extras.le * 1e-3 * leFactor;
    }
    for (const double value :
         {v.sd, v.eta0, v.qes, v.qms, v.cms, v.mms, v.rms, v.bl2OverRe, v.bl.value_or(1)}) {
        if (!Usable(value))
            return Missing(AnalysisProblem::TooExtreme);
    }
    return v;
}

} // namespace orvane
