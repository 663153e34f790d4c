// SPDX-License-Identifier: GPL-3.0-or-later
// The running program: windows, documents, recent files, printing, the
// driver library's menu entry, and what it finds where.
#include "app/AppSettings.h"
#include "app/CAboutDlg.h"
#include "app/CGettingStartedDlg.h"
#include "app/CMainFrame.h"
#include "app/COrvaneApp.h"
#include "app/CRecoverDlg.h"
#include "app/SingleInstance.h"
#include "core/design/COrvaneDoc.h"
#include "core/library/DriverLibrary.h"
#include "core/library/LibrarySession.h"
#include "tools/CAlignmentDlg.h"
#include "tools/CAnalysisDlg.h"
#include "tools/CBoxCalcDlg.h"
#include "tools/CDriverEntryDlg.h"
#include "tools/CDriverLibraryDlg.h"
#include "tools/CDriverParamsDlg.h"
#include "tools/CElectricalDlg.h"
#include "tools/CFreqRangeDlg.h"
#include "tools/CImportDriversDlg.h"
#include "tools/CPortCalcDlg.h"
#include "tools/CSignalChainDlg.h"
#include "tools/CTSParamsDlg.h"
#include "view/COrvaneView.h"

#include "tests/support/DialogTestUtil.h"
#include "tests/support/Drivers.h"
#include "tests/support/ReferenceDesigns.h"
#include "tests/support/TestFiles.h"

#include <QtPrintSupport>
#include <QtTest>
#include <QtWidgets>

#include <unistd.h>

using namespace orvane;

namespace {
template <typename List, typename Text> QStringList Texts(const List& list, Text text) {
    QStringList texts;
    for (const auto* item : list)
        texts << text(item);
    return texts;
}

// "where: first / second" for each access key that two of the texts share.
QString Duplicates(const QString& where, const QStringList& texts) {
    QMap<QChar, QString> seen;
    QString found;
    for (const QString& text : texts) {
        const QKeySequence mnemonic = QKeySequence::mnemonic(text); // Alt+key
        const QChar key = mnemonic.isEmpty() ? QChar() : mnemonic.toString().back().toLower();
        if (key.isNull())
            continue;
        if (seen.contains(key))
            found += where + ": " + seen[key] + " / " + text + "\n";
        seen[key] = text;
    }
    return found;
}

QString MenuDuplicates(const QString& where, const QList<QAction*>& actions) {
    QString found = Duplicates(where, Texts(actions, [](auto* a) { return a->text(); }));
    for (const QAction* action : actions) {
        if (action->menu() != nullptr)
            found += MenuDuplicates(action->text(), action->menu()->actions());
    }
    return found;
}

// The buttons, the labels of entries and the group titles a dialog shows.
QString DialogDuplicates(QDialog& dialog) {
    QStringList texts;
    for (const auto* button : dialog.findChildren<QAbstractButton*>())
        texts << (button->isVisibleTo(&dialog) ? button->text() : QString());
    for (const auto* label : dialog.findChildren<QLabel*>())
        texts << (label->buddy() != nullptr ? label->text() : QString());
    for (const auto* group : dialog.findChildren<QGroupBox*>())
        texts << group->title();
    return Duplicates(dialog.windowTitle(), texts);
}
} // namespace

