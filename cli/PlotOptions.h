// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/CliCommand.h"
#include "core/plot/Graph.h"

#include <string>

namespace orvane {

// What `orvane-cli plot` is asked to do. Read by orvane-cli itself, which
// turns a wrong command line away without starting Qt, and again by the plot
// part, which renders.
enum class PlotFormat { Png, Svg, Pdf };

struct PlotRequest {
    std::string design; // the design file
    std::string out;    // the image or page to write
    PlotFormat format = PlotFormat::Png;
    int width = 800; // the client area of the design window drawn
    int height = 600;
    int dbPerDiv = 1;
    Graph graph = Graph::Response;
};

// Keeps the image of the largest plot under 256 MB.
inline constexpr int kMaxPlotSide = 8192;

inline constexpr const char* kPlotUsage =
    "plot FILE -o OUT [--size WxH] [--db-per-div 1|2|5|10] "
    "[--graph response|spl|maxspl|excursion|velocity|impedance|delay|chain]";

// Fills `request` from plot's options; false with the usage message in
// `error` when the line is wrong.
bool ReadPlotRequest(const CliArgs& args, PlotRequest& request, std::string& error);

} // namespace orvane
