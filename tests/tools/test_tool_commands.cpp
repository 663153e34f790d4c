#include "tools/CBoxCalcDlg.h"
#include "tools/CDriverParamsDlg.h"
#include "tools/CFreqRangeDlg.h"
#include "tools/CPortCalcDlg.h"
#include "tools/CTSParamsDlg.h"
#include "tools/ToolCommands.h"

#include "DialogTestUtil.h"
#include "ModalDriver.h"

#include "design/COrvaneDoc.h"
#include "view/COrvaneView.h"
#include "view/ViewMarks.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>

#include <memory>

namespace {

// A document with one or more design views, as the main window would hold them.
class Host {
public:
    explicit Host(const std::function<void(SpeakerDesign&)>& setup = {}) {
        doc.OnNewDocument();
        if (setup)
            setup(doc.Design());
        for (auto& action : marks.box)
            action = MakeAction();
        for (auto& action : marks.amplitude)
            action = MakeAction();
    }

    COrvaneView& AddView(bool firstDrawCheck) {
        views.push_back(std::make_unique<COrvaneView>(doc, marks));
        COrvaneView& view = *views.back();
        view.resize(640, 480);
        if (firstDrawCheck)
            ToolCommands::InstallFirstDrawCheck(view);
        return view;
    }

    COrvaneDoc doc;
    QObject actionOwner;
    ViewMarks marks;
    std::vector<std::unique_ptr<COrvaneView>> views;

private:
    QAction* MakeAction() {
        auto* action = new QAction(&actionOwner);
        action->setCheckable(true);
        return action;
    }
};

void Click(QDialog& dlg, const QString& text) {
    for (QPushButton* b : dlg.findChildren<QPushButton*>())
        if (b->text() == text) {
            b->click();
            return;
        }
    qFatal("no button");
}

void Vented(SpeakerDesign& d) {
    d.m_fs = 30;
    d.m_qts = 0.4;
    d.m_vas = 3;
    d.m_boxType = "Vented";
    d.m_v1 = 2;
    d.m_f1 = 35;
    d.m_coneDiameter = 10;
    d.m_xmax = 0.25;
}

} // namespace

class TestToolCommands : public QObject {
    Q_OBJECT
private slots:
    void firstDrawOpensOncePerView() {
        MessageCapture messages;
        Host host;
        ModalDriver<CDriverParamsDlg> driver([](CDriverParamsDlg& dlg) { Click(dlg, "Cancel"); });
        COrvaneView& first = host.AddView(true);
        first.show();
        QTRY_COMPARE(driver.opened, 1);
        QVERIFY(!first.m_firstDraw);
        QCOMPARE(host.doc.Design().m_fs, 0.0);

        // Redraw after Cancel: Fs is still zero, but this view has asked.
        first.OnRedraw();
        QTest::qWait(300);
        QCOMPARE(driver.opened, 1);

        // A second window on the same design asks once more.
        COrvaneView& second = host.AddView(true);
        second.show();
        QTRY_COMPARE(driver.opened, 2);
        second.OnRedraw();
        first.OnRedraw();
        QTest::qWait(300);
        QCOMPARE(driver.opened, 2);
        QVERIFY(messages.records.empty());
    }

    void firstDrawNegativeZero() {
        Host host([](SpeakerDesign& d) { d.m_fs = -0.0; });
        ModalDriver<CDriverParamsDlg> driver([](CDriverParamsDlg& dlg) { Click(dlg, "Cancel"); });
        host.AddView(true).show();
        QTRY_COMPARE(driver.opened, 1);
    }

    void firstDrawSkipsAKnownDriver_data() {
        QTest::addColumn<double>("fs");
        QTest::newRow("30") << 30.0;
        QTest::newRow("nan") << double(NAN);
    }
    void firstDrawSkipsAKnownDriver() {
        QFETCH(double, fs);
        Host host([fs](SpeakerDesign& d) { d.m_fs = fs; });
        ModalDriver<CDriverParamsDlg> driver([](CDriverParamsDlg& dlg) { Click(dlg, "Cancel"); });
        COrvaneView& view = host.AddView(true);
        view.show();
        QTest::qWait(300);
        QCOMPARE(driver.opened, 0);
        QVERIFY(view.m_firstDraw);
    }

    void firstDrawOkStoresDriver() {
        Host host;
        ModalDriver<CDriverParamsDlg> driver([](CDriverParamsDlg& dlg) {
            Type(Child<QLineEdit>(&dlg, "fs"), "25");
            Type(Child<QLineEdit>(&dlg, "qts"), "0.35");
            Click(dlg, "OK");
        });
        COrvaneView& view = host.AddView(true);
        QSignalSpy changed(&view, &COrvaneView::recordChanged);
        view.show();
        QTRY_COMPARE(host.doc.Design().m_fs, 25.0);
        QCOMPARE(host.doc.Design().m_qts, 0.35);
        QVERIFY(host.doc.IsModified());
        QCOMPARE(changed.count(), 1);
    }

