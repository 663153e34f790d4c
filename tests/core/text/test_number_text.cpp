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
    // The awkward values, then a fixed run of bit patterns over the whole
    // range, subnormals and huge exponents included: the text is printf's
    // "%.17g", also written into a buffer of the bound's size, and the
    // shortest text of a finite value reads back to the same bits.
    void bitPatterns() {
        QCOMPARE(ShortestText(0.1), std::string("0.1"));
        QCOMPARE(ShortestText(0.1 + 0.2), std::string("0.30000000000000004"));
        QCOMPARE(ShortestText(3e-5), std::string("3e-05"));
        QCOMPARE(ShortestText(-0.0), std::string("-0"));
        const auto check = [](double value) {
            const std::string expected = Printf17(value);
            char buffer[kG17MaxChars];
            const char* end = FormatG17(buffer, buffer + sizeof buffer, value);
            QVERIFY2(G17(value) == expected && std::string_view(buffer, end) == expected &&
                         end < buffer + sizeof buffer,
                     expected.c_str());
            double back = 0;
            QVERIFY(!std::isfinite(value) || (ReadNumberText(ShortestText(value), back) &&
                                              std::memcmp(&back, &value, sizeof value) == 0));
        };
        using L = std::numeric_limits<double>;
        for (const double value :
             {0.1, -0.0, 1e-5, 1e-4, 1e17, 9007199254740994.0, L::denorm_min(),
              L::min() - L::denorm_min(), L::max(), -L::max(), 9.9999999999999999e22, L::infinity(),
              L::quiet_NaN(), -L::quiet_NaN()})
            check(value);
        std::mt19937_64 random(12);
        for (int i = 0; i < 5000; ++i) {
            const std::uint64_t bits = random();
            double value = 0;
            std::memcpy(&value, &bits, sizeof value);
            if (std::isfinite(value)) // printf's sign of a NaN payload is not ours to pin
                check(value);
        }
    }

    // One whole finite number, blanks around it and one sign allowed.
    void readNumberText() {
        for (const auto& [text, value] :
             {std::pair{"22.5", 22.5}, {" \t+0.4 \t", 0.4}, {"-1e-3", -1e-3}}) {
            double got = 0;
            QVERIFY2(ReadNumberText(text, got) && got == value, text);
        }
        for (const char* text :
             {"", " ", "+", "+-1", "-+1", "22Hz", "0,4", "1e999", "inf", "nan", "0x10", "1 2"}) {
            double untouched = 7;
            QVERIFY2(!ReadNumberText(text, untouched) && untouched == 7, text);
        }
    }
};

QTEST_APPLESS_MAIN(TestNumberText)
#include "test_number_text.moc"
