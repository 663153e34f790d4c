// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/design/SpeakerDesign.h"
#include "core/units/DisplayUnits.h"

#include <cstdint>
#include <functional>
#include <string>

namespace orvane {

class DrawSurface;

// Where the printed page puts things, all in device pixels: the scale k (one
// client unit is k/10 device pixels) and the header's text positions.
struct PrintLayout {
    int32_t k = 10;
    struct Point {
        int32_t x = 0;
        int32_t y = 0;
    };
    Point title, boxType, fs, qts, vas, vb, fb;
    // A bandpass box's second chamber and the number of drivers.
    Point v2, f2, drivers;
    Point origin; // where the view's client origin lands
};

// k = min(floor(10 * pageWidth / clientWidth), floor(10 * pageHeight / clientHeight)).
// A client dimension of zero or less does not limit k (both: k = 10, one unit
// per pixel), and k is at least 1 so that the view never collapses to a point.
// The client origin lands at (pageLeft, 150 - pageTop), or lower when the
// header's last line (headerLineHeight device pixels high) ends less than one
// line (k) above that: on a fine page the header must not run into the graph.
PrintLayout ComputePrintLayout(int pageWidth, int pageHeight, int pageLeft, int pageTop,
                               const std::string& title, int clientWidth, int clientHeight,
                               int headerLineHeight);

// Prints one page of a design: the header in the page's own units and font
// (volumes in the given system: "Vas 3.00ft^3" or "Vas 84.95L"),
// then for a bandpass box its second chamber (V2, F2) and the number of
// drivers, which any other box shows only when it has more than one,
// then a scaling mapping of k/10 with the client origin placed by
// ComputePrintLayout, then drawView, which runs the view's draw operation on
// the surface in client units. The printer, print preview and PDF export
// share it.
void PrintPage(DrawSurface& surface, int pageWidth, int pageHeight, int pageLeft, int pageTop,
               const std::string& title, const SpeakerDesign& design, UnitSystem units,
               int clientWidth, int clientHeight,
               const std::function<void(DrawSurface&)>& drawView);

} // namespace orvane
