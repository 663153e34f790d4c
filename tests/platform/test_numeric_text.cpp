// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/Printf.h"
#include "platform/NumericText.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>

using namespace orvane;

using namespace NumericText;
using OptNumber = std::optional<double>;
using OptInteger = std::optional<int32_t>;

Q_DECLARE_METATYPE(OptNumber)
Q_DECLARE_METATYPE(OptInteger)

namespace {

// Switches the process to a German locale (decimal comma), building one in a
// temporary folder when the system has none installed.
bool UseGermanLocale(QTemporaryDir& folder) {
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr)
        return true;
    QProcess localedef;
    localedef.start("localedef", {"-i", "de_DE", "-f", "UTF-8", folder.filePath("de_DE.UTF-8")});
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
        QTest::newRow("2000") << 2000.0 << "2000.";
        QTest::newRow("37.25") << 37.25 << "37.25";
        QTest::newRow("0.05") << 0.05 << "5.e-002";
        QTest::newRow("1/3") << 1.0 / 3.0 << "0.333333333333333";
        QTest::newRow("1e15") << 1e15 << "1.e+015";
        QTest::newRow("rounds up to 1e15") << 999999999999999.9 << "1.e+015";
        QTest::newRow("rounds up to 0.1") << 0.09999999999999999 << "0.1";
        QTest::newRow("18 digits") << 123456789012345678.0 << "1.23456789012346e+017";
        QTest::newRow("inf") << std::numeric_limits<double>::infinity() << "inf";
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << "nan";
    }
    void display() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(FormatNumber(value), text);
        // What is shown reads back as the same value, to 15 digits.
        if (std::isfinite(value)) {
            const OptNumber back = ReadNumber(text);
            QVERIFY(back.has_value());
            QVERIFY(std::fabs(*back - value) <= std::fabs(value) * 1e-14);
        }
    }

    // Dialogs read strictly; files and settings scan a leading number.
    void read_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<OptNumber>("number");
        QTest::addColumn<OptInteger>("integer");
        QTest::addColumn<OptNumber>("scanNumber");
        QTest::addColumn<OptInteger>("scanInteger");
        const OptNumber no;
        const OptInteger noI;
        const auto row = [](const char* name, const QString& text, OptNumber n, OptInteger i,
                            OptNumber sn,
                            OptInteger si) { QTest::newRow(name) << text << n << i << sn << si; };
        row("blanks and tabs", " \t4\t ", 4.0, 4, 4.0, 4);
        row("point last", "5.", 5.0, noI, 5.0, 5);
        row("point first", ".5", 0.5, noI, 0.5, noI);
        row("exponent", "5.e-002", 0.05, noI, 0.05, 5);
        row("zero point zero", "0.0", 0.0, noI, 0.0, 0);
        row("minus zero", "-0", no, noI, 0.0, 0);
        row("underflow to zero", "1e-999", no, noI, 0.0, 1);
        row("empty", "", no, noI, no, noI);
        row("trailing text", "3in", no, noI, 3.0, 3);
        row("comma", "2,5", no, noI, 2.0, 2);
        row("dangling exponent", "1e", no, noI, 1.0, 1);
        row("overflow", "1e999", no, noI, no, 1);
        row("inf word", "inf", no, noI, no, noI);
        row("NUL inside", QString("2") + QChar(0) + "5", no, noI, 2.0, 2);
        row("clamped high", "99999999999", 99999999999.0, INT32_MAX, 99999999999.0, INT32_MAX);
        // Reading looks at 31 characters, scanning at 19.
        row("19 blanks", QString(19, ' ') + "7", 7.0, 7, no, noI);
        row("cut at 19", QString(18, ' ') + "78", 78.0, 78, 7.0, 7);
        row("cut at 31", "0." + QString(28, '0') + "15", 1e-29, noI, 0.0, 0);
        row("junk after 31", QString(31, '1') + "x", 1111111111111111111111111111111.0, INT32_MAX,
            1111111111111111111.0, INT32_MAX);
    }
    void read() {
        QFETCH(QString, text);
        QTEST(ReadNumber(text), "number");
        QTEST(ReadInteger(text), "integer");
        QTEST(ScanNumber(text), "scanNumber");
        QTEST(ScanInteger(text), "scanInteger");
    }

    // A desktop with a decimal comma still reads and shows the point.
    void germanDesktop() {
        QTemporaryDir folder;
        if (!UseGermanLocale(folder))
            QSKIP("no German locale available");
        QCOMPARE(ReadNumber("2.5"), OptNumber(2.5));
        QCOMPARE(ReadNumber("2,5"), OptNumber());
        QCOMPARE(ScanNumber("2.5"), OptNumber(2.5));
        QCOMPARE(FormatNumber(37.25), QStringLiteral("37.25"));
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
