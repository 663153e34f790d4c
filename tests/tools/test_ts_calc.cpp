#include "tools/TsCalc.h"

#include <QtTest>
#include <cmath>
#include <complex>
#include <cstdio>
#include <functional>

namespace {

QString Shown(std::optional<double> v, const char* format = "%.3f") {
    if (!v)
        return "n/a";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, *v);
    return buffer;
}

// |Z| of a driver near its one mechanical resonance: the voice coil's
// resistance in series with the motional parallel resonance.
struct Driver {
    double fs, qms, qes, re;
    double Impedance(double f) const {
        const double res = re * qms / qes;
        const std::complex<double> motional(1.0, qms * (f / fs - fs / f));
        return std::abs(re + res / motional);
    }
};

// Bisection for the frequency in [lo, hi] where |Z| crosses `level`.
double Crossing(const std::function<double(double)>& z, double level, double lo, double hi) {
    const bool risingLo = z(lo) < level;
    for (int i = 0; i < 200; ++i) {
        const double mid = 0.5 * (lo + hi);
        if ((z(mid) < level) == risingLo)
            lo = mid;
        else
            hi = mid;
    }
    return 0.5 * (lo + hi);
}

} // namespace

class TestTsCalc : public QObject {
    Q_OBJECT
private slots:
    void examples_data() {
        QTest::addColumn<double>("f2");
        QTest::addColumn<double>("previousQts");
        QTest::addColumn<QString>("qms");
        QTest::addColumn<QString>("qes");
        QTest::addColumn<QString>("qts");
        QTest::addColumn<QString>("error");
        QTest::newRow("f2 45") << 45.0 << 0.0 << "3.600"
                               << "0.450"
                               << "0.400"
                               << "0.000";
        QTest::newRow("f2 50") << 50.0 << 0.4 << "3.000"
                               << "0.375"
                               << "0.333"
                               << "1.623";
        QTest::newRow("f2 20 keeps Qts") << 20.0 << 0.4 << "0.000"
                                         << "0.000"
                                         << "0.400"
                                         << "10.000";
        QTest::newRow("f2 below f1 keeps Qts") << 10.0 << 0.4 << "0.000"
                                               << "0.000"
                                               << "0.400"
                                               << "15.858";
    }
    void examples() {
        QFETCH(double, f2);
        QFETCH(double, previousQts);
        TsCalc::Measurements m;
        m.fs = 30;
        m.re = 6;
        m.zmax = 54;
        m.f1 = 20;
        m.f2 = f2;
        const TsCalc::Results r = TsCalc::Compute(m, previousQts);
        QCOMPARE(Shown(r.z, "%.1f ohms"), QString("18.0 ohms"));
        QTEST(Shown(r.qms), "qms");
        QTEST(Shown(r.qes), "qes");
        QTEST(Shown(r.qts), "qts");
        QTEST(Shown(r.error), "error");
    }

    void vas_data() {
        QTest::addColumn<double>("fs");
        QTest::addColumn<double>("fc");
        QTest::addColumn<double>("vb");
        QTest::addColumn<double>("vas");
        // (fc/fs)^2 - 1 = 3 for fc = 2 fs.
        QTest::newRow("fc twice fs") << 30.0 << 60.0 << 1.0 << 1.15 * 1.0 * 3.0;
        QTest::newRow("fc equals fs") << 30.0 << 30.0 << 2.0 << 0.0;
        QTest::newRow("no test box") << 30.0 << 0.0 << 0.0 << -0.0;
    }
    void vas() {
        QFETCH(double, fs);
        QFETCH(double, fc);
        QFETCH(double, vb);
        QFETCH(double, vas);
        TsCalc::Measurements m;
        m.fs = fs;
        m.fc = fc;
        m.vb = vb;
        const TsCalc::Results r = TsCalc::Compute(m, 0.0);
        QVERIFY(r.vas);
        QCOMPARE(*r.vas, vas);
    }

