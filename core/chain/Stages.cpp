// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/chain/Stages.h"

#include "core/text/NumberText.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numbers>
#include <vector>

namespace orvane {

namespace {

using Complex = std::complex<double>;

std::string Bounds(double low, double high) {
    return ShortestText(low) + " and " + ShortestText(high);
}

} // namespace

ChainFilter::ChainFilter(std::span<const FilterStage> stages) {
    // Each stage in p = s/ωc (its own frequency's), as sections; a high-pass
    // is the low-pass at 1/p, which turns 1/(p² + k·p + 1) into
    // p²/(p² + k·p + 1) and 1/(p + 1) into p/(p + 1).
    const auto pass = [this](const FilterStage& st, double k) {
        const bool high = st.kind == StageKind::HighPass;
        if (k == 0) // first order
            Add({high ? 0.0 : 1.0, high ? 1.0 : 0.0, 0, 1, 1, 0}, st.frequency);
        else
            Add({high ? 0.0 : 1.0, 0, high ? 1.0 : 0.0, 1, k, 1}, st.frequency);
    };
    // The Butterworth sections p² + k·p + 1, k = 2·sin((2i − 1)π/2n), and
    // p + 1 for odd orders (k = 0 here).
    const auto butterworth = [&](const FilterStage& st, int order) {
        switch (order) {
        case 1:
            pass(st, 0);
            break;
        case 2:
            pass(st, std::numbers::sqrt2);
            break;
        case 3:
            pass(st, 0);
            pass(st, 1);
            break;
        default:
            pass(st, 2 * std::sin(std::numbers::pi / 8));
            pass(st, 2 * std::sin(3 * std::numbers::pi / 8));
            break;
        }
    };
    for (const FilterStage& st : stages) {
        const double a = std::pow(10.0, st.gainDb / 40);
        const double b = std::sqrt(a) / st.q;
        switch (st.kind) {
        case StageKind::HighPass:
        case StageKind::LowPass:
            if (st.shape == StageShape::SecondOrderQ) {
                pass(st, 1 / st.q);
            } else {
                // Linkwitz–Riley: the Butterworth of half the order, twice, so
                // in phase at the corner and with no inversion.
                const bool squared = st.shape == StageShape::LinkwitzRiley;
                for (int i = 0; i < (squared ? 2 : 1); ++i)
                    butterworth(st, squared ? st.order / 2 : st.order);
            }
            break;
        case StageKind::LinkwitzTransform: {
            // (s² + (ω0/Q0)s + ω0²)/(s² + (ωp/Qp)s + ωp²), here in s/ω0.
            const double r = st.targetFrequency / st.frequency;
            Add({1, 1 / st.q, 1, r * r, r / st.targetQ, 1}, st.frequency);
            break;
        }
        case StageKind::Peak:
            Add({1, a / st.q, 1, 1, 1 / (a * st.q), 1}, st.frequency);
            break;
        case StageKind::LowShelf:
            m_gain *= a;
            Add({a, b, 1, 1, b, a}, st.frequency);
            break;
        case StageKind::HighShelf:
            m_gain *= a;
            Add({1, b, a, a, b, 1}, st.frequency);
            break;
        case StageKind::Gain:
            m_gain *= std::pow(10.0, st.gainDb / 20);
            break;
        }
    }
}

void ChainFilter::Add(Section n, double frequency) {
    // From p = s/fc to s in hertz: the coefficient of p^k over fc^k.
    const double f2 = frequency * frequency;
    const std::size_t lane = m_count % 2;
    if (lane == 0)
        m_pairs.push_back({{1, 1}, {0, 0}, {0, 0}, {1, 1}, {0, 0}, {0, 0}});
    Pair& p = m_pairs.back();
    p.b0[lane] = n.b0, p.b1[lane] = n.b1 / frequency, p.b2[lane] = n.b2 / f2;
    p.a0[lane] = n.a0, p.a1[lane] = n.a1 / frequency, p.a2[lane] = n.a2 / f2;
    ++m_count;
}

ChainFilter::Point ChainFilter::At(double frequency) const {
    // Numerators and denominators multiplied apart, two sections at a time
    // in two lanes, and divided once; the phase slopes summed per lane.
    const double x = frequency, x2 = frequency * frequency;
    double nr[2] = {1, 1}, ni[2] = {0, 0}, dr[2] = {1, 1}, di[2] = {0, 0};
    double slope[2] = {0, 0}; // dφ/df, rad/Hz
    for (const Pair& c : m_pairs) {
        for (int l = 0; l < 2; ++l) {
            const double sr = c.b0[l] - c.b2[l] * x2, si = c.b1[l] * x;
            const double tr = c.a0[l] - c.a2[l] * x2, ti = c.a1[l] * x;
            const double nn = sr * sr + si * si, dd = tr * tr + ti * ti;
            slope[l] += (c.b1[l] * (c.b0[l] + c.b2[l] * x2) * dd -
                         c.a1[l] * (c.a0[l] + c.a2[l] * x2) * nn) /
                        (nn * dd);
            const double n = nr[l] * sr - ni[l] * si, d = dr[l] * tr - di[l] * ti;
            ni[l] = nr[l] * si + ni[l] * sr;
            di[l] = dr[l] * ti + di[l] * tr;
            nr[l] = n;
            dr[l] = d;
        }
    }
    const double n = nr[0] * nr[1] - ni[0] * ni[1], ni1 = nr[0] * ni[1] + ni[0] * nr[1];
    const double d = dr[0] * dr[1] - di[0] * di[1], di1 = dr[0] * di[1] + di[0] * dr[1];
    const double scale = m_gain / (d * d + di1 * di1);
    return {{(n * d + ni1 * di1) * scale, (ni1 * d - n * di1) * scale},
            -(slope[0] + slope[1]) / (2 * std::numbers::pi)};
}

RoomCurve::RoomCurve(const SignalChain& chain) {
    if (chain.roomGainFc && *chain.roomGainFc > 0) {
        m_fc = *chain.roomGainFc;
        m_max = std::pow(10.0, chain.roomGainMax.value_or(kDefaultRoomGainMax) / 10);
    }
}

double RoomGainDb(const SignalChain& chain, double frequency) {
    return 10 * std::log10(RoomCurve(chain).Factor(frequency));
}

namespace {

// A stage's values as the parser reads and the printer writes them, in order.
struct ValueRule {
    const char* name;
    double FilterStage::*member;
    double low, high;
};

constexpr ValueRule kFrequency{"the frequency", &FilterStage::frequency, kStageLowFrequency,
                               kStageHighFrequency};
constexpr ValueRule kQ{"the Q", &FilterStage::q, kStageLowQ, kStageHighQ};
constexpr ValueRule kGain{"the gain", &FilterStage::gainDb, -kStageMaxGain, kStageMaxGain};
constexpr ValueRule kF0{"f0", &FilterStage::frequency, kStageLowFrequency, kStageHighFrequency};
constexpr ValueRule kQ0{"Q0", &FilterStage::q, kStageLowQ, kStageHighQ};
constexpr ValueRule kFp{"fp", &FilterStage::targetFrequency, kStageLowFrequency,
                        kStageHighFrequency};
constexpr ValueRule kQp{"Qp", &FilterStage::targetQ, kStageLowQ, kStageHighQ};

std::vector<ValueRule> RulesOf(const FilterStage& st) {
    switch (st.kind) {
    case StageKind::HighPass:
    case StageKind::LowPass:
        if (st.shape == StageShape::SecondOrderQ)
            return {kFrequency, kQ};
        return {kFrequency};
    case StageKind::LinkwitzTransform:
        return {kF0, kQ0, kFp, kQp};
    case StageKind::Peak:
    case StageKind::LowShelf:
    case StageKind::HighShelf:
        return {kFrequency, kQ, kGain};
    case StageKind::Gain:
        return {kGain};
    }
    return {};
}

struct KindName {
    StageKind kind;
    const char* name;
    const char* format; // the values after the name (and the shape)
};
constexpr KindName kKinds[] = {
    {StageKind::HighPass, "hp", ""},
    {StageKind::LowPass, "lp", ""},
    {StageKind::LinkwitzTransform, "lt", "lt:F0:Q0:FP:QP"},
    {StageKind::Peak, "peak", "peak:F:Q:DB"},
    {StageKind::LowShelf, "lowshelf", "lowshelf:F:Q:DB"},
    {StageKind::HighShelf, "highshelf", "highshelf:F:Q:DB"},
    {StageKind::Gain, "gain", "gain:DB"},
};

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::vector<std::string_view> Split(std::string_view text) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t colon = text.find(':', start);
        parts.push_back(text.substr(start, colon - start));
        if (colon == std::string_view::npos)
            return parts;
        start = colon + 1;
    }
}

