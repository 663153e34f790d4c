#include "platform/QtDrawSurface.h"

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QtTest>
#include <limits>

namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kGray = qRgb(128, 128, 128);

QImage Blank(int w = 200, int h = 200, QRgb fill = kWhite) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

QPen FlatPen(QColor color, int width, Qt::PenStyle style = Qt::SolidLine) {
    QPen pen(color);
    pen.setWidth(width);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    pen.setStyle(style);
    return pen;
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

// Draws a run through the surface: MoveTo the first point, LineTo the rest.
QImage ThroughSurface(const QPolygon& points, const PenSpec& pen, int size = 200) {
    QImage image = Blank(size, size);
    QPainter painter(&image);
    QtDrawSurface surface(painter);
    surface.SelectPen(surface.CreatePen(pen));
    surface.MoveTo(points[0].x(), points[0].y());
    for (qsizetype i = 1; i < points.size(); ++i)
        surface.LineTo(points[i].x(), points[i].y());
    return image;
}

} // namespace

class TestQtDrawSurface : public QObject {
    Q_OBJECT
private slots:
    // The batched polyline draws exactly what one QPainter polyline of the
    // same points draws (repeated points dropped on the way change nothing),
    // and horizontal and vertical segments filled as rectangles match Qt's
    // own flat-capped lines.
    void batchingKeepsThePixels_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("axisAligned");
        for (int w : {0, 1, 2, 3})
            for (bool axis : {false, true})
                QTest::addRow("width %d%s", w, axis ? " axis" : "") << w << axis;
    }
    void batchingKeepsThePixels() {
        QFETCH(int, width);
        QFETCH(bool, axisAligned);
        for (quint32 seed = 1; seed <= 30; ++seed) {
            QRandomGenerator rng(seed);
            QPolygon points;
            QPoint p(rng.bounded(-20, 220), rng.bounded(-20, 220));
            points << p;
            const int n = axisAligned ? 1 : 60;
            for (int i = 0; i < n; ++i) {
                if (axisAligned) {
                    const int len = rng.bounded(-150, 150);
                    p += rng.bounded(2) ? QPoint(len, 0) : QPoint(0, len);
                    if (p == points.last())
                        p += QPoint(1, 0);
                } else if (rng.bounded(4) != 0) {
                    p = QPoint(rng.bounded(-20, 220), rng.bounded(-20, 220));
                }
                points << p; // a repeat now and then, as the curve has
            }
            const QImage batched = ThroughSurface(points, {PenStyle::Solid, width, {0, 0, 255}});
            QImage reference = Blank();
            {
                QPainter painter(&reference);
                painter.setPen(FlatPen(QColor(0, 0, 255), width));
                if (axisAligned)
                    painter.drawLine(points[0], points[1]);
                else
                    painter.drawPolyline(points);
            }
            QVERIFY2(batched == reference, qPrintable(QString("seed %1").arg(seed)));
        }
    }

    // Unlike separate flat-capped QPainter lines, a run keeps the pixel at a
    // sharp turn, so a curve has no holes.
    void sharpTurnKeepsItsVertex() {
        const QImage image = ThroughSurface(QPolygon({{2, 2}, {10, 12}, {18, 3}}),
                                            {PenStyle::Solid, 1, {0, 0, 255}});
        QCOMPARE(image.pixel(10, 12), qRgb(0, 0, 255));
    }

    void penWidthCoversThatManyRows_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("firstRow");
        QTest::newRow("1") << 1 << 50;
        QTest::newRow("2 (0 dB line)") << 2 << 49;
        QTest::newRow("3 (frame)") << 3 << 49;
    }
    void penWidthCoversThatManyRows() {
        QFETCH(int, width);
        QFETCH(int, firstRow);
        const QImage image =
            ThroughSurface(QPolygon({{30, 50}, {170, 50}}), {PenStyle::Solid, width, {0, 0, 0}});
        QCOMPARE(Changed(image, kWhite), QRect(30, firstRow, 140, width));
    }

    void dashedPenLeavesGaps() {
        const QImage image =
            ThroughSurface(QPolygon({{0, 50}, {200, 50}}), {PenStyle::Dash, 1, {0, 128, 0}});
        int green = 0;
        for (int x = 0; x < 200; ++x)
            green += image.pixel(x, 50) == qRgb(0, 128, 0);
        QVERIFY(green > 100 && green < 190);
    }

    // Text goes where a GDI TextOut puts it: top-left corner at the point, on
    // an opaque white cell, in black whatever pen is selected.
    void textTopLeftOpaqueBlack() {
        QImage image = Blank(200, 100, kGray);
        {
            QPainter painter(&image);
            QtDrawSurface surface(painter);
            surface.SelectPen(surface.CreatePen({PenStyle::Solid, 1, {0, 0, 255}}));
            surface.SelectFont(surface.CreateFont({"Arial", 12, 400}));
            surface.TextOut(10, 20, "-10.0");
        }
        const QRect box = Changed(image, kGray);
        QCOMPARE(box.topLeft(), QPoint(10, 20));
        // Cell height 12 and Arial's widths (Liberation Sans at 11 px).
        QCOMPARE(box.height(), 12);
        QCOMPARE(box.width(), 25);
        QCOMPARE(image.pixel(box.left(), box.top()), kWhite);
        bool black = false; // antialiased, so dark rather than pure black
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                QVERIFY(c.red() == c.green() && c.green() == c.blue()); // no blue text
                black = black || c.red() < 64;
            }
        QVERIFY(black);
    }

    // Trailing blanks are painted too: they wipe a longer earlier text.
    void trailingBlanksWipe() {
        QImage image = Blank(400, 60, kGray);
        {
            QPainter painter(&image);
            QtDrawSurface surface(painter);
            surface.TextOut(10, 10, "Max SPL = 101dB at 19 Watts");
            surface.TextOut(10, 10, "Q" + std::string(80, ' '));
        }
        for (int y = 0; y < image.height(); ++y)
            for (int x = 30; x < image.width(); ++x)
                QVERIFY(image.pixel(x, y) == kWhite || image.pixel(x, y) == kGray);
    }

    void absurdCoordinatesAreClamped() {
        const int big = std::numeric_limits<int>::max();
        const int small = std::numeric_limits<int>::min();
        QImage image = Blank();
        {
            QPainter painter(&image);
            QtDrawSurface surface(painter);
            surface.SelectPen(surface.CreatePen({PenStyle::Solid, 1, {0, 0, 0}}));
            surface.MoveTo(10, 100);
            surface.LineTo(big, 100);
            surface.LineTo(big, small);
            surface.LineTo(small, small);
            surface.MoveTo(small, big);
            surface.LineTo(50, 60);
            surface.TextOut(big, small, "x");
            surface.TextOut(small, big, "x");
            surface.SetViewportOrigin(big, small);
            surface.SetScaling(10, 10, big, big);
            surface.LineTo(0, 0);
            surface.SetScaling(0, 0, 1, 1); // ignored
        }
        QCOMPARE(image.pixel(10, 100), qRgb(0, 0, 0));
        QCOMPARE(image.pixel(199, 100), qRgb(0, 0, 0));
    }

    // The printed page's mapping: one client unit is k/10 device pixels with
    // the client origin at the viewport origin; pens and the label font
    // scale with it, the surface's own font keeps its device size.
    void scalingMapping() {
        QImage image = Blank(600, 600);
        QFont own("Liberation Sans");
        own.setPixelSize(20);
        {
            QPainter painter(&image);
            painter.setFont(own);
            QtDrawSurface surface(painter);
            surface.SetScaling(10, 10, 60, 60);
            surface.SetViewportOrigin(0, 150);
            surface.SelectPen(surface.CreatePen({PenStyle::Solid, 1, {0, 0, 0}}));
            surface.MoveTo(0, 0);
            surface.LineTo(50, 0);
        }
        QCOMPARE(Changed(image, kWhite), QRect(0, 147, 300, 6));

        const auto textBox = [&](bool scaled, bool labelFont) {
            QImage img = Blank(600, 600, kGray);
            QPainter painter(&img);
            painter.setFont(own);
            {
                QtDrawSurface surface(painter);
                if (labelFont)
                    surface.SelectFont(surface.CreateFont({"Arial", 12, 400}));
                if (scaled)
                    surface.SetScaling(10, 10, 60, 60);
                surface.TextOut(1, 1, "8");
            }
            painter.end();
            return Changed(img, kGray);
        };
        const QRect ownPlain = textBox(false, false);
        const QRect ownScaled = textBox(true, false);
        const QRect labelScaled = textBox(true, true);
        QCOMPARE(ownPlain.topLeft(), QPoint(1, 1));
        QCOMPARE(ownScaled.topLeft(), QPoint(6, 6));
        QCOMPARE(labelScaled.topLeft(), QPoint(6, 6));
        QCOMPARE(ownScaled.size(), ownPlain.size());
        QVERIFY(labelScaled.height() >= 6 * 12);
    }

    void selectionAndPainterStateRestored() {
        QImage image = Blank();
        QPainter painter(&image);
        const QPen red(QColor(255, 0, 0));
        painter.setPen(red);
        QFont font("Liberation Serif");
        font.setPixelSize(17);
        painter.setFont(font);
        {
            QtDrawSurface surface(painter);
            const PenHandle blue = surface.CreatePen({PenStyle::Solid, 1, {0, 0, 255}});
            QCOMPARE(surface.SelectPen(blue), kOwnObject);
            QVERIFY(!surface.DeletePen(blue));      // selected
            QCOMPARE(surface.SelectPen(999), blue); // names nothing: no change
            QCOMPARE(surface.SelectPen(kOwnObject), blue);
            QVERIFY(surface.DeletePen(blue));
            QVERIFY(!surface.DeletePen(kOwnObject));
            surface.MoveTo(10, 10);
            surface.LineTo(100, 10);
            surface.SetScaling(10, 10, 20, 20);
            surface.SelectFont(surface.CreateFont({"Arial", 12, 400}));
            QCOMPARE(surface.DeviceSize().width, 200);
        }
        QCOMPARE(image.pixel(50, 10), qRgb(255, 0, 0)); // the caller's own pen
        QCOMPARE(painter.pen(), red);
        QCOMPARE(painter.font(), font);
        QVERIFY(painter.worldTransform().isIdentity());
        QCOMPARE(painter.backgroundMode(), Qt::TransparentMode);
    }
};

QTEST_MAIN(TestQtDrawSurface)
#include "test_qt_draw_surface.moc"
