// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/model/Analysis.h"

#include "core/chain/Stages.h"
#include "core/design/Fields.h"

#include "core/model/Acoustics.h"
#include "core/numeric/VectorState.h"
#include "core/units/Units.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <numbers>
#include <vector>

namespace orvane {

namespace {

using Complex = std::complex<double>;
constexpr double kPi = std::numbers::pi;

// Half a step of the group delay's phase difference, relative to f.
constexpr double kDelayStep = 1e-5;

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
    // The radiators set a radiator box's tuning, so what they lack is named
    // before the tuning they could not give.
    if (kind == BoxKind::PassiveRadiator) {
        AnalysisResult<RadiatorValues> radiators = DeriveRadiatorValues(design);
        if (!radiators)
            return radiators.Error();
        a.m_radiatorValues = *radiators;
        a.m_radiators.emplace(*radiators);
    }
    if (vented1 && !IsGiven(design.m_f1))
        return Missing(AnalysisProblem::NoTuning1);
    if (needs2 && !IsGiven(design.m_v2))
        return Missing(AnalysisProblem::NoVolume2);
    if (vented2 && !IsGiven(design.m_f2))
        return Missing(AnalysisProblem::NoTuning2);

    const DesignExtras& extras = design.m_extras;
    const SignalChain& chain = extras.chain;
    if (chain.stages.size() > kMaxStages ||
        !std::all_of(chain.stages.begin(), chain.stages.end(),
                     [](const FilterStage& st) { return CheckStage(st).Ok(); }))
        return Missing(AnalysisProblem::BadChain);
    const Result<WiredCounts> wired = CountsOf(chain.wiring, design.m_driverCount);
    if (!wired)
        return Failure<AnalysisProblem>{AnalysisProblem::BadChain, wired.Message()};
    const double rs = chain.seriesResistance.value_or(0);
    if (!(rs >= 0 && rs < std::numeric_limits<double>::infinity()))
        return Missing(AnalysisProblem::BadChain);
    const std::optional<double>& re = a.m_driver.re;
    if (!re && (chain.voltage || chain.ampVoltage || rs > 0))
        return Missing(AnalysisProblem::ChainNeedsRe);
    a.m_series = wired->series;
    a.m_loadScale = static_cast<double>(wired->series) / wired->strings;
    a.m_source = rs * wired->strings / wired->series;
    // The load's DC resistance turns voltages into the drive's watts.
    const double reLoad = re ? *re * a.m_loadScale : 0;
    if (chain.voltage) {
        if (!IsGiven(chain.voltage))
            return Missing(AnalysisProblem::NoPower);
        a.m_power = *chain.voltage * *chain.voltage / reLoad;
    } else {
        a.m_power = *Fields::Number(design, FieldId::Power);
    }
    if (!IsGiven(a.m_power))
        return Missing(AnalysisProblem::NoPower);
    a.m_rootPower = std::sqrt(a.m_power);
    a.m_ampLimit = std::numeric_limits<double>::infinity();
    if (IsGiven(chain.ampPower))
        a.m_ampLimit = *chain.ampPower;
    if (IsGiven(chain.ampVoltage))
        a.m_ampLimit = std::min(a.m_ampLimit, *chain.ampVoltage * *chain.ampVoltage / reLoad);
    a.m_filter = ChainFilter(chain.stages);
    a.m_room = RoomCurve(chain);
    a.m_chained = !a.m_filter.Empty() || !a.m_room.Empty();
    a.m_ql = *Fields::Number(design, FieldId::Ql);
    if (vented1 && !IsGiven(a.m_ql))
        return Missing(AnalysisProblem::NoQl);
    a.m_sweep = ComputeSweepRange(design);
    if (PositivePart(a.m_sweep).Count() == 0)
        return Missing(AnalysisProblem::EmptySweep);

