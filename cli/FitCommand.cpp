// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-cli fit FILE [...]: a driver's Thiele/Small values from a measured
// impedance curve, and its size from a second curve, as JSON.
#include "cli/CliCommand.h"
#include "cli/Json.h"
#include "core/measure/DriverFit.h"
#include "core/model/Acoustics.h"
#include "core/units/Units.h"

#include <cmath>
#include <cstdio>
#include <numbers>

namespace orvane {

namespace {

// A value the fit may lack: null, never a number that is none.
std::string Maybe(std::optional<double> value, double scale = 1) {
    return value && std::isfinite(*value) ? Json::Number(*value * scale) : Json::Null();
}

// An optional number above 0 (a mass, a volume, a size).
bool Positive(const CliArgs& args, const char* name, std::optional<double>& out,
              std::string& error) {
    if (!args.Optional(name, out, error))
        return false;
    if (out && !(*out > 0)) {
        error = std::string("--") + name + " needs a number above 0";
        return false;
    }
    return true;
}

int RunFit(const CliArgs& args) {
    const bool mass = args.Has("added-mass");
    const bool box = args.Has("test-box");
    if (mass && box)
        return CliUsageError("--added-mass and --test-box exclude each other");
    if (args.Has("sd") && args.Has("cone-diameter"))
        return CliUsageError("--sd and --cone-diameter exclude each other");
    const std::size_t files = mass || box ? 2 : 1;
    std::string error =
        args.Unexpected(files, {"re", "cone-diameter", "sd", "added-mass", "test-box", "units"});
    std::optional<double> re, diameter, sd, grams, volume;
    if (!error.empty() || !Positive(args, "re", re, error) ||
        !Positive(args, "cone-diameter", diameter, error) || !Positive(args, "sd", sd, error) ||
        !Positive(args, "added-mass", grams, error) || !Positive(args, "test-box", volume, error))
        return CliUsageError(error == "missing argument"
                                 ? "fit needs the second curve's file after "
                                   "the first with --added-mass or --test-box"
                                 : error);
    const char* units = args.Value("units");
    const std::string_view system = units ? units : "imperial";
    if (system != "imperial" && system != "metric")
        return CliUsageError("--units needs imperial or metric");
    const bool metric = system == "metric";

    // Lengths in inches or centimetres, areas in in² or cm², volumes in ft³ or L.
    const double metre = metric ? 0.01 : Units::kMetresPerInch;
    const double cubicMetre = metric ? 0.001 : Units::kCubicMetresPerCubicFoot;
    FitRequest request;
    request.re = re;
    if (sd)
        request.sd = *sd * metre * metre;
    if (diameter) {
        const double radius = Units::kEffectiveRadiusShare * *diameter * metre;
        request.sd = std::numbers::pi * radius * radius;
    }
    const Result<ImpedanceCurve, CurveProblem> curve = ReadImpedanceFile(args.positional[0]);
    if (!curve) {
        std::fprintf(stderr, "%s\n", curve.Message().c_str());
        return 1;
    }
    std::optional<Result<ImpedanceCurve, CurveProblem>> second;
    if (files == 2) {
        second.emplace(ReadImpedanceFile(args.positional[1]));
        if (!*second) {
            std::fprintf(stderr, "%s\n", (*second).Message().c_str());
            return 1;
        }
        request.second = mass ? SecondMeasurement::AddedMass : SecondMeasurement::TestBox;
        request.secondCurve = &**second;
        request.addedMass = grams.value_or(0) / 1000;
        request.testBox = volume.value_or(0) * cubicMetre;
    }
    const Result<DriverFit, FitProblem> fit = FitDriver(*curve, request);
    if (!fit) {
        std::fprintf(stderr, "%s\n", fit.Message().c_str());
        return 1;
    }
    const ResonanceFit& r = fit->freeAir;
    std::string warnings;
    for (const std::string& w : fit->warnings)
        warnings += (warnings.empty() ? "" : ",") + Json::String(w);
    Json::Object out;
    out.Add("fs", Json::Number(r.fs))
        .Add("re", Json::Number(r.re))
        .Add("qms", Json::Number(r.qms))
        .Add("qes", Json::Number(r.qes))
        .Add("qts", Json::Number(r.qts))
        .Add("le", Maybe(r.le, 1000))
        .Add("vas", Maybe(fit->vas, 1 / cubicMetre))
        .Add("sd", Maybe(fit->sd, 1 / (metre * metre)))
        .Add("mms", Maybe(fit->mms, 1000))
        .Add("cms", Maybe(fit->cms, 1000))
        .Add("bl", Maybe(fit->bl))
        .Add("eta0", Maybe(fit->eta0))
        .Add("fitError", Json::Number(r.fitError))
        .Add("warnings", "[" + warnings + "]");
    std::puts(out.Str().c_str());
    return 0;
}

const CliRegistration registration(
    {"fit",
     "fit FILE.zma [--re X] [--cone-diameter X | --sd X] "
     "[--added-mass G FILE2.zma | --test-box VOLUME FILE2.zma] [--units imperial|metric]",
     RunFit});

} // namespace

} // namespace orvane
