// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/model/OutputLimits.h"
#include "tests/support/ReferenceDesigns.h"

#include <QtTest>
#include <cmath>

using namespace orvane;

namespace {

SpeakerDesign Reference(const QString& type, double v1, double eff = 88, double xmax = 0.25) {
    SpeakerDesign d = WithOutputFigures(ReferenceDriver());
    d.m_v1 = v1;
    d.m_xmax = xmax;
    d.m_efficiency = eff;
    d.m_boxType = type.toStdString();
    ApplyAutomaticValues(d, false);
    return d;
}

} // namespace

class TestOutputLimits : public QObject {
    Q_OBJECT
private slots:
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
        const SpeakerDesign d = Reference(type, v1);
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
        const SpeakerDesign d = Reference(type, v1, eff, xmax);
        const SealedAlignment a = ComputeSealedAlignment(d);
        const FigureTexts t = FigureLines(d, a, ComputeOutputLimits(d, a)).value();
        QTEST(QString::fromStdString(t.line1), "line1");
        QTEST(QString::fromStdString(t.line2), "line2");
    }
};

QTEST_APPLESS_MAIN(TestOutputLimits)
#include "test_output_limits.moc"
