// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliCommand.h"
#include "cli/Json.h"
#include "core/calc/BoxCalc.h"

#include <cmath>
#include <cstdio>

namespace orvane {

namespace {

int RunBox(const CliArgs& args) {
    double volume = 0, ratio = 1.618;
    std::string error = args.Unexpected(0, {"volume", "ratio"});
    if (!error.empty() || !args.Required("volume", volume, error))
        return CliUsageError(error);
    // Only the three ratios the dialog offers.
    if (args.Has("ratio") &&
        (!args.Number("ratio", ratio) || (ratio != 1.618 && ratio != 1.414 && ratio != 1.26)))
        return CliUsageError("--ratio must be 1.618, 1.414 or 1.26");

    const auto d = BoxCalc::Compute(volume, ratio);
    Json::Object out;
    out.Add("width", Json::Number(d ? d->width : NAN));
    out.Add("height", Json::Number(d ? d->height : NAN));
    out.Add("depth", Json::Number(d ? d->depth : NAN));
    std::puts(out.Str().c_str());
    return 0;
}

const CliRegistration registration({"box", "box --volume X [--ratio 1.618|1.414|1.26]", RunBox});

} // namespace

} // namespace orvane
