// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Result.h"
#include "core/design/SpeakerDesign.h"
#include "core/files/FileResult.h"

#include <optional>
#include <string>
#include <string_view>

namespace orvane {

// The curve files crossover tools read: the sound pressure (FRD: frequency,
// dB SPL, degrees) or one driver's impedance (ZMA: frequency, ohms, degrees).
enum class CurveFormat { Frd, Zma };

struct CurveExportOptions {
    CurveFormat format = CurveFormat::Frd;
    double pointsPerOctave = 48;
    double from = 10; // Hz
    double to = 20000;
    // The drive: total power (W), or the voltage across each driver's Re,
    // which gives N·V²/Re; the design's analysis power when neither.
    std::optional<double> power;
    std::optional<double> voltage;
    double distance = 1; // m
    bool fullSpace = false;
    std::string designName; // for the header
};

// The options give both drives.
inline constexpr std::string_view kPowerOrVoltage = "Give the power or the voltage, not both.";

// Why no curve file: the options, or what the design lacks for the analysis.
enum class ExportProblem { Options, Design };

// The options by the rules of the export window's fields, and between them
// (from below to, the power or the voltage); the failure says which.
Result<void, ExportProblem> CheckExportOptions(const CurveExportOptions& options);

// The text of the file: comment lines starting with "*" (program, design, box,
// drive, distance, space), then "frequency value degrees" a line, frequencies
// rising by a fixed fraction of an octave from `from` to at most `to`, numbers
// in their shortest exact text and phases in (−180, 180]. The pressure has
// the lumped model's minimum phase, without time of flight.
Result<std::string, ExportProblem> CurveFileText(const SpeakerDesign& design,
                                                 const CurveExportOptions& options);

// Writes it atomically; the failure's message says what went wrong.
FileResult ExportCurveFile(const std::string& path, const SpeakerDesign& design,
                           const CurveExportOptions& options);

} // namespace orvane
