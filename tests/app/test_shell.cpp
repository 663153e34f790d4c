#include "app/AppSettings.h"
#include "app/CMainFrame.h"
#include "app/COrvaneApp.h"
#include "app/CommandTexts.h"
#include "app/HelpLocation.h"
#include "app/SingleInstance.h"
#include "design/COrvaneDoc.h"
#include "platform/CommandRouter.h"
#include "platform/Message.h"
#include "view/COrvaneView.h"

#include <QAction>
#include <QDesktopServices>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include <deque>

namespace {

// The bytes of a new design: what a design file written right after File New holds.
QByteArray NewDesignBytes() {
    QByteArray bytes(121, '\0');
    const char low[] = {0, 0, 0, 0, 0, 0, 0x34, 0x40};
    const char high[] = {0, 0, 0, 0, 0, 0x40, static_cast<char>(0x9F), 0x40};
    bytes.replace(32, 8, QByteArray(low, 8));
    bytes.replace(40, 8, QByteArray(high, 8));
    bytes.replace(56, 7, QByteArray("\x06Sealed", 7));
    bytes[63] = 1;
    return bytes;
}

} // namespace

class TestShell : public QObject {
    Q_OBJECT
public:
    explicit TestShell(COrvaneApp& app) : m_app(app) {}

private slots:
    void init();
    void cleanup();

    void startWithoutArgumentsShowsOneMaximisedSpkr1();
    void newCountsEveryNewOfTheRun();
    void startWithMissingFileShowsMessageAndNoWindow();
    void failedLoadLeavesNoWindow();
    void closingLastWindowBringsBackMainMenus();
    void recentListReachesIniOnlyAtExit();
    void missingRecentFileKeepsItsEntry();
    void modifiedDesignPrompts_data();
    void modifiedDesignPrompts();
    void exitAsksForEveryModifiedDesign();
    void openOfOpenFileActivatesIt();
    void saveOfNewDesignAsksForNameAndAppendsExtension_data();
    void saveOfNewDesignAsksForNameAndAppendsExtension();
    void newWindowNumbersTitles();
    void menuEntriesMatchTables_data();
    void menuEntriesMatchTables();
    void designMenuBarOrder();
    void toolbarHasTwelveSlots();
    void statusBarPanes();
    void droppedFileOpens();
    void boxAndAmplitudeMarksAsBuilt();
    void previewRemembersFacingPages();
    void printWritesOnePage();
    void handedOverFileOpens();
    void aboutAndGettingStartedRunModally();
    void helpIndexOpensTheManual();

private:
    CMainFrame& Frame() { return *m_app.MainFrame(); }
    QList<QMdiSubWindow*> Windows() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return Frame().MdiArea()->subWindowList();
    }
    QStringList MenuTitles() {
        QStringList titles;
        for (QMenu* menu : Frame().MenuBarMenus())
            titles << menu->title();
        return titles;
    }
    void Trigger(CommandId id) {
        QAction* action = Frame().Action(id);
        QVERIFY(action != nullptr);
        QVERIFY2(action->isEnabled(), qPrintable(action->text()));
        action->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QString WriteDesign(const QString& name, const QByteArray& bytes = NewDesignBytes()) {
        const QString path = m_dir->filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return {};
        file.write(bytes);
        return path;
    }
    QString IniText() {
        QFile file(m_iniPath);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll());
    }

    COrvaneApp& m_app;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_iniPath;
    QList<MessageRecord> m_messages;
    QMessageBox::StandardButton m_answer = QMessageBox::Ok;
    std::deque<QString> m_dialogAnswers;
    QList<DocManager::FileDialogKind> m_dialogKinds;
};

