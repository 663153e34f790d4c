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
};

} // namespace orvane
