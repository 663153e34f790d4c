#include "tools/CPortCalcDlg.h"

#include "DialogTestUtil.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace {

struct Chambers {
    double v1 = 2, f1 = 35, v2 = 0, f2 = 0, cone = 10, xmax = 0.25;
};

void Load(CPortCalcDlg& dlg, const Chambers& c) {
    dlg.m_v1 = c.v1;
    dlg.m_f1 = c.f1;
    dlg.m_v2 = c.v2;
    dlg.m_f2 = c.f2;
    dlg.m_coneDiameter = c.cone;
    dlg.m_xmax = c.xmax;
}

QString Text(QWidget* dlg, const char* name) {
    if (auto* label = dlg->findChild<QLabel*>(name))
        return label->text();
    return Child<QLineEdit>(dlg, name)->text();
}

void ClickOk(QDialog& dlg) {
    for (QPushButton* b : dlg.findChildren<QPushButton*>())
        if (b->text() == "OK")
            b->click();
}

} // namespace

class TestPortCalcDlg : public QObject {
    Q_OBJECT
private slots:
    void openingState() {
        CPortCalcDlg dlg;
        Load(dlg, {});
        dlg.show();
        QCOMPARE(dlg.windowTitle(), QString("Port Calculator"));
        QCOMPARE(Text(&dlg, "diameter"), QString("0."));
        QCOMPARE(Text(&dlg, "length"), QString("0."));
        QCOMPARE(Text(&dlg, "ports"), QString("1"));
        QCOMPARE(Text(&dlg, "effectiveDiameter"), QString());
        QCOMPARE(Text(&dlg, "alignmentVolume"), QString("Vb  2.00 cubic ft."));
        QCOMPARE(Text(&dlg, "alignmentTuning"), QString("Fb  35.0 Hz"));
        QCOMPARE(Text(&dlg, "minDiameter"), QString("3.53 in"));
        QVERIFY(Child<QRadioButton>(&dlg, "front")->isChecked());
        QVERIFY(!Child<QRadioButton>(&dlg, "rear")->isEnabled());
        QVERIFY(!Child<QLineEdit>(&dlg, "length")->isEnabled());
        QVERIFY(!dlg.m_computedLength);
    }

    void rearEnabled_data() {
        QTest::addColumn<double>("f2");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("0") << 0.0 << false;
        QTest::newRow("0.01") << 0.01 << false;
        QTest::newRow("40") << 40.0 << true;
    }
    void rearEnabled() {
        QFETCH(double, f2);
        QFETCH(bool, enabled);
        CPortCalcDlg dlg;
        Chambers c;
        c.f2 = f2;
        Load(dlg, c);
        dlg.show();
        QCOMPARE(Child<QRadioButton>(&dlg, "rear")->isEnabled(), enabled);
    }

    void liveUpdate_data() {
        QTest::addColumn<QString>("ports");
        QTest::addColumn<QString>("diameter");
        QTest::addColumn<QString>("length");
        QTest::addColumn<QString>("deff");
        QTest::newRow("one port of 3") << ""
                                       << "3"
                                       << "5.58"
                                       << "3.00 in";
        QTest::newRow("two ports of 3") << "2"
                                        << "3"
                                        << "12.45"
                                        << "4.24 in";
        QTest::newRow("four ports double") << "4"
                                           << "3"
                                           << "26.71"
                                           << "6.00 in";
        QTest::newRow("3in used as 3") << ""
                                       << "3in"
                                       << "5.58"
                                       << "3.00 in";
        QTest::newRow("blanks before") << " 2 "
                                       << "  3"
                                       << "12.45"
                                       << "4.24 in";
        QTest::newRow("no diameter") << ""
                                     << "in"
                                     << "n/a"
                                     << "n/a";
        QTest::newRow("negative count") << "-2"
                                        << "3"
                                        << "n/a"
                                        << "n/a";
        QTest::newRow("count without digits keeps 1") << "x"
                                                      << "3"
                                                      << "5.58"
                                                      << "3.00 in";
        QTest::newRow("zero diameter") << ""
                                       << "0"
                                       << "-0.00"
                                       << "0.00 in";
    }
    void liveUpdate() {
        QFETCH(QString, ports);
        QFETCH(QString, diameter);
        CPortCalcDlg dlg;
        Load(dlg, {});
        dlg.show();
        if (!ports.isEmpty())
            Type(Child<QLineEdit>(&dlg, "ports"), ports);
        Type(Child<QLineEdit>(&dlg, "diameter"), diameter);
        QTEST(Text(&dlg, "length"), "length");
        QTEST(Text(&dlg, "effectiveDiameter"), "deff");
        QCOMPARE(Text(&dlg, "minDiameter"), QString("3.53 in"));
    }