void TestShell::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_iniPath = m_dir->filePath("orvane.ini");
    qputenv("XDG_DATA_HOME", m_dir->filePath("data").toUtf8());
    m_messages.clear();
    m_answer = QMessageBox::Ok;
    m_dialogAnswers.clear();
    m_dialogKinds.clear();
    SetMessageHook([this](const MessageRecord& record) {
        m_messages << record;
        return m_answer;
    });
    m_app.SetSettingsPath(m_iniPath);
    m_app.SetInstanceName(QStringLiteral("orvane-test-%1").arg(QCoreApplication::applicationPid()));
    m_app.SetRunDesktopUpdaters(false);
    m_app.SetFileDialog([this](DocManager::FileDialogKind kind, const QString&) {
        m_dialogKinds << kind;
        if (m_dialogAnswers.empty())
            return QString();
        QString answer = m_dialogAnswers.front();
        m_dialogAnswers.pop_front();
        return answer;
    });
    // The first-draw check would open Driver Parameters over a new design.
    m_app.SetViewSetup([](COrvaneView&) {});
}

void TestShell::cleanup() {
    m_app.ExitInstance();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    SetMessageHook({});
}

void TestShell::startWithoutArgumentsShowsOneMaximisedSpkr1() {
    QVERIFY(m_app.InitInstance({}));
    const QList<QMdiSubWindow*> windows = Windows();
    QCOMPARE(windows.size(), 1);
    QCOMPARE(windows[0]->windowTitle(), QString("spkr1"));
    QVERIFY(windows[0]->isMaximized());
    QVERIFY(Frame().isVisible());
    QCOMPARE(Frame().windowTitle(), QString("orvane - spkr1"));
    QVERIFY(Frame().ShowsDesignMenus());
    QVERIFY(m_messages.isEmpty());
}

void TestShell::newCountsEveryNewOfTheRun() {
    QVERIFY(m_app.InitInstance({}));
    Trigger(ID_FILE_NEW);
    Trigger(ID_FILE_NEW);
    QStringList titles;
    for (QMdiSubWindow* window : Windows())
        titles << window->windowTitle();
    QCOMPARE(titles, QStringList({"spkr1", "spkr2", "spkr3"}));
    QCOMPARE(Frame().windowTitle(), QString("orvane - spkr3"));
    // A closed design does not give its number back; the key works as the entry.
    Trigger(ID_FILE_CLOSE);
    Frame().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&Frame()));
    QTest::keyClick(&Frame(), Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(Frame().MdiArea()->currentSubWindow()->windowTitle(), QString("spkr4"));
}

void TestShell::startWithMissingFileShowsMessageAndNoWindow() {
    const QString missing = m_dir->filePath("gone.spk");
    QVERIFY(m_app.InitInstance({missing}));
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].kind, MessageKind::Warning);
    QCOMPARE(m_messages[0].caption, QString("orvane"));
    QCOMPARE(m_messages[0].text,
             missing + "\nCannot find this file.\nPlease verify that the correct path and file "
                       "name are given.");
    QVERIFY(Windows().isEmpty());
    QCOMPARE(MenuTitles(), QStringList({"&File", "&View", "&Help"}));
    QCOMPARE(Frame().windowTitle(), QString("orvane"));
}

void TestShell::failedLoadLeavesNoWindow() {
    QVERIFY(m_app.InitInstance({}));
    const QString empty = WriteDesign("empty.spk", QByteArray());
    Trigger(ID_FILE_CLOSE);
    m_dialogAnswers.push_back(empty);
    Trigger(ID_FILE_OPEN);
    QCOMPARE(m_dialogKinds, QList<DocManager::FileDialogKind>({DocManager::FileDialogKind::Open}));
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].text, QString("Unexpected file format."));
    QVERIFY(Windows().isEmpty());
    QVERIFY(m_app.Settings()->RecentFiles().IsEmpty());
}

