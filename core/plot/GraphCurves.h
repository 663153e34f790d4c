// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/design/SpeakerDesign.h"
#include "core/model/Analysis.h"
#include "core/plot/Graph.h"

#include <cstdint>
#include <limits>
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

// One curve of a graph: how it is drawn and read out, and its highest value.
struct GraphSeries {
    bool right = false;  // on the right-hand axis
    bool dashed = false; // the second quantity or chamber
    bool wraps = false;  // a phase wrapped to (−180°, 180°]: no line drawn across a wrap
    const char* unit = "";
    const char* format = "%.1f"; // of the read-out
    std::string label;           // after its value in the read-out, e.g. "(port 1)"
    double largest = -std::numeric_limits<double>::infinity(); // highest finite value
    // Which quantity of the analysis it shows; none for the response.
    double (*pick)(const AnalysisRow&) = nullptr;
};

// What a graph shows for one design. Its values are worked out when asked
// for, a block of frequencies at a time, so that a sweep of any length costs
// memory for one block only.
struct GraphCurves {
    Graph graph = Graph::Response;
    // The sentence the plot area shows instead, naming what is missing; empty
    // when the graph can be drawn.
    std::string missing;
    std::vector<GraphSeries> series;
    std::optional<double> reference; // a dashed red line at this left-axis value
    std::string figure;              // the graph's most useful figure, one line
    SweepRange sweep;

    // The values of every series at the whole frequencies [first, first +
    // count) of the sweep, series after series: values[s·count + i].
    void Values(int64_t first, std::size_t count, std::vector<double>& values) const;

    // Where the values come from: the analysis, or the response model of the
    // design (after its automatic values).
    std::optional<Analysis> analysis;
    unsigned quantities = 0;
    SpeakerDesign design;
};

// The curves of a graph for a design whose automatic values are applied (a
// stored F1 of at least 0.1 counts as entered). For Response: the response
// curve only, for the read-out; its figure lines are the output limits'.
GraphCurves ComputeGraphCurves(Graph graph, const SpeakerDesign& design);

// How many frequencies a caller of GraphCurves::Values takes at a time.
inline constexpr std::size_t kGraphBlock = 4096;

// The axes of a graph at an Amplitude preset (1, 2, 5 or 10 for the four
// entries of the Options menu; anything else is the first). Every axis has
// fifteen divisions, as the response plot's presets have; a level in dB
// follows the preset's dB per division with its top above the highest
// value, the other quantities start at 0 with a step of their own, the next
// larger one where the preset's would leave the reference line or the
// highest value out (the excursion's at most four times Xmax).
GraphAxes AxesForGraph(const GraphCurves& curves, int dbPerDiv);

// The axes a graph drawn on `axes` needs once it shows `curves` too: higher
// tops where these curves' own axes reach higher (a level in dB keeps its
// step), or none when `axes` already holds them.
std::optional<GraphAxes> WiderAxes(const GraphAxes& axes, const GraphCurves& curves, int dbPerDiv);

// The curves of the drawings of one graph (a window's curves, oldest first)
// as CSV text: a header naming each column with its unit ("frequency (Hz)",
// "excursion (mm)"; the columns of the second drawing on end in " 2", and so
// on), then one row per swept hertz; a value that is no number, or a
// frequency outside a drawing's sweep, is an empty cell.
std::string GraphCsv(const std::vector<GraphCurves>& drawings);

// The frequency and the curves' values there, for the status bar:
// "45 Hz   −3.2 dB". Empty when the frequency lies outside the sweep or the
// graph has no curves.
std::string ReadoutText(const GraphCurves& curves, double frequency);

} // namespace orvane
