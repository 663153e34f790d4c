#include "tools/BoxCalc.h"

#include <QtTest>
#include <cmath>
#include <cstdio>
#include <limits>

namespace {

QString F3(double v) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.3f", v);
    return buffer;
}

} // namespace

class TestBoxCalc : public QObject {
    Q_OBJECT
private slots:
    void dimensions_data() {
        QTest::addColumn<double>("volume");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::addColumn<QString>("depth");
        QTest::newRow("1.0 golden") << 1.0 << 1.618 << "12.000"
                                    << "19.416"
                                    << "7.417";
        QTest::newRow("1.0 root two") << 1.0 << 1.414 << "12.000"
                                      << "16.968"
                                      << "8.487";
        QTest::newRow("1.0 cube root two") << 1.0 << 1.26 << "12.000"
                                           << "15.120"
                                           << "9.524";
        QTest::newRow("2.0 golden") << 2.0 << 1.618 << "15.119"
                                    << "24.463"
                                    << "9.344";
        QTest::newRow("3.5 cube root two") << 3.5 << 1.26 << "18.220"
                                           << "22.957"
                                           << "14.460";
        QTest::newRow("zero volume") << 0.0 << 1.618 << "0.000"
                                     << "0.000"
                                     << "0.000";
        QTest::newRow("negative zero volume") << -0.0 << 1.618 << "0.000"
                                              << "0.000"
                                              << "0.000";
    }
    void dimensions() {
        QFETCH(double, volume);
        QFETCH(double, ratio);
        QFETCH(QString, width);
        QFETCH(QString, height);
        QFETCH(QString, depth);
        const auto d = BoxCalc::Compute(volume, ratio);
        QVERIFY(d);
        QCOMPARE(F3(d->width), width);
        QCOMPARE(F3(d->height), height);
        QCOMPARE(F3(d->depth), depth);
    }

    void exponentIsNotCubeRoot() {
        // 0.3333333 rather than 1/3: for 1 ft3 the edge falls just short of 12.
        const auto d = BoxCalc::Compute(1.0, 1.618);
        QCOMPARE(d->width, std::pow(1728.0, 0.3333333));
        QVERIFY(d->width < 12.0);
        QCOMPARE(d->height, d->width * 1.618);
        QCOMPARE(d->depth, d->width / 1.618);
    }

    void noValue_data() {
        QTest::addColumn<double>("volume");
        QTest::newRow("negative") << -1.0;
        QTest::newRow("tiny negative") << -1e-300;
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("infinite") << std::numeric_limits<double>::infinity();
    }
    void noValue() {
        QFETCH(double, volume);
        QVERIFY(!BoxCalc::Compute(volume, 1.618));
    }
};

QTEST_APPLESS_MAIN(TestBoxCalc)
#include "test_box_calc.moc"
