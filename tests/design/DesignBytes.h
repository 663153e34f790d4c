#pragma once

// Helpers for tests that build design-file bytes by hand.

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

namespace DesignBytes {

using Bytes = std::vector<std::uint8_t>;

inline void PutUnsigned(Bytes& out, std::uint64_t v, int size) {
    for (int i = 0; i < size; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

inline void PutDouble(Bytes& out, double v) {
    PutUnsigned(out, std::bit_cast<std::uint64_t>(v), 8);
}

// Seven doubles before the string: fs, vas, qts, v1, freqLow, freqHigh, f1.
inline Bytes Head(double fs = 0, double vas = 0, double qts = 0, double v1 = 0, double freqLow = 20,
                  double freqHigh = 2000, double f1 = 0) {
    Bytes out;
    for (const double v : {fs, vas, qts, v1, freqLow, freqHigh, f1})
        PutDouble(out, v);
    return out;
}

// The count and seven doubles after the string.
inline void PutTail(Bytes& out, std::uint16_t count = 1, double r2 = 0, double r1 = 0,
                    double xmax = 0, double cone = 0, double eff = 0, double v2 = 0,
                    double f2 = 0) {
    PutUnsigned(out, count, 2);
    for (const double v : {r2, r1, xmax, cone, eff, v2, f2})
        PutDouble(out, v);
}

} // namespace DesignBytes
