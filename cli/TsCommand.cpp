// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliCommand.h"
#include "cli/Json.h"
#include "core/calc/TsCalc.h"

#include <cmath>
#include <cstdio>

namespace orvane {

namespace {

int RunTs(const CliArgs& args) {
    TsCalc::Measurements m;
    std::optional<double> fc, vb;
    std::string error = args.Unexpected(0, {"fs", "re", "zmax", "f1", "f2", "fc", "vb"});
    if (!error.empty() || !args.Required("fs", m.fs, error) || !args.Required("re", m.re, error) ||
        !args.Required("zmax", m.zmax, error) || !args.Required("f1", m.f1, error) ||
        !args.Required("f2", m.f2, error) || !args.Optional("fc", fc, error) ||
        !args.Optional("vb", vb, error))
        return CliUsageError(error);
    if (fc.has_value() != vb.has_value())
        return CliUsageError("--fc and --vb go together");
    m.fc = fc.value_or(0);
    m.vb = vb.value_or(0);

    // A single measurement has no earlier Qts to carry over.
    const TsCalc::Results r = TsCalc::Compute(m, std::nullopt);
    Json::Object out;
    out.Add("z", Json::Number(r.z));
    out.Add("qms", Json::Number(r.qms));
    out.Add("qes", Json::Number(r.qes));
    out.Add("qts", Json::Number(r.qts));
    out.Add("error", Json::Number(r.error));
    out.Add("vas", Json::Number(fc ? r.vas : std::nullopt));
    std::puts(out.Str().c_str());
    return 0;
}

const CliRegistration registration({"ts", "ts --fs X --re X --zmax X --f1 X --f2 X [--fc X --vb X]",
                                    RunTs});

} // namespace

} // namespace orvane
