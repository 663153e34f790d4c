// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/DesignOptions.h"

#include "cli/DriverOption.h"
#include "cli/FieldOptions.h"
#include "core/chain/Stages.h"
#include "core/model/Acoustics.h"
#include "core/model/PassiveRadiator.h"
#include "core/text/NumberText.h"
#include "core/units/DisplayUnits.h"

#include <cmath>
#include <cstdio>
#include <iterator>

namespace orvane {

namespace {

// Options an earlier version took, refused with the one that says it now.
struct Retired {
    std::string_view option;
    std::string_view instead;
};
constexpr Retired kRetired[] = {
    {"radiators", "--radiators is now --prs, the number of passive radiators, which the build's "
                  "radiator displacement counts too"},
    {"slot-width", "--slot-width and --slot-height are now --slot WIDTHxHEIGHT"},
    {"slot-height", "--slot-width and --slot-height are now --slot WIDTHxHEIGHT"},
};

// Options that give several values of the field table at once, each part
// checked by its own field's rules.
constexpr std::string_view kCompound[] = {"slot", "shape", "sheet"};
constexpr std::string_view kCompoundUsage = " [--slot WxH] [--shape R|W:H:D] [--sheet WxH]";

// The parts of "AxB" or "A:B:C" between any of `separators`.
std::vector<std::string_view> Split(std::string_view text, std::string_view separators) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t at = text.find_first_of(separators); at != std::string_view::npos;
         at = text.find_first_of(separators, start)) {
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

Result<void, int> ApplyPair(const CliArgs& args, std::string_view option, FieldId first,
                            FieldId second, UnitSystem units, SpeakerDesign& design) {
    const std::vector<std::string_view> parts = Split(args.options.at(std::string(option)), "xX");
    if (parts.size() != 2)
        return Failure<int>{FieldOptions::kUsage,
                            "--" + std::string(option) + " needs two numbers as WIDTHxHEIGHT"};
    const FieldId ids[] = {first, second};
    double values[2] = {};
    for (int i = 0; i < 2; ++i) {
        const Result<double, int> value =
            FieldOptions::ReadShown(Fields::Info(ids[i]), option, parts[i], units);
        if (!value)
            return value.Error();
        values[i] = *value;
    }
    Fields::SetNumber(design, first, values[0]);
    Fields::SetNumber(design, second, values[1]);
    return {};
}

constexpr std::string_view kShapeUsage = "--shape needs a ratio R or W:H:D, three numbers above 0";

// --shape R (W : H : D = 1 : R : 1/R) or a custom W:H:D, kept as H/W and D/W.
Result<void, int> ApplyShape(const CliArgs& args, UnitSystem units, SpeakerDesign& design) {
    const std::string& text = args.options.at("shape");
    const std::vector<std::string_view> parts = Split(text, ":");
    if (parts.size() == 1) {
        const Result<double, int> ratio =
            FieldOptions::ReadShown(Fields::Info(FieldId::Shape), "shape", text, units);
        if (!ratio && ratio.ErrorCode() == FieldOptions::kUsage)
            return Failure<int>{FieldOptions::kUsage, std::string(kShapeUsage)};
        if (!ratio)
            return ratio.Error();
        Fields::SetNumber(design, FieldId::Shape, *ratio);
        Fields::SetNumber(design, FieldId::ShapeHeight, std::nullopt);
        Fields::SetNumber(design, FieldId::ShapeDepth, std::nullopt);
        return {};
    }
    double whd[3] = {};
    for (std::size_t i = 0; i < 3 && parts.size() == 3; ++i) {
        if (!ReadNumberText(parts[i], whd[i]) || !(whd[i] > 0) || !std::isfinite(whd[i]))
            whd[0] = 0;
    }
    if (parts.size() != 3 || !(whd[0] > 0))
        return Failure<int>{FieldOptions::kUsage, std::string(kShapeUsage)};
    const std::pair<FieldId, double> ratios[] = {{FieldId::ShapeHeight, whd[1] / whd[0]},
                                                 {FieldId::ShapeDepth, whd[2] / whd[0]}};
    for (const auto& [id, ratio] : ratios) {
        const FieldInfo& field = Fields::Info(id);
        if (const std::optional<std::string> refusal = Fields::Refusal(field, ratio, units))
            return FieldOptions::Refused("shape", std::string(field.name) + ": " + *refusal);
    }
    for (const auto& [id, ratio] : ratios)
        Fields::SetNumber(design, id, ratio);
    return {};
}

Result<void, int> ApplyCompound(const CliArgs& args, UnitSystem units, SpeakerDesign& design) {
    if (args.Has("slot")) {
        if (Result<void, int> r =
                ApplyPair(args, "slot", FieldId::SlotWidth, FieldId::SlotHeight, units, design);
            !r)
            return r;
    }
    if (args.Has("sheet")) {
        if (Result<void, int> r =
                ApplyPair(args, "sheet", FieldId::SheetLength, FieldId::SheetWidth, units, design);
            !r)
            return r;
    }
    if (args.Has("shape"))
        return ApplyShape(args, units, design);
    return {};
}

} // namespace

std::vector<std::string_view> DesignCommandOptions(std::initializer_list<std::string_view> extra) {
    std::vector<std::string_view> known(extra);
    known.emplace_back("units");
    known.insert(known.end(), std::begin(kDriverOptions), std::end(kDriverOptions));
    const std::vector<std::string_view> fields = FieldOptions::DesignOptionNames();
    known.insert(known.end(), fields.begin(), fields.end());
    for (const Retired& retired : kRetired)
        known.push_back(retired.option);
    known.insert(known.end(), std::begin(kCompound), std::end(kCompound));
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
    return FieldOptions::DesignOptionsUsage() + std::string(kCompoundUsage) +
           " [--wiring parallel|series|SxP] [--filter STAGE]... [--clear-filters]"
           " [--room-gain FC[:GMAX]]"
           " [--driver \"MAKER MODEL\" | --driver-id N] [--library PATH] "
           "[--units imperial|metric]";
}

int ApplyDesignCommandOptions(const CliArgs& args, SpeakerDesign& design) {
    const std::optional<UnitSystem> units =
        args.Has("units") ? DisplayUnits::FromName(args.options.at("units")) : UnitSystem::Imperial;
    if (!units)
        return CliUsageError("--units needs imperial or metric");
    for (const Retired& retired : kRetired) {
        if (args.Has(std::string(retired.option)))
            return CliUsageError(std::string(retired.instead));
    }
    if (const int failed = ApplyDriverOption(args, design))
        return failed;
    if (const Result<void, int> applied = FieldOptions::ApplyDesignOptions(args, *units, design);
        !applied)
        return FieldOptions::Report(applied.Error());
    if (const Result<void, int> applied = ApplyCompound(args, *units, design); !applied)
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
