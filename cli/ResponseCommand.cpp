// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-cli response FILE: the plotted curve as CSV, one row per swept hertz.
#include "cli/ChunkedOutput.h"
#include "cli/CliCommand.h"
#include "cli/CliDesign.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace orvane {

namespace {

void PutLevel(ChunkedOutput& out, double level) {
    if (std::isnan(level))
        out.Text("nan");
    else if (std::isinf(level))
        out.Text(level > 0 ? "inf" : "-inf");
    else
        out.Number(level);
}

int RunResponse(const CliArgs& args) {
    if (!args.Unexpected(1, {}).empty())
        return CliUsageError("response takes exactly one design file");
    std::optional<SpeakerDesign> loaded = LoadDesignOrReport(args.positional[0]);
    if (!loaded)
        return 1;
    SpeakerDesign& design = *loaded;
    ApplyOpeningAutomaticValues(design);
    const ResponseCurve curve = ComputeCurve(design, ComputeSealedAlignment(design));
    ChunkedOutput out(stdout);
    out.Text("frequency_hz,level_db\n");
    for (const CurvePoint& p : curve) {
        out.Integer(p.frequency);
        out.Char(',');
        PutLevel(out, p.level);
        out.Char('\n');
    }
    // A full disk or a closed pipe must not pass for a complete table.
    if (!out.Finish()) {
        std::fprintf(stderr, "orvane-cli: cannot write the output: %s\n", std::strerror(errno));
        return 1;
    }
    return 0;
}

const CliRegistration registration({"response", "response FILE", RunResponse});

} // namespace

} // namespace orvane
