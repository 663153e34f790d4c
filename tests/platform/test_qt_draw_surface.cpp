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
    // points draws, repeated points and axis-aligned segments included.
    void batchingKeepsThePixels_data() {
        QTest::addColumn<int>("width");
        for (int w : {1, 2, 3})
            QTest::addRow("width %d", w) << w;
    }
    void batchingKeepsThePixels() {
        QFETCH(int, width);
        for (quint32 seed = 1; seed <= 10; ++seed) {
            QRandomGenerator rng(seed);
            QPolygon points{{rng.bounded(-20, 220), rng.bounded(-20, 220)}};
            const bool lone = seed % 2 == 0; // a lone axis segment is filled as a rectangle
            for (int i = 0; i < (lone ? 1 : 60); ++i) {
                QPoint p = points.last();
                const int step = rng.bounded(-150, 150) | 1;
                switch (lone ? 1 + rng.bounded(2) : rng.bounded(4)) {
                case 0: // a repeat
                    break;
                case 1:
                    p.rx() += step;
                    break;
                case 2:
                    p.ry() += step;
                    break;
                default:
                    p = QPoint(rng.bounded(-20, 220), rng.bounded(-20, 220));
                }
                points << p;
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
    }

    // The 0 dB line is 2 px wide: exactly two rows, and a sharp turn keeps its
    // vertex so a curve has no holes.
    void penWidthCoversThatManyRows_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("firstRow");
        QTest::newRow("1") << 1 << 50;
        QTest::newRow("2") << 2 << 49;
    }
    void penWidthCoversThatManyRows() {
        QFETCH(int, width);
        QFETCH(int, firstRow);
        const PenSpec pen{PenStyle::Solid, width, {0, 0, 0}};
        QCOMPARE(Changed(ThroughSurface({{30, 50}, {170, 50}}, pen), kWhite),
                 QRect(30, firstRow, 140, width));
        QCOMPARE(ThroughSurface({{2, 2}, {10, 12}, {18, 3}}, pen).pixel(10, 12), qRgb(0, 0, 0));
    }

    // Text: top-left corner at the point, on an opaque white cell, in black
    // whatever pen is selected; its trailing blanks wipe a longer earlier text.
    void textOnOpaqueCell() {
        QImage image = Drawn(Blank(400, 60, kGray), [](QtDrawSurface& surface) {
            surface.SelectPen(surface.CreatePen({PenStyle::Solid, 1, {0, 0, 255}}));
            surface.SelectFont(surface.CreateFont({"Arial", 12, 400}));
            surface.TextOut(10, 20, "-10.0");
        });
        const QRect box = Changed(image, kGray);
        QCOMPARE(box, QRect(10, 20, 25, 12)); // Arial's widths, cell height 12
        QCOMPARE(image.pixel(box.topLeft()), kWhite);
        bool black = false; // antialiased, so dark rather than pure black
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                QVERIFY(c.red() == c.green() && c.green() == c.blue()); // no blue text
                black = black || c.red() < 64;
            }
        QVERIFY(black);

        image = Drawn(Blank(400, 60, kGray), [](QtDrawSurface& surface) {
            surface.TextOut(10, 10, "Max SPL = 101dB at 19 Watts");
            surface.TextOut(10, 10, "Q" + std::string(80, ' '));
        });
        for (int y = 0; y < image.height(); ++y)
            for (int x = 30; x < image.width(); ++x)
                QVERIFY(image.pixel(x, y) == kWhite || image.pixel(x, y) == kGray);
    }

    // A measured text's ink is where the text is drawn, and its line is the
    // cell height, at any pixel ratio.
    void measuredInkMatchesDrawn_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qreal>("ratio");
        for (qreal ratio : {1.0, 1.5})
            for (const char* text : {"-10.0", "10K"})
                QTest::addRow("%s at %g", text, ratio) << QString(text) << ratio;
    }
    void measuredInkMatchesDrawn() {
        QFETCH(QString, text);
        QFETCH(qreal, ratio);
        QImage image = Blank(int(120 * ratio), int(40 * ratio), kGray);
        image.setDevicePixelRatio(ratio);
        TextExtent extent;
        image = Drawn(image, [&](QtDrawSurface& surface) {
            surface.SelectFont(surface.CreateFont({"Arial", 12, 400}));
            extent = surface.MeasureText(text.toStdString());
            surface.TextOut(20, 10, text.toStdString());
        });
        QCOMPARE(extent.height, 12);
        // Dark pixels only, so the white cell and faint fringes do not count.
        int left = image.width(), right = -1;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qGray(image.pixel(x, y)) < 100) {
                    left = std::min(left, x);
                    right = std::max(right, x + 1);
                }
        QVERIFY(right > left);
        QVERIFY2(std::abs(left / ratio - (20 + extent.left)) <= 1 &&
                     std::abs(right / ratio - (20 + extent.right)) <= 1,
                 qPrintable(QString("ink %1..%2, measured %3..%4")
                                .arg(left / ratio)
                                .arg(right / ratio)
                                .arg(20 + extent.left)
                                .arg(20 + extent.right)));
    }

    void absurdCoordinatesAreClamped() {
        const int big = std::numeric_limits<int>::max();
        const int small = std::numeric_limits<int>::min();
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
        QCOMPARE(image.pixel(10, 100), qRgb(0, 0, 0));
        QCOMPARE(image.pixel(199, 100), qRgb(0, 0, 0));
    }
};

QTEST_MAIN(TestQtDrawSurface)
#include "test_qt_draw_surface.moc"
