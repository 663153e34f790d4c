// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/CAlignmentDlg.h"
#include "tools/ToolCommands.h"

#include "tests/support/DialogTestUtil.h"
#include "tests/support/ViewHost.h"

#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableWidget>

#include <cmath>

using namespace orvane;

namespace {

const Alignment::Driver kReference{30, 0.4, 3, 1};

QString Label(QWidget* dlg, const char* name) {
    return Child<QLabel>(dlg, name)->text();
}

QStringList Row(QWidget* dlg, const char* table, int row) {
    auto* t = Child<QTableWidget>(dlg, table);
    QStringList texts;
    for (int column = 0; column < t->columnCount(); ++column)
        texts << t->item(row, column)->text();
    return texts;
}

// Clicks a row as a user does.
void ClickRow(QWidget* dlg, const char* table, int row) {
    auto* t = Child<QTableWidget>(dlg, table);
    const QRect cell = t->visualRect(t->model()->index(row, 1));
    QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, cell.center());
}

int SelectedRow(QWidget* dlg, const char* table) {
    const QList<QTableWidgetItem*> items = Child<QTableWidget>(dlg, table)->selectedItems();
    return items.isEmpty() ? -1 : items.front()->row();
}

QString Hz(double f) {
    return QString::asprintf("%.1f", f);
}

void Open(CAlignmentDlg& dlg, double volume = 2) {
    dlg.m_driver = kReference;
    dlg.m_volume = volume;
    dlg.show();
}

} // namespace

class TestAlignmentDialog : public QObject {
    Q_OBJECT
private slots:
    // Sealed figures as worked out apart from the code (1.41 ft3, 53.0 Hz and
    // 53.1 Hz for Qtc 0.707); the vented ones as the search gives them.
    void openingState() {
        CAlignmentDlg dlg;
        Open(dlg);
        QCOMPARE(Label(&dlg, "driver"),
                 QString("Fs 30.0 Hz    Qts 0.400    Vas 3.00 ft3    Drivers 1"));
        QCOMPARE(Row(&dlg, "sealedTable", 1),
                 (QStringList{"0.707", "1.41", "53.0", "53.1", "0.00"}));
        QCOMPARE(Row(&dlg, "sealedTable", 3).last(), QString("1.25"));
        QCOMPARE(Row(&dlg, "sealedTable", CAlignmentDlg::kTypedRow).first(), QString("0.500"));
        QCOMPARE(Child(&dlg, "qtc")->text(), QString("0.5"));
        QVERIFY(FocusedAndSelected(dlg, "volume"));
        QCOMPARE(Child(&dlg, "volume")->text(), QString("2."));
        QVERIFY(Child<QRadioButton>(&dlg, "ripple0.5")->isChecked());

        const Alignment::RowResult two = Alignment::Vented(kReference, 2, 0.5);
        QCOMPARE(Label(&dlg, "ventedResult"),
                 QString("F1 %1 Hz    f3 %2 Hz    Peak 0.50 dB").arg(Hz(two->f1), Hz(two->f3)));
        QCOMPARE(Label(&dlg, "choice"), "Apply: Vented, V1 2.00 ft3, F1 " + Hz(two->f1) + " Hz");
        // The smallest box of the table cannot keep this driver within 0.5 dB.
        QCOMPARE(Row(&dlg, "ventedTable", 0), (QStringList{"0.75", "n/a", "n/a", "n/a"}));
        QCOMPARE(Child<QTableWidget>(&dlg, "ventedTable")->item(0, 1)->toolTip(),
                 QString("No tuning keeps the response of this box within the ripple."));
        const Alignment::RowResult vas = Alignment::Vented(kReference, 3, 0.5);
        QCOMPARE(Row(&dlg, "ventedTable", 4),
                 (QStringList{"3.00", Hz(vas->f1), Hz(vas->f3), "0.00"}));
        QCOMPARE(SelectedRow(&dlg, "ventedTable"), -1); // 2 ft3 is no row of the table
    }

