// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/plot/BuildDrawing.h"

#include "core/plot/DrawSurface.h"
#include "core/text/Printf.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orvane::BuildDrawing {

namespace {

using BuildCalc::Plan;

constexpr double kMmPerInch = 25.4;
constexpr double kLitresPerCubicFoot = 28.316846592;

std::string Size(const BuildCalc::Box& b, UnitSystem units) {
    if (units == UnitSystem::Metric)
        return Printf("%.1f × %.1f × %.1f mm", b.width * kMmPerInch, b.height * kMmPerInch,
                      b.depth * kMmPerInch);
    return Printf("%.2f × %.2f × %.2f in", b.width, b.height, b.depth);
}

std::string Area(double squareInches, UnitSystem units) {
    if (units == UnitSystem::Metric)
        return Printf("%.3f m²", squareInches * kMmPerInch * kMmPerInch / 1e6);
    return Printf("%.2f sq ft", squareInches / 144);
}

int Round(double v) {
    return static_cast<int>(std::lround(v));
}

// Lengths on the page: inches to logical units from an origin.
struct View {
    int x = 0, y = 0;
    double scale = 1;
    int X(double inches) const { return x + Round(inches * scale); }
    int Y(double inches) const { return y + Round(inches * scale); }
};

void Rect(DrawSurface& s, int x0, int y0, int x1, int y1) {
    s.MoveTo(x0, y0);
    s.LineTo(x1, y0);
    s.LineTo(x1, y1);
    s.LineTo(x0, y1);
    s.LineTo(x0, y0);
}

void Circle(DrawSurface& s, int cx, int cy, double r) {
    constexpr int kSteps = 48;
    s.MoveTo(cx + Round(r), cy);
    for (int i = 1; i <= kSteps; ++i) {
        const double a = 2 * std::numbers::pi * i / kSteps;
        s.LineTo(cx + Round(r * std::cos(a)), cy + Round(r * std::sin(a)));
    }
}

void CentredText(DrawSurface& s, int cx, int y, const std::string& text) {
    const TextExtent e = s.MeasureText(text);
    s.TextOut(cx - Round((e.left + e.right) / 2), y, text);
}

// A dimension line with end ticks between (x0, y) and (x1, y), the text
// centred under it.
void HorizontalDimension(DrawSurface& s, int x0, int x1, int y, const std::string& text) {
    s.MoveTo(x0, y - 5), s.LineTo(x0, y + 5);
    s.MoveTo(x1, y - 5), s.LineTo(x1, y + 5);
    s.MoveTo(x0, y), s.LineTo(x1, y);
    CentredText(s, (x0 + x1) / 2, y + 4, text);
}

// The same upright at x, the text left of it at mid-height.
void VerticalDimension(DrawSurface& s, int x, int y0, int y1, const std::string& text) {
    s.MoveTo(x - 5, y0), s.LineTo(x + 5, y0);
    s.MoveTo(x - 5, y1), s.LineTo(x + 5, y1);
    s.MoveTo(x, y0), s.LineTo(x, y1);
    const TextExtent e = s.MeasureText(text);
    s.TextOut(x - 6 - Round(e.right), (y0 + y1) / 2 - e.height / 2, text);
}

// The round parts on the front: the drivers high up, the radiators below
// them, every chamber's ports low in the chamber they tune.
void FrontParts(DrawSurface& s, const View& v, const Plan& p, int drivers, int radiators,
                PenHandle solid, PenHandle hidden) {
    const double t = p.thickness;
    const double r = p.cutout / 2;
    const bool bandpass = !p.chambers.empty();
    const double cx = p.outer.width / 2;
    // The drivers of a bandpass box sit on the baffle between the chambers,
    // out of sight.
    s.SelectPen(bandpass ? hidden : solid);
    for (int i = 0; i < drivers && r > 0; ++i) {
        const double cy = bandpass ? t + p.chambers[0].height + t / 2 : t + r * (1.2 + 2.3 * i);
        if (cy + r > p.outer.height)
            break;
        Circle(s, v.X(cx), v.Y(cy), r * v.scale);
        if (bandpass)
            break;
    }
    s.SelectPen(solid);
    for (int i = 0; i < radiators && r > 0; ++i) {
        const double cy = t + r * (1.2 + 2.3 * (drivers + i));
        if (cy + r > p.outer.height)
            break;
        Circle(s, v.X(cx), v.Y(cy), r * v.scale);
    }
    for (const BuildCalc::Port& port : p.ports) {
        const bool round = p.portShape == BuildCalc::PortShape::Round;
        const double across = round ? port.diameter / std::sqrt(port.count) : p.slotWidth;
        const double high = round ? across : p.slotHeight;
        const double bottom =
            port.chamber == 1 && bandpass ? t + p.chambers[0].height : p.outer.height - t;
        const double cy = bottom - high / 2 - 0.5;
        for (int i = 0; i < port.count; ++i) {
            const double px = p.outer.width * (i + 1) / (port.count + 1);
            if (round)
                Circle(s, v.X(px), v.Y(cy), across / 2 * v.scale);
            else
                Rect(s, v.X(px - across / 2), v.Y(cy - high / 2), v.X(px + across / 2),
                     v.Y(cy + high / 2));
        }
    }
}

// Diagonal hatching across a rectangle of the page: the waste of a sheet.
void Hatch(DrawSurface& s, int x0, int y0, int x1, int y1) {
    constexpr int kPitch = 6;
    const int w = x1 - x0, h = y1 - y0;
    for (int k = kPitch; k < w + h; k += kPitch) {
        s.MoveTo(x0 + std::min(k, w), y0 + std::max(0, k - w));
        s.LineTo(x0 + std::max(0, k - h), y0 + std::min(k, h));
    }
}

// The panel's number in the cut list, from 1.
int PanelNumber(const Plan& p, const std::string& name) {
    for (std::size_t i = 0; i < p.panels.size(); ++i) {
        if (p.panels[i].name == name)
            return static_cast<int>(i) + 1;
    }
    return 0;
}

// The sheets side by side in the rest of the page, as large as they fit:
// each part outlined with its number in the cut list, the waste hatched.
void DrawSheets(DrawSurface& s, const Plan& p, UnitSystem units, int top, int left, int right,
                int bottom, int line, PenHandle solid, PenHandle thin, PenHandle hatch) {
    const int n = static_cast<int>(p.sheets.size());
    const int gap = 16;
    int columns = 1;
    double scale = 0;
    for (int c = 1; c <= n; ++c) {
        const int rows = (n + c - 1) / c;
        const double k =
            std::min((right - left - (c - 1) * gap) / (c * p.sheetLength),
                     (bottom - top - rows * (line + 4) - (rows - 1) * gap) / (rows * p.sheetWidth));
        if (k > scale) {
            scale = k;
            columns = c;
        }
    }
    if (!(scale > 0))
        return;
    const int cellWidth = Round(p.sheetLength * scale) + gap;
    const int cellHeight = line + 4 + Round(p.sheetWidth * scale) + gap;
    for (int i = 0; i < n; ++i) {
        const BuildCalc::Sheet& sheet = p.sheets[static_cast<std::size_t>(i)];
        const int x = left + (i % columns) * cellWidth;
        const int y = top + (i / columns) * cellHeight;
        s.TextOut(x, y,
                  Printf("Sheet %d of %d: %s × %s, waste %.0f %%", i + 1, n,
                         Length(p.sheetLength, units).c_str(), Length(p.sheetWidth, units).c_str(),
                         100 * BuildCalc::Waste(sheet, p.sheetLength, p.sheetWidth)));
        const View v{x, y + line + 4, scale};
        s.SelectPen(hatch);
        for (const BuildCalc::PlacedPart& o :
             BuildCalc::Offcuts(sheet, p.kerf, p.sheetLength, p.sheetWidth))
            Hatch(s, v.X(o.x), v.Y(o.y), v.X(o.x + o.length), v.Y(o.y + o.width));
        s.SelectPen(thin);
        for (const BuildCalc::PlacedPart& part : sheet.parts) {
            Rect(s, v.X(part.x), v.Y(part.y), v.X(part.x + part.length), v.Y(part.y + part.width));
            const std::string number = std::to_string(PanelNumber(p, part.name));
            const TextExtent e = s.MeasureText(number);
            if (e.right - e.left < part.length * scale && e.height < part.width * scale)
                CentredText(s, v.X(part.x + part.length / 2),
                            v.Y(part.y + part.width / 2) - e.height / 2, number);
        }
        s.SelectPen(solid);
        Rect(s, v.X(0), v.Y(0), v.X(p.sheetLength), v.Y(p.sheetWidth));
    }
}

} // namespace

