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
    QList<int> runs;
    int run = 0;
    for (int i = from; i < to; ++i) {
        const QRgb pixel = (row ? image.pixel(i, at) : image.pixel(at, i)) & 0xffffff;
        if (pixel == (rgb & 0xffffff)) {
            ++run;
        } else if (run > 0) {
            runs << run;
            run = 0;
        }
    }
    if (run > 0)
        runs << run;
    return runs;
}

QList<int> Distinct(QList<int> values) {
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    return values;
}

} // namespace

class TestViewHiDpi : public QObject {
    Q_OBJECT
private slots:
    void backingImageInDevicePixels() {
        ViewHost host(Starting(ReferenceDesign(BoxKind::Vented)));
        QCOMPARE(host.view->devicePixelRatioF(), kRatio);
        const QImage& image = host.view->BackingImage();
        QCOMPARE(image.devicePixelRatio(), kRatio);
        QCOMPARE(image.size(), QSize(1200, 900));
    }

    // Across the graph every green grid line is one device pixel wide, the
    // 0 dB line three and the frame five (2 and 3 units, times 1.5, rounded).
    void linesWholeDevicePixels() {
        ViewHost host([](SpeakerDesign& d) {
            d = ReferenceDriver();
            d.m_boxType = "odd"; // the grid alone
        });
        const QImage& image = host.view->BackingImage();
        const QRgb green = qRgb(0, 128, 0), black = qRgb(0, 0, 0);
        // A row through the graph, below the 0 dB line: the vertical lines.
        const int row = 625;
        QCOMPARE(Distinct(Runs(image, true, row, green, 60, 1140)), QList<int>{1});
        QCOMPARE(Runs(image, true, row, green, 60, 1140).size(), 17); // 30 Hz to 1 kHz
        // The left frame line has the 20 Hz line down its middle.
        QCOMPARE(Runs(image, true, row, black, 0, 1200), (QList<int>{2, 2, 5}));
        // A column between two vertical lines: the level lines.
        const int column = 900;
        const QList<int> level = Runs(image, false, column, green, 90, 900);
        QCOMPARE(Distinct(level), QList<int>{1});
        QVERIFY(level.size() >= 14); // the dashed -3 dB line may show a gap here
        // The 0 dB line, then the bottom frame line with the -10 dB line in it.
        QCOMPARE(Runs(image, false, column, black, 90, 900), (QList<int>{3, 2, 2}));
    }

    // The curve is one device pixel thick: where it runs nearly level, each
    // device column holds one blue pixel.
    void curveOneDevicePixel() {
        ViewHost host([](SpeakerDesign& d) {
            d = ReferenceDriver();
            d.m_v1 = 1.5;
        });
        const QImage& image = host.view->BackingImage();
        int columns = 0;
        for (int x = 750; x < 1100; ++x) { // about 300 Hz to 1.5 kHz
            int blue = 0;
            for (int y = 90; y < image.height(); ++y)
                blue += (image.pixel(x, y) & 0xffffff) == 0x0000ff;
            QVERIFY2(blue == 1, qPrintable(QString("column %1: %2").arg(x).arg(blue)));
            ++columns;
        }
        QCOMPARE(columns, 350);
    }
};

int main(int argc, char** argv) {
    qputenv("QT_SCALE_FACTOR", QByteArray::number(kRatio));
    QApplication app(argc, argv);
    TestViewHiDpi test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_view_hidpi.moc"
