// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/design/SpeakerDesign.h"
#include "core/plot/Graph.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvane {

// One level axis of a graph: its value at the bottom edge, its height, the
// step between grid lines, how its labels are written (printf) and the unit
// caption ("" for none).
struct LevelAxis {
    double bottom = 0;
    double span = 0;
    double step = 0;
    const char* format = "%.1f";
    const char* unit = "";
};

// The level axes of a drawing: the left one, and for some graphs a
// right-hand one (phase, watts) on the same grid lines.
struct GraphAxes {
    LevelAxis left;
    std::optional<LevelAxis> right;
};

struct GraphPoint {
    int32_t frequency; // whole hertz
    double value;
};

// One curve of a graph.
struct GraphSeries {
    std::vector<GraphPoint> points;
    bool right = false;  // on the right-hand axis
    bool dashed = false; // the second quantity or chamber
    const char* unit = "";
    const char* format = "%.1f"; // of the read-out
    std::string label;           // after its value in the read-out, e.g. "(port 1)"
};

// What a graph shows for one design.
struct GraphCurves {
    Graph graph = Graph::Response;
    // The sentence the plot area shows instead, naming what is missing; empty
    // when the graph can be drawn.
    std::string missing;
    std::vector<GraphSeries> series;
    std::optional<double> reference; // a dashed red line at this left-axis value
    std::string figure;              // the graph's most useful figure, one line
};

// The curves of a graph for a design whose automatic values are applied (a
// stored F1 of at least 0.1 counts as entered). For Response: the response
// curve only, for the read-out; its figure lines are the output limits'.
GraphCurves ComputeGraphCurves(Graph graph, const SpeakerDesign& design);

// The axes of a graph at an Amplitude preset (1, 2, 5 or 10 for the four
// entries of the Options menu; anything else is the first). Every axis has
// fifteen divisions, as the response plot's presets have; a level in dB
// follows the preset's dB per division with its top above the highest
// value, the other quantities start at 0 with a step of their own, the next
// larger one where the preset's would leave the reference line out.
GraphAxes AxesForGraph(const GraphCurves& curves, int dbPerDiv);

// The frequency and the curves' values there, for the status bar:
// "45 Hz   −3.2 dB". Empty when the frequency lies outside the sweep or the
// graph has no curves.
std::string ReadoutText(const GraphCurves& curves, double frequency);

} // namespace orvane