void TestShell::closingLastWindowBringsBackMainMenus() {
    QVERIFY(m_app.InitInstance({}));
    const CommandId designButtons[] = {ID_FILE_SAVE,      ID_FILE_PRINT,     ID_DRIVER_PARAMS,
                                       ID_FREQ_RANGE,     ID_REDRAW,         ID_TOOLS_PORT_CALC,
                                       ID_TOOLS_BOX_CALC, ID_TOOLS_TS_PARAMS};
    QCOMPARE(MenuTitles(), QStringList({"&File", "&Display", "&Driver", "&Box", "&Tools",
                                        "&Options", "&Window", "&Help"}));
    QVERIFY(Frame().Action(ID_FILE_SAVE)->isEnabled());
    QVERIFY(Frame().Action(ID_REDRAW)->isEnabled());

    Windows().constFirst()->close();
    QVERIFY(Windows().isEmpty());
    QCOMPARE(MenuTitles(), QStringList({"&File", "&View", "&Help"}));
    for (CommandId id : designButtons)
        QVERIFY2(!Frame().Action(id)->isEnabled(), CommandTextOf(id).label);
    QVERIFY(Frame().Action(ID_FILE_NEW)->isEnabled());
    QVERIFY(Frame().Action(ID_FILE_OPEN)->isEnabled());
    QCOMPARE(Frame().windowTitle(), QString("orvane"));
    // The greyed buttons are the toolbar's own.
    for (CommandId id : designButtons) {
        auto* button =
            qobject_cast<QToolButton*>(Frame().ToolBar()->widgetForAction(Frame().Action(id)));
        if (id == ID_FILE_SAVE || id == ID_REDRAW)
            QVERIFY(button != nullptr && !button->isEnabled());
    }
}

void TestShell::recentListReachesIniOnlyAtExit() {
    const QString first = WriteDesign("first.spk");
    const QString second = WriteDesign("second.spk");
    QVERIFY(m_app.InitInstance({first}));
    Trigger(ID_FILE_NEW);
    m_dialogAnswers.push_back(second);
    Trigger(ID_FILE_OPEN);
    QCOMPARE(Windows().size(), 3);
    QCOMPARE(m_app.Settings()->RecentFiles().Files(), QStringList({second, first}));
    QCOMPARE(Frame().Action(ID_FILE_MRU_FILE1)->text(),
             m_app.Settings()->RecentFiles().MenuText(0));
    QVERIFY(Frame().Action(ID_FILE_MRU_FILE2)->isVisible());
    QVERIFY(!Frame().Action(ID_FILE_MRU_FILE3)->isVisible());
    QVERIFY(!IniText().contains("first.spk"));

    m_app.ExitInstance();
    const QString ini = IniText();
    QVERIFY2(ini.contains("[Recent File List]"), qPrintable(ini));
    QVERIFY2(ini.contains("File1=" + second), qPrintable(ini));
    QVERIFY2(ini.contains("File2=" + first), qPrintable(ini));

    // The next start reads it back into the menu.
    QVERIFY(m_app.InitInstance({}));
    QCOMPARE(m_app.Settings()->RecentFiles().Files(), QStringList({second, first}));
    QVERIFY(Frame().Action(ID_FILE_MRU_FILE2)->isVisible());
}

void TestShell::missingRecentFileKeepsItsEntry() {
    const QString path = WriteDesign("woofer.spk");
    QVERIFY(m_app.InitInstance({path}));
    Trigger(ID_FILE_CLOSE);
    QVERIFY(QFile::remove(path));
    Trigger(ID_FILE_MRU_FILE1);
    QCOMPARE(m_messages.size(), 1);
    QVERIFY(m_messages[0].text.startsWith(path + "\nCannot find this file."));
    QVERIFY(Windows().isEmpty());
    QCOMPARE(m_app.Settings()->RecentFiles().Files(), QStringList({path}));
    QVERIFY(Frame().Action(ID_FILE_MRU_FILE1)->isVisible());
}

void TestShell::modifiedDesignPrompts_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("saveAs"); // the Save As dialog's answer
    QTest::addColumn<bool>("closed");
    QTest::addColumn<bool>("saved");
    QTest::newRow("cancel keeps it open") << int(QMessageBox::Cancel) << "" << false << false;
    QTest::newRow("no closes without saving") << int(QMessageBox::No) << "" << true << false;
    QTest::newRow("yes saves, then closes") << int(QMessageBox::Yes) << "kept.spk" << true << true;
    QTest::newRow("yes, save cancelled keeps it") << int(QMessageBox::Yes) << "" << false << false;
}

