// SPDX-License-Identifier: GPL-3.0-or-later
// The enclosure response models and the output limits figured from them.
#include "core/model/OutputLimits.h"
#include "core/model/ResponseModel.h"
#include "tests/support/ReferenceDesigns.h"

#include <QtTest>
#include <cmath>

using namespace orvane;

Q_DECLARE_METATYPE(SpeakerDesign)

namespace {

// The reference driver in a box of the given sizes.
SpeakerDesign Reference(const QString& type, double v1, double f1, double v2, double f2 = 0) {
    SpeakerDesign d = ReferenceDriver();
    d.m_v1 = v1;
    d.m_f1 = f1;
    d.m_v2 = v2;
    d.m_f2 = f2;
    d.m_boxType = type.toStdString();
    return d;
}

// The level formulas as written, every power through std::pow: an
// independent evaluation that the model's products and square roots must
// follow to within rounding.
double PowFormLevel(const SpeakerDesign& d, double f) {
    using std::pow;
    const double fs = d.m_fs, qts = d.m_qts, w = d.m_driverCount * d.m_vas;
    const double v1 = d.m_v1, v2 = d.m_v2, f1 = d.m_f1, f2 = d.m_f2, c = 0.0001;
    switch (d.Kind()) {
    case BoxKind::Sealed: {
        const double root = std::sqrt(1 + w / v1);
        const double x = f / (fs * root), qtc = qts * root;
        return 20 * std::log10(pow(x, 2) / pow(pow(1 - pow(x, 2), 2) + pow(x / qtc, 2), 0.5));
    }
    case BoxKind::Vented: {
        const double h = f1 / fs, x = pow(f / fs, 2);
        const double a = pow(h, 2), b = pow(h, 2) / qts + h / 7;
        const double g = 1 + w / v1 + pow(h, 2) + h / (7 * qts), e = 1 / qts + h / 7;
        return 20 * std::log10(pow(x, 2) /
                               pow(pow(pow(x, 2) - g * x + a, 2) + x * pow(e * x - b, 2), 0.5));
    }
    case BoxKind::Bandpass4: {
        const double t = 1 + w / v2, s = 1 + w * (1 / v1 + 1 / v2);
        const double r = pow(fs, 2) * t - pow(f, 2) * (1 + (fs / f1) * (fs * s / f1 + c / qts)) +
                         pow(f, 4) / pow(f1, 2);
        const double i =
            f * fs * (1 / qts + c * t * fs / f1) - pow(f, 3) * (fs / (f1 * qts) + c) / f1;
        return 8.7 * std::log(pow(f, 2) / pow(pow(r, 2) + pow(i, 2), 0.5));
    }
    case BoxKind::Bandpass6: {
        const double p5 = fs / qts + c * (f1 + pow(f2, 2) / f1);
        const double p4 = pow(fs, 2) * (1 + w * (1 / v1 + 1 / v2)) +
                          c * fs * (f1 + pow(f2, 2) / f1) / qts + pow(f1, 2) + pow(f2, 2);
        const double p3 = 0.0002 * f1 * pow(f2, 2) + fs * (pow(f1, 2) + pow(f2, 2)) / qts +
                          c * pow(fs, 2) * (pow(f2, 2) * (1 + w / v1) / f1 + f1 * (1 + w / v2));
        const double p2 = pow(f1, 2) * pow(f2, 2) + 0.0002 * pow(f2, 2) * f1 * fs / qts +
                          pow(fs, 2) * (pow(f2, 2) * (1 + w / v1) + pow(f1, 2) * (1 + w / v2));
        const double p1 = f1 * pow(f2, 2) * (f1 * fs / qts + 0.0002 * pow(fs, 2));
        const double p0 = pow(f1, 2) * pow(f2, 2) * pow(fs, 2);
        const double re = p0 - pow(f, 6) - pow(f, 2) * p2 + pow(f, 4) * p4;
        const double im = f * p1 - pow(f, 3) * p3 + pow(f, 5) * p5;
        return 20 * std::log10(pow(f, 4) * std::fabs(pow(f1, 2) - pow(f2, 2)) /
                               pow(pow(re, 2) + pow(im, 2), 0.5));
    }
    case BoxKind::Unknown:
        break;
    }
    return NAN;
}

// The reference driver with its output figures in a box of volume v1.
SpeakerDesign Limited(const QString& type, double v1, double eff = 88, double xmax = 0.25) {
    SpeakerDesign d = WithOutputFigures(ReferenceDriver());
    d.m_v1 = v1;
    d.m_xmax = xmax;
    d.m_efficiency = eff;
    d.m_boxType = type.toStdString();
    ApplyAutomaticValues(d, false);
    return d;
}

} // namespace

