// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/calc/BoxCalc.h"

#include <cmath>

namespace orvane {

namespace BoxCalc {

std::optional<Dimensions> Compute(double volume, double ratio) {
    if (volume < 0)
        return std::nullopt;
    const double side = std::pow(volume * 1728.0, 0.3333333);
    const Dimensions d{side, side * ratio, side / ratio};
    if (!std::isfinite(d.width) || !std::isfinite(d.height) || !std::isfinite(d.depth))
        return std::nullopt;
    return d;
}

} // namespace BoxCalc

} // namespace orvane
