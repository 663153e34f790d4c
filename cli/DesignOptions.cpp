// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/DesignOptions.h"

#include "cli/DriverOption.h"
#include "cli/FieldOptions.h"
#include "core/model/Acoustics.h"
#include "core/model/PassiveRadiator.h"
#include "core/units/DisplayUnits.h"

#include <cstdio>

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
    // A target tuning sets the mass added to each radiator of a
    // passive-radiator box; another type only keeps it.
    if (args.Has("pr-tune") && design.m_extras.prTune.value_or(0) > 0 &&
        design.Kind() == BoxKind::PassiveRadiator) {
        const AnalysisResult<RadiatorValues> r = DeriveRadiatorValues(design);
        if (!r || !(design.m_v1 > 0)) {
            std::fprintf(stderr,
                         "orvane-cli: --pr-tune needs the radiator's Fs, Vas, Sd (or diameter) and "
                         "Qms and a volume V1 above 0\n");
            return 1;
        }
        const Result<double, int> mass =
            MassForTuning(*r, Acoustics::AcousticCompliance(design.m_v1), *design.m_extras.prTune);
        if (!mass) {
            std::fprintf(stderr, "orvane-cli: --pr-tune: %s\n", mass.Message().c_str());
            return 1;
        }
        design.m_extras.prMass = *mass;
    }
    return 0;
}

} // namespace orvane
