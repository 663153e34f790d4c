// SPDX-License-Identifier: GPL-3.0-or-later
// The calculators' arithmetic: port, box, T/S parameters and alignments.
#include "core/calc/Alignment.h"
#include "core/calc/BoxCalc.h"
#include "core/calc/PortCalc.h"
#include "core/calc/TsCalc.h"
#include "core/model/ResponseModel.h"

#include <QtTest>
#include <cmath>
#include <limits>
#include <numbers>

using namespace orvane;
using Alignment::Driver;

Q_DECLARE_METATYPE(Driver)

namespace {

// Formatted as the dialogs show it, "n/a" for no value.
QString Shown(std::optional<double> v, const char* format = "%.2f") {
    return v ? QString::asprintf(format, *v) : QString("n/a");
}

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
using Inputs = QList<double>;
const Driver kReference{30, 0.4, 3, 1};

SpeakerDesign DesignOf(const Driver& driver, const char* type, double v1, double f1) {
    SpeakerDesign d;
    d.m_boxType = type, d.m_fs = driver.fs, d.m_qts = driver.qts, d.m_vas = driver.vas;
    d.m_driverCount = static_cast<uint16_t>(driver.count), d.m_v1 = v1, d.m_f1 = f1;
    return d;
}

// The band the vented bound applies to, 1 Hz to 20 Fs in equal ratios.
std::vector<double> Band(const Driver& driver, int points) {
    std::vector<double> band;
    for (int i = 0; i <= points; ++i)
        band.push_back(std::pow(Alignment::kTopRatio * driver.fs, double(i) / points));
    return band;
}

// Radiators of Sd 36.44 in².
DesignExtras Radiators(double fs, double vas, double qms) {
    DesignExtras x;
    x.prFs = fs, x.prVas = vas, x.prSd = 36.44, x.prQms = qms;
    return x;
}

} // namespace

class TestCalculators : public QObject {
    Q_OBJECT
private slots:
    // Each calculator's figures as its dialog shows them, "n/a" for none.
    void figures_data() {
        QTest::addColumn<QString>("calculator");
        QTest::addColumn<Inputs>("in");
        QTest::addColumn<QString>("shown");
        // diameter (NaN for none), count, vb, fb: length, effective diameter
        QTest::newRow("port 3 in") << "port" << Inputs{3, 1, 2, 35} << "5.58 3.00";
        QTest::newRow("two 3 in ports") << "port" << Inputs{3, 2, 2, 35} << "12.45 4.24";
        QTest::newRow("no port diameter") << "port" << Inputs{kNan, 1, 2, 35} << "n/a";
        QTest::newRow("nan volume") << "port" << Inputs{3, 1, kNan, 35} << "n/a";
        QTest::newRow("port length overflows") << "port" << Inputs{1e200, 1, 2, 35} << "n/a";
        // cone diameter, xmax, fb: the smallest port diameter
        QTest::newRow("10 in 0.25 35 Hz") << "least" << Inputs{10, 0.25, 35} << "3.53";
        QTest::newRow("xmax exactly 0.01") << "least" << Inputs{10, 0.01, 35} << "n/a";
        QTest::newRow("cone exactly 0.01") << "least" << Inputs{0.01, 0.25, 35} << "n/a";
        QTest::newRow("nan xmax") << "least" << Inputs{10, kNan, 35} << "n/a";
        // volume, ratio: width, height, depth
        QTest::newRow("1.0 golden") << "box" << Inputs{1, 1.618} << "12.000 19.416 7.417";
        QTest::newRow("3.5 cube root 2") << "box" << Inputs{3.5, 1.26} << "18.220 22.957 14.460";
        QTest::newRow("nan box") << "box" << Inputs{kNan, 1.618} << "n/a";
        // re, f1, f2 with fs 30 and zmax 54: z, qms, qes, qts, error; without
        // a positive Qes + Qms the previous Qts (0.25) stays.
        QTest::newRow("f2 45") << "ts" << Inputs{6, 20, 45} << "18.0 3.600 0.450 0.400 0.000";
        QTest::newRow("f2 50") << "ts" << Inputs{6, 20, 50} << "18.0 3.000 0.375 0.333 1.623";
        QTest::newRow("f2 20") << "ts" << Inputs{6, 20, 20} << "18.0 0.000 0.000 0.250 10.000";
        QTest::newRow("re zero") << "ts" << Inputs{0, 20, 45} << "0.0 n/a n/a 0.250 0.000";
        QTest::newRow("negative product") << "ts" << Inputs{-6, -20, 45} << "n/a n/a n/a 0.250 n/a";
    }
    void figures() {
        QFETCH(QString, calculator);
        QFETCH(Inputs, in);
        QString shown = "n/a";
        if (calculator == "port") {
            const auto diameter = std::isnan(in[0]) ? std::nullopt : std::optional(in[0]);
            if (const auto p = PortCalc::Compute(diameter, int(in[1]), in[2], in[3]))
                shown = Shown(p->length) + ' ' + Shown(p->effectiveDiameter);
        } else if (calculator == "least") {
            shown = Shown(PortCalc::MinDiameter(in[0], in[1], in[2]));
        } else if (const auto d = BoxCalc::Compute(in[0], in[1]); calculator == "box" && d) {
            shown = QString::asprintf("%.3f %.3f %.3f", d->width, d->height, d->depth);
        } else if (calculator == "ts") {
            const TsCalc::Results r = TsCalc::Compute({30, in[0], 54, in[1], in[2], 0, 0}, 0.25);
            shown = QStringList({Shown(r.z, "%.1f"), Shown(r.qms, "%.3f"), Shown(r.qes, "%.3f"),
                                 Shown(r.qts, "%.3f"), Shown(r.error, "%.3f")})
                        .join(' ');
        }
        QTEST(shown, "shown");
    }

