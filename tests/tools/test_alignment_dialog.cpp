// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/Printf.h"
#include "platform/UnitChoice.h"
#include "tools/CAlignmentDlg.h"
#include "tools/ToolCommands.h"

#include "tests/support/DialogTestUtil.h"
#include "tests/support/ViewHost.h"

#include <QHeaderView>
#include <QLabel>
#include <QRadioButton>
#include <QTableWidget>

using namespace orvane;

namespace {

const Alignment::Driver kReference{30, 0.4, 3, 1};
const double kLitres = 0.3048 * 0.3048 * 0.3048 * 1000; // per ft3, by the foot's definition

QString Label(QWidget* dlg, const char* name) {
    return Child<QLabel>(dlg, name)->text();
}

QString Row(QWidget* dlg, const char* table, int row) {
    auto* t = Child<QTableWidget>(dlg, table);
    QStringList texts;
    for (int column = 0; column < t->columnCount(); ++column)
        texts << t->item(row, column)->text();
    return texts.join(' ');
}

// Clicks a row as a user does; the row selected after it, -1 for none.
int ClickRow(QWidget* dlg, const char* table, int row = -1) {
    auto* t = Child<QTableWidget>(dlg, table);
    if (row >= 0)
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {},
                          t->visualRect(t->model()->index(row, 1)).center());
    const QList<QTableWidgetItem*> items = t->selectedItems();
    return items.isEmpty() ? -1 : items.front()->row();
}

QString Hz(double f) {
    return QString::asprintf("%.1f", f);
}

} // namespace

