// SPDX-License-Identifier: GPL-3.0-or-later
// The driver library in the running program: the menu entry, the name in the
// design window's title, and a library that cannot be read.
#include "app/CMainFrame.h"
#include "app/COrvaneApp.h"
#include "core/design/COrvaneDoc.h"
#include "core/library/DriverLibrary.h"
#include "tools/CDriverLibraryDlg.h"
#include "view/COrvaneView.h"

#include "tests/support/DialogTestUtil.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

using namespace orvane;

class TestAppLibrary : public QObject {
    Q_OBJECT
public:
    explicit TestAppLibrary(COrvaneApp& app) : m_app(app) {}

private:
    CMainFrame& Frame() { return *m_app.MainFrame(); }
    QString ActiveTitle() { return Frame().MdiArea()->currentSubWindow()->windowTitle(); }
    QString LibraryPath() { return m_dir->filePath("drivers.sqlite"); }

    COrvaneApp& m_app;
    std::unique_ptr<QTemporaryDir> m_dir;
    QStringList m_messages;

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_messages.clear();
        SetMessageHook([this](const MessageRecord& record) {
            m_messages << record.text;
            return QMessageBox::Ok;
        });
        m_app.SetSettingsPath(m_dir->filePath("orvane.ini"));
        m_app.SetLibraryPath(LibraryPath().toStdString());
        m_app.SetInstanceName(
            QString("orvane-library-test-%1").arg(QCoreApplication::applicationPid()));
        m_app.SetRunDesktopUpdaters(false);
        m_app.SetViewSetup([](COrvaneView&) {});
        qputenv("XDG_DATA_HOME", m_dir->filePath("data").toUtf8());
    }
    void cleanup() {
        m_app.ExitInstance();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SetMessageHook({});
    }

    void menuEntryFollowsDriverParameters() {
        QVERIFY(m_app.InitInstance({}));
        QMenu* driver = nullptr;
        for (QMenu* menu : Frame().MenuBarMenus()) {
            if (menu->title() == "&Driver")
                driver = menu;
        }
        QVERIFY(driver);
        QStringList entries;
        for (QAction* action : driver->actions())
            entries << action->text();
        QCOMPARE(entries,
                 (QStringList{"&Driver Parameters", "&Library…", "&Electrical Parameters…"}));
        QVERIFY(Frame().Action(ID_DRIVER_LIBRARY)->isEnabled());
        // Nothing is created before the library is used.
        QVERIFY(!QFile::exists(LibraryPath()));
    }

    // After "Use" the window's title carries the driver's name; the main
    // window's caption follows.
    void useShowsNameInTitle() {
        {
            FileResult error = FileResult::Success();
            auto library = DriverLibrary::Open(LibraryPath().toStdString(), error);
            DriverEntry seas;
            seas.maker = "SEAS";
            seas.model = "L26RO4Y";
            seas.fs = 22;
            seas.qts = 0.39;
            seas.vas = 4.9;
            StoreOutcome outcome{};
            QVERIFY(library->Store(seas, DuplicatePolicy::Skip, outcome));
        }
        QVERIFY(m_app.InitInstance({}));
        QCOMPARE(ActiveTitle(), QString("spkr1"));
        ModalDriver<CDriverLibraryDlg> pick([](CDriverLibraryDlg& dlg) { Click(&dlg, "Use"); });
        Frame().Action(ID_DRIVER_LIBRARY)->trigger();
        QCOMPARE(pick.opened, 1);
        QCOMPARE(ActiveTitle(), QString("spkr1 (SEAS L26RO4Y)"));
        QCOMPARE(Frame().windowTitle(), QString("orvane - spkr1 (SEAS L26RO4Y)"));
        COrvaneView* view = m_app.Documents()->ActiveView();
        QCOMPARE(view->GetDocument().Design().m_fs, 22.0);
        QVERIFY(view->GetDocument().IsModified());
        QVERIFY(m_messages.isEmpty());
    }

    // A damaged library is reported when used; the program goes on and the
    // file stays as it was.
    void damagedLibraryIsReported() {
        QFile file(LibraryPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("garbage that is no database");
        file.close();
        QVERIFY(m_app.InitInstance({}));
        QVERIFY(m_messages.isEmpty());
        ModalDriver<CDriverLibraryDlg> close([](CDriverLibraryDlg& dlg) { Click(&dlg, "Close"); });
        Frame().Action(ID_DRIVER_LIBRARY)->trigger();
        QCOMPARE(m_messages, QStringList{"The driver library " + LibraryPath() +
                                         " cannot be read: it is not a database."});
        QCOMPARE(ActiveTitle(), QString("spkr1"));
        Frame().Action(ID_FILE_NEW)->trigger();
        QCOMPARE(ActiveTitle(), QString("spkr2"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("garbage that is no database"));
    }
};

int main(int argc, char** argv) {
    COrvaneApp app(argc, argv);
    TestAppLibrary test(app);
    return QTest::qExec(&test, argc, argv);
}

#include "test_app_library.moc"
