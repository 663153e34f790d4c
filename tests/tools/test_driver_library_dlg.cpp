// SPDX-License-Identifier: GPL-3.0-or-later
// The driver library dialog and its command, and libraries it cannot use.
#include "core/library/LibrarySession.h"
#include "tools/CDriverEntryDlg.h"
#include "tools/CDriverLibraryDlg.h"
#include "tools/CImportDriversDlg.h"
#include "tools/CRadiatorDlg.h"
#include "tools/DriverTableModel.h"
#include "tools/ToolCommands.h"

#include "tests/support/DialogTestUtil.h"
#include "tests/support/Drivers.h"
#include "tests/support/FullDiskSqlite.h"
#include "tests/support/TestFiles.h"
#include "tests/support/ViewHost.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTableView>
#include <QTemporaryDir>
#include <QUndoStack>

using namespace orvane;

namespace {

QStringList Column(const DriverTableModel& model, int column) {
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts << model.data(model.index(row, column)).toString();
    return texts;
}

bool Enabled(QWidget* dlg, const QString& text) {
    for (QPushButton* b : dlg->findChildren<QPushButton*>()) {
        if (QString(b->text()).remove('&') == text)
            return b->isEnabled() && !b->isHidden();
    }
    qFatal("no button %s", qPrintable(text));
}

// Closes a modal dialog that a failed check left open.
auto Closing(QDialog& dlg) {
    return qScopeGuard([&dlg] { dlg.isVisible() ? dlg.reject() : void(); });
}

} // namespace

