// SPDX-License-Identifier: GPL-3.0-or-later
// Undo and redo of every kind of design command, and the modified mark that
// follows the values.
#include "core/library/LibrarySession.h"
#include "tools/ToolCommands.h"

#include "tests/support/DialogTestUtil.h"
#include "tests/support/Drivers.h"
#include "tests/support/ViewHost.h"

#include <QTableWidget>
#include <QTemporaryDir>
#include <QUndoStack>

#include <map>

using namespace orvane;
using Field = COrvaneView::Field;

class TestUndo : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void eachCommand_data() {
        QTest::addColumn<QString>("answer"); // its dialog's: field=text|...|button
        const char* rows[][2] = {{"Plot", ""},
                                 {"Box Type", ""},
                                 {"Driver Parameters", "fs=25|OK"},
                                 {"Electrical Parameters", "name=W10|re=6|OK"},
                                 {"Analysis Settings", "power=100|OK"},
                                 {"Signal Chain", "voltage=2.83|ampPower=50|roomGainFc=40|OK"},
                                 {"Frequency Range", "freqLow=10|freqHigh=500|OK"},
                                 {"Use Driver", "Use"},
                                 {"Apply Alignment", "Apply"},
                                 {"Use Ports", "diameter=3|OK"},
                                 {"Use T/S Results", "fs=30|re=6|zmax=54|f1=20|f2=45|Use Results"},
                                 {"Build", "thickness=0.5|OK"}};
        for (const auto& [step, answer] : rows)
            QTest::newRow(step) << answer;
    }
    // Each command is one step: undone, the values are the exact bits of
    // before (extension values and the F1-entered flag too) and the form
    // shows them exactly; redone, those of after.
    void eachCommand() {
        QFETCH(QString, answer);
        const QString step = QTest::currentDataTag();
        ViewHost host(Starting(WithOutputFigures(ReferenceDesign(BoxKind::Vented))));
        // The port calculator's offer is taken; nothing else asks.
        SetMessageHook([](const MessageRecord&) { return QMessageBox::Yes; });
        COrvaneView& view = *host.view;
        LibrarySession session(m_dir.filePath("lib.sqlite").toStdString());
        QVERIFY(
            (*session.Library())->Store(Driver("SEAS", "L26RO4Y", 22), DuplicatePolicy::Replace));
        const DesignState before = view.State();
        const std::map<QString, std::function<void()>> commands = {
            {"Plot", [&] { host.Plot(Field::V1, "2.5"); }},
            {"Box Type", [&] { view.OnBoxType(BoxKind::Bandpass4); }},
            {"Driver Parameters", [&] { ToolCommands::OnDriverParams(view); }},
            {"Electrical Parameters", [&] { ToolCommands::OnElectricalParams(view); }},
            {"Analysis Settings", [&] { ToolCommands::OnAnalysisSettings(view); }},
            {"Signal Chain", [&] { ToolCommands::OnSignalChain(view); }},
            {"Frequency Range", [&] { ToolCommands::OnFreqRange(view); }},
            {"Use Driver", [&] { ToolCommands::OnDriverLibrary(view, session); }},
            {"Apply Alignment", [&] { ToolCommands::OnAlignments(view); }},
            {"Use Ports", [&] { ToolCommands::OnPortCalc(view); }},
            {"Use T/S Results", [&] { ToolCommands::OnTsParams(view); }},
            {"Build", [&] { ToolCommands::OnBuild(view); }}};
        ModalDriver<QDialog> dialog([&](QDialog& d) {
            for (const QString& item : answer.split('|')) {
                if (item.contains('=')) {
                    Type(&d, qPrintable(item.section('=', 0, 0)), item.section('=', 1));
                } else if (auto* table = d.findChild<QTableWidget*>("sealedTable")) {
                    const QRect cell = table->visualRect(table->model()->index(1, 1));
                    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
                }
            }
            Click(&d, answer.section('|', -1));
        });
        commands.at(step)();
        QCOMPARE(dialog.opened, answer.isEmpty() ? 0 : 1);
        QUndoStack& stack = *view.UndoStack();
        QCOMPARE(stack.count(), 1);
        QCOMPARE(stack.undoText(), step);
        const DesignState after = view.State();
        QVERIFY(!after.design.SameBits(before.design) && host.doc.IsModified());

        stack.undo();
        QVERIFY(host.doc.Design().SameBits(before.design) && !host.doc.IsModified());
        QCOMPARE(view.F1Entered(), before.f1Entered);
        // The form stands for the exact values: a Plot takes nothing new in.
        view.OnPlot();
        QVERIFY(host.doc.Design().SameBits(before.design));
        QCOMPARE(stack.count(), 1);

        stack.redo();
        QVERIFY(host.doc.Design().SameBits(after.design) && host.doc.IsModified());
        QCOMPARE(view.F1Entered(), after.f1Entered);
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
        QVERIFY(stack.count() == 0 && !host.doc.IsModified());

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
        QVERIFY(second.UndoStack()->count() == 1 && stack.count() == 1 && host.doc.IsModified());
        second.UndoStack()->undo();
        QVERIFY(!host.doc.IsModified());
    }
};

QTEST_MAIN(TestUndo)
#include "test_undo.moc"
