// SPDX-License-Identifier: GPL-3.0-or-later
// The running program: windows, documents, recent files, printing, the
// driver library's menu entry, and what it finds where.
#include "app/AppSettings.h"
#include "app/CAboutDlg.h"
#include "app/CMainFrame.h"
#include "app/COrvaneApp.h"
#include "app/CommandTexts.h"
#include "app/HelpLocation.h"
#include "app/IniFile.h"
#include "app/SingleInstance.h"
#include "core/design/COrvaneDoc.h"
#include "core/library/DriverLibrary.h"
#include "tools/CDriverLibraryDlg.h"
#include "view/COrvaneView.h"

#include "tests/support/DialogTestUtil.h"
#include "tests/support/Drivers.h"
#include "tests/support/TestFiles.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

#include <unistd.h>

using namespace orvane;

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
    QString ActiveTitle() { return Frame().MdiArea()->currentSubWindow()->windowTitle(); }
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
    int m_dialogs = 0;

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        qputenv("XDG_DATA_HOME", m_dir->filePath("data").toUtf8());
        qputenv("XDG_DATA_DIRS", m_dir->filePath("system").toUtf8());
        qputenv("XDG_STATE_HOME", m_dir->filePath("state").toUtf8());
        m_messages.clear();
        m_answer = QMessageBox::Ok;
        m_dialogAnswers.clear();
        m_dialogs = 0;
        SetMessageHook([this](const MessageRecord& record) {
            m_messages << record;
            return m_answer;
        });
        m_app.SetSettingsPath(m_dir->filePath("orvane.ini"));
        m_app.SetLibraryPath(LibraryPath().toStdString());
        m_app.SetInstanceName(QString("orvane-test-%1").arg(QCoreApplication::applicationPid()));
        m_app.SetRunDesktopUpdaters(false);
        m_app.SetFileDialog([this](DocManager::FileDialogKind, const QString&) {
            ++m_dialogs;
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

    void startAndNewNumberTheDesigns() {
        QVERIFY(m_app.InitInstance({}));
        QCOMPARE(Windows().size(), 1);
        QVERIFY(Windows()[0]->isMaximized());
        QCOMPARE(Frame().windowTitle(), QString("orvane - spkr1"));
        Trigger(ID_FILE_NEW);
        Trigger(ID_FILE_NEW);
        QStringList titles;
        for (QMdiSubWindow* window : Windows())
            titles << window->windowTitle();
        QCOMPARE(titles, QStringList({"spkr1", "spkr2", "spkr3"}));
        Trigger(ID_FILE_CLOSE); // a closed design does not give its number back
        Trigger(ID_FILE_NEW);
        QCOMPARE(ActiveTitle(), QString("spkr4"));
        QVERIFY(m_messages.isEmpty());
    }

    void startWithMissingFileShowsMessageAndNoWindow() {
        const QString missing = m_dir->filePath("gone.spk");
        QVERIFY(m_app.InitInstance({Native(missing)}));
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages[0].kind, MessageKind::Warning);
        QCOMPARE(m_messages[0].caption, QString("orvane"));
        QCOMPARE(m_messages[0].text, missing + "\nCannot find this file.\nPlease verify that the "
                                               "correct path and file name are given.");
        QVERIFY(Windows().isEmpty());
    }

    void closingLastWindowBringsBackMainMenus() {
        QVERIFY(m_app.InitInstance({}));
        const CommandId designButtons[] = {ID_FILE_SAVE,      ID_FILE_PRINT,     ID_DRIVER_PARAMS,
                                           ID_FREQ_RANGE,     ID_REDRAW,         ID_TOOLS_PORT_CALC,
                                           ID_TOOLS_BOX_CALC, ID_TOOLS_TS_PARAMS};
        for (CommandId id : designButtons)
            QVERIFY(ButtonEnabled(id));
        Windows().constFirst()->close();
        QVERIFY(Windows().isEmpty());
        QStringList menus;
        for (QMenu* menu : Frame().MenuBarMenus())
            menus << menu->title();
        QCOMPARE(menus, QStringList({"&File", "&View", "&Help"}));
        QCOMPARE(Frame().windowTitle(), QString("orvane"));
        for (CommandId id : designButtons)
            QVERIFY2(!ButtonEnabled(id), CommandTextOf(id).label);
        QVERIFY(ButtonEnabled(ID_FILE_NEW) && ButtonEnabled(ID_FILE_OPEN));
    }

    void recentListReachesIniOnlyAtExit() {
        const QString first = WriteDesign("first.spk");
        const QString second = WriteDesign("second.spk");
        QVERIFY(m_app.InitInstance({Native(first)}));
        m_dialogAnswers << second;
        Trigger(ID_FILE_OPEN);
        QCOMPARE(m_app.Settings()->RecentFiles().Files(), QStringList({second, first}));
        QCOMPARE(Frame().Action(ID_FILE_MRU_FILE1)->text(),
                 m_app.Settings()->RecentFiles().MenuText(0));
        QVERIFY(!Frame().Action(ID_FILE_MRU_FILE3)->isVisible());
        QVERIFY(!IniText().contains("first.spk"));
        m_app.ExitInstance();
        QVERIFY2(IniText().contains("[Recent File List]\nFile1=" + second + "\nFile2=" + first),
                 qPrintable(IniText()));
        // The next start reads it back into the menu.
        QVERIFY(m_app.InitInstance({}));
        QVERIFY(Frame().Action(ID_FILE_MRU_FILE2)->isVisible());
    }

    void missingRecentFileKeepsItsEntry() {
        const QString path = WriteDesign("woofer.spk");
        QVERIFY(m_app.InitInstance({Native(path)}));
        Trigger(ID_FILE_CLOSE);
        QVERIFY(QFile::remove(path));
        Trigger(ID_FILE_MRU_FILE1);
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(m_messages[0].text.startsWith(path + "\nCannot find this file."));
        QVERIFY(Windows().isEmpty());
        QCOMPARE(m_app.Settings()->RecentFiles().Files(), QStringList({path}));
    }

    // Settings that cannot be written at exit: one warning in the log, the
    // file as it was.
    void settingsNotSavedAtExitIsLogged_data() {
        QTest::addColumn<QString>("reason");
        QTest::newRow("over the size limit") << "is over the settings file's size limit";
        QTest::newRow("dangling link") << "it is a link to a missing file";
    }
    void settingsNotSavedAtExitIsLogged() {
        QFETCH(QString, reason);
        const QString ini = m_dir->filePath("orvane.ini");
        if (QByteArray(QTest::currentDataTag()) == "dangling link")
            QVERIFY(QFile::link(m_dir->filePath("gone/orvane.ini"), ini));
        else
            QVERIFY(QFile(ini).open(QIODevice::WriteOnly) &&
                    QFile::resize(ini, IniFile::kMaxFileSize + 1));
        const QFileInfo before(ini);
        QVERIFY(m_app.InitInstance({Native(WriteDesign("woofer.spk"))}));
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("^settings not saved: .*orvane\\.ini.*" +
                                                QRegularExpression::escape(reason)));
        m_app.ExitInstance();
        QCOMPARE(QFileInfo(ini).isSymLink(), before.isSymLink());
        QCOMPARE(QFileInfo(ini).size(), before.size());
        QVERIFY(!QFileInfo::exists(m_dir->filePath("gone"))); // no folder made for the link
    }

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
        QFETCH(bool, closed);
        QVERIFY(m_app.InitInstance({}));
        Trigger(ID_BOX_VENTED); // a user command that changes the record
        m_app.Documents()->ActiveView()->GetDocument().SetModified(true);
        m_answer = static_cast<QMessageBox::StandardButton>(answer);
        if (!saveAs.isEmpty())
            m_dialogAnswers << m_dir->filePath(saveAs);
        Windows().constFirst()->close();
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages[0].kind, MessageKind::Question);
        QCOMPARE(m_messages[0].text, QString("Save changes to spkr1?"));
        QCOMPARE(m_messages[0].buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(Windows().isEmpty(), closed);
        QCOMPARE(QFile::exists(m_dir->filePath("kept.spk")), !saveAs.isEmpty());
        if (!closed)
            QVERIFY(m_app.Documents()->ActiveView()->GetDocument().IsModified());
    }

    // The same file by another name of it, from the Open dialog or handed over
    // by a second start.
    void openOfOpenFileActivatesIt() {
        const QString path = WriteDesign("tweeter.spk");
        QVERIFY(m_app.InitInstance({Native(path)}));
        Trigger(ID_FILE_NEW);
        m_dialogAnswers << m_dir->path() + "/./tweeter.spk";
        Trigger(ID_FILE_OPEN);
        QCOMPARE(ActiveTitle(), QString("tweeter.spk"));
        Trigger(ID_FILE_NEW);
        emit m_app.Instance()->fileRequested(Native(path));
        QCOMPARE(ActiveTitle(), QString("tweeter.spk"));
        QCOMPARE(Windows().size(), 3);
        QVERIFY(m_messages.isEmpty());
    }

    // --- paths: a name that is no UTF-8 opens from every way in ---

    void nonUtf8NameOpens_data() {
        QTest::addColumn<QString>("way");
        QTest::newRow("command line") << "command line";
        QTest::newRow("hand-over") << "hand-over";
        QTest::newRow("drag and drop") << "drag and drop";
    }
    void nonUtf8NameOpens() {
        QFETCH(QString, way);
        const QByteArray path = Native(m_dir->path()) + "/nonutf8-\xff\xfe.spk";
        COrvaneDoc design;
        design.OnNewDocument();
        QVERIFY(design.Save(path.toStdString()));
        if (way == "command line") {
            QVERIFY(m_app.InitInstance({path}));
        } else {
            QVERIFY(m_app.InitInstance({}));
            if (way == "hand-over") {
                emit m_app.Instance()->fileRequested(path);
            } else {
                QMimeData mime;
                mime.setUrls({QUrl::fromEncoded("file://" + path.toPercentEncoding("/"))});
                QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton,
                                      Qt::NoModifier);
                QCoreApplication::sendEvent(&Frame(), &enter);
                QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton,
                                Qt::NoModifier);
                QCoreApplication::sendEvent(&Frame(), &drop);
            }
        }
        QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.value(0).text));
        QCOMPARE(m_app.Documents()->ActiveView()->GetDocument().Path(), path.toStdString());
        // Save writes the same file, not one named after a lossy copy of it.
        Trigger(ID_FILE_SAVE);
        QVERIFY(m_messages.isEmpty());
        QCOMPARE(::access(path.constData(), F_OK), 0);
        QVERIFY(!QFile::exists(
            m_dir->filePath(QString::fromUtf8(path.mid(path.lastIndexOf('/') + 1)))));
    }

    void saveAsAppendsExtension_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("bare name") << QString("woofer") << "woofer.spk";
        QTest::newRow("own extension") << QString("woofer.dat") << "woofer.dat";
    }
    void saveAsAppendsExtension() {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QVERIFY(m_app.InitInstance({}));
        m_dialogAnswers << m_dir->filePath(typed);
        Trigger(ID_FILE_SAVE); // a new design asks for a name
        QVERIFY(QFile::exists(m_dir->filePath(stored)));
        QCOMPARE(ActiveTitle(), stored);
        QCOMPARE(m_app.Settings()->RecentFiles().File(0), m_dir->filePath(stored));
        Trigger(ID_FILE_SAVE); // saved once, Save asks no more
        QCOMPARE(m_dialogs, 1);
    }

    // Labels, keys and status prompts reach the actions (the prompt's tooltip
    // part stays out of the status bar).
    void menuEntries_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("status");
        const auto row = [](CommandId id, const char* label, const char* key, const char* status) {
            QTest::newRow(label) << int(id) << QString(label) << QString(key) << QString(status);
        };
        row(ID_FILE_NEW, "&New", "Ctrl+N", "Create a new document");
        row(ID_FREQ_RANGE, "&Frequency Range", "", "Set freqency range");
        row(ID_GRAPH_EXCURSION, "Cone &Excursion", "Ctrl+4",
            "Show the peak cone excursion at the input power against Xmax");
        row(ID_DRIVER_ELECTRICAL, "&Electrical Parameters…", "",
            "Enter the driver's name, Re, Qes, Le and Pe for the analysis");
        row(ID_ANALYSIS_SETTINGS, "&Analysis Settings…", "",
            "Set the input power, the box losses and the ports of the analysis");
        row(ID_UNITS_METRIC, "Metric (litres, cm, mm)", "",
            "Show volumes in litres, lengths in centimetres and Xmax in millimetres");
    }
    // Options > Units: both windows of every design show the new unit at
    // once, the radio mark follows, and the next start comes up in it.
    void unitsChangeEveryWindowAndAreRemembered() {
        QVERIFY(m_app.InitInstance({}));
        Trigger(ID_WINDOW_NEW);
        Trigger(ID_FILE_NEW);
        const auto labels = [this] {
            QStringList texts;
            for (QMdiSubWindow* window : Windows()) {
                auto* view = qobject_cast<COrvaneView*>(window->widget());
                texts << view->Form()->FieldLabel(COrvaneView::Field::V1)->text();
            }
            return texts;
        };
        QCOMPARE(labels(), QStringList(3, "V1 (ft3)"));
        QVERIFY(Frame().Action(ID_UNITS_IMPERIAL)->isChecked());
        Trigger(ID_UNITS_METRIC);
        QCOMPARE(labels(), QStringList(3, "V1 (L)"));
        QVERIFY(Frame().Action(ID_UNITS_METRIC)->isChecked());
        QVERIFY(!Frame().Action(ID_UNITS_IMPERIAL)->isChecked());
        m_app.ExitInstance();
        QVERIFY2(IniText().contains("[Settings]\nUnits=metric\n"), qPrintable(IniText()));

        QVERIFY(m_app.InitInstance({}));
        QVERIFY(Frame().Action(ID_UNITS_METRIC)->isChecked());
        QCOMPARE(labels(), QStringList(1, "V1 (L)"));
        Trigger(ID_UNITS_IMPERIAL);
        QCOMPARE(labels(), QStringList(1, "V1 (ft3)"));
        m_app.ExitInstance();
        QVERIFY2(IniText().contains("[Settings]\nUnits=imperial\n"), qPrintable(IniText()));
    }

    void menuEntries() {
        QFETCH(int, id);
        QFETCH(QString, key);
        CMainFrame frame;
        QAction* action = frame.Action(static_cast<CommandId>(id));
        QTEST(action->text(), "label");
        QCOMPARE(action->shortcut(), QKeySequence(key));
        QTEST(action->statusTip(), "status");
    }

    // Display ▸ Graph: seven radio items, a drop-down on the toolbar, the
    // choice per window and remembered for new windows and the next start.
    void graphChoice() {
        QVERIFY(m_app.InitInstance({}));
        QMenu* display = nullptr;
        for (QMenu* menu : Frame().MenuBarMenus()) {
            if (menu->title() == "&Display")
                display = menu;
        }
        QVERIFY(display != nullptr);
        QMenu* graph = nullptr;
        for (QAction* action : display->actions()) {
            if (action->menu() != nullptr && action->text() == "&Graph")
                graph = action->menu();
        }
        QVERIFY(graph != nullptr);
        QStringList labels;
        for (QAction* action : graph->actions()) {
            labels << action->text();
            QVERIFY(action->isCheckable());
            QVERIFY(action->actionGroup() != nullptr && action->actionGroup()->isExclusive());
        }
        QCOMPARE(labels,
                 QStringList({"&Response", "&SPL at Input Power", "&Maximum SPL", "Cone &Excursion",
                              "&Port Air Velocity", "&Impedance", "Group &Delay"}));
        QVERIFY(Frame().Action(ID_GRAPH_RESPONSE)->isChecked());
        QComboBox* choice = Frame().GraphChoice();
        QCOMPARE(choice->count(), 7);
        QCOMPARE(choice->itemText(3), QString("Cone Excursion"));
        QCOMPARE(choice->currentIndex(), 0);

        auto* first = qobject_cast<COrvaneView*>(Windows()[0]->widget());
        Trigger(ID_GRAPH_EXCURSION);
        QCOMPARE(first->CurrentGraph(), Graph::Excursion);
        QCOMPARE(choice->currentIndex(), 3);
        // The drop-down runs the command too.
        choice->activated(4);
        QCOMPARE(first->CurrentGraph(), Graph::Velocity);
        QVERIFY(Frame().Action(ID_GRAPH_VELOCITY)->isChecked());

        // A new window starts with the last choice; each keeps its own.
        Trigger(ID_FILE_NEW);
        auto* second = qobject_cast<COrvaneView*>(Windows()[1]->widget());
        QCOMPARE(second->CurrentGraph(), Graph::Velocity);
        Trigger(ID_GRAPH_RESPONSE);
        QCOMPARE(second->CurrentGraph(), Graph::Response);
        QCOMPARE(first->CurrentGraph(), Graph::Velocity);
        Frame().MdiArea()->setActiveSubWindow(Windows()[0]);
        QVERIFY(Frame().Action(ID_GRAPH_VELOCITY)->isChecked());
        QCOMPARE(choice->currentIndex(), 4);
        Trigger(ID_GRAPH_DELAY);

        m_app.ExitInstance();
        QVERIFY2(IniText().contains("[Settings]\nGraph=delay\n"), qPrintable(IniText()));
        QVERIFY(m_app.InitInstance({}));
        auto* next = qobject_cast<COrvaneView*>(Windows()[0]->widget());
        QCOMPARE(next->CurrentGraph(), Graph::Delay);
        QVERIFY(Frame().Action(ID_GRAPH_DELAY)->isChecked());
    }

    // The pointer over the plot shows its read-out in the status bar; "Ready"
    // comes back when it leaves.
    void statusReadout() {
        QVERIFY(m_app.InitInstance({}));
        auto* view = qobject_cast<COrvaneView*>(Windows()[0]->widget());
        SpeakerDesign& d = view->GetDocument().Design();
        d.m_fs = 30;
        d.m_qts = 0.4;
        d.m_vas = 3;
        d.m_v1 = 1.5;
        view->OnRedraw();
        const QPoint inside(view->width() / 2, view->height() / 2);
        QTest::mouseMove(view, inside);
        QTRY_VERIFY(Frame().statusBar()->currentMessage().contains(" Hz   "));
        QCOMPARE(Frame().statusBar()->currentMessage(), view->ReadoutAt(inside));
        QTest::mouseMove(view, QPoint(inside.x(), 10));
        QTRY_COMPARE(Frame().statusBar()->currentMessage(), QString("Ready"));
    }

    void printWritesOnePage() {
        QVERIFY(m_app.InitInstance({}));
        const QString pdf = m_dir->filePath("page.pdf");
        m_app.Printer().setOutputFormat(QPrinter::PdfFormat);
        m_app.Printer().setOutputFileName(pdf);
        QString range;
        ModalDriver<QPrintDialog> print([&range](QPrintDialog& dialog) {
            range = QString("%1-%2").arg(dialog.minPage()).arg(dialog.maxPage());
            dialog.accept();
        });
        Trigger(ID_FILE_PRINT);
        QCOMPARE(range, QString("1-1"));
        const QByteArray bytes = ReadBytes(pdf);
        QCOMPARE(bytes.count("/Type /Page\n"), 1);
        // The design's title names the job, and so the file.
        QByteArray title("\xfe\xff");
        for (const char c : QByteArray("spkr1"))
            title += QByteArray(1, '\0') + c;
        QVERIFY(bytes.contains("/Title (" + title + ")"));
    }

    // A title with '&' shows it in the window list instead of underlining.
    void windowListShowsAmpersand() {
        const QString path = WriteDesign("x&y.spk");
        QVERIFY(m_app.InitInstance({Native(path)}));
        Frame().UpdateWindowMenu();
        QStringList entries;
        for (QAction* action : Frame().WindowMenu()->actions())
            entries << action->text();
        QVERIFY2(entries.contains("&1 x&&y.spk"), qPrintable(entries.join('|')));
    }

    // Open and Save As start in the folder of the file last opened or saved.
    void fileDialogsStartInLastFolder() {
        QVERIFY(QDir(m_dir->path()).mkpath("designs/old"));
        QVERIFY(QDir(m_dir->path()).mkpath("elsewhere"));
        QFile::rename(WriteDesign("woofer.spk"), m_dir->filePath("designs/old/woofer.spk"));
        QStringList proposed;
        m_app.SetFileDialog([&](DocManager::FileDialogKind, const QString& start) {
            proposed << start;
            return m_dialogAnswers.isEmpty() ? QString() : m_dialogAnswers.takeFirst();
        });
        QVERIFY(m_app.InitInstance({}));
        m_dialogAnswers << m_dir->filePath("designs/old/woofer.spk");
        Trigger(ID_FILE_OPEN);
        Trigger(ID_FILE_NEW);
        Trigger(ID_FILE_SAVE_AS); // cancelled
        Trigger(ID_FILE_OPEN);    // cancelled
        m_dialogAnswers << m_dir->filePath("elsewhere/tweeter.spk");
        Trigger(ID_FILE_SAVE_AS);
        Trigger(ID_FILE_OPEN); // cancelled
        QCOMPARE(proposed, (QStringList{QString(), m_dir->filePath("designs/old/spkr2.spk"),
                                        m_dir->filePath("designs/old"),
                                        m_dir->filePath("designs/old/spkr2.spk"),
                                        m_dir->filePath("elsewhere")}));
    }

    // Print Preview starts in the remembered mode with its toolbar showing
    // it, over most of the main window.
    void previewShowsRememberedMode_data() {
        QTest::addColumn<int>("pages");
        QTest::addColumn<QString>("checked");
        QTest::newRow("never chosen") << 0 << "singleModeAction";
        QTest::newRow("one") << 1 << "singleModeAction";
        QTest::newRow("two") << 2 << "facingModeAction";
    }
    void previewShowsRememberedMode() {
        QFETCH(int, pages);
        QVERIFY(m_app.InitInstance({}));
        Frame().resize(1000, 800);
        m_app.Settings()->SetPreviewPages(pages);
        QString checked;
        QSize size;
        ModalDriver<QPrintPreviewDialog> preview([&](QPrintPreviewDialog& dialog) {
            for (const char* name :
                 {"singleModeAction", "facingModeAction", "overviewModeAction"}) {
                if (dialog.findChild<QAction*>(name)->isChecked())
                    checked = name;
            }
            size = dialog.size();
            dialog.reject();
        });
        Trigger(ID_FILE_PRINT_PREVIEW);
        QTEST(checked, "checked");
        QVERIFY2(size.width() >= 800 && size.height() >= 640,
                 qPrintable(QString("%1x%2").arg(size.width()).arg(size.height())));
        QCOMPARE(m_app.Settings()->PreviewPages(), pages == 2 ? 2 : 1);
    }

    // Print Setup chooses the printer as well as the page, and says nothing
    // on the terminal.
    void printSetupChoosesPrinter() {
        QVERIFY(m_app.InitInstance({}));
        static QStringList warnings;
        warnings.clear();
        const QtMessageHandler previous =
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
                // The headless platform's remark on every dialog is not ours.
                if (!text.contains("propagateSizeHints"))
                    warnings << text;
            });
        QString title;
        bool printerList = false;
        ModalDriver<QDialog> setup([&](QDialog& dialog) {
            title = dialog.windowTitle();
            printerList = qobject_cast<QPrintDialog*>(&dialog) != nullptr &&
                          dialog.findChild<QComboBox*>() != nullptr;
            dialog.reject();
        });
        Trigger(ID_FILE_PRINT_SETUP);
        qInstallMessageHandler(previous);
        QCOMPARE(title, QString("Print Setup"));
        QVERIFY(printerList);
        QCOMPARE(warnings, QStringList());
    }

    // Ctrl+W closes the active design window wherever the focus is, with the
    // save prompt of a changed design.
    void closeKeyClosesActiveWindow() {
        QVERIFY(m_app.InitInstance({}));
        Frame().show();
        QVERIFY(QTest::qWaitForWindowActive(&Frame()));
        Trigger(ID_FILE_NEW);
        m_app.Documents()->ActiveView()->GetDocument().SetModified(true);
        Frame().ToolBar()->setFocus();
        m_answer = QMessageBox::No;
        QTest::keySequence(&Frame(), QKeySequence(QKeySequence::Close));
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages[0].text, QString("Save changes to spkr2?"));
        QCOMPARE(Windows().size(), 1);
        QCOMPARE(ActiveTitle(), QString("spkr1"));
        // The system menu names the key but leaves it to the main window.
        QAction* close = Windows()[0]->systemMenu()->actions().constLast();
        QVERIFY(close->shortcuts().isEmpty());
        QVERIFY(close->text().endsWith(
            '\t' + QKeySequence(QKeySequence::Close).toString(QKeySequence::NativeText)));
        Windows()[0]->widget()->setFocus();
        QTest::keySequence(&Frame(), QKeySequence(QKeySequence::Close));
        QVERIFY(Windows().isEmpty());
    }

    // Restored and cascaded design windows show the form and a plot, as far
    // as the area has room, and never less than the form.
    void designWindowSizes_data() {
        QTest::addColumn<QSize>("frame");
        QTest::newRow("roomy") << QSize(1200, 900);
        QTest::newRow("small") << QSize(700, 500);
    }
    void designWindowSizes() {
        QFETCH(QSize, frame);
        QVERIFY(m_app.InitInstance({}));
        Frame().resize(frame);
        Frame().show();
        QVERIFY(QTest::qWaitForWindowExposed(&Frame()));
        Trigger(ID_WINDOW_NEW);
        Windows()[0]->showNormal(); // restored from its first, maximised state
        Trigger(ID_WINDOW_CASCADE);
        const QRect area = Frame().MdiArea()->viewport()->rect();
        for (QMdiSubWindow* window : Windows()) {
            const QWidget* view = window->widget();
            const QString size = QString("%1x%2").arg(view->width()).arg(view->height());
            QVERIFY(view->width() >= view->minimumSizeHint().width());
            QVERIFY(view->height() >= view->minimumSizeHint().height());
            if (area.width() > 700 && area.height() > 560)
                QVERIFY2(view->width() >= 640 && view->height() >= 480, qPrintable(size));
            else
                QVERIFY2(area.contains(window->geometry()), qPrintable(size));
        }
    }

    // No lock panes where the window system cannot tell the lock states.
    void lockPanesHidden() {
        QVERIFY(m_app.InitInstance({}));
        Frame().show();
        for (QLabel* pane : Frame().LockPanes())
            QVERIFY(pane->isHidden());
    }

    // The idle text stands where the prompts do: it comes back when a prompt
    // goes, and both start in the same pixel column.
    void idleTextWherePromptsAre() {
        QVERIFY(m_app.InitInstance({}));
        Frame().show();
        QVERIFY(QTest::qWaitForWindowExposed(&Frame()));
        QStatusBar* bar = Frame().statusBar();
        const auto firstInk = [bar] {
            const QImage image = bar->grab().toImage();
            const QRgb ground = image.pixel(1, image.height() / 2);
            for (int x = 0; x < image.width(); ++x)
                for (int y = 0; y < image.height(); ++y)
                    if (qGray(image.pixel(x, y)) < qGray(ground) - 80)
                        return x;
            return -1;
        };
        const int readyAt = firstInk();
        QVERIFY(readyAt > 0);
        QStatusTipEvent prompt("Create a new document");
        QApplication::sendEvent(&Frame(), &prompt);
        QCOMPARE(bar->currentMessage(), QString("Create a new document"));
        QCOMPARE(firstInk(), readyAt);
        QStatusTipEvent gone{QString()};
        QApplication::sendEvent(&Frame(), &gone);
        QCOMPARE(bar->currentMessage(), QString("Ready"));
        QCOMPARE(firstInk(), readyAt);
    }

    // Every compiled-in image loads, the version is shown, and the manual is
    // found from the build folder.
    void resources() {
        for (const char* name :
             {"icons/orvane", "icons/design", "toolbar/new", "toolbar/open", "toolbar/save",
              "toolbar/print", "toolbar/driver", "toolbar/freqrange", "toolbar/redraw",
              "toolbar/portcalc", "toolbar/boxcalc", "toolbar/tsparams", "box/sealed", "box/vented",
              "box/bandpass4", "box/bandpass6"})
            QVERIFY2(QSvgRenderer(QString(":/%1.svg").arg(name)).isValid(), name);
        QCOMPARE(CAboutDlg().findChild<QLabel*>("versionText")->text(),
                 QString("Orvane Version 1.0"));
        QCOMPARE(HelpLocation(), QString(ORVANE_SOURCE_DIR) + "/res/help/index.html");
    }

    // Installed, the manual is found from the program's folder: /usr/bin and
    // /usr/share/doc/orvane/html, or the same below a scratch root.
    void helpInstalled() {
        const QString usr = m_dir->filePath("root/usr");
        QVERIFY(QDir().mkpath(usr + "/bin"));
        QCOMPARE(HelpLocation(usr + "/bin"), QString());
        const QString manual = usr + "/share/doc/orvane/html/index.html";
        WriteBytes(manual, QByteArray());
        QCOMPARE(HelpLocation(usr + "/bin"), QFileInfo(manual).absoluteFilePath());
        QCOMPARE(HelpLocation(usr + "/bin/"), QFileInfo(manual).absoluteFilePath());
    }

    // --- the driver library ---

    void libraryMenuEntryFollowsDriverParameters() {
        QVERIFY(m_app.InitInstance({}));
        QStringList entries;
        for (QMenu* menu : Frame().MenuBarMenus()) {
            for (QAction* action : menu->title() == "&Driver" ? menu->actions() : QList<QAction*>())
                entries << action->text();
        }
        QCOMPARE(entries,
                 (QStringList{"&Driver Parameters", "&Library…", "&Electrical Parameters…"}));
        QVERIFY(Frame().Action(ID_DRIVER_LIBRARY)->isEnabled());
        QVERIFY(!QFile::exists(LibraryPath())); // nothing is made before the library is used
    }

    // After "Use" the window's title carries the driver's name; the main
    // window's caption follows.
    void libraryUseShowsNameInTitle() {
        {
            FileResult error = FileResult::Success();
            auto library = DriverLibrary::Open(LibraryPath().toStdString(), error);
            StoreOutcome outcome{};
            QVERIFY(library->Store(Driver("SEAS", "L26RO4Y", 22, 0.39, 4.9), DuplicatePolicy::Skip,
                                   outcome));
        }
        QVERIFY(m_app.InitInstance({}));
        ModalDriver<CDriverLibraryDlg> pick([](CDriverLibraryDlg& dlg) { Click(&dlg, "Use"); });
        Trigger(ID_DRIVER_LIBRARY);
        QCOMPARE(pick.opened, 1);
        QCOMPARE(ActiveTitle(), QString("spkr1 (SEAS L26RO4Y)"));
        QCOMPARE(Frame().windowTitle(), QString("orvane - spkr1 (SEAS L26RO4Y)"));
        const COrvaneDoc& doc = m_app.Documents()->ActiveView()->GetDocument();
        QCOMPARE(doc.Design().m_fs, 22.0);
        QVERIFY(doc.IsModified());
        QVERIFY(m_messages.isEmpty());
    }

    // A damaged library is reported when used; the program goes on and the
    // file stays as it was.
    void damagedLibraryIsReported() {
        WriteBytes(LibraryPath(), "garbage that is no database");
        QVERIFY(m_app.InitInstance({}));
        ModalDriver<CDriverLibraryDlg> close([](CDriverLibraryDlg& dlg) { Click(&dlg, "Close"); });
        Trigger(ID_DRIVER_LIBRARY);
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages[0].text,
                 "The driver library " + LibraryPath() + " cannot be read: it is not a database.");
        Trigger(ID_FILE_NEW);
        QCOMPARE(ActiveTitle(), QString("spkr2"));
        QCOMPARE(ReadBytes(LibraryPath()), QByteArray("garbage that is no database"));
    }
};

int main(int argc, char** argv) {
    COrvaneApp app(argc, argv);
    TestShell test(app);
    return QTest::qExec(&test, argc, argv);
}

#include "test_shell.moc"
