// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/CliCommand.h"
#include "core/Result.h"
#include "core/design/Fields.h"

#include <string>
#include <string_view>
#include <vector>

namespace orvane::FieldOptions {

// How a refused value ends the command: a value that is no number at all is
// bad usage (2); a number the field does not take, or a name that is none of
// the choices, is a refused request (1), with the sentence the dialog shows.
inline constexpr int kUsage = 2;
inline constexpr int kRefused = 1;

// The options of every stored design value, in the table's order.
std::vector<std::string_view> DesignOptionNames();
// Their usage: "[--type NAME] [--fs X] ... [--ports N]".
std::string DesignOptionsUsage();

// One field's option, given in `units`, as the record stores it. Nothing
// when the option is absent.
Result<std::optional<double>, int> ReadNumber(const CliArgs& args, FieldId id, UnitSystem units);

// One value of a field given as `text` within the option `option` (which
// may hold several values, as "--slot WxH"), checked by the field's rules
// and converted from `units` to the record's.
Result<double, int> ReadShown(const FieldInfo& field, std::string_view option,
                              std::string_view text, UnitSystem units);
// A value a field does not take, refused in the words of its option.
Failure<int> Refused(std::string_view option, const std::string& sentence);

// The design options given, into `design`, in the table's order; then the
// rules between fields (the plotted range's span). On failure the design is
// partly changed and the message says which option and why.
Result<void, int> ApplyDesignOptions(const CliArgs& args, UnitSystem units, SpeakerDesign& design);

// Prints a failure of the above the way orvane-cli reports it and returns
// its exit code.
int Report(const Failure<int>& failure);

} // namespace orvane::FieldOptions
