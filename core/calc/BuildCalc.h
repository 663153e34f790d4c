// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Result.h"
#include "core/design/SpeakerDesign.h"

#include <optional>
#include <string>
#include <vector>

namespace orvane {

// From a design's net air volume to something a builder can cut: the gross
// inner volume (net plus what the driver, ports, radiators and bracing
// displace), inner and outer dimensions for a panel thickness, the panels,
// a guillotine layout on sheets, and the port's end correction and pipe
// resonance. Lengths are inches, volumes cubic feet, as in the record.
namespace BuildCalc {

enum class PortShape { Round, Slot };
// The port's ends: both flanged, one (the baffle end) flanged, both free.
enum class PortEnds { BothFlanged, OneFlanged, Free };

// End correction per end, as a fraction of the radius: a flanged end
// (Rayleigh's piston in a baffle, 0.85) and a free end (Levine and
// Schwinger's unflanged pipe, 0.613). One flanged end gives 0.7315·D, the
// Port Calculator's own figure.
inline constexpr double kFlangedEnd = 0.85;
inline constexpr double kFreeEnd = 0.613;
// k in L_eff = L + k·D.
double EndCorrection(PortEnds ends);

// Everything a build takes that the response does not.
struct Inputs {
    double thickness = 0.75;         // panel
    double kerf = 3 / 25.4;          // saw kerf
    double driverDisplacement = 0;   // per driver
    double bracingDisplacement = 0;  // total
    double radiatorDisplacement = 0; // per radiator
    int radiators = 0;               // passive radiators: prCount of a passive-radiator box
    double portWall = 3 / 25.4;      // port tube wall
    PortShape portShape = PortShape::Round;
    double slotWidth = 0, slotHeight = 0; // a slot port's inner opening
    PortEnds portEnds = PortEnds::OneFlanged;
    std::optional<double> cutout; // driver cut-out; 0.9 × cone diameter when unset
    double ratio = 1.618;         // W : H : D = 1 : r : 1/r on the inner box
    // A custom W : H : D = 1 : h : d on the inner box, in force over `ratio`.
    std::optional<double> shapeHeight, shapeDepth;
    // The sheets the panels are laid out on, when both are given.
    std::optional<double> sheetLength, sheetWidth;
    std::optional<double> outerWidth; // fixed outer dimensions
    std::optional<double> outerHeight;
};

// The build values of a design (its extension values, or their fallbacks).
Inputs FromDesign(const SpeakerDesign& design);

struct Box {
    double width = 0, height = 0, depth = 0;
    double Volume() const { return width * height * depth / 1728.0; } // cubic feet
};

// One vented chamber's ports.
struct Port {
    int chamber = 1; // 1: V1/F1, 2: V2/F2
    int count = 0;
    double length = 0; // physical, through the baffle
    double effectiveLength = 0;
    double endCorrection = 0;         // k·D
    double diameter = 0;              // round: the tube; slot: the hydraulic diameter
    double resonance = 0;             // Hz, first pipe resonance c / (2·L_eff)
    bool resonanceNearTuning = false; // within two octaves above the tuning
    bool folded = false;              // longer than the depth allows straight
    double displacement = 0;          // cubic feet, all of this chamber's ports
};

struct Displacement {
    double driver = 0, ports = 0, radiators = 0, bracing = 0;
    double Total() const { return driver + ports + radiators + bracing; }
};

struct Panel {
    std::string name;
    int count = 0;
    double length = 0, width = 0, thickness = 0;
};

struct PlacedPart {
    std::string name;
    double x = 0, y = 0, length = 0, width = 0; // without the kerf
};
struct Sheet {
    std::vector<PlacedPart> parts;
};

// What of a sheet no part covers, rectangle by rectangle: beside and below
// the parts of each row and below the last row (the saw's kerfs aside).
std::vector<PlacedPart> Offcuts(const Sheet& sheet, double kerf, double sheetLength,
                                double sheetWidth);
// The share of a sheet's area no part covers.
double Waste(const Sheet& sheet, double sheetLength, double sheetWidth);

struct Plan {
    double netVolume = 0;
    double grossVolume = 0;
    Displacement displacement;
    Box inner, outer;
    std::vector<Box> chambers; // bandpass: V1 then V2, stacked, sharing the baffle
    double woodVolume = 0;     // every panel, the baffle between chambers included
    std::vector<Port> ports;
    std::vector<Panel> panels;
    double sheetArea = 0; // square inches, every panel with its kerf
    double thickness = 0, kerf = 0, cutout = 0, ratio = 0;
    PortShape portShape = PortShape::Round;
    double slotWidth = 0, slotHeight = 0;
    bool customShape = false; // W : H : D as given; else 1 : ratio : 1/ratio
    double shapeHeight = 0, shapeDepth = 0;
    // The layout, when a sheet size was given.
    std::vector<Sheet> sheets;
    double sheetLength = 0, sheetWidth = 0;
};

// The plan, or a refusal that names the conflict (code 1); with a sheet
// size, also a refusal of the layout.
Result<Plan> Compute(const SpeakerDesign& design, const Inputs& in);

// Lays the panels on sheets of sheetLength × sheetWidth by rows
// (a guillotine cut across each row first), each part taking its kerf on
// two sides; a part may turn. Refused when a part does not fit one sheet.
Result<std::vector<Sheet>> LayOut(const std::vector<Panel>& panels, double kerf, double sheetLength,
                                  double sheetWidth);

// The warning shown for a pipe resonance near the tuning:
// "Port resonance at 459 Hz".
std::string ResonanceWarning(const Port& port);

} // namespace BuildCalc

} // namespace orvane
