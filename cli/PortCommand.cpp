// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliCommand.h"
#include "cli/Json.h"
#include "core/calc/PortCalc.h"

#include <cmath>
#include <cstdio>

namespace orvane {

namespace {

int RunPort(const CliArgs& args) {
    double vb = 0, fb = 0, diameter = 0;
    int32_t ports = 1;
    std::optional<double> cone, xmax;
    std::string error =
        args.Unexpected(0, {"vb", "fb", "diameter", "ports", "cone-diameter", "xmax"});
    if (!error.empty() || !args.Required("vb", vb, error) || !args.Required("fb", fb, error) ||
        !args.Required("diameter", diameter, error) || !args.Integer32("ports", ports, error) ||
        !args.Optional("cone-diameter", cone, error) || !args.Optional("xmax", xmax, error))
        return CliUsageError(error);
    if (cone.has_value() != xmax.has_value())
        return CliUsageError("--cone-diameter and --xmax go together");

    const auto port = PortCalc::Compute(diameter, ports, vb, fb);
    const auto minDiameter =
        cone ? PortCalc::MinDiameter(*cone, *xmax, fb) : std::optional<double>();
    Json::Object out;
    out.Add("portLength", Json::Number(port ? std::optional(port->length) : std::nullopt));
    out.Add("effectiveDiameter",
            Json::Number(port ? std::optional(port->effectiveDiameter) : std::nullopt));
    out.Add("minDiameter", Json::Number(minDiameter));
    std::puts(out.Str().c_str());
    return 0;
}

const CliRegistration registration({"port",
                                    "port --vb X --fb X --diameter X [--ports N] "
                                    "[--cone-diameter X --xmax X]",
                                    RunPort});

} // namespace

} // namespace orvane
