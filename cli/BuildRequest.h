// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/CliCommand.h"
#include "core/design/SpeakerDesign.h"
#include "core/units/DisplayUnits.h"

#include <optional>
#include <string>

namespace orvane {

// orvane-cli build FILE [design options] [--svg OUT] [--pdf OUT]:
// what both orvane-cli (the numbers) and its plot part (the drawing) read.
struct BuildRequest {
    std::string path;
    SpeakerDesign design; // with the options of this run applied, not saved
    UnitSystem units = UnitSystem::Imperial;
    std::string svg, pdf;
};

const std::string& BuildUsage();

// Reads the line and the design; 0, or the exit code after the message.
int ReadBuildRequest(const CliArgs& args, BuildRequest& request);

} // namespace orvane
