// SPDX-License-Identifier: GPL-3.0-or-later
// The tool dialogs and the commands that open them: every entry wired to the
// field table in both unit systems, values copied back only on OK, and what
// each dialog does besides (live figures in the units shown).
#include "core/calc/BoxCalc.h"
#include "core/calc/PortCalc.h"
#include "core/calc/TsCalc.h"
#include "core/chain/Stages.h"
#include "core/library/LibrarySession.h"
#include "core/measure/CurveExport.h"
#include "core/text/Printf.h"
#include "platform/NumericText.h"
#include "platform/UnitChoice.h"
#include "tools/CAlignmentDlg.h"
#include "tools/CAnalysisDlg.h"
#include "tools/CBuildDlg.h"
#include "tools/CDriverEntryDlg.h"
#include "tools/CDriverFitDlg.h"
#include "tools/CDriverParamsDlg.h"
#include "tools/CElectricalDlg.h"
#include "tools/CExportCurvesDlg.h"
#include "tools/CFreqRangeDlg.h"
#include "tools/CPortCalcDlg.h"
#include "tools/CSignalChainDlg.h"
#include "tools/CTSParamsDlg.h"
#include "tools/ToolCommands.h"

#include "tests/support/DialogTestUtil.h"
#include "tests/support/ViewHost.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QUndoStack>

#include <cstdlib>

using namespace orvane;
using Command = void (*)(COrvaneView&);
Q_DECLARE_METATYPE(orvane::UnitSystem)
Q_DECLARE_METATYPE(Command)

namespace {

// The texts of line edits and labels, in the order named.
QStringList Texts(QWidget* dlg, const QString& names) {
    QStringList texts;
    for (const QString& name : names.split(' ')) {
        const auto* label = dlg->findChild<QLabel*>(name);
        texts << (label ? label->text() : Child(dlg, qPrintable(name))->text());
    }
    return texts;
}

// Types "name text" pairs into a dialog ("-" empties a field; "rear on"
// clicks a radio button), then clicks a last, odd word's button ("Use_Results").
void Fill(QDialog& dlg, const QString& typed) {
    const QStringList words = typed.split(' ', Qt::SkipEmptyParts);
    for (qsizetype i = 0; i + 1 < words.size(); i += 2) {
        if (auto* radio = dlg.findChild<QRadioButton*>(words[i]))
            radio->click();
        else
            Type(&dlg, qPrintable(words[i]), words[i + 1] == "-" ? QString() : words[i + 1]);
    }
    if (words.size() % 2 == 1)
        Click(&dlg, QString(words.last()).replace('_', ' '));
}

bool HasLabel(QWidget* window, const QString& text) {
    const QList<QLabel*> labels = window->findChildren<QLabel*>();
    return std::any_of(labels.begin(), labels.end(), [&](auto* l) { return l->text() == text; });
}

QString Decimals(const char* format, double value) {
    return QString::fromStdString(Printf(format, value));
}

// Each entry of `window` named after a field of the table shows from its
// first character, under the table's label; a value just past either bound
// (as shown in `units`) is refused with the table's sentence and the focus
// back in the entry; the bound itself, and 0 where the field takes it, pass.
// `read` is OK or Enter.
void WalkFields(QWidget* window, UnitSystem units, const std::function<void(QLineEdit*)>& read) {
    MessageCapture messages;
    for (const FieldInfo& f : Fields::All()) {
        auto* edit = window->findChild<QLineEdit*>(QString::fromLatin1(f.key.data(), f.key.size()));
        if (edit == nullptr || edit->isHidden())
            continue;
        QVERIFY2(edit->cursorPosition() == 0, f.key.data());
        QVERIFY2(HasLabel(window, QString::fromStdString(Fields::Label(f, units))), f.key.data());
        const bool count = f.type == FieldType::Count;
        const auto type = [&](double v) {
            edit->selectAll();
            QTest::keyClicks(edit, count ? QString::number(v) : NumericText::FormatNumber(v));
            read(edit);
        };
        for (const double bound : {f.bounds.low, f.bounds.high}) {
            if (!f.bounds.Ranged())
                break;
            const double shown =
                count ? bound : DisplayUnits::DisplayBound(units, f.quantity, bound);
            const double past = shown + (bound == f.bounds.low ? -1 : 1) * (count ? 1 : 0.01);
            messages.texts.clear();
            type(past);
            QCOMPARE(messages.texts, QStringList(QString::fromStdString(
                                         Fields::Refusal(f, past, units).value_or("none"))));
            QVERIFY2(window->focusWidget() == edit && edit->selectedText() == edit->text(),
                     f.key.data());
            type(shown);
            type(f.bounds.zeroAllowed ? 0 : shown);
            if (units == UnitSystem::Metric && f.quantity == DisplayUnits::Quantity::Length &&
                past < 1)
                QEXPECT_FAIL("", "0.25 cm reads back as 0.24999999999999997 cm, refused", Continue);
            // Past the entry rules an alignment may still have no answer.
            QVERIFY2(messages.texts.filter("Please enter").size() == 1, f.key.data());
        }
    }
}

} // namespace

