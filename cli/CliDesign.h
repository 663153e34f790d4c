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

// The automatic step of a freshly opened design window, whose stored F1
// counts as entered by StoredF1CountsAsEntered.
AutoValue ApplyOpeningAutomaticValues(SpeakerDesign& design);

} // namespace orvane