    // Apply hands back the alignment picked last, from either table or entry.
    void pickAndApply_data() {
        QTest::addColumn<QString>("pick"); // "sealed N", "vented N", "qtc TEXT" or "volume TEXT"
        QTest::addColumn<int>("kind");
        QTest::addColumn<double>("v1");
        QTest::addColumn<double>("f1");
        const Alignment::RowResult q707 = Alignment::Sealed(kReference, 0.707);
        const Alignment::RowResult q12 = Alignment::Sealed(kReference, 1.2);
        const Alignment::RowResult row2 = Alignment::Vented(kReference, 1.5, 0.5);
        const Alignment::RowResult typed = Alignment::Vented(kReference, 2.5, 0.5);
        const int sealed = int(BoxKind::Sealed), vented = int(BoxKind::Vented);
        QTest::newRow("sealed row") << "sealed 1" << sealed << q707->v1 << q707->f1;
        QTest::newRow("typed Qtc") << "qtc 1.2" << sealed << q12->v1 << q12->f1;
        QTest::newRow("vented row") << "vented 2" << vented << 1.5 << row2->f1;
        QTest::newRow("typed volume") << "volume 2.5" << vented << 2.5 << typed->f1;
    }
    void pickAndApply() {
        QFETCH(QString, pick);
        CAlignmentDlg dlg;
        Open(dlg);
        const QString what = pick.section(' ', 0, 0), value = pick.section(' ', 1);
        if (what == "sealed" || what == "vented") {
            // Pick a row of the other table first: the later pick wins.
            ClickRow(&dlg, what == "sealed" ? "ventedTable" : "sealedTable", 3);
            ClickRow(&dlg, what == "sealed" ? "sealedTable" : "ventedTable", value.toInt());
            QCOMPARE(SelectedRow(&dlg, what == "sealed" ? "ventedTable" : "sealedTable"), -1);
        } else {
            ClickRow(&dlg, "ventedTable", 3);
            Type(&dlg, what.toLatin1().constData(), value);
        }
        Click(&dlg, "Apply");
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QTEST(int(dlg.m_kind), "kind");
        QTEST(dlg.m_v1, "v1");
        QTEST(dlg.m_f1, "f1");
    }

    // A picked table row puts its volume into the entry and is the result.
    void ventedRowFillsVolume() {
        CAlignmentDlg dlg;
        Open(dlg);
        ClickRow(&dlg, "ventedTable", 6);
        QCOMPARE(Child(&dlg, "volume")->text(), QString("6."));
        const Alignment::RowResult six = Alignment::Vented(kReference, 6, 0.5);
        QVERIFY(Label(&dlg, "ventedResult").startsWith("F1 " + Hz(six->f1) + " Hz"));
        // An n/a row cannot be picked.
        ClickRow(&dlg, "ventedTable", 0);
        QCOMPARE(SelectedRow(&dlg, "ventedTable"), 6);
        QCOMPARE(Child(&dlg, "volume")->text(), QString("6."));
    }

    // Another ripple searches again: 2 dB lets even the smallest box have a
    // tuning, and the row of the volume stays picked.
    void rippleSearchesAgain() {
        CAlignmentDlg dlg;
        Open(dlg, 3);
        QCOMPARE(SelectedRow(&dlg, "ventedTable"), 4);
        Child<QRadioButton>(&dlg, "ripple2")->click();
        QCOMPARE(dlg.m_ripple, 2.0);
        const Alignment::RowResult smallest = Alignment::Vented(kReference, 0.75, 2);
        QVERIFY(smallest);
        QCOMPARE(Row(&dlg, "ventedTable", 0)[1], Hz(smallest->f1));
        QCOMPARE(SelectedRow(&dlg, "ventedTable"), 4);
        Click(&dlg, "Apply");
        QCOMPARE(dlg.m_f1, Alignment::Vented(kReference, 3, 2)->f1);
    }

