// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/model/PassiveRadiator.h"

#include "core/model/Acoustics.h"
#include "core/model/DriverValues.h"
#include "core/text/Printf.h"
#include "core/units/Units.h"

#include <cmath>
#include <numbers>

namespace orvane {

namespace {

constexpr double kPi = std::numbers::pi;

bool Usable(double value) {
    return std::isnormal(value) && value > 0;
}

} // namespace

AnalysisResult<RadiatorValues> DeriveRadiatorValues(const SpeakerDesign& design) {
    using namespace Acoustics;
    const DesignExtras& x = design.m_extras;
    RadiatorValues r;
    if (IsGiven(x.prSd)) {
        r.sd = *x.prSd * Units::kMetresPerInch * Units::kMetresPerInch;
    } else if (IsGiven(x.prDiameter)) {
        const double radius = Units::kEffectiveRadiusShare * *x.prDiameter * Units::kMetresPerInch;
        r.sd = kPi * radius * radius;
    }
    if (!IsGiven(x.prFs) || !IsGiven(x.prVas) || !IsGiven(x.prQms) || !(r.sd > 0))
        return Missing(AnalysisProblem::NoRadiator);
    r.count = x.prCount.value_or(1);
    if (r.count < 1)
        return Missing(AnalysisProblem::NoRadiator);
    const double added = x.prMass.value_or(0);
    if (!(added >= 0 && std::isfinite(added)))
        return Missing(AnalysisProblem::TooExtreme);
    r.added = added * 1e-3;
    const double vas = *x.prVas * Units::kCubicMetresPerCubicFoot;
    const double ws = 2 * kPi * *x.prFs;
    r.cms = vas / (kAirDensity * kSpeedOfSound * kSpeedOfSound * r.sd * r.sd);
    r.mms = 1 / (ws * ws * r.cms);
    r.rms = ws * r.mms / *x.prQms;
    if (IsGiven(x.prXmax))
        r.xmax = *x.prXmax * Units::kMillimetresPerInch;
    for (const double v : {r.sd, r.cms, r.mms, r.rms, 1 / r.cms, 1 / r.MovingMass()}) {
        if (!Usable(v))
            return Missing(AnalysisProblem::TooExtreme);
    }
    if (!std::isfinite(r.xmax))
        return Missing(AnalysisProblem::TooExtreme);
    return r;
}

RadiatorBranch::RadiatorBranch(const RadiatorValues& r) {
    const double area2 = r.count * r.sd * r.sd;
    resistance = r.rms / area2;
    mass = r.MovingMass() / area2;
    stiffness = 1 / (r.cms * area2);
}

RadiatorTuning TuningOf(const RadiatorValues& r, double boxCompliance) {
    RadiatorTuning t;
    t.fp = 1 / (2 * kPi * std::sqrt(r.MovingMass() * r.cms));
    // Np·Cmp·Sd² is the radiators' compliance in acoustic terms, Np·Vas_p/(ρ0·c²).
    t.delta = r.count * r.cms * r.sd * r.sd / boxCompliance;
    t.fb = t.fp * std::sqrt(1 + t.delta);
    return t;
}

Result<double, int> MassForTuning(const RadiatorValues& r, double boxCompliance, double fb) {
    const double cap = r.count * r.cms * r.sd * r.sd;
    const double ceff = boxCompliance * cap / (boxCompliance + cap);
    const double w = 2 * kPi * fb;
    const double added = r.count * r.sd * r.sd / (w * w * ceff) - r.mms;
    if (!std::isfinite(added) || !(fb > 0))
        return Failure<int>{1, "The target tuning must be above 0 Hz."};
    if (added < 0) {
        RadiatorValues bare = r;
        bare.added = 0;
        return Failure<int>{
            1, Printf("A tuning of %.1f Hz needs less than the radiator's own mass: the highest "
                      "these radiators reach on this box is %.1f Hz.",
                      fb, TuningOf(bare, boxCompliance).fb)};
    }
    return added * 1e3;
}

std::string RadiatorDisplacementWarning(const SpeakerDesign& design) {
    const DesignExtras& x = design.m_extras;
    const AnalysisResult<RadiatorValues> r = DeriveRadiatorValues(design);
    if (!r || !IsGiven(x.prXmax) || !IsGiven(design.m_xmax) || !IsGiven(design.m_coneDiameter))
        return {};
    const double radius = Units::kEffectiveRadiusShare * design.m_coneDiameter;
    const double drivers = design.m_driverCount * kPi * radius * radius * design.m_xmax; // in³
    const double radiators =
        r->count * r->sd / (Units::kMetresPerInch * Units::kMetresPerInch) * *x.prXmax;
    if (radiators >= 2 * drivers)
        return {};
    return Printf("radiators displace %.1fx the drivers (want 2x)", radiators / drivers);
}

} // namespace orvane
