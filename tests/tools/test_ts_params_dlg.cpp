#include "tools/CTSParamsDlg.h"

#include "DialogTestUtil.h"

#include <QLabel>
#include <QPushButton>

namespace {

const char* const kEntries[] = {"fs", "re", "zmax", "f1", "f2", "fc", "vb"};
const char* const kResults[] = {"z1",        "z2",        "fsResult",  "qtsResult",
                                "vasResult", "qesResult", "qmsResult", "errorResult"};

QStringList Results(QWidget* dlg) {
    QStringList out;
    for (const char* name : kResults)
        out << Child<QLineEdit>(dlg, name)->text();
    return out;
}

void Enter(QWidget* dlg, const char* name, const QString& text) {
    Type(Child<QLineEdit>(dlg, name), text);
}

} // namespace

class TestTsParamsDlg : public QObject {
    Q_OBJECT
private slots:
    void openingState() {
        CTSParamsDlg dlg;
        dlg.m_tsFs = 28.5;
        dlg.show();
        QCOMPARE(dlg.windowTitle(), QString("Calculate T/S Parameters"));
        QCOMPARE(Child<QLineEdit>(&dlg, "fs")->text(), QString("28.5"));
        for (const char* name : kEntries)
            if (QByteArray(name) != "fs")
                QCOMPARE(Child<QLineEdit>(&dlg, name)->text(), QString("0."));
        for (const QString& r : Results(&dlg))
            QVERIFY(r.isEmpty());
        auto* discard = Child<QPushButton>(&dlg, "discardResults");
        QCOMPARE(discard->text(), QString("Discard Results"));
        QVERIFY(discard->isDefault());
        QCOMPARE(Child<QPushButton>(&dlg, "useResults")->text(), QString("Use Results"));
        QVERIFY(!Child<QPushButton>(&dlg, "useResults")->isDefault());
    }

    void oneDigitRefreshesEverything_data() {
        QTest::addColumn<QString>("entry");
        for (const char* name : kEntries)
            QTest::newRow(name) << QString(name);
    }
    void oneDigitRefreshesEverything() {
        QFETCH(QString, entry);
        MessageCapture messages;
        CTSParamsDlg dlg;
        dlg.m_tsFs = 30;
        dlg.show();
        QLineEdit* edit = Child<QLineEdit>(&dlg, qPrintable(entry));
        edit->end(false);
        QTest::keyClick(edit, Qt::Key_5);
        for (const QString& r : Results(&dlg))
            QVERIFY(!r.isEmpty());
        QVERIFY(messages.records.empty());
    }

    void examples() {
        MessageCapture messages;
        CTSParamsDlg dlg;
        dlg.m_tsFs = 30;
        dlg.show();
        Enter(&dlg, "re", "6");
        Enter(&dlg, "zmax", "54");
        Enter(&dlg, "f1", "20");
        Enter(&dlg, "f2", "45");
        // Without a test box Vas is 1.15 * 0 * -1, a negative zero.
        QCOMPARE(Results(&dlg), (QStringList{"18.0 ohms", "18.0 ohms", "30.0", "0.400", "-0.000",
                                             "0.450", "3.600", "0.000"}));
        Enter(&dlg, "f2", "50");
        QCOMPARE(Results(&dlg).mid(3), (QStringList{"0.333", "-0.000", "0.375", "3.000", "1.623"}));
        Enter(&dlg, "f2", "20");
        QCOMPARE(Results(&dlg).mid(3),
                 (QStringList{"0.333", "-0.000", "0.000", "0.000", "10.000"}));
        Enter(&dlg, "fc", "60");
        Enter(&dlg, "vb", "1");
        QCOMPARE(Child<QLineEdit>(&dlg, "vasResult")->text(), QString("3.450"));
        QVERIFY(messages.records.empty());
    }

