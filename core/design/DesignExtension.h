// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/design/SpeakerDesign.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace orvane {

// The extension block after a design file's record: the values beyond the
// record's sixteen (DesignExtras). Programs that read only the record stop
// before it, so a file with a block still opens in them.
//
//   "ORVX", version byte 1, u32 payload length, then entries of
//   (u16 tag, u16 length, value); little-endian throughout; doubles as 8-byte
//   IEEE values, counts as u16, the name as UTF-8. The filter stages are
//   one entry, and one that holds a stage the analysis cannot use makes the
//   block unreadable.
//
// A block fills the rest of the file. Entries with tags this version does not
// know are kept and written back after its own. Bytes after the record that
// are no well-formed block (another magic or version, a length that does not
// end at the end of the file, an entry past the block, a known tag of the
// wrong size or given twice) are not read, and a save writes them back
// verbatim until an extra value is set; then a fresh block replaces them.
namespace DesignExtension {

inline constexpr std::uint8_t kMagic[4] = {'O', 'R', 'V', 'X'};
inline constexpr std::uint8_t kVersion = 1;
inline constexpr std::size_t kHeaderSize = 9; // magic, version, payload length

enum class Tag : std::uint16_t {
    Name = 1,
    Re = 2,
    Qes = 3,
    Le = 4,
    Pe = 5,
    Power = 6,
    Ql = 7,
    PortDiameter = 8,
    Ports = 9,
    Port2Diameter = 10,
    Ports2 = 11,
    Thickness = 12,
    Kerf = 13,
    DriverDisplacement = 14,
    BracingDisplacement = 15,
    RadiatorDisplacement = 16,
    // Written by an earlier version: the passive radiators the build counted,
    // now prCount. Read into prCount when that is not given and the count is
    // one it takes; otherwise kept verbatim as an unknown entry.
    LegacyRadiators = 17,
    PortWall = 18,
    PortShape = 19,
    SlotWidth = 20,
    SlotHeight = 21,
    PortEnds = 22,
    Cutout = 23,
    Shape = 24,
    OuterWidth = 25,
    OuterHeight = 26,
    PrFs = 27,
    PrVas = 28,
    PrSd = 29,
    PrDiameter = 30,
    PrQms = 31,
    PrXmax = 32,
    PrCount = 33,
    PrMass = 34,
    PrTune = 35,
    ShapeHeight = 36,
    ShapeDepth = 37,
    SheetLength = 38,
    SheetWidth = 39,
    // The signal chain (SignalChain).
    Voltage = 40,
    SeriesResistance = 41,
    AmpPower = 42,
    AmpVoltage = 43,
    Coils = 44,
    CoilWiring = 45,
    RoomGainFc = 46,
    RoomGainMax = 47,
    Wiring = 48, // u8 kind, u8 0, u16 S, u16 P
    Stages = 49, // per stage: u8 kind, u8 shape, u8 order, u8 0, then f, Q, dB, fp, Qp as doubles
};

// The bytes of one stored filter stage.
inline constexpr std::size_t kStageBytes = 4 + 5 * 8;
inline constexpr std::size_t kWiringBytes = 6;

// A loader reads at most this much after the record. A longer tail is no
// block this program wrote; it is left unread, as readers of the record alone
// leave it, and so not written back.
inline constexpr std::uint64_t kMaxTailBytes = 16u << 20;

// The longest name an entry can hold; longer names are cut at a character
// boundary when stored.
inline constexpr std::size_t kMaxNameBytes = 0xFFFF;

// Fills the design's extras and kept bytes from what follows the record.
// Never fails and never allocates more than the bytes it is given.
void Read(std::span<const std::uint8_t> tail, SpeakerDesign& design);

// Appends what follows the record for this design: nothing when it has no
// extra value and nothing was kept, so such a design stores only its record.
void Append(const SpeakerDesign& design, std::vector<std::uint8_t>& out);

} // namespace DesignExtension

} // namespace orvane
