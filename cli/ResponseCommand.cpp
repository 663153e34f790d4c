// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-cli response FILE: the plotted curve as CSV, one row per swept hertz.
#include "cli/CliCommand.h"
#include "cli/CliDesign.h"

#include <cmath>
#include <cstdio>

namespace orvane {

namespace {

void PrintLevel(double level) {
    if (std::isnan(level))
        std::fputs("nan", stdout);
    else if (std::isinf(level))
        std::fputs(level > 0 ? "inf" : "-inf", stdout);
    else
        std::printf("%.17g", level);
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
    std::puts("frequency_hz,level_db");
    for (const CurvePoint& p : curve) {
        std::printf("%d,", static_cast<int>(p.frequency));
        PrintLevel(p.level);
        std::fputc('\n', stdout);
    }
    return 0;
}

const CliRegistration registration({"response", "response FILE", RunResponse});

} // namespace

} // namespace orvane
