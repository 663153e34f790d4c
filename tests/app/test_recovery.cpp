// SPDX-License-Identifier: GPL-3.0-or-later
// The Edit menu and its keys, and autosave and recovery across programs: a
// crash (a child killed with SIGKILL), a program still running, a damaged
// autosave.
#include "app/Autosaver.h"
#include "app/CMainFrame.h"
#include "app/COrvaneApp.h"
#include "app/CRecoverDlg.h"
#include "core/design/Autosave.h"
#include "core/design/COrvaneDoc.h"
#include "core/design/DesignFile.h"
#include "view/COrvaneView.h"

#include "tests/support/DialogTestUtil.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QUndoStack>
#include <QtTest>

using namespace orvane;
using Field = COrvaneView::Field;

namespace {

// The program as the tests and the child run it, in `dir`.
bool Start(COrvaneApp& app, const QString& dir) {
    app.SetSettingsPath(dir + "/orvane.ini");
    app.SetLibraryPath((dir + "/drivers.sqlite").toStdString());
    app.SetInstanceName(QString("orvane-test-%1").arg(QCoreApplication::applicationPid()));
    app.SetRunDesktopUpdaters(false);
    app.SetViewSetup([](COrvaneView&) {});
    return app.InitInstance({});
}

// A child: one design, V1 typed and plotted; says so once it is autosaved.
int RunChild(int argc, char** argv, const QString& dir) {
    COrvaneApp app(argc, argv);
    if (!Start(app, dir))
        return 1;
    COrvaneView* view = app.Documents()->ActiveView();
    view->FieldEdit(Field::V1)->setText("2.75");
    view->OnPlot();
    QObject::connect(app.Autosaves(), &Autosaver::settled, [] {
        std::puts("autosaved");
        std::fflush(stdout);
    });
    return app.exec();
}

} // namespace

