// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/model/Analysis.h"

#include "core/model/Acoustics.h"
#include "core/numeric/VectorState.h"
#include "core/units/Units.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace orvane {

namespace {

using Complex = std::complex<double>;
constexpr double kPi = std::numbers::pi;

// Half a step of the group delay's phase difference, relative to f.
constexpr double kDelayStep = 1e-5;

double AcousticCompliance(double cubicFeet) {
    using namespace Acoustics;
    return cubicFeet * Units::kCubicMetresPerCubicFoot /
           (kAirDensity * kSpeedOfSound * kSpeedOfSound);
}

// The sweep forms several of these at every point; the library's complex
// division and magnitude guard against overflow at a cost that these
// magnitudes never need.
double Norm(Complex z) {
    return z.real() * z.real() + z.imag() * z.imag();
}
double Magnitude(Complex z) {
    return std::sqrt(Norm(z));
}
Complex Inverse(Complex z) {
    const double scale = 1 / Norm(z);
    return {z.real() * scale, -z.imag() * scale};
}

// The phase of a against b, wrapped into (-π, π].
double PhaseDifference(Complex a, Complex b) {
    const double d = std::arg(a * std::conj(b));
    return d <= -kPi ? d + 2 * kPi : d;
}

} // namespace

AnalysisResult<Analysis> Analysis::Prepare(const SpeakerDesign& stored) {
    using namespace Acoustics;
    SpeakerDesign design = stored;
    ApplyAutomaticValues(design, StoredF1CountsAsEntered(design));
    const BoxKind kind = design.Kind();
    if (kind == BoxKind::Unknown)
        return Missing(AnalysisProblem::UnknownBoxType);
    AnalysisResult<DriverValues> driver = DeriveDriverValues(design);
    if (!driver)
        return driver.Error();
    if (design.m_driverCount == 0)
        return Missing(AnalysisProblem::NoDriverCount);

    Analysis a;
    a.m_kind = kind;
    a.m_driver = *driver;
    a.m_count = design.m_driverCount;
    a.m_f1 = design.m_f1;
    a.m_f2 = design.m_f2;

    // The chambers each type needs, in the order a user fills them in.
    const bool vented1 = kind != BoxKind::Sealed;
    const bool needs2 = kind == BoxKind::Bandpass4 || kind == BoxKind::Bandpass6;
    const bool vented2 = kind == BoxKind::Bandpass6;
    if (!IsGiven(design.m_v1))
        return Missing(AnalysisProblem::NoVolume1);
    if (vented1 && !IsGiven(design.m_f1))
        return Missing(AnalysisProblem::NoTuning1);
    if (needs2 && !IsGiven(design.m_v2))
        return Missing(AnalysisProblem::NoVolume2);
    if (vented2 && !IsGiven(design.m_f2))
        return Missing(AnalysisProblem::NoTuning2);

    const DesignExtras& extras = design.m_extras;
    a.m_power = extras.power.value_or(kDefaultPower);
    if (!IsGiven(a.m_power))
        return Missing(AnalysisProblem::NoPower);
    a.m_ql = extras.ql.value_or(kDefaultQl);
    if (vented1 && !IsGiven(a.m_ql))
        return Missing(AnalysisProblem::NoQl);

    const auto chamber = [&](double volume, bool vented, double tuning,
                             const std::optional<double>& diameter,
                             const std::optional<std::uint16_t>& ports) {
        ChamberCircuit c;
        c.compliance = AcousticCompliance(volume);
        c.inverseCompliance = 1 / c.compliance;
        if (!vented)
            return c;
        const double w = 2 * kPi * tuning;
        c.vented = true;
        c.inversePortMass = w * w * c.compliance;
        c.leakConductance = w * c.compliance / a.m_ql;
        const double count = ports.value_or(1);
        if (IsGiven(diameter) && count > 0) {
            const double radius = *diameter * Units::kMetresPerInch / 2;
            c.portArea = count * kPi * radius * radius;
        }
        return c;
    };
    a.m_chambers[0] = chamber(design.m_v1, vented1, design.m_f1, extras.portDiameter, extras.ports);
    if (needs2)
        a.m_chambers[1] =
            chamber(design.m_v2, vented2, design.m_f2, extras.port2Diameter, extras.ports2);

    // Each driver gets P/N. With Le the amplifier's open-circuit voltage
    // drives the voice coil's impedance; without it the same power is a force.
    const double share = a.m_power / a.m_count;
    if (a.m_driver.re && IsGiven(extras.le)) {
        a.m_le = *extras.le * 1e-3;
        a.m_drive = *a.m_driver.bl * std::sqrt(share * *a.m_driver.re);
    } else {
        a.m_drive = std::sqrt(share * a.m_driver.bl2OverRe);
    }
    if (IsGiven(design.m_xmax))
        a.m_xmax = design.m_xmax * Units::kMetresPerInch * 1000;
    if (IsGiven(extras.pe))
        a.m_pe = *extras.pe;
    a.m_stiffness = 1 / a.m_driver.cms;
    a.m_sweep = ComputeSweepRange(design);
    // Every quantity but the group delay reads the same state at each point.
    a.m_states.reserve(static_cast<std::size_t>(a.m_sweep.Count()));
    ClearUpperVectorState(); // the caller may just have painted
    for (int64_t i = a.m_sweep.first; i < a.m_sweep.last; ++i)
        a.m_states.push_back(a.At(static_cast<double>(i)));
    return a;
}

