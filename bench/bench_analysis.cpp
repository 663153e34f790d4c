// SPDX-License-Identifier: GPL-3.0-or-later
// Every quantity of the analysis over 20 000 points (20 to 20 019 Hz) for each
// box type, from the design to the last curve, with Re, Le, Pe and ports given
// so that nothing is skipped. The design window recomputes its graph on every
// repaint; orvane-cli analyze computes them all.
#include "bench/BenchTiming.h"
#include "core/model/Analysis.h"
#include "tests/support/ReferenceDesigns.h"

#include <QtTest>

using namespace orvane;

class BenchAnalysis : public QObject {
    Q_OBJECT
private slots:
    void allQuantities_data() {
        QTest::addColumn<int>("kind");
        for (const BoxKind kind :
             {BoxKind::Sealed, BoxKind::Vented, BoxKind::Bandpass4, BoxKind::Bandpass6})
            QTest::newRow(BoxType::Name(kind).data()) << int(kind);
    }
    void allQuantities() {
        QFETCH(int, kind);
        SpeakerDesign d = AnalysedDesign(BoxKind(kind));
        d.m_freqLow = 20;
        d.m_freqHigh = 20020;
        d.m_extras.le = 1;
        d.m_extras.portDiameter = 3;
        d.m_extras.port2Diameter = 3;
        std::size_t points = 0;
        const bench::Timing t = bench::Measure(51, [&] {
            const AnalysisResult<Analysis> a = Analysis::Prepare(d);
            points = a->Spl().size() + a->Excursion().size() + a->GroupDelay().size() +
                     a->Impedance()->size() + a->MaximumOutput()->size();
            for (const Chamber c : {Chamber::One, Chamber::Two}) {
                if (const auto v = a->PortVelocity(c))
                    points += v->size();
            }
        });
        bench::Report("analysis all quantities", QTest::currentDataTag(), t);
        const std::size_t ports = BoxKind(kind) == BoxKind::Bandpass6 ? 2
                                  : BoxKind(kind) == BoxKind::Sealed  ? 0
                                                                      : 1;
        QCOMPARE(points, (5 + ports) * std::size_t(20000));
    }
};

QTEST_APPLESS_MAIN(BenchAnalysis)
#include "bench_analysis.moc"
