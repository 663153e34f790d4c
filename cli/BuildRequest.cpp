// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/BuildRequest.h"

#include "cli/CliDesign.h"
#include "cli/DesignOptions.h"
#include "core/text/NumberText.h"

#include <cmath>

namespace orvane {

const std::string& BuildUsage() {
    static const std::string usage =
        "build FILE " + DesignCommandUsage() + " [--sheet WxH] [--svg OUT] [--pdf OUT]";
    return usage;
}

namespace {

// "2440x1220" in the units of the run: millimetres or inches.
bool ReadSheet(const std::string& text, UnitSystem units, BuildRequest& request) {
    const std::size_t x = text.find_first_of("xX");
    double length = 0;
    double width = 0;
    if (x == std::string::npos || !ReadNumberText(text.substr(0, x), length) ||
        !ReadNumberText(text.substr(x + 1), width) || !(length > 0) || !(width > 0) ||
        !std::isfinite(length) || !std::isfinite(width))
        return false;
    const double perInch = units == UnitSystem::Metric ? 25.4 : 1;
    request.sheetLength = length / perInch;
    request.sheetWidth = width / perInch;
    return true;
}

} // namespace

int ReadBuildRequest(const CliArgs& args, BuildRequest& request) {
    if (const std::string unexpected =
            args.Unexpected(1, DesignCommandOptions({"sheet", "svg", "pdf"}));
        !unexpected.empty())
        return CliUsageError(unexpected);
    request.path = args.positional[0];
    if (args.Has("units")) {
        const std::optional<UnitSystem> units = DisplayUnits::FromName(args.options.at("units"));
        if (!units)
            return CliUsageError("--units needs imperial or metric");
        request.units = *units;
    }
    if (args.Has("sheet") && !ReadSheet(args.options.at("sheet"), request.units, request))
        return CliUsageError("--sheet needs LENGTHxWIDTH, two numbers above 0");
    for (const char* option : {"svg", "pdf"}) {
        if (args.Has(option) && args.options.at(option).empty())
            return CliUsageError(std::string("--") + option + " needs a file name");
    }
    request.svg = args.Has("svg") ? args.options.at("svg") : "";
    request.pdf = args.Has("pdf") ? args.options.at("pdf") : "";
    std::optional<SpeakerDesign> design = LoadDesignOrReport(request.path);
    if (!design)
        return 1;
    request.design = std::move(*design);
    return ApplyDesignCommandOptions(args, request.design);
}

} // namespace orvane