Analysis::State Analysis::At(double frequency) const {
    const DriverValues& d = m_driver;
    State st;
    st.chamber[1] = 0;
    const double w = 2 * kPi * frequency;
    const double inverseW = 1 / w;
    st.omega = w;

    // The box as the cones see it (Zb) and the share of their volume velocity
    // that radiates. A vented chamber is its compliance, port mass and leakage
    // in parallel; the port and the leak carry the flow that leaves it.
    Complex box;
    Complex radiatedShare;
    const auto vented = [&](int i) {
        const ChamberCircuit& c = m_chambers[i];
        const Complex portAndLeak(c.leakConductance, -inverseW * c.inversePortMass);
        st.chamber[i] = Inverse(portAndLeak + Complex(0, w * c.compliance));
        return portAndLeak;
    };
    switch (m_kind) {
    case BoxKind::Sealed:
        box = Complex(0, -inverseW * m_chambers[0].inverseCompliance);
        radiatedShare = 1;
        break;
    case BoxKind::Vented:
        vented(0);
        box = st.chamber[0];
        radiatedShare = Complex(0, w * m_chambers[0].compliance) * st.chamber[0];
        break;
    case BoxKind::Bandpass4: {
        const Complex y1 = vented(0);
        box = st.chamber[0] + Complex(0, -inverseW * m_chambers[1].inverseCompliance);
        radiatedShare = st.chamber[0] * y1;
        break;
    }
    case BoxKind::Bandpass6: {
        const Complex y1 = vented(0);
        const Complex y2 = vented(1);
        box = st.chamber[0] + st.chamber[1];
        radiatedShare = st.chamber[0] * y1 - st.chamber[1] * y2;
        break;
    }
    case BoxKind::Unknown:
        break;
    }

    const Complex zm(d.rms, w * d.mms - inverseW * m_stiffness);
    st.mechanicalLoad = zm + m_count * d.sd * d.sd * box;
    if (m_le > 0) {
        const Complex ze = Inverse(Complex(*d.re, w * m_le)); // 1/Ze
        const double bl2 = d.bl2OverRe * *d.re;
        st.coneVelocity = m_drive * ze * Inverse(st.mechanicalLoad + bl2 * ze);
    } else {
        st.coneVelocity = m_drive * Inverse(st.mechanicalLoad + d.bl2OverRe);
    }
    st.radiated = m_count * d.sd * st.coneVelocity * radiatedShare;
    return st;
}

// p = jωρ0·U0/(2π·r): a small source radiating into half space.
Complex Analysis::Pressure(const State& st) {
    using namespace Acoustics;
    constexpr double factor = kAirDensity / (2 * kPi * kDistance);
    return Complex(0, st.omega * factor) * st.radiated;
}

