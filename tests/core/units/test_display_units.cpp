// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/Printf.h"
#include "core/units/DisplayUnits.h"

#include <QtTest>

#include <cmath>
#include <cstring>
#include <limits>

using namespace orvane;
using DisplayUnits::Quantity;

namespace {

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

class TestDisplayUnits : public QObject {
    Q_OBJECT
private slots:
    // The factors from the definitions (1 ft = 0.3048 m, 1 in = 0.0254 m)
    // and the labels. A number typed in metric, stored and shown again reads
    // the same to the 15 digits the fields show; imperial is the record
    // itself: every value, NaN and -0 included, passes bit for bit, and a
    // bound is not rounded.
    void conversions() {
        const struct {
            Quantity quantity;
            double perStoredUnit;
            const char* labels;
        } cases[] = {{Quantity::Volume, 0.3048 * 0.3048 * 0.3048 * 1000, "ft3 L"},
                     {Quantity::Length, 0.0254 * 100, "in cm"},
                     {Quantity::Excursion, 0.0254 * 1000, "in mm"}};
        for (const auto& [q, perStoredUnit, labels] : cases) {
            const double one = DisplayUnits::ToDisplay(UnitSystem::Metric, q, 1.0);
            QVERIFY(std::abs(one - perStoredUnit) <= 1e-12 * perStoredUnit);
            QCOMPARE(std::string(DisplayUnits::Label(UnitSystem::Imperial, q)) + " " +
                         std::string(DisplayUnits::Label(UnitSystem::Metric, q)),
                     labels);
            QVERIFY(DisplayUnits::Converts(UnitSystem::Metric, q) &&
                    !DisplayUnits::Converts(UnitSystem::Imperial, q));
            for (const double v :
                 {1.23456789, 0.1, 283168.47, 123456789012345.0, 9.99999999999999e-5, 0.0, -0.0,
                  1e-300, 1e300, std::nan(""), std::numeric_limits<double>::infinity()}) {
                const double shown = DisplayUnits::ToDisplay(
                    UnitSystem::Metric, q, DisplayUnits::FromDisplay(UnitSystem::Metric, q, v));
                QCOMPARE(Printf("%.14e", shown), Printf("%.14e", v));
                QVERIFY(SameBits(DisplayUnits::ToDisplay(UnitSystem::Imperial, q, v), v));
                QVERIFY(SameBits(DisplayUnits::FromDisplay(UnitSystem::Imperial, q, v), v));
                QVERIFY(SameBits(DisplayUnits::DisplayBound(UnitSystem::Imperial, q, v), v));
            }
        }
    }

    // A bound in litres is rounded to the two places a message states:
    // 10000 ft3 = 283168.46592 L exactly reads 283168.47.
    void displayBound() {
        for (const auto& [stored, shown] : {std::pair{10000.0, 283168.47},
                                            {0.0, 0.0},
                                            {1.0, 28.32},
                                            {1e300, 1e300 * 28.316846592}}) {
            const double bound =
                DisplayUnits::DisplayBound(UnitSystem::Metric, Quantity::Volume, stored);
            QVERIFY(std::abs(bound - shown) <= 1e-15 * std::abs(shown));
        }
    }
};

QTEST_APPLESS_MAIN(TestDisplayUnits)
#include "test_display_units.moc"
