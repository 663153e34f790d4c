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

// The reference driver (n of them) in a box of the given sizes.
SpeakerDesign Reference(const char* type, double v1, double f1, double v2, double f2 = 0,
                        uint16_t n = 1) {
    SpeakerDesign d = ReferenceDriver();
    d.m_v1 = v1, d.m_f1 = f1, d.m_v2 = v2, d.m_f2 = f2, d.m_boxType = type, d.m_driverCount = n;
    return d;
}

// The bandpass levels as written, every power through std::pow (sealed and
// vented ones are the lumped analysis' to 1e-9 dB: test_analysis).
double PowFormLevel(const SpeakerDesign& d, double f) {
    using std::pow;
    const double fs = d.m_fs, qts = d.m_qts, w = d.m_driverCount * d.m_vas;
    const double v1 = d.m_v1, v2 = d.m_v2, f1 = d.m_f1, f2 = d.m_f2, c = 0.0001;
    if (d.Kind() == BoxKind::Bandpass4) {
        const double t = 1 + w / v2, s = 1 + w * (1 / v1 + 1 / v2);
        const double r = pow(fs, 2) * t - pow(f, 2) * (1 + (fs / f1) * (fs * s / f1 + c / qts)) +
                         pow(f, 4) / pow(f1, 2);
        const double i =
            f * fs * (1 / qts + c * t * fs / f1) - pow(f, 3) * (fs / (f1 * qts) + c) / f1;
        return 8.7 * std::log(pow(f, 2) / pow(pow(r, 2) + pow(i, 2), 0.5));
    }
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

} // namespace

class TestResponseModel : public QObject {
    Q_OBJECT
private slots:
    // The documented levels at two decimals, and over the widest range the
    // program plots (and well past it) the formulas' to 1e-9 dB at every hertz.
    void levels_data() {
        QTest::addColumn<SpeakerDesign>("design");
        QTest::addColumn<double>("high");
        QTest::addColumn<QList<double>>("levels"); // frequency, level, ...
        QTest::newRow("sealed") << Reference("Sealed", 1.5, 0, 0) << 20000.0
                                << QList<double>{30, -10.11, 52, -3.18, 100, -0.40};
        QTest::newRow("vented") << Reference("Vented", 2, 0, 0) << 20000.0
                                << QList<double>{20, -17.67, 40, -0.90, 100, 0.45};
        QTest::newRow("bp4") << Reference("Bandpass4", 1, 60, 1) << 20000.0
                             << QList<double>{30, -7.62, 60, 2.50, 100, -2.86};
        QTest::newRow("bp6") << Reference("Bandpass6", 1, 40, 1.5, 90) << 300000.0
                             << QList<double>{30, -12.35, 60, 6.25, 100, 13.79};
        QTest::newRow("bp6 two drivers")
            << Reference("Bandpass6", 0.7, 45, 1.3, 80, 2) << 20000.0 << QList<double>{};
    }
    void levels() {
        QFETCH(SpeakerDesign, design);
        QFETCH(double, high);
        QFETCH(QList<double>, levels);
        design.m_freqLow = 10, design.m_freqHigh = high;
        ApplyAutomaticValues(design, false);
        const SealedAlignment a = ComputeSealedAlignment(design);
        for (qsizetype i = 0; i < levels.size(); i += 2)
            QVERIFY(std::fabs(LevelAt(design, a, int32_t(levels[i])).value() - levels[i + 1]) <
                    0.005);
        const ResponseCurve curve = ComputeCurve(design, a);
        QCOMPARE(qint64(curve.size()), qint64(high) - 10);
        double worst = 0;
        for (const CurvePoint& p : curve)
            worst = std::max(worst, design.m_v2 > 0
                                        ? std::fabs(p.level - PowFormLevel(design, p.frequency))
                                        : 0);
        QVERIFY2(worst <= 1e-9, qPrintable(QString::number(worst)));
        // Searches see the plot's values at whole hertz, others between.
        const double at[] = {20, 20.5, 21, 1999};
        const std::vector<double> v = LevelsAt(design, a, at);
        QVERIFY(v[0] == curve[10].level && v[2] == curve[11].level && v[3] == curve[1989].level &&
                v[1] > v[0] && v[1] < v[2]);
    }