template <class Point, class Make> std::vector<Point> Analysis::Sample(Make make) const {
    std::vector<Point> points;
    points.reserve(m_states.size());
    ClearUpperVectorState();
    for (std::size_t i = 0; i < m_states.size(); ++i)
        points.push_back(
            make(static_cast<int32_t>(m_sweep.first + static_cast<int64_t>(i)), m_states[i]));
    return points;
}

// At `powerRatio` times the input power: the pressure grows with its root.
// Through the natural logarithm, which the C library computes faster than log10.
double Analysis::SplOf(const State& st, double powerRatio) {
    constexpr double p0 = Acoustics::kReferencePressure;
    return 10 / std::numbers::ln10 * std::log(Norm(Pressure(st)) * powerRatio / (p0 * p0));
}

// Peak from RMS, displacement from velocity, metres to millimetres.
double Analysis::ExcursionOf(const State& st) {
    return std::sqrt(2.0) * Magnitude(st.coneVelocity) / st.omega * 1000;
}

AnalysisCurve Analysis::Spl() const {
    return Sample<AnalysisPoint>([&](int32_t f, const State& st) {
        return AnalysisPoint{f, SplOf(st, 1)};
    });
}

AnalysisCurve Analysis::Excursion() const {
    return Sample<AnalysisPoint>([](int32_t f, const State& st) {
        return AnalysisPoint{f, ExcursionOf(st)};
    });
}

AnalysisResult<AnalysisCurve> Analysis::PortVelocity(Chamber chamber) const {
    const int i = chamber == Chamber::One ? 0 : 1;
    const ChamberCircuit& c = m_chambers[i];
    if (!c.vented || c.portArea <= 0)
        return Missing(AnalysisProblem::NoPort);
    return Sample<AnalysisPoint>([&](int32_t f, const State& st) {
        // The port's share of the chamber's flow: its pressure over the port mass.
        const Complex portFlow = m_count * m_driver.sd * st.coneVelocity * st.chamber[i] *
                                 Complex(0, -c.inversePortMass / st.omega);
        return AnalysisPoint{f, std::sqrt(2.0) * Magnitude(portFlow) / c.portArea};
    });
}

AnalysisResult<ImpedanceCurve> Analysis::Impedance() const {
    if (!m_driver.re)
        return Missing(AnalysisProblem::NoRe);
    const double re = *m_driver.re;
    const double bl2 = m_driver.bl2OverRe * re;
    return Sample<ImpedancePoint>([&](int32_t f, const State& st) {
        const Complex z = Complex(re, st.omega * m_le) + bl2 * Inverse(st.mechanicalLoad);
        return ImpedancePoint{f, Magnitude(z), std::arg(z) * 180 / kPi};
    });
}

AnalysisCurve Analysis::GroupDelay() const {
    AnalysisCurve points;
    points.reserve(static_cast<std::size_t>(m_sweep.Count()));
    ClearUpperVectorState();
    for (int64_t i = m_sweep.first; i < m_sweep.last; ++i) {
        const auto f = static_cast<double>(i);
        const Complex above = Pressure(At(f * (1 + kDelayStep)));
        const Complex below = Pressure(At(f * (1 - kDelayStep)));
        const double delay = -PhaseDifference(above, below) / (2 * kPi * 2 * kDelayStep * f);
        points.push_back({static_cast<int32_t>(i), delay * 1000});
    }
    return points;
}

AnalysisResult<MaximumOutputCurve> Analysis::MaximumOutput() const {
    if (m_xmax <= 0 && m_pe <= 0)
        return Missing(AnalysisProblem::NoLimit);
    return Sample<MaximumOutputPoint>([&](int32_t f, const State& st) {
        double power = m_pe > 0 ? m_pe : std::numeric_limits<double>::infinity();
        // Excursion grows with the square root of the power.
        if (m_xmax > 0) {
            const double ratio = m_xmax / ExcursionOf(st);
            power = std::min(power, m_power * ratio * ratio);
        }
        return MaximumOutputPoint{f, power, SplOf(st, power / m_power)};
    });
}

} // namespace orvane
