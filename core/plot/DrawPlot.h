// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/design/SpeakerDesign.h"
#include "core/model/ResponseModel.h"

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

} // namespace orvane