void TestShell::modifiedDesignPrompts() {
    QFETCH(int, answer);
    QFETCH(QString, saveAs);
    QFETCH(bool, closed);
    QFETCH(bool, saved);
    QVERIFY(m_app.InitInstance({}));
    // An unmodified design closes without a word.
    Trigger(ID_FILE_NEW);
    Trigger(ID_FILE_CLOSE);
    QVERIFY(m_messages.isEmpty());

    COrvaneView* view = m_app.Documents()->ActiveView();
    QVERIFY(view != nullptr);
    Trigger(ID_BOX_VENTED); // a user command that changes the record
    view->GetDocument().SetModified(true);
    m_answer = static_cast<QMessageBox::StandardButton>(answer);
    if (!saveAs.isEmpty())
        m_dialogAnswers.push_back(m_dir->filePath(saveAs));
    Windows().constFirst()->close();

    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].kind, MessageKind::Question);
    QCOMPARE(m_messages[0].text, QString("Save changes to spkr1?"));
    QCOMPARE(m_messages[0].buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QCOMPARE(Windows().isEmpty(), closed);
    QCOMPARE(QFile::exists(m_dir->filePath("kept.spk")), saved);
    if (!closed)
        QVERIFY(m_app.Documents()->ActiveView()->GetDocument().IsModified());
}

void TestShell::exitAsksForEveryModifiedDesign() {
    QVERIFY(m_app.InitInstance({}));
    Trigger(ID_FILE_NEW);
    for (COrvaneDoc* doc : m_app.Documents()->Documents())
        doc->SetModified(true);
    m_answer = QMessageBox::Cancel;
    Trigger(ID_APP_EXIT);
    QCOMPARE(m_messages.size(), 1); // Cancel stops at the first
    QVERIFY(Frame().isVisible());
    QCOMPARE(Windows().size(), 2);

    m_messages.clear();
    m_answer = QMessageBox::No;
    Trigger(ID_APP_EXIT);
    QCOMPARE(m_messages.size(), 2);
    QCOMPARE(m_messages[0].text, QString("Save changes to spkr1?"));
    QCOMPARE(m_messages[1].text, QString("Save changes to spkr2?"));
    QVERIFY(!Frame().isVisible());
    QVERIFY(Windows().isEmpty());
}

void TestShell::openOfOpenFileActivatesIt() {
    const QString path = WriteDesign("tweeter.spk");
    QVERIFY(m_app.InitInstance({path}));
    Trigger(ID_FILE_NEW);
    QCOMPARE(Frame().MdiArea()->currentSubWindow()->windowTitle(), QString("spkr1"));
    // The same file by another name of it.
    m_dialogAnswers.push_back(m_dir->path() + "/./tweeter.spk");
    Trigger(ID_FILE_OPEN);
    QCOMPARE(Windows().size(), 2);
    QCOMPARE(Frame().MdiArea()->currentSubWindow()->windowTitle(), QString("tweeter.spk"));
    QCOMPARE(Frame().windowTitle(), QString("orvane - tweeter.spk"));
    QVERIFY(m_messages.isEmpty());
}

void TestShell::saveOfNewDesignAsksForNameAndAppendsExtension_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("bare name") << "woofer"
                               << "woofer.spk";
    QTest::newRow("own extension") << "woofer.dat"
                                   << "woofer.dat";
    QTest::newRow("upper case") << "WOOFER.SPK"
                                << "WOOFER.SPK";
}

void TestShell::saveOfNewDesignAsksForNameAndAppendsExtension() {
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QVERIFY(m_app.InitInstance({}));
    m_dialogAnswers.push_back(m_dir->filePath(typed));
    Trigger(ID_FILE_SAVE);
    QCOMPARE(m_dialogKinds,
             QList<DocManager::FileDialogKind>({DocManager::FileDialogKind::SaveAs}));
    QVERIFY(m_messages.isEmpty());
    QVERIFY(QFile::exists(m_dir->filePath(stored)));
    QCOMPARE(Windows().constFirst()->windowTitle(), stored);
    QCOMPARE(Frame().windowTitle(), "orvane - " + stored);
    QCOMPARE(m_app.Settings()->RecentFiles().File(0), m_dir->filePath(stored));
    // Saved once, Save asks no more.
    Trigger(ID_FILE_SAVE);
    QCOMPARE(m_dialogKinds.size(), 1);
}