    void driverParams_data() {
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("edit");
        QTest::newRow("ok with change") << true << true;
        QTest::newRow("ok without change") << true << false;
        QTest::newRow("cancel after editing") << false << true;
    }
    void driverParams() {
        QFETCH(bool, ok);
        QFETCH(bool, edit);
        Host host(Vented);
        host.doc.Design().m_efficiency = 88;
        COrvaneView& view = host.AddView(false);
        QSignalSpy changed(&view, &COrvaneView::recordChanged);
        const SpeakerDesign before = host.doc.Design();
        QStringList shown;
        ModalDriver<CDriverParamsDlg> driver([&](CDriverParamsDlg& dlg) {
            for (const char* name : {"fs", "qts", "vas", "coneDiameter", "xmax", "efficiency"})
                shown << Child<QLineEdit>(&dlg, name)->text();
            if (edit) {
                for (const char* name : {"fs", "qts", "vas", "coneDiameter", "xmax", "efficiency"})
                    Type(Child<QLineEdit>(&dlg, name), "12");
            }
            Click(dlg, ok ? "OK" : "Cancel");
        });
        ToolCommands::OnDriverParams(view);
        QCOMPARE(shown, (QStringList{"30.", "0.4", "3.", "10.", "0.25", "88."}));
        const SpeakerDesign& d = host.doc.Design();
        if (ok && edit) {
            for (double v : {d.m_fs, d.m_qts, d.m_vas, d.m_coneDiameter, d.m_xmax, d.m_efficiency})
                QCOMPARE(v, 12.0);
        } else {
            QVERIFY(d.SameBits(before));
        }
        QCOMPARE(host.doc.IsModified(), ok && edit);
        QCOMPARE(changed.count(), ok && edit ? 1 : 0);
    }

    void freqRange_data() {
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("lower");
        QTest::addColumn<QString>("upper");
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::newRow("10 20 kept") << true << "10"
                                    << "20" << 20.0 << 2000.0;
        QTest::newRow("10 20.5 applied") << true << "10"
                                         << "20.5" << 10.0 << 20.5;
        QTest::newRow("reversed kept") << true << "500"
                                       << "100" << 20.0 << 2000.0;
        QTest::newRow("100 105 kept") << true << "100"
                                      << "105" << 20.0 << 2000.0;
        QTest::newRow("cancel") << false << "10"
                                << "20.5" << 20.0 << 2000.0;
    }
    void freqRange() {
        QFETCH(bool, ok);
        QFETCH(QString, lower);
        QFETCH(QString, upper);
        Host host(Vented);
        COrvaneView& view = host.AddView(false);
        int draws = 0;
        view.SetAfterDrawHook([&draws](COrvaneView&) { ++draws; });
        view.show();
        QTRY_COMPARE(draws, 1);
        ModalDriver<CFreqRangeDlg> driver([&](CFreqRangeDlg& dlg) {
            Type(Child<QLineEdit>(&dlg, "lower"), lower);
            Type(Child<QLineEdit>(&dlg, "upper"), upper);
            Click(dlg, ok ? "OK" : "Cancel");
        });
        ToolCommands::OnFreqRange(view);
        QTEST(host.doc.Design().m_freqLow, "low");
        QTEST(host.doc.Design().m_freqHigh, "high");
        QCOMPARE(host.doc.IsModified(), host.doc.Design().m_freqLow != 20.0);
        // Whatever the outcome the view is erased and drawn again.
        QTRY_COMPARE(draws, 2);
    }

