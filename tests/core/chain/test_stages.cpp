// SPDX-License-Identifier: GPL-3.0-or-later
// The filter stages against published reference levels (the Butterworth
// magnitude 1/√(1 + (fc/f)^2n), its square for Linkwitz–Riley, the transform
// at DC (f0/fp)², the cookbook's peak and shelf at their frequencies), and the
// stage text read and written back.
#include "core/chain/Stages.h"

#include <QtTest>
#include <cmath>

using namespace orvane;

namespace {

double Db(std::string_view stage, double f) {
    const Result<FilterStage> st = ParseStage(stage);
    if (!st)
        qFatal("%s", st.Message().c_str());
    return 20 * std::log10(std::abs(ChainFilter(std::span(&*st, 1)).At(f).h));
}

} // namespace

class TestStages : public QObject {
    Q_OBJECT
private slots:
    void referenceLevels_data() {
        QTest::addColumn<QString>("stage");
        QTest::addColumn<double>("f");
        QTest::addColumn<double>("db");
        const struct {
            const char* stage;
            double db[4]; // at 40, 20, 10 and 5 Hz
        } highPasses[] = {{"hp:bw1:20", {-0.97, -3.01, -6.99, -12.30}},
                          {"hp:bw2:20", {-0.26, -3.01, -12.30, -24.10}},
                          {"hp:bw3:20", {-0.07, -3.01, -18.13, -36.12}},
                          {"hp:bw4:20", {-0.02, -3.01, -24.10, -48.16}},
                          {"hp:lr2:20", {-1.94, -6.02, -13.98, -24.61}},
                          {"hp:lr4:20", {-0.53, -6.02, -24.61, -48.20}}};
        const double at[] = {40, 20, 10, 5};
        for (const auto& hp : highPasses) {
            for (int i = 0; i < 4; ++i)
                QTest::addRow("%s@%g", hp.stage, at[i]) << hp.stage << at[i] << hp.db[i];
        }
        // A low-pass is its high-pass mirrored about the corner.
        QTest::newRow("lp:bw4@80") << "lp:bw4:20" << 80.0 << -48.16;
        QTest::newRow("lp:lr4@10") << "lp:lr4:20" << 10.0 << -0.53;
        // Q 1/√2 is the second-order Butterworth; Q 0.5 is 6 dB down at fc.
        QTest::newRow("hp:q:0.7071@10") << "hp:q:20:0.70710678" << 10.0 << -12.30;
        QTest::newRow("hp:q:0.5@20") << "hp:q:20:0.5" << 20.0 << -6.02;
        QTest::newRow("lt@dc") << "lt:50:0.9:25:0.707" << 0.001 << 12.04;
        QTest::newRow("lt@20") << "lt:50:0.9:25:0.707" << 20.0 << 10.11;
        QTest::newRow("lt@25") << "lt:50:0.9:25:0.707" << 25.0 << 8.43;
        QTest::newRow("peak@30") << "peak:30:2:6" << 30.0 << 6.00;
        QTest::newRow("peak@15") << "peak:30:2:6" << 15.0 << 0.63;
        QTest::newRow("peak@60") << "peak:30:2:6" << 60.0 << 0.63;
        QTest::newRow("lowshelf@5") << "lowshelf:40:0.707:6" << 5.0 << 6.00;
        QTest::newRow("lowshelf@40") << "lowshelf:40:0.707:6" << 40.0 << 3.00;
        QTest::newRow("lowshelf@400") << "lowshelf:40:0.707:6" << 400.0 << 0.00;
        QTest::newRow("highshelf@4000") << "highshelf:40:0.707:6" << 4000.0 << 6.00;
        QTest::newRow("highshelf@40") << "highshelf:40:0.707:-6" << 40.0 << -3.00;
        QTest::newRow("gain") << "gain:-3" << 123.0 << -3.00;
    }
    void referenceLevels() {
        QFETCH(QString, stage);
        QFETCH(double, f);
        QFETCH(double, db);
        QVERIFY2(std::fabs(Db(stage.toStdString(), f) - db) < 0.006, qPrintable(stage));
    }