void TestShell::newWindowNumbersTitles() {
    QVERIFY(m_app.InitInstance({}));
    Trigger(ID_WINDOW_NEW);
    QList<QMdiSubWindow*> windows = Windows();
    QCOMPARE(windows.size(), 2);
    QCOMPARE(windows[0]->windowTitle(), QString("spkr1:1"));
    QCOMPARE(windows[1]->windowTitle(), QString("spkr1:2"));
    QCOMPARE(Frame().windowTitle(), QString("orvane - spkr1:2"));
    auto* first = qobject_cast<COrvaneView*>(windows[0]->widget());
    auto* second = qobject_cast<COrvaneView*>(windows[1]->widget());
    QCOMPARE(&first->GetDocument(), &second->GetDocument());
    // The window list at the end of the Window menu.
    Frame().UpdateWindowMenu();
    QStringList entries;
    for (QAction* action : Frame().WindowMenu()->actions())
        entries << action->text();
    QCOMPARE(entries, QStringList({"&New Window", "&Cascade", "&Tile", "&Arrange Icons", "",
                                   "&1 spkr1:1", "&2 spkr1:2"}));

    // Closing one of two windows of a modified design asks nothing.
    first->GetDocument().SetModified(true);
    windows[1]->close();
    QCOMPARE(Windows().size(), 1);
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(Windows().constFirst()->windowTitle(), QString("spkr1"));
}

void TestShell::menuEntriesMatchTables_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("tooltip");
    QTest::newRow("new") << int(ID_FILE_NEW) << "&New"
                         << "Ctrl+N"
                         << "Create a new document"
                         << "New";
    QTest::newRow("save") << int(ID_FILE_SAVE) << "&Save"
                          << "Ctrl+S"
                          << "Save the active document"
                          << "Save";
    QTest::newRow("print") << int(ID_FILE_PRINT) << "&Print..."
                           << "Ctrl+P"
                           << "Print the active document"
                           << "Print";
    QTest::newRow("exit") << int(ID_APP_EXIT) << "E&xit"
                          << ""
                          << "Quit the application; prompts to save documents"
                          << "Exit";
    QTest::newRow("toolbar") << int(ID_VIEW_TOOLBAR) << "&Toolbar"
                             << ""
                             << "Show or hide the toolbar"
                             << "Toggle ToolBar";
    QTest::newRow("frequency") << int(ID_FREQ_RANGE) << "&Frequency Range"
                               << ""
                               << "Set freqency range"
                               << "Frequency Range";
    QTest::newRow("bandpass4")
        << int(ID_BOX_BANDPASS4) << "&4th order Bandpass"
        << ""
        << "Use a 4th order bandpass enclosure i.e. sealed back chamber, vented front chamber"
        << "";
    QTest::newRow("ts") << int(ID_TOOLS_TS_PARAMS) << "Calculate &T/S Parameters"
                        << ""
                        << "Derive Fs, Qts, and Vas from measured driver properties"
                        << "Calculate T/S Parameters";
    QTest::newRow("tile") << int(ID_WINDOW_TILE_HORZ) << "&Tile"
                          << ""
                          << "Arrange windows as non-overlapping tiles"
                          << "Tile Windows";
    QTest::newRow("about") << int(ID_APP_ABOUT) << "&About orvane..."
                           << ""
                           << "Display program information, version number and copyright"
                           << "About";
}

void TestShell::menuEntriesMatchTables() {
    QFETCH(int, id);
    QFETCH(QString, label);
    QFETCH(QString, key);
    QFETCH(QString, status);
    QFETCH(QString, tooltip);
    CMainFrame frame;
    QAction* action = frame.Action(static_cast<CommandId>(id));
    QCOMPARE(action->text(), label);
    QCOMPARE(action->shortcut(), QKeySequence(key));
    QCOMPARE(action->statusTip(), status);
    if (!tooltip.isEmpty())
        QCOMPARE(action->toolTip(), tooltip);
}

