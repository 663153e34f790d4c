// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/design/SpeakerDesign.h"
#include "core/model/ResponseModel.h"

#include <optional>
#include <string>

namespace orvane {

// Loads a design file as the program would open it; on failure prints the
// program's message on stderr and returns nothing.
std::optional<SpeakerDesign> LoadDesignOrReport(const std::string& path);

// Whether a sweep (a design's, or the part of it a table lists) is empty,
// which it then says on stderr: nothing to list or draw.
bool ReportEmptySweep(const SweepRange& sweep);

// The frequencies above 0 Hz of a design's sweep, which response and analyze
// list: says once on stderr when it leaves lower ones out, and reports a
// range without any (nothing then).
std::optional<SweepRange> ListedSweepOrReport(const SpeakerDesign& design);

// The automatic step of a freshly opened design window, whose stored F1
// counts as entered by StoredF1CountsAsEntered.
AutoValue ApplyOpeningAutomaticValues(SpeakerDesign& design);

} // namespace orvane
