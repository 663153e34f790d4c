// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/plot/DrawPlot.h"

#include "core/text/Printf.h"

#include "core/model/OutputLimits.h"
#include "core/numeric/Saturate.h"
#include "core/plot/DrawSurface.h"
#include "core/plot/PlotGeometry.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

namespace orvane {

namespace {

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

// The labels along one axis. A label is left out (its grid line stays) when
// its ink would run into that of the last label drawn, or its opaque
// background would hide a whole pixel or more of that ink; so crowded
// ranges, small windows and faces other than the label font's metric twin
// keep readable labels, and where they have room every label is drawn. Ink
// edges count to the nearest whole unit: glyphs that only share the fringe
// of one pixel touch, they do not overlap. On a scaled display, where the
// glyphs are sharper, a label also needs kScaledGap units of clear space
// after the last one.
class AxisLabels {
public:
    static constexpr double kScaledGap = 2;

    explicit AxisLabels(DrawSurface& surface)
        : m_surface(surface), m_scaled(surface.DisplayScale() != 1) {}

    void Draw(int32_t x, int32_t y, const std::string& text) {
        DrawMeasured(x, y, text, m_surface.MeasureText(text));
    }

    void DrawMeasured(int32_t x, int32_t y, const std::string& text, const TextExtent& extent) {
        const Box box{static_cast<double>(x),
                      std::round(x + extent.left),
                      static_cast<double>(y),
                      std::round(x + extent.right),
                      static_cast<double>(y) + extent.height,
                      x + extent.right};
        if (m_any && Clash(box))
            return;
        m_surface.TextOut(x, y, text);
        m_last = box;
        m_any = true;
    }

private:
    struct Box {
        double start = 0; // where the opaque background starts
        double left = 0;  // the ink, to whole units
        double top = 0;
        double right = 0;
        double bottom = 0;
        double inkEnd = 0; // where the ink ends, exactly
    };

    bool Clash(const Box& box) const {
        if (!(box.top < m_last.bottom && m_last.top < box.bottom))
            return false;
        if (m_scaled) {
            return std::min(box.left, box.start) < m_last.right + kScaledGap &&
                   m_last.left - kScaledGap < box.right;
        }
        return (box.left < m_last.right || box.start + 1 < m_last.inkEnd) &&
               m_last.left < box.right;
    }

    DrawSurface& m_surface;
    const bool m_scaled;
    Box m_last;
    bool m_any = false;
};

// A graph's curve as steps, built a point at a time. A segment that leaves
// or enters the axis is cut at the frame's edge, so the line runs to the
// edge rather than ending in mid-air; one wholly outside only moves, and a
// point that is no number (NaN, infinite) leaves a gap. Steps that add
// nothing to the picture (a line to where the pen is, a move that the next
// move replaces) are left out, so a sweep of any length costs no more than
// its picture.
class SeriesSteps {
public:
    SeriesSteps(const PlotGeometry& geo, const LevelAxis& axis, const SweepRange& range, bool wraps)
        : m_geo(geo), m_low(axis.bottom), m_high(axis.bottom + axis.span), m_first(range.first),
          m_wraps(wraps) {}

    void Add(int32_t frequency, double value) {
        const double x = m_geo.X(frequency);
        if (!std::isfinite(value) || frequency == m_first) {
            m_previous = std::isfinite(value);
            m_x = x;
            m_value = value;
            return;
        }
        // A jump of more than half a turn is the phase wrapping, not a line.
        if (m_previous && !(m_wraps && std::fabs(value - m_value) > 180))
            Segment(x, value);
        m_previous = true;
        m_x = x;
        m_value = value;
    }
    const std::vector<CurveStep>& Steps() const { return m_steps; }

private:
    // The part of the segment from the last point to (x, value) inside the
    // axis, by Liang–Barsky on the level alone.
    void Segment(double x, double value) {
        // Where the part starts and ends, and its level there: an edge's
        // own level where it is cut, so that it lands on the frame exactly.
        double enter = 0;
        double leave = 1;
        double enterLevel = m_value;
        double leaveLevel = value;
        const double rise = value - m_value;
        for (const auto& [p, q, edge] : {std::tuple{-rise, m_value - m_low, m_low},
                                         std::tuple{rise, m_high - m_value, m_high}}) {
            if (p == 0) {
                if (q < 0)
                    return; // level, and outside
                continue;
            }
            const double t = q / p;
            if (p < 0 && t > enter) {
                enter = t;
                enterLevel = edge;
            } else if (p > 0 && t < leave) {
                leave = t;
                leaveLevel = edge;
            }
        }
        if (!(enter <= leave))
            return;
        const auto at = [&](double t, double level) {
            return std::pair{static_cast<int32_t>(std::lround(m_x + t * (x - m_x))),
                             m_geo.YOfLevel(level)};
        };
        const auto [x0, y0] = at(enter, enterLevel);
        const auto [x1, y1] = at(leave, leaveLevel);
        if (m_steps.empty() || m_steps.back().x != x0 || m_steps.back().y != y0)
            Push({x0, y0, false});
        Push({x1, y1, true});
    }