class TestResponseModel : public QObject {
    Q_OBJECT
private slots:
    void referenceLevels_data() {
        QTest::addColumn<SpeakerDesign>("design");
        QTest::addColumn<int>("freq");
        QTest::addColumn<double>("level");
        const SpeakerDesign sealed = ReferenceDesign(BoxKind::Sealed);
        const SpeakerDesign vented = ReferenceDesign(BoxKind::Vented);
        const SpeakerDesign bp4 = ReferenceDesign(BoxKind::Bandpass4);
        const SpeakerDesign bp6 = ReferenceDesign(BoxKind::Bandpass6);
        QTest::newRow("sealed 30") << sealed << 30 << -10.11;
        QTest::newRow("sealed 100") << sealed << 100 << -0.40;
        QTest::newRow("vented 20") << vented << 20 << -17.67;
        QTest::newRow("vented 100") << vented << 100 << 0.45;
        QTest::newRow("bp4 30") << bp4 << 30 << -7.62;
        QTest::newRow("bp4 60") << bp4 << 60 << 2.50;
        QTest::newRow("bp6 30") << bp6 << 30 << -12.35;
        QTest::newRow("bp6 100") << bp6 << 100 << 13.79;
    }
    void referenceLevels() {
        QFETCH(SpeakerDesign, design);
        QFETCH(int, freq);
        QFETCH(double, level);
        ApplyAutomaticValues(design, false);
        const double got = LevelAt(design, ComputeSealedAlignment(design), freq).value();
        QVERIFY2(std::fabs(got - level) < 0.005, qPrintable(QString::number(got)));
    }

    // Over the widest range the program plots, and well past it, the curve
    // is the formulas' to 1e-9 dB at every hertz.
    void agreesWithPowForm_data() {
        QTest::addColumn<SpeakerDesign>("design");
        QTest::addColumn<double>("high");
        QTest::newRow("sealed") << Reference("Sealed", 1.5, 0, 0) << 20000.0;
        QTest::newRow("vented") << Reference("Vented", 2, 0, 0) << 20000.0;
        QTest::newRow("bp4") << Reference("Bandpass4", 1, 60, 1) << 20000.0;
        QTest::newRow("bp6") << Reference("Bandpass6", 1, 40, 1.5, 90) << 20000.0;
        QTest::newRow("bp6 to 300 kHz") << Reference("Bandpass6", 1, 40, 1.5, 90) << 300000.0;
        QTest::newRow("bp4 two drivers") << [] {
            SpeakerDesign d = Reference("Bandpass4", 0.7, 45, 1.3);
            d.m_driverCount = 2;
            return d;
        }() << 20000.0;
    }
    void agreesWithPowForm() {
        QFETCH(SpeakerDesign, design);
        QFETCH(double, high);
        design.m_freqLow = 10;
        design.m_freqHigh = high;
        ApplyAutomaticValues(design, false);
        const ResponseCurve curve = ComputeCurve(design, ComputeSealedAlignment(design));
        QCOMPARE(qint64(curve.size()), qint64(high) - 10);
        double worst = 0;
        for (const CurvePoint& p : curve)
            worst = std::max(worst, std::fabs(p.level - PowFormLevel(design, p.frequency)));
        QVERIFY2(worst <= 1e-9, qPrintable(QString::number(worst)));
    }

