// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/DesignOptions.h"

#include "cli/DriverOption.h"
#include "cli/FieldOptions.h"
#include "core/chain/Stages.h"
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
    known.insert(known.end(), {"wiring", "filter", "clear-filters", "room-gain"});
    return known;
}

namespace {

int Refused(const std::string& message) {
    std::fprintf(stderr, "orvane-cli: %s\n", message.c_str());
    return FieldOptions::kRefused;
}

// The signal chain's options, after the field table's (so that --drivers
// counts for --wiring): a drive and an amplifier limit replace the other
// kind, the filters given follow the stored ones unless --clear-filters.
int ApplyChainOptions(const CliArgs& args, SpeakerDesign& design) {
    SignalChain& chain = design.m_extras.chain;
    if (args.Has("power") && args.Has("voltage"))
        return CliUsageError("--power and --voltage exclude each other");
    if (args.Has("amp-power") && args.Has("amp-voltage"))
        return CliUsageError("--amp-power and --amp-voltage exclude each other");
    if (args.Has("power"))
        chain.voltage.reset();
    if (args.Has("amp-power"))
        chain.ampVoltage.reset();
    if (args.Has("amp-voltage"))
        chain.ampPower.reset();
    if (const char* text = args.Value("wiring")) {
        const Result<Wiring> wiring = ParseWiring(text, design.m_driverCount);
        if (!wiring)
            return Refused("--wiring: " + wiring.Message());
        chain.wiring = *wiring;
    }
    if (args.Has("clear-filters"))
        chain.stages.clear();
    if (const auto filters = args.repeated.find("filter"); filters != args.repeated.end()) {
        for (const std::string& text : filters->second) {
            const Result<FilterStage> stage = ParseStage(text);
            if (!stage)
                return Refused(stage.Message());
            if (chain.stages.size() >= kMaxStages)
                return Refused("a design takes at most " + std::to_string(kMaxStages) +
                               " filter stages");
            chain.stages.push_back(*stage);
        }
    }
    if (const char* text = args.Value("room-gain")) {
        if (std::string_view(text) == "off") {
            chain.roomGainFc.reset();
            chain.roomGainMax.reset();
        } else {
            const Result<RoomGain> gain = ParseRoomGain(text);
            if (!gain)
                return Refused("--room-gain: " + gain.Message());
            chain.roomGainFc = gain->fc;
            chain.roomGainMax = gain->max;
        }
    }
    return 0;
}

} // namespace

std::string DesignCommandUsage() {
    return FieldOptions::DesignOptionsUsage() +
           " [--wiring parallel|series|SxP] [--filter SPEC]... [--clear-filters]"
           " [--room-gain FC[:GMAX]]"
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
    if (const int failed = ApplyChainOptions(args, design))
        return failed;
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
