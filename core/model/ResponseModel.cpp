// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/model/ResponseModel.h"

#include "core/design/Fields.h"

#include "core/model/Acoustics.h"
#include "core/model/PassiveRadiator.h"
#include "core/numeric/Saturate.h"
#include "core/numeric/VectorState.h"

#include <cmath>
#include <complex>
#include <numbers>

namespace orvane {

namespace {

constexpr double kC = 0.0001;

double TotalCompliance(const SpeakerDesign& d) {
    return static_cast<double>(d.m_driverCount) * d.m_vas;
}

// Whole powers of a frequency by multiplication: a product of two exact
// factors is rounded once, as a correctly rounded power is, so while f^3 is
// exact (f below 208063 Hz) every power is the nearest double to the true
// one and the curve differs from one formed with pow only where pow itself
// is not correctly rounded; pow costs several times as much.
struct Powers {
    explicit Powers(double f) : f2(f * f), f3(f2 * f), f4(f2 * f2), f5(f3 * f2), f6(f3 * f3) {}
    double f2, f3, f4, f5, f6;
};

// The per-type constants of a curve, formed once after the automatic step;
// Level() then evaluates one frequency. Keeping both in one place means
// LevelAt and ComputeCurve cannot drift apart.
class LevelModel {
public:
    LevelModel(const SpeakerDesign& d, const SealedAlignment& a)
        : m_kind(d.Kind()), m_fs(d.m_fs), m_qts(d.m_qts), m_f1(d.m_f1), m_f2(d.m_f2) {
        const double w = TotalCompliance(d);
        switch (m_kind) {
        case BoxKind::Sealed:
            m_fc = d.m_fs * std::sqrt(1 + w / d.m_v1);
            m_qtc = a.qtc;
            break;
        case BoxKind::Vented: {
            const double h = d.m_f1 / d.m_fs;
            m_a = h * h;
            m_b = h * h / d.m_qts + h / 7;
            m_g = 1 + w / d.m_v1 + h * h + h / (7 * d.m_qts);
            m_e = 1 / d.m_qts + h / 7;
            break;
        }
        case BoxKind::Bandpass4:
            m_t = 1 + w / d.m_v2;
            m_s = 1 + w * (1 / d.m_v1 + 1 / d.m_v2);
            break;
        case BoxKind::Bandpass6: {
            const double fs = d.m_fs, qts = d.m_qts, f1 = d.m_f1, f2 = d.m_f2;
            const double f1sq = f1 * f1, f2sq = f2 * f2, fssq = fs * fs;
            m_p5 = fs / qts + kC * (f1 + f2sq / f1);
            m_p4 = fssq * (1 + w * (1 / d.m_v1 + 1 / d.m_v2)) + kC * fs * (f1 + f2sq / f1) / qts +
                   f1sq + f2sq;
            m_p3 = 0.0002 * f1 * f2sq + fs * (f1sq + f2sq) / qts +
                   kC * fssq * (f2sq * (1 + w / d.m_v1) / f1 + f1 * (1 + w / d.m_v2));
            m_p2 = f1sq * f2sq + 0.0002 * f2sq * f1 * fs / qts +
                   fssq * (f2sq * (1 + w / d.m_v1) + f1sq * (1 + w / d.m_v2));
            m_p1 = f1 * f2sq * (f1 * fs / qts + 0.0002 * fssq);
            m_p0 = f1sq * f2sq * fssq;
            m_tuningSpread = std::fabs(f1sq - f2sq);
            break;
        }
        case BoxKind::PassiveRadiator:
            PrepareRadiators(d);
            break;
        case BoxKind::Unknown:
            break;
        }
    }

    bool HasCurve() const { return m_kind != BoxKind::Unknown; }