    bool usable = true;
    const auto chamber = [&](double volume, bool vented, double tuning,
                             const std::optional<double>& diameter,
                             const std::optional<std::uint16_t>& ports) {
        ChamberCircuit c;
        c.compliance = AcousticCompliance(volume);
        c.inverseCompliance = 1 / c.compliance;
        usable = usable && std::isnormal(c.compliance) && std::isnormal(c.inverseCompliance);
        if (!vented)
            return c;
        const double w = 2 * kPi * tuning;
        c.vented = true;
        c.inversePortMass = w * w * c.compliance;
        c.leakConductance = w * c.compliance / a.m_ql;
        usable = usable && std::isnormal(c.inversePortMass) && std::isnormal(c.leakConductance);
        const double count = ports.value_or(1);
        if (IsGiven(diameter) && count > 0) {
            const double radius = *diameter * Units::kMetresPerInch / 2;
            c.portArea = count * kPi * radius * radius;
            usable = usable && std::isnormal(c.portArea);
        }
        return c;
    };
    // Radiators have no port; the leak is still taken at the tuning.
    const bool radiators = kind == BoxKind::PassiveRadiator;
    a.m_chambers[0] = chamber(design.m_v1, vented1, design.m_f1,
                              radiators ? std::nullopt : extras.portDiameter, extras.ports);
    if (needs2)
        a.m_chambers[1] =
            chamber(design.m_v2, vented2, design.m_f2, extras.port2Diameter, extras.ports2);

    // The state is worked out for 1 W in all, each driver taking 1/N of it;
    // the drive and the chain's H(f) only scale what follows it. With Le or a
    // series resistance the amplifier's open-circuit voltage drives the voice
    // coil's impedance (each driver sees its own source of 1/S of the
    // voltage through Rs·P/S); otherwise the same power is a force.
    const double share = 1 / a.m_count;
    if (a.m_driver.le || a.m_source > 0) {
        a.m_le = a.m_driver.le.value_or(0);
        a.m_drive = *a.m_driver.bl * std::sqrt(share * *a.m_driver.re);
    } else {
        a.m_drive = std::sqrt(share * a.m_driver.bl2OverRe);
    }
    if (IsGiven(design.m_xmax))
        a.m_xmax = design.m_xmax * Units::kMetresPerInch * 1000;
    // Pe is each driver's rating: together they take N times it.
    if (IsGiven(extras.pe))
        a.m_thermal = a.m_count * *extras.pe;
    a.m_stiffness = 1 / a.m_driver.cms;
    usable = usable && std::isnormal(a.m_drive) && std::isnormal(a.m_stiffness) &&
             std::isfinite(a.m_le) && std::isfinite(a.m_xmax) && std::isfinite(a.m_thermal) &&
             std::isfinite(a.m_power) && std::isnormal(a.m_loadScale) &&
             std::isfinite(a.m_source) && !std::isnan(a.m_ampLimit);
    if (!usable)
        return Missing(AnalysisProblem::TooExtreme);
    a.m_available = kSpl | kExcursion | kDelay | kChain;
    for (const Quantity q : {kPort1, kPort2, kImpedance, kMaximum, kRadiator}) {
        if (a.Has(q))
            a.m_available |= q;
    }