    void automaticValues_data() {
        QTest::addColumn<SpeakerDesign>("design");
        QTest::addColumn<bool>("entered");
        QTest::addColumn<int>("entry");
        QTest::addColumn<double>("value");
        const int none = int(AutoEntry::None), e1 = int(AutoEntry::F1), e2 = int(AutoEntry::F2);
        QTest::newRow("sealed") << Reference("Sealed", 1.5, 7, 0) << false << e1 << 51.9615;
        QTest::newRow("vented auto") << Reference("Vented", 2, 40, 0) << false << e1 << 34.0184;
        QTest::newRow("vented kept") << Reference("Vented", 2, 40, 0) << true << none << 40.0;
        QTest::newRow("vented cleared") << Reference("Vented", 2, 0.05, 0) << true << e1 << 34.0184;
        QTest::newRow("vented 0.1 kept") << Reference("Vented", 2, 0.1, 0) << true << none << 0.1;
        QTest::newRow("bp4") << Reference("Bandpass4", 1, 60, 1) << false << e2 << 60.0;
        QTest::newRow("bp4 V2 0") << Reference("Bandpass4", 1, 60, 0) << false << e2 << 0.0;
        // What the formulas cannot produce is stored as 0, never inf or nan.
        QTest::newRow("non-finite") << Reference("Vented", 0, 0, 0) << false << e1 << 0.0;
        QTest::newRow("bp6") << Reference("Bandpass6", 1, 60, 1, 90) << false << none << 60.0;
    }
    void automaticValues() {
        QFETCH(SpeakerDesign, design);
        QFETCH(bool, entered);
        QFETCH(double, value);
        const AutoValue a = ApplyAutomaticValues(design, entered);
        QTEST(int(a.entry), "entry");
        const double stored = a.entry == AutoEntry::F2 ? design.m_f2 : design.m_f1;
        QVERIFY2(std::fabs(stored - value) < 1e-3, qPrintable(QString::number(stored)));
        if (a.entry != AutoEntry::None)
            QCOMPARE(a.value, stored);
    }

    void sweepBounds_data() {
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("count");
        QTest::newRow("default") << 20.0 << 2000.0 << 20 << 1980;
        QTest::newRow("fractions") << 20.9 << 40.9 << 20 << 20;
        QTest::newRow("reversed") << 500.0 << 100.0 << 500 << 0;
        QTest::newRow("huge capped") << -1e300 << 1e300 << INT32_MIN << 1000000;
        QTest::newRow("nan low") << double(NAN) << 50.0 << 0 << 50;
        QTest::newRow("near int max") << 2147483000.0 << double(INFINITY) << 2147483000 << 647;
    }
    void sweepBounds() {
        QFETCH(double, low);
        QFETCH(double, high);
        QFETCH(int, first);
        QFETCH(int, count);
        SpeakerDesign d = Reference("Bandpass4", 1, 60, 1);
        d.m_freqLow = low;
        d.m_freqHigh = high;
        const ResponseCurve c = ComputeCurve(d, ComputeSealedAlignment(d));
        QCOMPARE(int(c.size()), count);
        if (count > 0) {
            QCOMPARE(c.front().frequency, first);
            QCOMPARE(int64_t(c.back().frequency), int64_t(first) + count - 1);
        }
    }

    // Searches sample the model between whole hertz; at whole hertz they must
    // see exactly what the plot draws.
    void levelsAtFrequencies_data() {
        QTest::addColumn<SpeakerDesign>("design");
        QTest::newRow("sealed") << Reference("Sealed", 1.5, 0, 0);
        QTest::newRow("vented") << Reference("Vented", 2, 0, 0);
        QTest::newRow("bp4") << Reference("Bandpass4", 1, 60, 1);
        QTest::newRow("bp6") << Reference("Bandpass6", 1, 40, 1.5, 90);
    }
    void levelsAtFrequencies() {
        QFETCH(SpeakerDesign, design);
        ApplyAutomaticValues(design, false);
        const SealedAlignment a = ComputeSealedAlignment(design);
        for (const int32_t f : {1, 20, 57, 1999, 2147483000}) {
            const double whole = f;
            const double level = LevelsAt(design, a, std::span(&whole, 1)).at(0);
            QCOMPARE(level, LevelAt(design, a, f).value());
        }
        // Half-way between whole hertz the level lies between theirs where
        // the response rises steadily.
        const double between[] = {20.5};
        const double mid = LevelsAt(design, a, between).at(0);
        QVERIFY(mid > LevelAt(design, a, 20).value() && mid < LevelAt(design, a, 21).value());
        design.m_boxType = "Horn";
        QVERIFY(LevelsAt(design, a, between).empty());
    }

