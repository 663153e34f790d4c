// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// Parsed command line of one subcommand: "--name value" options (and "-o"),
// plus positional arguments. Every option takes exactly one value, except the
// subcommand's flags, which take none and read as an empty value.
struct CliArgs {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options; // key without dashes: "o", "fs", ... (the last)
    // Every value of an option that may be given more than once, in order.
    std::map<std::string, std::vector<std::string>> repeated;
    std::string error;              // non-empty when the line did not parse
    std::vector<std::string> words; // the words after the command name, as given

    bool Has(const std::string& name) const { return options.count(name) != 0; }
    // Strict number reading of an option value in the C locale: false when it
    // is not a whole number text or not finite. A value too small for a double
    // is the nearest one there is ("1e-400" is 0), as in the program's fields.
    bool Number(const std::string& name, double& out) const;
    bool Integer(const std::string& name, long long& out) const;
    // The option's text, or null when it was not given.
    const char* Value(const std::string& name) const;

    // The usage checks every subcommand shares.
    //
    // What a subcommand taking `positionalCount` arguments and the options
    // `known` does not take, first found first: "unexpected argument X",
    // "unknown option --name", "missing argument"; empty when the line fits.
    std::string Unexpected(std::size_t positionalCount,
                           const std::vector<std::string_view>& known) const;
    // The options alone: "unknown option --name" for the first not in
    // `known`, empty when there is none.
    std::string UnknownOption(const std::vector<std::string_view>& known) const;
    // A required finite number: false with "missing --name" or "--name needs
    // a number" in `error`.
    bool Required(const char* name, double& out, std::string& error) const;
    // An optional finite number: absent leaves `out` empty.
    bool Optional(const char* name, std::optional<double>& out, std::string& error) const;
    // An optional 32-bit integer: absent leaves `out` as it was.
    bool Integer32(const char* name, int32_t& out, std::string& error) const;
};

CliArgs ParseCliArgs(int argc, char** argv, int first, std::span<const std::string_view> flags = {},
                     std::span<const std::string_view> repeatable = {});

// A subcommand: name, one usage line, and its entry point. Entry points return
// the process exit code: 0 success, 1 a file failed or the request has no
// answer, 2 bad usage.
struct CliCommand {
    const char* name;
    const char* usage;
    int (*run)(const CliArgs& args);
    std::span<const std::string_view> flags = {};      // options without a value
    std::span<const std::string_view> repeatable = {}; // options that may be given again
};

// Each subcommand's file registers itself with a static CliRegistration.
struct CliRegistration {
    explicit CliRegistration(const CliCommand& command);
};
const std::vector<CliCommand>& RegisteredCliCommands();

// Prints "orvane-cli: <message>" and the full usage on stderr; returns 2.
int CliUsageError(const std::string& message);

} // namespace orvane