std::string ShapeText(const FilterStage& st) {
    switch (st.shape) {
    case StageShape::Butterworth:
        return "bw" + std::to_string(st.order);
    case StageShape::LinkwitzRiley:
        return "lr" + std::to_string(st.order);
    case StageShape::SecondOrderQ:
        return "q";
    }
    return {};
}

Result<void> CheckValue(const FilterStage& st, const ValueRule& rule) {
    const double v = st.*rule.member;
    if (v >= rule.low && v <= rule.high)
        return {};
    return Failure<int>{1, std::string(rule.name) + " must be a number between " +
                               Bounds(rule.low, rule.high)};
}

} // namespace

Result<void> CheckStage(const FilterStage& st) {
    const bool pass = st.kind == StageKind::HighPass || st.kind == StageKind::LowPass;
    if (std::none_of(std::begin(kKinds), std::end(kKinds),
                     [&](const KindName& k) { return k.kind == st.kind; }))
        return Failure<int>{1, "the kind of stage is unknown"};
    if (pass) {
        const bool fits =
            (st.shape == StageShape::Butterworth && st.order >= 1 && st.order <= 4) ||
            (st.shape == StageShape::LinkwitzRiley && (st.order == 2 || st.order == 4)) ||
            (st.shape == StageShape::SecondOrderQ && st.order == 2);
        if (!fits)
            return Failure<int>{1, "the response must be bw1 to bw4, lr2, lr4 or q"};
    }
    for (const ValueRule& rule : RulesOf(st)) {
        if (Result<void> checked = CheckValue(st, rule); !checked)
            return checked;
    }
    return {};
}