    void qtsKeptFromFortyFive() {
        CTSParamsDlg dlg;
        dlg.m_tsFs = 30;
        dlg.show();
        Enter(&dlg, "re", "6");
        Enter(&dlg, "zmax", "54");
        Enter(&dlg, "f1", "20");
        Enter(&dlg, "f2", "45");
        Enter(&dlg, "f2", "20");
        QCOMPARE(Child<QLineEdit>(&dlg, "qtsResult")->text(), QString("0.400"));
        QCOMPARE(Child<QLineEdit>(&dlg, "qmsResult")->text(), QString("0.000"));
        QCOMPARE(Child<QLineEdit>(&dlg, "qesResult")->text(), QString("0.000"));
        QCOMPARE(Child<QLineEdit>(&dlg, "errorResult")->text(), QString("10.000"));
    }

    void emptiedEntryStillRecalculates() {
        MessageCapture messages;
        CTSParamsDlg dlg;
        dlg.m_tsFs = 30;
        dlg.show();
        Enter(&dlg, "re", "6");
        Enter(&dlg, "zmax", "54");
        Enter(&dlg, "re", "");
        QCOMPARE(messages.Texts(), QStringList{"Please enter a number."});
        QVERIFY(FocusedAndSelected(dlg, Child<QLineEdit>(&dlg, "re")));
        // Re keeps 6 in its copy; Zmax and the rest after it are not read.
        QCOMPARE(Child<QLineEdit>(&dlg, "z1")->text(), QString("18.0 ohms"));
    }

    void noValueShowsNa() {
        MessageCapture messages;
        CTSParamsDlg dlg;
        dlg.m_tsFs = 30;
        dlg.show();
        Enter(&dlg, "zmax", "54");
        Enter(&dlg, "f1", "20");
        Enter(&dlg, "f2", "45");
        // Re 0: Zmax / Re is infinite.
        QCOMPARE(Child<QLineEdit>(&dlg, "qmsResult")->text(), QString("n/a"));
        QCOMPARE(Child<QLineEdit>(&dlg, "qesResult")->text(), QString("n/a"));
        Enter(&dlg, "fs", "0");
        Enter(&dlg, "fc", "20");
        QCOMPARE(Child<QLineEdit>(&dlg, "vasResult")->text(), QString("n/a"));
        QVERIFY(messages.records.empty());
    }

    void enterDiscards() {
        CTSParamsDlg dlg;
        dlg.m_tsFs = 30;
        dlg.show();
        Enter(&dlg, "re", "6");
        QTest::keyClick(Child<QLineEdit>(&dlg, "re"), Qt::Key_Return);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(!dlg.isVisible());
    }

    void useResultsValidates() {
        MessageCapture messages;
        CTSParamsDlg dlg;
        dlg.m_tsFs = 30;
        dlg.show();
        // "1" and "1 " read; "1 f" and "1 ft" do not, one message each.
        Enter(&dlg, "vb", "1 ft");
        QCOMPARE(messages.Texts(), QStringList(2, "Please enter a number."));
        Child<QPushButton>(&dlg, "useResults")->click();
        QCOMPARE(messages.records.size(), size_t(3));
        QVERIFY(dlg.isVisible());
        Enter(&dlg, "vb", "1");
        Child<QPushButton>(&dlg, "useResults")->click();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.m_tsVb, 1.0);
    }

    void labels() {
        CTSParamsDlg dlg;
        dlg.show();
        QStringList texts;
        for (QLabel* l : dlg.findChildren<QLabel*>())
            texts << l->text();
        for (const char* t :
             {"Resonant frequency in free air", "DC resistance of voice coil", "Impedance at Fs",
              "Frequency below Fs where Z =", "Frequency above Fs where Z =",
              "Resonant frequency in", "ft^3 test box", "Fs", "Qts", "Vas (ft^3)", "Qes", "Qms",
              "Error (Hz)"})
            QVERIFY2(texts.contains(t), t);
    }
};

QTEST_MAIN(TestTsParamsDlg)
#include "test_ts_params_dlg.moc"
