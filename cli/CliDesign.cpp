// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliDesign.h"

#include "core/design/COrvaneDoc.h"

#include <cstdio>

namespace orvane {

std::optional<SpeakerDesign> LoadDesignOrReport(const std::string& path) {
    COrvaneDoc doc;
    if (const FileResult loaded = doc.Load(path); !loaded) {
        std::fprintf(stderr, "%s\n", loaded.Message().c_str());
        return std::nullopt;
    }
    return doc.Design();
}

bool ReportEmptySweep(const SweepRange& sweep) {
    if (sweep.Count() > 0)
        return false;
    std::fprintf(stderr, "%s\n", kEmptySweepText);
    return true;
}

std::optional<SweepRange> ListedSweepOrReport(const SpeakerDesign& design) {
    const SweepRange sweep = ComputeSweepRange(design);
    const SweepRange listed = PositivePart(sweep);
    if (ReportEmptySweep(listed))
        return std::nullopt;
    if (listed.Count() != sweep.Count())
        std::fprintf(stderr, "Rows at 0 Hz and below are left out: no level exists there.\n");
    return listed;
}

AutoValue ApplyOpeningAutomaticValues(SpeakerDesign& design) {
    return ApplyAutomaticValues(design, StoredF1CountsAsEntered(design));
}

} // namespace orvane