Result<FilterStage> ParseStage(std::string_view text) {
    const auto refused = [text](const std::string& why) {
        return Failure<int>{1, "filter \"" + std::string(text) + "\": " + why};
    };
    const std::vector<std::string_view> parts = Split(text);
    const std::string kindName = Lower(parts[0]);
    const auto kind = std::find_if(std::begin(kKinds), std::end(kKinds),
                                   [&](const KindName& k) { return kindName == k.name; });
    if (kind == std::end(kKinds))
        return refused("the kind must be hp, lp, lt, peak, lowshelf, highshelf or gain");
    FilterStage st;
    st.kind = kind->kind;
    std::size_t next = 1;
    std::string format = kind->format;
    if (st.kind == StageKind::HighPass || st.kind == StageKind::LowPass) {
        const std::string shape = parts.size() > 1 ? Lower(parts[1]) : std::string();
        if (shape.size() == 3 && shape[0] == 'b' && shape[1] == 'w') {
            st.shape = StageShape::Butterworth;
            st.order = static_cast<std::uint8_t>(shape[2] - '0');
        } else if (shape.size() == 3 && shape[0] == 'l' && shape[1] == 'r') {
            st.shape = StageShape::LinkwitzRiley;
            st.order = static_cast<std::uint8_t>(shape[2] - '0');
        } else if (shape == "q") {
            st.shape = StageShape::SecondOrderQ;
            st.order = 2;
        } else {
            st.order = 0;
        }
        if (Result<void> checked = CheckStage(st);
            !checked && checked.Message().starts_with("the response"))
            return refused(checked.Message());
        format = std::string(kind->name) + ":" + ShapeText(st) +
                 (st.shape == StageShape::SecondOrderQ ? ":F:Q" : ":F");
        next = 2;
    }
    const std::vector<ValueRule> rules = RulesOf(st);
    if (parts.size() != next + rules.size())
        return refused("expected " + format);
    for (std::size_t i = 0; i < rules.size(); ++i) {
        double value = 0;
        if (!ReadNumberText(parts[next + i], value))
            return refused(std::string(rules[i].name) + " must be a number between " +
                           Bounds(rules[i].low, rules[i].high));
        st.*rules[i].member = value;
    }
    if (Result<void> checked = CheckStage(st); !checked)
        return refused(checked.Message());
    return st;
}