std::string Length(double inches, UnitSystem units) {
    return units == UnitSystem::Metric ? Printf("%.1f mm", inches * kMmPerInch)
                                       : Printf("%.2f in", inches);
}

std::string Volume(double cubicFeet, UnitSystem units) {
    return units == UnitSystem::Metric ? Printf("%.2f L", cubicFeet * kLitresPerCubicFoot)
                                       : Printf("%.3f ft3", cubicFeet);
}

std::vector<std::string> Summary(const Plan& p, int drivers, int radiators, UnitSystem units) {
    const auto& d = p.displacement;
    std::vector<std::string> lines = {
        "Net " + Volume(p.netVolume, units) + ", gross " + Volume(p.grossVolume, units) +
            "; displaced: driver " + Volume(d.driver, units) + " (" + std::to_string(drivers) +
            "), ports " + Volume(d.ports, units) + ", radiators " + Volume(d.radiators, units) +
            " (" + std::to_string(radiators) + "), bracing " + Volume(d.bracing, units),
        "Inner " + Size(p.inner, units) + ", outer " + Size(p.outer, units) + " (W × H × D)",
        "Panels " + Length(p.thickness, units) +
            ": front and back cover the sides, top and "
            "bottom; the sides cover the top and bottom",
        "Wood " + Volume(p.woodVolume, units) + ", driver cut-out " + Length(p.cutout, units)};
    for (std::size_t i = 0; i < p.chambers.size(); ++i)
        lines.push_back("Chamber " + std::to_string(i + 1) + ": " + Size(p.chambers[i], units));
    for (const BuildCalc::Port& port : p.ports) {
        lines.push_back(
            "Port " + std::to_string(port.chamber) + ": " + std::to_string(port.count) + " × " +
            (p.portShape == BuildCalc::PortShape::Round
                 ? "Ø" + Length(port.diameter / std::sqrt(port.count), units)
                 : Length(p.slotWidth, units) + " × " + Length(p.slotHeight, units)) +
            ", " + Length(port.length, units) + " long (effective " +
            Length(port.effectiveLength, units) + ")" + (port.folded ? ", folded once" : "") +
            Printf(", pipe resonance %.0f Hz", port.resonance));
        if (port.resonanceNearTuning)
            lines.push_back(BuildCalc::ResonanceWarning(port));
    }
    return lines;
}

