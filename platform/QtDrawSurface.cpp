// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/QtDrawSurface.h"

#include <QFontMetrics>
#include <QHash>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <algorithm>
#include <cmath>

namespace orvane {

namespace {

QPoint Clamped(int x, int y) {
    constexpr int lim = QtDrawSurface::kCoordinateLimit;
    return {std::clamp(x, -lim, lim), std::clamp(y, -lim, lim)};
}

// Where a text's ink starts and ends: the glyphs' unhinted outlines, true
// to a fraction of a pixel. Outlines are slow to build and every drawing
// measures the same few labels again, so the answers are kept.
QRectF InkBounds(const QFont& font, const QString& text) {
    static QHash<QString, QRectF> known;
    constexpr qsizetype kMaxKnown = 4096;
    const QString key = font.key() + QLatin1Char('\n') + text;
    if (const auto found = known.constFind(key); found != known.constEnd())
        return *found;
    QPainterPath outline;
    outline.addText(0, 0, font, text);
    if (known.size() >= kMaxKnown)
        known.clear();
    return *known.insert(key, outline.boundingRect());
}

} // namespace

QtDrawSurface::QtDrawSurface(QPainter& painter) : m_painter(painter) {
    m_painter.save();
    m_baseTransform = m_painter.worldTransform();
    m_ownPen = m_painter.pen();
    m_ownFont = m_painter.font();
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.setBackgroundMode(Qt::OpaqueMode);
    m_painter.setBackground(Qt::white);
    m_painter.setBrush(Qt::NoBrush);
    if (const QPaintDevice* device = m_painter.device())
        m_ratio = device->devicePixelRatio();
    if (m_ratio != 1)
        UpdateTransform();
}

QtDrawSurface::~QtDrawSurface() {
    Flush();
    m_painter.restore();
}

void QtDrawSurface::Flush() {
    if (m_run.size() == 2 && FillAxisLine(m_run[0], m_run[1])) {
        m_run.clear();
        return;
    }
    if (m_run.size() >= 2)
        m_painter.drawPolyline(m_run);
    m_run.clear();
}

// The grid is all horizontal and vertical solid lines; filling their pixels
// as a rectangle is many times faster than stroking and covers exactly what
// QPainter's flat-capped line covers: [min, max) along the line, and
// width rows centred like Qt's (w / 2 before the line, the rest from it).
bool QtDrawSurface::FillAxisLine(QPoint a, QPoint b) {
    // Only pixels are at stake: vector output (SVG, PDF, printers) keeps lines.
    const QPaintEngine* engine = m_painter.paintEngine();
    if (m_penStyle != Qt::SolidLine || engine == nullptr ||
        engine->type() != QPaintEngine::Raster || !m_painter.deviceTransform().isIdentity())
        return false;
    const int w = std::max(m_penWidth, 1);
    if (a.y() == b.y()) {
        const int x0 = std::min(a.x(), b.x());
        m_painter.fillRect(QRect(x0, a.y() - w / 2, std::abs(b.x() - a.x()), w), m_penColor);
        return true;
    }
    if (a.x() == b.x()) {
        const int y0 = std::min(a.y(), b.y());
        m_painter.fillRect(QRect(a.x() - w / 2, y0, w, std::abs(b.y() - a.y())), m_penColor);
        return true;
    }
    return false;
}

QPoint QtDrawSurface::Place(int x, int y) const {
    const QPoint clamped = Clamped(x, y);
    if (m_ratio == 1)
        return clamped;
    // The device pixel whose top-left corner is nearest below-right of the
    // point's, so every line lands on whole pixels the same way.
    const QPointF device = (Mapping() * m_baseTransform).map(QPointF(clamped)) * m_ratio;
    constexpr double lim = 16.0 * QtDrawSurface::kCoordinateLimit;
    // The nudge keeps a product that rounding left just below a whole number
    // (a ratio like 1.1) on that number.
    return {static_cast<int>(std::clamp(std::floor(device.x() + 1e-9), -lim, lim)),
            static_cast<int>(std::clamp(std::floor(device.y() + 1e-9), -lim, lim))};
}

bool QtDrawSurface::DeviceSizedFont() const {
    return m_ownFontSelected && !Mapping().isIdentity();
}

void QtDrawSurface::MoveTo(int x, int y) {
    Flush();
    m_current = Place(x, y);
}

void QtDrawSurface::LineTo(int x, int y) {
    const QPoint p = Place(x, y);
    if (m_run.isEmpty())
        m_run.append(m_current);
    // A zero-length step adds no pixels; the curve repeats points a lot where
    // several hertz share one column.
    if (p != m_run.constLast())
        m_run.append(p);
    m_current = p;
}

void QtDrawSurface::TextOut(int x, int y, std::string_view text) {
    Flush();
    const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    QPointF at = Clamped(x, y);
    // The surface's own font is sized for the device: under a scaling mapping
    // it keeps its device size, as a printer's stock font does, so only the
    // position is mapped.
    const bool deviceSized = DeviceSizedFont();
    if (m_ratio != 1) {
        // At the point's device pixel, in the painter's own units, so the
        // glyphs are rasterised at the device's resolution.
        const qreal sx = deviceSized ? 1 : m_scaleX;
        const qreal sy = deviceSized ? 1 : m_scaleY;
        if (sx == 0 || sy == 0)
            return; // a mapping that squeezes everything to nothing
        const QPointF device(Place(x, y));
        m_painter.setWorldTransform(QTransform::fromScale(sx, sy));
        at = QPointF(device.x() / m_ratio / sx, device.y() / m_ratio / sy);
    } else if (deviceSized) {
        at = Mapping().map(at);
        m_painter.setWorldTransform(m_baseTransform);
    }
    const QPen linePen = m_painter.pen();
    m_painter.setPen(QPen(Qt::black));
    const QFontMetricsF metrics(m_painter.font(), m_painter.device());
    m_painter.drawText(QPointF(at.x(), at.y() + metrics.ascent()), s);
    m_painter.setPen(linePen);
    if (deviceSized || m_ratio != 1)
        UpdateTransform();
}

TextExtent QtDrawSurface::MeasureText(std::string_view text) const {
    const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const QFont& font = m_painter.font();
    const QRectF ink = InkBounds(font, s);
    const QFontMetricsF metrics(font, m_painter.device());
    double fx = 1;
    double fy = 1;
    if (DeviceSizedFont() && m_scaleX != 0 && m_scaleY != 0) {
        fx = 1 / m_scaleX;
        fy = 1 / m_scaleY;
    }
    return {ink.left() * fx, ink.right() * fx,
            static_cast<int>(std::lround(std::min(metrics.height() * fy, 1e9)))};
}

DeviceExtent QtDrawSurface::DeviceSize() const {
    const QPaintDevice* device = m_painter.device();
    if (device == nullptr)
        return {};
    return {device->width(), device->height()};
}

void QtDrawSurface::SetScaling(int windowExtX, int windowExtY, int viewportExtX, int viewportExtY) {
    if (windowExtX == 0 || windowExtY == 0)
        return; // no mapping has a zero window extent; keep the current one
    Flush();
    m_scaleX = static_cast<double>(viewportExtX) / windowExtX;
    m_scaleY = static_cast<double>(viewportExtY) / windowExtY;
    UpdateTransform();
}

void QtDrawSurface::SetViewportOrigin(int x, int y) {
    Flush();
    m_origin = Clamped(x, y);
    UpdateTransform();
}

QTransform QtDrawSurface::Mapping() const {
    return QTransform(m_scaleX, 0, 0, m_scaleY, m_origin.x(), m_origin.y());
}

void QtDrawSurface::UpdateTransform() {
    if (m_ratio != 1) {
        // Place() has mapped the points already, onto device pixels.
        m_painter.setWorldTransform(QTransform::fromScale(1 / m_ratio, 1 / m_ratio));
        return;
    }
    m_painter.setWorldTransform(Mapping() * m_baseTransform);
}

void QtDrawSurface::ApplyPen(const PenSpec* desc) {
    Flush();
    if (desc == nullptr) {
        m_painter.setPen(m_ownPen);
        m_penStyle = Qt::CustomDashLine; // the caller's pen: always stroked by Qt
        return;
    }
    QPen pen(QColor(desc->color.red, desc->color.green, desc->color.blue));
    int width = std::max(desc->width, 0);
    if (m_ratio != 1) {
        // In device pixels: a thin line stays one pixel, a wide one scales.
        width = width <= 1 ? 1 : static_cast<int>(std::lround(std::min(width * m_ratio, 1e6)));
    }
    pen.setWidth(width);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    if (desc->style == PenStyle::Dash) {
        // Long dashes, short gaps, as on classic screens; the pattern counts
        // in pen widths and keeps its logical length at any pixel ratio.
        const qreal unit = m_ratio == 1 ? 1 : m_ratio / std::max(width, 1);
        pen.setDashPattern({18 * unit, 6 * unit});
    }
    m_painter.setPen(pen);
    m_penStyle = pen.style();
    m_penWidth = pen.width();
    m_penColor = pen.color();
}

void QtDrawSurface::ApplyFont(const FontSpec* desc) {
    Flush();
    m_ownFontSelected = desc == nullptr;
    if (desc == nullptr) {
        m_painter.setFont(m_ownFont);
        return;
    }
    QFont font(QString::fromStdString(desc->family));
    // Qt substitutes a metric-compatible face (Liberation Sans for Arial,
    // from fonts-liberation); where another face stands in, the plot measures
    // its ink and leaves out the labels that would collide.
    font.setStyleHint(QFont::SansSerif);
    // The height is the character cell, ascent plus descent, as a Windows
    // font height is: the largest pixel size whose cell fits. For Arial's 12
    // that is 11, which gives the labels Arial's widths, so "-10.0" ends at
    // the frame instead of cutting into it.
    const int cell = std::max(desc->cellHeight, 1);
    int pixelSize = cell;
    font.setPixelSize(pixelSize);
    while (pixelSize > 1 && QFontMetrics(font).height() > cell)
        font.setPixelSize(--pixelSize);
    font.setWeight(static_cast<QFont::Weight>(std::clamp(desc->weight, 1, 1000)));
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    m_painter.setFont(font);
}

} // namespace orvane
