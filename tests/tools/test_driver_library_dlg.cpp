// SPDX-License-Identifier: GPL-3.0-or-later
// The driver library dialog and its command: search as you type, sorting,
// Use, Add, Edit, Delete, Import, Export and an unreadable library.
#include "core/library/DriverLibrary.h"
#include "core/library/LibrarySession.h"
#include "tools/CDriverEntryDlg.h"
#include "tools/CDriverLibraryDlg.h"
#include "tools/CImportDriversDlg.h"
#include "tools/DriverTableModel.h"
#include "tools/ToolCommands.h"

#include "tests/support/DialogTestUtil.h"
#include "tests/support/Drivers.h"
#include "tests/support/TestFiles.h"
#include "tests/support/ViewHost.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>

using namespace orvane;

namespace {

QStringList Column(const DriverTableModel& model, int column) {
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts << model.data(model.index(row, column)).toString();
    return texts;
}

QPushButton* Button(QWidget* dlg, const QString& text) {
    for (QPushButton* b : dlg->findChildren<QPushButton*>()) {
        if (b->text() == text)
            return b;
    }
    qFatal("no button %s", qPrintable(text));
}

} // namespace

class TestDriverLibraryDlg : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<LibrarySession> m_session;
    QList<MessageRecord> m_messages;
    QMessageBox::StandardButton m_answer = QMessageBox::Yes;

    DriverLibrary& Library() {
        FileResult error = FileResult::Success();
        DriverLibrary* library = m_session->Library(error);
        if (library == nullptr)
            qFatal("%s", error.Message().c_str());
        return *library;
    }
    void Fill() {
        DriverEntry entries[] = {
            Driver("SEAS", "L26RO4Y", 22), Driver("Scan-Speak", "18W/8531G00", 28),
            Driver("Dayton Audio", "RS225-8", 27.5), Driver("SB Acoustics", "SB17NRX", 33)};
        entries[0].notes = "10 inch woofer";
        entries[2].notes = "aluminium";
        StoreCounts counts;
        QVERIFY(Library().StoreAll(entries, DuplicatePolicy::Skip, counts));
    }
    std::vector<std::string> Names() { return LibraryNames(Library()); }

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_session = std::make_unique<LibrarySession>(m_dir->filePath("lib.sqlite").toStdString());
        qputenv("XDG_DATA_DIRS", m_dir->filePath("share").toUtf8());
        m_messages.clear();
        m_answer = QMessageBox::Yes;
        SetMessageHook([this](const MessageRecord& r) {
            m_messages << r;
            return m_answer;
        });
    }
    void cleanup() { SetMessageHook({}); }

    // Each keystroke filters over maker, model and notes; the count follows,
    // and the selection stays on its driver while it is shown.
    void searchAsYouType_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("models");
        // The matching rule itself is test_driver_files' searchRule.
        QTest::newRow("two words") << "audio alu" << QStringList{"RS225-8"};
        QTest::newRow("none") << "tweeter" << QStringList{};
    }
    void searchAsYouType() {
        QFETCH(QString, typed);
        QFETCH(QStringList, models);
        Fill();
        CDriverLibraryDlg dlg(*m_session);
        dlg.show();
        QCOMPARE(dlg.Model()->rowCount(), 4);
        QTest::keyClicks(dlg.SearchEdit(), typed);
        QCOMPARE(Column(*dlg.Model(), DriverTableModel::Model), models);
        QCOMPARE(dlg.findChild<QLabel*>("count")->text(),
                 QStringLiteral("%1 of 4 drivers").arg(models.size()));
        QCOMPARE(Button(&dlg, "Use")->isEnabled(), !models.isEmpty());
        QCOMPARE(Button(&dlg, "Delete")->isEnabled(), !models.isEmpty());
        // Back to everything: the driver selected while filtering stays selected.
        const QModelIndexList selected = dlg.Table()->selectionModel()->selectedRows();
        const QString kept =
            selected.isEmpty()
                ? QString()
                : dlg.Model()->data(dlg.Model()->index(selected[0].row(), 1)).toString();
        dlg.SearchEdit()->clear();
        QCOMPARE(dlg.Model()->rowCount(), 4);
        if (!kept.isEmpty()) {
            const int row = dlg.Table()->selectionModel()->selectedRows().value(0).row();
            QCOMPARE(dlg.Model()->data(dlg.Model()->index(row, 1)).toString(), kept);
        }
        QVERIFY(m_messages.isEmpty());
    }

    // Clicking a header sorts by that column; numbers by value, a second
    // click reverses, a missing value goes last.
    void sortByColumns() {
        Fill();
        DriverEntry noRe = Driver("Zeta", "Z1", 100);
        DriverEntry withRe = Driver("Alpha", "A1", 9);
        withRe.re = 6;
        StoreOutcome outcome{};
        QVERIFY(Library().Store(noRe, DuplicatePolicy::Skip, outcome));
        QVERIFY(Library().Store(withRe, DuplicatePolicy::Skip, outcome));
        CDriverLibraryDlg dlg(*m_session);
        dlg.show();
        QCOMPARE(
            Column(*dlg.Model(), DriverTableModel::Maker),
            (QStringList{"Alpha", "Dayton Audio", "SB Acoustics", "Scan-Speak", "SEAS", "Zeta"}));
        QHeaderView* header = dlg.Table()->horizontalHeader();
        const int x = header->sectionViewportPosition(DriverTableModel::Fs) + 5;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, 5));
        QCOMPARE(Column(*dlg.Model(), DriverTableModel::Fs),
                 (QStringList{"9", "22", "27.5", "28", "33", "100"}));
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, 5));
        QCOMPARE(Column(*dlg.Model(), DriverTableModel::Fs),
                 (QStringList{"100", "33", "28", "27.5", "22", "9"}));
        // The selection stays on its driver through the sorts (Alpha, the
        // first by maker, is last by falling Fs); the arrow keys in the
        // search box move through the table.
        const auto selectedRow = [&dlg] {
            return dlg.Table()->selectionModel()->selectedRows().value(0).row();
        };
        QCOMPARE(selectedRow(), 5);
        QTest::keyClick(dlg.SearchEdit(), Qt::Key_Up);
        QTest::keyClick(dlg.SearchEdit(), Qt::Key_Up);
        QCOMPARE(selectedRow(), 3);
        QTest::keyClick(dlg.SearchEdit(), Qt::Key_Down);
        QCOMPARE(selectedRow(), 4);
        dlg.Table()->sortByColumn(DriverTableModel::Re, Qt::AscendingOrder);
        QCOMPARE(Column(*dlg.Model(), DriverTableModel::Re).first(), QString("6"));
        QCOMPARE(Column(*dlg.Model(), DriverTableModel::Maker).mid(1, 2),
                 (QStringList{"Dayton Audio", "SB Acoustics"}));
    }

    // "Use" and a double-click put the driver into the design (what is copied
    // is test_driver_files' useAndTakeFromDesign); the design is marked
    // changed and drawn afresh.
    void useFillsTheDesign_data() {
        QTest::addColumn<bool>("doubleClick");
        QTest::newRow("Use") << false;
        QTest::newRow("double-click") << true;
    }
    void useFillsTheDesign() {
        QFETCH(bool, doubleClick);
        Fill();
        ViewHost host(Starting(ReferenceDesign(BoxKind::Vented)));
        int draws = 0;
        QObject::connect(host.view.get(), &COrvaneView::drawn, [&draws] { ++draws; });
        ModalDriver<CDriverLibraryDlg> driver([&](CDriverLibraryDlg& dlg) {
            QTest::keyClicks(dlg.SearchEdit(), "l26");
            if (!doubleClick) {
                Click(&dlg, "Use");
                return;
            }
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
        QCOMPARE(d.m_fs, 22.0);
        QCOMPARE(d.m_extras.name, std::optional<std::string>("SEAS L26RO4Y"));
        QVERIFY(host.doc.IsModified());
        QTRY_VERIFY(draws >= 1);
        QVERIFY(host.messages.isEmpty());
    }

    void closeChangesNothing() {
        Fill();
        ViewHost host(Starting(ReferenceDesign(BoxKind::Vented)));
        const SpeakerDesign before = host.doc.Design();
        ModalDriver<CDriverLibraryDlg> driver([](CDriverLibraryDlg& dlg) { Click(&dlg, "Close"); });
        ToolCommands::OnDriverLibrary(*host.view, *m_session);
        QVERIFY(host.doc.Design().SameBits(before));
        QVERIFY(!host.doc.IsModified());
    }

    // "Add Current Driver…" stores the design's driver under the name typed;
    // an existing name is replaced only when the user says so.
    void addCurrentDriver_data() {
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("questions");
        QTest::addColumn<double>("storedFs");
        QTest::newRow("new name") << "MyWoofer" << int(QMessageBox::Yes) << 0 << 31.0;
        QTest::newRow("replace: yes") << "l26ro4y" << int(QMessageBox::Yes) << 1 << 31.0;
        QTest::newRow("replace: no") << "L26RO4Y" << int(QMessageBox::No) << 1 << 22.0;
    }
    void addCurrentDriver() {
        QFETCH(QString, model);
        QFETCH(int, answer);
        Fill();
        m_answer = QMessageBox::StandardButton(answer);
        CDriverLibraryDlg dlg(*m_session);
        dlg.m_currentDriver = Driver("", "", 31);
        dlg.m_currentDriver.xmax = 0.25;
        dlg.m_currentDriver.pe = 150;
        dlg.show();
        QStringList shown;
        ModalDriver<CDriverEntryDlg> entry([&](CDriverEntryDlg& e) {
            for (const char* name : {"maker", "model", "fs", "xmax", "re", "pe"})
                shown << Child(&e, name)->text();
            Type(&e, "maker", "seas");
            Type(&e, "model", model);
            e.findChild<QPlainTextEdit*>("notes")->setPlainText("mine");
            Click(&e, "OK");
        });
        Click(&dlg, "Add Current Driver…");
        QCOMPARE(shown, (QStringList{"", "", "31.", "0.25", "", "150."}));
        QTEST(int(m_messages.size()), "questions");
        if (!m_messages.isEmpty()) {
            QCOMPARE(m_messages[0].kind, MessageKind::Question);
            QCOMPARE(m_messages[0].text,
                     QString("A driver named SEAS L26RO4Y is already in the library. Replace it?"));
        }
        DriverEntry stored;
        bool found = false;
        QVERIFY(Library().FindByName("SEAS", model.toStdString(), stored, found));
        QVERIFY(found);
        QTEST(stored.fs, "storedFs");
        QCOMPARE(Names().size(), size_t(model == "MyWoofer" ? 5 : 4));
        if (stored.fs == 31.0) {
            QCOMPARE(stored.pe, std::optional<double>(150));
            QCOMPARE(stored.notes, std::string("mine"));
            // The new entry is the one selected.
            const int row = dlg.Table()->selectionModel()->selectedRows().value(0).row();
            QCOMPARE(dlg.Model()->EntryAt(row).id, stored.id);
        }
    }

    // A design named from the library offers its name split at the first blank.
    void addOffersTheDesignsName() {
        CDriverLibraryDlg dlg(*m_session);
        dlg.m_currentDriver = Driver("", "", 30);
        dlg.m_currentName = "Dayton Audio RS225-8";
        dlg.show();
        QStringList shown;
        ModalDriver<CDriverEntryDlg> entry([&](CDriverEntryDlg& e) {
            shown << Child(&e, "maker")->text() << Child(&e, "model")->text();
            Type(&e, "qts", "0");
            Click(&e, "OK"); // refused: Qts must be above 0
            Click(&e, "Cancel");
        });
        Click(&dlg, "Add Current Driver…");
        QCOMPARE(shown, (QStringList{"Dayton", "Audio RS225-8"}));
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages[0].text,
                 QString("This driver cannot be stored: qts must be a number above 0."));
        QVERIFY(Names().empty());
    }

    void editAndDelete() {
        Fill();
        CDriverLibraryDlg dlg(*m_session);
        dlg.show();
        QTest::keyClicks(dlg.SearchEdit(), "scan");
        ModalDriver<CDriverEntryDlg> entry([&](CDriverEntryDlg& e) {
            QCOMPARE(Child(&e, "model")->text(), QString("18W/8531G00"));
            Type(&e, "fs", "29.5");
            Type(&e, "le", "0.22");
            Click(&e, "OK");
        });
        Click(&dlg, "Edit…");
        DriverEntry e;
        bool found = false;
        QVERIFY(Library().FindByName("Scan-Speak", "18W/8531G00", e, found));
        QCOMPARE(e.fs, 29.5);
        QCOMPARE(e.le, std::optional<double>(0.22));
        QCOMPARE(Column(*dlg.Model(), DriverTableModel::Fs), QStringList{"29.5"});

        m_answer = QMessageBox::No;
        Click(&dlg, "Delete");
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages[0].text,
                 QString("Delete Scan-Speak 18W/8531G00 from the driver library?"));
        QCOMPARE(Names().size(), size_t(4));
        m_answer = QMessageBox::Yes;
        Click(&dlg, "Delete");
        QCOMPARE(Names().size(), size_t(3));
        QCOMPARE(dlg.Model()->rowCount(), 0);
        QCOMPARE(dlg.findChild<QLabel*>("count")->text(), QString("0 of 3 drivers"));
    }

    // Import offers the installed qspeakers database by name, reports what it
    // did with the refused lines; Export writes the CSV.
    void importAndExport() {
        QVERIFY(QDir(m_dir->path()).mkpath("share/qspeakers"));
        WriteBytes(m_dir->filePath("share/qspeakers/qspeakers_db.xml"),
                   "<speakers>\n<speaker vendor='MONACOR' model='SPH-200CTC' fs='22' qts='0.22' "
                   "vas='75' sd='0.0214'/>\n<speaker vendor='X' model='Y' qts='1' vas='1'/>\n"
                   "</speakers>\n");
        const QString csv = m_dir->filePath("in.csv");
        WriteBytes(csv, "maker,model,fs,qts,vas_l\nA,1,30,0.4,80\nA,2,,0.4,80\n");
        CDriverLibraryDlg dlg(*m_session);
        QStringList offered;
        dlg.SetFileDialog([&](CDriverLibraryDlg::FileChoice choice) {
            offered << QString::number(int(choice));
            return choice == CDriverLibraryDlg::FileChoice::Export ? m_dir->filePath("out.csv")
                                                                   : csv;
        });
        dlg.show();
        QString installed;
        {
            ModalDriver<CImportDriversDlg> fromInstalled([&](CImportDriversDlg& choice) {
                auto* radio = choice.findChild<QRadioButton*>("installed");
                installed = radio->text();
                QVERIFY(radio->isChecked());
                Click(&choice, "OK");
            });
            Click(&dlg, "Import…");
        }
        QCOMPARE(installed, "The qspeakers driver database (" +
                                m_dir->filePath("share/qspeakers/qspeakers_db.xml") + ")");
        QVERIFY(offered.isEmpty());
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages[0].text,
                 m_dir->filePath("share/qspeakers/qspeakers_db.xml") +
                     "\n\nAdded 1, replaced 0, skipped 0, refused 1.\n\nLine 3: fs is not given");
        QCOMPARE(dlg.Model()->rowCount(), 1);

        ModalDriver<CImportDriversDlg> fromCsv([&](CImportDriversDlg& choice) {
            choice.findChild<QRadioButton*>("csv")->setChecked(true);
            choice.findChild<QCheckBox*>("replace")->setChecked(true);
            Click(&choice, "OK");
        });
        Click(&dlg, "Import…");
        QCOMPARE(m_messages.last().text,
                 csv + "\n\nAdded 1, replaced 0, skipped 0, refused 1.\n\nLine 3: fs is empty");
        QCOMPARE(dlg.Model()->rowCount(), 2);

        Click(&dlg, "Export…");
        QCOMPARE(offered, (QStringList{"0", "2"}));
        QFile out(m_dir->filePath("out.csv"));
        QVERIFY(out.open(QIODevice::ReadOnly));
        QCOMPARE(out.readAll().count('\n'), 3);
    }

    // An unreadable library: the command says so once, the dialog shows the
    // problem with nothing to use, and can start a new library, keeping the
    // old file.
    void unreadableLibrary() {
        const QString path = m_dir->filePath("lib.sqlite");
        WriteBytes(path, "not a database");
        ViewHost host(Starting(ReferenceDesign(BoxKind::Vented)));
        QStringList problems;
        ModalDriver<CDriverLibraryDlg> driver([&](CDriverLibraryDlg& dlg) {
            problems << dlg.findChild<QLabel*>("problem")->text();
            QVERIFY(!Button(&dlg, "Use")->isEnabled());
            QVERIFY(!Button(&dlg, "Import…")->isEnabled());
            QVERIFY(!Button(&dlg, "Add Current Driver…")->isEnabled());
            m_answer = QMessageBox::Yes;
            SetMessageHook([this](const MessageRecord& r) {
                m_messages << r;
                return m_answer;
            });
            Click(&dlg, "Start a New Library…");
            QVERIFY(Button(&dlg, "Import…")->isEnabled());
            QVERIFY(dlg.findChild<QLabel*>("problem")->isHidden());
            Click(&dlg, "Close");
        });
        ToolCommands::OnDriverLibrary(*host.view, *m_session);
        const QString message =
            "The driver library " + path + " cannot be read: it is not a database.";
        QCOMPARE(host.messages, QStringList{message});
        QCOMPARE(problems, QStringList{message});
        QCOMPARE(m_messages.size(), 2);
        QCOMPARE(m_messages[1].text, "The old driver library is now " + path + ".damaged.");
        QFile old(path + ".damaged");
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("not a database"));
        QVERIFY(Names().empty());
        QVERIFY(!host.doc.IsModified());
    }
};

QTEST_MAIN(TestDriverLibraryDlg)
#include "test_driver_library_dlg.moc"
