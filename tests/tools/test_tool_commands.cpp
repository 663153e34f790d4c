// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/CBoxCalcDlg.h"
#include "tools/CDriverParamsDlg.h"
#include "tools/CFreqRangeDlg.h"
#include "tools/CPortCalcDlg.h"
#include "tools/CTSParamsDlg.h"
#include "tools/ToolCommands.h"

#include "tests/support/DialogTestUtil.h"
#include "tests/support/ViewHost.h"

using namespace orvane;

namespace {

void Vented(SpeakerDesign& d) {
    d = WithOutputFigures(ReferenceDesign(BoxKind::Vented));
    d.m_f1 = 35;
}

const std::pair<const char*, const char*> kMeasurements[] = {
    {"fs", "30"}, {"re", "6"},  {"zmax", "54"}, {"f1", "20"},
    {"f2", "45"}, {"fc", "60"}, {"vb", "1"}};

const char* const kDriverFields[] = {"fs", "qts", "vas", "coneDiameter", "xmax", "efficiency"};

} // namespace

class TestToolCommands : public QObject {
    Q_OBJECT
private slots:
    void firstDrawAsksOncePerView() {
        ViewHost host({}, false);
        ModalDriver<CDriverParamsDlg> driver([](CDriverParamsDlg& dlg) { Click(&dlg, "Cancel"); });
        ToolCommands::InstallFirstDrawCheck(*host.view);
        host.view->show();
        QTRY_COMPARE(driver.opened, 1);
        // Fs is still zero after Cancel, but this view has asked.
        host.view->OnRedraw();
        QTest::qWait(300);
        QCOMPARE(driver.opened, 1);

        COrvaneView second(host.doc, host.marks);
        ToolCommands::InstallFirstDrawCheck(second);
        second.show();
        QTRY_COMPARE(driver.opened, 2);
        second.OnRedraw();
        QTest::qWait(300);
        QCOMPARE(driver.opened, 2);

        // A known driver is not asked for.
        host.doc.Design().m_fs = 30;
        COrvaneView third(host.doc, host.marks);
        ToolCommands::InstallFirstDrawCheck(third);
        third.show();
        QTest::qWait(300);
        QCOMPARE(driver.opened, 2);
        QVERIFY(host.messages.isEmpty());
    }

    void driverParams_data() {
        QTest::addColumn<QString>("button");
        QTest::newRow("OK") << "OK";
        QTest::newRow("Cancel") << "Cancel";
    }
    void driverParams() {
        QFETCH(QString, button);
        ViewHost host(Vented, false);
        const SpeakerDesign before = host.doc.Design();
        QStringList shown;
        ModalDriver<CDriverParamsDlg> driver([&](CDriverParamsDlg& dlg) {
            for (const char* name : kDriverFields) {
                shown << Child(&dlg, name)->text();
                Type(&dlg, name, "12");
            }
            Click(&dlg, button);
        });
        ToolCommands::OnDriverParams(*host.view);
        QCOMPARE(shown, (QStringList{"30.", "0.4", "3.", "10.", "0.25", "88."}));
        const SpeakerDesign& d = host.doc.Design();
        const bool ok = button == "OK";
        if (ok) {
            for (double v : {d.m_fs, d.m_qts, d.m_vas, d.m_coneDiameter, d.m_xmax, d.m_efficiency})
                QCOMPARE(v, 12.0);
        } else {
            QVERIFY(d.SameBits(before));
        }
        QCOMPARE(host.doc.IsModified(), ok);
    }

