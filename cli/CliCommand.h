// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <span>
#include <string>
#include <vector>

namespace orvane {

// Parsed command line of one subcommand: "--name value" options (and "-o"),
// plus positional arguments. Every option takes exactly one value, except the
// subcommand's flags ("--json"), which take none and are stored with "".
struct CliArgs {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options; // key without dashes: "o", "fs", ...
    std::string error;                          // non-empty when the line did not parse
    std::vector<std::string> words;             // the words after the command name, as given

    bool Has(const std::string& name) const { return options.count(name) != 0; }
    // Strict number reading of an option value; false (and error set by the
    // caller's usage path) when it is not a whole finite number text.
    bool Number(const std::string& name, double& out) const;
    bool Integer(const std::string& name, long long& out) const;
    // The option's text, or null when it was not given.
    const char* Value(const std::string& name) const;
};

CliArgs ParseCliArgs(int argc, char** argv, int first, std::span<const char* const> flags = {});

// A subcommand: name, one usage line, and its entry point. Entry points return
// the process exit code: 0 success, 1 a file failed, 2 bad usage.
struct CliCommand {
    const char* name;
    const char* usage;
    int (*run)(const CliArgs& args);
    std::span<const char* const> flags = {}; // options without a value
};

// Each subcommand's file registers itself with a static CliRegistration.
struct CliRegistration {
    explicit CliRegistration(const CliCommand& command);
};
const std::vector<CliCommand>& RegisteredCliCommands();

// Prints "orvane-cli: <message>" and the full usage on stderr; returns 2.
int CliUsageError(const std::string& message);

} // namespace orvane