    void portRefusals_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<double>("v1");
        QTest::addColumn<double>("f1");
        QTest::addColumn<QString>("message");
        QTest::newRow("sealed") << "Sealed" << 2.0 << 35.0
                                << "Port calculator does not work with Sealed boxes";
        QTest::newRow("vented no volume")
            << "Vented" << 0.0 << 35.0 << "Box volume and frequency must be greater than zero";
        QTest::newRow("bandpass negative tuning")
            << "Bandpass4" << 2.0 << -35.0 << "Box volume and frequency must be greater than zero";
        QTest::newRow("nan volume") << "Bandpass6" << double(NAN) << 35.0
                                    << "Box volume and frequency must be greater than zero";
    }
    void portRefusals() {
        QFETCH(QString, type);
        QFETCH(double, v1);
        QFETCH(double, f1);
        QFETCH(QString, message);
        MessageCapture messages;
        Host host([&](SpeakerDesign& d) {
            d.m_boxType = type.toStdString();
            d.m_v1 = v1;
            d.m_f1 = f1;
        });
        COrvaneView& view = host.AddView(false);
        ModalDriver<CPortCalcDlg> driver([](CPortCalcDlg& dlg) { dlg.reject(); });
        ToolCommands::OnPortCalc(view);
        QCOMPARE(messages.Texts(), QStringList{message});
        QCOMPARE(messages.records[0].kind, MessageKind::Tool);
        QCOMPARE(messages.records[0].caption, QString("Port Calculator"));
        QCOMPARE(messages.records[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(driver.opened, 0);
    }

    void portCalcChangesNothing() {
        Host host([](SpeakerDesign& d) {
            Vented(d);
            d.m_v2 = 1.5;
            d.m_f2 = 40;
        });
        COrvaneView& view = host.AddView(false);
        const SpeakerDesign before = host.doc.Design();
        QString minDiameter, volume;
        bool rearEnabled = false;
        ModalDriver<CPortCalcDlg> driver([&](CPortCalcDlg& dlg) {
            minDiameter = Child<QLabel>(&dlg, "minDiameter")->text();
            volume = Child<QLabel>(&dlg, "alignmentVolume")->text();
            rearEnabled = Child<QWidget>(&dlg, "rear")->isEnabled();
            Type(Child<QLineEdit>(&dlg, "diameter"), "3");
            Click(dlg, "OK");
        });
        ToolCommands::OnPortCalc(view);
        QCOMPARE(minDiameter, QString("3.53 in"));
        QCOMPARE(volume, QString("Vb  2.00 cubic ft."));
        QVERIFY(rearEnabled);
        QVERIFY(host.doc.Design().SameBits(before));
        QVERIFY(!host.doc.IsModified());
    }

    void boxCalcStartsFromV1() {
        Host host([](SpeakerDesign& d) { d.m_v1 = 2.348; });
        COrvaneView& view = host.AddView(false);
        const SpeakerDesign before = host.doc.Design();
        QString volume;
        ModalDriver<CBoxCalcDlg> driver([&](CBoxCalcDlg& dlg) {
            volume = Child<QLineEdit>(&dlg, "volume")->text();
            Type(Child<QLineEdit>(&dlg, "volume"), "5");
            Click(dlg, "OK");
        });
        ToolCommands::OnBoxCalc(view);
        QCOMPARE(volume, QString("2.35"));
        QVERIFY(host.doc.Design().SameBits(before));
    }

    void tsUseResults_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("measure");
        QTest::addColumn<double>("fs");
        QTest::addColumn<double>("qts");
        QTest::addColumn<double>("vas");
        QTest::newRow("use") << "Use Results" << true << 30.0 << 0.4 << 1.15 * 3;
        QTest::newRow("discard") << "Discard Results" << true << 28.0 << 0.5 << 4.0;
        QTest::newRow("use unmeasured") << "Use Results" << false << 28.0 << 0.5 << 4.0;
    }
    void tsUseResults() {
        QFETCH(QString, button);
        QFETCH(bool, measure);
        Host host([](SpeakerDesign& d) {
            d.m_fs = 28;
            d.m_qts = 0.5;
            d.m_vas = 4;
        });
        COrvaneView& view = host.AddView(false);
        QSignalSpy changed(&view, &COrvaneView::recordChanged);
        QString fsShown;
        ModalDriver<CTSParamsDlg> driver([&](CTSParamsDlg& dlg) {
            fsShown = Child<QLineEdit>(&dlg, "fs")->text();
            if (measure) {
                for (auto [name, value] : {std::pair{"fs", "30"},
                                           {"re", "6"},
                                           {"zmax", "54"},
                                           {"f1", "20"},
                                           {"f2", "45"},
                                           {"fc", "60"},
                                           {"vb", "1"}})
                    Type(Child<QLineEdit>(&dlg, name), value);
            }
            Click(dlg, button);
        });
        ToolCommands::OnTsParams(view);
        QCOMPARE(fsShown, QString("28."));
        const SpeakerDesign& d = host.doc.Design();
        QTEST(d.m_fs, "fs");
        QFETCH(double, qts);
        QFETCH(double, vas);
        QVERIFY(std::fabs(d.m_qts - qts) < 1e-12);
        QVERIFY(std::fabs(d.m_vas - vas) < 1e-12);
        const bool changedRecord = d.m_fs != 28.0;
        QCOMPARE(host.doc.IsModified(), changedRecord);
        QCOMPARE(changed.count(), changedRecord ? 1 : 0);
    }
};

QTEST_MAIN(TestToolCommands)
#include "test_tool_commands.moc"
