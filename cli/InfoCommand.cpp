// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-cli info FILE: the loaded record and what the program computes from
// it, as one JSON object.
#include "cli/CliCommand.h"
#include "cli/CliDesign.h"
#include "cli/Json.h"
#include "core/chain/Stages.h"
#include "core/design/Fields.h"
#include "core/model/OutputLimits.h"
#include "core/units/DisplayUnits.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace orvane {

namespace {

// A field's value as JSON: null when it is not set.
std::string FieldJson(const SpeakerDesign& d, const FieldInfo& field) {
    if (field.access.text != nullptr) {
        const std::optional<std::string> text = field.access.text(d);
        return text ? Json::String(*text) : std::string(Json::Null());
    }
    const std::optional<double> value = field.access.number(d);
    if (!value)
        return Json::Null();
    if (const auto i = static_cast<std::size_t>(*value);
        !field.names.empty() && i < field.names.size())
        return Json::String(field.names[i]);
    return field.type == FieldType::Count ? Json::Integer(static_cast<long long>(*value))
                                          : Json::Number(*value);
}

std::string FieldsJson(const SpeakerDesign& d, FieldHome home) {
    Json::Object o;
    for (const FieldInfo& field : Fields::All()) {
        if (field.home == home)
            o.Add(field.key, FieldJson(d, field));
    }
    return o.Str();
}

std::string OptionalJson(const std::optional<double>& value) {
    return value ? Json::Number(*value) : std::string(Json::Null());
}

// The signal chain as its parts: the stages as their text, in order.
void AddChainJson(const SignalChain& c, Json::Object& o) {
    std::string stages = "[";
    for (const FilterStage& st : c.stages)
        stages += (stages.size() > 1 ? ", " : "") + Json::String(StageText(st));
    Json::Object coils, drive, amplifier, room;
    const std::span<const std::string_view> wirings = Fields::Info(FieldId::CoilWiring).names;
    const std::size_t wiring = c.coilWiring.value_or(0);
    coils.Add("count", Json::Integer(c.coils.value_or(1)))
        .Add("wiring", c.coils.value_or(1) == 2 && wiring < wirings.size()
                           ? Json::String(wirings[wiring])
                           : std::string(Json::Null()));
    drive.Add("voltage", OptionalJson(c.voltage))
        .Add("seriesResistance", Json::Number(c.seriesResistance.value_or(0)));
    amplifier.Add("power", OptionalJson(c.ampPower)).Add("voltage", OptionalJson(c.ampVoltage));
    room.Add("fc", OptionalJson(c.roomGainFc))
        .Add("max", c.roomGainFc ? Json::Number(c.roomGainMax.value_or(kDefaultRoomGainMax))
                                 : std::string(Json::Null()));
    o.Add("chain", stages + "]")
        .Add("wiring", Json::String(WiringText(c.wiring.value_or(Wiring{}))))
        .Add("coils", coils.Str())
        .Add("drive", drive.Str())
        .Add("amplifier", amplifier.Str())
        .Add("roomGain", room.Str());
}

// The extension block's values; null when the file had no block.
std::string ExtrasJson(const SpeakerDesign& d) {
    if (!d.m_keptExtension.blockRead && !d.m_extras.AnySet())
        return Json::Null();
    Json::Object o;
    for (const FieldInfo& field : Fields::All()) {
        if (field.home == FieldHome::Extension)
            o.Add(field.key, FieldJson(d, field));
    }
    AddChainJson(d.m_extras.chain, o);
    return o.Str();
}

// The stored values that another system shows in other units, beside the
// record's own: keys name the unit ("vas_l", "xmax_mm"); a value not set is
// null.
std::string ConvertedJson(const SpeakerDesign& d, UnitSystem units) {
    Json::Object o;
    for (const FieldInfo& field : Fields::All()) {
        if (field.home == FieldHome::Window || !DisplayUnits::Converts(units, field.quantity))
            continue;
        std::string key(field.option);
        std::replace(key.begin(), key.end(), '-', '_');
        key += '_';
        for (const char c : DisplayUnits::Label(units, field.quantity))
            key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const std::optional<double> stored = field.access.number(d);
        o.Add(key, stored ? Json::Number(DisplayUnits::ToDisplay(units, field.quantity, *stored))
                          : std::string(Json::Null()));
    }
    return o.Str();
}

std::string AutoValueJson(const AutoValue& value) {
    Json::Object o;
    switch (value.entry) {
    case AutoEntry::F1:
        o.Add("entry", Json::String("F1")).Add("value", Json::Number(value.value));
        break;
    case AutoEntry::F2:
        o.Add("entry", Json::String("F2")).Add("value", Json::Number(value.value));
        break;
    case AutoEntry::None:
        o.Add("entry", Json::Null()).Add("value", Json::Null());
        break;
    }
    return o.Str();
}

std::string OutputLimitsJson(const std::optional<OutputLimits>& limits) {
    if (!limits)
        return Json::Null();
    using Json::Number;
    Json::Object o;
    o.Add("f3", Number(limits->f3))
        .Add("k", Number(limits->k))
        .Add("vd", Number(limits->vd))
        .Add("par", Number(limits->par))
        .Add("maxSpl", Number(limits->maxSpl))
        .Add("inputPower", Number(limits->inputPower));
    return o.Str();
}

// The window pads the figure lines to its layout; the JSON has the words.
std::string Trimmed(const std::string& line) {
    const std::size_t end = line.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : line.substr(0, end + 1);
}

std::string FigureLinesJson(const std::optional<FigureTexts>& lines) {
    if (!lines)
        return Json::Null();
    return "[" + Json::String(Trimmed(lines->line1)) + ", " + Json::String(Trimmed(lines->line2)) +
           "]";
}

int RunInfo(const CliArgs& args) {
    if (!args.Unexpected(1, {"units"}).empty())
        return CliUsageError("info takes exactly one design file");
    const std::optional<UnitSystem> units =
        args.Has("units") ? DisplayUnits::FromName(args.options.at("units")) : UnitSystem::Imperial;
    if (!units)
        return CliUsageError("--units needs imperial or metric");
    std::optional<SpeakerDesign> loaded = LoadDesignOrReport(args.positional[0]);
    if (!loaded)
        return 1;
    SpeakerDesign& design = *loaded;
    const std::string record = FieldsJson(design, FieldHome::Record);
    const std::string extended = ExtrasJson(design);

    const AutoValue autoValue = ApplyOpeningAutomaticValues(design);
    const SealedAlignment alignment = ComputeSealedAlignment(design);
    const std::optional<OutputLimits> limits = ComputeOutputLimits(design, alignment);
    const std::optional<FigureTexts> lines = FigureLines(design, alignment, limits);

    // Only a sealed box has a total Q, and only with a volume.
    const bool hasQtc = design.Kind() == BoxKind::Sealed && alignment.valid;

    Json::Object afterAuto;
    afterAuto.Add("f1", Json::Number(design.m_f1)).Add("f2", Json::Number(design.m_f2));

    Json::Object out;
    out.Add("record", record)
        .Add("autoValue", AutoValueJson(autoValue))
        .Add("afterAuto", afterAuto.Str())
        .Add("qtc", hasQtc ? Json::Number(alignment.qtc) : Json::Null())
        .Add("outputLimits", OutputLimitsJson(limits))
        .Add("figureLines", FigureLinesJson(lines))
        .Add("extended", extended);
    if (*units != UnitSystem::Imperial)
        out.Add(DisplayUnits::Name(*units), ConvertedJson(design, *units));
    std::printf("%s\n", out.Str().c_str());
    return 0;
}

const CliRegistration registration({"info", "info FILE [--units imperial|metric]", RunInfo});

} // namespace

} // namespace orvane
