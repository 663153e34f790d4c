#include "tools/CFreqRangeDlg.h"

#include "DialogTestUtil.h"

class TestFreqRangeDlg : public QObject {
    Q_OBJECT
private slots:
    void bounds_data() {
        QTest::addColumn<QString>("lower");
        QTest::addColumn<QString>("upper");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("10 and 20 pass") << "10"
                                        << "20"
                                        << ""
                                        << "";
        QTest::newRow("reversed pass") << "500"
                                       << "100"
                                       << ""
                                       << "";
        QTest::newRow("lower 5") << "5"
                                 << "2000"
                                 << "Please enter a number between 10. and 20000.."
                                 << "lower";
        QTest::newRow("upper 15") << "10"
                                  << "15"
                                  << "Please enter a number between 20. and 20000.."
                                  << "upper";
        QTest::newRow("lower first") << "20000.1"
                                     << "1"
                                     << "Please enter a number between 10. and 20000.."
                                     << "lower";
        QTest::newRow("upper empty") << "20"
                                     << ""
                                     << "Please enter a number."
                                     << "upper";
    }
    void bounds() {
        QFETCH(QString, lower);
        QFETCH(QString, upper);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        MessageCapture messages;
        CFreqRangeDlg dlg;
        dlg.m_lower = 20;
        dlg.m_upper = 2000;
        dlg.show();
        QCOMPARE(Child<QLineEdit>(&dlg, "lower")->text(), QString("20."));
        QCOMPARE(Child<QLineEdit>(&dlg, "upper")->text(), QString("2000."));
        Type(Child<QLineEdit>(&dlg, "lower"), lower);
        Type(Child<QLineEdit>(&dlg, "upper"), upper);
        QTest::keyClick(Child<QLineEdit>(&dlg, "upper"), Qt::Key_Return);
        if (message.isEmpty()) {
            QVERIFY(messages.records.empty());
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
            QCOMPARE(dlg.m_lower, lower.toDouble());
            QCOMPARE(dlg.m_upper, upper.toDouble());
        } else {
            QCOMPARE(messages.Texts(), QStringList{message});
            QVERIFY(dlg.isVisible());
            QVERIFY(FocusedAndSelected(dlg, Child<QLineEdit>(&dlg, qPrintable(focus))));
        }
    }

    void escapeDoesNoExchange() {
        MessageCapture messages;
        CFreqRangeDlg dlg;
        dlg.m_lower = 20;
        dlg.m_upper = 2000;
        dlg.show();
        Type(Child<QLineEdit>(&dlg, "lower"), "x");
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(!dlg.isVisible());
        QVERIFY(messages.records.empty());
        QCOMPARE(dlg.m_lower, 20.0);
        QCOMPARE(dlg.windowTitle(), QString("Frequency Range"));
    }
};

QTEST_MAIN(TestFreqRangeDlg)
#include "test_freq_range_dlg.moc"
