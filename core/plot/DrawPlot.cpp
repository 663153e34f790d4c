// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/plot/DrawPlot.h"

#include "core/text/Printf.h"

#include "core/model/OutputLimits.h"
#include "core/numeric/Saturate.h"
#include "core/plot/DrawSurface.h"

#include <cmath>
#include <string>
#include <vector>

namespace orvane {

namespace {

constexpr int kLeft = 30;
constexpr int kRight = 30;
constexpr int kTop = 60;
constexpr int kBottom = 30;

// A scale other than the presets, or a range from a file, could ask for
// billions of grid lines; far more than a window has pixels is never useful.
constexpr int64_t kMaxGridLines = 10000;

// The grid step of the decade a frequency lies in: 10 below 100 Hz, then the
// largest power of ten not above it, without end.
int64_t DecadeStep(int64_t f) {
    if (f < 100)
        return 10;
    int64_t step = 100;
    while (step <= f / 10)
        step *= 10;
    return step;
}

// Client-unit geometry of one drawing. Every double-to-int conversion
// truncates toward zero and saturates; sums are clamped back into 32 bits.
class PlotGeometry {
public:
    PlotGeometry(const SpeakerDesign& design, const PlotScale& scale, int width, int height)
        : m_width(width), m_height(height), m_bottomDb(scale.bottom),
          m_logLow(std::log10(design.m_freqLow)) {
        m_pxPerDb = (static_cast<double>(height) - kTop - kBottom) / scale.span;
        m_pxPerDecade = (static_cast<double>(width) - kLeft - kRight) /
                        (std::log10(design.m_freqHigh) - m_logLow);
    }

    int32_t X(int64_t f) const {
        const double offset = (std::log10(static_cast<double>(f)) - m_logLow) * m_pxPerDecade;
        return ClampToInt32(static_cast<int64_t>(TruncToInt32(offset)) + kLeft);
    }
    int32_t YOfOffset(double g) const {
        return ClampToInt32(static_cast<int64_t>(m_height) - TruncToInt32(g * m_pxPerDb) - kBottom);
    }
    int32_t YOfLevel(double level) const { return YOfOffset(level - m_bottomDb); }