    // Linkwitz–Riley stages keep their polarity: LR2 at the corner is −90° from
    // the high-pass side's +180° → the square of BW1's +45°, i.e. +90°.
    void phases() {
        const auto phase = [](std::string_view stage, double f) {
            return std::arg(ChainFilter(std::vector{*ParseStage(stage)}).At(f).h) * 180 /
                   std::numbers::pi;
        };
        QCOMPARE(qRound(phase("hp:lr2:20", 20)), 90);
        QCOMPARE(qRound(phase("lp:bw2:20", 20)), -90);
        QCOMPARE(qRound(phase("hp:bw1:20", 20)), 45);
    }

    // Room gain 10·log10(1 + (fc/f)^4): 3.01 dB at fc, 12.3 dB an octave
    // below, capped by Gmax; none without a corner.
    void roomGain() {
        SignalChain chain;
        QCOMPARE(RoomGainDb(chain, 10), 0.0);
        chain.roomGainFc = 40;
        QVERIFY(std::fabs(RoomGainDb(chain, 40) - 3.0103) < 1e-4 &&
                std::fabs(RoomGainDb(chain, 20) - 12.304) < 1e-3 && RoomGainDb(chain, 1) == 20);
        chain.roomGainMax = 6;
        QCOMPARE(RoomGainDb(chain, 10), 6.0);
    }

    void texts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("result"); // the text written back, or the failure
        const char* same[] = {"hp:bw1:20",   "lp:bw3:80",           "hp:lr2:20",
                              "lp:lr4:80",   "hp:q:25:0.5",         "lt:50:0.9:25:0.707",
                              "peak:30:2:6", "lowshelf:40:0.707:6", "highshelf:2000:1:-3",
                              "gain:-3"};
        for (const char* s : same)
            QTest::newRow(s) << s << s;
        const char* const changed[][2] = {
            {"HP:BW4:20.0", "hp:bw4:20"},
            {"notch:30", "kind must be hp, lp"},
            {"lp:lr3:20", "response must be bw1 to bw4, lr2, lr4 or q"},
            {"hp:q:25", "expected hp:q:F:Q"},
            {"gain:1:2", "expected gain:DB"},
            {"peak:30:x:6", "the Q must be a number between 0.05 and 50"},
            {"hp:bw2:0", "the frequency must be"},
            {"lt:50:0.9:25:0", "Qp must be"},
            {"gain:61", "the gain must be"}};
        for (const auto& [text, result] : changed)
            QTest::newRow(text) << text << result;
    }
    void texts() {
        QFETCH(QString, text);
        QFETCH(QString, result);
        const Result<FilterStage> st = ParseStage(text.toStdString());
        const QString got =
            st ? QString::fromStdString(StageText(*st)) : QString::fromStdString(st.Message());
        QVERIFY2(st ? got == result : got.contains(result) && got.contains(text), qPrintable(got));
    }

    // S and P from the wiring's text, and S·P against the drivers.
    void wiring() {
        const auto counts = [](const char* text, unsigned drivers) {
            const Result<Wiring> w = ParseWiring(text, drivers);
            if (!w)
                return QString::fromStdString(w.Message());
            const Result<WiredCounts> c = CountsOf(*w, drivers);
            return QStringLiteral("%1 %2,%3")
                .arg(QString::fromStdString(WiringText(*w)))
                .arg(c->series)
                .arg(c->strings);
        };
        QCOMPARE(counts("parallel", 4), "parallel 1,4");
        QCOMPARE(counts("Series", 4), "series 4,1");
        QCOMPARE(counts("2x3", 6), "2x3 2,3");
        QCOMPARE(counts("2x2", 3), "the wiring 2x2 needs 4 drivers, not 3");
        QVERIFY(counts("star", 2).contains("must be parallel, series or SxP"));
        QVERIFY(!CountsOf(Wiring{WiringKind::Grid, 2, 2}, 3)); // a stored grid the drivers outgrew
    }
};

QTEST_APPLESS_MAIN(TestStages)
#include "test_stages.moc"
