// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Result.h"
#include "core/chain/SignalChain.h"

#include <algorithm>
#include <complex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// The complex response of filter stages, as analogue filters: the
// high-pass and low-pass alignments, the Linkwitz transform, and the peaking
// and shelving equalisers of the audio-EQ cookbook with A = 10^(dB/40). The
// stages are taken apart once into second-order sections, so that the
// response at a frequency costs a few multiplications per section and one
// division.
class ChainFilter {
public:
    ChainFilter() = default;
    explicit ChainFilter(std::span<const FilterStage> stages);

    bool Empty() const { return m_count == 0 && m_gain == 1; }
    // H at `frequency` Hz (above 0); 1 without stages. With it, its group
    // delay −dφ/dω in seconds, in closed form: each section's phase slope is
    // b1·(b0 + b2·f²)/|b0 − b2·f² + j·b1·f|² per hertz, less its
    // denominator's.
    struct Point {
        std::complex<double> h;
        double delay;
    };
    Point At(double frequency) const;

private:
    // (b0 + b1·s + b2·s²)/(a0 + a1·s + a2·s²) with s = j·f in hertz.
    struct Section {
        double b0, b1, b2, a0, a1, a2;
    };
    // Two sections side by side, so that the compiler can work out both at
    // once; an odd one is paired with 1/1.
    struct Pair {
        double b0[2], b1[2], b2[2], a0[2], a1[2], a2[2];
    };
    void Add(Section normalised, double frequency);

    std::vector<Pair> m_pairs;
    std::size_t m_count = 0; // sections
    double m_gain = 1;
};

// The room gain of a chain as a power ratio: min(10^(max/10), 1 + (fc/f)^4),
// the inverse of a second-order Butterworth high-pass at fc; 1 without a
// corner.
class RoomCurve {
public:
    RoomCurve() = default;
    explicit RoomCurve(const SignalChain& chain);
    bool Empty() const { return m_fc == 0; }
    double Factor(double frequency) const {
        if (m_fc == 0)
            return 1;
        const double x = m_fc / frequency, x2 = x * x;
        return std::min(m_max, 1 + x2 * x2);
    }

private:
    double m_fc = 0;
    double m_max = 1;
};

// The same in dB at `frequency`: min(max, 10·log10(1 + (fc/f)^4)).
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
