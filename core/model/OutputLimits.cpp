// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/model/OutputLimits.h"

#include "core/model/Acoustics.h"
#include "core/model/Analysis.h"
#include "core/model/PassiveRadiator.h"
#include "core/text/Printf.h"
#include "core/units/Units.h"

#include <cmath>
#include <limits>

namespace orvane {

namespace {

std::string MaxSplLine(double maxSpl, double k, double inputPower) {
    if (!std::isfinite(maxSpl) || std::isnan(k))
        return "Max SPL = n/a" + std::string(50, ' ');
    if (inputPower > 0)
        return Printf("Max SPL = %.0fdB at %.0f Watts input power", maxSpl, inputPower) +
               std::string(5, ' ');
    return Printf("Max SPL = %.0fdB", maxSpl) + std::string(46, ' ');
}

// A passive-radiator box has no closed-form limit: its tuning, and the
// analysis' maximum SPL at f3 where the analysis can run. The texts are
// padded as the other types' are, to wipe what an earlier plot left.
FigureTexts RadiatorLines(const SpeakerDesign& design) {
    constexpr std::size_t kWidth = 68;
    const auto padded = [](std::string text) {
        if (text.size() < kWidth)
            text.append(kWidth - text.size(), ' ');
        return text;
    };
    std::string line1;
    if (const AnalysisResult<RadiatorValues> r = DeriveRadiatorValues(design);
        r && design.m_v1 > 0) {
        const RadiatorTuning t = TuningOf(*r, Acoustics::AcousticCompliance(design.m_v1));
        line1 = Printf("Fb=%.1f Hz  Fp=%.1f Hz", t.fb, t.fp);
        if (const std::string warning = RadiatorDisplacementWarning(design); !warning.empty())
            line1 += "  " + warning;
    }
    std::string line2;
    if (const AnalysisResult<Analysis> a = Analysis::Prepare(design);
        a && a->Has(Analysis::kMaximum)) {
        if (const std::optional<AnalysisRow> row = RowAtF3(*a))
            line2 = Printf("Max SPL = %.0fdB at f3 %d Hz (%.0f W)", row->maxSpl, row->frequency,
                           row->maxPower);
    }
    return {padded(line1), padded(line2)};
}

} // namespace

double SealedPowerFactor(double qtc) {
    struct Row {
        double above;
        double k;
    };
    static constexpr Row kTable[] = {{0.5, 0.06}, {0.577, 0.15}, {0.707, 0.39},
                                     {0.8, 0.57}, {0.9, 0.75},   {1.0, 0.84},
                                     {1.1, 0.85}, {1.2, 0.84},   {1.5, 0.71}};
    double k = std::numeric_limits<double>::quiet_NaN();
    for (const Row& row : kTable) {
        if (qtc > row.above)
            k = row.k;
    }
    return k;
}

std::optional<OutputLimits> ComputeOutputLimits(const SpeakerDesign& design,
                                                const SealedAlignment& alignment) {
    OutputLimits out;
    switch (design.Kind()) {
    case BoxKind::Sealed: {
        const double fc = design.m_f1;
        const double a = 1 / (alignment.qtc * alignment.qtc);
        out.f3 = fc * std::sqrt(((a - 2) + std::sqrt((a - 2) * (a - 2) + 4)) / 2);
        out.k = SealedPowerFactor(alignment.qtc);
        break;
    }
    case BoxKind::Vented:
        out.f3 = design.m_fs * design.m_vas / design.m_v1;
        out.k = 3.0;
        break;
    default:
        return std::nullopt;
    }
    // Effective radius 0.415 D and excursion 1.15 Xmax, inches to metres; the
    // coefficients are formed as these products on purpose.
    const double radiusFactor = Units::kEffectiveRadiusShare * Units::kMetresPerInch;
    const double sweepFactor = 3.14159 * 1.15 * Units::kMetresPerInch;
    const double radius = radiusFactor * design.m_coneDiameter;
    out.vd = radius * radius * design.m_xmax * sweepFactor;
    // f3 is no whole number: f3^2 squared would round twice where pow rounds
    // once, and move the figures' last digits. Formed once per drawing, so
    // pow costs nothing here.
    out.par = out.vd * out.vd * std::pow(out.f3, 4) * out.k;
    out.maxSpl = 10 * std::log10(out.par) + 112;
    out.inputPower =
        design.m_efficiency > 0 ? out.par / std::pow(10, (design.m_efficiency - 112) * 0.1) : 0;
    return out;
}

std::optional<FigureTexts> FigureLines(const SpeakerDesign& design,
                                       const SealedAlignment& alignment,
                                       const std::optional<OutputLimits>& limits) {
    const std::string blank16(16, ' ');
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const OutputLimits l = limits.value_or(OutputLimits{nan, nan, nan, nan, nan, 0});
    switch (design.Kind()) {
    case BoxKind::Sealed:
        return FigureTexts{std::isfinite(alignment.qtc) ? Printf("Qtc=%.2f", alignment.qtc)
                                                        : std::string("Qtc=n/a"),
                           MaxSplLine(l.maxSpl, l.k, l.inputPower)};
    case BoxKind::Vented:
        return FigureTexts{blank16, MaxSplLine(l.maxSpl + 3.0, l.k, l.inputPower)};
    case BoxKind::Bandpass4:
        return FigureTexts{blank16, std::string(67, ' ')};
    case BoxKind::Bandpass6:
        return FigureTexts{blank16, std::string(68, ' ')};
    case BoxKind::PassiveRadiator:
        return RadiatorLines(design);
    case BoxKind::Unknown:
        break;
    }
    return std::nullopt;
}

} // namespace orvane
