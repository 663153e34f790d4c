// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-cli analyze FILE [--power X] [--summary]: the lumped-parameter
// analysis of a design as CSV, one row per swept hertz, or its derived values
// as JSON.
#include "cli/ChunkedOutput.h"
#include "cli/CliCommand.h"
#include "cli/CliDesign.h"
#include "cli/Json.h"
#include "core/model/Analysis.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace orvane {

namespace {

// A CSV cell, numbers as the response command writes them.
void Cell(ChunkedOutput& out, double value) {
    out.Char(',');
    if (std::isnan(value))
        out.Text("nan");
    else if (std::isinf(value))
        out.Text(value > 0 ? "inf" : "-inf");
    else
        out.Number(value);
}

// The value of a quantity the design has, or an empty cell.
template <class Curve, class Get>
void OptionalCell(ChunkedOutput& out, const AnalysisResult<Curve>& curve, std::size_t i, Get get) {
    if (curve)
        Cell(out, get((*curve)[i]));
    else
        out.Char(',');
}

// False when the table could not be written in full.
bool PrintTable(const Analysis& analysis) {
    const AnalysisCurve spl = analysis.Spl();
    const AnalysisCurve excursion = analysis.Excursion();
    const auto port1 = analysis.PortVelocity(Chamber::One);
    const auto port2 = analysis.PortVelocity(Chamber::Two);
    const auto impedance = analysis.Impedance();
    const AnalysisCurve delay = analysis.GroupDelay();
    const auto maximum = analysis.MaximumOutput();

    ChunkedOutput out(stdout);
    out.Text("frequency_hz,spl_db,excursion_mm,port1_velocity_m_s,port2_velocity_m_s,"
             "impedance_ohm,impedance_phase_deg,group_delay_ms,max_power_w,max_spl_db\n");
    const auto value = [](const AnalysisPoint& p) { return p.value; };
    for (std::size_t i = 0; i < spl.size(); ++i) {
        out.Integer(spl[i].frequency);
        Cell(out, spl[i].value);
        Cell(out, excursion[i].value);
        OptionalCell(out, port1, i, value);
        OptionalCell(out, port2, i, value);
        OptionalCell(out, impedance, i, [](const ImpedancePoint& p) { return p.ohms; });
        OptionalCell(out, impedance, i, [](const ImpedancePoint& p) { return p.degrees; });
        Cell(out, delay[i].value);
        OptionalCell(out, maximum, i, [](const MaximumOutputPoint& p) { return p.power; });
        OptionalCell(out, maximum, i, [](const MaximumOutputPoint& p) { return p.spl; });
        out.Char('\n');
    }
    return out.Finish();
}

void PrintSummary(const Analysis& analysis) {
    using Json::Number;
    const DriverValues& d = analysis.Driver();
    Json::Object out;
    out.Add("qes", Number(d.qes))
        .Add("qms", Number(d.qms))
        .Add("eta0", Number(d.eta0))
        .Add("sd", Number(d.sd))
        .Add("cms", Number(d.cms))
        .Add("mms", Number(d.mms))
        .Add("rms", Number(d.rms))
        .Add("bl2OverRe", Number(d.bl2OverRe))
        .Add("bl", d.bl ? Number(*d.bl) : Json::Null())
        .Add("power", Number(analysis.Power()))
        .Add("ql", Number(analysis.Ql()))
        .Add("f1", Number(analysis.F1()))
        .Add("f2", Number(analysis.F2()));
    std::printf("%s\n", out.Str().c_str());
}

int RunAnalyze(const CliArgs& args) {
    if (const std::string unexpected = args.Unexpected(1, {"power", "summary"});
        !unexpected.empty())
        return CliUsageError(unexpected);
    double power = 0;
    if (args.Has("power") && (!args.Number("power", power) || !IsGiven(power)))
        return CliUsageError("--power needs a number above 0");

    std::optional<SpeakerDesign> loaded = LoadDesignOrReport(args.positional[0]);
    if (!loaded)
        return 1;
    if (args.Has("power"))
        loaded->m_extras.power = power;
    const AnalysisResult<Analysis> analysis = Analysis::Prepare(*loaded);
    if (!analysis) {
        const std::string sentence(analysis.Message());
        std::fprintf(stderr, "%s\n", sentence.c_str());
        return 1;
    }
    if (args.Has("summary")) {
        PrintSummary(*analysis);
    } else if (!PrintTable(*analysis)) {
        // A full disk or a closed pipe must not pass for a complete table.
        std::fprintf(stderr, "orvane-cli: cannot write the output: %s\n", std::strerror(errno));
        return 1;
    }
    return 0;
}

constexpr std::string_view kFlags[] = {"summary"};
const CliRegistration registration({"analyze", "analyze FILE [--power X] [--summary]", RunAnalyze,
                                    kFlags});

} // namespace

} // namespace orvane
