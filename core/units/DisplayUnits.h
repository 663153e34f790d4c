// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace orvane {

// The units the user reads and types. The record (and the design file, the
// driver library) keeps cubic feet and inches whatever is chosen: values are
// converted here, at the edges, and nowhere else.
enum class UnitSystem { Imperial, Metric };

namespace DisplayUnits {

// What a value measures; each has one unit per system. Only the first three
// and Area are shown in other units than the record's.
enum class Quantity : std::uint8_t {
    Volume,     // ft3 | L
    Length,     // in | cm: cone and port diameters, port length, box dimensions
    Excursion,  // in | mm: Xmax
    None,       // a ratio, a count or a text
    Frequency,  // Hz
    Level,      // dB
    Resistance, // ohms
    Inductance, // mH
    Power,      // W
    Area,       // in2 | cm2: a passive radiator's Sd
};

// Imperial shows the stored value itself, bit for bit.
double ToDisplay(UnitSystem system, Quantity quantity, double stored);
double FromDisplay(UnitSystem system, Quantity quantity, double shown);

// Whether the system shows the quantity in another unit than the record's.
bool Converts(UnitSystem system, Quantity quantity);

// The unit as entry labels and column headers write it: "ft3", "in"; "L",
// "cm", "mm"; "Hz", "dB", "\u03a9", "mH", "W"; empty for None.
std::string_view Label(UnitSystem system, Quantity quantity);

// A range bound as a message states it: converted, and where it converts,
// rounded to hundredths, so that "283168.47" and not "283168.46592" is what
// the user reads and what the entry is checked against.
double DisplayBound(UnitSystem system, Quantity quantity, double storedBound);

// The names the settings file and orvane-cli use: "imperial", "metric".
std::string_view Name(UnitSystem system);
std::optional<UnitSystem> FromName(std::string_view name);

} // namespace DisplayUnits

} // namespace orvane
