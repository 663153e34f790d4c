// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/design/Fields.h"

#include "core/text/NumberText.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <limits>

namespace orvane::Fields {

namespace {

using Q = DisplayUnits::Quantity;
constexpr double kInf = std::numeric_limits<double>::infinity();

// A record value: always there.
template <auto Member> constexpr FieldAccess InRecord() {
    return {[](const SpeakerDesign& d) -> std::optional<double> { return d.*Member; },
            [](SpeakerDesign& d, std::optional<double> v) {
                if (v)
                    d.*Member = *v;
            }};
}

// An extension value: unset until given.
template <auto Member> constexpr FieldAccess InExtras() {
    return {[](const SpeakerDesign& d) -> std::optional<double> { return d.m_extras.*Member; },
            [](SpeakerDesign& d, std::optional<double> v) { d.m_extras.*Member = v; }};
}

template <auto Member> constexpr FieldAccess InExtrasCount() {
    return {[](const SpeakerDesign& d) -> std::optional<double> {
                if (const auto count = d.m_extras.*Member)
                    return *count;
                return std::nullopt;
            },
            [](SpeakerDesign& d, std::optional<double> v) {
                if (v)
                    d.m_extras.*Member = static_cast<std::uint16_t>(*v);
                else
                    d.m_extras.*Member = std::nullopt;
            }};
}

// A value of the signal chain.
template <auto Member> constexpr FieldAccess InChain() {
    return {
        [](const SpeakerDesign& d) -> std::optional<double> { return d.m_extras.chain.*Member; },
        [](SpeakerDesign& d, std::optional<double> v) { d.m_extras.chain.*Member = v; }};
}

template <auto Member> constexpr FieldAccess InChainCount() {
    return {[](const SpeakerDesign& d) -> std::optional<double> {
                if (const auto count = d.m_extras.chain.*Member)
                    return *count;
                return std::nullopt;
            },
            [](SpeakerDesign& d, std::optional<double> v) {
                if (v)
                    d.m_extras.chain.*Member = static_cast<std::uint16_t>(*v);
                else
                    d.m_extras.chain.*Member = std::nullopt;
            }};
}

constexpr FieldAccess DriverCount() {
    return {[](const SpeakerDesign& d) -> std::optional<double> { return d.m_driverCount; },
            [](SpeakerDesign& d, std::optional<double> v) {
                if (v)
                    d.m_driverCount = static_cast<std::uint16_t>(*v);
            }};
}

constexpr FieldAccess TypeName() {
    FieldAccess a;
    a.text = [](const SpeakerDesign& d) -> std::optional<std::string> { return d.m_boxType; };
    a.setText = [](SpeakerDesign& d, std::optional<std::string> v) {
        if (v)
            d.m_boxType = std::move(*v);
    };
    return a;
}

constexpr FieldAccess DriverName() {
    FieldAccess a;
    a.text = [](const SpeakerDesign& d) { return d.m_extras.name; };
    a.setText = [](SpeakerDesign& d, std::optional<std::string> v) {
        d.m_extras.name = std::move(v);
    };
    return a;
}

constexpr std::string_view kPortShapes[] = {"round", "slot"};
constexpr std::string_view kPortEnds[] = {"both-flanged", "one-flanged", "free"};
constexpr std::string_view kCurveFormats[] = {"frd", "zma"};
constexpr std::string_view kSpaces[] = {"half", "full"};
constexpr std::string_view kCoilWirings[] = {"series", "parallel", "one"}; // CoilWiring's order

constexpr FieldBounds kAny{};
constexpr FieldBounds Between(double low, double high) {
    return {low, high, false};
}
constexpr FieldBounds ZeroOrBetween(double low, double high) {
    return {low, high, true};
}

using enum FieldId;
using T = FieldType;
using H = FieldHome;

// Bounds stated by the program's first windows are kept exactly (Fs, F1, V1,
// the plotted range); the others are those of the dialogs that set them.
// clang-format off
// id, type, home, quantity, may be empty,
//  JSON key, option, name, label,
//  bounds, fallback, access
constexpr FieldInfo kFields[] = {
    {Fs, T::Number, H::Record, Q::Frequency, false,
     "fs", "fs", "Fs", "Fs (Hz)",
     Between(10, 20000), {}, InRecord<&SpeakerDesign::m_fs>()},
    {Qts, T::Number, H::Record, Q::None, false,
     "qts", "qts", "Qts", "Qts",
     kAny, {}, InRecord<&SpeakerDesign::m_qts>()},
    {Vas, T::Number, H::Record, Q::Volume, false,
     "vas", "vas", "Vas", "Vas (ft3)",
     kAny, {}, InRecord<&SpeakerDesign::m_vas>()},
    {V1, T::Number, H::Record, Q::Volume, false,
     "v1", "v1", "V1", "V1 (ft3)",
     Between(0, 10000), {}, InRecord<&SpeakerDesign::m_v1>()},
    {F1, T::Number, H::Record, Q::Frequency, false,
     "f1", "f1", "F1", "F1",
     Between(0, 20000), {}, InRecord<&SpeakerDesign::m_f1>()},
    {V2, T::Number, H::Record, Q::Volume, false,
     "v2", "v2", "V2", "V2 (ft3)",
     kAny, {}, InRecord<&SpeakerDesign::m_v2>()},
    {F2, T::Number, H::Record, Q::Frequency, false,
     "f2", "f2", "F2", "F2",
     kAny, {}, InRecord<&SpeakerDesign::m_f2>()},
    {FreqLow, T::Number, H::Record, Q::Frequency, false,
     "freqLow", "freq-low", "lower", "lower (Hz)",
     Between(10, 20000), {}, InRecord<&SpeakerDesign::m_freqLow>()},
    {FreqHigh, T::Number, H::Record, Q::Frequency, false,
     "freqHigh", "freq-high", "upper", "upper (Hz)",
     Between(20, 20000), {}, InRecord<&SpeakerDesign::m_freqHigh>()},
    {Reserved1, T::Number, H::Record, Q::None, false,
     "reserved1", "", "", "",
     kAny, {}, InRecord<&SpeakerDesign::m_reserved1>()},
    {Reserved2, T::Number, H::Record, Q::None, false,
     "reserved2", "", "", "",
     kAny, {}, InRecord<&SpeakerDesign::m_reserved2>()},
    {Xmax, T::Number, H::Record, Q::Excursion, false,
     "xmax", "xmax", "Xmax", "Xmax (in)",
     kAny, {}, InRecord<&SpeakerDesign::m_xmax>()},
    {ConeDiameter, T::Number, H::Record, Q::Length, false,
     "coneDiameter", "cone-diameter", "Cone Diameter", "Cone Diameter (in)",
     kAny, {}, InRecord<&SpeakerDesign::m_coneDiameter>()},
    {Efficiency, T::Number, H::Record, Q::Level, false,
     "efficiency", "efficiency", "Efficiency", "Efficiency (dB)",
     kAny, {}, InRecord<&SpeakerDesign::m_efficiency>()},
    {BoxType, T::Choice, H::Record, Q::None, false,
     "boxType", "type", "Box", "Box",
     kAny, {}, TypeName()},
    {Drivers, T::Count, H::Record, Q::None, false,
     "driverCount", "drivers", "Drivers", "Drivers",
     Between(1, 65535), {}, DriverCount()},
    {Name, T::Text, H::Extension, Q::None, true,
     "name", "name", "Name", "Name",
     kAny, {}, DriverName()},
    {Re, T::Number, H::Extension, Q::Resistance, true,
     "re", "re", "Re", "Re (\u03a9)",
     Between(0.1, 1000), {}, InExtras<&DesignExtras::re>()},
    {Qes, T::Number, H::Extension, Q::None, true,
     "qes", "qes", "Qes", "Qes",
     ZeroOrBetween(0.05, 100), {}, InExtras<&DesignExtras::qes>()},
    {Le, T::Number, H::Extension, Q::Inductance, true,
     "le", "le", "Le", "Le (mH)",
     Between(0, 100), {}, InExtras<&DesignExtras::le>()},
    {Pe, T::Number, H::Extension, Q::Power, true,
     "pe", "pe", "Pe", "Pe (W)",
     Between(0, 100000), {}, InExtras<&DesignExtras::pe>()},
    {Power, T::Number, H::Extension, Q::Power, true,
     "power", "power", "Input Power", "Input Power (W)",
     Between(0.1, 100000), 1.0, InExtras<&DesignExtras::power>()},
    {Ql, T::Number, H::Extension, Q::None, true,
     "ql", "ql", "Box Losses QL", "Box Losses QL",
     Between(0.1, 100000), 7.0, InExtras<&DesignExtras::ql>()},
    {PortDiameter, T::Number, H::Extension, Q::Length, true,
     "portDiameter", "port-diameter", "Port Diameter", "Port Diameter (in)",
     ZeroOrBetween(0.1, 100), {}, InExtras<&DesignExtras::portDiameter>()},
    {Ports, T::Count, H::Extension, Q::None, true,
     "ports", "ports", "Number of Ports", "Number of Ports",
     Between(1, 100), 1.0, InExtrasCount<&DesignExtras::ports>()},
    {Port2Diameter, T::Number, H::Extension, Q::Length, true,
     "port2Diameter", "port2-diameter", "Port Diameter", "Port Diameter (in)",
     ZeroOrBetween(0.1, 100), {}, InExtras<&DesignExtras::port2Diameter>()},
    {Ports2, T::Count, H::Extension, Q::None, true,
     "ports2", "ports2", "Number of Ports", "Number of Ports",
     Between(1, 100), 1.0, InExtrasCount<&DesignExtras::ports2>()},
    {Qtc, T::Number, H::Window, Q::None, false,
     "qtc", "qtc", "Qtc", "Other Qtc",
     Between(0.1, 10), {}, {}},
    {AlignVolume, T::Number, H::Window, Q::Volume, false,
     "volume", "volume", "Box Volume", "Box Volume (ft3)",
     Between(0, 10000), {}, {}},
    {Thickness, T::Number, H::Extension, Q::Excursion, true,
     "thickness", "thickness", "Panel Thickness", "Panel Thickness (in)",
     Between(0.04, 4), 0.75, InExtras<&DesignExtras::thickness>()},
    {Kerf, T::Number, H::Extension, Q::Excursion, true,
     "kerf", "kerf", "Saw Kerf", "Saw Kerf (in)",
     Between(0, 1), 3 / 25.4, InExtras<&DesignExtras::kerf>()},
    {DriverDisplacement, T::Number, H::Extension, Q::Volume, true,
     "driverDisplacement", "driver-displacement", "Driver Displacement", "Driver Displacement (ft3)",
     Between(0, 1000), 0.0, InExtras<&DesignExtras::driverDisplacement>()},
    {BracingDisplacement, T::Number, H::Extension, Q::Volume, true,
     "bracingDisplacement", "bracing-displacement", "Bracing and Other", "Bracing and Other (ft3)",
     Between(0, 1000), 0.0, InExtras<&DesignExtras::bracingDisplacement>()},
    {RadiatorDisplacement, T::Number, H::Extension, Q::Volume, true,
     "radiatorDisplacement", "radiator-displacement", "Radiator Displacement",
     "Radiator Displacement (ft3)",
     Between(0, 1000), 0.0, InExtras<&DesignExtras::radiatorDisplacement>()},
    {PortWall, T::Number, H::Extension, Q::Excursion, true,
     "portWall", "port-wall", "Port Wall", "Port Wall (in)",
     Between(0, 2), 3 / 25.4, InExtras<&DesignExtras::portWall>()},
    {PortShape, T::Count, H::Extension, Q::None, true,
     "portShape", "port-shape", "Port Shape", "Port Shape",
     Between(0, 1), 0.0, InExtrasCount<&DesignExtras::portShape>(), kPortShapes},
    {SlotWidth, T::Number, H::Extension, Q::Length, true,
     "slotWidth", "", "Slot Width", "Slot Width (in)",
     ZeroOrBetween(0.1, 100), {}, InExtras<&DesignExtras::slotWidth>()},
    {SlotHeight, T::Number, H::Extension, Q::Length, true,
     "slotHeight", "", "Slot Height", "Slot Height (in)",
     ZeroOrBetween(0.1, 100), {}, InExtras<&DesignExtras::slotHeight>()},
    {PortEnds, T::Count, H::Extension, Q::None, true,
     "portEnds", "port-ends", "Port Ends", "Port Ends",
     Between(0, 2), 1.0, InExtrasCount<&DesignExtras::portEnds>(), kPortEnds},
    {Cutout, T::Number, H::Extension, Q::Length, true,
     "cutout", "cutout", "Driver Cut-out", "Driver Cut-out (in)",
     ZeroOrBetween(0.1, 100), {}, InExtras<&DesignExtras::cutout>()},
    {Shape, T::Number, H::Extension, Q::None, true,
     "shape", "", "Shape Ratio", "Shape Ratio",
     Between(0.5, 3), 1.618, InExtras<&DesignExtras::shape>()},
    {OuterWidth, T::Number, H::Extension, Q::Length, true,
     "outerWidth", "outer-width", "Outer Width", "Outer Width (in)",
     Between(0.1, 1000), {}, InExtras<&DesignExtras::outerWidth>()},
    {OuterHeight, T::Number, H::Extension, Q::Length, true,
     "outerHeight", "outer-height", "Outer Height", "Outer Height (in)",
     Between(0.1, 1000), {}, InExtras<&DesignExtras::outerHeight>()},
    {PrFs, T::Number, H::Extension, Q::Frequency, true,
     "prFs", "pr-fs", "Radiator Fs", "Radiator Fs (Hz)",
     Between(1, 20000), {}, InExtras<&DesignExtras::prFs>()},
    {PrVas, T::Number, H::Extension, Q::Volume, true,
     "prVas", "pr-vas", "Radiator Vas", "Radiator Vas (ft3)",
     Between(0, 10000), {}, InExtras<&DesignExtras::prVas>()},
    {PrSd, T::Number, H::Extension, Q::Area, true,
     "prSd", "pr-sd", "Radiator Sd", "Radiator Sd (in2)",
     ZeroOrBetween(0.01, 100000), {}, InExtras<&DesignExtras::prSd>()},
    {PrDiameter, T::Number, H::Extension, Q::Length, true,
     "prDiameter", "pr-diameter", "Radiator Diameter", "Radiator Diameter (in)",
     ZeroOrBetween(0.1, 1000), {}, InExtras<&DesignExtras::prDiameter>()},
    {PrQms, T::Number, H::Extension, Q::None, true,
     "prQms", "pr-qms", "Radiator Qms", "Radiator Qms",
     Between(0.1, 10000), {}, InExtras<&DesignExtras::prQms>()},
    {PrXmax, T::Number, H::Extension, Q::Excursion, true,
     "prXmax", "pr-xmax", "Radiator Xmax", "Radiator Xmax (in)",
     Between(0, 100), {}, InExtras<&DesignExtras::prXmax>()},
    {PrCount, T::Count, H::Extension, Q::None, true,
     "prs", "prs", "Radiators", "Radiators",
     Between(1, 100), 1.0, InExtrasCount<&DesignExtras::prCount>()},
    {PrMass, T::Number, H::Extension, Q::None, true,
     "prMass", "pr-mass", "Added Mass", "Added Mass (g)",
     Between(0, 100000), 0.0, InExtras<&DesignExtras::prMass>()},
    {PrTune, T::Number, H::Extension, Q::Frequency, true,
     "prTune", "pr-tune", "Target Fb", "Target Fb (Hz)",
     ZeroOrBetween(1, 20000), {}, InExtras<&DesignExtras::prTune>()},
    {ShapeHeight, T::Number, H::Extension, Q::None, true,
     "shapeHeight", "", "Custom H/W", "Custom H/W",
     Between(0.1, 10), {}, InExtras<&DesignExtras::shapeHeight>()},
    {ShapeDepth, T::Number, H::Extension, Q::None, true,
     "shapeDepth", "", "Custom D/W", "Custom D/W",
     Between(0.1, 10), {}, InExtras<&DesignExtras::shapeDepth>()},
    {SheetLength, T::Number, H::Extension, Q::Excursion, true,
     "sheetLength", "", "Sheet Length", "Sheet Length (in)",
     Between(1, 1000), {}, InExtras<&DesignExtras::sheetLength>()},
    {SheetWidth, T::Number, H::Extension, Q::Excursion, true,
     "sheetWidth", "", "Sheet Width", "Sheet Width (in)",
     Between(1, 1000), {}, InExtras<&DesignExtras::sheetWidth>()},
    {ExportFormat, T::Count, H::Window, Q::None, false,
     "format", "format", "Format", "Format",
     Between(0, 1), 0.0, {}, kCurveFormats},
    {ExportPoints, T::Number, H::Window, Q::None, false,
     "pointsPerOctave", "points-per-octave", "Points per Octave", "Points per Octave",
     Between(1, 1000), 48.0, {}},
    {ExportFrom, T::Number, H::Window, Q::Frequency, false,
     "from", "from", "From", "From (Hz)",
     Between(1, 100000), 10.0, {}},
    {ExportTo, T::Number, H::Window, Q::Frequency, false,
     "to", "to", "To", "To (Hz)",
     Between(1, 100000), 20000.0, {}},
    {ExportVoltage, T::Number, H::Window, Q::None, true,
     "exportVoltage", "", "Voltage", "Voltage (V)",
     Between(0.001, 10000), {}, {}},
    {ExportDistance, T::Number, H::Window, Q::None, false,
     "distance", "distance", "Distance", "Distance (m)",
     Between(0.01, 1000), 1.0, {}},
    {ExportSpace, T::Count, H::Window, Q::None, false,
     "space", "space", "Space", "Space",
     Between(0, 1), 0.0, {}, kSpaces},
    {Voltage, T::Number, H::Extension, Q::None, true,
     "voltage", "voltage", "Input Voltage", "Input Voltage (V)",
     Between(0.001, 10000), {}, InChain<&SignalChain::voltage>()},
    {SeriesResistance, T::Number, H::Extension, Q::Resistance, true,
     "seriesResistance", "series-resistance", "Series Resistance", "Series Resistance (\u03a9)",
     Between(0, 1000), 0.0, InChain<&SignalChain::seriesResistance>()},
    {AmpPower, T::Number, H::Extension, Q::Power, true,
     "ampPower", "amp-power", "Amplifier Power", "Amplifier Power (W)",
     Between(0.001, 100000), {}, InChain<&SignalChain::ampPower>()},
    {AmpVoltage, T::Number, H::Extension, Q::None, true,
     "ampVoltage", "amp-voltage", "Amplifier Voltage", "Amplifier Voltage (V)",
     Between(0.001, 10000), {}, InChain<&SignalChain::ampVoltage>()},
    {Coils, T::Count, H::Extension, Q::None, true,
     "voiceCoils", "coils", "Voice Coils", "Voice Coils",
     Between(1, 2), 1.0, InChainCount<&SignalChain::coils>()},
    {CoilWiring, T::Count, H::Extension, Q::None, true,
     "coilWiring", "coil-wiring", "Coil Wiring", "Coil Wiring",
     Between(0, 2), 0.0, InChainCount<&SignalChain::coilWiring>(), kCoilWirings},
    {RoomGainFc, T::Number, H::Extension, Q::Frequency, true,
     "roomGainFc", "", "Room Gain Corner", "Room Gain Corner (Hz)",
     Between(1, 20000), {}, InChain<&SignalChain::roomGainFc>()},
    {RoomGainMax, T::Number, H::Extension, Q::Level, true,
     "roomGainMax", "", "Room Gain Maximum", "Room Gain Maximum (dB)",
     Between(0, 60), 20.0, InChain<&SignalChain::roomGainMax>()},
};
// clang-format on

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

constexpr BoxKind kTypes[] = {BoxKind::Sealed, BoxKind::Vented, BoxKind::Bandpass4,
                              BoxKind::Bandpass6, BoxKind::PassiveRadiator};

} // namespace

std::span<const FieldInfo> All() {
    return kFields;
}

const FieldInfo& Info(FieldId id) {
    // The table is in FieldId order; the test of the table checks it.
    return kFields[static_cast<std::size_t>(id)];
}

const FieldInfo* ByOption(std::string_view option) {
    if (option.empty())
        return nullptr;
    const auto found = std::find_if(std::begin(kFields), std::end(kFields),
                                    [option](const FieldInfo& f) { return f.option == option; });
    return found == std::end(kFields) ? nullptr : &*found;
}

std::optional<double> Number(const SpeakerDesign& design, FieldId id) {
    const FieldInfo& field = Info(id);
    if (field.access.number == nullptr)
        return std::nullopt;
    if (const std::optional<double> value = field.access.number(design))
        return value;
    return field.fallback;
}

void SetNumber(SpeakerDesign& design, FieldId id, std::optional<double> value) {
    const FieldInfo& field = Info(id);
    if (field.access.setNumber != nullptr)
        field.access.setNumber(design, value);
}

std::string Label(const FieldInfo& field, UnitSystem system) {
    if (!DisplayUnits::Converts(system, field.quantity))
        return std::string(field.label);
    return std::string(field.name) + " (" +
           std::string(DisplayUnits::Label(system, field.quantity)) + ")";
}

namespace {

// The sentence's full stop; a bound written with its point ("20000.") ends
// the sentence itself.
std::string Ended(std::string sentence) {
    if (sentence.back() != '.')
        sentence += '.';
    return sentence;
}

} // namespace

std::string RangeSentence(double low, double high, bool zeroAllowed) {
    return Ended(std::string(zeroAllowed ? "Please enter 0 or a number between "
                                         : "Please enter a number between ") +
                 EntryNumber(low) + " and " + EntryNumber(high));
}

std::string IntegerRangeSentence(std::int64_t low, std::int64_t high) {
    return Ended("Please enter an integer between " + std::to_string(low) + " and " +
                 std::to_string(high));
}

std::optional<std::string> Refusal(const FieldInfo& field, double shown, UnitSystem system) {
    const FieldBounds& b = field.bounds;
    if (field.type == FieldType::Count) {
        if (!(shown >= b.low && shown <= b.high) || shown != std::trunc(shown))
            return IntegerRangeSentence(static_cast<std::int64_t>(b.low),
                                        static_cast<std::int64_t>(b.high));
        return std::nullopt;
    }
    if (!std::isfinite(shown))
        return std::string(kNotANumber);
    if (!b.Ranged() || (b.zeroAllowed && shown == 0))
        return std::nullopt;
    const double low = DisplayUnits::DisplayBound(system, field.quantity, b.low);
    const double high = DisplayUnits::DisplayBound(system, field.quantity, b.high);
    if (shown >= low && shown <= high)
        return std::nullopt;
    return RangeSentence(low, high, b.zeroAllowed);
}

bool SpanAccepted(double low, double high) {
    return high - low > kMinimumSpan;
}

Result<double> ChoiceFromName(const FieldInfo& field, std::string_view name) {
    if (field.names.empty())
        return Failure<int>{1, "This value is no choice."};
    const std::string lower = Lower(name);
    std::string names;
    for (std::size_t i = 0; i < field.names.size(); ++i) {
        if (field.names[i] == lower)
            return static_cast<double>(i);
        names += i == 0 ? "" : i + 1 == field.names.size() ? " or " : ", ";
        names += field.names[i];
    }
    return Failure<int>{1, "Please choose " + names + "."};
}

std::optional<BoxKind> BoxTypeFromName(std::string_view name) {
    const std::string lower = Lower(name);
    for (const BoxKind kind : kTypes) {
        if (Lower(BoxType::Name(kind)) == lower)
            return kind;
    }
    return std::nullopt;
}

std::string BoxTypeRefusal() {
    std::string names;
    for (std::size_t i = 0; i < std::size(kTypes); ++i) {
        names += i == 0 ? "" : i + 1 == std::size(kTypes) ? " or " : ", ";
        names += BoxType::Name(kTypes[i]);
    }
    return "Please choose the box type " + names + ".";
}

} // namespace orvane::Fields
