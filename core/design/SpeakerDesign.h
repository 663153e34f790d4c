// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/chain/SignalChain.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// The enclosure types, held in the record as their names. Names are compared
// exactly (case-sensitive, whole string); anything else is an unknown type
// that can only come from a design file.
enum class BoxKind { Sealed, Vented, Bandpass4, Bandpass6, PassiveRadiator, Unknown };

namespace BoxType {
inline constexpr std::string_view Sealed = "Sealed";
inline constexpr std::string_view Vented = "Vented";
inline constexpr std::string_view Bandpass4 = "Bandpass4";
inline constexpr std::string_view Bandpass6 = "Bandpass6";
inline constexpr std::string_view PassiveRadiator = "PassiveRadiator";

BoxKind Classify(std::string_view name);
std::string_view Name(BoxKind kind); // empty for Unknown
} // namespace BoxType

// Values beyond the file's sixteen, kept in an extension block after the
// record. Each stays unset until the user gives it; unset values are not
// written, so a design without any saves exactly the record's bytes.
struct DesignExtras {
    std::optional<std::string> name;     // the driver's name
    std::optional<double> re;            // ohms, voice-coil DC resistance
    std::optional<double> qes;           // electrical Q
    std::optional<double> le;            // mH, voice-coil inductance
    std::optional<double> pe;            // W, thermal power rating
    std::optional<double> power;         // W, input power of the analysis (default 1)
    std::optional<double> ql;            // leakage Q of every vented chamber (default 7)
    std::optional<double> portDiameter;  // inches, chamber 1 (V1/F1)
    std::optional<std::uint16_t> ports;  // chamber 1 (default 1)
    std::optional<double> port2Diameter; // inches, chamber 2 (V2/F2)
    std::optional<std::uint16_t> ports2; // chamber 2 (default 1)
    // The build (see BuildCalc): lengths in inches, volumes in cubic feet.
    std::optional<double> thickness;            // panels (default 0.75)
    std::optional<double> kerf;                 // saw kerf (default 3 mm)
    std::optional<double> driverDisplacement;   // per driver
    std::optional<double> bracingDisplacement;  // bracing and other
    std::optional<double> radiatorDisplacement; // per passive radiator (prCount of them)
    std::optional<double> portWall;             // port tube wall (default 3 mm)
    std::optional<std::uint16_t> portShape;     // 0 round, 1 slot
    std::optional<double> slotWidth;
    std::optional<double> slotHeight;
    std::optional<std::uint16_t> portEnds; // 0 both flanged, 1 one (default), 2 free
    std::optional<double> cutout;          // driver cut-out (default 0.9 x cone)
    std::optional<double> shape;           // r in W : H : D = 1 : r : 1/r
    std::optional<double> outerWidth;
    std::optional<double> outerHeight;
    // The passive radiators of a PassiveRadiator box, each of them alike.
    std::optional<double> prFs;           // Hz, free resonance without added mass
    std::optional<double> prVas;          // cubic feet
    std::optional<double> prSd;           // square inches; else from prDiameter
    std::optional<double> prDiameter;     // inches, nominal (effective radius rule)
    std::optional<double> prQms;          // mechanical Q
    std::optional<double> prXmax;         // inches
    std::optional<std::uint16_t> prCount; // radiators (default 1)
    std::optional<double> prMass;         // grams added to each (default 0)
    std::optional<double> prTune;         // Hz, the tuning the added mass was chosen for
    // A custom shape W : H : D = 1 : shapeHeight : shapeDepth of the inner
    // box, in force over `shape` when both are given; the sheets' size, inches.
    std::optional<double> shapeHeight;
    std::optional<double> shapeDepth;
    std::optional<double> sheetLength;
    std::optional<double> sheetWidth;
    SignalChain chain; // filters, amplifier, wiring, voice coils, room gain

    bool AnySet() const;
};

// What a design file held after the record that this version does not read,
// so that saving writes it back. It is no part of the design the user edits:
// SameBits ignores it.
struct KeptExtension {
    bool blockRead = false;                   // the file had a well-formed block
    std::vector<std::uint8_t> unknownEntries; // entries with unknown tags, verbatim, in file order
    std::vector<std::uint8_t> unreadable;     // all bytes after the record when they are no block
};

// One loudspeaker design: the driver, the enclosure and the plot range.
// Units are fixed: cubic feet, inches, hertz, decibels.
struct SpeakerDesign {
    double m_fs = 0;
    double m_qts = 0;
    double m_vas = 0;
    double m_v1 = 0;
    double m_f1 = 0;
    double m_v2 = 0;
    double m_f2 = 0;
    double m_freqLow = 20.0;
    double m_freqHigh = 2000.0;
    double m_reserved1 = 0;
    double m_reserved2 = 0;
    double m_xmax = 0;
    double m_coneDiameter = 0;
    double m_efficiency = 0;
    std::string m_boxType = std::string(BoxType::Sealed);
    uint16_t m_driverCount = 1;
    DesignExtras m_extras;
    KeptExtension m_keptExtension;

    // The new-design step: every field back to the values of a fresh design.
    void SetNewDesignDefaults() { *this = SpeakerDesign{}; }

    BoxKind Kind() const { return BoxType::Classify(m_boxType); }

    // Field-by-field identity of the stored bits, extras included: NaN equals
    // the same NaN, 0 differs from -0, an unset extra differs from any value.
    // This is what "the user changed the record" means.
    bool SameBits(const SpeakerDesign& other) const;
};

} // namespace orvane
