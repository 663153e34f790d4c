#include "platform/NumericText.h"
#include "sim/Printf.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>

using namespace NumericText;

Q_DECLARE_METATYPE(std::optional<double>)
Q_DECLARE_METATYPE(std::optional<int32_t>)

namespace {

const std::optional<double> kNoNumber;
const std::optional<int32_t> kNoInteger;

// Switches the process to a German locale (decimal comma), building it into a
// temporary folder when the system has none installed.
bool UseGermanLocale(QTemporaryDir& folder) {
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr)
        return true;
    QProcess localedef;
    localedef.start(QStringLiteral("localedef"),
                    {QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"),
                     QStringLiteral("UTF-8"), folder.filePath(QStringLiteral("de_DE.UTF-8"))});
    if (!localedef.waitForFinished(60000) || localedef.exitCode() != 0)
        return false;
    ::setenv("LOCPATH", folder.path().toLocal8Bit().constData(), 1);
    return std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
}

} // namespace

class TestNumericText : public QObject {
    Q_OBJECT
private slots:
    void display_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0.0 << "0.";
        QTest::newRow("20") << 20.0 << "20.";
        QTest::newRow("2000") << 2000.0 << "2000.";
        QTest::newRow("0.5") << 0.5 << "0.5";
        QTest::newRow("37.25") << 37.25 << "37.25";
        QTest::newRow("0.05") << 0.05 << "5.e-002";
        QTest::newRow("0.01") << 0.01 << "1.e-002";
        QTest::newRow("0.1") << 0.1 << "0.1";
        QTest::newRow("0.099") << 0.099 << "9.9e-002";
        QTest::newRow("-2.5") << -2.5 << "-2.5";
        QTest::newRow("34.018") << 34.018 << "34.018";
        QTest::newRow("1/3") << 1.0 / 3.0 << "0.333333333333333";
        QTest::newRow("14 digits before point") << 123456789012345.0 << "123456789012345.";
        QTest::newRow("1e15") << 1e15 << "1.e+015";
        QTest::newRow("rounds up to 1e15") << 999999999999999.9 << "1.e+015";
        QTest::newRow("rounds up to 0.1") << 0.09999999999999999 << "0.1";
        QTest::newRow("18 digits") << 123456789012345678.0 << "1.23456789012346e+017";
        QTest::newRow("-1e-5") << -1e-5 << "-1.e-005";
        QTest::newRow("1e300") << 1e300 << "1.e+300";
        QTest::newRow("inf") << std::numeric_limits<double>::infinity() << "inf";
        QTest::newRow("-inf") << -std::numeric_limits<double>::infinity() << "-inf";
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << "nan";
        QTest::newRow("-nan") << -std::numeric_limits<double>::quiet_NaN() << "nan";
    }
    void display() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(FormatNumber(value), text);
    }

    // What is shown reads back as the same value, to 15 digits.
    void displayReadsBack_data() {
        QTest::addColumn<double>("value");
        for (double v : {20.0, 0.05, 37.25, 1e15, 123456789012345678.0, 6.02e23, 1.5e-7})
            QTest::newRow(qPrintable(QString::number(v))) << v;
    }
    void displayReadsBack() {
        QFETCH(double, value);
        const auto back = ReadNumber(FormatNumber(value));
        QVERIFY(back.has_value());
        QVERIFY(std::fabs(*back - value) <= std::fabs(value) * 1e-14);
    }

    void integers() {
        QCOMPARE(FormatInteger(0), QStringLiteral("0"));
        QCOMPARE(FormatInteger(-7), QStringLiteral("-7"));
        QCOMPARE(FormatInteger(std::numeric_limits<int32_t>::min()), QStringLiteral("-2147483648"));
    }

    void strictNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<double>>("value");
        QTest::newRow("plain") << "2.5" << std::optional(2.5);
        QTest::newRow("blanks and tabs") << " \t2.5\t " << std::optional(2.5);
        QTest::newRow("point only after") << "5." << std::optional(5.0);
        QTest::newRow("point first") << ".5" << std::optional(0.5);
        QTest::newRow("signs") << "-3" << std::optional(-3.0);
        QTest::newRow("plus") << "+3" << std::optional(3.0);
        QTest::newRow("exponent") << "5.e-002" << std::optional(0.05);
        QTest::newRow("exponent upper") << "1E3" << std::optional(1000.0);
        QTest::newRow("zero") << "0" << std::optional(0.0);
        QTest::newRow("zero point zero") << "0.0" << std::optional(0.0);
        QTest::newRow("double zero") << "00" << std::optional(0.0);
        QTest::newRow("zero shown") << "0." << std::optional(0.0);
        QTest::newRow("zero with blanks") << "  0  " << std::optional(0.0);
        QTest::newRow("underflow from 0") << "0e-999" << std::optional(0.0);
        QTest::newRow("empty") << "" << kNoNumber;
        QTest::newRow("blanks") << "  " << kNoNumber;
        QTest::newRow("minus zero") << "-0" << kNoNumber;
        QTest::newRow("plus zero") << "+0" << kNoNumber;
        QTest::newRow("point zero") << ".0" << kNoNumber;
        QTest::newRow("underflow to zero") << "1e-999" << kNoNumber;
        QTest::newRow("letters after") << "2.5x" << kNoNumber;
        QTest::newRow("inner blank") << "2 5" << kNoNumber;
        QTest::newRow("comma") << "2,5" << kNoNumber;
        QTest::newRow("dangling exponent") << "1e" << kNoNumber;
        QTest::newRow("sign only") << "-" << kNoNumber;
        QTest::newRow("point only") << "." << kNoNumber;
        QTest::newRow("overflow") << "1e999" << kNoNumber;
        QTest::newRow("negative overflow") << "-1e999" << kNoNumber;
        QTest::newRow("inf word") << "inf" << kNoNumber;
        QTest::newRow("nan word") << "nan" << kNoNumber;
        QTest::newRow("hex") << "0x10" << kNoNumber;
        QTest::newRow("newline") << "2\n" << kNoNumber;
        QTest::newRow("non-ASCII digit") << QString::fromUtf8("\u0662") << kNoNumber;
        QTest::newRow("NUL inside")
            << QStringLiteral("2") + QChar(0) + QStringLiteral("5") << kNoNumber;
        // Only the first 31 characters count.
        QTest::newRow("junk after 31") << QString("1").repeated(31) + "junk"
                                       << std::optional(1111111111111111111111111111111.0);
        QTest::newRow("blanks up to 31") << "7" + QString(30, ' ') + "x" << std::optional(7.0);
        QTest::newRow("number cut at 31") << "0." + QString(28, '0') + "15" << std::optional(1e-29);
    }
    void strictNumber() {
        QFETCH(QString, text);
        QFETCH(std::optional<double>, value);
        const auto read = ReadNumber(text);
        QCOMPARE(read.has_value(), value.has_value());
        if (value)
            QCOMPARE(*read, *value);
    }

    void strictInteger_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<int32_t>>("value");
        QTest::newRow("plain") << "4" << std::optional<int32_t>(4);
        QTest::newRow("blanks around") << "  4  " << std::optional<int32_t>(4);
        QTest::newRow("negative") << "-1" << std::optional<int32_t>(-1);
        QTest::newRow("plus") << "+65536" << std::optional<int32_t>(65536);
        QTest::newRow("zero") << "0" << std::optional<int32_t>(0);
        QTest::newRow("max") << "2147483647" << std::optional<int32_t>(2147483647);
        QTest::newRow("clamped high") << "99999999999" << std::optional<int32_t>(2147483647);
        QTest::newRow("clamped low") << "-2147483649" << std::optional<int32_t>(INT32_MIN);
        QTest::newRow("30 digits clamped") << QString(30, '9') << std::optional<int32_t>(INT32_MAX);
        QTest::newRow("letters after") << "4x" << kNoInteger;
        QTest::newRow("fraction") << "4.0" << kNoInteger;
        QTest::newRow("exponent") << "4e1" << kNoInteger;
        QTest::newRow("empty") << "" << kNoInteger;
        QTest::newRow("minus zero") << "-0" << kNoInteger;
        QTest::newRow("sign only") << "+" << kNoInteger;
    }
    void strictInteger() {
        QFETCH(QString, text);
        QFETCH(std::optional<int32_t>, value);
        const auto read = ReadInteger(text);
        QCOMPARE(read.has_value(), value.has_value());
        if (value)
            QCOMPARE(*read, *value);
    }

    void scans_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<double>>("number");
        QTest::addColumn<std::optional<int32_t>>("integer");
        QTest::newRow("plain") << "12" << std::optional(12.0) << std::optional<int32_t>(12);
        QTest::newRow("trailing text")
            << "2.5in" << std::optional(2.5) << std::optional<int32_t>(2);
        QTest::newRow("leading white space")
            << " \t\n3.5" << std::optional(3.5) << std::optional<int32_t>(3);
        QTest::newRow("zero forms") << "-0" << std::optional(-0.0) << std::optional<int32_t>(0);
        QTest::newRow("point first") << ".5" << std::optional(0.5) << kNoInteger;
        QTest::newRow("dangling exponent")
            << "1e" << std::optional(1.0) << std::optional<int32_t>(1);
        QTest::newRow("empty") << "" << kNoNumber << kNoInteger;
        QTest::newRow("letters") << "abc" << kNoNumber << kNoInteger;
        QTest::newRow("overflow") << "1e999" << kNoNumber << std::optional<int32_t>(1);
        QTest::newRow("big integer")
            << "99999999999" << std::optional(99999999999.0) << std::optional<int32_t>(INT32_MAX);
        // Only the first 19 characters count.
        QTest::newRow("cut at 19")
            << QString(18, ' ') + "78" << std::optional(7.0) << std::optional<int32_t>(7);
        QTest::newRow("nothing in 19") << QString(19, ' ') + "7" << kNoNumber << kNoInteger;
    }
    void scans() {
        QFETCH(QString, text);
        QFETCH(std::optional<double>, number);
        QFETCH(std::optional<int32_t>, integer);
        const auto n = ScanNumber(text);
        QCOMPARE(n.has_value(), number.has_value());
        if (number)
            QCOMPARE(*n, *number);
        const auto i = ScanInteger(text);
        QCOMPARE(i.has_value(), integer.has_value());
        if (integer)
            QCOMPARE(*i, *integer);
    }

    // A desktop with a decimal comma still reads and shows the point.
    void germanDesktop() {
        QTemporaryDir folder;
        if (!UseGermanLocale(folder))
            QSKIP("no German locale available");
        QCOMPARE(ReadNumber(QStringLiteral("2.5")), std::optional(2.5));
        QCOMPARE(ReadNumber(QStringLiteral("2,5")), kNoNumber);
        QCOMPARE(ScanNumber(QStringLiteral("2.5")), std::optional(2.5));
        QCOMPARE(FormatNumber(37.25), QStringLiteral("37.25"));
        QCOMPARE(FormatNumber(0.05), QStringLiteral("5.e-002"));
        // Plot labels, figure lines and the calculators' results too.
        QCOMPARE(Printf("%.1f|Qtc=%.2f", -2.5, 0.6928), std::string("-2.5|Qtc=0.69"));
        // The process locale itself is left as it was.
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%.1f", 2.5);
        QCOMPARE(QString::fromLatin1(buffer), QStringLiteral("2,5"));
        std::setlocale(LC_ALL, "C");
    }
};

QTEST_GUILESS_MAIN(TestNumericText)
#include "test_numeric_text.moc"
