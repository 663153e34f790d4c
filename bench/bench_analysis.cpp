// SPDX-License-Identifier: GPL-3.0-or-later
// Every quantity of the analysis over 20 000 points (20 to 20 019 Hz) for each
// box type, from the design to the last row, with Re, Le, Pe and ports given
// so that nothing is skipped: what orvane-cli analyze computes, a block of rows
// at a time.
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
        for (const BoxKind kind : {BoxKind::Sealed, BoxKind::Vented, BoxKind::Bandpass4,
                                   BoxKind::Bandpass6, BoxKind::PassiveRadiator})
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
        double sum = 0;
        const bench::Timing t = bench::Measure(51, [&] {
            const AnalysisResult<Analysis> a = Analysis::Prepare(d);
            std::vector<AnalysisRow> rows(4096);
            points = 0;
            for (int64_t first = a->Sweep().first; first < a->Sweep().last; first += 4096) {
                const auto count = std::size_t(std::min<int64_t>(a->Sweep().last - first, 4096));
                a->Rows(first, std::span(rows.data(), count), Analysis::kAll);
                for (std::size_t i = 0; i < count; ++i)
                    sum += rows[i].spl + rows[i].delay;
                points += count;
            }
        });
        bench::Report("analysis all quantities", QTest::currentDataTag(), t);
        QCOMPARE(points, std::size_t(20000));
        QVERIFY(std::isfinite(sum));
    }
};

QTEST_APPLESS_MAIN(BenchAnalysis)
#include "bench_analysis.moc"
