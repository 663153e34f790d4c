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

AutoValue ApplyOpeningAutomaticValues(SpeakerDesign& design) {
    return ApplyAutomaticValues(design, StoredF1CountsAsEntered(design));
}

} // namespace orvane
