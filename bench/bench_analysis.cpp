// SPDX-License-Identifier: GPL-3.0-or-later
// Every quantity of the analysis over 20 000 points (20 to 20 019 Hz) for
// each box type, with Le, Re, ports and limits given so that nothing is
// skipped. The design window recomputes its graph on every repaint.
#include "core/model/Analysis.h"
#include "tests/support/ReferenceDesigns.h"

#include <QtTest>

using namespace orvane;

Q_DECLARE_METATYPE(SpeakerDesign)

class BenchAnalysis : public QObject {
    Q_OBJECT
private slots:
    void allQuantities_data() {
        QTest::addColumn<SpeakerDesign>("design");
        for (const BoxKind kind :
             {BoxKind::Sealed, BoxKind::Vented, BoxKind::Bandpass4, BoxKind::Bandpass6}) {
            SpeakerDesign d = WithOutputFigures(ReferenceDesign(kind));
            d.m_freqLow = 20;
            d.m_freqHigh = 20020;
            d.m_extras.re = 6;
            d.m_extras.le = 1;
            d.m_extras.pe = 100;
            d.m_extras.portDiameter = 3;
            d.m_extras.port2Diameter = 3;
            QTest::newRow(BoxType::Name(kind).data()) << d;
        }
    }
    void allQuantities() {
        QFETCH(SpeakerDesign, design);
        std::size_t points = 0;
        QBENCHMARK {
            const AnalysisResult<Analysis> a = Analysis::Prepare(design);
            points = a->Spl().size() + a->Excursion().size() + a->GroupDelay().size();
            for (const Chamber c : {Chamber::One, Chamber::Two}) {
                if (const auto v = a->PortVelocity(c))
                    points += v->size();
            }
            points += a->Impedance()->size() + a->MaximumOutput()->size();
        }
        const std::size_t ported = design.Kind() == BoxKind::Bandpass6 ? 2
                                   : design.Kind() == BoxKind::Sealed  ? 0
                                                                       : 1;
        QCOMPARE(points, (5 + ported) * std::size_t(20000));
    }
};

QTEST_APPLESS_MAIN(BenchAnalysis)
#include "bench_analysis.moc"