    // The span is applied only when it is wider than 10 Hz; the view is drawn
    // again whatever the outcome.
    void freqRange_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<double>("upper");
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::newRow("10 20 kept") << "OK" << 20.0 << 20.0 << 2000.0;
        QTest::newRow("10 20.5 applied") << "OK" << 20.5 << 10.0 << 20.5;
        QTest::newRow("cancel") << "Cancel" << 20.5 << 20.0 << 2000.0;
    }
    void freqRange() {
        QFETCH(QString, button);
        QFETCH(double, upper);
        ViewHost host(Vented, false);
        int draws = 0;
        QObject::connect(host.view.get(), &COrvaneView::drawn, [&draws] { ++draws; });
        host.view->show();
        QTRY_COMPARE(draws, 1);
        ModalDriver<CFreqRangeDlg> driver([&](CFreqRangeDlg& dlg) {
            Type(&dlg, "freqLow", "10");
            Type(&dlg, "freqHigh", QString::number(upper));
            Click(&dlg, button);
        });
        ToolCommands::OnFreqRange(*host.view);
        QTEST(host.doc.Design().m_freqLow, "low");
        QTEST(host.doc.Design().m_freqHigh, "high");
        QCOMPARE(host.doc.IsModified(), host.doc.Design().m_freqLow != 20.0);
        QTRY_COMPARE(draws, 2);
    }

    void portRefusals_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<double>("v1");
        QTest::addColumn<QString>("message");
        QTest::newRow("sealed") << "Sealed" << 2.0
                                << "Port calculator does not work with Sealed boxes";
        QTest::newRow("no volume")
            << "Vented" << 0.0 << "Box volume and frequency must be greater than zero";
    }
    void portRefusals() {
        QFETCH(QString, type);
        QFETCH(double, v1);
        QFETCH(QString, message);
        ViewHost host({}, false);
        MessageCapture messages; // over the host's own collection, for the caption
        host.doc.Design().m_boxType = type.toStdString();
        host.doc.Design().m_v1 = v1;
        host.doc.Design().m_f1 = 35;
        ModalDriver<CPortCalcDlg> driver([](CPortCalcDlg& dlg) { dlg.reject(); });
        ToolCommands::OnPortCalc(*host.view);
        QCOMPARE(messages.texts, QStringList{message});
        QCOMPARE(messages.records[0].caption, QStringLiteral("Port Calculator"));
        QCOMPARE(driver.opened, 0);
    }

    void boxCalcStartsFromV1() {
        ViewHost host([](SpeakerDesign& d) { d.m_v1 = 2.348; }, false);
        const SpeakerDesign before = host.doc.Design();
        QString volume;
        ModalDriver<CBoxCalcDlg> driver([&](CBoxCalcDlg& dlg) {
            volume = Child(&dlg, "volume")->text();
            Type(&dlg, "volume", "5");
            Click(&dlg, "OK");
        });
        ToolCommands::OnBoxCalc(*host.view);
        QCOMPARE(volume, QStringLiteral("2.35"));
        QVERIFY(host.doc.Design().SameBits(before));
    }

    void tsUseResults_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<double>("fs");
        QTest::addColumn<double>("qts");
        QTest::addColumn<double>("vas");
        QTest::newRow("use") << "Use Results" << 30.0 << 0.4 << 1.15 * 3;
        QTest::newRow("discard") << "Discard Results" << 28.0 << 0.5 << 4.0;
    }
    void tsUseResults() {
        QFETCH(QString, button);
        ViewHost host({}, false);
        SpeakerDesign& d = host.doc.Design();
        d.m_fs = 28;
        d.m_qts = 0.5;
        d.m_vas = 4;
        QString fsShown;
        ModalDriver<CTSParamsDlg> driver([&](CTSParamsDlg& dlg) {
            fsShown = Child(&dlg, "fs")->text();
            for (const auto& [name, value] : kMeasurements)
                Type(&dlg, name, value);
            Click(&dlg, button);
        });
        ToolCommands::OnTsParams(*host.view);
        QCOMPARE(fsShown, QStringLiteral("28."));
        QTEST(d.m_fs, "fs");
        QFETCH(double, qts);
        QFETCH(double, vas);
        QVERIFY(std::fabs(d.m_qts - qts) < 1e-12);
        QVERIFY(std::fabs(d.m_vas - vas) < 1e-12);
        QCOMPARE(host.doc.IsModified(), d.m_fs != 28.0);
    }
};

QTEST_MAIN(TestToolCommands)
#include "test_tool_commands.moc"
