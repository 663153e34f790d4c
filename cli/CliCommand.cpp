// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliCommand.h"

#include "core/text/CLocaleScope.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace orvane {

namespace {

std::vector<CliCommand>& Registry() {
    static std::vector<CliCommand> commands;
    return commands;
}

} // namespace

CliRegistration::CliRegistration(const CliCommand& command) {
    Registry().push_back(command);
}

const std::vector<CliCommand>& RegisteredCliCommands() {
    return Registry();
}

CliArgs ParseCliArgs(int argc, char** argv, int first, std::span<const std::string_view> flags,
                     std::span<const std::string_view> repeatable) {
    CliArgs args;
    args.words.assign(argv + first, argv + argc);
    for (int i = first; i < argc; ++i) {
        const std::string word = argv[i];
        // "-o" and "--name" are options; a lone "-" or a negative number is not.
        const bool isOption = word.size() > 1 && word[0] == '-' &&
                              !std::isdigit(static_cast<unsigned char>(word[1])) && word[1] != '.';
        if (isOption) {
            const std::string name = word.substr(word[1] == '-' ? 2 : 1);
            const bool flag = std::find(flags.begin(), flags.end(), name) != flags.end();
            if (name.empty() || (!flag && i + 1 >= argc)) {
                args.error = "option " + word + " needs a value";
                return args;
            }
            const bool again =
                std::find(repeatable.begin(), repeatable.end(), name) != repeatable.end();
            if (args.options.count(name) != 0 && !again) {
                args.error = "option " + word + " given twice";
                return args;
            }
            args.options[name] = flag ? "" : argv[++i];
            if (again)
                args.repeated[name].push_back(args.options[name]);
        } else {
            args.positional.push_back(word);
        }
    }
    return args;
}

const char* CliArgs::Value(const std::string& name) const {
    const auto it = options.find(name);
    return it == options.end() ? nullptr : it->second.c_str();
}

bool CliArgs::Number(const std::string& name, double& out) const {
    const char* text = Value(name);
    if (text == nullptr)
        return false;
    char* end = nullptr;
    const CLocaleScope cLocale; // "2.5" on every desktop, as in the program's fields
    // An overflow is infinite and refused; an underflow (ERANGE with a finite
    // result) is a number.
    const double v = std::strtod(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(v))
        return false;
    out = v;
    return true;
}

bool CliArgs::Integer(const std::string& name, long long& out) const {
    const char* text = Value(name);
    if (text == nullptr)
        return false;
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(text, &end, 10);
    if (end == text || *end != '\0' || errno == ERANGE)
        return false;
    out = v;
    return true;
}

std::string CliArgs::Unexpected(std::size_t positionalCount,
                                const std::vector<std::string_view>& known) const {
    if (positional.size() > positionalCount)
        return "unexpected argument " + positional[positionalCount];
    if (std::string unknown = UnknownOption(known); !unknown.empty())
        return unknown;
    if (positional.size() < positionalCount)
        return "missing argument";
    return {};
}

std::string CliArgs::UnknownOption(const std::vector<std::string_view>& known) const {
    for (const auto& [name, value] : options) {
        bool found = false;
        for (const std::string_view k : known)
            found = found || name == k;
        if (!found)
            return "unknown option --" + name;
    }
    return {};
}

bool CliArgs::Required(const char* name, double& out, std::string& error) const {
    if (!Has(name)) {
        error = std::string("missing --") + name;
        return false;
    }
    if (!Number(name, out)) {
        error = std::string("--") + name + " needs a number";
        return false;
    }
    return true;
}

bool CliArgs::Optional(const char* name, std::optional<double>& out, std::string& error) const {
    if (!Has(name))
        return true;
    double value = 0;
    if (!Required(name, value, error))
        return false;
    out = value;
    return true;
}

bool CliArgs::Integer32(const char* name, int32_t& out, std::string& error) const {
    if (!Has(name))
        return true;
    long long value = 0;
    if (!Integer(name, value) || value < std::numeric_limits<int32_t>::min() ||
        value > std::numeric_limits<int32_t>::max()) {
        error = std::string("--") + name + " needs a 32-bit integer";
        return false;
    }
    out = static_cast<int32_t>(value);
    return true;
}

int CliUsageError(const std::string& message) {
    if (!message.empty())
        std::fprintf(stderr, "orvane-cli: %s\n", message.c_str());
    std::fputs("usage:\n", stderr);
    for (const CliCommand& c : RegisteredCliCommands())
        std::fprintf(stderr, "  orvane-cli %s\n", c.usage);
    std::fputs("  orvane-cli --help | --version\n", stderr);
    return 2;
}

} // namespace orvane
