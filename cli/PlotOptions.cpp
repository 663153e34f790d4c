// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/PlotOptions.h"

#include <regex>

namespace orvane {

namespace {

bool ParseSize(const std::string& text, int& width, int& height) {
    static const std::regex pattern("([0-9]{1,5})x([0-9]{1,5})");
    std::smatch m;
    if (!std::regex_match(text, m, pattern))
        return false;
    width = std::stoi(m[1].str());
    height = std::stoi(m[2].str());
    return width >= 1 && height >= 1 && width <= kMaxPlotSide && height <= kMaxPlotSide;
}

// The text after the last dot of the file name, in lower case ("" without one).
std::string Suffix(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    std::string suffix = dot == std::string::npos ? "" : name.substr(dot + 1);
    for (char& c : suffix) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return suffix;
}

bool FormatOf(const std::string& path, PlotFormat& format) {
    const std::string suffix = Suffix(path);
    if (suffix == "png")
        format = PlotFormat::Png;
    else if (suffix == "svg")
        format = PlotFormat::Svg;
    else if (suffix == "pdf")
        format = PlotFormat::Pdf;
    else
        return false;
    return true;
}

} // namespace

bool ReadPlotRequest(const CliArgs& args, PlotRequest& request, std::string& error) {
    if (error = args.UnknownOption({"o", "size", "db-per-div", "graph"}); !error.empty())
        return false;
    if (args.positional.size() != 1) {
        error = "plot takes exactly one design file";
        return false;
    }
    if (!args.Has("o")) {
        error = "plot needs -o OUT";
        return false;
    }
    request.design = args.positional[0];
    request.out = args.options.at("o");
    if (!FormatOf(request.out, request.format)) {
        error = "plot writes .png, .svg or .pdf, not " + request.out;
        return false;
    }
    if (args.Has("size") && !ParseSize(args.options.at("size"), request.width, request.height)) {
        error = "--size needs WxH, each from 1 to " + std::to_string(kMaxPlotSide);
        return false;
    }
    if (args.Has("db-per-div")) {
        long long perDiv = 0;
        if (!args.Integer("db-per-div", perDiv) ||
            (perDiv != 1 && perDiv != 2 && perDiv != 5 && perDiv != 10)) {
            error = "--db-per-div is 1, 2, 5 or 10";
            return false;
        }
        request.dbPerDiv = static_cast<int>(perDiv);
    }
    if (args.Has("graph")) {
        const std::optional<Graph> graph = GraphFromName(args.options.at("graph"));
        if (!graph) {
            error =
                "--graph is response, spl, maxspl, excursion, velocity, impedance, delay or chain";
            return false;
        }
        request.graph = *graph;
    }
    return true;
}

} // namespace orvane