void TestShell::designMenuBarOrder() {
    QVERIFY(m_app.InitInstance({}));
    auto texts = [](QMenu* menu) {
        QStringList list;
        for (QAction* action : menu->actions()) {
            if (action->isVisible())
                list << (action->isSeparator() ? QString("-") : action->text());
        }
        return list;
    };
    const QList<QMenu*> menus = Frame().MenuBarMenus();
    QCOMPARE(texts(menus[0]),
             QStringList({"&New", "&Open...", "&Close", "&Save", "Save &As...", "-", "&Print...",
                          "Print Pre&view", "P&rint Setup...", "-", "Recent File", "-", "E&xit"}));
    QCOMPARE(texts(menus[1]), QStringList({"&Toolbar", "&Status Bar", "&Redraw"}));
    QCOMPARE(texts(menus[5]), QStringList({"&Frequency Range", "&Amplitude (dB/div)"}));
    QCOMPARE(texts(menus[7]),
             QStringList({"&Help Index", "&Getting Started", "-", "&About orvane..."}));
    // No undo, clipboard or pane commands anywhere.
    for (QAction* action : Frame().actions()) {
        for (const char* key : {"Ctrl+Z", "Ctrl+X", "Ctrl+C", "Ctrl+V", "F6", "Shift+F6"})
            QVERIFY(action->shortcut() != QKeySequence(key));
    }
    Trigger(ID_FILE_CLOSE);
    QCOMPARE(texts(Frame().MenuBarMenus()[0]),
             QStringList(
                 {"&New", "&Open...", "-", "P&rint Setup...", "-", "Recent File", "-", "E&xit"}));
}

void TestShell::toolbarHasTwelveSlots() {
    CMainFrame frame;
    QToolBar* bar = frame.ToolBar();
    QStringList entries;
    for (QAction* action : bar->actions())
        entries << (action->isSeparator() ? QString("|") : action->toolTip());
    QCOMPARE(entries, QStringList({"New", "Open", "Save", "Print", "|", "Driver Parameters",
                                   "Frequency Range", "Redraw", "|", "Port Calculator",
                                   "Box Calculator", "Calculate T/S Parameters"}));
    QVERIFY(bar->isMovable());
    QVERIFY(bar->isFloatable());
    QCOMPARE(bar->allowedAreas(), Qt::AllToolBarAreas);
    QCOMPARE(frame.toolBarArea(bar), Qt::TopToolBarArea);

    // The Toolbar entry hides and shows the bar and carries the mark.
    frame.show();
    QAction* toggle = frame.Action(ID_VIEW_TOOLBAR);
    QVERIFY(toggle->isChecked());
    toggle->trigger();
    QVERIFY(bar->isHidden());
    QVERIFY(!toggle->isChecked());
    toggle->trigger();
    QVERIFY(!bar->isHidden());
    QVERIFY(toggle->isChecked());
}

void TestShell::statusBarPanes() {
    CMainFrame frame;
    frame.show();
    QCOMPARE(frame.MessagePane()->text(), QString("Ready"));
    QStringList names;
    for (QLabel* pane : frame.LockPanes()) {
        names << pane->objectName();
        // The offscreen platform reports no lock state: the panes stay empty.
        QCOMPARE(pane->text(), QString());
    }
    QCOMPARE(names, QStringList({"CAP", "NUM", "SCRL"}));
    // A prompt replaces the idle text while it is up.
    frame.statusBar()->showMessage("Create a new document");
    QVERIFY(!frame.MessagePane()->isVisible());
    frame.statusBar()->clearMessage();
    QVERIFY(frame.MessagePane()->isVisible());
}

void TestShell::droppedFileOpens() {
    const QString path = WriteDesign("dropped.spk");
    QVERIFY(m_app.InitInstance({}));
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    QWidget* target = Frame().MdiArea()->viewport();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    QCOMPARE(Windows().size(), 2);
    QCOMPARE(Frame().MdiArea()->currentSubWindow()->windowTitle(), QString("dropped.spk"));
}

void TestShell::boxAndAmplitudeMarksAsBuilt() {
    CMainFrame frame;
    const ViewMarks& marks = frame.Marks();
    QVERIFY(marks.box[0]->isChecked());
    for (int i = 1; i < 4; ++i)
        QVERIFY(!marks.box[i]->isChecked());
    QVERIFY(marks.amplitude[0]->isChecked());
    QCOMPARE(marks.amplitude[3]->text(), QString("10"));
    QCOMPARE(marks.box[2], frame.Action(ID_BOX_BANDPASS4));
}

