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
    // The awkward values, with the text "%.17g" gives them, written into a
    // buffer of the bound's size (the longest text is a row).
    void table_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        using L = std::numeric_limits<double>;
        QTest::newRow("0.1") << 0.1 << "0.10000000000000001";
        QTest::newRow("-0") << -0.0 << "-0";
        QTest::newRow("1e-5 stays fixed") << 1e-5 << "1.0000000000000001e-05";
        QTest::newRow("1e-4") << 1e-4 << "0.0001";
        QTest::newRow("1e17 turns exponent") << 1e17 << "1e+17";
        QTest::newRow("2^53 + 2") << 9007199254740994.0 << "9007199254740994";
        QTest::newRow("smallest subnormal") << L::denorm_min() << "4.9406564584124654e-324";
        QTest::newRow("largest subnormal")
            << L::min() - L::denorm_min() << "2.2250738585072009e-308";
        QTest::newRow("max") << L::max() << "1.7976931348623157e+308";
        QTest::newRow("round up to ten") << 9.9999999999999999e22 << "9.9999999999999992e+22";
        QTest::newRow("inf") << L::infinity() << "inf";
        QTest::newRow("nan") << L::quiet_NaN() << "nan";
        QTest::newRow("-nan") << -L::quiet_NaN() << "-nan";
    }
    void table() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(G17(value)), text);
        QCOMPARE(G17(value), Printf17(value));
        char buffer[kG17MaxChars];
        const char* end = FormatG17(buffer, buffer + sizeof buffer, value);
        QCOMPARE(std::string(static_cast<const char*>(buffer), end), Printf17(value));
        QVERIFY(std::size_t(end - buffer) < kG17MaxChars);
    }

    // A fixed run of bit patterns over the whole range, subnormals and huge
    // exponents included: the text is printf's, and the shortest text reads
    // back to the same bits; reading takes one whole finite number only.
    void bitPatterns() {
        QCOMPARE(ShortestText(0.1), std::string("0.1"));
        QCOMPARE(ShortestText(0.1 + 0.2), std::string("0.30000000000000004"));
        QCOMPARE(ShortestText(3e-5), std::string("3e-05"));
        QCOMPARE(ShortestText(-0.0), std::string("-0"));
        std::mt19937_64 random(12);
        for (int i = 0; i < 5000; ++i) {
            const std::uint64_t bits = random();
            double value = 0;
            std::memcpy(&value, &bits, sizeof value);
            if (!std::isfinite(value))
                continue; // printf's sign of a NaN payload is not ours to pin
            const std::string expected = Printf17(value);
            QVERIFY2(G17(value) == expected, expected.c_str());
            double back = 0;
            QVERIFY(ReadNumberText(ShortestText(value), back));
            QCOMPARE(std::memcmp(&back, &value, sizeof value), 0);
        }
    }

    void readNumberText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value");
        QTest::newRow("plain") << "22.5" << true << 22.5;
        QTest::newRow("blanks and plus") << " \t+0.4 " << true << 0.4;
        QTest::newRow("exponent") << "1e-3" << true << 1e-3;
        QTest::newRow("empty") << "" << false << 0.0;
        QTest::newRow("two signs") << "+-1" << false << 0.0;
        QTest::newRow("unit after") << "22Hz" << false << 0.0;
        QTest::newRow("decimal comma") << "0,4" << false << 0.0;
        QTest::newRow("overflow") << "1e999" << false << 0.0;
        QTest::newRow("inf") << "inf" << false << 0.0;
        QTest::newRow("hex") << "0x10" << false << 0.0;
    }
    void readNumberText() {
        QFETCH(QString, text);
        double value = 0;
        QTEST(ReadNumberText(text.toStdString(), value), "ok");
        QTEST(value, "value");
    }
};

QTEST_APPLESS_MAIN(TestNumberText)
#include "test_number_text.moc"
