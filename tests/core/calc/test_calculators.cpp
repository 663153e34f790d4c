// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/calc/BoxCalc.h"
#include "core/calc/PortCalc.h"
#include "core/calc/TsCalc.h"

#include <QtTest>
#include <cmath>
#include <complex>
#include <cstdio>
#include <limits>

using namespace orvane;

namespace {

// Formatted as the dialogs show it, "n/a" for no value.
QString Shown(std::optional<double> v, const char* format = "%.2f") {
    if (!v)
        return "n/a";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, *v);
    return buffer;
}

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
using Inputs = QList<double>;

} // namespace

class TestCalculators : public QObject {
    Q_OBJECT
private slots:
    void port_data() {
        QTest::addColumn<Inputs>("in");     // diameter (NaN for none), count, vb, fb
        QTest::addColumn<QString>("shown"); // length, effective diameter
        QTest::newRow("one 3 in") << Inputs{3, 1, 2, 35} << "5.58 3.00";
        QTest::newRow("two 3 in") << Inputs{3, 2, 2, 35} << "12.45 4.24";
        QTest::newRow("one 4 in") << Inputs{4, 1, 1.5, 40} << "11.18 4.00";
        QTest::newRow("no diameter") << Inputs{kNan, 1, 2, 35} << "n/a";
        QTest::newRow("negative count") << Inputs{3, -1, 2, 35} << "n/a";
        QTest::newRow("zero volume") << Inputs{3, 1, 0, 35} << "n/a";
        QTest::newRow("nan volume") << Inputs{3, 1, kNan, 35} << "n/a";
        QTest::newRow("length overflows") << Inputs{1e200, 1, 2, 35} << "n/a";
    }
    void port() {
        QFETCH(Inputs, in);
        const auto diameter = std::isnan(in[0]) ? std::nullopt : std::optional(in[0]);
        const auto port = PortCalc::Compute(diameter, int(in[1]), in[2], in[3]);
        QTEST(port ? Shown(port->length) + ' ' + Shown(port->effectiveDiameter) : QString("n/a"),
              "shown");
    }

    void minDiameter_data() {
        QTest::addColumn<Inputs>("in"); // cone diameter, xmax, fb
        QTest::addColumn<QString>("shown");
        QTest::newRow("10 in 0.25 35 Hz") << Inputs{10, 0.25, 35} << "3.53";
        QTest::newRow("12 in 0.3 30 Hz") << Inputs{12, 0.3, 30} << "4.43";
        QTest::newRow("xmax exactly 0.01") << Inputs{10, 0.01, 35} << "n/a";
        QTest::newRow("cone exactly 0.01") << Inputs{0.01, 0.25, 35} << "n/a";
        QTest::newRow("nan xmax") << Inputs{10, kNan, 35} << "n/a";
        QTest::newRow("negative tuning") << Inputs{10, 0.25, -35} << "n/a";
    }
    void minDiameter() {
        QFETCH(Inputs, in);
        QTEST(Shown(PortCalc::MinDiameter(in[0], in[1], in[2])), "shown");
    }

    void box_data() {
        QTest::addColumn<Inputs>("in");     // volume, ratio
        QTest::addColumn<QString>("shown"); // width, height, depth
        QTest::newRow("1.0 golden") << Inputs{1, 1.618} << "12.000 19.416 7.417";
        QTest::newRow("2.0 golden") << Inputs{2, 1.618} << "15.119 24.463 9.344";
        QTest::newRow("3.5 cube root two") << Inputs{3.5, 1.26} << "18.220 22.957 14.460";
        QTest::newRow("negative") << Inputs{-1, 1.618} << "n/a";
        QTest::newRow("nan") << Inputs{kNan, 1.618} << "n/a";
    }
    void box() {
        QFETCH(Inputs, in);
        const auto d = BoxCalc::Compute(in[0], in[1]);
        QTEST(d ? Shown(d->width, "%.3f ") + Shown(d->height, "%.3f ") + Shown(d->depth, "%.3f")
                : QString("n/a"),
              "shown");
    }

    void thieleSmall_data() {
        QTest::addColumn<Inputs>("in");     // re, f1, f2 with fs 30 and zmax 54
        QTest::addColumn<QString>("shown"); // z, qms, qes, qts, error
        QTest::newRow("f2 45") << Inputs{6, 20, 45} << "18.0 ohms 3.600 0.450 0.400 0.000";
        QTest::newRow("f2 50") << Inputs{6, 20, 50} << "18.0 ohms 3.000 0.375 0.333 1.623";
        // No positive Qes + Qms: the previous Qts stays.
        QTest::newRow("f2 20") << Inputs{6, 20, 20} << "18.0 ohms 0.000 0.000 0.250 10.000";
        QTest::newRow("re zero") << Inputs{0, 20, 45} << "0.0 ohms n/a n/a 0.250 0.000";
        QTest::newRow("negative product") << Inputs{-6, -20, 45} << "n/a n/a n/a 0.250 n/a";
    }
    void thieleSmall() {
        QFETCH(Inputs, in);
        const TsCalc::Results r = TsCalc::Compute({30, in[0], 54, in[1], in[2], 0, 0}, 0.25);
        QTEST(QStringList({Shown(r.z, "%.1f ohms"), Shown(r.qms, "%.3f"), Shown(r.qes, "%.3f"),
                           Shown(r.qts, "%.3f"), Shown(r.error, "%.3f")})
                  .join(' '),
              "shown");
    }

    // Measurements taken off a modelled impedance curve give its driver back.
    void impedanceRoundTrip() {
        const double fs = 30, qms = 3.6, qes = 0.45, re = 6;
        // Voice-coil resistance in series with the motional parallel resonance.
        const auto z = [&](double f) {
            return std::abs(re + re * qms / qes / std::complex<double>(1, qms * (f / fs - fs / f)));
        };
        const double zmax = z(fs);
        const double level = std::sqrt(re * zmax);
        // Bisection for where |Z| crosses the level between lo and hi.
        const auto crossing = [&](double lo, double hi) {
            const bool belowAtLo = z(lo) < level;
            for (int i = 0; i < 200; ++i) {
                const double mid = 0.5 * (lo + hi);
                ((z(mid) < level) == belowAtLo ? lo : hi) = mid;
            }
            return lo;
        };
        const TsCalc::Results r = TsCalc::Compute(
            {fs, re, zmax, crossing(fs / 100, fs), crossing(fs, fs * 100), 0, 0}, std::nullopt);
        QVERIFY(r.qms && r.qes && r.qts && r.error);
        QVERIFY(std::fabs(*r.qms - qms) < 1e-9);
        QVERIFY(std::fabs(*r.qes - qes) < 1e-9);
        QVERIFY(std::fabs(*r.qts - 0.4) < 1e-9);
        QVERIFY(*r.error < 1e-9); // the crossings sit symmetrically about fs
    }
};

QTEST_APPLESS_MAIN(TestCalculators)
#include "test_calculators.moc"