    void Push(const CurveStep& step) {
        if (!m_steps.empty()) {
            CurveStep& last = m_steps.back();
            if (step.line && step.x == last.x && step.y == last.y)
                return;
            if (!step.line && !last.line) {
                last = step;
                return;
            }
        }
        m_steps.push_back(step);
    }

    PlotGeometry m_geo;
    double m_low;
    double m_high;
    int32_t m_first;
    bool m_wraps;
    bool m_previous = false;
    double m_x = 0;
    double m_value = 0;
    std::vector<CurveStep> m_steps;
};

void DrawSteps(DrawSurface& surface, const std::vector<CurveStep>& steps) {
    for (const CurveStep& step : steps) {
        if (step.line)
            surface.LineTo(step.x, step.y);
        else
            surface.MoveTo(step.x, step.y);
    }
}

// The pens and the label font of one drawing, created and deleted together.
class PlotPens {
public:
    explicit PlotPens(DrawSurface& surface)
        : m_surface(surface), frame(surface.CreatePen({PenStyle::Solid, 3, {0, 0, 0}})),
          grid(surface.CreatePen({PenStyle::Solid, 1, {0, 128, 0}})),
          curve(surface.CreatePen({PenStyle::Solid, 1, {0, 0, 255}})),
          zero(surface.CreatePen({PenStyle::Solid, 2, {0, 0, 0}})),
          minus3(surface.CreatePen({PenStyle::Dash, 1, {0, 128, 0}})),
          labelFont(surface.CreateFont({"Arial", 12, 400})) {}
    PlotPens(const PlotPens&) = delete;
    PlotPens& operator=(const PlotPens&) = delete;
    ~PlotPens() {
        m_surface.DeletePen(frame);
        m_surface.DeletePen(grid);
        m_surface.DeletePen(curve);
        m_surface.DeletePen(zero);
        m_surface.DeletePen(minus3);
        m_surface.DeleteFont(labelFont);
    }

private:
    DrawSurface& m_surface;

public:
    const PenHandle frame;
    const PenHandle grid;
    const PenHandle curve;
    const PenHandle zero;
    const PenHandle minus3;
    const FontHandle labelFont;
};

// The frame; its top edge stays open.
void DrawFrame(DrawSurface& surface, const PlotGeometry& geo) {
    surface.MoveTo(geo.Left(), geo.Top());
    surface.LineTo(geo.Left(), geo.Bottom());
    surface.LineTo(geo.Right(), geo.Bottom());
    surface.LineTo(geo.Right(), geo.Top());
}

// The level grid of the left axis, labelled at the left edge, and the labels
// of a right-hand axis on the same lines at the right edge. The response plot
// marks 0 dB and -3 dB. A step of zero or less would never reach the span:
// only the bottom line is drawn then.
void DrawLevelGrid(DrawSurface& surface, const PlotGeometry& geo, const PlotPens& pens,
                   const LevelAxis& axis, const std::optional<LevelAxis>& right,
                   bool responseMarks) {
    if (!(axis.span >= 0))
        return;
    AxisLabels levelLabels(surface);
    AxisLabels rightLabels(surface);
    const double step = axis.step > 0 ? axis.step : 0;
    for (int64_t i = 0; static_cast<double>(i) * step <= axis.span && i < kMaxGridLines; ++i) {
        const double g = static_cast<double>(i) * step;
        const double v = axis.bottom + g;
        if (responseMarks && std::fabs(v) < 0.1)
            surface.SelectPen(pens.zero);
        else if (responseMarks && std::fabs(v + 3) < 0.1)
            surface.SelectPen(pens.minus3);
        else
            surface.SelectPen(pens.grid);
        const int32_t y = geo.YOfOffset(g);
        surface.MoveTo(geo.Left(), y);
        surface.LineTo(geo.Right(), y);
        // At x 5, where the label font's "-10.0" ends at the frame's middle;
        // a wider face's label moves left, as far as the margin allows.
        const std::string level = Printf(axis.format, v);
        const TextExtent extent = surface.MeasureText(level);
        const double overrun = std::ceil(5 + extent.right - geo.Left());
        const int32_t x = overrun > 0 ? static_cast<int32_t>(std::max(5 - overrun, 0.0)) : 5;
        levelLabels.DrawMeasured(x, Shift(y, -8), level, extent);
        if (right) {
            const std::string text =
                Printf(right->format, right->bottom + static_cast<double>(i) * right->step);
            const TextExtent extent = surface.MeasureText(text);
            const auto x =
                static_cast<int32_t>(std::clamp<double>(geo.Width() - 3 - std::ceil(extent.right),
                                                        static_cast<double>(geo.Right()) + 2, 1e9));
            rightLabels.DrawMeasured(x, Shift(y, -8), text, extent);
        }
        if (step == 0)
            break;
    }
}

// The frequency grid and its labels, in whatever pen is selected. Bounded
// like the sweep, so an absurd range from a file cannot hang the drawing.
void DrawFrequencyGrid(DrawSurface& surface, const PlotGeometry& geo, const SweepRange& range) {
    int64_t frequencyLines = 0;
    AxisLabels frequencyLabels(surface);
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
        frequencyLabels.Draw(Shift(x, -5), Shift(geo.Bottom(), 5), label);
        f += step;
        ++frequencyLines;
    }
}

// The response plot: the relative response over the amplitude scale, and
// the output figures.
void DrawResponse(DrawSurface& surface, SpeakerDesign& design, const PlotScale& scale, int width,
                  int height) {
    const BoxKind kind = design.Kind();
    const SealedAlignment alignment =
        kind == BoxKind::Sealed ? ComputeSealedAlignment(design) : SealedAlignment{};
    const std::optional<OutputLimits> limits = ComputeOutputLimits(design, alignment);
    const PlotGeometry geo(design, scale.bottom, scale.span, width, height);
    const SweepRange range = ComputeSweepRange(design);
    // The whole curve (at most kMaxSweepPoints) is computed before anything
    // is drawn: the maths then runs in one stretch instead of between pieces
    // of painting, and a slow design shows nothing half drawn.
    const std::vector<CurveStep> curve = kind != BoxKind::Unknown
                                             ? CurveSteps(design, alignment, geo, scale, range)
                                             : std::vector<CurveStep>();

    const PlotPens pens(surface);
    const FontHandle previousFont = surface.SelectFont(pens.labelFont);
    const PenHandle previousPen = surface.SelectPen(pens.frame);
    DrawFrame(surface, geo);
    surface.SelectPen(pens.grid);
    const LevelAxis axis{scale.bottom, scale.span,
                         static_cast<double>(scale.dbPerDiv > 0 ? scale.dbPerDiv : 0)};
    DrawLevelGrid(surface, geo, pens, axis, std::nullopt, true);
    DrawFrequencyGrid(surface, geo, range);

    // The figure lines are drawn in the surface's own font.
    surface.SelectFont(previousFont);
    if (kind != BoxKind::Unknown) {
        surface.SelectPen(pens.curve);
        if (const auto lines = FigureLines(design, alignment, limits)) {
            surface.TextOut(PlotGeometry::kFiguresX, 12, lines->line1);
            surface.TextOut(PlotGeometry::kFiguresX, 27, lines->line2);
        }
        DrawSteps(surface, curve);
    }
    surface.SelectPen(previousPen);
}

// A graph's figure line where the response plot has its figures; in a
// window too narrow for it, broken at a blank onto the second line.
void DrawFigure(DrawSurface& surface, const std::string& figure, int width) {
    constexpr int kAt = PlotGeometry::kFiguresX;
    const double room = static_cast<double>(width) - kAt - 4;
    if (figure.empty())
        return;
    if (surface.MeasureText(figure).right <= room) {
        surface.TextOut(kAt, 12, figure);
        return;
    }
    std::size_t cut = figure.find(' ');
    for (std::size_t at = cut; at != std::string::npos; at = figure.find(' ', at + 1)) {
        if (surface.MeasureText(std::string_view(figure).substr(0, at)).right > room)
            break;
        cut = at;
    }
    if (cut == std::string::npos) {
        surface.TextOut(kAt, 12, figure);
        return;
    }
    surface.TextOut(kAt, 12, std::string_view(figure).substr(0, cut));
    surface.TextOut(kAt, 27, std::string_view(figure).substr(cut + 1));
}

// The sentence a graph shows instead of its curves, inside the frame: broken
// at blanks onto further lines where the frame is too narrow for it.
void DrawSentence(DrawSurface& surface, const PlotGeometry& geo, std::string_view text) {
    const double room = static_cast<double>(geo.Right()) - geo.Left() - 20;
    int32_t y = geo.Top() + 10;
    while (!text.empty()) {
        std::size_t cut = text.size();
        while (cut != std::string_view::npos &&
               surface.MeasureText(text.substr(0, cut)).right > room)
            cut = cut == 0 ? std::string_view::npos : text.rfind(' ', cut - 1);
        if (cut == std::string_view::npos || cut == 0) // one word wider than the frame
            cut = std::min(text.find(' '), text.size());
        surface.TextOut(geo.Left() + 10, y, text.substr(0, cut));
        text.remove_prefix(std::min(cut + 1, text.size()));
        y = Shift(y, 15);
    }
}

// A graph of the analysis on the same frame and frequency grid.
void DrawAnalysisGraph(DrawSurface& surface, const SpeakerDesign& design, Graph graph,
                       const PlotScale& scale, int width, int height,
                       std::optional<GraphAxes>& axes) {
    const GraphCurves curves = ComputeGraphCurves(graph, design);
    if (!axes && curves.missing.empty())
        axes = AxesForGraph(curves, scale.dbPerDiv);
    const LevelAxis left = axes ? axes->left : LevelAxis{0, 1, 1};
    const PlotGeometry geo(design, left.bottom, left.span, width, height);
    const SweepRange range = ComputeSweepRange(design);
    // A right-hand series maps through its own axis onto the same height.
    const LevelAxis right = axes && axes->right ? *axes->right : left;
    const PlotGeometry rightGeo(design, right.bottom, right.span, width, height);
    // The curves are worked out a block at a time and kept as steps only.
    std::vector<SeriesSteps> steps;
    if (curves.missing.empty()) {
        for (const GraphSeries& s : curves.series)
            steps.emplace_back(s.right ? rightGeo : geo, s.right ? right : left, range, s.wraps);
        std::vector<double> values;
        for (int64_t first = range.first; first < range.last;
             first += static_cast<int64_t>(kGraphBlock)) {
            const auto count =
                static_cast<std::size_t>(std::min<int64_t>(range.last - first, kGraphBlock));
            curves.Values(first, count, values);
            for (std::size_t s = 0; s < steps.size(); ++s) {
                for (std::size_t i = 0; i < count; ++i)
                    steps[s].Add(static_cast<int32_t>(first + static_cast<int64_t>(i)),
                                 values[s * count + i]);
            }
        }
    }

    const PlotPens pens(surface);
    const PenHandle dashed = surface.CreatePen({PenStyle::Dash, 1, {0, 0, 255}});
    const PenHandle reference = surface.CreatePen({PenStyle::Dash, 1, {255, 0, 0}});
    const FontHandle previousFont = surface.SelectFont(pens.labelFont);
    const PenHandle previousPen = surface.SelectPen(pens.frame);
    DrawFrame(surface, geo);
    surface.SelectPen(pens.grid);
    if (curves.missing.empty()) {
        DrawLevelGrid(surface, geo, pens, left, axes->right, false);
        surface.SelectPen(pens.grid);
    }
    DrawFrequencyGrid(surface, geo, range);
    if (curves.missing.empty()) {
        // The units, just inside the frame's top corners.
        surface.TextOut(geo.Left() + 4, geo.Top() + 2, left.unit);
        if (axes->right) {
            const TextExtent extent = surface.MeasureText(axes->right->unit);
            surface.TextOut(Shift(geo.Right(), -4 - static_cast<int>(std::ceil(extent.right))),
                            geo.Top() + 2, axes->right->unit);
        }
    }

    surface.SelectFont(previousFont);
    surface.SelectPen(pens.curve);
    if (!curves.missing.empty()) {
        DrawSentence(surface, geo, curves.missing);
    } else {
        if (curves.reference && *curves.reference >= left.bottom &&
            *curves.reference <= left.bottom + left.span) {
            surface.SelectPen(reference);
            const int32_t y = geo.YOfLevel(*curves.reference);
            surface.MoveTo(geo.Left(), y);
            surface.LineTo(geo.Right(), y);
        }
        surface.SelectPen(pens.curve);
        DrawFigure(surface, curves.figure, width);
        for (std::size_t i = 0; i < steps.size(); ++i) {
            surface.SelectPen(curves.series[i].dashed ? dashed : pens.curve);
            DrawSteps(surface, steps[i].Steps());
        }
    }
    surface.SelectPen(previousPen);
    surface.DeletePen(dashed);
    surface.DeletePen(reference);
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
    std::optional<GraphAxes> axes;
    return DrawGraph(surface, design, f1Entered, Graph::Response, scale, width, height, axes);
}

AutoValue DrawGraph(DrawSurface& surface, SpeakerDesign& design, bool f1Entered, Graph graph,
                    const PlotScale& scale, int width, int height, std::optional<GraphAxes>& axes) {
    const AutoValue autoValue = ApplyAutomaticValues(design, f1Entered);
    if (graph == Graph::Response)
        DrawResponse(surface, design, scale, width, height);
    else
        DrawAnalysisGraph(surface, design, graph, scale, width, height, axes);
    return autoValue;
}

std::optional<double> PlotFrequencyAt(const SpeakerDesign& design, int width, int height, double x,
                                      double y) {
    const PlotGeometry geo(design, 0, 1, width, height);
    if (!geo.Inside(x, y))
        return std::nullopt;
    const double f = geo.FrequencyAt(x);
    if (!std::isfinite(f))
        return std::nullopt;
    return f;
}

} // namespace orvane
