// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

namespace orvane {

// Truncation toward zero into a 32-bit integer that never invokes undefined
// behaviour: NaN gives 0, values beyond the range give the nearest limit.
// Coordinates and loop bounds come from design files, which may hold anything.
inline int32_t TruncToInt32(double v) {
    if (std::isnan(v))
        return 0;
    if (v >= 2147483647.0)
        return std::numeric_limits<int32_t>::max();
    if (v <= -2147483648.0)
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

// A 64-bit intermediate (a truncated coordinate plus a margin) brought back
// into 32 bits by clamping, so sums of saturated values cannot overflow.
inline int32_t ClampToInt32(int64_t v) {
    if (v > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (v < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

// Reads an optional sign and the decimal digits after it, up to the first
// character that is not a digit; values beyond the 32-bit range give the
// nearest limit. Nothing when no digit follows the sign. The one integer
// reading of entry fields and the settings file.
inline std::optional<int32_t> ParseInt32Saturating(std::string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    const std::size_t firstDigit = i;
    int64_t magnitude = 0;
    constexpr int64_t kCap = int64_t{1} << 40; // far beyond the 32-bit range
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        magnitude = std::min(kCap, magnitude * 10 + (text[i] - '0'));
    if (i == firstDigit)
        return std::nullopt;
    return ClampToInt32(negative ? -magnitude : magnitude);
}

} // namespace orvane