    // V1 from the formula; f3 by root finding on |s²/(s² + s/Q + 1)| = -3 dB
    // and the peak by maximising it, in 30-digit arithmetic; critical damping
    // |H| = u²/(1 + u²) and Butterworth |H|² = u⁴/(1 + u⁴) in closed form.
    // In the program's own model the box of that volume has the target Qtc
    // and resonance, its level at f3 is -3 dB and never exceeds the peak.
    void sealed_data() {
        QTest::addColumn<Driver>("driver");
        QTest::addColumn<Inputs>("figures"); // Qtc, V1, fc, f3, peak
        const double l = std::pow(10.0, -0.3);
        const double critical = 37.5 * std::sqrt(std::sqrt(l) / (1 - std::sqrt(l)));
        const double butterworth = 30 / 0.4 / std::sqrt(2.0) * std::pow(l / (1 - l), 0.25);
        QTest::newRow("0.5") << kReference << Inputs{0.5, 5.33333333333, 37.5, critical, 0};
        QTest::newRow("Butterworth")
            << kReference
            << Inputs{1 / std::sqrt(2.0), 1.41176470588, 53.0330085890, butterworth, NAN};
        QTest::newRow("0.8") << kReference << Inputs{0.8, 1, 60, 53.879864184, 0.2129534094};
        QTest::newRow("1.0 two drivers")
            << Driver{30, 0.4, 3, 2} << Inputs{1, 1.14285714286, 75, 59.0000318892, 1.249387366};
        QTest::newRow("1.5") << Driver{45, 0.25, 1.2, 1}
                             << Inputs{1.5, 0.0342857142857, 270, 188.909686601, 4.033350406};
    }
    void sealed() {
        QFETCH(Driver, driver);
        QFETCH(Inputs, figures);
        const Alignment::RowResult r = Alignment::Sealed(driver, figures[0]);
        QVERIFY2(r, r.Message().c_str());
        const double got[] = {r->v1, r->f1, r->f3, r->peak};
        for (int i = 0; i < 4; ++i)
            QVERIFY(std::isnan(figures[i + 1]) ||
                    std::fabs(got[i] - figures[i + 1]) < 1e-9 * std::max(1.0, figures[i + 1]));
        const SpeakerDesign d = DesignOf(driver, "Sealed", r->v1, 0);
        const SealedAlignment a = ComputeSealedAlignment(d);
        QVERIFY(std::fabs(a.qtc - figures[0]) < 1e-12 && std::fabs(a.fc - r->f1) < 1e-10);
        QVERIFY(std::fabs(LevelsAt(d, a, std::span(&r->f3, 1))[0] - Alignment::kF3Level) < 1e-9);
        const std::vector<double> levels = LevelsAt(d, a, Band(driver, 40000));
        const double highest = *std::max_element(levels.begin(), levels.end());
        // A real peak above Q² = 1/2, which the fine band meets closely.
        QVERIFY(highest <= r->peak + 1e-9 && (r->peak == 0 || highest > r->peak - 1e-4));
    }

