// SPDX-License-Identifier: GPL-3.0-or-later
// DrawPlot over the widest range the program allows, 20 to 20000 Hz, on a
// 1920 x 1080 image through the QPainter surface, for each box type; beside
// it the floors any drawing of the curve pays: a bare
// QPainter::drawPolyline of the same points, and the curve maths. Each is
// measured back to back ("repeated") and right after Qt has painted
// ("afterPaint": a fill and a polyline before every run), because painting
// can leave the processor in a state that slows the scalar maths after it.
#include "bench/BenchTiming.h"
#include "core/numeric/Saturate.h"
#include "core/plot/DrawPlot.h"
#include "platform/QtDrawSurface.h"
#include "tests/support/ReferenceDesigns.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QtTest>
#include <cmath>

using namespace orvane;

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kRuns = 61;

SpeakerDesign Design(BoxKind kind) {
    SpeakerDesign d = WithOutputFigures(ReferenceDesign(kind));
    d.m_freqLow = 20;
    d.m_freqHigh = 20000;
    return d;
}

// The curve's points in client pixels, mapped as the plot maps them.
QPolygon CurvePoints(SpeakerDesign d, const PlotScale& scale) {
    ApplyAutomaticValues(d, false);
    const ResponseCurve curve = ComputeCurve(d, ComputeSealedAlignment(d));
    const double pxPerDb = (kHeight - 90) / scale.span;
    const double pxPerDecade = (kWidth - 60) / (std::log10(d.m_freqHigh) - std::log10(d.m_freqLow));
    QPolygon points;
    points.reserve(qsizetype(curve.size()));
    for (const CurvePoint& p : curve) {
        const int x = TruncToInt32((std::log10(double(p.frequency)) - std::log10(d.m_freqLow)) *
                                   pxPerDecade) +
                      30;
        const int y = kHeight - TruncToInt32((p.level - scale.bottom) * pxPerDb) - 30;
        points << QPoint(x, y);
    }
    return points;
}

// Rows: each type, back to back and right after painting.
void Rows() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("afterPaint");
    for (const BoxKind kind :
         {BoxKind::Sealed, BoxKind::Vented, BoxKind::Bandpass4, BoxKind::Bandpass6}) {
        for (const bool afterPaint : {false, true}) {
            QTest::addRow("%s %s", BoxType::Name(kind).data(),
                          afterPaint ? "afterPaint" : "repeated")
                << int(kind) << afterPaint;
        }
    }
}

// What Qt does between two plots: fill the image, stroke a polyline.
class Painter {
public:
    Painter() : m_image(kWidth, kHeight, QImage::Format_RGB32) {
        for (int i = 0; i < 2000; ++i)
            m_zigzag << QPoint(30 + i % 1800, 60 + (i * 37) % 900);
    }
    void Paint() {
        m_image.fill(Qt::white);
        QPainter painter(&m_image);
        painter.setPen(QColor(0, 0, 255));
        painter.drawPolyline(m_zigzag);
    }

private:
    QImage m_image;
    QPolygon m_zigzag;
};

} // namespace

class BenchDrawPlot : public QObject {
    Q_OBJECT
    Painter m_painter;

    template <typename Run> void Time(const char* name, bool afterPaint, Run run) {
        const bench::Timing t = afterPaint ? bench::Measure(
                                                 kRuns, [&] { m_painter.Paint(); }, run)
                                           : bench::Measure(kRuns, run);
        bench::Report(name, QTest::currentDataTag(), t);
    }

private slots:
    void drawPlot_data() { Rows(); }
    void drawPlot() {
        QFETCH(int, kind);
        QFETCH(bool, afterPaint);
        QImage image(kWidth, kHeight, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        Time("drawPlot", afterPaint, [&] {
            SpeakerDesign d = Design(BoxKind(kind));
            QtDrawSurface surface(painter);
            DrawPlot(surface, d, false, PlotScale{}, kWidth, kHeight);
        });
    }

    // The part of DrawPlot no drawing can avoid: the model at every hertz.
    void computeCurve_data() { Rows(); }
    void computeCurve() {
        QFETCH(int, kind);
        QFETCH(bool, afterPaint);
        SpeakerDesign d = Design(BoxKind(kind));
        ApplyAutomaticValues(d, false);
        const SealedAlignment alignment = ComputeSealedAlignment(d);
        size_t points = 0;
        Time("computeCurve", afterPaint, [&] { points = ComputeCurve(d, alignment).size(); });
        QCOMPARE(points, size_t(19980));
    }

    // The part no plot of these points can avoid: stroking them.
    void barePolyline_data() { Rows(); }
    void barePolyline() {
        QFETCH(int, kind);
        QFETCH(bool, afterPaint);
        const QPolygon points = CurvePoints(Design(BoxKind(kind)), PlotScale{});
        QCOMPARE(points.size(), qsizetype(19980));
        QImage image(kWidth, kHeight, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        QPen pen(QColor(0, 0, 255));
        pen.setCapStyle(Qt::FlatCap);
        painter.setPen(pen);
        Time("barePolyline", afterPaint, [&] { painter.drawPolyline(points); });
    }
};

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    BenchDrawPlot bench;
    return QTest::qExec(&bench, argc, argv);
}

#include "bench_draw_plot.moc"
