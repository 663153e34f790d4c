// SPDX-License-Identifier: GPL-3.0-or-later
// The calculators' arithmetic: port, box, T/S parameters and alignments.
#include "core/calc/Alignment.h"
#include "core/calc/BoxCalc.h"
#include "core/calc/PortCalc.h"
#include "core/calc/TsCalc.h"
#include "core/model/ResponseModel.h"

#include <QtTest>
#include <cmath>
#include <complex>
#include <cstdio>
#include <limits>

using namespace orvane;
using Alignment::Driver;

Q_DECLARE_METATYPE(Driver)

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

const Driver kReference{30, 0.4, 3, 1};

SpeakerDesign DesignOf(const Driver& driver, const char* type, double v1, double f1) {
    SpeakerDesign d;
    d.m_boxType = type;
    d.m_fs = driver.fs;
    d.m_qts = driver.qts;
    d.m_vas = driver.vas;
    d.m_driverCount = static_cast<uint16_t>(driver.count);
    d.m_v1 = v1;
    d.m_f1 = f1;
    return d;
}

double LevelOf(const SpeakerDesign& d, double f) {
    return LevelsAt(d, ComputeSealedAlignment(d), std::span(&f, 1)).at(0);
}

// The band the vented bound applies to, sampled far finer than the search
// samples it: 1 Hz to 20 Fs in equal ratios.
std::vector<double> FineBand(const Driver& driver, int points) {
    std::vector<double> band;
    const double top = Alignment::kTopRatio * driver.fs;
    for (int i = 0; i <= points; ++i)
        band.push_back(std::pow(top, double(i) / points));
    return band;
}

struct Sampled {
    double f3;
    double peak;
};

// f3 and peak read straight off samples of the response model.
Sampled SampledFigures(const SpeakerDesign& d, const std::vector<double>& band) {
    const std::vector<double> levels = LevelsAt(d, SealedAlignment{}, band);
    double peak = -std::numeric_limits<double>::infinity();
    for (double v : levels)
        peak = std::max(peak, v);
    size_t k = levels.size() - 1;
    if (levels[k] < Alignment::kF3Level)
        return {kNan, peak};
    while (k > 0 && levels[k - 1] >= Alignment::kF3Level)
        --k;
    return {band[k], peak};
}

} // namespace

class TestCalculators : public QObject {
    Q_OBJECT
private slots:
    void port_data() {
        QTest::addColumn<Inputs>("in");     // diameter (NaN for none), count, vb, fb
        QTest::addColumn<QString>("shown"); // length, effective diameter
        QTest::newRow("one 3 in") << Inputs{3, 1, 2, 35} << "5.58 3.00";
        QTest::newRow("two 3 in") << Inputs{3, 2, 2, 35} << "12.45 4.24";
        QTest::newRow("no diameter") << Inputs{kNan, 1, 2, 35} << "n/a";
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
        QTest::newRow("xmax exactly 0.01") << Inputs{10, 0.01, 35} << "n/a";
        QTest::newRow("cone exactly 0.01") << Inputs{0.01, 0.25, 35} << "n/a";
        QTest::newRow("nan xmax") << Inputs{10, kNan, 35} << "n/a";
    }
    void minDiameter() {
        QFETCH(Inputs, in);
        QTEST(Shown(PortCalc::MinDiameter(in[0], in[1], in[2])), "shown");
    }

