// SPDX-License-Identifier: GPL-3.0-or-later
// ComputeCurve over the widest range the program allows, 20 to 20000 Hz, for
// each box type. The plot recomputes the curve on every repaint.
#include "core/model/ResponseModel.h"

#include <QtTest>

using namespace orvane;

class BenchComputeCurve : public QObject {
    Q_OBJECT
private slots:
    void computeCurve_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<double>("v1");
        QTest::addColumn<double>("f1");
        QTest::addColumn<double>("v2");
        QTest::addColumn<double>("f2");
        QTest::newRow("Sealed") << "Sealed" << 1.5 << 0.0 << 0.0 << 0.0;
        QTest::newRow("Vented") << "Vented" << 2.0 << 0.0 << 0.0 << 0.0;
        QTest::newRow("Bandpass4") << "Bandpass4" << 1.0 << 60.0 << 1.0 << 0.0;
        QTest::newRow("Bandpass6") << "Bandpass6" << 1.0 << 40.0 << 1.5 << 90.0;
    }
    void computeCurve() {
        QFETCH(QString, type);
        QFETCH(double, v1);
        QFETCH(double, f1);
        QFETCH(double, v2);
        QFETCH(double, f2);
        SpeakerDesign d;
        d.m_fs = 30;
        d.m_qts = 0.4;
        d.m_vas = 3;
        d.m_v1 = v1;
        d.m_f1 = f1;
        d.m_v2 = v2;
        d.m_f2 = f2;
        d.m_freqLow = 20;
        d.m_freqHigh = 20000;
        d.m_boxType = type.toStdString();
        ApplyAutomaticValues(d, false);
        const SealedAlignment alignment = ComputeSealedAlignment(d);
        std::size_t points = 0;
        QBENCHMARK {
            points = ComputeCurve(d, alignment).size();
        }
        QCOMPARE(points, std::size_t(19980));
    }
};

QTEST_APPLESS_MAIN(BenchComputeCurve)
#include "bench_compute_curve.moc"