    // Requests without an answer, each with its one sentence.
    void impossible_data() {
        QTest::addColumn<Driver>("driver");
        QTest::addColumn<Inputs>("request"); // Qtc (sealed), or volume and ripple (vented)
        QTest::addColumn<int>("problem");
        using P = Alignment::Problem;
        QTest::newRow("Qtc equals Qts") << kReference << Inputs{0.4} << int(P::QtcNotAboveQts);
        QTest::newRow("Qtc 1e155") << kReference << Inputs{1e155} << int(P::QtcOutOfRange);
        QTest::newRow("Fs 0.5") << Driver{0.5, 0.4, 3, 1} << Inputs{3, 0.5} << int(P::BadDriver);
        QTest::newRow("Vas -3") << Driver{30, 0.4, -3, 1} << Inputs{3, 0.5} << int(P::BadDriver);
        QTest::newRow("65536") << Driver{30, 0.4, 3, 65536} << Inputs{0.7} << int(P::BadDriver);
        QTest::newRow("no volume") << kReference << Inputs{0, 0.5} << int(P::BadVolume);
        QTest::newRow("ripple negative") << kReference << Inputs{3, -0.5} << int(P::BadRipple);
        // Qtc 0.7 sqrt(5) sealed already peaks 4.3 dB; no port brings it down.
        QTest::newRow("peaky") << Driver{30, 0.7, 3, 1} << Inputs{0.75, 0.25} << int(P::NoTuning);
        // The tiniest box: a stiffness beyond any double, a response of NaN.
        QTest::newRow("volume 1e-320") << kReference << Inputs{1e-320, 2} << int(P::NoTuning);
    }
    void impossible() {
        QFETCH(Driver, driver);
        QFETCH(Inputs, request);
        const Alignment::RowResult r = request.size() == 1
                                           ? Alignment::Sealed(driver, request[0])
                                           : Alignment::Vented(driver, request[0], request[1]);
        QVERIFY(!r && r.Message().back() == '.' && r.Message().find(". ") == std::string::npos);
        QTEST(int(r.ErrorCode()), "problem");
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
        // Where a dip of the response touching -3 dB does.
        QTest::newRow("Qts 0.3 at Vas 0.5 dB") << Driver{30, 0.3, 3, 1} << 3.0 << 0.5;
        // Where f3 has a smooth minimum inside the bound.
        QTest::newRow("Qts 0.3 at Vas/4 2 dB") << Driver{30, 0.3, 3, 1} << 0.75 << 2.0;
        // A low Fs, where the band starts at 1 Hz close below the tuning.
        QTest::newRow("Fs 10 Hz 1 dB") << Driver{10, 0.45, 20, 2} << 30.0 << 1.0;
        QTest::newRow("Fs 300 Hz 0.5 dB") << Driver{300, 0.35, 0.05, 1} << 0.04 << 0.5;
    }
    void vented() {
        QFETCH(Driver, driver);
        QFETCH(double, volume);
        QFETCH(double, ripple);
        const Alignment::RowResult r = Alignment::Vented(driver, volume, ripple);
        QVERIFY(r && r->v1 == volume);
        SpeakerDesign d = DesignOf(driver, "Vented", volume, r->f1);
        const std::vector<double> band = Band(driver, 40000);
        const std::vector<double> levels = LevelsAt(d, SealedAlignment{}, band);
        double highest = -1e9;
        for (size_t i = 0; i < band.size(); ++i) {
            highest = std::max(highest, levels[i]);
            QVERIFY(band[i] < r->f3 || levels[i] >= Alignment::kF3Level - 1e-9);
        }
        QVERIFY(highest <= ripple + 1e-9 && highest <= r->peak + 1e-9 && highest > r->peak - 1e-4);
        const double below = r->f3 * (1 - 1e-8);
        QVERIFY(LevelsAt(d, SealedAlignment{}, std::span(&below, 1))[0] < Alignment::kF3Level);

        const std::vector<double> scan = Band(driver, 4000);
        for (int i = 0; i <= 1500; ++i) {
            d.m_f1 = driver.fs * Alignment::kLowestTuningRatio *
                     std::pow(Alignment::kHighestTuningRatio / Alignment::kLowestTuningRatio,
                              i / 1500.0);
            // f3 and peak read straight off the samples.
            const std::vector<double> v = LevelsAt(d, SealedAlignment{}, scan);
            size_t k = v.size() - 1;
            while (k > 0 && v[k - 1] >= Alignment::kF3Level)
                --k;
            if (*std::max_element(v.begin(), v.end()) <= ripple && v.back() >= Alignment::kF3Level)
                QVERIFY2(scan[k] >= r->f3 * (1 - 0.005), qPrintable(QString::number(d.m_f1)));
        }
    }

