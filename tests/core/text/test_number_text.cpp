// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/NumberText.h"

#include <QtTest>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>

using namespace orvane;

namespace {

std::string Printf17(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17g", value);
    return buffer;
}

} // namespace

class TestNumberText : public QObject {
    Q_OBJECT
private slots:
    // The awkward values, with the text "%.17g" gives them.
    void table_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        using L = std::numeric_limits<double>;
        QTest::newRow("0.1") << 0.1 << "0.10000000000000001";
        QTest::newRow("-0") << -0.0 << "-0";
        QTest::newRow("0") << 0.0 << "0";
        QTest::newRow("1e-5 stays fixed") << 1e-5 << "1.0000000000000001e-05";
        QTest::newRow("1e-4") << 1e-4 << "0.0001";
        QTest::newRow("1e16") << 1e16 << "10000000000000000";
        QTest::newRow("1e17 turns exponent") << 1e17 << "1e+17";
        QTest::newRow("2^53 + 2") << 9007199254740994.0 << "9007199254740994";
        QTest::newRow("smallest subnormal") << L::denorm_min() << "4.9406564584124654e-324";
        QTest::newRow("largest subnormal")
            << L::min() - L::denorm_min() << "2.2250738585072009e-308";
        QTest::newRow("-smallest normal") << -L::min() << "-2.2250738585072014e-308";
        QTest::newRow("max") << L::max() << "1.7976931348623157e+308";
        QTest::newRow("level") << -10.110939456011476 << "-10.110939456011476";
        QTest::newRow("whole") << 20000.0 << "20000";
        QTest::newRow("round up to ten") << 9.9999999999999999e22 << "9.9999999999999992e+22";
        QTest::newRow("inf") << L::infinity() << "inf";
        QTest::newRow("-inf") << -L::infinity() << "-inf";
        QTest::newRow("nan") << L::quiet_NaN() << "nan";
        QTest::newRow("-nan") << -L::quiet_NaN() << "-nan";
    }
    void table() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(G17(value)), text);
        QCOMPARE(G17(value), Printf17(value));
    }

    // Random bit patterns over the whole range, subnormals and huge
    // exponents included: the text is printf's, character for character.
    void randomBitsMatchPrintf() {
        std::mt19937_64 random(12);
        for (int i = 0; i < 200000; ++i) {
            const std::uint64_t bits = random();
            double value = 0;
            std::memcpy(&value, &bits, sizeof value);
            if (std::isnan(value))
                continue; // printf's sign of a NaN payload is not ours to pin
            const std::string expected = Printf17(value);
            QVERIFY2(G17(value) == expected, expected.c_str());
        }
    }

    // The buffer bound holds for the longest texts.
    void longestFits() {
        char buffer[kG17MaxChars];
        const double value = -std::numeric_limits<double>::min();
        const char* end = FormatG17(buffer, buffer + sizeof buffer, value);
        QCOMPARE(std::string(static_cast<const char*>(buffer), end), Printf17(value));
        QVERIFY(size_t(end - buffer) < kG17MaxChars);
    }
};

QTEST_APPLESS_MAIN(TestNumberText)
#include "test_number_text.moc"
