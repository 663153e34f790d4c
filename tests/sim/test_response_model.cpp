#include "sim/ResponseModel.h"

#include <QtTest>
#include <cmath>

namespace {

SpeakerDesign ReferenceDriver(std::string_view type) {
    SpeakerDesign d;
    d.m_fs = 30;
    d.m_qts = 0.4;
    d.m_vas = 3;
    d.m_boxType = std::string(type);
    return d;
}

double Level(const SpeakerDesign& d, int f) {
    return LevelAt(d, ComputeSealedAlignment(d), f).value();
}

} // namespace

class TestResponseModel : public QObject {
    Q_OBJECT
private slots:
    void referenceLevels_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<double>("v1");
        QTest::addColumn<double>("f1");
        QTest::addColumn<double>("v2");
        QTest::addColumn<double>("f2");
        QTest::addColumn<int>("freq");
        QTest::addColumn<double>("level");
        QTest::newRow("sealed 30") << "Sealed" << 1.5 << 0.0 << 0.0 << 0.0 << 30 << -10.11;
        QTest::newRow("sealed 52") << "Sealed" << 1.5 << 0.0 << 0.0 << 0.0 << 52 << -3.18;
        QTest::newRow("sealed 100") << "Sealed" << 1.5 << 0.0 << 0.0 << 0.0 << 100 << -0.40;
        QTest::newRow("vented 20") << "Vented" << 2.0 << 0.0 << 0.0 << 0.0 << 20 << -17.67;
        QTest::newRow("vented 40") << "Vented" << 2.0 << 0.0 << 0.0 << 0.0 << 40 << -0.90;
        QTest::newRow("vented 100") << "Vented" << 2.0 << 0.0 << 0.0 << 0.0 << 100 << 0.45;
        QTest::newRow("bp4 30") << "Bandpass4" << 1.0 << 60.0 << 1.0 << 0.0 << 30 << -7.62;
        QTest::newRow("bp4 60") << "Bandpass4" << 1.0 << 60.0 << 1.0 << 0.0 << 60 << 2.50;
        QTest::newRow("bp4 100") << "Bandpass4" << 1.0 << 60.0 << 1.0 << 0.0 << 100 << -2.86;
        QTest::newRow("bp6 30") << "Bandpass6" << 1.0 << 40.0 << 1.5 << 90.0 << 30 << -12.35;
        QTest::newRow("bp6 60") << "Bandpass6" << 1.0 << 40.0 << 1.5 << 90.0 << 60 << 6.25;
        QTest::newRow("bp6 100") << "Bandpass6" << 1.0 << 40.0 << 1.5 << 90.0 << 100 << 13.79;
    }
    void referenceLevels() {
        QFETCH(QString, type);
        QFETCH(double, v1);
        QFETCH(double, f1);
        QFETCH(double, v2);
        QFETCH(double, f2);
        QFETCH(int, freq);
        QFETCH(double, level);
        SpeakerDesign d = ReferenceDriver(type.toStdString());
        d.m_v1 = v1;
        d.m_f1 = f1;
        d.m_v2 = v2;
        d.m_f2 = f2;
        ApplyAutomaticValues(d, false);
        const double got = Level(d, freq);
        QVERIFY2(std::fabs(got - level) < 0.005, qPrintable(QString::number(got)));
    }

    void automaticValues_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<double>("v1");
        QTest::addColumn<double>("f1");
        QTest::addColumn<double>("v2");
        QTest::addColumn<bool>("entered");
        QTest::addColumn<int>("entry");
        QTest::addColumn<double>("value");
        const int none = int(AutoEntry::None), e1 = int(AutoEntry::F1), e2 = int(AutoEntry::F2);
        QTest::newRow("sealed") << "Sealed" << 1.5 << 0.0 << 0.0 << false << e1 << 51.9615;
        QTest::newRow("sealed V1 0") << "Sealed" << 0.0 << 7.0 << 0.0 << false << e1 << 0.0;
        QTest::newRow("sealed V1 <0") << "Sealed" << -1.0 << 7.0 << 0.0 << false << e1 << 0.0;
        QTest::newRow("vented auto") << "Vented" << 2.0 << 0.0 << 0.0 << false << e1 << 34.0184;
        QTest::newRow("vented file tuning replaced")
            << "Vented" << 2.0 << 40.0 << 0.0 << false << e1 << 34.0184;
        QTest::newRow("vented entered kept")
            << "Vented" << 2.0 << 40.0 << 0.0 << true << none << 0.0;
        QTest::newRow("vented cleared") << "Vented" << 2.0 << 0.05 << 0.0 << true << e1 << 34.0184;
        QTest::newRow("bp4") << "Bandpass4" << 1.0 << 60.0 << 1.0 << false << e2 << 60.0;
        QTest::newRow("bp4 V2 0") << "Bandpass4" << 1.0 << 60.0 << 0.0 << false << e2 << 0.0;
        // Values the formulas cannot produce are stored as 0, never inf or nan.
        QTest::newRow("vented V1 0") << "Vented" << 0.0 << 0.0 << 0.0 << false << e1 << 0.0;
        QTest::newRow("vented V1 <0") << "Vented" << -2.0 << 0.0 << 0.0 << false << e1 << 0.0;
        QTest::newRow("bp6") << "Bandpass6" << 1.0 << 60.0 << 1.0 << false << none << 0.0;
        QTest::newRow("case differs") << "sealed" << 1.0 << 60.0 << 1.0 << false << none << 0.0;
    }
    void automaticValues() {
        QFETCH(QString, type);
        QFETCH(double, v1);
        QFETCH(double, f1);
        QFETCH(double, v2);
        QFETCH(bool, entered);
        QFETCH(int, entry);
        QFETCH(double, value);
        SpeakerDesign d = ReferenceDriver(type.toStdString());
        d.m_v1 = v1;
        d.m_f1 = f1;
        d.m_v2 = v2;
        const SpeakerDesign before = d;
        const AutoValue a = ApplyAutomaticValues(d, entered);
        QCOMPARE(int(a.entry), entry);
        if (a.entry == AutoEntry::None) {
            QCOMPARE(d.m_f1, before.m_f1);
            QCOMPARE(d.m_f2, before.m_f2);
            return;
        }
        QVERIFY(std::fabs(a.value - value) < 1e-3);
        QCOMPARE(a.entry == AutoEntry::F1 ? d.m_f1 : d.m_f2, a.value);
        // Shown as "%.f" by the caller, and stable when applied again.
        const AutoValue again = ApplyAutomaticValues(d, true);
        if (again.entry != AutoEntry::None)
            QCOMPARE(again.value, a.value);
    }

    void negativeComplianceGivesStorableValues() {
        // Vas has no range in Driver Parameters: a negative one must not leave
        // "nan" in an entry that the next Plot reads.
        for (std::string_view type : {BoxType::Sealed, BoxType::Vented, BoxType::Bandpass4}) {
            SpeakerDesign d = ReferenceDriver(type);
            d.m_vas = -10;
            d.m_v1 = 1;
            d.m_v2 = 1;
            const AutoValue a = ApplyAutomaticValues(d, false);
            QVERIFY(a.entry != AutoEntry::None);
            QCOMPARE(a.value, 0.0);
        }
    }

    void sealedAlignment() {
        SpeakerDesign d = ReferenceDriver("Sealed");
        d.m_v1 = 1.5;
        const SealedAlignment a = ComputeSealedAlignment(d);
        QVERIFY(a.valid);
        QVERIFY(std::fabs(a.qtc - 0.6928) < 1e-4);
        d.m_v1 = 0;
        QVERIFY(!ComputeSealedAlignment(d).valid);
        QVERIFY(std::isnan(ComputeSealedAlignment(d).qtc));
    }

    void sweepBounds_data() {
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("count");
        const double inf = INFINITY, nan = NAN;
        QTest::newRow("default") << 20.0 << 2000.0 << 20 << 1980;
        QTest::newRow("fractions") << 20.9 << 40.9 << 20 << 20;
        QTest::newRow("empty") << 100.0 << 100.0 << 100 << 0;
        QTest::newRow("reversed") << 500.0 << 100.0 << 500 << 0;
        QTest::newRow("widest user range") << 10.0 << 20000.0 << 10 << 19990;
        QTest::newRow("huge capped") << -1e300 << 1e300 << INT32_MIN << 1000000;
        QTest::newRow("inf capped") << 0.0 << inf << 0 << 1000000;
        QTest::newRow("nan low") << nan << 50.0 << 0 << 50;
        QTest::newRow("nan high") << 10.0 << nan << 10 << 0;
        QTest::newRow("near int max") << 2147483000.0 << inf << 2147483000 << 647;
    }
    void sweepBounds() {
        QFETCH(double, low);
        QFETCH(double, high);
        QFETCH(int, first);
        QFETCH(int, count);
        SpeakerDesign d = ReferenceDriver("Bandpass4");
        d.m_v1 = 1;
        d.m_v2 = 1;
        d.m_f1 = 60;
        d.m_freqLow = low;
        d.m_freqHigh = high;
        const ResponseCurve c = ComputeCurve(d, ComputeSealedAlignment(d));
        QCOMPARE(int(c.size()), count);
        if (count > 0) {
            QCOMPARE(c.front().frequency, first);
            QCOMPARE(int64_t(c.back().frequency), int64_t(first) + count - 1);
        }
    }

    void degenerateDesignsGiveNoFiniteLevels() {
        SpeakerDesign d = ReferenceDriver("Sealed");
        d.m_v1 = 0;
        ApplyAutomaticValues(d, false);
        for (const CurvePoint& p : ComputeCurve(d, ComputeSealedAlignment(d)))
            QVERIFY(!std::isfinite(p.level));

        SpeakerDesign b6 = ReferenceDriver("Bandpass6");
        b6.m_v1 = 1;
        b6.m_v2 = 1.5;
        b6.m_f1 = b6.m_f2 = 50;
        for (const CurvePoint& p : ComputeCurve(b6, ComputeSealedAlignment(b6)))
            QVERIFY(std::isinf(p.level) && p.level < 0);
    }

    void unknownTypeHasNoCurve() {
        SpeakerDesign d = ReferenceDriver("Horn");
        d.m_v1 = 1;
        QVERIFY(!LevelAt(d, ComputeSealedAlignment(d), 50).has_value());
        QVERIFY(ComputeCurve(d, ComputeSealedAlignment(d)).empty());
    }

    void curveMatchesLevelAtAndIsRepeatable() {
        SpeakerDesign d = ReferenceDriver("Vented");
        d.m_v1 = 2;
        ApplyAutomaticValues(d, false);
        const SealedAlignment a = ComputeSealedAlignment(d);
        const ResponseCurve c1 = ComputeCurve(d, a);
        ApplyAutomaticValues(d, true);
        const ResponseCurve c2 = ComputeCurve(d, a);
        QCOMPARE(c1.size(), c2.size());
        for (size_t i = 0; i < c1.size(); i += 97) {
            QCOMPARE(c1[i].level, c2[i].level);
            QCOMPARE(c1[i].level, LevelAt(d, a, c1[i].frequency).value());
        }
    }
};

QTEST_APPLESS_MAIN(TestResponseModel)
#include "test_response_model.moc"