    void noValue_data() {
        QTest::addColumn<double>("fs");
        QTest::addColumn<double>("re");
        QTest::addColumn<double>("zmax");
        QTest::addColumn<double>("f1");
        QTest::addColumn<double>("f2");
        QTest::addColumn<QString>("expected"); // z qms qes qts error
        QTest::newRow("all zero") << 0.0 << 0.0 << 0.0 << 0.0 << 0.0 << "0.0 0.000 n/a 0.250 0.000";
        QTest::newRow("re zero") << 30.0 << 0.0 << 54.0 << 20.0 << 45.0
                                 << "0.0 n/a n/a 0.250 0.000";
        QTest::newRow("zmax equals re")
            << 30.0 << 6.0 << 6.0 << 20.0 << 45.0 << "6.0 1.200 n/a n/a 0.000";
        QTest::newRow("negative product")
            << 30.0 << -6.0 << 54.0 << -20.0 << 45.0 << "n/a n/a n/a 0.250 n/a";
    }
    void noValue() {
        QFETCH(double, fs);
        QFETCH(double, re);
        QFETCH(double, zmax);
        QFETCH(double, f1);
        QFETCH(double, f2);
        QFETCH(QString, expected);
        const TsCalc::Results r = TsCalc::Compute({fs, re, zmax, f1, f2, 0, 0}, 0.25);
        const QString got = QStringList{Shown(r.z, "%.1f"), Shown(r.qms), Shown(r.qes),
                                        Shown(r.qts), Shown(r.error)}
                                .join(' ');
        QCOMPARE(got, expected);
    }

    void vasWithoutFs() {
        const TsCalc::Results r = TsCalc::Compute({0, 6, 54, 20, 45, 40, 1}, 0.0);
        QVERIFY(!r.vas);
    }

    void roundTrip_data() {
        QTest::addColumn<double>("fs");
        QTest::addColumn<double>("qms");
        QTest::addColumn<double>("qes");
        QTest::addColumn<double>("re");
        QTest::newRow("woofer") << 30.0 << 3.6 << 0.45 << 6.0;
        QTest::newRow("midrange") << 85.0 << 2.1 << 0.62 << 3.2;
        QTest::newRow("subwoofer") << 19.5 << 8.0 << 0.31 << 3.6;
        QTest::newRow("high Qes") << 55.0 << 4.5 << 1.8 << 7.1;
    }
    void roundTrip() {
        QFETCH(double, fs);
        QFETCH(double, qms);
        QFETCH(double, qes);
        QFETCH(double, re);
        const Driver driver{fs, qms, qes, re};
        const auto z = [&](double f) { return driver.Impedance(f); };
        TsCalc::Measurements m;
        m.fs = fs;
        m.re = re;
        m.zmax = z(fs);
        const double level = std::sqrt(re * m.zmax);
        m.f1 = Crossing(z, level, fs / 100, fs);
        m.f2 = Crossing(z, level, fs, fs * 100);
        QVERIFY(m.f1 < fs && m.f2 > fs);
        const TsCalc::Results r = TsCalc::Compute(m, std::nullopt);
        QVERIFY(r.qms && r.qes && r.qts && r.error && r.z);
        QVERIFY(std::fabs(*r.z - level) < 1e-12 * level);
        QVERIFY2(std::fabs(*r.qms - qms) < 1e-9 * qms,
                 qPrintable(QString::number(*r.qms, 'g', 17)));
        QVERIFY2(std::fabs(*r.qes - qes) < 1e-9 * qes,
                 qPrintable(QString::number(*r.qes, 'g', 17)));
        const double qts = qes * qms / (qes + qms);
        QVERIFY(std::fabs(*r.qts - qts) < 1e-9 * qts);
        // The two crossings sit symmetrically about fs on a log scale.
        QVERIFY(*r.error < 1e-9 * fs);
    }
};

QTEST_APPLESS_MAIN(TestTsCalc)
#include "test_ts_calc.moc"