    // Apply reads only the entry of the chosen alignment, by the entry rules,
    // and refuses a request without an answer in the core's words.
    void applyRefusals_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("kind");
        const int warning = int(MessageKind::Warning), tool = int(MessageKind::Tool);
        QTest::newRow("Qtc below Qts") << "qtc"
                                       << "0.3"
                                       << "The target Qtc must be above the driver's Qts." << tool;
        QTest::newRow("volume not a number") << "volume"
                                             << "big"
                                             << "Please enter a number." << warning;
        QTest::newRow("no tuning")
            << "volume"
            << "0.5"
            << "No tuning keeps the response of this box within the ripple." << tool;
    }
    void applyRefusals() {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, message);
        MessageCapture messages;
        CAlignmentDlg dlg;
        Open(dlg);
        Type(&dlg, field == "qtc" ? "volume" : "qtc", "nonsense"); // not read
        Type(&dlg, field.toLatin1().constData(), text);
        Click(&dlg, "Apply");
        QVERIFY(dlg.isVisible());
        QCOMPARE(messages.texts, QStringList{message});
        QTEST(int(messages.records[0].kind), "kind");
        if (messages.records[0].kind == MessageKind::Tool) {
            QCOMPARE(messages.records[0].caption, QString("Alignments"));
            QCOMPARE(Label(&dlg, "choice"), QString("Apply: n/a"));
        } else {
            QVERIFY(FocusedAndSelected(dlg, field.toLatin1().constData()));
        }
    }

    // While the typed Qtc is no number its row has nothing to show.
    void typedQtcWithoutNumber() {
        CAlignmentDlg dlg;
        Open(dlg);
        Type(&dlg, "qtc", "x");
        QCOMPARE(Row(&dlg, "sealedTable", CAlignmentDlg::kTypedRow), QStringList(5, "n/a"));
        QCOMPARE(Label(&dlg, "choice"), QString("Apply: n/a"));
        Type(&dlg, "qtc", "1.2");
        QCOMPARE(Row(&dlg, "sealedTable", CAlignmentDlg::kTypedRow).first(), QString("1.200"));
        QCOMPARE(SelectedRow(&dlg, "sealedTable"), CAlignmentDlg::kTypedRow);
    }

    // The command: refused without a driver; Close changes nothing; Apply
    // writes the box, counts F1 as entered and plots.
    void commandRefusesWithoutDriver() {
        ViewHost host({}, false);
        MessageCapture messages;
        ModalDriver<CAlignmentDlg> driver([](CAlignmentDlg& dlg) { dlg.reject(); });
        ToolCommands::OnAlignments(*host.view);
        QCOMPARE(driver.opened, 0);
        QCOMPARE(messages.records.size(), size_t(1));
        QCOMPARE(messages.records[0].caption, QString("Alignments"));
        QVERIFY(messages.texts[0].startsWith("The driver needs an Fs"));
    }

    void commandStartingVolume_data() {
        QTest::addColumn<double>("v1");
        QTest::addColumn<QString>("shown");
        QTest::newRow("design's V1") << 2.25 << "2.25";
        QTest::newRow("no V1: N Vas") << 0.0 << "6.";
        QTest::newRow("NaN V1: N Vas") << double(NAN) << "6.";
    }
    void commandStartingVolume() {
        QFETCH(double, v1);
        ViewHost host(
            [v1](SpeakerDesign& d) {
                d = ReferenceDriver();
                d.m_driverCount = 2;
                d.m_v1 = v1;
            },
            false);
        QString shown, driverLine;
        ModalDriver<CAlignmentDlg> driver([&](CAlignmentDlg& dlg) {
            shown = Child(&dlg, "volume")->text();
            driverLine = Label(&dlg, "driver");
            Click(&dlg, "Close");
        });
        const SpeakerDesign before = host.doc.Design();
        ToolCommands::OnAlignments(*host.view);
        QTEST(shown, "shown");
        QVERIFY(driverLine.endsWith("Drivers 2"));
        QVERIFY(host.doc.Design().SameBits(before));
        QVERIFY(!host.doc.IsModified());
    }

    // The picking itself is pickAndApply's; here the vented row of a sealed
    // design proves the wiring, the box changing with it.
    void commandApply() {
        ViewHost host(Starting(ReferenceDriver()));
        const QImage before = host.view->BackingImage();
        ModalDriver<CAlignmentDlg> driver([&](CAlignmentDlg& dlg) {
            ClickRow(&dlg, "ventedTable", 2);
            Click(&dlg, "Apply");
        });
        ToolCommands::OnAlignments(*host.view);
        QCOMPARE(driver.opened, 1);
        const Alignment::RowResult expected = Alignment::Vented(kReference, 1.5, 0.5);
        const SpeakerDesign& d = host.doc.Design();
        QCOMPARE(d.Kind(), BoxKind::Vented);
        QCOMPARE(host.CheckedBox(), 1);
        // Through the form's text, as every plotted value goes.
        QVERIFY(std::fabs(d.m_v1 / expected->v1 - 1) < 1e-14);
        QVERIFY(std::fabs(d.m_f1 / expected->f1 - 1) < 1e-14);
        QVERIFY(host.view->F1Entered());
        QVERIFY(host.doc.IsModified());
        QCOMPARE(host.Enabled(), QString("11001"));
        QCOMPARE(host.Edit(COrvaneView::Field::V1)->cursorPosition(), 0);
        QVERIFY(host.view->BackingImage() != before); // plotted
        QVERIFY(host.messages.isEmpty());
    }
};

QTEST_MAIN(TestAlignmentDialog)
#include "test_alignment_dialog.moc"
