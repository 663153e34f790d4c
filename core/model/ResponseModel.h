// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/design/SpeakerDesign.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <vector>

namespace orvane {

// Which form entry an automatic value belongs to.
enum class AutoEntry { None, F1, F2 };

// The value a box type fills in by itself; the caller shows it in its entry
// as "%.f" text.
struct AutoValue {
    AutoEntry entry = AutoEntry::None;
    double value = 0;
};

// Closed-box resonance and total Q of a sealed design; valid only when V1 > 0.
// Without a valid alignment Qtc is NaN.
struct SealedAlignment {
    double fc = std::numeric_limits<double>::quiet_NaN();
    double qtc = std::numeric_limits<double>::quiet_NaN();
    bool valid = false;
};

struct CurvePoint {
    int32_t frequency; // whole hertz
    double level;      // dB relative to the passband
};

using ResponseCurve = std::vector<CurvePoint>;

// A sweep never visits more frequencies than this, whatever a file holds.
inline constexpr int64_t kMaxSweepPoints = 1000000;

// The half-open integer range [first, last) of frequencies a design's sweep
// visits: fLow and fHigh truncated (saturating), capped at kMaxSweepPoints.
struct SweepRange {
    int32_t first = 0;
    int64_t last = 0; // exclusive; last <= first means an empty sweep
    int64_t Count() const { return last > first ? last - first : 0; }
};
SweepRange ComputeSweepRange(const SpeakerDesign& design);

// The part of a sweep above 0 Hz (no level exists at 0 Hz, nor anything
// below it): what the lists of the response and of the analysis hold.
inline SweepRange PositivePart(SweepRange range) {
    range.first = std::max(range.first, 1);
    return range;
}

// What the analysis, and a command that lists or draws the sweep, says of a
// range without a frequency above 0 Hz.
inline constexpr const char* kEmptySweepText =
    "The frequency range holds no whole hertz above 0 Hz: set it in Options \u25b8 Frequency "
    "Range.";

// Whether the design's stored F1 counts as an entered tuning: at least 0.1 Hz.
// A vented box keeps such a tuning instead of choosing one, and a design
// window opened on a design takes its stored tuning as entered.
inline bool StoredF1CountsAsEntered(const SpeakerDesign& design) {
    return design.m_f1 >= 0.1;
}

// Applies the box type's automatic value (sealed resonance into F1, vented
// tuning into F1 unless one was entered, bandpass-4 sealed-chamber resonance
// into F2) and says what the form must show.
AutoValue ApplyAutomaticValues(SpeakerDesign& design, bool f1Entered);

SealedAlignment ComputeSealedAlignment(const SpeakerDesign& design);

// Level in dB at one whole frequency; no value for an unknown type name.
std::optional<double> LevelAt(const SpeakerDesign& design, const SealedAlignment& alignment,
                              int32_t frequency);

// Levels in dB at frequencies finer than whole hertz (any value above zero),
// for searches over the response; at a whole frequency the same value as
// LevelAt. Empty for an unknown type name.
std::vector<double> LevelsAt(const SpeakerDesign& design, const SealedAlignment& alignment,
                             std::span<const double> frequencies);

// One point per whole hertz of the design's range; empty for an unknown type.
ResponseCurve ComputeCurve(const SpeakerDesign& design, const SealedAlignment& alignment);

} // namespace orvane
