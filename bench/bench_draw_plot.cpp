// SPDX-License-Identifier: GPL-3.0-or-later
// DrawPlot over the widest range the program allows, 20 to 20000 Hz, on a
// 1920 x 1080 image through the QPainter surface, beside a bare
// QPainter::drawPolyline of the same curve points (the floor any drawing of
// the curve has to pay) and the curve's computation alone.
#include "platform/QtDrawSurface.h"
#include "core/plot/DrawPlot.h"
#include "core/numeric/Saturate.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QtTest>
#include <cmath>

using namespace orvane;

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

SpeakerDesign Design(const QString& type) {
    SpeakerDesign d;
    d.m_fs = 30;
    d.m_qts = 0.4;
    d.m_vas = 3;
    d.m_v1 = type == "Bandpass4" ? 1.0 : type == "Sealed" ? 1.5 : type == "Vented" ? 2.0 : 1.0;
    d.m_v2 = type == "Bandpass6" ? 1.5 : 1.0;
    d.m_f1 = type == "Bandpass4" ? 60 : type == "Bandpass6" ? 40 : 0;
    d.m_f2 = type == "Bandpass6" ? 90 : 0;
    d.m_xmax = 0.25;
    d.m_coneDiameter = 10;
    d.m_efficiency = 88;
    d.m_freqLow = 20;
    d.m_freqHigh = 20000;
    d.m_boxType = type.toStdString();
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

void TypeRows() {
    QTest::addColumn<QString>("type");
    for (const char* t : {"Sealed", "Vented", "Bandpass4", "Bandpass6"})
        QTest::newRow(t) << QString(t);
}

} // namespace

class BenchDrawPlot : public QObject {
    Q_OBJECT
private slots:
    void drawPlot_data() { TypeRows(); }
    void drawPlot() {
        QFETCH(QString, type);
        QImage image(kWidth, kHeight, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        QBENCHMARK {
            SpeakerDesign d = Design(type);
            QtDrawSurface surface(painter);
            DrawPlot(surface, d, false, PlotScale{}, kWidth, kHeight);
        }
    }

    // The part of DrawPlot no drawing can avoid: the model at every hertz.
    void computeCurveOnly_data() { TypeRows(); }
    void computeCurveOnly() {
        QFETCH(QString, type);
        SpeakerDesign d = Design(type);
        ApplyAutomaticValues(d, false);
        const SealedAlignment alignment =
            d.Kind() == BoxKind::Sealed ? ComputeSealedAlignment(d) : SealedAlignment{};
        QBENCHMARK {
            QCOMPARE(ComputeCurve(d, alignment).size(), size_t(19980));
        }
    }

    void barePolyline_data() { TypeRows(); }
    void barePolyline() {
        QFETCH(QString, type);
        const QPolygon points = CurvePoints(Design(type), PlotScale{});
        QCOMPARE(points.size(), qsizetype(19980));
        QImage image(kWidth, kHeight, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        QPen pen(QColor(0, 0, 255));
        pen.setCapStyle(Qt::FlatCap);
        painter.setPen(pen);
        QBENCHMARK {
            painter.drawPolyline(points);
        }
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