class TestAlignmentDialog : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { UnitChoice::Set(UnitSystem::Imperial); }

    // Sealed figures worked out apart from the code: V1 = Vas / ((Qtc/Qts)² - 1)
    // = 1.41 ft3 and fc = Fs Qtc/Qts = 53.0 Hz for Qtc 0.707, f3 53.1 Hz; the
    // vented ones as the search gives them. Volumes in the chosen unit.
    void openingState() {
        for (const UnitSystem units : {UnitSystem::Imperial, UnitSystem::Metric}) {
            UnitChoice::Set(units);
            const bool metric = units == UnitSystem::Metric;
            const double v1 = 3 / (std::pow(0.707 / 0.4, 2) - 1) * (metric ? kLitres : 1);
            CAlignmentDlg dlg;
            dlg.m_driver = kReference;
            dlg.m_volume = 2;
            dlg.show();
            QCOMPARE(Label(&dlg, "driver"),
                     QString("Fs 30.0 Hz    Qts 0.400    Vas %1    Drivers 1")
                         .arg(metric ? "84.95 L" : "3.00 ft3"));
            QCOMPARE(Child<QTableWidget>(&dlg, "sealedTable")->horizontalHeaderItem(1)->text(),
                     metric ? "V1 (L)" : "V1 (ft3)");
            QCOMPARE(Row(&dlg, "sealedTable", 1),
                     QString("0.707 %1 53.0 53.1 0.00").arg(Printf("%.2f", v1).c_str()));
            QCOMPARE(Child(&dlg, "volume")->text(), metric ? "56.633693184" : "2.");
            const Alignment::RowResult two = Alignment::Vented(kReference, 2, 0.5);
            QCOMPARE(Label(&dlg, "ventedResult"), QString("F1 %1 Hz    f3 %2 Hz    Peak 0.50 dB")
                                                      .arg(Hz(two->f1), Hz(two->f3)));
            QCOMPARE(Label(&dlg, "choice"),
                     QString("Apply: Vented, V1 %1, F1 %2 Hz")
                         .arg(metric ? "56.63 L" : "2.00 ft3", Hz(two->f1)));
            // The smallest box of the table cannot keep this driver within 0.5 dB.
            QVERIFY(Row(&dlg, "ventedTable", 0).endsWith(" n/a n/a n/a"));
            QCOMPARE(ClickRow(&dlg, "ventedTable"), -1); // 2 ft3 is no row of the table
            Child<QTableWidget>(&dlg, "sealedTable")->setFocus();
            QTest::keyClick(dlg.focusWidget(), Qt::Key_Tab); // leaves the table
            QCOMPARE(dlg.focusWidget(), Child(&dlg, "qtc"));
        }
    }

    // Apply hands back the alignment picked last, from either table or entry;
    // a picked vented row puts its volume into the entry, an n/a row cannot
    // be picked, and another ripple searches again.
    void pickAndApply_data() {
        QTest::addColumn<QString>("pick"); // "sealedTable N", "ventedTable N", "qtc T", "volume T"
        QTest::addColumn<double>("ripple");
        QTest::addColumn<double>("v1");
        QTest::addColumn<double>("f1"); // none: sealed
        const Alignment::RowResult q707 = Alignment::Sealed(kReference, 0.707);
        const Alignment::RowResult q12 = Alignment::Sealed(kReference, 1.2);
        const auto vented = [](double v, double ripple) {
            return Alignment::Vented(kReference, v, ripple)->f1;
        };
        QTest::newRow("sealed row") << "sealedTable 1" << 0.5 << q707->v1 << q707->f1;
        QTest::newRow("typed Qtc") << "qtc 1.2" << 0.5 << q12->v1 << q12->f1;
        QTest::newRow("vented row") << "ventedTable 2" << 0.5 << 1.5 << vented(1.5, 0.5);
        QTest::newRow("n/a row") << "ventedTable 0" << 0.5 << 3.0 << vented(3, 0.5);
        QTest::newRow("typed volume") << "volume 2.5" << 0.5 << 2.5 << vented(2.5, 0.5);
        QTest::newRow("ripple 2") << "ventedTable 4" << 2.0 << 3.0 << vented(3, 2);
    }
    void pickAndApply() {
        QFETCH(QString, pick);
        QFETCH(double, ripple);
        CAlignmentDlg dlg;
        dlg.m_driver = kReference;
        dlg.m_volume = 2;
        dlg.show();
        const QByteArray what = pick.section(' ', 0, 0).toLatin1();
        const QString value = pick.section(' ', 1);
        const int kept = value == "0" ? 4 : value.toInt(); // an n/a row keeps the one before
        ClickRow(&dlg, "sealedTable", 3);                  // picked first: the later pick wins
        ClickRow(&dlg, "ventedTable", 4);                  // 3 ft3
        if (what.endsWith("Table")) {
            QCOMPARE(ClickRow(&dlg, what.constData(), value.toInt()), kept);
            QCOMPARE(ClickRow(&dlg, what == "sealedTable" ? "ventedTable" : "sealedTable"), -1);
        } else {
            Type(&dlg, what.constData(), value);
        }
        if (ripple != 0.5) {
            Child<QRadioButton>(&dlg, qPrintable(QString("ripple%1").arg(ripple)))->click();
            QCOMPARE(ClickRow(&dlg, "ventedTable"), kept);
        }
        Click(&dlg, "Apply");
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        const bool sealed = what == "sealedTable" || what == "qtc";
        QCOMPARE(int(dlg.m_kind), int(sealed ? BoxKind::Sealed : BoxKind::Vented));
        QTEST(dlg.m_v1, "v1");
        QTEST(dlg.m_f1, "f1");
    }

    // Apply reads only the entry of the chosen alignment and refuses a
    // request without an answer in the core's words.
    void applyRefusals_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message"); // caption: text
        const auto row = [](const char* tag, const char* typed, const char* message) {
            QTest::newRow(tag) << QString(typed) << QString(message);
        };
        row("Qtc below Qts", "qtc 0.3",
            "Alignments: The target Qtc must be above the driver's Qts.");
        row("no tuning", "volume 0.5",
            "Alignments: No tuning keeps the response of this box within the ripple.");
        row("Qtc no number", "qtc x", "orvane: Please enter a number.");
    }
    void applyRefusals() {
        QFETCH(QString, typed);
        MessageCapture messages;
        CAlignmentDlg dlg;
        dlg.m_driver = kReference;
        dlg.show();
        const QString field = typed.section(' ', 0, 0);
        Type(&dlg, field == "qtc" ? "volume" : "qtc", "nonsense"); // not read
        Type(&dlg, qPrintable(field), typed.section(' ', 1));
        QCOMPARE(Label(&dlg, "choice"), QString("Apply: n/a"));
        if (typed.endsWith('x')) // the typed Qtc's row has nothing to show
            QCOMPARE(Row(&dlg, "sealedTable", CAlignmentDlg::kTypedRow),
                     QString("n/a n/a n/a n/a n/a"));
        Click(&dlg, "Apply");
        QTEST(messages.records.at(0).caption + ": " + messages.texts.join('|'), "message");
    }

    // Apply writes the box, counts F1 as entered and plots; a volume typed in
    // litres reaches the design and the form as typed.
    void commandApply() {
        for (const QString& typed : {QString(), QString("56.123456789")}) {
            UnitChoice::Set(typed.isEmpty() ? UnitSystem::Imperial : UnitSystem::Metric);
            ViewHost host(Starting(ReferenceDriver()));
            const QImage before = host.view->BackingImage();
            ModalDriver<CAlignmentDlg> driver([&](CAlignmentDlg& dlg) {
                if (typed.isEmpty())
                    ClickRow(&dlg, "ventedTable", 2);
                else
                    Type(&dlg, "volume", typed);
                Click(&dlg, "Apply");
            });
            ToolCommands::OnAlignments(*host.view);
            const double v1 = typed.isEmpty() ? 1.5 : typed.toDouble() / kLitres;
            const SpeakerDesign& d = host.doc.Design();
            QCOMPARE(d.Kind(), BoxKind::Vented);
            QCOMPARE(host.Enabled() + QString::number(host.CheckedBox()), QString("110011"));
            // Through the form's text, as every plotted value goes.
            QVERIFY(std::fabs(d.m_v1 / v1 - 1) < 1e-14);
            QVERIFY(std::fabs(d.m_f1 / Alignment::Vented(kReference, v1, 0.5)->f1 - 1) < 1e-14);
            QCOMPARE(host.Edit(COrvaneView::Field::V1)->text(), typed.isEmpty() ? "1.5" : typed);
            QCOMPARE(host.Edit(COrvaneView::Field::V1)->cursorPosition(), 0);
            QVERIFY(host.view->F1Entered() && host.doc.IsModified());
            QVERIFY(host.view->BackingImage() != before); // plotted
        }
    }
};

QTEST_MAIN(TestAlignmentDialog)
#include "test_alignment_dialog.moc"
