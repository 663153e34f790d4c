// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-cli analyze FILE [--power X] [--summary]: the lumped-parameter
// analysis of a design as CSV, one row per swept hertz above 0 Hz, or its
// derived values as JSON.
#include "cli/ChunkedOutput.h"
#include "cli/CliCommand.h"
#include "cli/CliDesign.h"
#include "cli/Json.h"
#include "core/chain/Stages.h"
#include "core/model/Analysis.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

namespace {

// Rows are worked out and written a block at a time: the table's memory
// does not grow with the sweep.
constexpr std::size_t kBlock = 4096;

// How the table ended.
enum class Table { Written, TooExtreme, WriteFailed };

Table PrintTable(const Analysis& analysis, SweepRange sweep) {
    const bool port1 = analysis.Has(Analysis::kPort1).Ok();
    const bool port2 = analysis.Has(Analysis::kPort2).Ok();
    const bool impedance = analysis.Has(Analysis::kImpedance).Ok();
    const bool maximum = analysis.Has(Analysis::kMaximum).Ok();
    // Only a passive-radiator box has the radiators' column.
    const bool radiator = analysis.Has(Analysis::kRadiator).Ok();
    // A quantity the design lacks is an empty cell.
    const auto cell = [](ChunkedOutput& out, bool has, double value) {
        out.Char(',');
        if (has)
            out.Number(value);
    };

    ChunkedOutput out(stdout);
    out.Text("frequency_hz,spl_db,excursion_mm,port1_velocity_m_s,port2_velocity_m_s,"
             "impedance_ohm,impedance_phase_deg,group_delay_ms,max_power_w,max_spl_db");
    out.Text(radiator ? ",pr_excursion_mm" : "");
    out.Text(",chain_gain_db,chain_phase_deg\n");
    std::vector<AnalysisRow> rows(kBlock);
    for (int64_t first = sweep.first; first < sweep.last; first += static_cast<int64_t>(kBlock)) {
        const auto count = static_cast<std::size_t>(std::min<int64_t>(sweep.last - first, kBlock));
        analysis.Rows(first, std::span(rows.data(), count), Analysis::kAll);
        for (std::size_t i = 0; i < count; ++i) {
            const AnalysisRow& r = rows[i];
            // What the checks of the analysis let through still never
            // prints as a number that is none.
            if (!analysis.Finite(r)) {
                out.Finish();
                return Table::TooExtreme;
            }
            out.Integer(r.frequency);
            cell(out, true, r.spl);
            cell(out, true, r.excursion);
            cell(out, port1, r.port[0]);
            cell(out, port2, r.port[1]);
            cell(out, impedance, r.ohms);
            cell(out, impedance, r.degrees);
            cell(out, true, r.delay);
            cell(out, maximum, r.maxPower);
            cell(out, maximum, r.maxSpl);
            if (radiator)
                cell(out, true, r.radiator);
            cell(out, true, r.chainDb);
            cell(out, true, r.chainDegrees);
            out.Char('\n');
        }
    }
    return out.Finish() ? Table::Written : Table::WriteFailed;
}

void PrintSummary(const Analysis& analysis, const SpeakerDesign& design) {
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
        .Add("efficiencyMismatchDb",
             d.efficiencyMismatchDb ? Number(*d.efficiencyMismatchDb) : Json::Null())
        .Add("power", Number(analysis.Power()))
        .Add("ql", Number(analysis.Ql()))
        .Add("f1", Number(analysis.F1()))
        .Add("f2", Number(analysis.F2()));
    std::string stages = "[";
    for (const FilterStage& st : design.m_extras.chain.stages)
        stages += (stages.size() > 1 ? ", " : "") + Json::String(StageText(st));
    out.Add("chain", stages + "]");
    if (const std::optional<RadiatorValues>& r = analysis.Radiators()) {
        const RadiatorTuning t = TuningOf(*r, analysis.BoxCompliance());
        std::string mass = Json::Null();
        if (const std::optional<double> target = design.m_extras.prTune; IsGiven(target)) {
            if (const Result<double, int> grams =
                    MassForTuning(*r, analysis.BoxCompliance(), *target))
                mass = Number(*grams);
        }
        out.Add("fb", Number(t.fb))
            .Add("fp", Number(t.fp))
            .Add("delta", Number(t.delta))
            .Add("prMassForTuning", mass);
    }
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
    // A power given here is the drive, in place of a stored voltage.
    if (args.Has("power")) {
        loaded->m_extras.power = power;
        loaded->m_extras.chain.voltage.reset();
    }
    const AnalysisResult<Analysis> analysis = Analysis::Prepare(*loaded);
    if (!analysis) {
        std::fprintf(stderr, "%s\n", analysis.Message().c_str());
        return 1;
    }
    if (args.Has("summary")) {
        PrintSummary(*analysis, *loaded);
        return 0;
    }
    const std::optional<SweepRange> sweep = ListedSweepOrReport(*loaded);
    if (!sweep)
        return 1;
    switch (PrintTable(*analysis, *sweep)) {
    case Table::Written:
        break;
    case Table::TooExtreme:
        std::fprintf(stderr, "%s\n", AnalysisProblemText(AnalysisProblem::TooExtreme).c_str());
        return 1;
    case Table::WriteFailed:
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
