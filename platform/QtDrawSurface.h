// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/plot/DrawSurface.h"

#include <QColor>
#include <QFont>
#include <QPen>
#include <QPoint>
#include <QPolygon>
#include <QTransform>

class QPainter;

namespace orvane {

// The drawing surface over a QPainter: screen, image, printer, SVG and PDF.
// Lines are aliased with flat caps and mitred joins, so a pen of width w
// covers exactly w pixel rows; text is drawn like a GDI TextOut (top-left at
// the point, opaque white background, black); a font's height is its cell
// height. Consecutive LineTo calls are drawn as one polyline, which keeps the
// pixel at every turn as a run of Windows LineTo calls does. Coordinates are clamped to +-1e6
// before they reach Qt, so absurd values from a design file cannot upset the rasteriser.
//
// On a device with a pixel ratio other than 1 (a backing image of a scaled
// screen) the surface still takes logical units, but puts every point on a
// whole device pixel itself: a pen of width 1 is one device pixel wide
// everywhere, wider pens are their width times the ratio, rounded, and text
// is drawn at the device's full resolution.
class QtDrawSurface : public DrawSurface {
public:
    // The painter's pen and font at this moment become the surface's own; its
    // state is restored when the surface goes away. The painter must outlive
    // the surface.
    explicit QtDrawSurface(QPainter& painter);
    ~QtDrawSurface() override;
    QtDrawSurface(const QtDrawSurface&) = delete;
    QtDrawSurface& operator=(const QtDrawSurface&) = delete;

    // Draws the pending polyline; any other operation does this first.
    void Flush();

    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void TextOut(int x, int y, std::string_view text) override;
    TextExtent MeasureText(std::string_view text) const override;
    double DisplayScale() const override { return m_ratio; }

    DeviceExtent DeviceSize() const override;
    void SetScaling(int windowExtX, int windowExtY, int viewportExtX, int viewportExtY) override;
    void SetViewportOrigin(int x, int y) override;

    static constexpr int kCoordinateLimit = 1000000;

protected:
    void ApplyPen(const PenSpec* pen) override;
    void ApplyFont(const FontSpec* font) override;

private:
    bool FillAxisLine(QPoint a, QPoint b);
    void UpdateTransform();
    QTransform Mapping() const;
    // Where a logical point goes: unchanged, or onto its device pixel.
    QPoint Place(int x, int y) const;
    // The surface's own font under a scaling mapping keeps its device size.
    bool DeviceSizedFont() const;

    QPainter& m_painter;
    QTransform m_baseTransform;
    QPen m_ownPen;
    QFont m_ownFont;
    bool m_ownFontSelected = true;
    Qt::PenStyle m_penStyle = Qt::CustomDashLine;
    int m_penWidth = 1;
    QColor m_penColor;
    QPoint m_current;
    QPolygon m_run;
    double m_scaleX = 1;
    double m_scaleY = 1;
    QPoint m_origin;
    // Device pixels per logical unit; when not 1, points are placed on
    // device pixels by Place() and the painter draws in device pixels.
    qreal m_ratio = 1;
};

} // namespace orvane
