// SPDX-License-Identifier: GPL-3.0-or-later
// Every quantity of the analysis over 20 000 points (20 to 20 019 Hz) with a
// signal chain of eight stages (every kind, with room gain, an amplifier
// limit and a series resistance) against the same design without one. The
// two are timed in turns, so that the machine's load falls on both alike;
// the ratio of their medians is what the chain costs (target: 1.5 or less).
#include "bench/BenchTiming.h"
#include "core/chain/Stages.h"
#include "core/model/Analysis.h"
#include "tests/support/ReferenceDesigns.h"

#include <QtTest>

using namespace orvane;

namespace {

double AllRows(const SpeakerDesign& d) {
    const AnalysisResult<Analysis> a = Analysis::Prepare(d);
    std::vector<AnalysisRow> rows(4096);
    double sum = 0;
    for (int64_t first = a->Sweep().first; first < a->Sweep().last; first += 4096) {
        const auto count = std::size_t(std::min<int64_t>(a->Sweep().last - first, 4096));
        a->Rows(first, std::span(rows.data(), count), Analysis::kAll);
        for (std::size_t i = 0; i < count; ++i)
            sum += rows[i].spl + rows[i].delay + rows[i].maxSpl + rows[i].chainDb;
    }
    return sum;
}

} // namespace

class BenchChain : public QObject {
    Q_OBJECT
private slots:
    void eightStages_data() {
        QTest::addColumn<int>("kind");
        for (const BoxKind kind : {BoxKind::Sealed, BoxKind::Vented, BoxKind::Bandpass6})
            QTest::newRow(BoxType::Name(kind).data()) << int(kind);
    }
    void eightStages() {
        QFETCH(int, kind);
        SpeakerDesign plain = AnalysedDesign(BoxKind(kind));
        plain.m_freqLow = 20;
        plain.m_freqHigh = 20020;
        plain.m_extras.le = 1;
        plain.m_extras.portDiameter = 3;
        plain.m_extras.port2Diameter = 3;
        SpeakerDesign chained = plain;
        SignalChain& c = chained.m_extras.chain;
        for (const char* text :
             {"hp:bw4:15", "hp:lr4:18", "lp:bw3:2000", "hp:q:25:0.5", "lt:50:0.9:25:0.707",
              "peak:30:2:6", "lowshelf:40:0.707:6", "highshelf:3000:0.707:-3"})
            c.stages.push_back(*ParseStage(text));
        c.roomGainFc = 40, c.ampPower = 500, c.seriesResistance = 0.2;

        double sum = 0;
        bool turn = false;
        std::vector<double> cpu[2];
        const bench::Timing both = bench::Measure(
            61, [] {},
            [&] {
                const double c0 = bench::NowMs(CLOCK_PROCESS_CPUTIME_ID);
                sum += AllRows(turn ? chained : plain);
                cpu[turn].push_back(bench::NowMs(CLOCK_PROCESS_CPUTIME_ID) - c0);
                turn = !turn;
            });
        const double without = bench::Median(cpu[0]), with = bench::Median(cpu[1]);
        std::printf("analysis 20000 points, %s: without chain %.2f ms, eight stages %.2f ms CPU "
                    "(medians of %d), ratio %.3f\n",
                    QTest::currentDataTag(), without, with, both.runs / 2, with / without);
        QVERIFY(std::isfinite(sum));
    }
};

QTEST_APPLESS_MAIN(BenchChain)
#include "bench_chain.moc"