class TestDriverLibraryDlg : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<LibrarySession> m_session;
    QList<MessageRecord> m_messages;
    QMessageBox::StandardButton m_answer = QMessageBox::Yes;

    DriverLibrary& Library() { return **m_session->Library(); }
    void Fill() {
        DriverEntry entries[] = {Driver("SEAS", "L26RO4Y", 22), Driver("Scan-Speak", "18W", 28),
                                 Driver("Dayton Audio", "RS225-8", 27.5),
                                 Driver("SB Acoustics", "SB17NRX", 33)};
        entries[0].notes = "10 inch woofer", entries[2].notes = "aluminium", entries[3].re = 6;
        QVERIFY(Library().StoreAll(entries, DuplicatePolicy::Skip));
    }

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_session = std::make_unique<LibrarySession>(m_dir->filePath("lib.sqlite").toStdString());
        qputenv("XDG_DATA_DIRS", m_dir->filePath("share").toUtf8());
        m_messages.clear();
        m_answer = QMessageBox::Yes;
        SetMessageHook([this](const MessageRecord& r) { return m_messages << r, m_answer; });
    }
    void cleanup() { SetMessageHook({}); }

    // Each keystroke, typed or taken back, shows what the rule matches; the
    // selection stays; a header click sorts, a second reverses, "none" last.
    void searchAndSort() {
        Fill();
        CDriverLibraryDlg dlg(*m_session);
        dlg.show();
        const std::vector<DriverEntry> all = *Library().All();
        for (const char key : std::string("aud al<<<<<<woof<<<<18<<")) {
            if (key == '<')
                QTest::keyClick(dlg.SearchEdit(), Qt::Key_Backspace);
            else
                QTest::keyClick(dlg.SearchEdit(), key);
            QStringList expected;
            for (const DriverEntry& e : all)
                if (DriverMatches(e, dlg.SearchEdit()->text().toStdString()))
                    expected << e.model.c_str();
            QCOMPARE(Column(*dlg.Model(), DriverTableModel::Model), expected);
            QCOMPARE(dlg.findChild<QLabel*>("count")->text(),
                     QStringLiteral("%1 of 4 drivers").arg(expected.size()));
        }
        QTest::keyClicks(dlg.SearchEdit(), "alu");
        dlg.SearchEdit()->clear();
        QCOMPARE(dlg.Model()->NameAt(dlg.Table()->currentIndex().row()), "Dayton Audio RS225-8");
        QHeaderView* header = dlg.Table()->horizontalHeader();
        const QPoint fs(header->sectionViewportPosition(DriverTableModel::Fs) + 5, 5);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, fs);
        QCOMPARE(Column(*dlg.Model(), 2), (QStringList{"22", "27.5", "28", "33"}));
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, fs);
        QCOMPARE(Column(*dlg.Model(), 2), (QStringList{"33", "28", "27.5", "22"}));
        dlg.Table()->sortByColumn(DriverTableModel::Maker, Qt::DescendingOrder);
        QCOMPARE(Column(*dlg.Model(), DriverTableModel::Maker).constLast(), "Dayton Audio");
        dlg.Table()->sortByColumn(DriverTableModel::Re, Qt::AscendingOrder);
        QCOMPARE(Column(*dlg.Model(), DriverTableModel::Re), (QStringList{"6", "", "", ""}));
    }

    // "Use" and a double-click put the driver into the design (what is copied
    // is test_driver_files' useAndTakeFromDesign); the design is marked
    // changed and drawn afresh. Close changes nothing.
    void useFillsTheDesign_data() {
        QTest::addColumn<QString>("how");
        for (const char* how : {"Use", "double-click", "Close"})
            QTest::newRow(how) << how;
    }
    void useFillsTheDesign() {
        QFETCH(QString, how);
        Fill();
        ViewHost host(Starting(ReferenceDesign(BoxKind::Vented)));
        const SpeakerDesign before = host.doc.Design();
        int draws = 0;
        QObject::connect(host.view.get(), &COrvaneView::drawn, [&draws] { ++draws; });
        ModalDriver<CDriverLibraryDlg> driver([&](CDriverLibraryDlg& dlg) {
            QTest::keyClicks(dlg.SearchEdit(), "l26");
            if (how != "double-click")
                return Click(&dlg, how);
            const QRect cell = dlg.Table()->visualRect(dlg.Model()->index(0, 1));
            // A double-click is a press and release, then the second press.
            QTest::mouseClick(dlg.Table()->viewport(), Qt::LeftButton, {}, cell.center());
            QTest::mouseDClick(dlg.Table()->viewport(), Qt::LeftButton, {}, cell.center());
            if (dlg.isVisible())
                Click(&dlg, "Close"); // the double-click failed: do not hang
        });
        ToolCommands::OnDriverLibrary(*host.view, *m_session);
        QCOMPARE(driver.opened, 1);
        const SpeakerDesign& d = host.doc.Design();
        QVERIFY(host.messages.isEmpty());
        QCOMPARE(host.doc.IsModified(), how != "Close");
        QVERIFY(how == "Close" ? d.SameBits(before)
                               : d.m_fs == 22.0 && d.m_extras.name == "SEAS L26RO4Y");
        QTRY_VERIFY(draws >= (how == "Close" ? 0 : 1));
    }

    // Driver ▸ Library lists and uses drivers only, their displacement with
    // them, in one step; the radiator dialog's Library… radiators only, into
    // its fields, kept on OK.
    void picksOneKind() {
        Fill();
        DriverEntry radiator = Driver("SEAS", "PR26", 14.4, 9.4, 2.55);
        std::tie(radiator.kind, radiator.coneDiameter, radiator.xmax) =
            std::tuple(DriverKind::Radiator, 10.0, 0.5);
        DriverEntry woofer = **Library().FindByName("SEAS", "L26RO4Y");
        woofer.displacement = 0.05;
        QVERIFY(Library().Store(radiator, DuplicatePolicy::Skip) && Library().Update(woofer));
        ViewHost host(Starting(ReferenceDesign(BoxKind::PassiveRadiator)));
        QStringList counts;
        ModalDriver<CDriverLibraryDlg> library([&](CDriverLibraryDlg& dlg) {
            counts << dlg.findChild<QLabel*>("count")->text();
            QTest::keyClicks(dlg.SearchEdit(), "seas");
            Click(&dlg, "Use");
        });
        ToolCommands::OnDriverLibrary(*host.view, *m_session);
        QVERIFY(host.doc.Design().m_extras.driverDisplacement == 0.05 &&
                host.doc.Design().m_fs == 22.0);
        host.view->UndoStack()->undo();
        QVERIFY(host.doc.Design().m_extras.driverDisplacement != 0.05);
        ModalDriver<CRadiatorDlg> dialog([&](CRadiatorDlg& dlg) {
            Click(&dlg, "Library…");
            counts << Child(&dlg, "prFs")->text() + " " + Child(&dlg, "prQms")->text();
            Click(&dlg, "OK");
        });
        ToolCommands::OnRadiatorParams(*host.view, m_session.get());
        QCOMPARE(counts.join(", "), "4 of 4 drivers, 1 of 1 radiators, 14.4 9.4");
        const DesignExtras& x = host.doc.Design().m_extras;
        QVERIFY(x.prFs == 14.4 && x.prVas == 2.55 && x.prXmax == 0.5 && x.prDiameter == 10.0);
        // The area of the effective radius, to the digits the field shows.
        QVERIFY(std::fabs(*x.prSd / (std::pow(0.415 * 10, 2) * M_PI) - 1) < 1e-3);
    }

    // Add Current Driver offers the design's driver; a name taken is replaced
    // on Yes, while No goes back to the dialog as typed.
    void addCurrentDriver_data() {
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("answer");
        QTest::newRow("new name") << "MyWoofer" << int(QMessageBox::Yes);
        QTest::newRow("replace: yes") << "l26ro4y" << int(QMessageBox::Yes);
        QTest::newRow("replace: no") << "L26RO4Y" << int(QMessageBox::No);
    }
    void addCurrentDriver() {
        QFETCH(QString, model);
        QFETCH(int, answer);
        Fill();
        m_answer = QMessageBox::StandardButton(answer);
        CDriverLibraryDlg dlg(*m_session);
        dlg.m_currentDriver = Driver("", "", 31);
        dlg.m_currentDriver.pe = 150;
        dlg.m_currentName = "Dayton Audio RS2";
        dlg.show();
        QStringList shown;
        ModalDriver<CDriverEntryDlg> entry([&](CDriverEntryDlg& e) {
            const auto close = Closing(e);
            for (const char* name : {"maker", "model", "fs", "re", "pe"})
                shown << Child(&e, name)->text();
            Type(&e, "maker", "seas");
            Type(&e, "model", model);
            Click(&e, "OK");
            if (e.isVisible()) // "No": still here, as typed
                shown << Child(&e, "model")->text();
        });
        Click(&dlg, "Add Current Driver…");
        const bool no = answer == QMessageBox::No, added = model == "MyWoofer";
        QCOMPARE(shown.join(','), "Dayton,Audio RS2,31.,,150." + (no ? "," + model : ""));
        QCOMPARE(m_messages.size(), added ? 0 : 1);
        QVERIFY(added || (m_messages[0].text.startsWith("A driver named SEAS L26RO4Y is already") &&
                          m_messages[0].defaultButton == QMessageBox::No));
        const DriverEntry stored = **Library().FindByName("SEAS", model.toStdString());
        QVERIFY(stored.pe == (no ? std::nullopt : std::optional<double>(150)) &&
                (no || dlg.Model()->IdAt(dlg.Table()->currentIndex().row()) == stored.id));
    }

    // Edit; Delete asks with No for Enter; Import starts on the source (Enter
    // imports nothing); Undo Import takes back exactly what it did; the check
    // on demand reports; the columns are wide enough for what they show.
    void changes() {
        Fill();
        const QString installed = m_dir->filePath("share/qspeakers/qspeakers_db.xml");
        WriteBytes(installed, "<speakers>\n<speaker vendor='M' model='SPH' fs='2' qts='1' vas='7'/>"
                              "\n<speaker vendor='X' model='Y' qts='1' vas='1'/>\n<speaker "
                              "vendor='seas' model='l26ro4y' fs='40' qts='1' vas='1'/></speakers>");
        CDriverLibraryDlg dlg(*m_session);
        dlg.show();
        QTest::keyClicks(dlg.SearchEdit(), "scan");
        ModalDriver<CDriverEntryDlg> edit(
            [](CDriverEntryDlg& e) { Type(&e, "fs", "29.5"), Click(&e, "OK"); });
        Click(&dlg, "Edit…");
        QCOMPARE(Column(*dlg.Model(), DriverTableModel::Fs), QStringList{"29.5"});
        for (const QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Yes}) {
            m_answer = answer;
            Click(&dlg, "Delete");
        }
        QVERIFY(m_messages.value(0).text == "Delete Scan-Speak 18W from the driver library?" &&
                m_messages.value(0).defaultButton == QMessageBox::No && m_messages.size() == 2);
        QVERIFY(dlg.Model()->TotalCount() == 3 && !Enabled(&dlg, "Undo Import"));
        ModalDriver<CImportDriversDlg> choose([&](CImportDriversDlg& choice) {
            const auto close = Closing(choice);
            auto* radio = choice.findChild<QRadioButton*>("installed");
            QTest::keyClick(radio, Qt::Key_Return);
            QVERIFY(radio->isChecked() && choice.focusWidget() == radio && choice.isVisible());
            choice.findChild<QCheckBox*>("replace")->setChecked(true);
            Click(&choice, "OK");
        });
        Click(&dlg, "Import…");
        QCOMPARE(m_messages.last().text, installed + "\n\nAdded 1, replaced 1, skipped 0, refused "
                                                     "1.\n\nLine 3: fs is not given");
        Click(&dlg, "Undo Import");
        QVERIFY(!Enabled(&dlg, "Undo Import") && dlg.Model()->TotalCount() == 3);
        QCOMPARE((*Library().FindByName("SEAS", "L26RO4Y"))->fs, 22.0);
        Click(&dlg, "Check Library");
        QVERIFY(m_messages.last().text.endsWith("lib.sqlite is in order."));
        const QFontMetrics metrics = dlg.Table()->fontMetrics();
        for (int column = 0; column < DriverTableModel::ColumnCount; ++column)
            for (const QString& text : Column(*dlg.Model(), column))
                QVERIFY(metrics.horizontalAdvance(text) < dlg.Table()->columnWidth(column));
    }

    // Libraries it cannot use or change: it says why, lists what it can read,
    // offers a new library only in place of what positively is none. (Every
    // reason: test_driver_library.)
    void libraryProblems_data() {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("problem");
        QTest::newRow("damaged") << 0 << "cannot be read: it is not a database.";
        QTest::newRow("newer") << 1
                               << "cannot be read: it was written by a newer version of Orvane; "
                                  "this version will not change it.";
        QTest::newRow("full disk") << 2 << "can be used but not changed: the disk is full.";
    }
    void libraryProblems() {
        QFETCH(int, fault);
        QFETCH(QString, problem);
        const QString path = m_dir->filePath("lib.sqlite");
        fault == 0 ? WriteBytes(path, "not a database") : Fill();
        m_session = std::make_unique<LibrarySession>(path.toStdString()); // the old one closes
        if (fault == 1)                                                   // user_version 4
            WriteBytes(path, ReadBytes(path).replace(60, 4, QByteArray("\0\0\0\4", 4)));
        std::optional<FullDiskSqlite> full;
        if (fault == 2)
            full.emplace();
        CDriverLibraryDlg dlg(*m_session);
        QCOMPARE(dlg.findChild<QLabel*>("problem")->text(),
                 "The driver library " + path + " " + problem);
        QVERIFY(Enabled(&dlg, "Use") == (fault == 2) && !Enabled(&dlg, "Add Current Driver…"));
        QCOMPARE(Enabled(&dlg, "Start a New Library…"), fault == 0);
        if (fault == 0) {
            Click(&dlg, "Start a New Library…");
            QVERIFY(Enabled(&dlg, "Import…") && dlg.findChild<QLabel*>("problem")->isHidden());
            QCOMPARE(m_messages.value(0).defaultButton, QMessageBox::No);
            QCOMPARE(m_messages.value(1).text,
                     "The old driver library is now " + path + ".damaged.");
        }
        QCOMPARE(Listing(m_dir->path()).filter(QRegularExpression("shm|damaged|new-")).join(','),
                 fault == 0 ? "lib.sqlite-shm,lib.sqlite.damaged" : "");
    }
};

QTEST_MAIN(TestDriverLibraryDlg)
#include "test_driver_library_dlg.moc"
