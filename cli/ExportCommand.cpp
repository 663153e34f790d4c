// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-cli export FILE --format frd|zma -o OUT: a design's predicted sound
// pressure or impedance as the curve file a crossover tool reads.
#include "cli/CliCommand.h"
#include "cli/CliDesign.h"
#include "core/measure/CurveExport.h"

#include <cstdio>
#include <filesystem>

namespace orvane {

namespace {

int RunExport(const CliArgs& args) {
    std::string error = args.Unexpected(1, {"format", "o", "points-per-octave", "from", "to",
                                            "power", "voltage", "distance", "space"});
    CurveExportOptions o;
    std::optional<double> ppo, from, to, distance;
    if (!error.empty() || !args.Optional("points-per-octave", ppo, error) ||
        !args.Optional("from", from, error) || !args.Optional("to", to, error) ||
        !args.Optional("power", o.power, error) || !args.Optional("voltage", o.voltage, error) ||
        !args.Optional("distance", distance, error))
        return CliUsageError(error);
    const char* format = args.Value("format");
    const char* out = args.Value("o");
    const char* space = args.Value("space");
    if (!format || (std::string_view(format) != "frd" && std::string_view(format) != "zma"))
        return CliUsageError("--format needs frd or zma");
    if (!out)
        return CliUsageError("missing -o");
    if (space && std::string_view(space) != "half" && std::string_view(space) != "full")
        return CliUsageError("--space needs half or full");
    o.format = std::string_view(format) == "zma" ? CurveFormat::Zma : CurveFormat::Frd;
    o.pointsPerOctave = ppo.value_or(o.pointsPerOctave);
    o.from = from.value_or(o.from);
    o.to = to.value_or(o.to);
    o.distance = distance.value_or(o.distance);
    o.fullSpace = space && std::string_view(space) == "full";
    o.designName = std::filesystem::path(args.positional[0]).stem().string();

    const std::optional<SpeakerDesign> design = LoadDesignOrReport(args.positional[0]);
    if (!design)
        return 1;
    if (const FileResult written = ExportCurveFile(out, *design, o); !written) {
        std::fprintf(stderr, "%s\n", written.Message().c_str());
        return 1;
    }
    return 0;
}

const CliRegistration
    registration({"export",
                  "export FILE --format frd|zma -o OUT [--points-per-octave N] [--from X] [--to X] "
                  "[--power X | --voltage X] [--distance M] [--space half|full]",
                  RunExport});

} // namespace

} // namespace orvane
