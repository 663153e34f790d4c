// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/BuildRequest.h"

#include "cli/CliDesign.h"
#include "cli/DesignOptions.h"
#include "core/text/NumberText.h"

#include <cmath>

namespace orvane {

const std::string& BuildUsage() {
    static const std::string usage =
        "build FILE " + DesignCommandUsage() + " [--svg OUT] [--pdf OUT]";
    return usage;
}

int ReadBuildRequest(const CliArgs& args, BuildRequest& request) {
    if (const std::string unexpected = args.Unexpected(1, DesignCommandOptions({"svg", "pdf"}));
        !unexpected.empty())
        return CliUsageError(unexpected);
    request.path = args.positional[0];
    if (args.Has("units")) {
        const std::optional<UnitSystem> units = DisplayUnits::FromName(args.options.at("units"));
        if (!units)
            return CliUsageError("--units needs imperial or metric");
        request.units = *units;
    }
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