class TestToolDialogs : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { UnitChoice::Set(UnitSystem::Imperial); }

    void entriesFollowTheTable_data() {
        QTest::addColumn<UnitSystem>("units");
        QTest::newRow("imperial") << UnitSystem::Imperial;
        QTest::newRow("metric") << UnitSystem::Metric;
    }
    void entriesFollowTheTable() {
        QFETCH(UnitSystem, units);
        UnitChoice::Set(units);
        ViewHost host(Starting(ReferenceDesign(BoxKind::Bandpass6)));
        WalkFields(host.view.get(), units,
                   [](QLineEdit* e) { QTest::keyClick(e, Qt::Key_Return); });
        CDriverParamsDlg driver;
        driver.m_fs = 30;
        CFreqRangeDlg range;
        range.m_lower = 20;
        range.m_upper = 2000;
        CElectricalDlg electrical(ReferenceDriver());
        CAnalysisDlg analysis(BoxKind::Bandpass6);
        CAlignmentDlg alignments;
        alignments.m_driver = {30, 0.4, 3, 1};
        CBuildDlg build(ReferenceDesign(BoxKind::Vented));
        CExportCurvesDlg curves(1);
        for (CExchangeDialog* dlg : std::initializer_list<CExchangeDialog*>{
                 &driver, &range, &electrical, &analysis, &alignments, &build, &curves}) {
            dlg->show();
            WalkFields(dlg, units, [&](QLineEdit*) {
                Click(dlg, dlg == &alignments ? "Apply" : "OK");
                dlg->show();
            });
        }
    }

    // The build window says what conflicts while the values are typed.
    void buildConflicts() {
        CBuildDlg dlg(ReferenceDesign(BoxKind::Vented));
        dlg.show();
        QVERIFY(dlg.Problem().isEmpty());
        Type(&dlg, "outerWidth", "1");
        QVERIFY(dlg.Problem().contains("fixed"));
        Type(&dlg, "outerWidth", "");
        QVERIFY(dlg.Problem().isEmpty());
        // Export… writes the drawing as SVG or PDF, else says why not.
        QTemporaryDir dir;
        MessageCapture messages;
        QVERIFY(dlg.ExportTo(dir.filePath("b.svg")) && dlg.ExportTo(dir.filePath("b.pdf")));
        QVERIFY(!dlg.ExportTo(dir.filePath("b.png")) && !dlg.ExportTo(dir.filePath("no/b.svg")));
        QCOMPARE(messages.texts.size(), 2);
        QFile svg(dir.filePath("b.svg"));
        QVERIFY(svg.open(QIODevice::ReadOnly) && svg.readAll().contains("Cut list"));
    }

    // A new design asks for its driver once per window, after its first
    // drawing; a design with an Fs never does.
    void firstDrawAsksOncePerView() {
        ViewHost host({}, false);
        ModalDriver<CDriverParamsDlg> driver([](CDriverParamsDlg& dlg) { dlg.reject(); });
        COrvaneView second(host.doc, host.marks), third(host.doc, host.marks);
        for (COrvaneView* view : {host.view.get(), &second, &third}) {
            if (view == &third)
                host.doc.Design().m_fs = 30;
            ToolCommands::InstallFirstDrawCheck(*view);
            view->show();
            QTRY_COMPARE(driver.opened, view == host.view.get() ? 1 : 2);
            view->OnRedraw(); // Fs is still zero, but this window has asked
            QTest::qWait(200);
            QCOMPARE(driver.opened, view == host.view.get() ? 1 : 2);
        }
    }

    // Each command shows the design's values and stores what was typed only on
    // OK: nothing else changes, and an unchanged record is not modified. The
    // range is applied when wider than 10 Hz, and redrawn in any case; the port
    // calculator offers its ports for the chamber it worked on (Yes here).
    // The T/S figures: Qms = Fs·sqrt(Zmax/Re)/(f2 - f1) = 4.8, Qes = Qms /
    // (Zmax/Re - 1) = 0.32, Qts = 0.3; Vas = 1.15·Vb·((Fc/Fs)² - 1) = 3.45.
    void commands_data() {
        QTest::addColumn<Command>("command");
        QTest::addColumn<QString>("design"); // box type (Bandpass6), option=value, "metric"
        QTest::addColumn<QString>("shown");  // entry=text, as opened
        QTest::addColumn<QString>("typed");  // as Fill takes it
        QTest::addColumn<QString>("stored"); // field=value of each value changed
        QTest::addColumn<QString>("messages");
        const auto row = [](const char* tag, Command command, const char* design,
                            const QString& shown, const QString& typed, const QString& stored,
                            const QString& messages = {}) {
            QTest::newRow(tag) << command << QString(design) << shown << typed << stored
                               << messages;
        };
        using namespace ToolCommands;
        const char* driver = "fs=30. vas=3. coneDiameter=10. xmax=0.25 efficiency=88.";
        const QString twelve = "fs 12 qts 12 vas 12 coneDiameter 12 xmax 12 efficiency 12 ";
        row("driver", OnDriverParams, "", driver, twelve + "OK",
            "fs=12 qts=12 vas=12 coneDiameter=12 xmax=12 efficiency=12");
        row("driver, cancel", OnDriverParams, "", driver, twelve + "Cancel", "");
        const auto g = [](double v) { return QString::number(v, 'g', 17); }; // 12 L, cm and mm:
        row("driver, metric", OnDriverParams, "metric", "vas=84.95 coneDiameter=25.4 xmax=6.35",
            "vas 12 coneDiameter 12 xmax 12 OK",
            "vas=" + g(12 / 28.316846592) + " coneDiameter=" + g(12 / 2.54) +
                " xmax=" + g(12 / 25.4));
        row("driver, metric untouched", OnDriverParams, "metric", "vas=84.95", "OK", "");
        const char* range = "freqLow=20. freqHigh=2000.";
        row("range 10 20", OnFreqRange, "", range, "freqLow 10 freqHigh 20 OK", "");
        row("range 10 20.5", OnFreqRange, "", range, "freqLow 10 freqHigh 20.5 OK",
            "freqLow=10 freqHigh=20.5");
        row("range 500 100", OnFreqRange, "", range, "freqLow 500 freqHigh 100 OK", "");
        row("electrical", OnElectricalParams, "", "re= le=0.5", "re 6 qes 0.55 le - pe 150 OK",
            "re=6 qes=0.55 le=none pe=150");
        const QString ports = "portDiameter 3 ports 2 port2Diameter 4 ports2 3 ";
        row("analysis untouched", OnAnalysisSettings, "",
            "power=1. ql=7. portDiameter= ports=1 port2Diameter= ports2=1", "OK", "");
        row("analysis", OnAnalysisSettings, "", "power=1.", "power 100 ql 8 " + ports + "OK",
            "power=100 ql=8 portDiameter=3 ports=2 port2Diameter=4 ports2=3");
        row("analysis, vented", OnAnalysisSettings, "Vented", "ql=7.", "ql 8 " + ports + "OK",
            "ql=8 portDiameter=3 ports=2"); // no second chamber
        row("analysis, sealed", OnAnalysisSettings, "Sealed", "ql=7.", "ql 8 " + ports + "OK", "");
        const QString ts = "fs 30 re 6 zmax 96 f1 20 f2 45 fc 60 vb 1 ";
        row("T/S, use", OnTsParams, "", "fs=30.", ts + "Use_Results", "qts=0.3 vas=3.45");
        row("T/S, discard", OnTsParams, "", "fs=30.", ts + "Discard_Results", "");
        const double box =
            BoxCalc::Compute(28.32 / 28.316846592, 1.618)->height; // the golden ratio
        row("box calculator", OnBoxCalc, "metric",
            "volume=28.32 height=" + Decimals("%.3f", box * 2.54), "volume 5 OK", "");
        const QString offer = "orvane: Use these ports for the analysis?";
        row("port", OnPortCalc, "", "ports=1 diameter=0.", "ports 2 diameter 3 OK",
            "portDiameter=3 ports=2", offer);
        row("port, rear", OnPortCalc, "", "ports=1", "rear on ports 2 diameter 3 OK",
            "port2Diameter=3 ports2=2", offer);
        const SpeakerDesign six = ReferenceDesign(BoxKind::Bandpass6); // starts from the analysis'
        row("port, analysis", OnPortCalc, "port-diameter=4 ports=2",
            "ports=2 diameter=4. length=" +
                Decimals("%.2f", PortCalc::Compute(4, 2, six.m_v1, six.m_f1)->length),
            "Cancel", "");
        row("port, sealed", OnPortCalc, "Sealed", "", "", "",
            "Port Calculator: Port calculator does not work with Sealed boxes");
        row("port, no volume", OnPortCalc, "Vented v1=nan", "", "", "",
            "Port Calculator: Box volume and frequency must be greater than zero");
        // The alignments start from V1, or N Vas without one.
        row("alignments", OnAlignments, "", "volume=1.", "Close", "");
        row("alignments, no V1", OnAlignments, "v1=0 drivers=2", "volume=6.", "Close", "");
        row("alignments, NaN V1", OnAlignments, "v1=nan", "volume=3.", "Close", "");
        row("alignments, no driver", OnAlignments, "fs=0", "", "", "",
            "Alignments: " +
                QString::fromStdString(Alignment::ProblemText(Alignment::Problem::BadDriver)));
    }
    void commands() {
        QFETCH(Command, command);
        QFETCH(QString, design);
        QFETCH(QString, shown);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        UnitChoice::Set(design.endsWith("metric") ? UnitSystem::Metric : UnitSystem::Imperial);
        const auto setUp = [&](SpeakerDesign& d) {
            d = WithOutputFigures(ReferenceDesign(BoxKind::Bandpass6));
            d.m_extras.le = 0.5;
            for (const QString& word : design.split(' ', Qt::SkipEmptyParts)) {
                if (const FieldInfo* f = Fields::ByOption(word.section('=', 0, 0).toStdString()))
                    Fields::SetNumber(d, f->id,
                                      std::strtod(qPrintable(word.section('=', 1)), nullptr));
                else if (word != "metric")
                    d.m_boxType = word.toStdString();
            }
        };
        ViewHost host(setUp, false);
        QStringList messages;
        SetMessageHook([&messages](const MessageRecord& m) {
            messages << m.caption + ": " + m.text;
            return m.buttons == (QMessageBox::Yes | QMessageBox::No) ? QMessageBox::Yes
                                                                     : QMessageBox::Ok;
        });
        int draws = 0;
        QObject::connect(host.view.get(), &COrvaneView::drawn, [&draws] { ++draws; });
        host.view->show();
        QTRY_COMPARE(draws, 1);
        const SpeakerDesign before = host.doc.Design();
        QStringList texts;
        ModalDriver<QDialog> driver([&](QDialog& dlg) {
            for (const QString& entry : shown.split(' ')) {
                const QString name = entry.section('=', 0, 0);
                texts << name + '=' + Child(&dlg, qPrintable(name))->text();
            }
            Fill(dlg, typed);
        });
        command(*host.view);
        QCOMPARE(texts.join(' '), shown);
        QTEST(messages.join('|'), "messages");
        QMap<QString, QString> expected;
        for (const QString& entry : stored.split(' ', Qt::SkipEmptyParts))
            expected[entry.section('=', 0, 0)] = entry.section('=', 1);
        for (const FieldInfo& f : Fields::All()) {
            const QString key = QString::fromLatin1(f.key.data(), f.key.size());
            const std::optional<double> now = Fields::Number(host.doc.Design(), f.id);
            const std::optional<double> want =
                !expected.contains(key)   ? Fields::Number(before, f.id)
                : expected[key] == "none" ? std::nullopt
                                          : std::optional(expected[key].toDouble());
            QVERIFY2(now.has_value() == want.has_value(), qPrintable(key));
            QCOMPARE(now.value_or(0), want.value_or(0)); // NaN matches NaN
        }
        QCOMPARE(host.doc.IsModified(), !stored.isEmpty()); // else unchanged to the bit
        if (command == &ToolCommands::OnFreqRange)
            QTRY_COMPARE(draws, 2);
    }

    // The port's figures follow each keystroke, for the chamber chosen, in the
    // units shown; OK reads the typed text. A vented chamber of 2 ft3 at 35 Hz
    // (and 1.5 ft3 at 40 Hz) for a 10 in driver with 0.25 in Xmax.
    void portCalculator_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");   // length, effective diameter, minimum, Vb
        QTest::addColumn<QString>("refusal"); // the field refused on OK
        const QString minimum = Decimals("%.2f in", *PortCalc::MinDiameter(10, 0.25, 35));
        const auto row = [](const char* tag, const char* typed, const QString& shown,
                            const char* refusal) {
            QTest::newRow(tag) << QString(typed) << shown << QString(refusal);
        };
        row("2 of 3", "ports 2 diameter 3", "12.45|4.24 in|" + minimum + "|Vb  2.00 cubic ft.", "");
        row("3in", "ports 1 diameter 3in", "5.58|3.00 in", "diameter");
        // The length shows what nobody can type over; it holds nothing up.
        row("length n/a", "ports -1 diameter 3", "n/a|n/a", "");
        row("rear, cm", "rear on ports 1 diameter 7.62",
            Decimals("%.2f", PortCalc::Compute(3, 1, 1.5, 40)->length * 2.54) + "|7.62 cm|" +
                Decimals("%.2f cm", *PortCalc::MinDiameter(10, 0.25, 40) * 2.54) +
                "|Vb  42.48 litres",
            "");
    }
    void portCalculator() {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QString, refusal);
        const bool rear = typed.startsWith("rear");
        UnitChoice::Set(rear ? UnitSystem::Metric : UnitSystem::Imperial);
        MessageCapture messages;
        CPortCalcDlg dlg;
        dlg.m_v1 = 2, dlg.m_f1 = 35, dlg.m_v2 = 1.5, dlg.m_f2 = rear ? 40 : 0;
        dlg.m_coneDiameter = 10, dlg.m_xmax = 0.25;
        dlg.show();
        QCOMPARE(Child<QRadioButton>(&dlg, "rear")->isEnabled(), rear); // only with an F2
        Fill(dlg, typed);
        const QStringList texts =
            Texts(&dlg, "length effectiveDiameter minDiameter alignmentVolume");
        QCOMPARE(texts.mid(0, shown.count('|') + 1).join('|'), shown);
        Click(&dlg, "OK");
        QCOMPARE(messages.texts.size(), refusal.isEmpty() ? 0 : 1);
        QVERIFY(refusal.isEmpty() ? dlg.result() == QDialog::Accepted
                                  : FocusedAndSelected(dlg, qPrintable(refusal)));
    }

    // A known driver's impedance (Fs 30 Hz, Qms 5, Qes 0.4, Re 6 Ω, as the
    // analysis gives it in a box too large to matter) fitted and used is one
    // step that undo takes back; its curves export to a file that reads back.
    // Add to Library stores the fitted driver under the name typed.
    void driverFromImpedance() {
        QTemporaryDir dir;
        SpeakerDesign known = ReferenceDriver();
        known.m_qts = 2 / 5.4, known.m_v1 = 10000, known.m_coneDiameter = 10;
        known.m_extras.qes = 0.4, known.m_extras.re = 6;
        const QString zma = dir.filePath("known.zma");
        CurveExportOptions zmaOptions;
        zmaOptions.format = CurveFormat::Zma;
        QVERIFY(ExportCurveFile(zma.toStdString(), known, zmaOptions));
        ViewHost host(Starting(WithOutputFigures(ReferenceDesign(BoxKind::Sealed))));
        LibrarySession session(dir.filePath("lib.sqlite").toStdString());
        ModalDriver<CDriverEntryDlg> entry([](CDriverEntryDlg& e) { // Vas: no second curve
            Type(&e, "maker", "Known"), Type(&e, "model", "Driver"), Type(&e, "vas", "1.5");
            Click(&e, "OK");
            e.isVisible() ? e.reject() : void();
        });
        ToolCommands::OnDriverFromImpedance(
            *host.view,
            [&](CDriverFitDlg& dlg) {
                dlg.m_re = 6;
                QTimer::singleShot(0, &dlg, [&] {
                    QVERIFY(!dlg.LoadCurve(0, dir.filePath("none.zma")) &&
                            host.messages.size() == 1);
                    QVERIFY(dlg.LoadCurve(0, zma));
                    Child<QPushButton>(&dlg, "addToLibrary")->click();
                    Child<QPushButton>(&dlg, "use")->click();
                });
            },
            &session);
        const DriverEntry added = **(*session.Library())->FindByName("Known", "Driver");
        QVERIFY(std::fabs(added.fs / 30 - 1) < 1e-3 && added.re == 6.0);
        const SpeakerDesign& d = host.doc.Design();
        QVERIFY(std::fabs(d.m_fs / 30 - 1) < 1e-3 && std::fabs(d.m_qts / (2 / 5.4) - 1) < 1e-3);
        QVERIFY(d.m_extras.re == 6.0 && std::fabs(*d.m_extras.qes / 0.4 - 1) < 1e-3);
        host.view->UndoStack()->undo();
        QCOMPARE(d.m_qts, 0.4);
    }

    // Export Curves: what the window takes reaches the file, which gets the
    // format's ending; a refused value or pair writes nothing.
    void exportCurves_data() {
        QTest::addColumn<QStringList>("typed"); // points per octave, from, to, power, voltage
        QTest::addColumn<int>("points");        // lines of data written; 0: refused
        QTest::newRow("defaults") << QStringList{} << 527;
        QTest::newRow("12 an octave 100 to 1000") << QStringList{"12", "100", "1000"} << 40;
        QTest::newRow("points 0") << QStringList{"0"} << 0;
        QTest::newRow("from above to") << QStringList{"48", "2000", "1000"} << 0;
        QTest::newRow("power and voltage") << QStringList{"48", "10", "20000", "2", "2.83"} << 0;
    }
    void exportCurves() {
        QFETCH(QStringList, typed);
        QFETCH(int, points);
        ViewHost host(Starting(WithOutputFigures(ReferenceDesign(BoxKind::Sealed))));
        QTemporaryDir dir;
        const QString path = dir.filePath("out");
        const auto ask = [&](CurveFormat f) { return f == CurveFormat::Frd ? path : QString(); };
        ToolCommands::OnExportCurves(*host.view, ask, [&](CExportCurvesDlg& dlg) {
            QTimer::singleShot(0, &dlg, [&] {
                const char* keys[] = {"pointsPerOctave", "from", "to", "power", "exportVoltage"};
                for (int i = 0; i < typed.size(); ++i)
                    Child<QLineEdit>(&dlg, keys[i])->setText(typed[i]);
                dlg.accept();
                if (dlg.isVisible())
                    dlg.reject();
            });
        });
        QVERIFY2(host.messages.size() == (points ? 0 : 1), qPrintable(host.messages.join("|")));
        QFile file(path + ".frd");
        QCOMPARE(file.open(QIODevice::ReadOnly), points > 0);
        const QStringList lines = QString(file.readAll()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.filter(QRegularExpression("^[^*]")).size(), points);
    }

    // Without a test box Vas is 1.15 * 0 * -1, a negative zero: shown as zero;
    // a test box in litres gives Vas in litres. Enter reaches Discard Results.
    void tsResults() {
        const double vas = *TsCalc::Compute({30, 6, 54, 20, 45, 60, 1}, 0.0).vas;
        for (const UnitSystem units : {UnitSystem::Imperial, UnitSystem::Metric}) {
            UnitChoice::Set(units);
            const bool metric = units == UnitSystem::Metric;
            MessageCapture messages;
            CTSParamsDlg dlg;
            dlg.show();
            Fill(dlg, "fs 30 re 6 zmax 54 f1 20 f2 45 " +
                          QString(metric ? "fc 60 vb 28.316846592" : "fc 0 vb 0"));
            QCOMPARE(
                Texts(&dlg, "z1 z2 fsResult qtsResult qesResult qmsResult errorResult vasResult")
                    .join('|'),
                "18.0 ohms|18.0 ohms|30.0|0.400|0.450|3.600|0.000|" +
                    (metric ? Decimals("%.3f", vas * 28.316846592) : "0.000"));
            QVERIFY(HasLabel(&dlg, metric ? "L test box" : "ft^3 test box"));
            QTest::keyClick(Child(&dlg, "re"), Qt::Key_Return);
            QCOMPARE(dlg.result(), int(QDialog::Rejected));
        }
    }

    // Stages are typed as their text, added after the one selected, moved
    // and removed; a text the parser refuses is said and not added.
    void signalChainStages() {
        CSignalChainDlg dlg;
        dlg.m_stages = {*ParseStage("gain:-3")};
        dlg.show();
        MessageCapture messages;
        const auto add = [&](const char* text) {
            Type(&dlg, "stage", text);
            Click(&dlg, "Add");
        };
        add("hp:bw4:20");
        add("lp:lr3:80");
        QVERIFY(messages.texts.join(' ').contains("\"lp:lr3:80\": the response must be"));
        Click(&dlg, "Move Up");
        add("peak:30:2:6");
        Click(&dlg, "OK");
        QStringList texts;
        for (const FilterStage& st : dlg.m_stages)
            texts << QString::fromStdString(StageText(st));
        QCOMPARE(texts.join(' '), QString("hp:bw4:20 peak:30:2:6 gain:-3"));
    }

    // Qms, η0, Bl, Mms and Cms follow what is typed. The reference driver
    // (Fs 30, Qts 0.4, Vas 3 ft³, D 10 in, 88 dB) has η0 = 10^((88 −
    // 112.0946)/10) = 0.3895 %, Qes 0.566101, Qms 1.36327, Mms 56.6994 g;
    // Bl = sqrt(18.8793 N·s/m · 6 Ω) = 10.643 T·m; Cms = 1/((2π·30)²·Mms) =
    // 0.4964 mm/N. A typed Qes of 0.45 implies 88.9968 dB.
    void electricalDerivedFollowTyping() {
        CElectricalDlg dlg(WithOutputFigures(ReferenceDriver()));
        dlg.show();
        QStringList lines;
        for (const char* typed : {"le 1", "re 6", "qes 0.3", "qes 0.45"}) {
            Fill(dlg, typed);
            lines << Texts(&dlg, "derived")[0].replace(QChar(0xa0), ' ').remove(QChar(0x2060));
        }
        QCOMPARE(
            lines.mid(0, 3).join('\n') + '\n',
            QString("Qms 1.36   \u03b70 0.39 %   Mms 56.7 g   Cms 0.496 mm/N\n"
                    "Qms 1.36   \u03b70 0.39 %   Bl 10.64 T\u00b7m   Mms 56.7 g   Cms 0.496 mm/N\n"
                    "The analysis needs Qes (entered, or from the efficiency) above Qts.\n"));
        QVERIFY(lines[3].endsWith("   Qes implies 89.0 dB, not the entered 88 dB"));
    }
};

QTEST_MAIN(TestToolDialogs)
#include "test_tool_dialogs.moc"