void TestShell::previewRemembersFacingPages() {
    QVERIFY(m_app.InitInstance({}));
    QCOMPARE(m_app.Settings()->PreviewPages(), 0);
    bool seen = false;
    QTimer::singleShot(0, this, [&seen] {
        auto* dialog = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr)
            return;
        seen = true;
        if (auto* widget = dialog->findChild<QPrintPreviewWidget*>())
            widget->setViewMode(QPrintPreviewWidget::FacingPagesView);
        dialog->reject();
    });
    Trigger(ID_FILE_PRINT_PREVIEW);
    QVERIFY(seen);
    QCOMPARE(m_app.Settings()->PreviewPages(), 2);
    m_app.ExitInstance();
    QVERIFY2(IniText().contains("[Settings]\nPreviewPages=2"), qPrintable(IniText()));
}

void TestShell::printWritesOnePage() {
    QVERIFY(m_app.InitInstance({}));
    const QString pdf = m_dir->filePath("page.pdf");
    m_app.Printer().setOutputFormat(QPrinter::PdfFormat);
    m_app.Printer().setOutputFileName(pdf);
    QString range;
    QTimer::singleShot(0, this, [&range] {
        auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr)
            return;
        range = QStringLiteral("%1-%2").arg(dialog->minPage()).arg(dialog->maxPage());
        dialog->accept();
    });
    Trigger(ID_FILE_PRINT);
    QCOMPARE(range, QString("1-1"));
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("%PDF"));
    QCOMPARE(bytes.count("/Type /Page\n"), 1);

    // Print Setup works on the same printer.
    bool setupSeen = false;
    QTimer::singleShot(0, this, [&setupSeen] {
        if (auto* dialog = qobject_cast<QPageSetupDialog*>(QApplication::activeModalWidget())) {
            setupSeen = dialog->printer() != nullptr;
            dialog->reject();
        }
    });
    Trigger(ID_FILE_PRINT_SETUP);
    QVERIFY(setupSeen);
}

void TestShell::handedOverFileOpens() {
    const QString path = WriteDesign("handed.spk");
    QVERIFY(m_app.InitInstance({}));
    QVERIFY(m_app.Instance() != nullptr);
    QVERIFY(m_app.Instance()->IsListening());
    emit m_app.Instance()->fileRequested(path);
    QCOMPARE(Windows().size(), 2);
    QCOMPARE(Frame().MdiArea()->currentSubWindow()->windowTitle(), QString("handed.spk"));
}

void TestShell::aboutAndGettingStartedRunModally() {
    QVERIFY(m_app.InitInstance({}));
    QStringList titles;
    auto closeNextDialog = [this, &titles] {
        QTimer::singleShot(0, this, [&titles] {
            if (QWidget* dialog = QApplication::activeModalWidget()) {
                titles << dialog->windowTitle();
                dialog->close();
            }
        });
    };
    closeNextDialog();
    Trigger(ID_APP_ABOUT);
    closeNextDialog();
    Trigger(ID_HELP_GETTING_STARTED);
    QCOMPARE(titles, QStringList({"About orvane", "Getting Started"}));
    // Getting Started belongs to the design windows' Help menu only.
    Trigger(ID_FILE_CLOSE);
    QVERIFY(!Frame().Action(ID_HELP_GETTING_STARTED)->isEnabled());
    QVERIFY(Frame().Action(ID_APP_ABOUT)->isEnabled());
}

// Receives what the program asks the desktop to open.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

void TestShell::helpIndexOpensTheManual() {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "open");
    QVERIFY(m_app.InitInstance({}));
    Trigger(ID_HELP_INDEX);
    QDesktopServices::unsetUrlHandler("file");
    const QString manual = HelpLocation();
    if (manual.isEmpty()) {
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages[0].text, QString("Failed to launch help."));
    } else {
        QVERIFY(m_messages.isEmpty());
        QCOMPARE(catcher.urls, QList<QUrl>({QUrl::fromLocalFile(manual)}));
    }
}

int main(int argc, char** argv) {
    COrvaneApp app(argc, argv);
    TestShell test(app);
    return QTest::qExec(&test, argc, argv);
}

#include "test_shell.moc"
