// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/measure/CurveExport.h"

#include "core/Version.h"
#include "core/design/Fields.h"
#include "core/design/FileErrorMessage.h"
#include "core/files/AtomicWrite.h"
#include "core/measure/ImpedanceCurve.h"
#include "core/model/Acoustics.h"
#include "core/model/Analysis.h"
#include "core/text/NumberText.h"
#include "core/text/Printf.h"

#include <cmath>
#include <numbers>

namespace orvane {

namespace {

Failure<ExportProblem> BadOption(std::string message) {
    return {ExportProblem::Options, std::move(message)};
}

// Degrees in (−180, 180].
double WrappedDegrees(std::complex<double> z) {
    const double d = std::arg(z) * 180 / std::numbers::pi;
    return d <= -180 ? d + 360 : d;
}

std::string BoxLine(const SpeakerDesign& d, const Analysis& a) {
    std::string line = "* Box: " + d.m_boxType + Printf(", V1 %g cu ft", d.m_v1);
    const BoxKind kind = d.Kind();
    if (kind != BoxKind::Sealed)
        line += Printf(", F1 %g Hz", a.F1());
    if (kind == BoxKind::Bandpass4 || kind == BoxKind::Bandpass6)
        line += Printf(", V2 %g cu ft", d.m_v2);
    if (kind == BoxKind::Bandpass6)
        line += Printf(", F2 %g Hz", a.F2());
    return line + Printf(", %u driver(s)\n", static_cast<unsigned>(d.m_driverCount));
}

// The points from `from` to at most `to` at the density asked for.
double PointCount(const CurveExportOptions& o) {
    return std::floor(std::log2(o.to / o.from) * o.pointsPerOctave + 1e-9) + 1;
}

} // namespace

Result<void, ExportProblem> CheckExportOptions(const CurveExportOptions& o) {
    // The bounds of the export window's fields.
    const FieldBounds& points = Fields::Info(FieldId::ExportPoints).bounds;
    const FieldBounds& range = Fields::Info(FieldId::ExportFrom).bounds;
    const FieldBounds& distance = Fields::Info(FieldId::ExportDistance).bounds;
    const FieldBounds& power = Fields::Info(FieldId::Power).bounds;
    const FieldBounds& voltage = Fields::Info(FieldId::ExportVoltage).bounds;
    const auto within = [](const FieldBounds& b, double v) { return v >= b.low && v <= b.high; };
    if (!within(points, o.pointsPerOctave))
        return BadOption(
            Printf("The points per octave must be %g to %g.", points.low, points.high));
    if (!(within(range, o.from) && within(Fields::Info(FieldId::ExportTo).bounds, o.to) &&
          o.to > o.from))
        return BadOption(Printf("The range needs %g Hz <= from < to <= %g Hz.", range.low,
                                Fields::Info(FieldId::ExportTo).bounds.high));
    if (PointCount(o) > static_cast<double>(kMaxCurvePoints))
        return BadOption(
            Printf("The range at that density gives more than %zu points.", kMaxCurvePoints));
    if (!within(distance, o.distance))
        return BadOption(Printf("The distance must be %g to %g m.", distance.low, distance.high));
    if (o.power && o.voltage)
        return BadOption(std::string(kPowerOrVoltage));
    if ((o.power && !within(power, *o.power)) || (o.voltage && !within(voltage, *o.voltage)))
        return BadOption(Printf("The power must be %g to %g W, the voltage %g to %g V.", power.low,
                                power.high, voltage.low, voltage.high));
    return {};
}

Result<std::string, ExportProblem> CurveFileText(const SpeakerDesign& stored,
                                                 const CurveExportOptions& o) {
    if (Result<void, ExportProblem> checked = CheckExportOptions(o); !checked)
        return checked.Error();
    SpeakerDesign design = stored;
    if (o.power)
        design.m_extras.power = *o.power;
    if (o.voltage) {
        if (!design.m_extras.re || !(*design.m_extras.re > 0))
            return Failure<ExportProblem>{ExportProblem::Design,
                                          AnalysisProblemText(AnalysisProblem::NoRe)};
        design.m_extras.power =
            *o.voltage * *o.voltage / *design.m_extras.re * design.m_driverCount;
    }
    AnalysisResult<Analysis> prepared = Analysis::Prepare(design);
    if (!prepared)
        return Failure<ExportProblem>{ExportProblem::Design, prepared.Message()};
    const Analysis& a = *prepared;
    const bool zma = o.format == CurveFormat::Zma;
    if (zma) {
        if (AnalysisResult<void> has = a.Has(Analysis::kImpedance); !has)
            return Failure<ExportProblem>{ExportProblem::Design, has.Message()};
    }

    std::string text = Printf("* Orvane %s\n", std::string(kVersion).c_str());
    text += "* Design: " + o.designName + "\n";
    text += BoxLine(design, a);
    if (zma) {
        text += "* Impedance of one driver: frequency (Hz), ohms, degrees\n";
    } else {
        text += Printf("* Drive: %g W in all", a.Power());
        if (design.m_extras.re && *design.m_extras.re > 0)
            text += Printf(", %.4g V across each driver",
                           std::sqrt(a.Power() / design.m_driverCount * *design.m_extras.re));
        text += Printf("\n* Distance: %g m, %s space\n", o.distance, o.fullSpace ? "full" : "half");
        text += "* Sound pressure: frequency (Hz), dB SPL, degrees (minimum phase)\n";
    }
    // The analysis radiates into half space at 1 m; pressure falls with
    // distance and halves in full space.
    const double scale = 1 / o.distance * (o.fullSpace ? 0.5 : 1);
    const auto n = static_cast<long>(PointCount(o));
    for (long i = 0; i < n; ++i) {
        const double f = o.from * std::exp2(static_cast<double>(i) / o.pointsPerOctave);
        std::complex<double> value;
        double shown;
        if (zma) {
            value = a.ImpedanceAt(f);
            shown = std::abs(value);
        } else {
            value = a.PressureAt(f) * scale;
            shown = 20 * std::log10(std::abs(value) / Acoustics::kReferencePressure);
        }
        if (!std::isfinite(shown) || !std::isfinite(std::arg(value)))
            return Failure<ExportProblem>{ExportProblem::Design,
                                          Printf("The design gives no finite value at %g Hz.", f)};
        text += ShortestText(f) + ' ' + ShortestText(shown) + ' ' +
                ShortestText(WrappedDegrees(value)) + '\n';
    }
    return text;
}

FileResult ExportCurveFile(const std::string& path, const SpeakerDesign& design,
                           const CurveExportOptions& options) {
    Result<std::string, ExportProblem> text = CurveFileText(design, options);
    if (!text)
        return FileResult::Fail(0, text.Message());
    if (const AtomicWriteResult written = WriteFileAtomically(path, *text); !written)
        return FileResult::Fail(written.error, FileErrorMessage(written.error, FileDirection::Save,
                                                                written.stage == WriteStage::Open
                                                                    ? FilePhase::Open
                                                                    : FilePhase::Transfer,
                                                                path));
    return {};
}

} // namespace orvane
