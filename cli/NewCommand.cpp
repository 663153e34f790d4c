// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-cli new -o FILE [options]: writes a new design with the given values
// in place of the defaults.
#include "cli/CliCommand.h"
#include "cli/CliLibrary.h"
#include "cli/DriverOption.h"
#include "core/design/COrvaneDoc.h"
#include "core/design/DesignExtension.h"
#include "core/design/DesignFile.h"
#include "core/units/DisplayUnits.h"

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

namespace {

using DisplayUnits::Quantity;

// What an option's value measures when --units chooses other units than the
// record's; nothing for values that have one unit only.
struct NumberOption {
    const char* name;
    double SpeakerDesign::*field;
    std::optional<Quantity> quantity;
};

const NumberOption kNumberOptions[] = {
    {"fs", &SpeakerDesign::m_fs, std::nullopt},
    {"qts", &SpeakerDesign::m_qts, std::nullopt},
    {"vas", &SpeakerDesign::m_vas, Quantity::Volume},
    {"v1", &SpeakerDesign::m_v1, Quantity::Volume},
    {"f1", &SpeakerDesign::m_f1, std::nullopt},
    {"v2", &SpeakerDesign::m_v2, Quantity::Volume},
    {"f2", &SpeakerDesign::m_f2, std::nullopt},
    {"freq-low", &SpeakerDesign::m_freqLow, std::nullopt},
    {"freq-high", &SpeakerDesign::m_freqHigh, std::nullopt},
    {"xmax", &SpeakerDesign::m_xmax, Quantity::Excursion},
    {"cone-diameter", &SpeakerDesign::m_coneDiameter, Quantity::Length},
    {"efficiency", &SpeakerDesign::m_efficiency, std::nullopt},
};

// The extra values, kept in the file's extension block.
struct ExtraNumberOption {
    const char* name;
    std::optional<double> DesignExtras::*field;
    std::optional<Quantity> quantity;
};

const ExtraNumberOption kExtraNumberOptions[] = {
    {"re", &DesignExtras::re, std::nullopt},
    {"qes", &DesignExtras::qes, std::nullopt},
    {"le", &DesignExtras::le, std::nullopt},
    {"pe", &DesignExtras::pe, std::nullopt},
    {"power", &DesignExtras::power, std::nullopt},
    {"ql", &DesignExtras::ql, std::nullopt},
    {"port-diameter", &DesignExtras::portDiameter, Quantity::Length},
    {"port2-diameter", &DesignExtras::port2Diameter, Quantity::Length},
};

// An option's value as the record stores it.
double Stored(UnitSystem units, const std::optional<Quantity>& quantity, double given) {
    return quantity ? DisplayUnits::FromDisplay(units, *quantity, given) : given;
}

struct ExtraCountOption {
    const char* name;
    std::optional<uint16_t> DesignExtras::*field;
};

constexpr ExtraCountOption kExtraCountOptions[] = {
    {"ports", &DesignExtras::ports},
    {"ports2", &DesignExtras::ports2},
};

std::vector<std::string_view> KnownOptions() {
    std::vector<std::string_view> known = {"o", "type", "drivers", "name", "units"};
    known.insert(known.end(), std::begin(kDriverOptions), std::end(kDriverOptions));
    for (const NumberOption& option : kNumberOptions)
        known.emplace_back(option.name);
    for (const ExtraNumberOption& option : kExtraNumberOptions)
        known.emplace_back(option.name);
    for (const ExtraCountOption& option : kExtraCountOptions)
        known.emplace_back(option.name);
    return known;
}

// The extension-block options into the design's extras; a usage message
// when one is wrong.
std::optional<std::string> ReadExtraOptions(const CliArgs& args, UnitSystem units,
                                            DesignExtras& extras) {
    for (const ExtraNumberOption& option : kExtraNumberOptions) {
        double value = 0;
        if (!args.Has(option.name))
            continue;
        if (!args.Number(option.name, value))
            return std::string("--") + option.name + " needs a finite number";
        extras.*option.field = Stored(units, option.quantity, value);
    }
    for (const ExtraCountOption& option : kExtraCountOptions) {
        long long count = 0;
        if (!args.Has(option.name))
            continue;
        if (!args.Integer(option.name, count) || count < 1 || count > 65535)
            return std::string("--") + option.name + " needs a whole number from 1 to 65535";
        extras.*option.field = static_cast<uint16_t>(count);
    }
    if (args.Has("name")) {
        const std::string& name = args.options.at("name");
        if (name.size() > DesignExtension::kMaxNameBytes)
            return "--name is longer than " + std::to_string(DesignExtension::kMaxNameBytes) +
                   " bytes";
        extras.name = name;
    }
    return std::nullopt;
}

int RunNew(const CliArgs& args) {
    if (const std::string unexpected = args.Unexpected(0, KnownOptions()); !unexpected.empty())
        return CliUsageError(unexpected);
    if (!args.Has("o"))
        return CliUsageError("new needs -o FILE");
    const std::optional<UnitSystem> units =
        args.Has("units") ? DisplayUnits::FromName(args.options.at("units")) : UnitSystem::Imperial;
    if (!units)
        return CliUsageError("--units needs imperial or metric");

    COrvaneDoc doc;
    doc.OnNewDocument();
    SpeakerDesign& design = doc.Design();
    // A library driver first, so that the values given with it win.
    if (const int failed = ApplyDriverOption(args, design))
        return failed;
    for (const NumberOption& option : kNumberOptions) {
        if (!args.Has(option.name))
            continue;
        double value = 0;
        if (!args.Number(option.name, value))
            return CliUsageError(std::string("--") + option.name + " needs a finite number");
        design.*option.field = Stored(*units, option.quantity, value);
    }
    if (args.Has("type")) {
        // A longer name would make a file that no loader accepts.
        if (args.options.at("type").size() > DesignFile::kMaxTypeNameBytes)
            return CliUsageError("--type needs a name of at most " +
                                 std::to_string(DesignFile::kMaxTypeNameBytes) + " bytes");
        design.m_boxType = args.options.at("type");
    }
    if (args.Has("drivers")) {
        long long count = 0;
        if (!args.Integer("drivers", count) || count < 0 || count > 65535)
            return CliUsageError("--drivers needs a whole number from 0 to 65535");
        design.m_driverCount = static_cast<uint16_t>(count);
    }
    if (const auto error = ReadExtraOptions(args, *units, design.m_extras))
        return CliUsageError(*error);

    if (RefuseLibraryOutput(args, args.options.at("o")))
        return 1;
    if (const FileResult saved = doc.Save(args.options.at("o")); !saved) {
        std::fprintf(stderr, "%s\n", saved.Message().c_str());
        return 1;
    }
    return 0;
}

const CliRegistration registration(
    {"new",
     "new -o FILE [--type NAME] [--fs X] [--qts X] [--vas X] [--v1 X] [--f1 X] [--v2 X] "
     "[--f2 X] [--freq-low X] [--freq-high X] [--xmax X] [--cone-diameter X] [--efficiency X] "
     "[--drivers N] [--driver \"MAKER MODEL\" | --driver-id N] [--library PATH] [--name TEXT] "
     "[--re X] [--qes X] [--le X] [--pe X] [--power X] [--ql X] [--port-diameter X] [--ports N] "
     "[--port2-diameter X] [--ports2 N] [--units imperial|metric]",
     RunNew});

} // namespace

} // namespace orvane