    // Any frequency above zero; whole-hertz sweeps pass their integer frequency.
    double Level(double f) const {
        switch (m_kind) {
        case BoxKind::Sealed: {
            const double x = f / m_fc;
            const double x2 = x * x;
            const double q = x / m_qtc;
            const double dd = std::sqrt((1 - x2) * (1 - x2) + q * q);
            return 20 * std::log10(x2 / dd);
        }
        case BoxKind::Vented: {
            const double r = f / m_fs;
            const double x = r * r;
            const double re = (x - m_g) * x + m_a;
            const double im = m_e * x - m_b;
            const double dd = std::sqrt(re * re + x * (im * im));
            return 20 * std::log10(x * x / dd);
        }
        case BoxKind::Bandpass4: {
            const double fs = m_fs, f1 = m_f1;
            const Powers p(f);
            const double r = fs * fs * m_t - p.f2 * (1 + (fs / f1) * (fs * m_s / f1 + kC / m_qts)) +
                             p.f4 / (f1 * f1);
            const double im =
                f * fs * (1 / m_qts + kC * m_t * fs / f1) - p.f3 * (fs / (f1 * m_qts) + kC) / f1;
            const double m = std::sqrt(r * r + im * im);
            // The square of a whole frequency is exact before its one rounding,
            // as a 64-bit integer product would be, and cannot overflow.
            const double numerator = p.f2;
            return 8.7 * std::log(numerator / m);
        }
        case BoxKind::Bandpass6: {
            const Powers p(f);
            const double re = m_p0 - p.f6 - p.f2 * m_p2 + p.f4 * m_p4;
            const double im = f * m_p1 - p.f3 * m_p3 + p.f5 * m_p5;
            const double m = std::sqrt(re * re + im * im);
            return 20 * std::log10(p.f4 * m_tuningSpread / m);
        }
        case BoxKind::PassiveRadiator:
            return RadiatorLevel(f);
        case BoxKind::Unknown:
            break;
        }
        return std::numeric_limits<double>::quiet_NaN();
    }

private:
    // The radiators' box as a lumped circuit in acoustic terms: the N drivers
    // (their electrical damping folded into Qts) drive the box compliance,
    // the leak and the radiators in parallel; what leaves the box is equal
    // and opposite to what the compliance takes in. Divided by its passband
    // asymptote N·pg/(jω·Mas), it is the level relative to the passband.
    void PrepareRadiators(const SpeakerDesign& d) {
        const AnalysisResult<RadiatorValues> r = DeriveRadiatorValues(d);
        if (!r)
            return;
        const double ws = 2 * std::numbers::pi * d.m_fs;
        m_cas = Acoustics::AcousticCompliance(d.m_vas);
        m_mas = 1 / (ws * ws * m_cas);
        m_ras = ws * m_mas / d.m_qts;
        m_cab = Acoustics::AcousticCompliance(d.m_v1);
        m_leak = 2 * std::numbers::pi * d.m_f1 * m_cab / *Fields::Number(d, FieldId::Ql);
        m_count = d.m_driverCount;
        m_radiators.emplace(*r);
    }
    double RadiatorLevel(double f) const {
        if (!m_radiators)
            return std::numeric_limits<double>::quiet_NaN();
        using Complex = std::complex<double>;
        const double w = 2 * std::numbers::pi * f;
        const Complex zd(m_ras, w * m_mas - 1 / (w * m_cas));
        const Complex zb = 1.0 / (m_radiators->Admittance(w) + m_leak + Complex(0, w * m_cab));
        const Complex relative =
            Complex(0, w * m_mas) * Complex(0, w * m_cab) * zb / (zd + m_count * zb);
        return 10 * std::log10(std::norm(relative));
    }

