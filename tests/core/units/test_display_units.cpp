// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/Printf.h"
#include "core/units/DisplayUnits.h"

#include <QtTest>

#include <cmath>
#include <cstring>
#include <limits>

using namespace orvane;
using DisplayUnits::Quantity;

Q_DECLARE_METATYPE(orvane::DisplayUnits::Quantity)

namespace {

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

class TestDisplayUnits : public QObject {
    Q_OBJECT
private slots:
    // The factors from the definitions: 1 ft = 0.3048 m, 1 in = 0.0254 m.
    void metricFactors_data() {
        QTest::addColumn<Quantity>("quantity");
        QTest::addColumn<double>("perStoredUnit");
        QTest::addColumn<QString>("imperialLabel");
        QTest::addColumn<QString>("metricLabel");
        QTest::newRow("volume") << Quantity::Volume << 0.3048 * 0.3048 * 0.3048 * 1000 << "ft3"
                                << "L";
        QTest::newRow("length") << Quantity::Length << 0.0254 * 100 << "in"
                                << "cm";
        QTest::newRow("excursion") << Quantity::Excursion << 0.0254 * 1000 << "in"
                                   << "mm";
    }
    void metricFactors() {
        QFETCH(Quantity, quantity);
        QFETCH(double, perStoredUnit);
        QFETCH(QString, imperialLabel);
        QFETCH(QString, metricLabel);
        const double one = DisplayUnits::ToDisplay(UnitSystem::Metric, quantity, 1.0);
        QVERIFY(std::abs(one - perStoredUnit) <= 1e-12 * perStoredUnit);
        QVERIFY(std::abs(DisplayUnits::FromDisplay(UnitSystem::Metric, quantity, perStoredUnit) -
                         1.0) <= 1e-12);
        QCOMPARE(QString::fromLatin1(DisplayUnits::Label(UnitSystem::Imperial, quantity).data()),
                 imperialLabel);
        QCOMPARE(QString::fromLatin1(DisplayUnits::Label(UnitSystem::Metric, quantity).data()),
                 metricLabel);
        QVERIFY(DisplayUnits::Converts(UnitSystem::Metric, quantity));
        QVERIFY(!DisplayUnits::Converts(UnitSystem::Imperial, quantity));
    }

    // Imperial is the record itself: every value, NaN and -0 included,
    // passes bit for bit, and a bound is not rounded.
    void imperialIsIdentity() {
        for (const double v : {0.0, -0.0, 1.0 / 3, 1e-300, 1e300, std::nan(""),
                               std::numeric_limits<double>::infinity()}) {
            for (const Quantity q : {Quantity::Volume, Quantity::Length, Quantity::Excursion}) {
                QVERIFY(SameBits(DisplayUnits::ToDisplay(UnitSystem::Imperial, q, v), v));
                QVERIFY(SameBits(DisplayUnits::FromDisplay(UnitSystem::Imperial, q, v), v));
                QVERIFY(SameBits(DisplayUnits::DisplayBound(UnitSystem::Imperial, q, v), v));
            }
        }
    }

    // A number typed in litres, stored in cubic feet and shown again reads
    // the same to the 15 digits the fields show.
    void roundTripToFifteenDigits_data() {
        QTest::addColumn<double>("typed");
        for (const double v : {1.23456789, 0.1, 1e-3, 283168.47, 84.950539776, 123456789012345.0,
                               9.99999999999999e-5, 7.0})
            QTest::newRow(Printf("%.15g", v).c_str()) << v;
    }
    void roundTripToFifteenDigits() {
        QFETCH(double, typed);
        for (const Quantity q : {Quantity::Volume, Quantity::Length, Quantity::Excursion}) {
            const double stored = DisplayUnits::FromDisplay(UnitSystem::Metric, q, typed);
            const double shown = DisplayUnits::ToDisplay(UnitSystem::Metric, q, stored);
            QCOMPARE(Printf("%.14e", shown), Printf("%.14e", typed));
        }
    }

    void displayBound_data() {
        QTest::addColumn<double>("stored");
        QTest::addColumn<double>("shown");
        // 10000 ft3 = 283168.46592 L exactly: the message states 283168.47.
        QTest::newRow("largest V1") << 10000.0 << 283168.47;
        QTest::newRow("zero") << 0.0 << 0.0;
        QTest::newRow("one cubic foot") << 1.0 << 28.32;
        QTest::newRow("huge") << 1e300 << 1e300 * 28.316846592;
    }
    void displayBound() {
        QFETCH(double, stored);
        QFETCH(double, shown);
        const double bound =
            DisplayUnits::DisplayBound(UnitSystem::Metric, Quantity::Volume, stored);
        QVERIFY(std::abs(bound - shown) <= 1e-15 * std::abs(shown));
    }

    void names() {
        QCOMPARE(DisplayUnits::FromName("metric"), std::optional(UnitSystem::Metric));
        QCOMPARE(DisplayUnits::FromName("imperial"), std::optional(UnitSystem::Imperial));
        QCOMPARE(DisplayUnits::FromName("Metric"), std::nullopt);
        QCOMPARE(DisplayUnits::FromName(""), std::nullopt);
        for (const UnitSystem s : {UnitSystem::Imperial, UnitSystem::Metric})
            QCOMPARE(DisplayUnits::FromName(DisplayUnits::Name(s)), std::optional(s));
    }
};

QTEST_APPLESS_MAIN(TestDisplayUnits)
#include "test_display_units.moc"
