#include "sim/OutputLimits.h"

#include <QtTest>
#include <cmath>

namespace {

SpeakerDesign Reference(std::string_view type, double v1, double eff = 88) {
    SpeakerDesign d;
    d.m_fs = 30;
    d.m_qts = 0.4;
    d.m_vas = 3;
    d.m_v1 = v1;
    d.m_coneDiameter = 10;
    d.m_xmax = 0.25;
    d.m_efficiency = eff;
    d.m_boxType = std::string(type);
    ApplyAutomaticValues(d, false);
    return d;
}

FigureTexts Lines(const SpeakerDesign& d) {
    const SealedAlignment a = ComputeSealedAlignment(d);
    return FigureLines(d, a, ComputeOutputLimits(d, a)).value();
}

} // namespace

class TestOutputLimits : public QObject {
    Q_OBJECT
private slots:
    void sealedFigures() {
        const SpeakerDesign d = Reference("Sealed", 1.5);
        const OutputLimits l = ComputeOutputLimits(d, ComputeSealedAlignment(d)).value();
        QVERIFY(std::fabs(l.f3 - 53.06) < 0.01);
        QCOMPARE(l.k, 0.15);
        QVERIFY(std::fabs(l.vd - 0.00025491) < 1e-8);
        QVERIFY(std::fabs(l.par - 0.07723) < 1e-5);
        QVERIFY(std::fabs(l.maxSpl - 100.88) < 0.01);
        QVERIFY(std::fabs(l.inputPower - 19.40) < 0.01);
        // The displaced-volume coefficients are these exact double products.
        QCOMPARE(l.vd, std::pow(0.415 * 0.0254 * 10, 2) * 0.25 * (3.14159 * 1.15 * 0.0254));
    }

    void ventedFigures() {
        const SpeakerDesign d = Reference("Vented", 2);
        const OutputLimits l = ComputeOutputLimits(d, ComputeSealedAlignment(d)).value();
        QCOMPARE(l.f3, 45.0);
        QCOMPARE(l.k, 3.0);
        QVERIFY(std::fabs(l.par - 0.7994) < 1e-4);
        QVERIFY(std::fabs(l.maxSpl - 111.03) < 0.01);
        QVERIFY(std::fabs(l.inputPower - 200.79) < 0.01);
    }

    void powerFactorTable_data() {
        QTest::addColumn<double>("qtc");
        QTest::addColumn<double>("k");
        QTest::newRow("0.5 none") << 0.5 << double(NAN);
        QTest::newRow("0.50001") << 0.50001 << 0.06;
        QTest::newRow("0.577") << 0.577 << 0.06;
        QTest::newRow("0.6") << 0.6 << 0.15;
        QTest::newRow("0.707") << 0.707 << 0.15;
        QTest::newRow("0.708") << 0.708 << 0.39;
        QTest::newRow("1.0") << 1.0 << 0.75;
        QTest::newRow("1.2") << 1.2 << 0.85;
        QTest::newRow("1.21") << 1.21 << 0.84;
        QTest::newRow("1.5") << 1.5 << 0.84;
        QTest::newRow("3") << 3.0 << 0.71;
        QTest::newRow("nan") << double(NAN) << double(NAN);
    }
    void powerFactorTable() {
        QFETCH(double, qtc);
        QFETCH(double, k);
        const double got = SealedPowerFactor(qtc);
        if (std::isnan(k))
            QVERIFY(std::isnan(got));
        else
            QCOMPARE(got, k);
    }

    void figureLineTexts_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<double>("v1");
        QTest::addColumn<double>("eff");
        QTest::addColumn<double>("xmax");
        QTest::addColumn<QString>("line1");
        QTest::addColumn<QString>("line2");
        const QString sp5(5, ' '), sp46(46, ' '), sp50(50, ' '), sp16(16, ' ');
        QTest::newRow("sealed long") << "Sealed" << 1.5 << 88.0 << 0.25 << "Qtc=0.69"
                                     << "Max SPL = 101dB at 19 Watts input power" + sp5;
        QTest::newRow("sealed no efficiency") << "Sealed" << 1.5 << 0.0 << 0.25 << "Qtc=0.69"
                                              << "Max SPL = 101dB" + sp46;
        QTest::newRow("sealed no xmax") << "Sealed" << 1.5 << 88.0 << 0.0 << "Qtc=0.69"
                                        << "Max SPL = n/a" + sp50;
        QTest::newRow("sealed no volume") << "Sealed" << 0.0 << 88.0 << 0.25 << "Qtc=n/a"
                                          << "Max SPL = n/a" + sp50;
        // Qtc = 0.4 * sqrt(1 + 3/30) = 0.42: k has no value.
        QTest::newRow("sealed low qtc") << "Sealed" << 30.0 << 88.0 << 0.25 << "Qtc=0.42"
                                        << "Max SPL = n/a" + sp50;
        QTest::newRow("vented long") << "Vented" << 2.0 << 88.0 << 0.25 << sp16
                                     << "Max SPL = 114dB at 201 Watts input power" + sp5;
        QTest::newRow("vented no volume")
            << "Vented" << 0.0 << 88.0 << 0.25 << sp16 << "Max SPL = n/a" + sp50;
        QTest::newRow("bp4") << "Bandpass4" << 1.0 << 88.0 << 0.25 << sp16 << QString(67, ' ');
        QTest::newRow("bp6") << "Bandpass6" << 1.0 << 88.0 << 0.25 << sp16 << QString(68, ' ');
    }
    void figureLineTexts() {
        QFETCH(QString, type);
        QFETCH(double, v1);
        QFETCH(double, eff);
        QFETCH(double, xmax);
        QFETCH(QString, line1);
        QFETCH(QString, line2);
        SpeakerDesign d = Reference(type.toStdString(), v1, eff);
        d.m_xmax = xmax;
        const FigureTexts t = Lines(d);
        QCOMPARE(QString::fromStdString(t.line1), line1);
        QCOMPARE(QString::fromStdString(t.line2), line2);
    }

    void unknownTypeHasNoFigures() {
        const SpeakerDesign d = Reference("SEALED", 1.5);
        const SealedAlignment a = ComputeSealedAlignment(d);
        QVERIFY(!ComputeOutputLimits(d, a).has_value());
        QVERIFY(!FigureLines(d, a, std::nullopt).has_value());
    }
};

QTEST_APPLESS_MAIN(TestOutputLimits)
#include "test_output_limits.moc"
