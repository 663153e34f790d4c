// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/CliCommand.h"
#include "core/design/SpeakerDesign.h"

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// What `new` and `set` share: --units, a library driver (--driver,
// --driver-id, --library) and every design value's option.

// The signal chain's options beyond the field table's: its flag and the one
// that may be given more than once, for the commands' registrations.
inline constexpr std::string_view kDesignFlags[] = {"clear-filters"};
inline constexpr std::string_view kDesignRepeatable[] = {"filter"};

// Those options and `extra`.
std::vector<std::string_view> DesignCommandOptions(std::initializer_list<std::string_view> extra);
// Their usage, after the command's own words.
std::string DesignCommandUsage();

// Applies them to the design: the library driver first, so that values
// given with it win. Returns 0, or the exit code after the message.
int ApplyDesignCommandOptions(const CliArgs& args, SpeakerDesign& design);

} // namespace orvane