    void box_data() {
        QTest::addColumn<Inputs>("in");     // volume, ratio
        QTest::addColumn<QString>("shown"); // width, height, depth
        QTest::newRow("1.0 golden") << Inputs{1, 1.618} << "12.000 19.416 7.417";
        QTest::newRow("3.5 cube root two") << Inputs{3.5, 1.26} << "18.220 22.957 14.460";
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

    // --- alignments ---

    // Reference values worked out apart from the code: V1 from the formula,
    // f3 by root finding on |s^2 / (s^2 + s/Q + 1)| = -3 dB and the peak by
    // maximising it, in 30-digit arithmetic.
    void sealed_data() {
        QTest::addColumn<Driver>("driver");
        QTest::addColumn<double>("qtc");
        QTest::addColumn<double>("v1");
        QTest::addColumn<double>("fc");
        QTest::addColumn<double>("f3");
        QTest::addColumn<double>("peak");
        QTest::newRow("0.577") << kReference << 0.577 << 2.77570563642 << 43.275 << 55.1863502661
                               << 0.0;
        QTest::newRow("0.707") << kReference << 0.707 << 1.41239197408 << 53.025 << 53.0960289458
                               << 0.0;
        QTest::newRow("0.8") << kReference << 0.8 << 1.0 << 60.0 << 53.879864184 << 0.2129534094;
        QTest::newRow("1.0") << kReference << 1.0 << 0.571428571429 << 75.0 << 59.0000318892
                             << 1.249387366;
        QTest::newRow("1.0 two drivers") << Driver{30, 0.4, 3, 2} << 1.0 << 1.14285714286 << 75.0
                                         << 59.0000318892 << 1.249387366;
        QTest::newRow("1.5") << Driver{45, 0.25, 1.2, 1} << 1.5 << 0.0342857142857 << 270.0
                             << 188.909686601 << 4.033350406;
        QTest::newRow("0.45") << kReference << 0.45 << 11.2941176471 << 33.75 << 60.9412002969
                              << 0.0;
    }
    void sealed() {
        QFETCH(Driver, driver);
        QFETCH(double, qtc);
        QFETCH(double, v1);
        QFETCH(double, fc);
        QFETCH(double, f3);
        QFETCH(double, peak);
        const Alignment::Outcome o = Alignment::Sealed(driver, qtc);
        QVERIFY(o.Ok());
        QVERIFY2(std::fabs(o.row.v1 / v1 - 1) < 1e-10, qPrintable(QString::number(o.row.v1)));
        QVERIFY2(std::fabs(o.row.f1 / fc - 1) < 1e-12, qPrintable(QString::number(o.row.f1)));
        QVERIFY2(std::fabs(o.row.f3 / f3 - 1) < 1e-10, qPrintable(QString::number(o.row.f3)));
        QVERIFY2(std::fabs(o.row.peak - peak) < 1e-9, qPrintable(QString::number(o.row.peak)));
    }

    // The sealed figures hold in the program's own model: the box of that
    // volume has the target Qtc and resonance, the level at f3 is -3 dB and
    // never exceeds the peak.
    //
    // Closed forms of two classic alignments give f3 / fc directly, with L
    // the power ratio of -3 dB: critical damping |H| = u^2 / (1 + u^2) and
    // Butterworth |H|^2 = u^4 / (1 + u^4).
    void sealedAgainstModel_data() {
        QTest::addColumn<double>("qtc");
        QTest::addColumn<double>("f3OverFc"); // NaN: no closed form here
        const double l = std::pow(10.0, -0.3);
        QTest::newRow("critical") << 0.5 << std::sqrt(std::sqrt(l) / (1 - std::sqrt(l)));
        QTest::newRow("Butterworth") << 1 / std::sqrt(2.0) << std::pow(l / (1 - l), 0.25);
        for (double q : {0.577, 0.9, 1.2, 2.0})
            QTest::addRow("%g", q) << q << kNan;
    }
    void sealedAgainstModel() {
        QFETCH(double, qtc);
        QFETCH(double, f3OverFc);
        const Alignment::Outcome o = Alignment::Sealed(kReference, qtc);
        QVERIFY(o.Ok());
        QVERIFY(std::isnan(f3OverFc) || std::fabs(o.row.f3 / o.row.f1 - f3OverFc) < 1e-12);
        const SpeakerDesign d = DesignOf(kReference, "Sealed", o.row.v1, 0);
        const SealedAlignment a = ComputeSealedAlignment(d);
        QVERIFY(std::fabs(a.qtc - qtc) < 1e-12);
        QVERIFY(std::fabs(a.fc - o.row.f1) < 1e-10);
        QVERIFY(std::fabs(LevelOf(d, o.row.f3) - Alignment::kF3Level) < 1e-9);
        const std::vector<double> band = FineBand(kReference, 40000);
        double highest = -1e9;
        for (double v : LevelsAt(d, a, band))
            highest = std::max(highest, v);
        QVERIFY(highest <= o.row.peak + 1e-9);
        if (qtc * qtc > 0.5) // a real peak, which the fine band meets closely
            QVERIFY2(highest > o.row.peak - 1e-4, qPrintable(QString::number(highest)));
    }

    void impossible_data() {
        QTest::addColumn<Driver>("driver");
        QTest::addColumn<QString>("kind"); // "sealed" or "vented"
        QTest::addColumn<double>("value"); // Qtc, or the volume
        QTest::addColumn<double>("ripple");
        QTest::addColumn<int>("problem");
        const int badDriver = int(Alignment::Problem::BadDriver);
        const int qtc = int(Alignment::Problem::QtcNotAboveQts);
        const int volume = int(Alignment::Problem::BadVolume);
        const int ripple = int(Alignment::Problem::BadRipple);
        const int noTuning = int(Alignment::Problem::NoTuning);
        QTest::newRow("Qtc equals Qts") << kReference << "sealed" << 0.4 << 0.0 << qtc;
        QTest::newRow("Qtc nan") << kReference << "sealed" << kNan << 0.0 << qtc;
        QTest::newRow("no Fs") << Driver{0, 0.4, 3, 1} << "sealed" << 0.7 << 0.0 << badDriver;
        QTest::newRow("Fs below 1 Hz")
            << Driver{0.5, 0.4, 3, 1} << "vented" << 3.0 << 0.5 << badDriver;
        QTest::newRow("Fs nan") << Driver{kNan, 0.4, 3, 1} << "vented" << 3.0 << 0.5 << badDriver;
        QTest::newRow("Vas negative")
            << Driver{30, 0.4, -3, 1} << "vented" << 3.0 << 0.5 << badDriver;
        QTest::newRow("65536 drivers")
            << Driver{30, 0.4, 3, 65536} << "sealed" << 0.7 << 0.0 << badDriver;
        QTest::newRow("no volume") << kReference << "vented" << 0.0 << 0.5 << volume;
        QTest::newRow("ripple negative") << kReference << "vented" << 3.0 << -0.5 << ripple;
        // Qtc 0.7 sqrt(5) sealed already peaks 4.3 dB; no port brings it down.
        QTest::newRow("peaky driver, small box")
            << Driver{30, 0.7, 3, 1} << "vented" << 0.75 << 0.25 << noTuning;
        // The tiniest box: a stiffness beyond any double, a response of NaN.
        QTest::newRow("volume 1e-320") << kReference << "vented" << 1e-320 << 2.0 << noTuning;
    }
    void impossible() {
        QFETCH(Driver, driver);
        QFETCH(QString, kind);
        QFETCH(double, value);
        QFETCH(double, ripple);
        const Alignment::Outcome o = kind == "sealed" ? Alignment::Sealed(driver, value)
                                                      : Alignment::Vented(driver, value, ripple);
        QVERIFY(!o.Ok());
        QTEST(int(o.problem), "problem");
        const std::string text = Alignment::ProblemText(o.problem);
        // One sentence.
        QVERIFY(!text.empty() && text.back() == '.' && text.find(". ") == std::string::npos);
    }

    // The vented search against the response model itself: the curve of the
    // result stays within the ripple over a band sampled 40 000 times, f3 is
    // its -3 dB point, and no tuning of a scan far finer than the search's
    // first pass reaches more than 0.5 % lower.
    void vented_data() {
        QTest::addColumn<Driver>("driver");
        QTest::addColumn<double>("volume");
        QTest::addColumn<double>("ripple");
        // Where the bound holds the optimum at its edge.
        QTest::newRow("reference 2 ft3 0.5 dB") << kReference << 2.0 << 0.5;
        QTest::newRow("reference 0.75 ft3 2 dB") << kReference << 0.75 << 2.0;
        // Where a dip of the response touching -3 dB does.
        QTest::newRow("Qts 0.3 at Vas 0.5 dB") << Driver{30, 0.3, 3, 1} << 3.0 << 0.5;
        // Where f3 has a smooth minimum inside the bound.
        QTest::newRow("Qts 0.3 at Vas/4 2 dB") << Driver{30, 0.3, 3, 1} << 0.75 << 2.0;
        QTest::newRow("Qts 0.2 big box 0.25 dB") << Driver{40, 0.2, 2, 1} << 8.0 << 0.25;
        // A low Fs, where the band starts at 1 Hz close below the tuning.
        QTest::newRow("Fs 10 Hz 1 dB") << Driver{10, 0.45, 20, 2} << 30.0 << 1.0;
        QTest::newRow("Fs 300 Hz 0.5 dB") << Driver{300, 0.35, 0.05, 1} << 0.04 << 0.5;
    }
    void vented() {
        QFETCH(Driver, driver);
        QFETCH(double, volume);
        QFETCH(double, ripple);
        const Alignment::Outcome o = Alignment::Vented(driver, volume, ripple);
        QVERIFY2(o.Ok(), Alignment::ProblemText(o.problem).c_str());
        QCOMPARE(o.row.v1, volume);
        SpeakerDesign d = DesignOf(driver, "Vented", volume, o.row.f1);
        const std::vector<double> band = FineBand(driver, 40000);
        const std::vector<double> levels = LevelsAt(d, SealedAlignment{}, band);
        double highest = -1e9;
        for (size_t i = 0; i < band.size(); ++i) {
            highest = std::max(highest, levels[i]);
            if (band[i] >= o.row.f3)
                QVERIFY2(levels[i] >= Alignment::kF3Level - 1e-9, qPrintable(QString::number(i)));
        }
        QVERIFY2(highest <= ripple + 1e-9, qPrintable(QString::number(highest)));
        QVERIFY(highest <= o.row.peak + 1e-9 && highest > o.row.peak - 1e-4);
        QVERIFY(LevelOf(d, o.row.f3) >= Alignment::kF3Level - 1e-9);
        QVERIFY(LevelOf(d, o.row.f3 * (1 - 1e-8)) < Alignment::kF3Level);

        const std::vector<double> scanBand = FineBand(driver, 4000);
        const int tunings = 1500;
        for (int i = 0; i <= tunings; ++i) {
            d.m_f1 = driver.fs * Alignment::kLowestTuningRatio *
                     std::pow(Alignment::kHighestTuningRatio / Alignment::kLowestTuningRatio,
                              double(i) / tunings);
            const Sampled s = SampledFigures(d, scanBand);
            if (s.peak <= ripple && std::isfinite(s.f3))
                QVERIFY2(s.f3 >= o.row.f3 * (1 - 0.005),
                         qPrintable(QString("F1 %1 reaches %2").arg(d.m_f1).arg(s.f3)));
        }
    }

    // The response depends on frequency only through f / Fs, and on the
    // drivers and volume only through N Vas / V1 (apart from the band's
    // bottom at 1 Hz, far below these tunings).
    void ventedScaling() {
        const Alignment::Outcome base = Alignment::Vented(kReference, 2.0, 0.5);
        const Alignment::Outcome doubled = Alignment::Vented(Driver{60, 0.4, 3, 1}, 2.0, 0.5);
        QVERIFY(base.Ok() && doubled.Ok());
        QVERIFY(std::fabs(doubled.row.f1 / (2 * base.row.f1) - 1) < 1e-6);
        QVERIFY(std::fabs(doubled.row.f3 / (2 * base.row.f3) - 1) < 1e-6);
        QVERIFY(std::fabs(doubled.row.peak - base.row.peak) < 1e-6);
        const Alignment::Outcome pair = Alignment::Vented(Driver{30, 0.4, 1.5, 2}, 2.0, 0.5);
        QCOMPARE(pair.row.f1, base.row.f1);
        QCOMPARE(pair.row.f3, base.row.f3);
        const Alignment::Outcome scaled = Alignment::Vented(Driver{30, 0.4, 12, 1}, 8.0, 0.5);
        QVERIFY(std::fabs(scaled.row.f1 / base.row.f1 - 1) < 1e-6);
    }

    // A looser bound admits every tuning a tighter one does.
    void ventedRippleOrder() {
        double previous = HUGE_VAL;
        for (double ripple : Alignment::kRipples) {
            const Alignment::Outcome o = Alignment::Vented(kReference, 1.5, ripple);
            QVERIFY(o.Ok());
            QVERIFY(o.row.f3 <= previous * (1 + 1e-9));
            QVERIFY(o.row.peak <= ripple);
            previous = o.row.f3;
        }
    }

    void table() {
        const Driver pair{30, 0.4, 1.5, 2};
        const auto volumes = Alignment::TableVolumes(pair);
        QCOMPARE(volumes.front(), 0.75);
        QCOMPARE(volumes[4], 3.0);
        QCOMPARE(volumes.back(), 12.0);
        for (size_t i = 1; i < volumes.size(); ++i)
            QVERIFY(std::fabs(volumes[i] / volumes[i - 1] - std::sqrt(2.0)) < 1e-12);
        const std::vector<Alignment::Outcome> rows = Alignment::VentedTable(pair, 0.5);
        QCOMPARE(int(rows.size()), Alignment::kTableRows);
        // The smallest box cannot hold this driver's peak; from there on,
        // with this driver, each bigger box reaches lower.
        QCOMPARE(rows[0].problem, Alignment::Problem::NoTuning);
        for (size_t i = 1; i < rows.size(); ++i) {
            QVERIFY(rows[i].Ok());
            QCOMPARE(rows[i].row.v1, volumes[i]);
            if (i > 1)
                QVERIFY(rows[i].row.f3 < rows[i - 1].row.f3);
        }
    }
};

QTEST_APPLESS_MAIN(TestCalculators)
#include "test_calculators.moc"