    // --- output limits ---

    void figures_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<double>("v1");
        QTest::addColumn<QList<double>>("expected"); // f3, k, par, maxSpl, inputPower
        QTest::newRow("sealed") << "Sealed" << 1.5
                                << QList<double>{53.06, 0.15, 0.07723, 100.88, 19.40};
        QTest::newRow("vented") << "Vented" << 2.0
                                << QList<double>{45.0, 3.0, 0.7994, 111.03, 200.79};
    }
    void figures() {
        QFETCH(QString, type);
        QFETCH(double, v1);
        QFETCH(QList<double>, expected);
        const SpeakerDesign d = Limited(type, v1);
        const OutputLimits l = ComputeOutputLimits(d, ComputeSealedAlignment(d)).value();
        const double got[] = {l.f3, l.k, l.par, l.maxSpl, l.inputPower};
        for (int i = 0; i < 5; ++i) // within 1e-4 of each
            QVERIFY2(std::fabs(got[i] - expected[i]) <= 1e-4 * expected[i],
                     qPrintable(QString::number(got[i])));
        QVERIFY(std::fabs(l.vd - 0.00025491) < 1e-8);
    }

    void powerFactorTable_data() {
        QTest::addColumn<double>("qtc");
        QTest::addColumn<double>("k");
        QTest::newRow("0.5 none") << 0.5 << double(NAN);
        QTest::newRow("0.707") << 0.707 << 0.15;
        QTest::newRow("0.708") << 0.708 << 0.39;
        QTest::newRow("1.2") << 1.2 << 0.85;
        QTest::newRow("1.21") << 1.21 << 0.84;
    }
    void powerFactorTable() {
        QFETCH(double, qtc);
        QFETCH(double, k);
        const double got = SealedPowerFactor(qtc);
        QVERIFY2(std::isnan(k) ? std::isnan(got) : got == k, qPrintable(QString::number(got)));
    }

    void figureLineTexts_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<double>("v1");
        QTest::addColumn<double>("eff");
        QTest::addColumn<double>("xmax");
        QTest::addColumn<QString>("line1");
        QTest::addColumn<QString>("line2");
        const QString sp16(16, ' '), na = "Max SPL = n/a" + QString(50, ' ');
        QTest::newRow("sealed") << "Sealed" << 1.5 << 88.0 << 0.25 << "Qtc=0.69"
                                << "Max SPL = 101dB at 19 Watts input power     ";
        QTest::newRow("sealed no efficiency") << "Sealed" << 1.5 << 0.0 << 0.25 << "Qtc=0.69"
                                              << "Max SPL = 101dB" + QString(46, ' ');
        QTest::newRow("sealed no xmax") << "Sealed" << 1.5 << 88.0 << 0.0 << "Qtc=0.69" << na;
        QTest::newRow("sealed no volume") << "Sealed" << 0.0 << 88.0 << 0.25 << "Qtc=n/a" << na;
        // Qtc 0.42 has no power factor.
        QTest::newRow("sealed low qtc") << "Sealed" << 30.0 << 88.0 << 0.25 << "Qtc=0.42" << na;
        QTest::newRow("vented") << "Vented" << 2.0 << 88.0 << 0.25 << sp16
                                << "Max SPL = 114dB at 201 Watts input power     ";
        QTest::newRow("bp4") << "Bandpass4" << 1.0 << 88.0 << 0.25 << sp16 << QString(67, ' ');
        QTest::newRow("bp6") << "Bandpass6" << 1.0 << 88.0 << 0.25 << sp16 << QString(68, ' ');
    }
    void figureLineTexts() {
        QFETCH(QString, type);
        QFETCH(double, v1);
        QFETCH(double, eff);
        QFETCH(double, xmax);
        const SpeakerDesign d = Limited(type, v1, eff, xmax);
        const SealedAlignment a = ComputeSealedAlignment(d);
        const FigureTexts t = FigureLines(d, a, ComputeOutputLimits(d, a)).value();
        QTEST(QString::fromStdString(t.line1), "line1");
        QTEST(QString::fromStdString(t.line2), "line2");
    }
};

QTEST_APPLESS_MAIN(TestResponseModel)
#include "test_response_model.moc"
