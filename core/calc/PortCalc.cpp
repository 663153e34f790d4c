// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/calc/PortCalc.h"

#include <cmath>

namespace orvane {

namespace PortCalc {

std::optional<Port> Compute(std::optional<double> diameter, int32_t count, double vb, double fb) {
    if (!diameter || count < 0)
        return std::nullopt;
    // Every step is evaluated in the order the figures have always been formed,
    // so results agree to the last bit.
    const double divisor = vb * fb * fb;
    if (divisor == 0 || !std::isfinite(divisor))
        return std::nullopt;
    const double deff = std::sqrt(static_cast<double>(count)) * *diameter;
    const double length = (deff / divisor * 2116.609 - 0.7315) * deff;
    if (!std::isfinite(deff) || !std::isfinite(length))
        return std::nullopt;
    return Port{length, deff};
}

std::optional<double> MinDiameter(double coneDiameter, double xmax, double fb) {
    if (!(xmax > 0.01 && coneDiameter > 0.01))
        return std::nullopt;
    // Radius of the moving part of the cone: half the diameter less the surround.
    const double r = coneDiameter * 0.5 - 0.77;
    const double s = std::pow(r, 2) * xmax * 3.14159 * fb;
    const double dmin = std::sqrt(s) * 0.15935;
    if (!std::isfinite(dmin))
        return std::nullopt;
    return dmin;
}

} // namespace PortCalc

} // namespace orvane
