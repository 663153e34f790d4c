// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/calc/BuildCalc.h"
#include "core/units/DisplayUnits.h"

#include <string>
#include <vector>

namespace orvane {

class DrawSurface;

// The build drawing: front and side views of the box with the driver
// cut-outs, the ports and radiators, the panels' joints and dimension lines,
// then the cut list, on one page of width × height logical units. The
// window, the printed page and the SVG and PDF files all draw it with this.
namespace BuildDrawing {

// The page the drawing is made for, in logical units: A4 upright.
inline constexpr int kPageWidth = 800;
inline constexpr int kPageHeight = 1131;

// A length or volume as the drawing and the window write it, rounded:
// "346.0 mm", "13.62 in", "55.39 L", "1.956 ft3".
std::string Length(double inches, UnitSystem units);
std::string Volume(double cubicFeet, UnitSystem units);

// The lines of text under the views: the volumes, the ports and the cut
// list, as the window lists them too.
std::vector<std::string> Summary(const BuildCalc::Plan& plan, int drivers, int radiators,
                                 UnitSystem units);

void Draw(DrawSurface& surface, const BuildCalc::Plan& plan, int drivers, int radiators,
          UnitSystem units, int width = kPageWidth, int height = kPageHeight);

// The drawing on a printed or exported page of pageWidth × pageHeight device
// units, scaled to fit and keeping its proportions.
void DrawPage(DrawSurface& surface, int pageWidth, int pageHeight, const BuildCalc::Plan& plan,
              int drivers, int radiators, UnitSystem units);

} // namespace BuildDrawing

} // namespace orvane
