#include "tools/CBoxCalcDlg.h"

#include "DialogTestUtil.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace {

QStringList Dimensions(QWidget* dlg) {
    return {Child<QLineEdit>(dlg, "width")->text(), Child<QLineEdit>(dlg, "height")->text(),
            Child<QLineEdit>(dlg, "depth")->text()};
}

} // namespace

class TestBoxCalcDlg : public QObject {
    Q_OBJECT
private slots:
    void opensWithRoundedVolume_data() {
        QTest::addColumn<double>("v1");
        QTest::addColumn<QString>("volume");
        QTest::addColumn<QStringList>("dimensions");
        QTest::newRow("2.348") << 2.348 << "2.35" << QStringList{"15.954", "25.814", "9.860"};
        QTest::newRow("zero") << 0.0 << "0.00" << QStringList{"0.000", "0.000", "0.000"};
        QTest::newRow("negative") << -1.0 << "-1.00" << QStringList{"n/a", "n/a", "n/a"};
    }
    void opensWithRoundedVolume() {
        QFETCH(double, v1);
        CBoxCalcDlg dlg;
        dlg.m_volume = v1;
        dlg.show();
        QTEST(Child<QLineEdit>(&dlg, "volume")->text(), "volume");
        QTEST(Dimensions(&dlg), "dimensions");
        QVERIFY(Child<QRadioButton>(&dlg, "ratio1618")->isChecked());
        QCOMPARE(dlg.m_ratio, 1.618);
    }

    void ratios_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("volume");
        QTest::addColumn<QStringList>("dimensions");
        QTest::newRow("1.0 1.618") << "ratio1618"
                                   << "1" << QStringList{"12.000", "19.416", "7.417"};
        QTest::newRow("1.0 1.414") << "ratio1414"
                                   << "1" << QStringList{"12.000", "16.968", "8.487"};
        QTest::newRow("1.0 1.26") << "ratio126"
                                  << "1" << QStringList{"12.000", "15.120", "9.524"};
        QTest::newRow("2.0 1.618") << "ratio1618"
                                   << "2.0" << QStringList{"15.119", "24.463", "9.344"};
        QTest::newRow("3.5 1.26") << "ratio126"
                                  << "3.5" << QStringList{"18.220", "22.957", "14.460"};
    }
    void ratios() {
        QFETCH(QString, button);
        QFETCH(QString, volume);
        CBoxCalcDlg dlg;
        dlg.m_volume = 7;
        dlg.show();
        Type(Child<QLineEdit>(&dlg, "volume"), volume);
        Child<QRadioButton>(&dlg, qPrintable(button))->click();
        QTEST(Dimensions(&dlg), "dimensions");
    }

    void ratioRescansTheText() {
        CBoxCalcDlg dlg;
        dlg.m_volume = 2;
        dlg.show();
        Type(Child<QLineEdit>(&dlg, "volume"), "1");
        Child<QRadioButton>(&dlg, "ratio1414")->click();
        QCOMPARE(Dimensions(&dlg), (QStringList{"12.000", "16.968", "8.487"}));
        QCOMPARE(dlg.m_ratio, 1.414);
    }

    void textWithoutNumberKeepsDimensions() {
        CBoxCalcDlg dlg;
        dlg.m_volume = 1;
        dlg.show();
        const QStringList before = Dimensions(&dlg);
        Type(Child<QLineEdit>(&dlg, "volume"), "");
        QCOMPARE(Dimensions(&dlg), before);
        Type(Child<QLineEdit>(&dlg, "volume"), "cubic");
        QCOMPARE(Dimensions(&dlg), before);
        Type(Child<QLineEdit>(&dlg, "volume"), "2");
        QCOMPARE(Dimensions(&dlg), (QStringList{"15.119", "24.463", "9.344"}));
        Type(Child<QLineEdit>(&dlg, "volume"), "3.5ft");
        Child<QRadioButton>(&dlg, "ratio126")->click();
        QCOMPARE(Dimensions(&dlg), (QStringList{"18.220", "22.957", "14.460"}));
    }

    void okNeverComplains() {
        MessageCapture messages;
        CBoxCalcDlg dlg;
        dlg.m_volume = 1;
        dlg.show();
        Type(Child<QLineEdit>(&dlg, "volume"), "lots");
        QTest::keyClick(Child<QLineEdit>(&dlg, "volume"), Qt::Key_Return);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(messages.records.empty());
    }

    void texts() {
        CBoxCalcDlg dlg;
        dlg.show();
        QCOMPARE(dlg.windowTitle(), QString("Box Calculator"));
        QStringList labels;
        for (QLabel* l : dlg.findChildren<QLabel*>())
            labels << l->text();
        QVERIFY(
            labels.contains("Calculate internal box dimensions to minimize internal reflections"));
        for (const char* l : {"Box Volume (ft^3)", "Width (in)", "Height (in)", "Depth (in)"})
            QVERIFY2(labels.contains(l), l);
        QCOMPARE(Child<QRadioButton>(&dlg, "ratio1618")->text(), QString("  1.618"));
        QCOMPARE(Child<QRadioButton>(&dlg, "ratio1414")->text(), QString("  1.414"));
        QCOMPARE(Child<QRadioButton>(&dlg, "ratio126")->text(), QString("  1.26"));
        QCOMPARE(dlg.findChild<QGroupBox*>()->title(), QString("Optimum Ratios"));
    }
};

QTEST_MAIN(TestBoxCalcDlg)
#include "test_box_calc_dlg.moc"