class TestRecovery : public QObject {
    Q_OBJECT
public:
    explicit TestRecovery(COrvaneApp& app) : m_app(app) {}

private:
    COrvaneApp& m_app;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString Folder() const { return m_dir->filePath("state/orvane/autosave"); }
    CMainFrame& Frame() { return *m_app.MainFrame(); }
    COrvaneView& View() { return *m_app.Documents()->ActiveView(); }

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        qputenv("XDG_STATE_HOME", m_dir->filePath("state").toUtf8());
        qputenv("XDG_DATA_HOME", m_dir->filePath("data").toUtf8());
        WriteBytes(m_dir->filePath("orvane.ini"), "[Settings]\nAutosaveSeconds=1\n");
        SetMessageHook([](const MessageRecord&) { return QMessageBox::Yes; });
    }
    void cleanup() {
        m_app.ExitInstance();
        SetMessageHook({});
    }

    // Edit sits between File and Display; its entries name the step and grey
    // out with nothing to undo. Ctrl+Z in a field with typing of its own
    // undoes the typing; then it undoes the design's step.
    void editMenuAndKeys() {
        QVERIFY(Start(m_app, m_dir->path()));
        Frame().show();
        QVERIFY(QTest::qWaitForWindowActive(&Frame()));
        QStringList titles;
        for (QMenu* menu : Frame().MenuBarMenus())
            titles << menu->title();
        QCOMPARE(titles.mid(0, 3), (QStringList{"&File", "&Edit", "&Display"}));
        QAction* undo = Frame().UndoAction();
        QVERIFY(undo->text() == "&Undo" && !undo->isEnabled());
        QCOMPARE(undo->shortcuts(),
                 (QList<QKeySequence>{QKeySequence("Ctrl+Z"), QKeySequence("Alt+Backspace")}));
        QCOMPARE(Frame().RedoAction()->shortcuts(),
                 (QList<QKeySequence>{QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")}));

        QLineEdit* v1 = View().FieldEdit(Field::V1);
        const QString shown = v1->text();
        v1->setFocus();
        v1->selectAll();
        QTest::keyClicks(v1, "2.5");
        QTest::keyClick(v1, Qt::Key_Return);
        QVERIFY(undo->text() == "&Undo Plot" && undo->isEnabled());
        QCOMPARE(Frame().windowTitle(), QString("orvane - spkr1*"));
        QUndoStack& stack = *View().UndoStack();
        for (int i = 0; i < 5 && v1->isUndoAvailable(); ++i) {
            QTest::keyClick(v1, Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(stack.index(), 1);
        }
        QCOMPARE(v1->text(), shown);
        QTest::keyClick(v1, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(stack.index() == 0 && Frame().RedoAction()->text() == "&Redo Plot");
        QCOMPARE(Frame().windowTitle(), QString("orvane - spkr1"));
        QTest::keyClick(v1, Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(stack.index() == 1 && v1->text() == "2.5");
    }

    // A program killed after an autosave leaves it; another program running
    // meanwhile does not take it; the next start recovers the typed value,
    // modified, and a clean exit leaves nothing behind.
    void crashThenRecover() {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ORVANE_RECOVERY_CHILD", m_dir->path());
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForStarted());
        QByteArray out;
        QVERIFY(QTest::qWaitFor(
            [&] { return out += child.readAllStandardOutput(), out.contains("autosaved"); },
            20000));
        QDir folder(Folder());
        const QStringList written = folder.entryList({"*.spk", "*.info"}, QDir::Files);
        QCOMPARE(written.size(), 2);
        QVERIFY(FileMode(Folder()) == 0700 && FileMode(folder.filePath(written[0])) == 0600);

        {
            ModalDriver<CRecoverDlg> none([](CRecoverDlg& dlg) { dlg.reject(); });
            QVERIFY(Start(m_app, m_dir->path()));
            QTest::qWait(50);
            QCOMPARE(none.opened, 0);
            m_app.ExitInstance();
        }
        QCOMPARE(folder.entryList({"*.spk", "*.info"}, QDir::Files), written);

        child.kill(); // SIGKILL
        QVERIFY(child.waitForFinished());
        QStringList listed;
        ModalDriver<CRecoverDlg> recover([&](CRecoverDlg& dlg) {
            for (int i = 0; i < dlg.List()->topLevelItemCount(); ++i)
                listed << dlg.List()->topLevelItem(i)->text(0) + "|" +
                              dlg.List()->topLevelItem(i)->text(1);
            Click(&dlg, "Recover");
        });
        QVERIFY(Start(m_app, m_dir->path()));
        QVERIFY(recover.opened == 1 && m_app.Documents()->Documents().size() == 1);
        QCOMPARE(listed, QStringList{"spkr1|not saved yet"});
        const COrvaneDoc& doc = View().GetDocument();
        QVERIFY(doc.Design().m_v1 == 2.75 && doc.IsModified());
        QCOMPARE(View().FieldEdit(Field::V1)->text(), QString("2.75"));
        QCOMPARE(Frame().MdiArea()->currentSubWindow()->windowTitle(), QString("spkr1*"));
        m_app.ExitInstance();
        QCOMPARE(Listing(Folder()), QStringList());
    }

    // A damaged autosave is listed as such and never stops the start; Later
    // keeps it for the next start, Discard removes it.
    void damagedAutosave() {
        QVERIFY(Autosave::MakePrivateFolder(Folder().toStdString()));
        WriteBytes(Folder() + "/1-gone.1.spk", DesignFile::Store(SpeakerDesign{}));
        WriteBytes(Folder() + "/1-gone.1.info", "Orvane autosave 1\ntitle=%zz\n");
        for (const char* button : {"Later", "Discard"}) {
            QString row;
            bool recoverable = true;
            ModalDriver<CRecoverDlg> driver([&](CRecoverDlg& dlg) {
                row = dlg.List()->topLevelItem(0)->text(0);
                recoverable = Child<QPushButton>(&dlg, "recover")->isEnabled();
                Click(&dlg, button);
            });
            QVERIFY(Start(m_app, m_dir->path()));
            QVERIFY(driver.opened == 1 && row == "1-gone.1 (damaged)" && !recoverable);
            QCOMPARE(m_app.Documents()->Documents().size(), size_t(1)); // the start went on
            m_app.ExitInstance();
        }
        QCOMPARE(Listing(Folder()), QStringList());
    }

    // The folder is the user's alone: a symbolic link in its place is refused.
    void symlinkRefused() {
        QVERIFY(QDir().mkpath(m_dir->filePath("elsewhere")));
        QVERIFY(QDir().mkpath(m_dir->filePath("state/orvane")));
        QVERIFY(QFile::link(m_dir->filePath("elsewhere"), Folder()));
        const FileResult made = Autosave::MakePrivateFolder(Folder().toStdString());
        QVERIFY(!made && made.Message().ends_with("is a symbolic link"));
    }
};

int main(int argc, char** argv) {
    if (const QByteArray dir = qgetenv("ORVANE_RECOVERY_CHILD"); !dir.isEmpty())
        return RunChild(argc, argv, QString::fromUtf8(dir));
    COrvaneApp app(argc, argv);
    TestRecovery test(app);
    return QTest::qExec(&test, argc, argv);
}

#include "test_recovery.moc"
