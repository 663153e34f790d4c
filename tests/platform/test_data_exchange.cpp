// SPDX-License-Identifier: GPL-3.0-or-later
// Entry numbers, the exchange, and the message box it reports through. Each
// window's fields against the field table are the tools' tests.
#include "platform/CExchangeDialog.h"
#include "platform/DataExchange.h"
#include "platform/Message.h"
#include "platform/NumericText.h"

#include "tests/support/DialogTestUtil.h"

#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <clocale>
#include <limits>

using namespace orvane;
using namespace NumericText;
using OptNumber = std::optional<double>;
using OptInteger = std::optional<int32_t>;
Q_DECLARE_METATYPE(OptNumber)
Q_DECLARE_METATYPE(OptInteger)

class TestDataExchange : public QObject {
    Q_OBJECT
private slots:
    // 15 significant digits, plain for decimal exponents -1 to 14; a value
    // the program writes to four, whole units kept.
    void display_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        const auto row = [](const char* tag, double value, const char* text, const char* shown) {
            QTest::newRow(tag) << value << QString(text) << QString(shown);
        };
        row("0", 0.0, "0.", "0.");
        row("0.01", 0.01, "1.e-002", "1.e-002");
        row("1/3", 1.0 / 3.0, "0.333333333333333", "0.3333");
        row("1e15", 1e15, "1.e+015", "1.e+015");
        row("rounds up to 0.1", 0.09999999999999999, "0.1", "0.1");
        row("inf", std::numeric_limits<double>::infinity(), "inf", "inf");
        row("F1", 31.419901234, "31.419901234", "31.42");
        row("cone", 0.3974246443169, "0.3974246443169", "0.3974");
        row("whole", 283168.47, "283168.47", "283168.");
        row("rounds up", -9.99951, "-9.99951", "-10.");
    }
    void display() {
        QFETCH(double, value);
        QTEST(FormatNumber(value), "text");
        QTEST(FormatShown(value), "shown");
    }

    // A value shown rounded reads back exactly while its text stands; typed
    // again, as typed.
    void shownRoundedKeepsItsValue() {
        QLineEdit edit;
        double value = 31.419901234;
        DataExchange(DataExchange::Direction::Display, nullptr).Number(&edit, value, 10, 100);
        QCOMPARE(edit.text(), QString("31.42"));
        QVERIFY(DataExchange(DataExchange::Direction::Read, nullptr).Number(&edit, value).Ok());
        QCOMPARE(value, 31.419901234);
        edit.selectAll();
        QTest::keyClicks(&edit, "31.42");
        QVERIFY(DataExchange(DataExchange::Direction::Read, nullptr).Number(&edit, value).Ok());
        QCOMPARE(value, 31.42);
    }

    // Dialogs read strictly; the calculators scan a leading number.
    void read_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<OptNumber>("number");
        QTest::addColumn<OptInteger>("integer");
        QTest::addColumn<OptNumber>("scanNumber");
        QTest::addColumn<OptInteger>("scanInteger");
        const OptNumber no;
        const OptInteger noI;
        const auto row = [](const char* tag, const QString& text, OptNumber n, OptInteger i,
                            OptNumber sn,
                            OptInteger si) { QTest::newRow(tag) << text << n << i << sn << si; };
        row("blanks and tabs", " \t4\t ", 4.0, 4, 4.0, 4);
        row("point first", ".5", 0.5, noI, 0.5, noI);
        row("zero point zero", "0.0", 0.0, noI, 0.0, 0);
        row("minus zero", "-0", no, noI, 0.0, 0);
        row("empty", "", no, noI, no, noI);
        row("comma", "2,5", no, noI, 2.0, 2);
        row("dangling exponent", "1e", no, noI, 1.0, 1);
        row("overflow", "1e999", no, noI, no, 1);
        row("clamped high", "99999999999", 99999999999.0, INT32_MAX, 99999999999.0, INT32_MAX);
        // Reading looks at 31 characters, scanning at 19.
        row("cut at 19", QString(18, ' ') + "78", 78.0, 78, 7.0, 7);
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

    // A desktop with a decimal comma (built here if none) reads and shows the point.
    void germanDesktop() {
        QTemporaryDir folder;
        if (!std::setlocale(LC_ALL, "de_DE.UTF-8") &&
            QProcess::execute(
                "localedef", {"-i", "de_DE", "-f", "UTF-8", folder.filePath("de_DE.UTF-8")}) == 0) {
            qputenv("LOCPATH", folder.path().toLocal8Bit());
        }
        if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
            QSKIP("no German locale available");
        const QString shown = FormatNumber(37.25);
        const QList<OptNumber> read{ReadNumber("2.5"), ReadNumber("2,5"), ScanNumber("2.5")};
        std::setlocale(LC_ALL, "C");
        QCOMPARE(shown, QStringLiteral("37.25"));
        QCOMPARE(read, (QList<OptNumber>{2.5, std::nullopt, 2.5}));
    }

    // Reading stops at the first field refused, keeping a value out of range;
    // display leaves a text it would write again alone, and notifies nothing.
    void exchange() {
        QLineEdit edits[3];
        MessageCapture messages;
        double v1 = -1;
        int32_t integer = -1;
        std::optional<double> optional = -1;
        const auto exchange = [&](DataExchange::Direction direction) {
            DataExchange dx(direction, nullptr);
            dx.Field(&edits[0], FieldId::V1, v1).Integer(&edits[1], integer);
            return dx.OptionalNumber(&edits[2], optional).Ok();
        };
        edits[0].setText("10001.");
        edits[1].setText("4x");
        QVERIFY(!exchange(DataExchange::Direction::Read));
        QCOMPARE((QList<double>{v1, double(integer), *optional}), (QList<double>{10001, -1, -1}));
        QCOMPARE(messages.texts, QStringList("Please enter a number between 0. and 10000."));
        QVERIFY(messages.records[0].caption == "orvane" &&
                messages.records[0].kind == MessageKind::Warning);
        edits[0].setCursorPosition(2);
        QSignalSpy changes(&edits[0], &QLineEdit::textChanged);
        QVERIFY(exchange(DataExchange::Direction::Display));
        QCOMPARE(edits[0].cursorPosition(), 2);
        v1 = 0.05;
        QVERIFY(exchange(DataExchange::Direction::Display));
        QCOMPARE(changes.count(), 0);
    }

    // A message box shows a path that looks like markup as it is, and it and a
    // dialog opened from a window with an icon of its own show the program's.
    void programIconAndPlainText() {
        QPixmap red(16, 16);
        red.fill(Qt::red);
        QApplication::setWindowIcon(QIcon(red));
        QWidget designWindow;
        designWindow.setWindowIcon(QIcon(QPixmap(16, 16)));
        struct Dialog : CExchangeDialog {
            explicit Dialog(QWidget* parent) : CExchangeDialog(parent) {}
        } dlg(new QWidget(&designWindow));
        const auto programs = [](const QWidget* w) {
            return w->windowIcon().pixmap(16, 16).toImage().pixel(8, 8) == qRgb(255, 0, 0);
        };
        const QString text = "/tmp/<h1>BIG<br>x</h1>.spk\nCannot find this file.";
        QString shown;
        QTimer::singleShot(0, this, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                const auto* label = box->findChild<QLabel*>("qt_msgbox_label");
                if (label && label->textFormat() == Qt::PlainText && programs(box))
                    shown = label->text();
                box->accept();
            }
        });
        ShowMessage(&dlg, text);
        QApplication::setWindowIcon(QIcon());
        QCOMPARE(shown, text);
        QVERIFY(programs(&dlg));
    }
};

QTEST_MAIN(TestDataExchange)
#include "test_data_exchange.moc"
