// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/DesignOptions.h"

#include "cli/DriverOption.h"
#include "cli/FieldOptions.h"
#include "core/units/DisplayUnits.h"

#include <iterator>

namespace orvane {

std::vector<std::string_view> DesignCommandOptions(std::initializer_list<std::string_view> extra) {
    std::vector<std::string_view> known(extra);
    known.emplace_back("units");
    known.insert(known.end(), std::begin(kDriverOptions), std::end(kDriverOptions));
    const std::vector<std::string_view> fields = FieldOptions::DesignOptionNames();
    known.insert(known.end(), fields.begin(), fields.end());
    return known;
}

std::string DesignCommandUsage() {
    return FieldOptions::DesignOptionsUsage() +
           " [--driver \"MAKER MODEL\" | --driver-id N] [--library PATH] "
           "[--units imperial|metric]";
}

int ApplyDesignCommandOptions(const CliArgs& args, SpeakerDesign& design) {
    const std::optional<UnitSystem> units =
        args.Has("units") ? DisplayUnits::FromName(args.options.at("units")) : UnitSystem::Imperial;
    if (!units)
        return CliUsageError("--units needs imperial or metric");
    if (const int failed = ApplyDriverOption(args, design))
        return failed;
    if (const Result<void, int> applied = FieldOptions::ApplyDesignOptions(args, *units, design);
        !applied)
        return FieldOptions::Report(applied.Error());
    return 0;
}

} // namespace orvane
