// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/CliCommand.h"

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>

namespace orvane {

// Option reading shared by the calculator subcommands. Each function returns
// false and fills `error` with the usage message when the line is wrong.
namespace CalcOptions {

// Rejects positional arguments and options other than `known`.
bool OnlyKnown(const CliArgs& args, std::initializer_list<const char*> known, std::string& error);
// A required finite number.
bool Required(const CliArgs& args, const char* name, double& out, std::string& error);
// An optional finite number: absent leaves `out` empty.
bool Optional(const CliArgs& args, const char* name, std::optional<double>& out,
              std::string& error);
// An optional 32-bit integer: absent leaves `out` as it was.
bool Integer32(const CliArgs& args, const char* name, int32_t& out, std::string& error);

} // namespace CalcOptions

} // namespace orvane
