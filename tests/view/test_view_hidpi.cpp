// SPDX-License-Identifier: GPL-3.0-or-later
// The design view on a screen scaled by 1.5: the backing image holds device
// pixels, and lines are whole device pixels wide, one for the thin pens.
#include "tests/support/ViewHost.h"

#include <QApplication>

using namespace orvane;

namespace {

constexpr qreal kRatio = 1.5;

// The lengths of the runs of pixels of colour `rgb` along a row or a column.
QList<int> Runs(const QImage& image, bool row, int at, QRgb rgb, int from, int to) {
    QList<int> runs{0};
    for (int i = from; i < to; ++i) {
        if (((row ? image.pixel(i, at) : image.pixel(at, i)) & 0xffffff) == (rgb & 0xffffff))
            ++runs.back();
        else if (runs.back() > 0)
            runs << 0;
    }
    runs.removeAll(0);
    return runs;
}

} // namespace

class TestViewHiDpi : public QObject {
    Q_OBJECT
private slots:
    // The backing image holds device pixels. Across the graph every green
    // grid line is one device pixel wide, the 0 dB line three and the frame
    // five (2 and 3 units, times 1.5, rounded).
    void linesWholeDevicePixels() {
        ViewHost host([](SpeakerDesign& d) {
            d = ReferenceDriver();
            d.m_boxType = "odd"; // the grid alone
        });
        const QImage& image = host.view->BackingImage();
        QVERIFY(host.view->devicePixelRatioF() == kRatio && image.devicePixelRatio() == kRatio);
        QCOMPARE(image.size(), QSize(1200, 900));
        const QRgb green = qRgb(0, 128, 0), black = qRgb(0, 0, 0);
        // A row through the graph, below the 0 dB line: the 17 vertical lines
        // from 30 Hz to 1 kHz; the left frame line has the 20 Hz line down its middle.
        QCOMPARE(Runs(image, true, 625, green, 60, 1140), QList<int>(17, 1));
        QCOMPARE(Runs(image, true, 625, black, 0, 1200), (QList<int>{2, 2, 5}));
        // A column between two vertical lines: the level lines (the dashed
        // -3 dB one may show a gap here), the 0 dB line, then the bottom
        // frame line with the -10 dB line in it.
        const QList<int> level = Runs(image, false, 900, green, 90, 900);
        QVERIFY(level.size() >= 14 && level.count(1) == level.size());
        QCOMPARE(Runs(image, false, 900, black, 90, 900), (QList<int>{3, 2, 2}));
    }

    // The curve is one device pixel thick: where it runs nearly level, each
    // device column holds one blue pixel.
    void curveOneDevicePixel() {
        ViewHost host([](SpeakerDesign& d) {
            d = ReferenceDriver();
            d.m_v1 = 1.5;
        });
        const QImage& image = host.view->BackingImage();
        for (int x = 750; x < 1100; ++x) { // about 300 Hz to 1.5 kHz
            QList<int> blue = Runs(image, false, x, qRgb(0, 0, 255), 90, image.height());
            QVERIFY2(blue == QList<int>{1}, qPrintable(QString("column %1").arg(x)));
        }
    }
};

int main(int argc, char** argv) {
    qputenv("QT_SCALE_FACTOR", QByteArray::number(kRatio));
    QApplication app(argc, argv);
    TestViewHiDpi test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_view_hidpi.moc"