    // Values that stay finite at the ends of the sweep and at the box's
    // resonances, where every quantity has its extremes, stay finite between.
    const int64_t low = PositivePart(a.m_sweep).first;
    const int64_t high = a.m_sweep.last - 1;
    for (const double f : {static_cast<double>(low), static_cast<double>(high), design.m_fs, a.m_f1,
                           a.m_f2, a.m_f1 * std::sqrt(2.0), a.m_f1 / std::sqrt(2.0)}) {
        const double at = std::round(f);
        if (!(at >= static_cast<double>(low) && at <= static_cast<double>(high)))
            continue;
        if (!a.Finite(a.RowOf(static_cast<int32_t>(at), kAll)))
            return Missing(AnalysisProblem::TooExtreme);
    }
    return a;
}

AnalysisResult<void> Analysis::Has(Quantity quantity) const {
    switch (quantity) {
    case kPort1:
    case kPort2: {
        const ChamberCircuit& c = m_chambers[quantity == kPort1 ? 0 : 1];
        if (c.vented && c.portArea > 0)
            return {};
        if (m_radiators)
            return Missing(AnalysisProblem::NoPort);
        // A vented chamber lacks only its port's size, which the user can give.
        return Failure<AnalysisProblem>{
            AnalysisProblem::NoPort,
            AnalysisProblemText(AnalysisProblem::NoPort) +
                (c.vented ? " Enter the port diameter in Options \u25b8 Analysis Settings." : "")};
    }
    case kImpedance:
        if (!m_driver.re)
            return Missing(AnalysisProblem::NoRe);
        return {};
    case kRadiator:
        if (!m_radiators)
            return Missing(AnalysisProblem::NoRadiator);
        return {};
    case kMaximum:
        if (m_xmax <= 0 && m_thermal <= 0 && !(m_radiatorValues && m_radiatorValues->xmax > 0) &&
            !(m_ampLimit < std::numeric_limits<double>::infinity()))
            return Missing(AnalysisProblem::NoLimit);
        return {};
    default:
        return {};
    }
}

bool Analysis::Finite(const AnalysisRow& row) const {
    const auto has = [this](Quantity q) { return (m_available & q) != 0; };
    return std::isfinite(row.spl) && std::isfinite(row.excursion) && std::isfinite(row.delay) &&
           (!has(kPort1) || std::isfinite(row.port[0])) &&
           (!has(kPort2) || std::isfinite(row.port[1])) &&
           (!has(kImpedance) || (std::isfinite(row.ohms) && std::isfinite(row.degrees))) &&
           (!has(kMaximum) || (std::isfinite(row.maxPower) && std::isfinite(row.maxSpl))) &&
           (!has(kRadiator) || std::isfinite(row.radiator)) &&
           (!has(kChain) || (std::isfinite(row.chainDb) && std::isfinite(row.chainDegrees)));
}

void Analysis::Rows(int64_t first, std::span<AnalysisRow> rows, unsigned quantities) const {
    // Only what the design has is worked out.
    quantities &= m_available;
    ClearUpperVectorState(); // the caller may just have painted
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = RowOf(static_cast<int32_t>(first + static_cast<int64_t>(i)), quantities);
}

AnalysisRow Analysis::Row(int32_t frequency, unsigned quantities) const {
    AnalysisRow row;
    Rows(frequency, std::span(&row, 1), quantities);
    return row;
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
    // in parallel. In a vented box the cone, the port and the leak all
    // radiate; a bandpass box radiates through its ports alone, its leaks
    // being losses between its chambers and the cones' other side.
    Complex box;
    Complex radiatedShare;
    const auto vented = [&](int i) {
        const ChamberCircuit& c = m_chambers[i];
        const Complex port(0, -inverseW * c.inversePortMass);
        st.chamber[i] = Inverse(port + c.leakConductance + Complex(0, w * c.compliance));
        return port;
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
        const Complex port = vented(0);
        box = st.chamber[0] + Complex(0, -inverseW * m_chambers[1].inverseCompliance);
        radiatedShare = st.chamber[0] * port;
        break;
    }
    case BoxKind::Bandpass6: {
        const Complex port1 = vented(0);
        const Complex port2 = vented(1);
        box = st.chamber[0] + st.chamber[1];
        radiatedShare = st.chamber[0] * port1 - st.chamber[1] * port2;
        break;
    }
    case BoxKind::PassiveRadiator: {
        // As the vented box, with the radiators in place of the port.
        const ChamberCircuit& c = m_chambers[0];
        st.radiators = m_radiators->Admittance(w);
        st.chamber[0] = Inverse(st.radiators + c.leakConductance + Complex(0, w * c.compliance));
        box = st.chamber[0];
        radiatedShare = Complex(0, w * c.compliance) * st.chamber[0];
        break;
    }
    case BoxKind::Unknown:
        break;
    }