class TestShell : public QObject {
    Q_OBJECT
public:
    explicit TestShell(COrvaneApp& app) : m_app(app) {}

private:
    // A path as the file system's bytes, as the command line and the hand-over give it.
    static QByteArray Native(const QString& path) { return QFile::encodeName(path); }
    CMainFrame& Frame() { return *m_app.MainFrame(); }
    QList<QMdiSubWindow*> Windows() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return Frame().MdiArea()->subWindowList();
    }
    QStringList Titles() {
        return Texts(Windows(), [](auto* w) { return w->windowTitle(); });
    }
    COrvaneView* View(int i) { return qobject_cast<COrvaneView*>(Windows()[i]->widget()); }
    COrvaneDoc& ActiveDoc() { return m_app.Documents()->ActiveView()->GetDocument(); }
    bool ButtonEnabled(CommandId id) {
        return Frame().ToolBar()->widgetForAction(Frame().Action(id))->isEnabled();
    }
    void Trigger(CommandId id) {
        QVERIFY2(Frame().Action(id)->isEnabled(), qPrintable(Frame().Action(id)->text()));
        Frame().Action(id)->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // A new design stored under name.
    QString WriteDesign(const QString& name) {
        COrvaneDoc doc;
        doc.OnNewDocument();
        return doc.Save(m_dir->filePath(name).toStdString()) ? m_dir->filePath(name) : QString();
    }
    QString IniText() { return QString::fromUtf8(ReadBytes(m_dir->filePath("orvane.ini"))); }
    QString LibraryPath() { return m_dir->filePath("drivers.sqlite"); }

    COrvaneApp& m_app;
    std::unique_ptr<QTemporaryDir> m_dir;
    QList<MessageRecord> m_messages;
    QMessageBox::StandardButton m_answer = QMessageBox::Ok;
    QStringList m_dialogAnswers; // what the file dialogs answer, in turn
    QStringList m_proposed;      // the folders or names they were started with

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        qputenv("XDG_DATA_HOME", m_dir->filePath("data").toUtf8());
        qputenv("XDG_DATA_DIRS", m_dir->filePath("system").toUtf8());
        qputenv("XDG_STATE_HOME", m_dir->filePath("state").toUtf8());
        m_messages.clear();
        m_answer = QMessageBox::Ok;
        m_dialogAnswers.clear();
        m_proposed.clear();
        SetMessageHook([this](const MessageRecord& record) {
            m_messages << record;
            return m_answer;
        });
        m_app.SetSettingsPath(m_dir->filePath("orvane.ini"));
        m_app.SetLibraryPath(LibraryPath().toStdString());
        m_app.SetInstanceName(QString("orvane-test-%1").arg(QCoreApplication::applicationPid()));
        m_app.SetRunDesktopUpdaters(false);
        m_app.SetFileDialog([this](DocManager::FileDialogKind, const QString& start) {
            m_proposed << start;
            return m_dialogAnswers.isEmpty() ? QString() : m_dialogAnswers.takeFirst();
        });
        // The first-draw check would open Driver Parameters over a new design.
        m_app.SetViewSetup([](COrvaneView&) {});
    }

    void cleanup() {
        m_app.ExitInstance();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SetMessageHook({});
    }

    // Each access key opens one entry of its menu, one control of its dialog.
    void accessKeysUnique() {
        QVERIFY(m_app.InitInstance({}));
        QString found = MenuDuplicates("design window", Frame().menuBar()->actions());
        Windows()[0]->close();
        found += MenuDuplicates("main window", Frame().menuBar()->actions());
        const SpeakerDesign design = ReferenceDesign(BoxKind::Bandpass6);
        LibrarySession session(m_dir->filePath("lib.sqlite").toStdString());
        std::vector<std::unique_ptr<QDialog>> dialogs;
        dialogs.push_back(std::make_unique<CAlignmentDlg>());
        dialogs.push_back(std::make_unique<CAnalysisDlg>(BoxKind::Bandpass6));
        dialogs.push_back(std::make_unique<CBoxCalcDlg>());
        dialogs.push_back(std::make_unique<CDriverEntryDlg>("Edit Driver"));
        dialogs.push_back(std::make_unique<CDriverLibraryDlg>(session));
        dialogs.push_back(std::make_unique<CDriverParamsDlg>());
        dialogs.push_back(std::make_unique<CElectricalDlg>(design));
        dialogs.push_back(std::make_unique<CFreqRangeDlg>());
        dialogs.push_back(std::make_unique<CImportDriversDlg>("/usr/share/qspeakers"));
        dialogs.push_back(std::make_unique<CPortCalcDlg>());
        dialogs.push_back(std::make_unique<CTSParamsDlg>());
        dialogs.push_back(std::make_unique<CAboutDlg>());
        dialogs.push_back(std::make_unique<CGettingStartedDlg>());
        dialogs.push_back(std::make_unique<CRecoverDlg>(std::vector<CRecoverDlg::Row>(1)));
        dialogs.push_back(std::make_unique<CSignalChainDlg>());
        for (const auto& dialog : dialogs)
            found += DialogDuplicates(*dialog);
        QVERIFY2(found.isEmpty(), qPrintable(found));
    }

    // Export Graph proposes the design's and the graph's names and writes
    // the file its name's ending chooses, a PNG where it has none.
    void exportGraph() {
        QVERIFY(m_app.InitInstance({}));
        for (const char* name : {"graph", "graph.csv", "graph.txt"}) {
            m_dialogAnswers << m_dir->filePath(name);
            Trigger(ID_FILE_EXPORT_GRAPH);
        }
        QCOMPARE(m_proposed.value(0), QString("spkr1-response.png"));
        QVERIFY(ReadBytes(m_dir->filePath("graph.png")).startsWith("\x89PNG"));
        QVERIFY(
            ReadBytes(m_dir->filePath("graph.csv")).startsWith("frequency (Hz),response (dB)\n"));
        QVERIFY(m_messages.size() == 1 && !QFile::exists(m_dir->filePath("graph.txt")));
    }

    // Designs are numbered and never give a number back; a second window of
    // a design is numbered after a colon; after "Use" in the driver library
    // each window of the design carries the driver's name. Closing the last
    // window brings back the main menus and disables the design buttons.
    void windowsAndMenus() {
        QVERIFY((*DriverLibrary::Open(LibraryPath().toStdString()))
                    ->Store(Driver("SEAS", "L26RO4Y", 22), DuplicatePolicy::Skip));
        QVERIFY(m_app.InitInstance({}));
        QVERIFY(Windows()[0]->isMaximized());
        const QSize screen = Frame().screen()->availableSize();
        QCOMPARE(Frame().size(), QSize(screen.width() * 3 / 4, screen.height() * 3 / 4));
        QCOMPARE(Frame().windowTitle(), QString("orvane - spkr1"));
        for (CommandId id : {ID_FILE_NEW, ID_FILE_CLOSE, ID_FILE_NEW, ID_WINDOW_NEW})
            Trigger(id);
        QCOMPARE(Titles(), QStringList({"spkr1", "spkr3:1", "spkr3:2"}));
        Frame().UpdateWindowMenu();
        const QStringList entries = Texts(Frame().WindowMenu()->actions(), [](auto* a) {
            return a->text() + (a->isChecked() ? "*" : "");
        });
        QVERIFY2(entries.join('|').endsWith("|&1 spkr1|&2 spkr3:1|&3 spkr3:2*"),
                 qPrintable(entries.join('|')));
        QVERIFY(ButtonEnabled(ID_DRIVER_PARAMS) && ButtonEnabled(ID_TOOLS_TS_PARAMS));
        ModalDriver<CDriverLibraryDlg> pick([](CDriverLibraryDlg& dlg) { Click(&dlg, "Use"); });
        Trigger(ID_DRIVER_LIBRARY);
        QCOMPARE(Titles(),
                 QStringList({"spkr1", "spkr3:1* (SEAS L26RO4Y)", "spkr3:2* (SEAS L26RO4Y)"}));
        QCOMPARE(Frame().windowTitle(), QString("orvane - spkr3:2* (SEAS L26RO4Y)"));
        m_answer = QMessageBox::No; // to saving the changed design
        for (QMdiSubWindow* window : Windows())
            window->close();
        QCOMPARE(Texts(Frame().MenuBarMenus(), [](auto* m) { return m->title(); }),
                 QStringList({"&File", "&View", "&Help"}));
        QCOMPARE(Frame().windowTitle(), QString("orvane"));
        QVERIFY(!ButtonEnabled(ID_DRIVER_PARAMS) && !ButtonEnabled(ID_TOOLS_TS_PARAMS));
        QVERIFY(!ButtonEnabled(ID_FILE_SAVE) && ButtonEnabled(ID_FILE_OPEN));
        QCOMPARE(m_messages.size(), 1);
    }

    // A missing file named at start: the message, no window. The recent
    // list reaches the settings file only at exit; a missing recent file
    // keeps its entry.
    void recentFiles() {
        const QString first = WriteDesign("first.spk"), second = WriteDesign("second.spk");
        QVERIFY(m_app.InitInstance({Native(first)}));
        m_dialogAnswers << second;
        Trigger(ID_FILE_OPEN);
        QCOMPARE(Frame().Action(ID_FILE_MRU_FILE1)->text(),
                 m_app.Settings()->RecentFiles().MenuText(0));
        QVERIFY(!Frame().Action(ID_FILE_MRU_FILE3)->isVisible());
        QVERIFY(!IniText().contains("first.spk"));
        m_app.ExitInstance();
        QVERIFY2(IniText().contains("[Recent File List]\nFile1=" + second + "\nFile2=" + first),
                 qPrintable(IniText()));
        QVERIFY(QFile::remove(second));
        QVERIFY(m_app.InitInstance({Native(second)}));
        QVERIFY(Windows().isEmpty());
        Trigger(ID_FILE_MRU_FILE1);
        QVERIFY(m_messages.size() == 2 && m_messages[1].kind == MessageKind::Warning);
        QCOMPARE(m_messages[1].text, second + "\nCannot find this file.\nPlease verify that the "
                                              "correct path and file name are given.");
        QVERIFY(Windows().isEmpty());
        QCOMPARE(m_app.Settings()->RecentFiles().Files(), QStringList({second, first}));
        // Settings that cannot be written: a warning in the log, no folder made for a link.
        const QString ini = m_dir->filePath("orvane.ini");
        QVERIFY(QFile::remove(ini) && QFile::link(m_dir->filePath("gone/orvane.ini"), ini));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^settings not saved: .*orvane\\.ini"
                                                              ".*it is a link to a missing file"));
        m_app.ExitInstance();
        QVERIFY(QFileInfo(ini).isSymLink() && !QFileInfo::exists(m_dir->filePath("gone")));
    }

    // Closing a changed design asks; Ctrl+W closes the active window wherever
    // the focus is, and the system menu names the key but leaves it to us.
    void modifiedDesignPrompts_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("saveAs"); // the Save As dialog's answer
        QTest::addColumn<bool>("closed");
        QTest::newRow("cancel keeps it open") << int(QMessageBox::Cancel) << "" << false;
        QTest::newRow("no closes without saving") << int(QMessageBox::No) << "" << true;
        QTest::newRow("yes saves, then closes") << int(QMessageBox::Yes) << "kept.spk" << true;
        QTest::newRow("yes, save cancelled keeps it") << int(QMessageBox::Yes) << "" << false;
    }
    void modifiedDesignPrompts() {
        QFETCH(int, answer);
        QFETCH(QString, saveAs);
        QVERIFY(m_app.InitInstance({}));
        Frame().show();
        QVERIFY(QTest::qWaitForWindowActive(&Frame()));
        Trigger(ID_FILE_NEW);
        Trigger(ID_BOX_VENTED); // a user command that changes the record
        QVERIFY(ActiveDoc().IsModified());
        m_answer = static_cast<QMessageBox::StandardButton>(answer);
        m_dialogAnswers << (saveAs.isEmpty() ? QString() : m_dir->filePath(saveAs));
        Frame().ToolBar()->setFocus();
        QTest::keySequence(&Frame(), QKeySequence(QKeySequence::Close));
        QVERIFY(m_messages.size() == 1 && m_messages[0].kind == MessageKind::Question);
        QCOMPARE(m_messages[0].text, QString("Save changes to spkr2?"));
        QCOMPARE(m_messages[0].buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QFETCH(bool, closed);
        QCOMPARE(Titles(), closed ? QStringList{"spkr1"} : QStringList({"spkr1", "spkr2*"}));
        QCOMPARE(QFile::exists(m_dir->filePath("kept.spk")), !saveAs.isEmpty());
        QAction* close = Windows()[0]->systemMenu()->actions().constLast();
        QVERIFY(close->shortcuts().isEmpty());
        QVERIFY(close->text().endsWith(
            '\t' + QKeySequence(QKeySequence::Close).toString(QKeySequence::NativeText)));
    }

    // A name that is no UTF-8 opens from every way in and saves as itself;
    // the file by another name of it activates its window.
    void nonUtf8NameOpens_data() {
        QTest::addColumn<QString>("way");
        for (const char* way : {"command line", "hand-over", "drag and drop"})
            QTest::newRow(way) << way;
    }
    void nonUtf8NameOpens() {
        QFETCH(QString, way);
        const QByteArray path = Native(m_dir->path()) + "/nonutf8-\xff\xfe.spk";
        COrvaneDoc design;
        QVERIFY(design.OnNewDocument() && design.Save(path.toStdString()));
        QVERIFY(
            m_app.InitInstance(way == "command line" ? QByteArrayList{path} : QByteArrayList{}));
        if (way == "hand-over") {
            emit m_app.Instance()->fileRequested(path);
        } else if (way == "drag and drop") {
            QMimeData mime;
            mime.setUrls({QUrl::fromEncoded("file://" + path.toPercentEncoding("/"))});
            QDragEnterEvent enter({20, 20}, Qt::CopyAction, &mime, Qt::LeftButton, {});
            QCoreApplication::sendEvent(&Frame(), &enter);
            QDropEvent drop({20, 20}, Qt::CopyAction, &mime, Qt::LeftButton, {});
            QCoreApplication::sendEvent(&Frame(), &drop);
        }
        QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.value(0).text));
        QCOMPARE(ActiveDoc().Path(), path.toStdString());
        Trigger(ID_FILE_SAVE);
        QVERIFY(::access(path.constData(), F_OK) == 0 &&
                Listing(m_dir->path()).filter("nonutf8").isEmpty());
        Trigger(ID_FILE_NEW);
        emit m_app.Instance()->fileRequested(Native(m_dir->path()) + "/./nonutf8-\xff\xfe.spk");
        QCOMPARE(ActiveDoc().Path(), path.toStdString());
        QCOMPARE(Windows().size(), way == "command line" ? 2 : 3);
        QVERIFY(m_messages.isEmpty());
    }

    // Save adds the extension to a bare name and asks only once; Open and
    // Save As start in the folder of the file last opened or saved.
    void saveAsAndFileDialogFolders() {
        QVERIFY(QDir(m_dir->path()).mkpath("designs/old"));
        QFile::rename(WriteDesign("woofer.spk"), m_dir->filePath("designs/old/woofer.spk"));
        QVERIFY(m_app.InitInstance({}));
        m_dialogAnswers << m_dir->filePath("designs/old/woofer.spk");
        Trigger(ID_FILE_OPEN);
        Trigger(ID_FILE_NEW);
        Trigger(ID_FILE_SAVE_AS); // cancelled
        Trigger(ID_FILE_OPEN);    // cancelled
        m_dialogAnswers << m_dir->filePath("tweeter") << m_dir->filePath("bass.dat");
        for (CommandId id : {ID_FILE_SAVE, ID_FILE_SAVE, ID_FILE_NEW, ID_FILE_SAVE_AS})
            Trigger(id);
        QCOMPARE(Titles(), QStringList({"spkr1", "woofer.spk", "tweeter.spk", "bass.dat"}));
        QVERIFY(QFile::exists(m_dir->filePath("tweeter.spk")));
        QCOMPARE(m_app.Settings()->RecentFiles().File(0), m_dir->filePath("bass.dat"));
        const QString old = m_dir->filePath("designs/old");
        QCOMPARE(m_proposed, (QStringList{QString(), old + "/spkr2.spk", old, old + "/spkr2.spk",
                                          m_dir->filePath("spkr3.spk")}));
    }

    // Display ▸ Graph: radio items and a drop-down, the choice per window,
    // remembered for new windows and the next start. Options ▸ Units: every
    // window of every design shows the new unit at once, and the next start.
    void graphAndUnitsChoices() {
        QVERIFY(m_app.InitInstance({}));
        QAction* excursion = Frame().Action(ID_GRAPH_EXCURSION);
        QCOMPARE(excursion->shortcut(), QKeySequence("Ctrl+4"));
        QVERIFY(excursion->actionGroup()->isExclusive() &&
                excursion->actionGroup()->actions().size() == qsizetype(kAllGraphs.size()));
        QComboBox* choice = Frame().GraphChoice();
        Trigger(ID_GRAPH_EXCURSION);
        QVERIFY(View(0)->CurrentGraph() == Graph::Excursion && choice->currentIndex() == 3);
        choice->activated(4); // the drop-down runs the command too
        QVERIFY(View(0)->CurrentGraph() == Graph::Velocity &&
                Frame().Action(ID_GRAPH_VELOCITY)->isChecked());
        Trigger(ID_FILE_NEW); // starts with the last choice; each keeps its own
        QCOMPARE(View(1)->CurrentGraph(), Graph::Velocity);
        Trigger(ID_GRAPH_RESPONSE);
        Frame().MdiArea()->setActiveSubWindow(Windows()[0]);
        QVERIFY(View(0)->CurrentGraph() == Graph::Velocity && choice->currentIndex() == 4);
        QVERIFY(Frame().Action(ID_GRAPH_VELOCITY)->isChecked());
        Trigger(ID_GRAPH_DELAY);
        Trigger(ID_WINDOW_NEW);
        const auto labels = [this] {
            QStringList texts;
            for (int i = 0; i < Windows().size(); ++i)
                texts << View(i)->Form()->FieldLabel(COrvaneView::Field::V1)->text();
            return texts;
        };
        QCOMPARE(labels(), QStringList(3, "V1 (ft3)"));
        Trigger(ID_UNITS_METRIC);
        QCOMPARE(labels(), QStringList(3, "V1 (L)"));
        QVERIFY(!Frame().Action(ID_UNITS_IMPERIAL)->isChecked());
        m_app.ExitInstance();
        QVERIFY(m_app.InitInstance({}));
        QVERIFY(View(0)->CurrentGraph() == Graph::Delay &&
                Frame().Action(ID_GRAPH_DELAY)->isChecked());
        QVERIFY(Frame().Action(ID_UNITS_METRIC)->isChecked() && labels() == QStringList{"V1 (L)"});
        Trigger(ID_UNITS_IMPERIAL);
        QCOMPARE(labels(), QStringList{"V1 (ft3)"});
    }

    // One page named after the design.
    void printing() {
        QVERIFY(m_app.InitInstance({}));
        m_app.Printer().setOutputFormat(QPrinter::PdfFormat);
        m_app.Printer().setOutputFileName(m_dir->filePath("page.pdf"));
        QString range;
        ModalDriver<QPrintDialog> print([&range](QPrintDialog& dialog) {
            range = QString("%1-%2").arg(dialog.minPage()).arg(dialog.maxPage());
            dialog.accept();
        });
        Trigger(ID_FILE_PRINT);
        QCOMPARE(range, QString("1-1"));
        const QByteArray bytes = ReadBytes(m_dir->filePath("page.pdf"));
        QCOMPARE(bytes.count("/Type /Page\n"), 1);
        QVERIFY(bytes.contains(QByteArray("/Title (\xfe\xff\0s\0p\0k\0r\0001)", 18)));
    }
};

int main(int argc, char** argv) {
    COrvaneApp app(argc, argv);
    TestShell test(app);
    return QTest::qExec(&test, argc, argv);
}

#include "test_shell.moc"
