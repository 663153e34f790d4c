// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/FieldOptions.h"

#include "core/design/DesignExtension.h"
#include "core/design/DesignFile.h"

#include "core/text/NumberText.h"

#include <cmath>
#include <cstdio>

namespace orvane::FieldOptions {

namespace {

bool IsDesignOption(const FieldInfo& field) {
    return field.home != FieldHome::Window && !field.option.empty();
}

std::string Dashed(const FieldInfo& field) {
    return "--" + std::string(field.option);
}

Failure<int> Refused(const FieldInfo& field, const std::string& sentence) {
    return FieldOptions::Refused(field.option, sentence);
}

Result<void, int> ApplyText(const CliArgs& args, const FieldInfo& field, SpeakerDesign& design) {
    const std::string& text = args.options.at(std::string(field.option));
    if (field.type == FieldType::Choice) {
        const std::optional<BoxKind> kind = Fields::BoxTypeFromName(text);
        if (!kind)
            return Refused(field, Fields::BoxTypeRefusal());
        field.access.setText(design, std::string(BoxType::Name(*kind)));
        return {};
    }
    if (text.size() > DesignExtension::kMaxNameBytes)
        return Failure<int>{kUsage, Dashed(field) + " is longer than " +
                                        std::to_string(DesignExtension::kMaxNameBytes) + " bytes"};
    field.access.setText(design, text);
    return {};
}

} // namespace

Failure<int> Refused(std::string_view option, const std::string& sentence) {
    return {kRefused, "--" + std::string(option) + ": " + sentence};
}

Result<double, int> ReadShown(const FieldInfo& field, std::string_view option,
                              std::string_view text, UnitSystem units) {
    double shown = 0;
    if (!ReadNumberText(text, shown) || !std::isfinite(shown))
        return Failure<int>{kUsage, "--" + std::string(option) + " needs finite numbers"};
    if (const std::optional<std::string> refusal = Fields::Refusal(field, shown, units))
        return Refused(option, std::string(field.name) + ": " + *refusal);
    return DisplayUnits::FromDisplay(units, field.quantity, shown);
}

std::vector<std::string_view> DesignOptionNames() {
    std::vector<std::string_view> names;
    for (const FieldInfo& field : Fields::All()) {
        if (IsDesignOption(field))
            names.push_back(field.option);
    }
    return names;
}

std::string DesignOptionsUsage() {
    std::string usage;
    for (const FieldInfo& field : Fields::All()) {
        if (!IsDesignOption(field))
            continue;
        const char* value = !field.names.empty()              ? " NAME"
                            : field.type == FieldType::Count  ? " N"
                            : field.type == FieldType::Text   ? " TEXT"
                            : field.type == FieldType::Choice ? " NAME"
                                                              : " X";
        usage += (usage.empty() ? "[" : " [") + Dashed(field) + value + "]";
    }
    return usage;
}

Result<std::optional<double>, int> ReadNumber(const CliArgs& args, FieldId id, UnitSystem units) {
    const FieldInfo& field = Fields::Info(id);
    const std::string option(field.option);
    if (!args.Has(option))
        return std::optional<double>();
    double shown = 0;
    // A choice by its name, or by its number like any count.
    const Result<double> chosen = Fields::ChoiceFromName(field, args.options.at(option));
    if (chosen)
        return std::optional<double>(*chosen);
    if (field.type == FieldType::Count) {
        long long count = 0;
        if (!args.Integer(option, count) && !field.names.empty())
            return Refused(field, chosen.Error().message);
        if (!args.Integer(option, count))
            return Failure<int>{kUsage, Dashed(field) + " needs a whole number"};
        shown = static_cast<double>(count);
    } else if (!args.Number(option, shown)) {
        return Failure<int>{kUsage, Dashed(field) + " needs a finite number"};
    }
    if (const std::optional<std::string> refusal = Fields::Refusal(field, shown, units))
        return Refused(field, *refusal);
    return std::optional<double>(DisplayUnits::FromDisplay(units, field.quantity, shown));
}

Result<void, int> ApplyDesignOptions(const CliArgs& args, UnitSystem units, SpeakerDesign& design) {
    for (const FieldInfo& field : Fields::All()) {
        if (!IsDesignOption(field) || !args.Has(std::string(field.option)))
            continue;
        if (field.type == FieldType::Text || field.type == FieldType::Choice) {
            if (Result<void, int> applied = ApplyText(args, field, design); !applied)
                return applied;
            continue;
        }
        Result<std::optional<double>, int> value = ReadNumber(args, field.id, units);
        if (!value)
            return value.Error();
        field.access.setNumber(design, **value);
    }
    if ((args.Has("freq-low") || args.Has("freq-high")) &&
        !Fields::SpanAccepted(design.m_freqLow, design.m_freqHigh))
        return Failure<int>{kRefused, std::string(Fields::kSpanRefused)};
    return {};
}

int Report(const Failure<int>& failure) {
    if (failure.code == kUsage)
        return CliUsageError(failure.message);
    std::fprintf(stderr, "orvane-cli: %s\n", failure.message.c_str());
    return failure.code;
}

} // namespace orvane::FieldOptions
