// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/QtDrawSurface.h"

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QtTest>

#include <limits>

using namespace orvane;

namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kGray = qRgb(128, 128, 128);

QImage Blank(int w = 200, int h = 200, QRgb fill = kWhite) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

// Bounding box of the pixels that differ from the background.
QRect Changed(const QImage& image, QRgb background) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != background)
                box |= QRect(x, y, 1, 1);
    return box;
}

// What draw does on a surface over image.
template <typename Draw> QImage Drawn(QImage image, Draw draw) {
    QPainter painter(&image);
    QtDrawSurface surface(painter);
    draw(surface);
    return image;
}

// MoveTo the first point, LineTo the rest.
QImage ThroughSurface(const QPolygon& points, const PenSpec& pen) {
    return Drawn(Blank(), [&](QtDrawSurface& surface) {
        surface.SelectPen(surface.CreatePen(pen));
        surface.MoveTo(points[0].x(), points[0].y());
        for (qsizetype i = 1; i < points.size(); ++i)
            surface.LineTo(points[i].x(), points[i].y());
    });
}

} // namespace

class TestQtDrawSurface : public QObject {
    Q_OBJECT
private slots:
    // The batched run draws what one flat-capped QPainter polyline of the same
    // points draws, repeated points and axis-aligned segments included (a
    // lone axis segment is filled as a rectangle); the 2-wide 0 dB line
    // covers exactly two rows.
    void batchingKeepsThePixels() {
        for (quint32 seed = 1; seed <= 30; ++seed) {
            QRandomGenerator rng(seed);
            const int width = 1 + int(seed % 3);
            const bool lone = seed % 2 == 0;
            QPolygon points{{rng.bounded(-20, 220), rng.bounded(-20, 220)}};
            for (int i = 0; i < (lone ? 1 : 60); ++i) {
                QPoint p = points.last();
                const int step = rng.bounded(-150, 150) | 1,
                          kind = lone ? 1 + rng.bounded(2) : rng.bounded(4);
                if (kind == 1 || kind == 2)
                    (kind == 1 ? p.rx() : p.ry()) += step;
                else if (kind == 3)
                    p = QPoint(rng.bounded(-20, 220), rng.bounded(-20, 220));
                points << p; // kind 0: a repeat
            }
            QImage reference = Blank();
            QPainter painter(&reference);
            painter.setPen(
                QPen(QColor(0, 0, 255), width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
            painter.drawPolyline(points);
            painter.end();
            QVERIFY2(ThroughSurface(points, {PenStyle::Solid, width, {0, 0, 255}}) == reference,
                     qPrintable(QString("seed %1").arg(seed)));
        }
        QCOMPARE(
            Changed(ThroughSurface({{30, 50}, {170, 50}}, {PenStyle::Solid, 2, {0, 0, 0}}), kWhite),
            QRect(30, 49, 140, 2));
    }

    // Text: top-left corner at the point, on an opaque white cell, in black
    // whatever pen is selected; its trailing blanks wipe a longer earlier
    // text. A measured text's ink is where it is drawn, and its line is the
    // cell height, at any pixel ratio.
    void text() {
        for (const qreal ratio : {1.0, 1.5}) {
            QImage image = Blank(int(400 * ratio), int(60 * ratio), kGray);
            image.setDevicePixelRatio(ratio);
            TextExtent extent;
            image = Drawn(image, [&](QtDrawSurface& surface) {
                surface.SelectPen(surface.CreatePen({PenStyle::Solid, 1, {0, 0, 255}}));
                surface.SelectFont(surface.CreateFont({"Arial", 12, 400}));
                extent = surface.MeasureText("-10.0K");
                surface.TextOut(200, 30, "Max SPL = 101dB at 19 Watts");
                surface.TextOut(200, 30, "Q" + std::string(80, ' '));
                surface.TextOut(10, 20, "-10.0K");
            });
            QCOMPARE(extent.height, 12);
            const QRect box = Changed(image.copy(0, 0, int(150 * ratio), image.height()), kGray);
            QCOMPARE(box.topLeft(), QPoint(10, 20) * ratio);
            QVERIFY(std::abs(box.height() - 12 * ratio) <= 1);
            QCOMPARE(image.pixel(box.topLeft()), kWhite);
            int left = image.width(), right = -1; // dark pixels only: no cell, no fringes
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) {
                    const QColor c = image.pixelColor(x, y);
                    QVERIFY(c.red() == c.green() && c.green() == c.blue()); // no blue text
                    if (c.red() < 100 && x < 150 * ratio)
                        left = std::min(left, x), right = std::max(right, x + 1);
                    // At 1.5 the blank cell leaves a faint row of the earlier text.
                    QVERIFY(ratio != 1 || x < 220 || c == kWhite || c == kGray);
                }
            QVERIFY(std::abs(left / ratio - (10 + extent.left)) <= 1 &&
                    std::abs(right / ratio - (10 + extent.right)) <= 1);
        }
    }

    void absurdCoordinatesAreClamped() {
        const int big = std::numeric_limits<int>::max(), small = std::numeric_limits<int>::min();
        const QImage image = Drawn(Blank(), [=](QtDrawSurface& surface) {
            surface.SelectPen(surface.CreatePen({PenStyle::Solid, 1, {0, 0, 0}}));
            surface.MoveTo(10, 100);
            surface.LineTo(big, 100);
            surface.LineTo(big, small);
            surface.MoveTo(small, big);
            surface.LineTo(50, 60);
            surface.TextOut(big, small, "x");
            surface.SetViewportOrigin(big, small);
            surface.SetScaling(10, 10, big, big);
            surface.LineTo(0, 0);
            surface.SetScaling(0, 0, 1, 1); // ignored
        });
        QVERIFY(image.pixel(10, 100) == qRgb(0, 0, 0) && image.pixel(199, 100) == qRgb(0, 0, 0));
    }
};

QTEST_MAIN(TestQtDrawSurface)
#include "test_qt_draw_surface.moc"