    const Complex zm(d.rms, w * d.mms - inverseW * m_stiffness);
    st.mechanicalLoad = zm + m_count * d.sd * d.sd * box;
    if (m_le > 0 || m_source > 0) {
        const Complex ze = Inverse(Complex(*d.re + m_source, w * m_le)); // 1/(Ze + Rs')
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

// At `power` watts: the pressure grows with its root. Through the natural
// logarithm, which the C library computes faster than log10.
double Analysis::SplOf(const State& st, double power) {
    constexpr double p0 = Acoustics::kReferencePressure;
    return 10 / std::numbers::ln10 * std::log(Norm(Pressure(st)) * power / (p0 * p0));
}

// Peak from RMS, displacement from velocity, metres to millimetres.
double Analysis::ExcursionOf(const State& st) {
    return std::sqrt(2.0) * Magnitude(st.coneVelocity) / st.omega * 1000;
}

Complex Analysis::ImpedanceOf(const State& st) const {
    const double re = *m_driver.re;
    return Complex(re, st.omega * m_le) + m_driver.bl2OverRe * re * Inverse(st.mechanicalLoad);
}

ChainFilter::Point Analysis::ChainAt(double frequency) const {
    return m_filter.Empty() ? ChainFilter::Point{1, 0} : m_filter.At(frequency);
}

std::optional<double> Analysis::LoadResistance() const {
    if (!m_driver.re)
        return std::nullopt;
    return *m_driver.re * m_loadScale;
}

Complex Analysis::PressureAt(double frequency) const {
    ClearUpperVectorState();
    return Pressure(At(frequency)) * m_rootPower * ChainAt(frequency).h *
           std::sqrt(m_room.Factor(frequency));
}

Complex Analysis::ImpedanceAt(double frequency) const {
    ClearUpperVectorState();
    return ImpedanceOf(At(frequency)) * m_loadScale;
}

AnalysisRow Analysis::RowOf(int32_t frequency, unsigned quantities) const {
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    AnalysisRow row{frequency, nan, nan, {nan, nan}, nan, nan, nan, nan, nan, nan, nan, nan};
    const auto f = static_cast<double>(frequency);
    const State st = At(f);
    // The chain scales the drive by |H|² as a power; the room adds a level.
    // Both levels are the box's at the drive plus the chain's, in dB.
    const ChainFilter::Point chain = ChainAt(f);
    const Complex h = chain.h;
    const double h2 = Norm(h);
    const double gain = std::sqrt(h2);
    const double level =
        m_chained ? 10 / std::numbers::ln10 * std::log(h2 * m_room.Factor(f)) : 0.0;
    if ((quantities & kChain) != 0) {
        row.chainDb = level;
        const double degrees = m_filter.Empty() ? 0.0 : std::arg(h) * 180 / kPi;
        row.chainDegrees = degrees <= -180 ? degrees + 360 : degrees;
    }
    if ((quantities & kSpl) != 0)
        row.spl = SplOf(st, m_power) + level;
    // One driver's impedance, for the load's and for the thermal limit
    // behind a series resistance: worked out once.
    std::optional<Complex> z;
    const auto driverZ = [&] {
        if (!z)
            z = ImpedanceOf(st);
        return *z;
    };
    const double excursion = ExcursionOf(st) * gain;
    if ((quantities & kExcursion) != 0)
        row.excursion = excursion * m_rootPower;
    for (int i = 0; i < 2; ++i) {
        if ((quantities & (i == 0 ? kPort1 : kPort2)) == 0)
            continue;
        // The port's share of the chamber's flow: its pressure over the port mass.
        const ChamberCircuit& c = m_chambers[i];
        const Complex portFlow = m_count * m_driver.sd * st.coneVelocity * st.chamber[i] *
                                 Complex(0, -c.inversePortMass / st.omega);
        row.port[i] = std::sqrt(2.0) * Magnitude(portFlow) / c.portArea * m_rootPower * gain;
    }
    // Each radiator's share of the flow through the radiators' branch.
    double radiator = 0;
    if ((quantities & (kRadiator | kMaximum)) != 0 && m_radiators) {
        const Complex flow = m_count * m_driver.sd * st.coneVelocity * st.chamber[0] * st.radiators;
        radiator = std::sqrt(2.0) * Magnitude(flow) /
                   (m_radiatorValues->count * m_radiatorValues->sd * st.omega) * 1000 * gain;
    }
    if ((quantities & kRadiator) != 0)
        row.radiator = radiator * m_rootPower;
    if ((quantities & kImpedance) != 0) {
        const Complex z = driverZ() * m_loadScale;
        row.ohms = Magnitude(z);
        row.degrees = std::arg(z) * 180 / kPi;
    }
    if ((quantities & kDelay) != 0) {
        const Complex above = Pressure(At(f * (1 + kDelayStep)));
        const Complex below = Pressure(At(f * (1 - kDelayStep)));
        row.delay = -PhaseDifference(above, below) / (2 * kPi * 2 * kDelayStep * f) * 1000;
        // The delays of the box and of the filters add up.
        if (!m_filter.Empty())
            row.delay += chain.delay * 1000;
    }
    if ((quantities & kMaximum) != 0) {
        // The drive at which each limit is reached: the thermal limit (each
        // driver's |V|²/Re at Pe, its voltage divided by Rs), Xmax (excursion
        // grows with the root of the drive) and the amplifier's voltage. The
        // chain's |H|² divides each.
        double power = m_thermal > 0 ? m_thermal : std::numeric_limits<double>::infinity();
        if (m_source > 0 && m_thermal > 0) {
            const Complex z = driverZ();
            power *= Norm(z + m_source) / Norm(z);
        }
        power /= h2;
        power = std::min(power, m_ampLimit / h2);
        if (m_xmax > 0) {
            const double ratio = m_xmax / excursion;
            power = std::min(power, ratio * ratio);
        }
        if (m_radiatorValues && m_radiatorValues->xmax > 0) {
            const double ratio = m_radiatorValues->xmax / radiator;
            power = std::min(power, ratio * ratio);
        }
        row.maxPower = power;
        row.maxSpl = SplOf(st, power) + level;
    }
    return row;
}

std::optional<AnalysisRow> RowAtF3(const Analysis& a, std::optional<double> loudest) {
    constexpr std::size_t kBlock = 4096;
    std::vector<AnalysisRow> rows(kBlock);
    const SweepRange sweep = a.Sweep();
    const auto each = [&](unsigned quantities, auto take) {
        for (int64_t first = sweep.first; first < sweep.last; first += kBlock) {
            const auto count = static_cast<std::size_t>(
                std::min<int64_t>(sweep.last - first, static_cast<int64_t>(kBlock)));
            a.Rows(first, std::span(rows.data(), count), quantities);
            for (std::size_t i = 0; i < count; ++i) {
                if (!take(rows[i]))
                    return;
            }
        }
    };
    if (!loudest) {
        double highest = -std::numeric_limits<double>::infinity();
        each(Analysis::kSpl, [&](const AnalysisRow& r) {
            if (std::isfinite(r.spl))
                highest = std::max(highest, r.spl);
            return true;
        });
        loudest = highest;
    }
    std::optional<AnalysisRow> found;
    each(Analysis::kSpl | Analysis::kMaximum, [&](const AnalysisRow& r) {
        if (r.spl >= *loudest - 3 && std::isfinite(r.maxSpl)) {
            found = r;
            return false;
        }
        return true;
    });
    return found;
}

} // namespace orvane
