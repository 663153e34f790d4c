// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-cli response FILE: the plotted curve as CSV, one row per swept hertz
// above 0 Hz where the model gives a level.
#include "cli/ChunkedOutput.h"
#include "cli/CliCommand.h"
#include "cli/CliDesign.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace orvane {

namespace {

// Worked out and written a block at a time.
constexpr std::size_t kBlock = 4096;

int RunResponse(const CliArgs& args) {
    if (!args.Unexpected(1, {}).empty())
        return CliUsageError("response takes exactly one design file");
    std::optional<SpeakerDesign> loaded = LoadDesignOrReport(args.positional[0]);
    if (!loaded)
        return 1;
    SpeakerDesign& design = *loaded;
    if (design.Kind() == BoxKind::Unknown) {
        std::fprintf(stderr, "The response knows only the box types Sealed, Vented, Bandpass4, "
                             "Bandpass6 and PassiveRadiator.\n");
        return 1;
    }
    ApplyOpeningAutomaticValues(design);
    const std::optional<SweepRange> sweep = ListedSweepOrReport(design);
    if (!sweep)
        return 1;
    const SealedAlignment alignment = ComputeSealedAlignment(design);
    ChunkedOutput out(stdout);
    out.Text("frequency_hz,level_db\n");
    std::vector<double> frequencies;
    int64_t leftOut = 0;
    for (int64_t first = sweep->first; first < sweep->last; first += int64_t{kBlock}) {
        const auto count = static_cast<std::size_t>(std::min<int64_t>(sweep->last - first, kBlock));
        frequencies.resize(count);
        for (std::size_t i = 0; i < count; ++i)
            frequencies[i] = static_cast<double>(first + static_cast<int64_t>(i));
        const std::vector<double> levels = LevelsAt(design, alignment, frequencies);
        for (std::size_t i = 0; i < levels.size(); ++i) {
            // A level the model has not (a zero volume, equal bandpass
            // tunings) is left out, never written as a number that is none.
            if (!std::isfinite(levels[i])) {
                ++leftOut;
                continue;
            }
            out.Integer(first + static_cast<int64_t>(i));
            out.Char(',');
            out.Number(levels[i]);
            out.Char('\n');
        }
    }
    // A full disk or a closed pipe must not pass for a complete table.
    if (!out.Finish()) {
        std::fprintf(stderr, "orvane-cli: cannot write the output: %s\n", std::strerror(errno));
        return 1;
    }
    if (leftOut > 0)
        std::fprintf(stderr, "%lld rows are left out: the design's values give no level there.\n",
                     static_cast<long long>(leftOut));
    return 0;
}

const CliRegistration registration({"response", "response FILE", RunResponse});

} // namespace

} // namespace orvane
