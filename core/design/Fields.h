// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Result.h"
#include "core/design/SpeakerDesign.h"
#include "core/units/DisplayUnits.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace orvane {

// Every value a design stores or a window takes in. The table in Fields.cpp
// says, once, where each lives, what the form, the dialogs, orvane-cli and
// its JSON call it, what it measures and what it accepts; everything that
// reads or checks a value asks it.
enum class FieldId : std::uint8_t {
    // The record, in its declared order.
    Fs,
    Qts,
    Vas,
    V1,
    F1,
    V2,
    F2,
    FreqLow,
    FreqHigh,
    Reserved1,
    Reserved2,
    Xmax,
    ConeDiameter,
    Efficiency,
    BoxType,
    Drivers,
    // The extension block.
    Name,
    Re,
    Qes,
    Le,
    Pe,
    Power,
    Ql,
    PortDiameter,
    Ports,
    Port2Diameter,
    Ports2,
    // Taken in by a window, not stored.
    Qtc,
    AlignVolume,
    // The build: stored in the extension block.
    Thickness,
    Kerf,
    DriverDisplacement,
    BracingDisplacement,
    RadiatorDisplacement,
    PortWall,
    PortShape,
    SlotWidth,
    SlotHeight,
    PortEnds,
    Cutout,
    Shape,
    OuterWidth,
    OuterHeight,
    // The extension block: the passive radiators.
    PrFs,
    PrVas,
    PrSd,
    PrDiameter,
    PrQms,
    PrXmax,
    PrCount,
    PrMass,
    PrTune,
    // The build again: a custom shape and the sheets the panels are cut from.
    ShapeHeight,
    ShapeDepth,
    SheetLength,
    SheetWidth,
    // Taken in by the curve export, not stored.
    ExportFormat,
    ExportPoints,
    ExportFrom,
    ExportTo,
    ExportVoltage,
    ExportDistance,
    ExportSpace,
    // The extension block: the signal chain's values (its wiring and filter
    // stages are no single number and live beside the table).
    Voltage,
    SeriesResistance,
    AmpPower,
    AmpVoltage,
    Coils,
    CoilWiring,
    RoomGainFc,
    RoomGainMax,
};

enum class FieldType : std::uint8_t {
    Number, // a double
    Count,  // a whole number
    Text,   // free text
    Choice, // one of a list of names (the box type)
};

// Where a field's value lives.
enum class FieldHome : std::uint8_t { Record, Extension, Window };

// What a field accepts, in the record's units. Without a range any number is
// taken; with one, [low, high] inclusive, and 0 as well where zeroAllowed
// (a port diameter of 0 is "none").
struct FieldBounds {
    double low = -std::numeric_limits<double>::infinity();
    double high = std::numeric_limits<double>::infinity();
    bool zeroAllowed = false;

    bool Ranged() const { return low > -std::numeric_limits<double>::infinity(); }
};

// Reads and writes a field's value in a design; a value that is not set (an
// extension value the user never gave) is nullopt.
struct FieldAccess {
    std::optional<double> (*number)(const SpeakerDesign&) = nullptr;
    void (*setNumber)(SpeakerDesign&, std::optional<double>) = nullptr;
    std::optional<std::string> (*text)(const SpeakerDesign&) = nullptr;
    void (*setText)(SpeakerDesign&, std::optional<std::string>) = nullptr;
};

struct FieldInfo {
    FieldId id;
    FieldType type;
    FieldHome home;
    DisplayUnits::Quantity quantity;
    bool mayBeEmpty;         // an extension value that may stay unset
    std::string_view key;    // JSON key ("coneDiameter")
    std::string_view option; // orvane-cli option without its dashes ("cone-diameter"); empty: none
    std::string_view name;   // the label without its unit ("Cone Diameter")
    std::string_view label;  // the label in the record's units ("Cone Diameter (in)")
    FieldBounds bounds;
    std::optional<double> fallback; // what is in force while it is unset
    FieldAccess access;
    // A count that is a choice: the names its values 0, 1, ... stand for
    // ("round", "slot"), which orvane-cli takes and prints.
    std::span<const std::string_view> names = {};
};

namespace Fields {

// Every field, in the table's order (the record's declared order first).
std::span<const FieldInfo> All();
const FieldInfo& Info(FieldId id);
// The field an orvane-cli option names, or null.
const FieldInfo* ByOption(std::string_view option);

// The value in a design; for a value not set, the fallback (or nullopt).
std::optional<double> Number(const SpeakerDesign& design, FieldId id);
// Stores a value; nullopt unsets an extension value (and changes nothing
// for a value that is always there).
void SetNumber(SpeakerDesign& design, FieldId id, std::optional<double> value);

// The label in the units of `system`: "Vas (L)" in metric, the record's
// label where the units do not convert.
std::string Label(const FieldInfo& field, UnitSystem system);

// The sentence for a value (as shown in `system`) the field does not take,
// or nothing: "Please enter a number between 10. and 20000.", with the
// bounds as the field shows them.
std::optional<std::string> Refusal(const FieldInfo& field, double shown, UnitSystem system);

// The sentences of the numeric entry rules.
std::string RangeSentence(double low, double high, bool zeroAllowed);
std::string IntegerRangeSentence(std::int64_t low, std::int64_t high);
inline constexpr std::string_view kNotANumber = "Please enter a number.";
inline constexpr std::string_view kNotAnInteger = "Please enter an integer.";

// The plotted range takes a new lower and upper end only when they span
// more than 10 Hz.
inline constexpr double kMinimumSpan = 10;
bool SpanAccepted(double low, double high);
inline constexpr std::string_view kSpanRefused =
    "The upper frequency must be more than 10 Hz above the lower.";

// The value a choice's name stands for, in any letter case, or the sentence
// that names the choices.
Result<double> ChoiceFromName(const FieldInfo& field, std::string_view name);

// The box type a name stands for, in any letter case; nullopt for a name
// that is none of the types, with the sentence that names them.
std::optional<BoxKind> BoxTypeFromName(std::string_view name);
std::string BoxTypeRefusal();

} // namespace Fields

} // namespace orvane
