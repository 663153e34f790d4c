#include "tools/CDriverParamsDlg.h"

#include "DialogTestUtil.h"

#include <QPushButton>

namespace {

QPushButton* Button(QDialog& dlg, const QString& text) {
    for (QPushButton* b : dlg.findChildren<QPushButton*>())
        if (b->text() == text)
            return b;
    qFatal("no button");
    return nullptr;
}

} // namespace

class TestDriverParamsDlg : public QObject {
    Q_OBJECT
private slots:
    void newDesignRefusesFs() {
        MessageCapture messages;
        CDriverParamsDlg dlg;
        dlg.show();
        for (const char* name : {"fs", "qts", "vas", "coneDiameter", "xmax", "efficiency"})
            QCOMPARE(Child<QLineEdit>(&dlg, name)->text(), QString("0."));
        Button(dlg, "OK")->click();
        QCOMPARE(messages.Texts(), QStringList{"Please enter a number between 10. and 20000.."});
        QCOMPARE(messages.records[0].kind, MessageKind::Warning);
        QCOMPARE(messages.records[0].caption, QString("orvane"));
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(FocusedAndSelected(dlg, Child<QLineEdit>(&dlg, "fs")));
    }

    void fsBounds_data() {
        QTest::addColumn<QString>("fs");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("10") << "10" << true;
        QTest::newRow("20000") << "20000" << true;
        QTest::newRow("9.99") << "9.99" << false;
        QTest::newRow("20000.5") << "20000.5" << false;
    }
    void fsBounds() {
        QFETCH(QString, fs);
        QFETCH(bool, accepted);
        MessageCapture messages;
        CDriverParamsDlg dlg;
        dlg.show();
        Type(Child<QLineEdit>(&dlg, "fs"), fs);
        Button(dlg, "OK")->click();
        QCOMPARE(dlg.result() == QDialog::Accepted, accepted);
        QCOMPARE(messages.records.empty(), accepted);
        QCOMPARE(dlg.m_fs, fs.toDouble());
    }

    void fsReportedBeforeVas() {
        MessageCapture messages;
        CDriverParamsDlg dlg;
        dlg.show();
        Type(Child<QLineEdit>(&dlg, "fs"), "5");
        Type(Child<QLineEdit>(&dlg, "vas"), "big");
        Button(dlg, "OK")->click();
        QCOMPARE(messages.Texts(), QStringList{"Please enter a number between 10. and 20000.."});
        Type(Child<QLineEdit>(&dlg, "fs"), "30");
        Button(dlg, "OK")->click();
        QCOMPARE(messages.Texts().last(), QString("Please enter a number."));
        QCOMPARE(messages.records.size(), size_t(2));
        QVERIFY(FocusedAndSelected(dlg, Child<QLineEdit>(&dlg, "vas")));
        QVERIFY(dlg.isVisible());
    }

    void exchangeOrder_data() {
        QTest::addColumn<QStringList>("bad");
        QTest::addColumn<QString>("reported");
        // Efficiency is read before the cone diameter and Xmax.
        QTest::newRow("efficiency first")
            << QStringList{"xmax", "coneDiameter", "efficiency"} << "efficiency";
        QTest::newRow("cone before xmax") << QStringList{"xmax", "coneDiameter"} << "coneDiameter";
        QTest::newRow("empty qts") << QStringList{"qts"} << "qts";
    }
    void exchangeOrder() {
        QFETCH(QStringList, bad);
        QFETCH(QString, reported);
        MessageCapture messages;
        CDriverParamsDlg dlg;
        dlg.m_fs = 30;
        dlg.show();
        for (const QString& name : bad)
            Type(Child<QLineEdit>(&dlg, qPrintable(name)), "");
        Button(dlg, "OK")->click();
        QCOMPARE(messages.Texts(), QStringList{"Please enter a number."});
        QVERIFY(FocusedAndSelected(dlg, Child<QLineEdit>(&dlg, qPrintable(reported))));
    }

    void noRangeOnTheOthers() {
        MessageCapture messages;
        CDriverParamsDlg dlg;
        dlg.show();
        Type(Child<QLineEdit>(&dlg, "fs"), "25.5");
        Type(Child<QLineEdit>(&dlg, "qts"), "0");
        Type(Child<QLineEdit>(&dlg, "vas"), "-2");
        Type(Child<QLineEdit>(&dlg, "xmax"), "-0.25");
        Type(Child<QLineEdit>(&dlg, "coneDiameter"), "1e3");
        Type(Child<QLineEdit>(&dlg, "efficiency"), " 88 ");
        // Enter in a field reaches the default button.
        QTest::keyClick(Child<QLineEdit>(&dlg, "efficiency"), Qt::Key_Return);
        QVERIFY(messages.records.empty());
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.m_fs, 25.5);
        QCOMPARE(dlg.m_qts, 0.0);
        QCOMPARE(dlg.m_vas, -2.0);
        QCOMPARE(dlg.m_xmax, -0.25);
        QCOMPARE(dlg.m_coneDiameter, 1000.0);
        QCOMPARE(dlg.m_efficiency, 88.0);
    }

    void showsTheCopies() {
        CDriverParamsDlg dlg;
        dlg.m_fs = 20;
        dlg.m_qts = 0.05;
        dlg.m_vas = 37.25;
        dlg.show();
        QCOMPARE(Child<QLineEdit>(&dlg, "fs")->text(), QString("20."));
        QCOMPARE(Child<QLineEdit>(&dlg, "qts")->text(), QString("5.e-002"));
        QCOMPARE(Child<QLineEdit>(&dlg, "vas")->text(), QString("37.25"));
        QCOMPARE(dlg.windowTitle(), QString("Driver Parameters"));
    }

    void cancelKeepsCopies() {
        MessageCapture messages;
        CDriverParamsDlg dlg;
        dlg.m_fs = 30;
        dlg.show();
        Type(Child<QLineEdit>(&dlg, "fs"), "45");
        Button(dlg, "Cancel")->click();
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(dlg.m_fs, 30.0);
        QVERIFY(messages.records.empty());
    }
};

QTEST_MAIN(TestDriverParamsDlg)
#include "test_driver_params_dlg.moc"