    // The radiators' search. The tuning found is the Fb its mass gives, by
    // Small's relations worked here from the values: Cmp = Vas/(ρc²·Sd²),
    // Mmp = 1/((2π·Fs)²·Cmp), Fp = 1/(2π·√((Mmp + m)·Cmp)), δ = Np·Vas/Vb,
    // Fb = Fp·√(1 + δ); its response keeps the ripple. Radiators of next to
    // no stiffness and loss are a port: the vented search's answer. Radiators
    // too heavy to reach 0.1 Fs bare leave no mass to add.
    void radiator() {
        DesignExtras x = Radiators(25, 2.55, 9.4);
        x.prCount = 2;
        const Alignment::RowResult r = Alignment::PassiveRadiator(kReference, x, 2.0, 0.5);
        QVERIFY(r && r->v1 == 2.0 && r->prMass > 0);
        const double sd = 36.44 * 0.0254 * 0.0254, vas = 2.55 * 0.028316846592;
        const double cmp = vas / (1.18 * 345 * 345 * sd * sd);
        const double mmp = 1 / (std::pow(2 * std::numbers::pi * 25, 2) * cmp);
        const double fb = std::sqrt(1 + 2 * 2.55 / 2.0) /
                          (2 * std::numbers::pi * std::sqrt((mmp + r->prMass * 1e-3) * cmp));
        QVERIFY2(std::fabs(r->f1 / fb - 1) < 1e-9, qPrintable(QString::number(r->f1)));
        SpeakerDesign d = DesignOf(kReference, "PassiveRadiator", 2.0, r->f1);
        d.m_extras = x;
        d.m_extras.prMass = r->prMass;
        const std::vector<double> levels = LevelsAt(d, SealedAlignment{}, Band(kReference, 4000));
        QVERIFY(*std::max_element(levels.begin(), levels.end()) <= 0.5 + 1e-9);
        QVERIFY(std::fabs(LevelsAt(d, SealedAlignment{}, std::span(&r->f3, 1))[0] + 3) < 1e-6);

        const DesignExtras port = Radiators(1, 1e9, 1e9);
        const Alignment::RowResult asPort = Alignment::PassiveRadiator(kReference, port, 2, 0.5);
        const Alignment::RowResult vented = Alignment::Vented(kReference, 2, 0.5);
        QVERIFY(asPort && vented && std::fabs(asPort->f3 / vented->f3 - 1) < 1e-5 &&
                std::fabs(asPort->f1 / vented->f1 - 1) < 1e-5);

        // Heavier ones whose bare tuning is below the best: their own mass.
        x.prFs = 14.36;
        const Alignment::RowResult bare = Alignment::PassiveRadiator(kReference, x, 2.0, 0.5);
        QVERIFY(bare && bare->prMass == 0 && bare->f1 < vented->f1);
        const DesignExtras heavy = Radiators(1, 0.01, 9.4);
        const Alignment::RowResult none = Alignment::PassiveRadiator(kReference, heavy, 2, 0.5);
        QCOMPARE(none.ErrorCode(), Alignment::Problem::NoMass);
        QCOMPARE(Alignment::PassiveRadiator(kReference, {}, 2, 0.5).ErrorCode(),
                 Alignment::Problem::NoRadiator);
    }

    // Nine volumes from N Vas / 4 to 4 N Vas in steps of sqrt 2; each row its
    // own alignment or failure. A looser bound admits every tuning a tighter
    // one does.
    void table() {
        double previous = HUGE_VAL;
        for (double ripple : Alignment::kRipples) {
            const Alignment::RowResult r = Alignment::Vented(kReference, 1.5, ripple);
            QVERIFY(r && r->f3 <= previous * (1 + 1e-9) && r->peak <= ripple);
            previous = r->f3;
        }
        const Driver pair{30, 0.4, 1.5, 2};
        const auto volumes = Alignment::TableVolumes(pair);
        QVERIFY(volumes.front() == 0.75 && volumes[4] == 3.0 && volumes.back() == 12.0);
        for (size_t i = 1; i < volumes.size(); ++i)
            QVERIFY(std::fabs(volumes[i] / volumes[i - 1] - std::sqrt(2.0)) < 1e-12);
        const std::vector<Alignment::RowResult> rows = Alignment::VentedTable(pair, 0.5);
        // The smallest box cannot hold this driver's peak; from there on,
        // with this driver, each bigger box reaches lower.
        QCOMPARE(rows[0].ErrorCode(), Alignment::Problem::NoTuning);
        for (size_t i = 1; i < rows.size(); ++i)
            QVERIFY(rows[i] && rows[i]->v1 == volumes[i] &&
                    (i == 1 || rows[i]->f3 < rows[i - 1]->f3));
    }
};

QTEST_APPLESS_MAIN(TestCalculators)
#include "test_calculators.moc"
