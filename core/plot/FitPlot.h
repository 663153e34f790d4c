// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/measure/DriverFit.h"
#include "core/plot/DrawSurface.h"

#include <span>

namespace orvane {

// A measured curve and the model fitted to it.
struct FitTrace {
    const ImpedanceCurve* curve = nullptr;
    const ResonanceFit* fit = nullptr; // null: the curve alone
};

// Draws |Z| of the curves (solid) and their fitted models (dashed red) over
// log f in the upper part of a width × height area, and below it the model's
// difference from each curve in percent, within ±20 %.
void DrawImpedanceFit(DrawSurface& surface, int width, int height,
                      std::span<const FitTrace> traces);

} // namespace orvane