    void otherChamber() {
        CPortCalcDlg dlg;
        Chambers c;
        c.v2 = 1.5;
        c.f2 = 40;
        c.cone = 12;
        c.xmax = 0.3;
        Load(dlg, c);
        dlg.show();
        QCOMPARE(Text(&dlg, "minDiameter"), QString("4.79 in"));
        Type(Child<QLineEdit>(&dlg, "diameter"), "4");
        const QString frontLength = Text(&dlg, "length");
        Child<QRadioButton>(&dlg, "rear")->click();
        QVERIFY(Child<QRadioButton>(&dlg, "rear")->isChecked());
        QVERIFY(!Child<QRadioButton>(&dlg, "front")->isChecked());
        QCOMPARE(Text(&dlg, "alignmentVolume"), QString("Vb  1.50 cubic ft."));
        QCOMPARE(Text(&dlg, "alignmentTuning"), QString("Fb  40.0 Hz"));
        QCOMPARE(Text(&dlg, "minDiameter"), QString("5.12 in"));
        // The length waits for the next edit.
        QCOMPARE(Text(&dlg, "length"), frontLength);
        QCOMPARE(Text(&dlg, "effectiveDiameter"), QString("4.00 in"));
        Type(Child<QLineEdit>(&dlg, "diameter"), "4.0");
        QCOMPARE(Text(&dlg, "length"), QString("11.18"));
        Child<QRadioButton>(&dlg, "front")->click();
        QCOMPARE(Text(&dlg, "alignmentTuning"), QString("Fb  35.0 Hz"));
        QCOMPARE(Text(&dlg, "length"), QString("11.18"));
    }

    void emptyRearChamber() {
        // Rear needs only F2: a zero V2 makes the divisor zero.
        CPortCalcDlg dlg;
        Chambers c;
        c.f2 = 40;
        Load(dlg, c);
        dlg.show();
        Child<QRadioButton>(&dlg, "rear")->click();
        Type(Child<QLineEdit>(&dlg, "diameter"), "3");
        QCOMPARE(Text(&dlg, "length"), QString("n/a"));
        QCOMPARE(Text(&dlg, "effectiveDiameter"), QString("n/a"));
        QCOMPARE(Text(&dlg, "alignmentVolume"), QString("Vb  0.00 cubic ft."));
    }

    void okValidation_data() {
        QTest::addColumn<QString>("ports");
        QTest::addColumn<QString>("diameter");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("3in refused") << ""
                                     << "3in"
                                     << "Please enter a number."
                                     << "diameter";
        QTest::newRow("fraction of ports") << "1.5"
                                           << "3"
                                           << "Please enter an integer."
                                           << "ports";
        QTest::newRow("plain") << "2"
                               << "3"
                               << ""
                               << "";
        // The length field shows what nobody can type over; it holds nothing up.
        QTest::newRow("length n/a") << "-1"
                                    << "3"
                                    << ""
                                    << "";
        QTest::newRow("length -0.00") << ""
                                      << "0"
                                      << ""
                                      << "";
    }
    void okValidation() {
        QFETCH(QString, ports);
        QFETCH(QString, diameter);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        MessageCapture messages;
        CPortCalcDlg dlg;
        Load(dlg, {});
        dlg.show();
        if (!ports.isEmpty())
            Type(Child<QLineEdit>(&dlg, "ports"), ports);
        Type(Child<QLineEdit>(&dlg, "diameter"), diameter);
        ClickOk(dlg);
        if (message.isEmpty()) {
            QVERIFY(messages.records.empty());
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
        } else {
            QCOMPARE(messages.Texts(), QStringList{message});
            QVERIFY(dlg.isVisible());
            QVERIFY(FocusedAndSelected(dlg, Child<QLineEdit>(&dlg, qPrintable(focus))));
        }
    }
};

QTEST_MAIN(TestPortCalcDlg)
#include "test_port_calc_dlg.moc"
