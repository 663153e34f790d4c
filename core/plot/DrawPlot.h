// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/design/SpeakerDesign.h"
#include "core/model/ResponseModel.h"
#include "core/plot/Graph.h"
#include "core/plot/GraphCurves.h"

#include <optional>

namespace orvane {

class DrawSurface;

// The amplitude scale of a view: level at the bottom edge, height in dB, and
// the grid step. Defaults are the 1 dB/div preset.
struct PlotScale {
    double bottom = -10.0;
    double span = 15.0;
    int dbPerDiv = 1;
};

// The amplitude presets of the Options menu (1, 2, 5 or 10 dB per division);
// anything else gives the 1 dB/div preset.
PlotScale ScaleForDbPerDiv(int dbPerDiv);

// Draws the whole plot of a design on a surface, in client units of a view
// whose client area is width x height. Applies the design's automatic values
// first and returns them: the caller shows the value in its form entry as
// "%.f" text. Never erases.
AutoValue DrawPlot(DrawSurface& surface, SpeakerDesign& design, bool f1Entered,
                   const PlotScale& scale, int width, int height);

// Draws one graph of a design the same way: the response plot as DrawPlot
// does, or a graph of the analysis on the same frame and frequency grid with
// its own level axes, or, where the design lacks what the graph needs, the
// sentence that names it. `axes` holds the level axes in force: empty, they
// are chosen for this design and stored, so that curves drawn over it later
// share its scale (the response plot's come from `scale` alone).
AutoValue DrawGraph(DrawSurface& surface, SpeakerDesign& design, bool f1Entered, Graph graph,
                    const PlotScale& scale, int width, int height, std::optional<GraphAxes>& axes);

// The frequency under a client point of a drawing of width x height, or none
// outside the plot's frame.
std::optional<double> PlotFrequencyAt(const SpeakerDesign& design, int width, int height, double x,
                                      double y);

} // namespace orvane
