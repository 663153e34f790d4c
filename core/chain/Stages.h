// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Result.h"
#include "core/chain/SignalChain.h"

#include <complex>
#include <span>
#include <string>
#include <string_view>

namespace orvane {

// The complex response of one filter stage at `frequency` Hz (above 0), as
// an analogue filter: the high-pass and low-pass alignments, the Linkwitz
// transform, and the peaking and shelving equalisers of the audio-EQ
// cookbook with A = 10^(dB/40).
std::complex<double> StageResponse(const FilterStage& stage, double frequency);

// The product of the stages' responses: 1 without stages.
std::complex<double> ChainResponse(std::span<const FilterStage> stages, double frequency);

// The room gain in dB at `frequency`: min(max, 10·log10(1 + (fc/f)^4)), the
// inverse of a second-order Butterworth high-pass at fc. 0 without a corner.
double RoomGainDb(const SignalChain& chain, double frequency);
inline constexpr double kDefaultRoomGainMax = 20; // dB

// The bounds a stage's values keep.
inline constexpr double kStageLowFrequency = 1, kStageHighFrequency = 20000; // Hz
inline constexpr double kStageLowQ = 0.05, kStageHighQ = 50;
inline constexpr double kStageMaxGain = 60; // dB, either way

// Whether a stage is one the analysis can use: a known kind and shape, an
// order its shape has, and every value it uses within its bounds. The
// failure says what is wrong ("the Q must be a number between 0.05 and 50").
Result<void> CheckStage(const FilterStage& stage);

// A stage written as text, and back: "hp:bw4:20", "lp:lr4:80",
// "hp:q:25:0.5", "lt:50:0.9:25:0.707", "peak:30:2:6", "lowshelf:40:0.707:6",
// "highshelf:2000:0.707:-3", "gain:-3". The failure names the text and what
// is wrong with it.
Result<FilterStage> ParseStage(std::string_view text);
std::string StageText(const FilterStage& stage);

// The wiring as text: "parallel", "series", or "SxP" ("2x2": two in series per
// string, two strings). Parsing checks S·P against the number of drivers.
Result<Wiring> ParseWiring(std::string_view text, unsigned drivers);
std::string WiringText(const Wiring& wiring);

// S and P for `drivers` drivers, or why the stored wiring does not fit them.
struct WiredCounts {
    unsigned series = 1;  // S
    unsigned strings = 1; // P
};
Result<WiredCounts> CountsOf(const std::optional<Wiring>& wiring, unsigned drivers);

// The room gain as text, "FC[:GMAX]", and back.
struct RoomGain {
    double fc = 0;
    std::optional<double> max;
};
Result<RoomGain> ParseRoomGain(std::string_view text);

} // namespace orvane
