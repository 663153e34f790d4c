// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

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

} // namespace orvane