    BoxKind m_kind;
    double m_fs, m_qts, m_f1, m_f2;
    double m_fc = 0, m_qtc = 0;                // sealed
    double m_a = 0, m_b = 0, m_g = 0, m_e = 0; // vented
    double m_t = 0, m_s = 0;                   // bandpass 4
    double m_p0 = 0, m_p1 = 0, m_p2 = 0, m_p3 = 0, m_p4 = 0, m_p5 = 0, m_tuningSpread = 0;
    std::optional<RadiatorBranch> m_radiators; // passive radiator, when its values are given
    double m_cas = 0, m_mas = 0, m_ras = 0, m_cab = 0, m_leak = 0, m_count = 1;
};

} // namespace

SweepRange ComputeSweepRange(const SpeakerDesign& design) {
    SweepRange range;
    range.first = TruncToInt32(design.m_freqLow);
    range.last = TruncToInt32(design.m_freqHigh);
    if (range.last - range.first > kMaxSweepPoints)
        range.last = range.first + kMaxSweepPoints;
    return range;
}

// An automatic value is written into a form entry that the form itself must
// read back on the next Plot; "inf" or "nan" there would block every later
// Plot at that entry. A tuning the formulas cannot produce is therefore 0,
// as for a sealed box without volume, and is chosen again once it can be.
static double Storable(double value) {
    return std::isfinite(value) ? value : 0;
}

AutoValue ApplyAutomaticValues(SpeakerDesign& design, bool f1Entered) {
    const double w = TotalCompliance(design);
    switch (design.Kind()) {
    case BoxKind::Sealed:
        design.m_f1 = design.m_v1 > 0 ? Storable(design.m_fs * std::sqrt(1 + w / design.m_v1)) : 0;
        return {AutoEntry::F1, design.m_f1};
    case BoxKind::Vented:
        if (!f1Entered || !StoredF1CountsAsEntered(design)) {
            design.m_f1 = Storable(design.m_fs * std::pow(w / design.m_v1, 0.31));
            return {AutoEntry::F1, design.m_f1};
        }
        return {};
    case BoxKind::Bandpass4:
        design.m_f2 = design.m_v2 > 0 ? Storable(design.m_fs * std::sqrt(1 + w / design.m_v2)) : 0;
        return {AutoEntry::F2, design.m_f2};
    case BoxKind::PassiveRadiator: {
        // The radiators' mass and the box set the tuning; it is never entered.
        const AnalysisResult<RadiatorValues> r = DeriveRadiatorValues(design);
        design.m_f1 = r && design.m_v1 > 0
                          ? Storable(TuningOf(*r, Acoustics::AcousticCompliance(design.m_v1)).fb)
                          : 0;
        return {AutoEntry::F1, design.m_f1};
    }
    case BoxKind::Bandpass6:
    case BoxKind::Unknown:
        break;
    }
    return {};
}

SealedAlignment ComputeSealedAlignment(const SpeakerDesign& design) {
    SealedAlignment a;
    if (design.m_v1 > 0) {
        const double root = std::sqrt(1 + TotalCompliance(design) / design.m_v1);
        a.fc = design.m_fs * root;
        a.qtc = design.m_qts * root;
        a.valid = true;
    }
    return a;
}

std::optional<double> LevelAt(const SpeakerDesign& design, const SealedAlignment& alignment,
                              int32_t frequency) {
    const LevelModel model(design, alignment);
    if (!model.HasCurve())
        return std::nullopt;
    return model.Level(static_cast<double>(frequency));
}

std::vector<double> LevelsAt(const SpeakerDesign& design, const SealedAlignment& alignment,
                             std::span<const double> frequencies) {
    std::vector<double> levels;
    const LevelModel model(design, alignment);
    if (!model.HasCurve())
        return levels;
    levels.reserve(frequencies.size());
    for (const double f : frequencies)
        levels.push_back(model.Level(f));
    return levels;
}

ResponseCurve ComputeCurve(const SpeakerDesign& design, const SealedAlignment& alignment) {
    ResponseCurve curve;
    const LevelModel model(design, alignment);
    if (!model.HasCurve())
        return curve;
    const SweepRange range = ComputeSweepRange(design);
    curve.reserve(static_cast<size_t>(range.Count()));
    ClearUpperVectorState(); // the caller may just have painted
    for (int64_t i = range.first; i < range.last; ++i) {
        const auto f = static_cast<int32_t>(i);
        curve.push_back({f, model.Level(static_cast<double>(f))});
    }
    return curve;
}

} // namespace orvane
