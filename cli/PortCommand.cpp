// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CalcOptions.h"
#include "cli/CliCommand.h"
#include "cli/Json.h"
#include "core/calc/PortCalc.h"

#include <cmath>
#include <cstdio>

namespace orvane {

namespace {

std::string Value(std::optional<double> v) {
    return Json::Number(v ? *v : NAN);
}

int RunPort(const CliArgs& args) {
    std::string error;
    double vb = 0, fb = 0, diameter = 0;
    int32_t ports = 1;
    std::optional<double> cone, xmax;
    if (!CalcOptions::OnlyKnown(args, {"vb", "fb", "diameter", "ports", "cone-diameter", "xmax"},
                                error) ||
        !CalcOptions::Required(args, "vb", vb, error) ||
        !CalcOptions::Required(args, "fb", fb, error) ||
        !CalcOptions::Required(args, "diameter", diameter, error) ||
        !CalcOptions::Integer32(args, "ports", ports, error) ||
        !CalcOptions::Optional(args, "cone-diameter", cone, error) ||
        !CalcOptions::Optional(args, "xmax", xmax, error))
        return CliUsageError(error);
    if (cone.has_value() != xmax.has_value())
        return CliUsageError("--cone-diameter and --xmax go together");

    const auto port = PortCalc::Compute(diameter, ports, vb, fb);
    const auto minDiameter =
        cone ? PortCalc::MinDiameter(*cone, *xmax, fb) : std::optional<double>();
    Json::Object out;
    out.Add("portLength", Value(port ? std::optional(port->length) : std::nullopt));
    out.Add("effectiveDiameter",
            Value(port ? std::optional(port->effectiveDiameter) : std::nullopt));
    out.Add("minDiameter", Value(minDiameter));
    std::puts(out.Str().c_str());
    return 0;
}

const CliRegistration registration({"port",
                                    "port --vb X --fb X --diameter X [--ports N] "
                                    "[--cone-diameter X --xmax X]",
                                    RunPort});

} // namespace

} // namespace orvane
