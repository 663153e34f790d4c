// SPDX-License-Identifier: GPL-3.0-or-later
// The vented alignment search for one volume (target: 100 ms at most; the
// dialog searches again on every keystroke in the volume entry), and the
// nine-volume table (searched when the dialog opens and when the ripple
// changes).
#include "bench/BenchTiming.h"
#include "core/calc/Alignment.h"

#include <QtTest>

using namespace orvane;

Q_DECLARE_METATYPE(Alignment::Driver)

class BenchAlignment : public QObject {
    Q_OBJECT
private slots:
    void vented_data() {
        QTest::addColumn<Alignment::Driver>("driver");
        QTest::addColumn<double>("volume");
        QTest::addColumn<double>("ripple");
        // The reference driver; a dip touching -3 dB; a smooth minimum; a
        // high Fs with the widest band; a box no tuning suits.
        QTest::newRow("Fs 30, edge of ripple") << Alignment::Driver{30, 0.4, 3, 1} << 2.0 << 0.5;
        QTest::newRow("Fs 30, dip") << Alignment::Driver{30, 0.3, 3, 1} << 3.0 << 0.5;
        QTest::newRow("Fs 30, smooth") << Alignment::Driver{30, 0.3, 3, 1} << 0.75 << 2.0;
        QTest::newRow("Fs 1000") << Alignment::Driver{1000, 0.4, 0.02, 1} << 0.02 << 0.5;
        QTest::newRow("no tuning") << Alignment::Driver{30, 0.7, 3, 1} << 0.75 << 0.25;
    }
    void vented() {
        QFETCH(Alignment::Driver, driver);
        QFETCH(double, volume);
        QFETCH(double, ripple);
        Alignment::RowResult o = Alignment::Vented(driver, volume, ripple);
        const bench::Timing t =
            bench::Measure(31, [&] { o = Alignment::Vented(driver, volume, ripple); });
        bench::Report("vented search", QTest::currentDataTag(), t);
        QVERIFY(o || o.ErrorCode() == Alignment::Problem::NoTuning);
    }

    void table_data() {
        QTest::addColumn<double>("ripple");
        for (double ripple : Alignment::kRipples)
            QTest::addRow("%g dB", ripple) << ripple;
    }
    void table() {
        QFETCH(double, ripple);
        std::vector<Alignment::RowResult> rows;
        const bench::Timing t = bench::Measure(11, [&] {
            rows = Alignment::VentedTable(Alignment::Driver{30, 0.4, 3, 1}, ripple);
        });
        bench::Report("vented table", QTest::currentDataTag(), t);
        QCOMPARE(int(rows.size()), Alignment::kTableRows);
    }
};

QTEST_APPLESS_MAIN(BenchAlignment)
#include "bench_alignment.moc"