std::string StageText(const FilterStage& st) {
    const auto kind = std::find_if(std::begin(kKinds), std::end(kKinds),
                                   [&](const KindName& k) { return k.kind == st.kind; });
    if (kind == std::end(kKinds))
        return "?";
    std::string text = kind->name;
    if (st.kind == StageKind::HighPass || st.kind == StageKind::LowPass)
        text += ":" + ShapeText(st);
    for (const ValueRule& rule : RulesOf(st))
        text += ":" + ShortestText(st.*rule.member);
    return text;
}

Result<Wiring> ParseWiring(std::string_view text, unsigned drivers) {
    const std::string lower = Lower(text);
    if (lower == "parallel")
        return Wiring{WiringKind::Parallel, 1, 1};
    if (lower == "series")
        return Wiring{WiringKind::Series, 1, 1};
    const std::size_t x = lower.find('x');
    double s = 0, p = 0;
    if (x == std::string::npos || !ReadNumberText(lower.substr(0, x), s) ||
        !ReadNumberText(lower.substr(x + 1), p) || s != std::floor(s) || p != std::floor(p) ||
        s < 1 || p < 1 || s > 65535 || p > 65535)
        return Failure<int>{1, "the wiring must be parallel, series or SxP (for example 2x2)"};
    if (s * p != drivers)
        return Failure<int>{1, "the wiring " + lower + " needs " + ShortestText(s * p) +
                                   " drivers, not " + std::to_string(drivers)};
    return Wiring{WiringKind::Grid, static_cast<std::uint16_t>(s), static_cast<std::uint16_t>(p)};
}

std::string WiringText(const Wiring& w) {
    switch (w.kind) {
    case WiringKind::Parallel:
        return "parallel";
    case WiringKind::Series:
        return "series";
    case WiringKind::Grid:
        return std::to_string(w.series) + "x" + std::to_string(w.strings);
    }
    return {};
}

Result<WiredCounts> CountsOf(const std::optional<Wiring>& wiring, unsigned drivers) {
    if (!wiring || wiring->kind == WiringKind::Parallel)
        return WiredCounts{1, drivers};
    if (wiring->kind == WiringKind::Series)
        return WiredCounts{drivers, 1};
    if (wiring->kind == WiringKind::Grid &&
        static_cast<unsigned>(wiring->series) * wiring->strings == drivers)
        return WiredCounts{wiring->series, wiring->strings};
    return Failure<int>{1, "The wiring " + WiringText(*wiring) + " does not fit " +
                               std::to_string(drivers) + " drivers: choose it again."};
}

Result<RoomGain> ParseRoomGain(std::string_view text) {
    const std::size_t colon = text.find(':');
    RoomGain gain;
    double max = 0;
    if (!ReadNumberText(text.substr(0, colon), gain.fc) || gain.fc < kStageLowFrequency ||
        gain.fc > kStageHighFrequency ||
        (colon != std::string_view::npos &&
         (!ReadNumberText(text.substr(colon + 1), max) || max < 0 || max > kStageMaxGain)))
        return Failure<int>{1, "the room gain must be FC[:GMAX], a corner between " +
                                   Bounds(kStageLowFrequency, kStageHighFrequency) +
                                   " Hz and a largest gain between 0 and " +
                                   ShortestText(kStageMaxGain) + " dB"};
    if (colon != std::string_view::npos)
        gain.max = max;
    return gain;
}

} // namespace orvane
