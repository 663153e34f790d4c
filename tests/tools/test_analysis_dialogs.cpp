// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/UnitChoice.h"
#include "tools/CAnalysisDlg.h"
#include "tools/CElectricalDlg.h"
#include "tools/CPortCalcDlg.h"
#include "tools/ToolCommands.h"

#include "tests/support/DialogTestUtil.h"
#include "tests/support/ViewHost.h"

#include <QLabel>
#include <QRadioButton>
#include <QTemporaryDir>

using namespace orvane;

namespace {

void Analysed(SpeakerDesign& d) {
    d = WithOutputFigures(ReferenceDesign(BoxKind::Vented));
    d.m_f1 = 35;
}

// The derived line, its no-break spaces read as blanks, without its word joiners.
QString Derived(QDialog& dlg) {
    return Child<QLabel>(&dlg, "derived")->text().replace(QChar(0x00a0), ' ').remove(QChar(0x2060));
}

} // namespace

class TestAnalysisDialogs : public QObject {
    Q_OBJECT
private slots:
    // The entry rules of the other dialogs, with the ranges of these values.
    void electricalValidation_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        const QString re = "Please enter a number between 0.1 and 1000.";
        QTest::newRow("re low") << "re"
                                << "0.05" << re;
        QTest::newRow("re high") << "re"
                                 << "1001" << re;
        QTest::newRow("re text") << "re"
                                 << "six"
                                 << "Please enter a number.";
        // The program's number text writes 0.05 as it writes every small number.
        QTest::newRow("qes between") << "qes"
                                     << "0.01"
                                     << "Please enter 0 or a number between 5.e-002 and 100.";
        QTest::newRow("le negative") << "le"
                                     << "-1"
                                     << "Please enter a number between 0. and 100.";
        QTest::newRow("pe high") << "pe"
                                 << "100001"
                                 << "Please enter a number between 0. and 100000.";
        QTest::newRow("qes 0 allowed") << "qes"
                                       << "0"
                                       << "";
        QTest::newRow("empty is not given") << "re"
                                            << ""
                                            << "";
    }
    void electricalValidation() {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, message);
        ViewHost host(Analysed, false);
        MessageCapture messages;
        bool stayedOpen = false;
        ModalDriver<CElectricalDlg> driver([&](CElectricalDlg& dlg) {
            Type(&dlg, field.toLatin1().constData(), text);
            Click(&dlg, "OK");
            stayedOpen = dlg.isVisible();
            if (stayedOpen) {
                QVERIFY(FocusedAndSelected(dlg, field.toLatin1().constData()));
                Click(&dlg, "Cancel");
            }
        });
        ToolCommands::OnElectricalParams(*host.view);
        QCOMPARE(messages.texts.join('|'), message);
        QCOMPARE(stayedOpen, !message.isEmpty());
        QCOMPARE(host.doc.IsModified(), message.isEmpty() && !text.isEmpty());
    }

    // Qms, η0, Bl, Mms and Cms follow what is typed. The reference driver
    // (Fs 30, Qts 0.4, Vas 3 ft³, D 10 in, 88 dB) has η0 = 10^((88 −
    // 112.0946)/10) = 0.3895 %, Qes 0.566101, Qms 1.36327, Mms 56.6994 g;
    // Bl = sqrt(18.8793 N·s/m · 6 Ω) = 10.643 T·m; Cms = 1/((2π·30)²·Mms) =
    // 0.4964 mm/N.
    void derivedFiguresFollowTyping() {
        ViewHost host(Analysed, false);
        QStringList lines;
        ModalDriver<CElectricalDlg> driver([&](CElectricalDlg& dlg) {
            lines << Derived(dlg);
            Type(&dlg, "re", "6");
            lines << Derived(dlg);
            Type(&dlg, "qes", "0.3"); // not above Qts
            lines << Derived(dlg);
            Type(&dlg, "qes", "0.45"); // implies 88.9968 dB
            lines << Derived(dlg);
            Click(&dlg, "Cancel");
        });
        ToolCommands::OnElectricalParams(*host.view);
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines[3].endsWith("   Qes implies 89.0 dB, not the entered 88 dB"));
        QCOMPARE(lines[0], QString("Qms 1.36   \u03b70 0.39 %   Mms 56.7 g   Cms 0.496 mm/N"));
        QCOMPARE(lines[1],
                 QString("Qms 1.36   \u03b70 0.39 %   Bl 10.64 T\u00b7m   Mms 56.7 g   Cms 0.496 "
                         "mm/N"));
        QCOMPARE(lines[2],
                 QString("The analysis needs Qes (entered, or from the efficiency) above Qts."));
        QVERIFY(!host.doc.IsModified());
    }

    // OK stores the values in the design, which saves and loads them.
    void electricalSaveAndReload() {
        ViewHost host(Analysed, false);
        ModalDriver<CElectricalDlg> driver([&](CElectricalDlg& dlg) {
            Type(&dlg, "name", "  Acme W10  ");
            Type(&dlg, "re", "6");
            Type(&dlg, "qes", "0.55");
            Type(&dlg, "le", "0.8");
            Type(&dlg, "pe", "150");
            Click(&dlg, "OK");
        });
        ToolCommands::OnElectricalParams(*host.view);
        QVERIFY(host.doc.IsModified());
        QTemporaryDir dir;
        const std::string path = dir.filePath("w.spk").toStdString();
        QVERIFY(host.doc.Save(path));
        COrvaneDoc loaded;
        QVERIFY(loaded.Load(path));
        const DesignExtras& x = loaded.Design().m_extras;
        QCOMPARE(x.name, std::optional<std::string>("Acme W10"));
        QCOMPARE(x.re, std::optional(6.0));
        QCOMPARE(x.qes, std::optional(0.55));
        QCOMPARE(x.le, std::optional(0.8));
        QCOMPARE(x.pe, std::optional(150.0));
        QVERIFY(!x.power && !x.ql && !x.ports);
    }

    // The defaults shown and left alone add nothing; chamber 2 only for a
    // type with a second vented chamber.
    void analysisSettings_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<bool>("change");
        QTest::addColumn<bool>("chamber2");
        QTest::newRow("vented, untouched") << "Vented" << false << false;
        QTest::newRow("vented, changed") << "Vented" << true << false;
        QTest::newRow("bandpass 6, changed") << "Bandpass6" << true << true;
    }
    void analysisSettings() {
        QFETCH(QString, type);
        QFETCH(bool, change);
        QFETCH(bool, chamber2);
        ViewHost host(
            [&](SpeakerDesign& d) {
                d = WithOutputFigures(ReferenceDesign(BoxKind::Bandpass6));
                d.m_boxType = type.toStdString();
            },
            false);
        QStringList shown;
        bool secondShown = false;
        ModalDriver<CAnalysisDlg> driver([&](CAnalysisDlg& dlg) {
            for (const char* name : {"power", "ql", "portDiameter", "ports"})
                shown << Child(&dlg, name)->text();
            secondShown = Child(&dlg, "port2Diameter")->isEnabled();
            if (change) {
                Type(&dlg, "power", "100");
                Type(&dlg, "portDiameter", "3");
                Type(&dlg, "ports", "2");
                if (chamber2)
                    Type(&dlg, "port2Diameter", "4");
            }
            Click(&dlg, "OK");
        });
        ToolCommands::OnAnalysisSettings(*host.view);
        QCOMPARE(shown, (QStringList{"1.", "7.", "", "1"}));
        QCOMPARE(secondShown, chamber2);
        QCOMPARE(host.doc.IsModified(), change);
        const DesignExtras& x = host.doc.Design().m_extras;
        if (!change) {
            QVERIFY(!x.AnySet());
            return;
        }
        QCOMPARE(x.power, std::optional(100.0));
        QVERIFY(!x.ql);
        QCOMPARE(x.portDiameter, std::optional(3.0));
        QCOMPARE(x.ports, std::optional<std::uint16_t>(2));
        QCOMPARE(x.port2Diameter, chamber2 ? std::optional(4.0) : std::nullopt);
    }

    void analysisSettingsValidation_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("power") << "power"
                               << "0"
                               << "Please enter a number between 0.1 and 100000.";
        QTest::newRow("ql") << "ql"
                            << "0"
                            << "Please enter a number between 0.1 and 100000.";
        QTest::newRow("diameter") << "portDiameter"
                                  << "0.05"
                                  << "Please enter 0 or a number between 0.1 and 100.";
        QTest::newRow("ports") << "ports"
                               << "0"
                               << "Please enter an integer between 1 and 100.";
    }
    void analysisSettingsValidation() {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, message);
        ViewHost host(Analysed, false);
        MessageCapture messages;
        ModalDriver<CAnalysisDlg> driver([&](CAnalysisDlg& dlg) {
            Type(&dlg, field.toLatin1().constData(), text);
            Click(&dlg, "OK");
            if (dlg.isVisible())
                Click(&dlg, "Cancel");
        });
        ToolCommands::OnAnalysisSettings(*host.view);
        QCOMPARE(messages.texts.join('|'), message);
        QVERIFY(!host.doc.IsModified());
    }

    // Metric: the port diameter is typed in centimetres (7.62 cm is 3 in
    // exactly), reopens as typed, and its range message is in centimetres.
    void analysisSettingsInCentimetres_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::newRow("3 in") << "7.62" << QString();
        QTest::newRow("below 0.1 in") << "0.2"
                                      << "Please enter 0 or a number between 0.25 and 254.";
    }
    void analysisSettingsInCentimetres() {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        UnitChoice::Set(UnitSystem::Metric);
        ViewHost host(Analysed, false);
        MessageCapture messages;
        bool labelled = false;
        QString reopened;
        {
            ModalDriver<CAnalysisDlg> type([&](CAnalysisDlg& dlg) {
                for (const QLabel* label : dlg.findChildren<QLabel*>())
                    labelled = labelled || label->text() == "Port Diameter (cm)";
                Type(&dlg, "portDiameter", typed);
                Click(&dlg, "OK");
                if (dlg.isVisible())
                    Click(&dlg, "Cancel");
            });
            ToolCommands::OnAnalysisSettings(*host.view);
        }
        {
            ModalDriver<CAnalysisDlg> reopen([&](CAnalysisDlg& dlg) {
                reopened = Child(&dlg, "portDiameter")->text();
                Click(&dlg, "Cancel");
            });
            ToolCommands::OnAnalysisSettings(*host.view);
        }
        UnitChoice::Set(UnitSystem::Imperial);
        QVERIFY(labelled);
        QCOMPARE(messages.texts.join('|'), message);
        const std::optional<double> stored = host.doc.Design().m_extras.portDiameter;
        if (message.isEmpty()) {
            QVERIFY(stored && std::abs(*stored - 3) < 1e-12);
            QCOMPARE(reopened, typed);
        } else {
            QVERIFY(!stored);
        }
    }

    // OK in the Port Calculator offers its ports to the analysis; only Yes
    // takes them, for the chamber the calculator worked on.
    void portCalculatorOffer_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("rear");
        QTest::addColumn<bool>("taken");
        QTest::newRow("yes") << "OK" << int(QMessageBox::Yes) << false << true;
        QTest::newRow("yes, rear") << "OK" << int(QMessageBox::Yes) << true << true;
        QTest::newRow("no") << "OK" << int(QMessageBox::No) << false << false;
        QTest::newRow("cancel") << "Cancel" << int(QMessageBox::Yes) << false << false;
    }
    void portCalculatorOffer() {
        QFETCH(QString, button);
        QFETCH(int, answer);
        QFETCH(bool, rear);
        QFETCH(bool, taken);
        ViewHost host(
            [](SpeakerDesign& d) { d = WithOutputFigures(ReferenceDesign(BoxKind::Bandpass6)); },
            false);
        QStringList asked;
        bool yesNo = true;
        SetMessageHook([&](const MessageRecord& m) {
            asked << m.text;
            yesNo = yesNo && m.buttons == (QMessageBox::Yes | QMessageBox::No);
            return static_cast<QMessageBox::StandardButton>(answer);
        });
        ModalDriver<CPortCalcDlg> driver([&](CPortCalcDlg& dlg) {
            if (rear)
                Child<QRadioButton>(&dlg, "rear")->click();
            Type(&dlg, "ports", "2");
            Type(&dlg, "diameter", "3");
            Click(&dlg, button);
        });
        ToolCommands::OnPortCalc(*host.view);
        SetMessageHook({});
        QVERIFY(yesNo);
        QCOMPARE(asked,
                 button == "OK" ? QStringList{"Use these ports for the analysis?"} : QStringList{});
        const DesignExtras& x = host.doc.Design().m_extras;
        const std::optional<double> diameter = taken ? std::optional(3.0) : std::nullopt;
        const std::optional<std::uint16_t> ports =
            taken ? std::optional<std::uint16_t>(2) : std::nullopt;
        QCOMPARE(rear ? x.port2Diameter : x.portDiameter, diameter);
        QCOMPARE(rear ? x.ports2 : x.ports, ports);
        QCOMPARE(host.doc.IsModified(), taken);
    }
};

QTEST_MAIN(TestAnalysisDialogs)
#include "test_analysis_dialogs.moc"
