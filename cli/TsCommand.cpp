// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CalcOptions.h"
#include "cli/CliCommand.h"
#include "cli/Json.h"
#include "core/calc/TsCalc.h"

#include <cmath>
#include <cstdio>

namespace orvane {

namespace {

std::string Value(std::optional<double> v) {
    return Json::Number(v ? *v : NAN);
}

int RunTs(const CliArgs& args) {
    std::string error;
    TsCalc::Measurements m;
    std::optional<double> fc, vb;
    if (!CalcOptions::OnlyKnown(args, {"fs", "re", "zmax", "f1", "f2", "fc", "vb"}, error) ||
        !CalcOptions::Required(args, "fs", m.fs, error) ||
        !CalcOptions::Required(args, "re", m.re, error) ||
        !CalcOptions::Required(args, "zmax", m.zmax, error) ||
        !CalcOptions::Required(args, "f1", m.f1, error) ||
        !CalcOptions::Required(args, "f2", m.f2, error) ||
        !CalcOptions::Optional(args, "fc", fc, error) ||
        !CalcOptions::Optional(args, "vb", vb, error))
        return CliUsageError(error);
    if (fc.has_value() != vb.has_value())
        return CliUsageError("--fc and --vb go together");
    m.fc = fc.value_or(0);
    m.vb = vb.value_or(0);

    // A single measurement has no earlier Qts to carry over.
    const TsCalc::Results r = TsCalc::Compute(m, std::nullopt);
    Json::Object out;
    out.Add("z", Value(r.z));
    out.Add("qms", Value(r.qms));
    out.Add("qes", Value(r.qes));
    out.Add("qts", Value(r.qts));
    out.Add("error", Value(r.error));
    out.Add("vas", fc ? Value(r.vas) : Value(std::nullopt));
    std::puts(out.Str().c_str());
    return 0;
}

const CliRegistration registration({"ts", "ts --fs X --re X --zmax X --f1 X --f2 X [--fc X --vb X]",
                                    RunTs});

} // namespace

} // namespace orvane