void Draw(DrawSurface& s, const Plan& p, int drivers, int radiators, UnitSystem units, int width,
          int height) {
    const PenHandle solid = s.CreatePen({PenStyle::Solid, 2, {0, 0, 0}});
    const PenHandle thin = s.CreatePen({PenStyle::Solid, 1, {0, 0, 0}});
    const PenHandle hidden = s.CreatePen({PenStyle::Dash, 1, {90, 90, 90}});
    const PenHandle hatch = s.CreatePen({PenStyle::Solid, 1, {150, 150, 150}});
    const FontHandle titleFont = s.CreateFont({"Arial", 18, 700});
    const FontHandle font = s.CreateFont({"Arial", 12, 400});
    const PenHandle oldPen = s.SelectPen(solid);
    const FontHandle oldFont = s.SelectFont(titleFont);

    const int margin = 40;
    s.TextOut(margin, 16, "Front and side views");
    s.SelectFont(font);
    const int line = std::max(14, s.MeasureText("Ag").height + 2);

    // The views take the upper part of the page, beside each other.
    const int top = 60;
    const int left = margin + 90;
    const int gap = 70;
    const int viewsBottom = height * (p.sheets.empty() ? 11 : 9) / 20;
    const double scale = std::min((width - left - margin - gap) / (p.outer.width + p.outer.depth),
                                  (viewsBottom - top - 40) / p.outer.height);
    const double t = p.thickness;
    const View front{left, top, scale};
    const View side{front.X(p.outer.width) + gap, top, scale};

    // Front: the baffle covers all; the inner faces are hidden.
    Rect(s, front.X(0), front.Y(0), front.X(p.outer.width), front.Y(p.outer.height));
    s.SelectPen(hidden);
    Rect(s, front.X(t), front.Y(t), front.X(p.outer.width - t), front.Y(p.outer.height - t));
    if (!p.chambers.empty()) {
        const double y = t + p.chambers[0].height;
        Rect(s, front.X(t), front.Y(y), front.X(p.outer.width - t), front.Y(y + t));
    }
    FrontParts(s, front, p, drivers, radiators, solid, hidden);

    // Side: the front and back panels' edges, the top and bottom hidden
    // behind the side, the ports' tubes inside.
    s.SelectPen(solid);
    Rect(s, side.X(0), side.Y(0), side.X(p.outer.depth), side.Y(p.outer.height));
    s.SelectPen(thin);
    for (const double x : {t, p.outer.depth - t}) {
        s.MoveTo(side.X(x), side.Y(0));
        s.LineTo(side.X(x), side.Y(p.outer.height));
    }
    s.SelectPen(hidden);
    for (const double y : {t, p.outer.height - t}) {
        s.MoveTo(side.X(t), side.Y(y));
        s.LineTo(side.X(p.outer.depth - t), side.Y(y));
    }
    if (!p.chambers.empty()) {
        const double y = t + p.chambers[0].height;
        Rect(s, side.X(t), side.Y(y), side.X(p.outer.depth - t), side.Y(y + t));
    }
    for (const BuildCalc::Port& port : p.ports) {
        const bool round = p.portShape == BuildCalc::PortShape::Round;
        const double high = round ? port.diameter / std::sqrt(port.count) : p.slotHeight;
        const double bottom = port.chamber == 1 && !p.chambers.empty() ? t + p.chambers[0].height
                                                                       : p.outer.height - t;
        const double y0 = bottom - high - 0.5;
        const double reach = std::min(port.length, p.outer.depth - t - high);
        Rect(s, side.X(0), side.Y(y0), side.X(reach), side.Y(y0 + high));
        if (port.folded) {
            // Once folded, the rest runs back above the first leg.
            const double rest = port.length - reach;
            Rect(s, side.X(reach - rest), side.Y(y0 - high - 0.5), side.X(reach), side.Y(y0 - 0.5));
        }
    }

    // Dimension lines.
    s.SelectPen(thin);
    const int under = front.Y(p.outer.height) + 16;
    HorizontalDimension(s, front.X(0), front.X(p.outer.width), under, Length(p.outer.width, units));
    HorizontalDimension(s, side.X(0), side.X(p.outer.depth), under, Length(p.outer.depth, units));
    VerticalDimension(s, front.X(0) - 12, front.Y(0), front.Y(p.outer.height),
                      Length(p.outer.height, units));

    // The numbers and the cut list.
    int y = std::max(under + 3 * line, viewsBottom);
    for (const std::string& text : Summary(p, drivers, radiators, units)) {
        s.TextOut(margin, y, text);
        y += line;
    }
    y += line / 2;
    s.SelectFont(titleFont);
    s.TextOut(margin, y, "Cut list");
    s.SelectFont(font);
    y += line + 8;
    const int columns[] = {margin, margin + 200, margin + 260, margin + 380, margin + 500};
    const char* heads[] = {"Panel", "Count", "Length", "Width", "Thickness"};
    for (int c = 0; c < 5; ++c)
        s.TextOut(columns[c], y, heads[c]);
    y += line;
    s.MoveTo(margin, y), s.LineTo(width - margin, y);
    y += 3;
    // With sheets, the panels are numbered as the layout marks them.
    int number = 0;
    for (const BuildCalc::Panel& panel : p.panels) {
        ++number;
        s.TextOut(columns[0], y,
                  p.sheets.empty() ? panel.name : std::to_string(number) + "  " + panel.name);
        s.TextOut(columns[1], y, std::to_string(panel.count));
        s.TextOut(columns[2], y, Length(panel.length, units));
        s.TextOut(columns[3], y, Length(panel.width, units));
        s.TextOut(columns[4], y, Length(panel.thickness, units));
        y += line;
    }
    y += 3;
    s.TextOut(margin, y,
              "Sheet area " + Area(p.sheetArea, units) + " with a kerf of " +
                  Length(p.kerf, units) + " on every part");
    if (!p.sheets.empty())
        DrawSheets(s, p, units, y + 2 * line, margin, width - margin, height - margin / 2, line,
                   solid, thin, hatch);

    s.SelectPen(oldPen);
    s.SelectFont(oldFont);
    s.DeletePen(solid);
    s.DeletePen(thin);
    s.DeletePen(hidden);
    s.DeletePen(hatch);
    s.DeleteFont(titleFont);
    s.DeleteFont(font);
}

void DrawPage(DrawSurface& surface, int pageWidth, int pageHeight, const Plan& plan, int drivers,
              int radiators, UnitSystem units) {
    const double k = std::min(double(pageWidth) / kPageWidth, double(pageHeight) / kPageHeight);
    surface.SetScaling(1000, 1000, static_cast<int>(k * 1000), static_cast<int>(k * 1000));
    Draw(surface, plan, drivers, radiators, units);
}

} // namespace orvane::BuildDrawing