    int32_t Left() const { return kLeft; }
    int32_t Right() const { return ClampToInt32(static_cast<int64_t>(m_width) - kRight); }
    int32_t Top() const { return kTop; }
    int32_t Bottom() const { return ClampToInt32(static_cast<int64_t>(m_height) - kBottom); }

private:
    int m_width;
    int m_height;
    double m_bottomDb;
    double m_logLow;
    double m_pxPerDb = 0;
    double m_pxPerDecade = 0;
};

// One point of the curve in client units, and whether the segment into it is
// drawn. A point below the scale (NaN included) only moves: the segment into
// it is dropped, the one out of it enters the graph from below.
struct CurveStep {
    int32_t x;
    int32_t y;
    bool line;
};

std::vector<CurveStep> CurveSteps(const SpeakerDesign& design, const SealedAlignment& alignment,
                                  const PlotGeometry& geo, const PlotScale& scale,
                                  const SweepRange& range) {
    std::vector<CurveStep> steps;
    const ResponseCurve curve = ComputeCurve(design, alignment);
    steps.reserve(curve.size());
    for (const CurvePoint& p : curve) {
        steps.push_back({geo.X(p.frequency), geo.YOfLevel(p.level),
                         p.level >= scale.bottom && p.frequency != range.first});
    }
    return steps;
}

int32_t Shift(int32_t v, int delta) {
    return ClampToInt32(static_cast<int64_t>(v) + delta);
}

} // namespace

PlotScale ScaleForDbPerDiv(int dbPerDiv) {
    switch (dbPerDiv) {
    case 2:
        return {-20.0, 30.0, 2};
    case 5:
        return {-50.0, 75.0, 5};
    case 10:
        return {-100.0, 150.0, 10};
    default:
        return {-10.0, 15.0, 1};
    }
}

AutoValue DrawPlot(DrawSurface& surface, SpeakerDesign& design, bool f1Entered,
                   const PlotScale& scale, int width, int height) {
    const AutoValue autoValue = ApplyAutomaticValues(design, f1Entered);
    const BoxKind kind = design.Kind();
    const SealedAlignment alignment =
        kind == BoxKind::Sealed ? ComputeSealedAlignment(design) : SealedAlignment{};
    const std::optional<OutputLimits> limits = ComputeOutputLimits(design, alignment);
    const PlotGeometry geo(design, scale, width, height);
    const SweepRange range = ComputeSweepRange(design);
    // The whole curve (at most kMaxSweepPoints) is computed before anything
    // is drawn: the maths then runs in one stretch instead of between pieces
    // of painting, and a slow design shows nothing half drawn.
    const std::vector<CurveStep> curve = kind != BoxKind::Unknown
                                             ? CurveSteps(design, alignment, geo, scale, range)
                                             : std::vector<CurveStep>();

    const PenHandle framePen = surface.CreatePen({PenStyle::Solid, 3, {0, 0, 0}});
    const PenHandle gridPen = surface.CreatePen({PenStyle::Solid, 1, {0, 128, 0}});
    const PenHandle curvePen = surface.CreatePen({PenStyle::Solid, 1, {0, 0, 255}});
    const PenHandle zeroPen = surface.CreatePen({PenStyle::Solid, 2, {0, 0, 0}});
    const PenHandle minus3Pen = surface.CreatePen({PenStyle::Dash, 1, {0, 128, 0}});
    const FontHandle labelFont = surface.CreateFont({"Arial", 12, 400});

    const FontHandle previousFont = surface.SelectFont(labelFont);

    // Frame; the top edge stays open.
    const PenHandle previousPen = surface.SelectPen(framePen);
    surface.MoveTo(geo.Left(), geo.Top());
    surface.LineTo(geo.Left(), geo.Bottom());
    surface.LineTo(geo.Right(), geo.Bottom());
    surface.LineTo(geo.Right(), geo.Top());

    surface.SelectPen(gridPen);

    // Level grid. A step of zero or less would never reach the span: only the
    // bottom line is drawn then.
    if (scale.span >= 0) {
        const int64_t step = scale.dbPerDiv > 0 ? scale.dbPerDiv : 0;
        int64_t lines = 0;
        for (int64_t g = 0; static_cast<double>(g) <= scale.span && lines < kMaxGridLines;
             g += step, ++lines) {
            const double v = scale.bottom + static_cast<double>(g);
            if (std::fabs(v) < 0.1)
                surface.SelectPen(zeroPen);
            else if (std::fabs(v + 3) < 0.1)
                surface.SelectPen(minus3Pen);
            else
                surface.SelectPen(gridPen);
            const int32_t y = geo.YOfOffset(static_cast<double>(g));
            surface.MoveTo(geo.Left(), y);
            surface.LineTo(geo.Right(), y);
            surface.TextOut(5, Shift(y, -8), Printf("%.1f", v));
            if (step == 0)
                break;
        }
    }

    // Frequency grid, in whatever pen the level grid left selected. Bounded
    // like the sweep, so an absurd range from a file cannot hang the drawing.
    int64_t frequencyLines = 0;
    for (int64_t f = range.first; f < range.last && frequencyLines < kMaxGridLines;) {
        const int64_t step = DecadeStep(f);
        const int64_t past = ((f % step) + step) % step; // f's distance above a multiple
        if (past != 0) {
            // The step changes only at multiples of itself, so the next
            // multiple of this step is the next frequency that gets a line.
            f += step - past;
            continue;
        }
        const int32_t x = geo.X(f);
        surface.MoveTo(x, geo.Top());
        surface.LineTo(x, geo.Bottom());
        const std::string label = f < 1000 ? Printf("%lld", static_cast<long long>(f))
                                           : Printf("%lldK", static_cast<long long>(f / 1000));
        surface.TextOut(Shift(x, -5), Shift(geo.Bottom(), 5), label);
        f += step;
        ++frequencyLines;
    }

    // The figure lines are drawn in the surface's own font.
    surface.SelectFont(previousFont);

    if (kind != BoxKind::Unknown) {
        surface.SelectPen(curvePen);
        if (const auto lines = FigureLines(design, alignment, limits)) {
            surface.TextOut(450, 12, lines->line1);
            surface.TextOut(450, 27, lines->line2);
        }
        for (const CurveStep& step : curve) {
            if (step.line)
                surface.LineTo(step.x, step.y);
            else
                surface.MoveTo(step.x, step.y);
        }
    }

    surface.SelectPen(previousPen);
    surface.DeletePen(framePen);
    surface.DeletePen(gridPen);
    surface.DeletePen(curvePen);
    surface.DeletePen(zeroPen);
    surface.DeletePen(minus3Pen);
    surface.DeleteFont(labelFont);
    return autoValue;
}

} // namespace orvane
