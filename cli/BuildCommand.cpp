// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-cli build FILE [options]: the gross volume, the box's sizes, the
// ports and the cut list of a design as JSON, in the units asked for and
// never rounded; with --svg or --pdf the plot part then draws the build.
#include "cli/BuildRequest.h"
#include "cli/Json.h"
#include "cli/PlotPart.h"
#include "core/calc/BuildCalc.h"
#include "core/design/Fields.h"

#include <cstdio>

namespace orvane {

namespace {

using namespace BuildCalc;

struct Units {
    UnitSystem system;
    std::string Length(double inches) const {
        return Json::Number(
            DisplayUnits::ToDisplay(system, DisplayUnits::Quantity::Excursion, inches));
    }
    std::string Volume(double cubicFeet) const {
        return Json::Number(
            DisplayUnits::ToDisplay(system, DisplayUnits::Quantity::Volume, cubicFeet));
    }
};

std::string Array(const std::vector<std::string>& items) {
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i)
        out += (i ? "," : "") + items[i];
    return out + "]";
}

std::string BoxJson(const Box& b, const Units& u) {
    return Json::Object()
        .Add("w", u.Length(b.width))
        .Add("h", u.Length(b.height))
        .Add("d", u.Length(b.depth))
        .Str();
}

std::string PortJson(const Port& p, const Units& u) {
    return Json::Object()
        .Add("chamber", Json::Integer(p.chamber))
        .Add("count", Json::Integer(p.count))
        .Add("length", u.Length(p.length))
        .Add("effectiveLength", u.Length(p.effectiveLength))
        .Add("endCorrection", u.Length(p.endCorrection))
        .Add("resonance", Json::Number(p.resonance))
        .Add("resonanceNearTuning", p.resonanceNearTuning ? "true" : "false")
        .Add("folded", p.folded ? "true" : "false")
        .Str();
}

std::string PlanJson(const Plan& plan, const Units& u) {
    Json::Object out;
    out.Add("units", Json::String(DisplayUnits::Name(u.system)));
    out.Add("grossVolume", u.Volume(plan.grossVolume));
    out.Add("netVolume", u.Volume(plan.netVolume));
    const Displacement& d = plan.displacement;
    out.Add("displacement", Json::Object()
                                .Add("driver", u.Volume(d.driver))
                                .Add("ports", u.Volume(d.ports))
                                .Add("radiators", u.Volume(d.radiators))
                                .Add("bracing", u.Volume(d.bracing))
                                .Str());
    out.Add("inner", BoxJson(plan.inner, u));
    out.Add("outer", BoxJson(plan.outer, u));
    std::vector<std::string> chambers;
    for (const Box& b : plan.chambers)
        chambers.push_back(BoxJson(b, u));
    out.Add("chambers", Array(chambers));
    out.Add("woodVolume", u.Volume(plan.woodVolume));
    out.Add("port", plan.ports.empty() ? Json::Null() : PortJson(plan.ports[0], u));
    std::vector<std::string> ports;
    for (const Port& p : plan.ports)
        ports.push_back(PortJson(p, u));
    out.Add("ports", Array(ports));
    std::vector<std::string> panels;
    for (const Panel& p : plan.panels)
        panels.push_back(Json::Object()
                             .Add("name", Json::String(p.name))
                             .Add("count", Json::Integer(p.count))
                             .Add("length", u.Length(p.length))
                             .Add("width", u.Length(p.width))
                             .Add("thickness", u.Length(p.thickness))
                             .Str());
    out.Add("panels", Array(panels));
    std::vector<std::string> sheetJson;
    for (const Sheet& s : plan.sheets) {
        std::vector<std::string> parts;
        for (const PlacedPart& p : s.parts) {
            parts.push_back(Json::Object()
                                .Add("name", Json::String(p.name))
                                .Add("x", u.Length(p.x))
                                .Add("y", u.Length(p.y))
                                .Add("length", u.Length(p.length))
                                .Add("width", u.Length(p.width))
                                .Str());
        }
        // The waste as a share of the sheet: what no part covers.
        sheetJson.push_back(
            Json::Object()
                .Add("parts", Array(parts))
                .Add("waste", Json::Number(Waste(s, plan.sheetLength, plan.sheetWidth)))
                .Str());
    }
    out.Add("sheets", Array(sheetJson));
    return out.Str();
}

int RunBuild(const CliArgs& args) {
    BuildRequest request;
    if (const int failed = ReadBuildRequest(args, request))
        return failed;
    const Result<Plan> plan = Compute(request.design, FromDesign(request.design));
    if (!plan) {
        std::fprintf(stderr, "orvane-cli: %s\n", plan.Error().message.c_str());
        return 1;
    }
    std::puts(PlanJson(*plan, Units{request.units}).c_str());
    for (const Port& port : plan->ports) {
        if (port.resonanceNearTuning)
            std::fprintf(stderr, "orvane-cli: %s\n", ResonanceWarning(port).c_str());
    }
    if (request.svg.empty() && request.pdf.empty())
        return 0;
    std::vector<std::string> words = {"build"};
    words.insert(words.end(), args.words.begin(), args.words.end());
    return RunPlotPart(words);
}

const CliRegistration registration({"build", BuildUsage().c_str(), RunBuild});

} // namespace

} // namespace orvane
