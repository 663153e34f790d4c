// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/design/SpeakerDesign.h"
#include "core/model/ResponseModel.h"

#include <optional>
#include <string>

namespace orvane {

// Excursion-limited output figures of a sealed or vented box. A figure that
// has no value (k for a sealed Qtc of 0.5 or less) is NaN.
struct OutputLimits {
    double f3 = 0;         // Hz, cut-off used for the limit
    double k = 0;          // displacement-limited power factor
    double vd = 0;         // cubic metres displaced at Xmax
    double par = 0;        // W, acoustic power at the limit
    double maxSpl = 0;     // dB
    double inputPower = 0; // W; 0 when no efficiency is given
};

struct FigureTexts {
    std::string line1;
    std::string line2;
};

// Sealed Qtc to k: each threshold Qtc strictly exceeds replaces k; NaN below
// the first row, where the table has no value.
double SealedPowerFactor(double qtc);

// Figures for "Sealed" and "Vented"; nothing for the other types.
std::optional<OutputLimits> ComputeOutputLimits(const SpeakerDesign& design,
                                                const SealedAlignment& alignment);

// The two lines drawn beside the plot; nothing for an unknown type name. The
// trailing blanks are part of the texts: drawn opaque, they wipe what a longer
// earlier text left.
std::optional<FigureTexts> FigureLines(const SpeakerDesign& design,
                                       const SealedAlignment& alignment,
                                       const std::optional<OutputLimits>& limits);

} // namespace orvane
