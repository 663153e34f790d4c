// SPDX-License-Identifier: GPL-3.0-or-later
// Undo and redo of every kind of design command, and the modified mark that
// follows the values.
#include "core/library/LibrarySession.h"
#include "tools/CAlignmentDlg.h"
#include "tools/CAnalysisDlg.h"
#include "tools/CBuildDlg.h"
#include "tools/CDriverLibraryDlg.h"
#include "tools/CDriverParamsDlg.h"
#include "tools/CElectricalDlg.h"
#include "tools/CFreqRangeDlg.h"
#include "tools/CPortCalcDlg.h"
#include "tools/CTSParamsDlg.h"
#include "tools/ToolCommands.h"

#include "tests/support/DialogTestUtil.h"
#include "tests/support/Drivers.h"
#include "tests/support/ViewHost.h"

#include <QTableWidget>
#include <QTemporaryDir>
#include <QUndoStack>

using namespace orvane;
using Field = COrvaneView::Field;

namespace {

// Runs one command kind through its dialog, as a user would.
template <class Dlg> void Through(std::function<void(Dlg&)> fill, std::function<void()> command) {
    ModalDriver<Dlg> driver(std::move(fill));
    command();
    QCOMPARE(driver.opened, 1);
}

void Answer(QWidget* dlg, std::initializer_list<std::pair<const char*, const char*>> values,
            const QString& button) {
    for (const auto& [name, text] : values)
        Type(dlg, name, text);
    Click(dlg, button);
}

} // namespace

class TestUndo : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void eachCommand_data() {
        QTest::addColumn<QString>("step");
        for (const char* step : {"Plot", "Box Type", "Driver Parameters", "Electrical Parameters",
                                 "Analysis Settings", "Frequency Range", "Use Driver",
                                 "Apply Alignment", "Use Ports", "Use T/S Results", "Build"})
            QTest::newRow(step) << step;
    }
    // Each command is one step: undone, the values are the exact bits of
    // before (extension values and the F1-entered flag too) and the form
    // shows them exactly; redone, those of after.
    void eachCommand() {
        QFETCH(QString, step);
        ViewHost host(Starting(WithOutputFigures(ReferenceDesign(BoxKind::Vented))));
        // The port calculator's offer is taken; nothing else asks.
        SetMessageHook([](const MessageRecord&) { return QMessageBox::Yes; });
        COrvaneView& view = *host.view;
        LibrarySession session(m_dir.filePath("lib.sqlite").toStdString());
        QVERIFY((*session.Library())->Store(Driver("SEAS", "L26RO4Y", 22), DuplicatePolicy::Replace));
        const DesignState before = view.State();
        if (step == "Plot") {
            host.Plot(Field::V1, "2.5");
        } else if (step == "Box Type") {
            view.OnBoxType(BoxKind::Bandpass4);
        } else if (step == "Driver Parameters") {
            Through<CDriverParamsDlg>([](auto& d) { Answer(&d, {{"fs", "25"}}, "OK"); },
                                      [&] { ToolCommands::OnDriverParams(view); });
        } else if (step == "Electrical Parameters") {
            Through<CElectricalDlg>([](auto& d) { Answer(&d, {{"name", "W10"}, {"re", "6"}}, "OK"); },
                                    [&] { ToolCommands::OnElectricalParams(view); });
        } else if (step == "Analysis Settings") {
            Through<CAnalysisDlg>([](auto& d) { Answer(&d, {{"power", "100"}}, "OK"); },
                                  [&] { ToolCommands::OnAnalysisSettings(view); });
        } else if (step == "Frequency Range") {
            Through<CFreqRangeDlg>(
                [](auto& d) { Answer(&d, {{"freqLow", "10"}, {"freqHigh", "500"}}, "OK"); },
                [&] { ToolCommands::OnFreqRange(view); });
        } else if (step == "Use Driver") {
            Through<CDriverLibraryDlg>([](auto& d) { Click(&d, "Use"); },
                                       [&] { ToolCommands::OnDriverLibrary(view, session); });
        } else if (step == "Apply Alignment") {
            Through<CAlignmentDlg>(
                [](auto& d) {
                    auto* table = Child<QTableWidget>(&d, "sealedTable");
                    const QRect cell = table->visualRect(table->model()->index(1, 1));
                    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
                    Click(&d, "Apply");
                },
                [&] { ToolCommands::OnAlignments(view); });
        } else if (step == "Use Ports") {
            Through<CPortCalcDlg>([](auto& d) { Answer(&d, {{"diameter", "3"}}, "OK"); },
                                  [&] { ToolCommands::OnPortCalc(view); });
        } else if (step == "Build") {
            Through<CBuildDlg>([](auto& d) { Answer(&d, {{"thickness", "0.5"}}, "OK"); },
                               [&] { ToolCommands::OnBuild(view); });
        } else {
            Through<CTSParamsDlg>(
                [](auto& d) {
                    Answer(&d,
                           {{"fs", "30"}, {"re", "6"}, {"zmax", "54"}, {"f1", "20"}, {"f2", "45"}},
                           "Use Results");
                },
                [&] { ToolCommands::OnTsParams(view); });
        }
        QUndoStack& stack = *view.UndoStack();
        QCOMPARE(stack.count(), 1);
        QCOMPARE(stack.undoText(), step);
        const DesignState after = view.State();
        QVERIFY(!after.design.SameBits(before.design));
        QVERIFY(host.doc.IsModified());

        stack.undo();
        QVERIFY(host.doc.Design().SameBits(before.design));
        QCOMPARE(view.F1Entered(), before.f1Entered);
        QVERIFY(!host.doc.IsModified());
        // The form stands for the exact values: a Plot takes nothing new in.
        view.OnPlot();
        QVERIFY(host.doc.Design().SameBits(before.design));
        QCOMPARE(stack.count(), 1);

        stack.redo();
        QVERIFY(host.doc.Design().SameBits(after.design));
        QCOMPARE(view.F1Entered(), after.f1Entered);
        QVERIFY(host.doc.IsModified());
        SetMessageHook({});
    }

    // The mark compares the values with the saved ones; a save keeps the
    // stack, a command that changes nothing leaves no step, and a second
    // window on the design has a stack of its own.
    void modifiedFollowsValues() {
        ViewHost host(Starting(ReferenceDesign(BoxKind::Sealed)));
        QUndoStack& stack = *host.view->UndoStack();
        host.view->OnBoxType(BoxKind::Sealed);
        host.view->OnPlot();
        QCOMPARE(stack.count(), 0);
        QVERIFY(!host.doc.IsModified());

        host.Plot(Field::V1, "2.5");
        QVERIFY(host.doc.IsModified());
        QVERIFY(host.doc.Save(m_dir.filePath("saved.spk").toStdString()));
        QVERIFY(!host.doc.IsModified());
        QCOMPARE(stack.count(), 1);
        stack.undo();
        QVERIFY(host.doc.IsModified());
        stack.redo();
        QVERIFY(!host.doc.IsModified());

        COrvaneView second(host.doc, host.marks);
        second.OnBoxType(BoxKind::Vented);
        QCOMPARE(second.UndoStack()->count(), 1);
        QCOMPARE(stack.count(), 1);
        QVERIFY(host.doc.IsModified());
        second.UndoStack()->undo();
        QVERIFY(!host.doc.IsModified());
    }
};

QTEST_MAIN(TestUndo)
#include "test_undo.moc"