    // What each type fills in; what the formulas cannot give is stored as 0.
    // (The vented tuning's choices are the design form's: test_view.)
    void automaticValues() {
        const auto f1 = AutoEntry::F1, f2 = AutoEntry::F2, none = AutoEntry::None;
        const std::tuple<SpeakerDesign, bool, AutoEntry, double> rows[] = {
            {Reference("Sealed", 1.5, 7, 0), false, f1, 51.9615},
            {Reference("Vented", 2, 40, 0), true, none, 40},
            {Reference("Bandpass4", 1, 60, 1), false, f2, 60},
            {Reference("Bandpass4", 1, 60, 0), false, f2, 0},
            {Reference("Vented", 0, 0, 0), false, f1, 0},
            {Reference("Bandpass6", 1, 60, 1, 90), false, none, 60}};
        for (auto [design, entered, entry, value] : rows) {
            const AutoValue a = ApplyAutomaticValues(design, entered);
            const double stored = a.entry == AutoEntry::F2 ? design.m_f2 : design.m_f1;
            QVERIFY(a.entry == entry && std::fabs(stored - value) < 1e-3);
            QVERIFY(a.entry == AutoEntry::None || a.value == stored);
        }
    }

    // The whole hertz from fLow up to fHigh, truncated and saturated, at
    // most 1 000 000 of them.
    void sweepBounds() {
        const double rows[][4] = {// low, high, first, count
                                  {20.9, 40.9, 20, 20},
                                  {500, 100, 500, 0},
                                  {-1e300, 1e300, INT32_MIN, 1e6},
                                  {NAN, 50, 0, 50},
                                  {2147483000.0, INFINITY, 2147483000.0, 647}};
        for (const auto& [low, high, first, count] : rows) {
            SpeakerDesign d;
            d.m_freqLow = low, d.m_freqHigh = high;
            const SweepRange r = ComputeSweepRange(d);
            QVERIFY(r.first == first && double(r.Count()) == count);
        }
    }

    // The figures and lines of a type, V1, efficiency and Xmax (the row's name).
    void figures_data() {
        QTest::addColumn<QString>("figures"); // f3, k, Vd, Par, maxSpl, input power
        QTest::addColumn<QString>("lines");
        const QString na = "|Max SPL = n/a" + QString(50, ' ');
        QTest::newRow("Sealed 1.5 88 0.25")
            << "53.06 0.15 0.00025491 0.07723 100.88 19.40"
            << "Qtc=0.69|Max SPL = 101dB at 19 Watts input power     ";
        QTest::newRow("Vented 2 88 0.25")
            << "45.00 3.00 0.00025491 0.7994 111.03 200.79"
            << QString(16, ' ') + "|Max SPL = 114dB at 201 Watts input power     ";
        const QString none; // no figures
        QTest::newRow("Sealed 1.5 0 0.25") << none << "Qtc=0.69|Max SPL = 101dB" + QString(46, ' ');
        QTest::newRow("Sealed 1.5 88 0") << none << "Qtc=0.69" + na;
        QTest::newRow("Sealed 30 88 0.25") << none << "Qtc=0.42" + na; // Qtc 0.42 has no k
        QTest::newRow("Bandpass4 1 88 0.25") << none << QString(16, ' ') + '|' + QString(67, ' ');
    }
    void figures() {
        QFETCH(QString, figures);
        const QStringList in = QString(QTest::currentDataTag()).split(' ');
        SpeakerDesign d = WithOutputFigures(Reference(qPrintable(in[0]), in[1].toDouble(), 0, 0));
        d.m_efficiency = in[2].toDouble(), d.m_xmax = in[3].toDouble();
        ApplyAutomaticValues(d, false);
        const SealedAlignment a = ComputeSealedAlignment(d);
        const std::optional<OutputLimits> l = ComputeOutputLimits(d, a);
        if (!figures.isEmpty())
            QCOMPARE(QString::asprintf("%.2f %.2f %.8f %.4g %.2f %.2f", l->f3, l->k, l->vd, l->par,
                                       l->maxSpl, l->inputPower),
                     figures);
        const FigureTexts t = FigureLines(d, a, l).value();
        QTEST(QString::fromStdString(t.line1 + '|' + t.line2), "lines");
    }

    void powerFactorTable() {
        const double rows[][2] = {
            {0.5, NAN}, {0.707, 0.15}, {0.708, 0.39}, {1.2, 0.85}, {1.21, 0.84}};
        for (const auto& [qtc, k] : rows)
            QVERIFY(std::isnan(k) ? std::isnan(SealedPowerFactor(qtc))
                                  : SealedPowerFactor(qtc) == k);
    }
};

QTEST_APPLESS_MAIN(TestResponseModel)
#include "test_response_model.moc"
