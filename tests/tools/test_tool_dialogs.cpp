// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/CBoxCalcDlg.h"
#include "tools/CDriverParamsDlg.h"
#include "tools/CFreqRangeDlg.h"
#include "tools/CPortCalcDlg.h"
#include "tools/CTSParamsDlg.h"

#include "tests/support/DialogTestUtil.h"

#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QRadioButton>

using namespace orvane;

namespace {

// The texts of line edits and labels, in the order named.
QStringList Texts(QWidget* dlg, std::initializer_list<const char*> names) {
    QStringList texts;
    for (const char* name : names) {
        const auto* label = dlg->findChild<QLabel*>(name);
        texts << (label ? label->text() : Child(dlg, name)->text());
    }
    return texts;
}

// A vented chamber of 2 ft3 at 35 Hz for a 10 in driver with 0.25 in Xmax.
void Load(CPortCalcDlg& dlg, double v2 = 0, double f2 = 0) {
    dlg.m_v1 = 2;
    dlg.m_f1 = 35;
    dlg.m_v2 = v2;
    dlg.m_f2 = f2;
    dlg.m_coneDiameter = 10;
    dlg.m_xmax = 0.25;
}

// The entry fields whose text does not show from its first character; all
// of them, or those named.
QStringList NotFromStart(QWidget* dlg, const QStringList& only = {}) {
    QStringList names;
    for (const QLineEdit* edit : dlg->findChildren<QLineEdit*>()) {
        if ((only.isEmpty() || only.contains(edit->objectName())) && edit->cursorPosition() != 0)
            names << edit->objectName();
    }
    return names;
}

QStringList TsResults(QWidget* dlg) {
    return Texts(dlg, {"z1", "z2", "fsResult", "qtsResult", "vasResult", "qesResult", "qmsResult",
                       "errorResult"});
}

} // namespace

class TestToolDialogs : public QObject {
    Q_OBJECT
private slots:
    // Fs is checked first and within 10 to 20000, so a new design cannot pass
    // OK until it has one.
    void driverParamsFs() {
        MessageCapture messages;
        CDriverParamsDlg dlg;
        dlg.show();
        const QString fsRange = "Please enter a number between 10. and 20000.";
        Click(&dlg, "OK");
        QCOMPARE(messages.texts, QStringList{fsRange});
        QCOMPARE(messages.records[0].kind, MessageKind::Warning);
        QVERIFY(FocusedAndSelected(dlg, "fs"));
        // With Vas wrong too, Fs is reported until it is right.
        Type(&dlg, "vas", "big");
        for (const char* fs : {"0", "9.99", "20000.5", "10"}) {
            Type(&dlg, "fs", fs);
            Click(&dlg, "OK");
        }
        QCOMPARE(messages.texts,
                 (QStringList{fsRange, fsRange, fsRange, fsRange, "Please enter a number."}));
        QVERIFY(FocusedAndSelected(dlg, "vas"));
        Type(&dlg, "vas", "3");
        Type(&dlg, "fs", "20000");
        Click(&dlg, "OK");
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(messages.texts.size(), 5);
    }

    // Numbers longer than their fields show where they start, both those the
    // dialog is opened with and those it works out.
    void textsShowTheirBeginning() {
        CDriverParamsDlg driver;
        driver.m_fs = 28.348383478284887;
        driver.m_qts = 0.35492125738;
        driver.m_vas = 123456.789012;
        driver.m_xmax = 1e-7;
        driver.show();
        QCOMPARE(NotFromStart(&driver), QStringList());
        QVERIFY(FocusedAndSelected(driver, "fs")); // and typing replaces it

        CFreqRangeDlg range;
        range.m_lower = 12.3456789012345;
        range.m_upper = 19999.9999999999;
        range.show();
        QCOMPARE(NotFromStart(&range), QStringList());

        MessageCapture messages;
        CTSParamsDlg ts;
        ts.m_tsFs = 30.1234567891234;
        ts.show();
        for (auto [name, value] : {std::pair{"re", "6.123456789"},
                                   {"zmax", "54.98765432"},
                                   {"f1", "20"},
                                   {"f2", "45"},
                                   {"fc", "1234567"},
                                   {"vb", "2"}})
            Type(&ts, name, value);
        // Fs from the design, and what the dialog works out.
        QCOMPARE(NotFromStart(&ts, {"fs", "z1", "z2", "fsResult", "qtsResult", "vasResult",
                                    "qesResult", "qmsResult", "errorResult"}),
                 QStringList());

        CBoxCalcDlg box;
        box.m_volume = 12345678.9;
        box.show();
        QCOMPARE(NotFromStart(&box), QStringList());
    }

