// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CalcOptions.h"

#include <cstring>
#include <limits>

namespace orvane {

namespace CalcOptions {

bool OnlyKnown(const CliArgs& args, std::initializer_list<const char*> known, std::string& error) {
    if (!args.positional.empty()) {
        error = "unexpected argument " + args.positional.front();
        return false;
    }
    for (const auto& [name, value] : args.options) {
        bool found = false;
        for (const char* k : known)
            found = found || name == k;
        if (!found) {
            error = "unknown option --" + name;
            return false;
        }
    }
    return true;
}

bool Required(const CliArgs& args, const char* name, double& out, std::string& error) {
    if (!args.Has(name)) {
        error = std::string("missing --") + name;
        return false;
    }
    if (!args.Number(name, out)) {
        error = std::string("--") + name + " needs a number";
        return false;
    }
    return true;
}

bool Optional(const CliArgs& args, const char* name, std::optional<double>& out,
              std::string& error) {
    if (!args.Has(name))
        return true;
    double value = 0;
    if (!Required(args, name, value, error))
        return false;
    out = value;
    return true;
}

bool Integer32(const CliArgs& args, const char* name, int32_t& out, std::string& error) {
    if (!args.Has(name))
        return true;
    long long value = 0;
    if (!args.Integer(name, value) || value < std::numeric_limits<int32_t>::min() ||
        value > std::numeric_limits<int32_t>::max()) {
        error = std::string("--") + name + " needs a 32-bit integer";
        return false;
    }
    out = static_cast<int32_t>(value);
    return true;
}

} // namespace CalcOptions

} // namespace orvane
