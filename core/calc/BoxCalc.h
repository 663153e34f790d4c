// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

namespace orvane {

// Internal box dimensions in the proportions depth : width : height = 1 : r : r².
namespace BoxCalc {

struct Dimensions {
    double width;  // inches; the edge of the cube of the same volume
    double height; // width * ratio
    double depth;  // width / ratio
};

// The cube edge is (volume * 1728) ^ 0.3333333, the seven-decimal exponent the
// figures have always used, not an exact cube root. No value for a negative
// volume (no real power) or a result that is not finite.
std::optional<Dimensions> Compute(double volume, double ratio);

} // namespace BoxCalc

} // namespace orvane