    // A tool dialog opened from a design window shows the program's icon,
    // not the design window's.
    void toolDialogsCarryTheProgramIcon() {
        QPixmap red(16, 16), blue(16, 16);
        red.fill(Qt::red);
        blue.fill(Qt::blue);
        QApplication::setWindowIcon(QIcon(red));
        QWidget designWindow;
        designWindow.setWindowIcon(QIcon(blue));
        auto* view = new QWidget(&designWindow);
        CDriverParamsDlg driver(view);
        CFreqRangeDlg range(view);
        CPortCalcDlg port(view);
        CBoxCalcDlg box(view);
        CTSParamsDlg ts(view);
        for (QDialog* dlg : std::initializer_list<QDialog*>{&driver, &range, &port, &box, &ts})
            QCOMPARE(dlg->windowIcon().pixmap(16, 16).toImage().pixel(8, 8), qRgb(255, 0, 0));
        // So do the message boxes, the port calculator's refusals among them.
        QRgb message = 0;
        QTimer::singleShot(0, [&message] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                message = box->windowIcon().pixmap(16, 16).toImage().pixel(8, 8);
                box->accept();
            }
        });
        ShowMessage(view, "Port calculator does not work with Sealed boxes", MessageKind::Tool,
                    "Port Calculator");
        QCOMPARE(message, qRgb(255, 0, 0));
        QApplication::setWindowIcon(QIcon());
    }

    void portOpeningState() {
        CPortCalcDlg dlg;
        Load(dlg);
        dlg.show();
        QCOMPARE(
            Texts(&dlg, {"diameter", "length", "ports", "effectiveDiameter", "alignmentVolume",
                         "alignmentTuning", "minDiameter"}),
            (QStringList{"0.", "0.", "1", "", "Vb  2.00 cubic ft.", "Fb  35.0 Hz", "3.53 in"}));
        QVERIFY(Child<QRadioButton>(&dlg, "front")->isChecked());
        QVERIFY(!Child<QRadioButton>(&dlg, "rear")->isEnabled()); // no F2
    }

    // The figures follow each keystroke; OK then reads the typed text.
    void portTyping_data() {
        QTest::addColumn<QStringList>("typed");   // ports, diameter
        QTest::addColumn<QStringList>("shown");   // length, effective diameter
        QTest::addColumn<QStringList>("refusal"); // message, field
        const QStringList number{"Please enter a number.", "diameter"};
        QTest::newRow("two ports of 3")
            << QStringList{"2", "3"} << QStringList{"12.45", "4.24 in"} << QStringList();
        QTest::newRow("3in") << QStringList{"1", "3in"} << QStringList{"5.58", "3.00 in"} << number;
        QTest::newRow("no diameter")
            << QStringList{"1", "in"} << QStringList{"n/a", "n/a"} << number;
        QTest::newRow("fraction of ports")
            << QStringList{"1.5", "3"} << QStringList{"5.58", "3.00 in"}
            << QStringList{"Please enter an integer.", "ports"};
        // The length shows what nobody can type over; it holds nothing up.
        QTest::newRow("length n/a")
            << QStringList{"-1", "3"} << QStringList{"n/a", "n/a"} << QStringList();
        // No ports: a length of -0 * 0.7315 is zero, and shows no sign.
        QTest::newRow("no ports") << QStringList{"0", "3"} << QStringList{"0.00", "0.00 in"}
                                  << QStringList();
    }
    void portTyping() {
        QFETCH(QStringList, typed);
        QFETCH(QStringList, refusal);
        MessageCapture messages;
        CPortCalcDlg dlg;
        Load(dlg);
        dlg.show();
        Type(&dlg, "ports", typed[0]);
        Type(&dlg, "diameter", typed[1]);
        QTEST(Texts(&dlg, {"length", "effectiveDiameter"}), "shown");
        Click(&dlg, "OK");
        QCOMPARE(messages.texts, refusal.mid(0, 1));
        QCOMPARE(dlg.result() == QDialog::Accepted, refusal.isEmpty());
        if (!refusal.isEmpty())
            QVERIFY(FocusedAndSelected(dlg, qPrintable(refusal[1])));
    }

    // Switching chamber shows its alignment and minimum diameter; the length
    // waits for the next edit.
    void portRearChamber() {
        CPortCalcDlg dlg;
        Load(dlg, 1.5, 40);
        dlg.show();
        Type(&dlg, "diameter", "4");
        const QStringList port = Texts(&dlg, {"length", "effectiveDiameter"});
        Child<QRadioButton>(&dlg, "rear")->click();
        QCOMPARE(Texts(&dlg, {"alignmentVolume", "alignmentTuning", "minDiameter"}),
                 (QStringList{"Vb  1.50 cubic ft.", "Fb  40.0 Hz", "3.78 in"}));
        QCOMPARE(Texts(&dlg, {"length", "effectiveDiameter"}), port);
        Type(&dlg, "diameter", "4.0");
        QCOMPARE(Texts(&dlg, {"length"}), QStringList{"11.18"});
    }

    void tsDigitRefreshesAll_data() {
        QTest::addColumn<QByteArray>("entry");
        for (const char* name : {"fs", "re", "zmax", "f1", "f2", "fc", "vb"})
            QTest::newRow(name) << QByteArray(name);
    }
    void tsDigitRefreshesAll() {
        QFETCH(QByteArray, entry);
        MessageCapture messages;
        CTSParamsDlg dlg;
        dlg.m_tsFs = 30;
        dlg.show();
        QVERIFY(TsResults(&dlg).join("").isEmpty());
        QLineEdit* edit = Child(&dlg, entry.constData());
        edit->end(false);
        QTest::keyClick(edit, Qt::Key_5);
        QVERIFY(!TsResults(&dlg).contains(QString()));
        QVERIFY(messages.records.empty());
    }

    void tsResultsAndEnter() {
        CTSParamsDlg dlg;
        dlg.m_tsFs = 30;
        dlg.show();
        for (auto [name, value] :
             {std::pair{"re", "6"}, {"zmax", "54"}, {"f1", "20"}, {"f2", "45"}})
            Type(&dlg, name, value);
        // Without a test box Vas is 1.15 * 0 * -1, a negative zero: shown as zero.
        QCOMPARE(TsResults(&dlg), (QStringList{"18.0 ohms", "18.0 ohms", "30.0", "0.400", "0.000",
                                               "0.450", "3.600", "0.000"}));
        // Enter reaches the default button, Discard Results.
        QTest::keyClick(Child(&dlg, "re"), Qt::Key_Return);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(!dlg.isVisible());
    }
};

QTEST_MAIN(TestToolDialogs)
#include "test_tool_dialogs.moc"
