// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>

namespace orvane {

// Port sizing for one vented chamber. "No value" is std::nullopt throughout:
// the dialog shows it as "n/a", the command-line tool as "nan".
namespace PortCalc {

struct Port {
    double length;            // inches
    double effectiveDiameter; // inches: one round port with the area of all of them
};

// Effective diameter sqrt(count) * diameter, then the length that tunes a
// chamber of vb cubic feet to fb hertz:
//   L = deff * (2116.609 * deff / (vb * fb * fb) - 0.7315)
// No value when no diameter was given, the count is negative, the divisor
// vb * fb * fb is zero or not finite, or a result is not finite.
std::optional<Port> Compute(std::optional<double> diameter, int32_t count, double vb, double fb);

// Smallest advisable port diameter for the driver's swept volume at fb. No value
// unless xmax > 0.01 and coneDiameter > 0.01, or when the result is not finite.
std::optional<double> MinDiameter(double coneDiameter, double xmax, double fb);

} // namespace PortCalc

} // namespace orvane
