// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/model/DriverValues.h"

#include "core/model/Acoustics.h"
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

} // namespace

AnalysisResult<DriverValues> DeriveDriverValues(const SpeakerDesign& design) {
    using namespace Acoustics;
    const DesignExtras& extras = design.m_extras;
    if (!IsGiven(design.m_fs) || !IsGiven(design.m_qts) || !IsGiven(design.m_vas))
        return Missing(AnalysisProblem::NoDriver);
    if (!IsGiven(design.m_coneDiameter))
        return Missing(AnalysisProblem::NoConeDiameter);
    const double fs = design.m_fs;
    const double vas = design.m_vas * Units::kCubicMetresPerCubicFoot;
    const bool hasEfficiency = IsGiven(design.m_efficiency);

    DriverValues v;
    const double r = Units::kEffectiveRadiusShare * design.m_coneDiameter * Units::kMetresPerInch;
    v.sd = std::numbers::pi * r * r;
    if (hasEfficiency)
        v.eta0 = std::pow(10.0, (design.m_efficiency - 112) / 10);
    if (IsGiven(extras.qes))
        v.qes = *extras.qes;
    else if (hasEfficiency)
        v.qes = EfficiencyFactor(fs, vas) / v.eta0;
    else
        return Missing(AnalysisProblem::NoQesOrEfficiency);
    if (!hasEfficiency)
        v.eta0 = EfficiencyFactor(fs, vas) / v.qes;
    // A driver's electrical and mechanical losses together give its Qts, so
    // the electrical part alone must damp less.
    if (!(v.qes > design.m_qts) || !std::isfinite(v.qes))
        return Missing(AnalysisProblem::QesNotAboveQts);
    v.qms = design.m_qts * v.qes / (v.qes - design.m_qts);

    const double ws = 2 * std::numbers::pi * fs;
    v.cms = vas / (kAirDensity * kSpeedOfSound * kSpeedOfSound * v.sd * v.sd);
    v.mms = 1 / (ws * ws * v.cms);
    v.rms = ws * v.mms / v.qms;
    v.bl2OverRe = ws * v.mms / v.qes;
    if (IsGiven(extras.re)) {
        v.re = *extras.re;
        v.bl = std::sqrt(v.bl2OverRe * *extras.re);
    }
    return v;
}

} // namespace orvane
