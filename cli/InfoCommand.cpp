// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-cli info FILE: the loaded record and what the program computes from
// it, as one JSON object.
#include "cli/CliCommand.h"
#include "cli/CliDesign.h"
#include "cli/Json.h"
#include "core/model/OutputLimits.h"
#include "core/units/DisplayUnits.h"

#include <cstdio>

namespace orvane {

namespace {

std::string RecordJson(const SpeakerDesign& d) {
    using Json::Number;
    Json::Object o;
    o.Add("fs", Number(d.m_fs))
        .Add("qts", Number(d.m_qts))
        .Add("vas", Number(d.m_vas))
        .Add("v1", Number(d.m_v1))
        .Add("f1", Number(d.m_f1))
        .Add("v2", Number(d.m_v2))
        .Add("f2", Number(d.m_f2))
        .Add("freqLow", Number(d.m_freqLow))
        .Add("freqHigh", Number(d.m_freqHigh))
        .Add("reserved1", Number(d.m_reserved1))
        .Add("reserved2", Number(d.m_reserved2))
        .Add("xmax", Number(d.m_xmax))
        .Add("coneDiameter", Number(d.m_coneDiameter))
        .Add("efficiency", Number(d.m_efficiency))
        .Add("boxType", Json::String(d.m_boxType))
        .Add("driverCount", Json::Integer(d.m_driverCount));
    return o.Str();
}

// The extension block's values; null when the file had no block.
std::string ExtrasJson(const SpeakerDesign& d) {
    if (!d.m_keptExtension.blockRead && !d.m_extras.AnySet())
        return Json::Null();
    const DesignExtras& e = d.m_extras;
    const auto number = [](const std::optional<double>& v) {
        return v ? Json::Number(*v) : std::string(Json::Null());
    };
    const auto count = [](const std::optional<uint16_t>& v) {
        return v ? Json::Integer(*v) : std::string(Json::Null());
    };
    Json::Object o;
    o.Add("name", e.name ? Json::String(*e.name) : Json::Null())
        .Add("re", number(e.re))
        .Add("qes", number(e.qes))
        .Add("le", number(e.le))
        .Add("pe", number(e.pe))
        .Add("power", number(e.power))
        .Add("ql", number(e.ql))
        .Add("portDiameter", number(e.portDiameter))
        .Add("ports", count(e.ports))
        .Add("port2Diameter", number(e.port2Diameter))
        .Add("ports2", count(e.ports2));
    return o.Str();
}

// The record's volumes and lengths in another system, beside the record's
// own: keys name the unit ("vas_l", "xmax_mm"); an extra value not set is
// null.
std::string ConvertedJson(const SpeakerDesign& d, UnitSystem units) {
    using DisplayUnits::Quantity;
    const auto shown = [units](Quantity quantity, double stored) {
        return Json::Number(DisplayUnits::ToDisplay(units, quantity, stored));
    };
    const auto optional = [&shown](Quantity quantity, const std::optional<double>& stored) {
        return stored ? shown(quantity, *stored) : std::string(Json::Null());
    };
    Json::Object o;
    o.Add("vas_l", shown(Quantity::Volume, d.m_vas))
        .Add("v1_l", shown(Quantity::Volume, d.m_v1))
        .Add("v2_l", shown(Quantity::Volume, d.m_v2))
        .Add("xmax_mm", shown(Quantity::Excursion, d.m_xmax))
        .Add("cone_diameter_cm", shown(Quantity::Length, d.m_coneDiameter))
        .Add("port_diameter_cm", optional(Quantity::Length, d.m_extras.portDiameter))
        .Add("port2_diameter_cm", optional(Quantity::Length, d.m_extras.port2Diameter));
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

std::string FigureLinesJson(const std::optional<FigureTexts>& lines) {
    if (!lines)
        return Json::Null();
    return "[" + Json::String(lines->line1) + ", " + Json::String(lines->line2) + "]";
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
    const std::string record = RecordJson(design);
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
