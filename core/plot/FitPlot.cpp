// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/plot/FitPlot.h"

#include "core/text/Printf.h"

#include <algorithm>
#include <cmath>

namespace orvane {

namespace {

constexpr Rgb kCurveColours[] = {{0, 0, 0}, {0, 0, 200}};
constexpr Rgb kModelColour{200, 0, 0};
constexpr Rgb kGridColour{160, 160, 160};
constexpr double kResidualSpan = 20; // %, each way

int Round(double v) {
    return static_cast<int>(std::lround(std::clamp(v, -1e6, 1e6)));
}

} // namespace

void DrawImpedanceFit(DrawSurface& s, int width, int height, std::span<const FitTrace> traces) {
    double lowF = INFINITY, highF = 0, top = 0;
    for (const FitTrace& t : traces) {
        if (t.curve == nullptr || t.curve->points.empty())
            continue;
        lowF = std::min(lowF, t.curve->points.front().frequency);
        highF = std::max(highF, t.curve->points.back().frequency);
        for (const ImpedancePoint& p : t.curve->points)
            top = std::max(top, p.ohms);
    }
    const TextExtent digits = s.MeasureText("20000");
    const int left = Round(digits.right - digits.left) + 8;
    const int line = std::max(digits.height, 1);
    const int right = width - 8;
    const int upperTop = line / 2 + 2;
    const int bottom = height - line - 4;
    const int split = upperTop + (bottom - upperTop) * 3 / 4;
    const PenHandle gridPen = s.CreatePen({PenStyle::Dash, 1, kGridColour});
    const PenHandle framePen = s.CreatePen({PenStyle::Solid, 1, {0, 0, 0}});
    const PenHandle before = s.SelectPen(framePen);
    const auto box = [&](int y0, int y1) {
        s.MoveTo(left, y0);
        s.LineTo(right, y0);
        s.LineTo(right, y1);
        s.LineTo(left, y1);
        s.LineTo(left, y0);
    };
    box(upperTop, split);
    box(split + line / 2, bottom);
    if (!(highF > lowF) || !(top > 0) || right - left < 10) {
        s.SelectPen(before);
        s.DeletePen(gridPen);
        s.DeletePen(framePen);
        return;
    }
    top *= 1.1;
    const double logLow = std::log10(lowF), logSpan = std::log10(highF) - logLow;
    const auto x = [&](double f) {
        return left + (std::log10(f) - logLow) / logSpan * (right - left);
    };
    const auto yZ = [&](double ohms) { return split - ohms / top * (split - upperTop); };
    const int residualTop = split + line / 2;
    const auto yR = [&](double percent) {
        const double r = std::clamp(percent, -kResidualSpan, kResidualSpan);
        return (residualTop + bottom) / 2.0 - r / kResidualSpan * (bottom - residualTop) / 2.0;
    };

    // Decades, and the frequency under each.
    s.SelectPen(gridPen);
    for (auto decade = static_cast<int>(std::ceil(logLow)); std::pow(10.0, decade) <= highF;
         ++decade) {
        const double f = std::pow(10.0, decade);
        const int at = Round(x(f));
        s.MoveTo(at, upperTop);
        s.LineTo(at, bottom);
        const std::string label = f >= 1000 ? Printf("%gk", f / 1000) : Printf("%g", f);
        const TextExtent e = s.MeasureText(label);
        s.TextOut(at - Round((e.right - e.left) / 2), bottom + 2, label);
    }
    s.MoveTo(left, Round(yR(0)));
    s.LineTo(right, Round(yR(0)));
    const std::string topLabel = Printf("%.0f \u03a9", top);
    s.TextOut(2, upperTop, topLabel);
    s.TextOut(2, split - line, "0 \u03a9");
    s.TextOut(2, residualTop, "+20 %");
    s.TextOut(2, bottom - line, "\u221220 %");

    const auto polyline = [&](const ImpedanceCurve& c, auto value) {
        bool first = true;
        for (const ImpedancePoint& p : c.points) {
            const int px = Round(x(p.frequency)), py = Round(value(p));
            first ? s.MoveTo(px, py) : s.LineTo(px, py);
            first = false;
        }
    };
    std::size_t index = 0;
    for (const FitTrace& t : traces) {
        if (t.curve == nullptr)
            continue;
        const PenHandle pen = s.CreatePen({PenStyle::Solid, 1, kCurveColours[index++ % 2]});
        s.SelectPen(pen);
        polyline(*t.curve, [&](const ImpedancePoint& p) { return yZ(p.ohms); });
        if (t.fit != nullptr) {
            polyline(*t.curve, [&](const ImpedancePoint& p) {
                const double model = std::abs(ModelImpedance(*t.fit, p.frequency));
                return yR(p.ohms > 0 ? 100 * (model - p.ohms) / p.ohms : 0);
            });
            const PenHandle dashed = s.CreatePen({PenStyle::Dash, 1, kModelColour});
            s.SelectPen(dashed);
            polyline(*t.curve, [&](const ImpedancePoint& p) {
                return yZ(std::abs(ModelImpedance(*t.fit, p.frequency)));
            });
            s.SelectPen(pen);
            s.DeletePen(dashed);
        }
        s.SelectPen(framePen);
        s.DeletePen(pen);
    }
    s.SelectPen(before);
    s.DeletePen(gridPen);
    s.DeletePen(framePen);
}

} // namespace orvane
