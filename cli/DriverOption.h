// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/CliCommand.h"
#include "core/design/SpeakerDesign.h"

#include <string>
#include <string_view>

namespace orvane {

// --driver "MAKER MODEL", --driver-id N and --library PATH of `new`.
inline constexpr std::string_view kDriverOptions[] = {"driver", "driver-id", "library"};

// Fills the design's driver values and name from the library entry the
// options name; the caller applies explicit value options afterwards, so
// they win. Returns 0 (also when no driver was asked for), or the exit code
// after the message: 2 for bad usage, 1 when the library cannot be read or
// has no such driver.
int ApplyDriverOption(const CliArgs& args, SpeakerDesign& design);

} // namespace orvane
