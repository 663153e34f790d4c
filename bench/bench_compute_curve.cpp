// SPDX-License-Identifier: GPL-3.0-or-later
// ComputeCurve over the widest range the program allows, 20 to 20000 Hz
// (19980 points), for each box type, in a process that never painted: the
// bare curve maths. bench_draw_plot measures it again right after painting.
#include "bench/BenchTiming.h"
#include "core/model/ResponseModel.h"
#include "tests/support/ReferenceDesigns.h"

#include <QtTest>

using namespace orvane;

class BenchComputeCurve : public QObject {
    Q_OBJECT
private slots:
    void computeCurve_data() {
        QTest::addColumn<int>("kind");
        for (const BoxKind kind :
             {BoxKind::Sealed, BoxKind::Vented, BoxKind::Bandpass4, BoxKind::Bandpass6})
            QTest::newRow(BoxType::Name(kind).data()) << int(kind);
    }
    void computeCurve() {
        QFETCH(int, kind);
        SpeakerDesign d = ReferenceDesign(BoxKind(kind));
        d.m_freqLow = 20;
        d.m_freqHigh = 20000;
        ApplyAutomaticValues(d, false);
        const SealedAlignment alignment = ComputeSealedAlignment(d);
        std::size_t points = 0;
        const bench::Timing t =
            bench::Measure(101, [&] { points = ComputeCurve(d, alignment).size(); });
        bench::Report("computeCurve cold", QTest::currentDataTag(), t);
        QCOMPARE(points, std::size_t(19980));
    }
};

QTEST_APPLESS_MAIN(BenchComputeCurve)
#include "bench_compute_curve.moc"
