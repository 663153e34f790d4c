// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliCommand.h"
#include "cli/FieldOptions.h"
#include "cli/Json.h"
#include "core/calc/Alignment.h"
#include "core/design/SpeakerDesign.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <vector>

namespace orvane {

namespace {

// A row without a tuning keeps its volume; the rest is null.
std::string RowJson(const Alignment::RowResult& r, double volume) {
    const auto value = [&r](double Alignment::Row::*field) {
        return r ? Json::Number((*r).*field) : std::string(Json::Null());
    };
    Json::Object out;
    out.Add("v1", Json::Number(r ? r->v1 : volume));
    out.Add("f1", value(&Alignment::Row::f1));
    out.Add("f3", value(&Alignment::Row::f3));
    out.Add("peak", value(&Alignment::Row::peak));
    return out.Str();
}

// The reason alone on stderr.
int Refuse(const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
    return 1;
}

// The radiators' options, read by the field table's rules (the record's
// units: ft3, in2, in).
constexpr FieldId kRadiatorFields[] = {FieldId::PrFs,       FieldId::PrVas, FieldId::PrSd,
                                       FieldId::PrDiameter, FieldId::PrQms, FieldId::PrCount,
                                       FieldId::Ql};

std::vector<std::string_view> RadiatorOptions() {
    std::vector<std::string_view> options;
    for (const FieldId id : kRadiatorFields)
        options.push_back(Fields::Info(id).option);
    return options;
}

int RadiatorAlignment(const CliArgs& args, const Alignment::Driver& driver, double ripple) {
    SpeakerDesign radiators;
    for (const FieldId id : kRadiatorFields) {
        const Result<std::optional<double>, int> value =
            FieldOptions::ReadNumber(args, id, UnitSystem::Imperial);
        if (!value)
            return FieldOptions::Report(value.Error());
        if (*value)
            Fields::SetNumber(radiators, id, **value);
    }
    std::string error;
    double volume = 0;
    if (!args.Required("volume", volume, error))
        return CliUsageError(error);
    const Alignment::RowResult r =
        Alignment::PassiveRadiator(driver, radiators.m_extras, volume, ripple);
    if (!r)
        return Refuse(r.Message());
    Json::Object out;
    out.Add("v1", Json::Number(r->v1));
    out.Add("f1", Json::Number(r->f1));
    out.Add("f3", Json::Number(r->f3));
    out.Add("peak", Json::Number(r->peak));
    out.Add("prMass", Json::Number(r->prMass));
    std::puts(out.Str().c_str());
    return 0;
}

int Answer(const Alignment::RowResult& r) {
    if (!r)
        return Refuse(r.Message());
    std::puts(RowJson(r, r->v1).c_str());
    return 0;
}

int Table(const Alignment::Driver& driver, double ripple) {
    if (const Result<void, Alignment::Problem> checked = Alignment::CheckDriver(driver); !checked)
        return Refuse(checked.Message());
    const auto volumes = Alignment::TableVolumes(driver);
    const std::vector<Alignment::RowResult> rows = Alignment::VentedTable(driver, ripple);
    std::string out = "[";
    for (size_t i = 0; i < rows.size(); ++i)
        out += (i == 0 ? "" : ", ") + RowJson(rows[i], volumes[i]);
    std::puts((out + "]").c_str());
    return 0;
}

int RunAlign(const CliArgs& args) {
    std::string error;
    Alignment::Driver driver;
    std::vector<std::string_view> known = {"fs",  "qts",    "vas",    "drivers", "type",
                                           "qtc", "volume", "ripple", "table"};
    const std::vector<std::string_view> radiatorOptions = RadiatorOptions();
    known.insert(known.end(), radiatorOptions.begin(), radiatorOptions.end());
    error = args.Unexpected(0, known);
    if (!error.empty() || !args.Required("fs", driver.fs, error) ||
        !args.Required("qts", driver.qts, error) || !args.Required("vas", driver.vas, error) ||
        !args.Integer32("drivers", driver.count, error))
        return CliUsageError(error);
    if (driver.count < 1 || driver.count > 65535)
        return CliUsageError("--drivers needs a whole number from 1 to 65535");
    const char* type = args.Value("type");
    if (type == nullptr)
        return CliUsageError("missing --type");

    const bool radiators = type == BoxType::PassiveRadiator;
    for (const std::string_view option : radiatorOptions) {
        if (!radiators && args.Has(std::string(option)))
            return CliUsageError("--" + std::string(option) + " goes with --type PassiveRadiator");
    }
    if (type == BoxType::Sealed) {
        if (args.Has("volume") || args.Has("ripple") || args.Has("table"))
            return CliUsageError("--volume, --ripple and --table go with --type Vented or "
                                 "PassiveRadiator");
        // The bounds and the sentence of the dialog's Qtc entry.
        const Result<std::optional<double>, int> qtc =
            FieldOptions::ReadNumber(args, FieldId::Qtc, UnitSystem::Imperial);
        if (!qtc)
            return FieldOptions::Report(qtc.Error());
        if (!*qtc)
            return CliUsageError("missing --qtc");
        return Answer(Alignment::Sealed(driver, **qtc));
    }
    if (type != BoxType::Vented && !radiators)
        return CliUsageError("--type must be Sealed, Vented or PassiveRadiator");
    if (args.Has("qtc"))
        return CliUsageError("--qtc goes with --type Sealed");
    double ripple = 0.5;
    // Only the bounds the dialog offers.
    if (args.Has("ripple") && (!args.Number("ripple", ripple) ||
                               std::find(Alignment::kRipples.begin(), Alignment::kRipples.end(),
                                         ripple) == Alignment::kRipples.end()))
        return CliUsageError("--ripple must be 0.25, 0.5, 1 or 2");
    if (radiators) {
        if (args.Has("table"))
            return CliUsageError("--table goes with --type Vented");
        return RadiatorAlignment(args, driver, ripple);
    }
    if (args.Has("table") == args.Has("volume"))
        return CliUsageError("--type Vented takes either --volume or --table");
    if (args.Has("table"))
        return Table(driver, ripple);
    double volume = 0;
    if (!args.Required("volume", volume, error))
        return CliUsageError(error);
    return Answer(Alignment::Vented(driver, volume, ripple));
}

constexpr std::string_view kFlags[] = {"table"};

// In the grammar of the other usage lines, which the shell completion reads;
// which options go with which type is for the command to check.
const CliRegistration registration({"align",
                                    "align --fs X --qts X --vas X "
                                    "--type Sealed|Vented|PassiveRadiator [--drivers N] "
                                    "[--qtc X] [--volume X] [--table] [--ripple 0.25|0.5|1|2] "
                                    "[--pr-fs X] [--pr-vas X] [--pr-sd X] [--pr-diameter X] "
                                    "[--pr-qms X] [--prs N] [--ql X]",
                                    RunAlign, kFlags});

} // namespace

} // namespace orvane
