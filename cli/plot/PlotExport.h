// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/PlotOptions.h"
#include "core/design/SpeakerDesign.h"

namespace orvane {

// Draws a loaded design as a fresh design window of the requested size
// shows it after its first drawing (white background, no box picture), as a
// PNG or SVG image or as the printed page in a one-page A4 PDF, and writes
// the file in one atomic step: a failure leaves no new file and an existing
// one untouched. Messages go to stderr; returns the exit code (0, or 1 when
// the file could not be made or written). Needs a QGuiApplication.
int ExportPlot(const PlotRequest& request, const SpeakerDesign& design);

} // namespace orvane
