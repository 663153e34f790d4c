// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/design/SpeakerDesign.h"
#include "core/numeric/Saturate.h"

#include <cmath>
#include <cstdint>

namespace orvane {

// Where a plot lies in a view's client area, in client units: the frame's
// margins, the log-frequency x axis and one linear level axis. Every graph,
// the printed page and the pointer's read-out use this one mapping. Every
// double-to-int conversion truncates toward zero and saturates; sums are
// clamped back into 32 bits.
class PlotGeometry {
public:
    static constexpr int kLeft = 30;
    static constexpr int kRight = 30;
    static constexpr int kTop = 60;
    static constexpr int kBottom = 30;
    // Where the figure lines start, above the frame.
    static constexpr int kFiguresX = 450;

    // bottom and span: the level axis's value at the bottom edge and its height.
    PlotGeometry(const SpeakerDesign& design, double bottom, double span, int width, int height)
        : m_width(width), m_height(height), m_bottom(bottom),
          m_logLow(std::log10(design.m_freqLow)) {
        m_pxPerUnit = (static_cast<double>(height) - kTop - kBottom) / span;
        m_pxPerDecade = (static_cast<double>(width) - kLeft - kRight) /
                        (std::log10(design.m_freqHigh) - m_logLow);
    }

    int32_t X(int64_t f) const {
        const double offset = (std::log10(static_cast<double>(f)) - m_logLow) * m_pxPerDecade;
        return ClampToInt32(static_cast<int64_t>(TruncToInt32(offset)) + kLeft);
    }
    // The frequency a client x stands for; NaN where the axis has no extent.
    double FrequencyAt(double x) const {
        return std::pow(10.0, (x - kLeft) / m_pxPerDecade + m_logLow);
    }
    int32_t YOfOffset(double g) const {
        return ClampToInt32(static_cast<int64_t>(m_height) - TruncToInt32(g * m_pxPerUnit) -
                            kBottom);
    }
    int32_t YOfLevel(double level) const { return YOfOffset(level - m_bottom); }

    int32_t Left() const { return kLeft; }
    int32_t Right() const { return ClampToInt32(static_cast<int64_t>(m_width) - kRight); }
    int32_t Top() const { return kTop; }
    int32_t Bottom() const { return ClampToInt32(static_cast<int64_t>(m_height) - kBottom); }
    int Width() const { return m_width; }
    // Whether a client point lies inside the frame.
    bool Inside(double x, double y) const {
        return x >= Left() && x <= Right() && y >= Top() && y <= Bottom();
    }

private:
    int m_width;
    int m_height;
    double m_bottom;
    double m_logLow;
    double m_pxPerUnit = 0;
    double m_pxPerDecade = 0;
};

} // namespace orvane
