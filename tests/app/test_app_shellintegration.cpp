// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop association written at start-up, under a temporary
// XDG_DATA_HOME and XDG_DATA_DIRS so the tester's own desktop is never touched.
#include "app/ShellIntegration.h"
#include "tests/support/FailingFileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace orvane;

namespace {

const QString kExe = QStringLiteral("/opt/orvane/bin/orvane");

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

} // namespace

class TestShellIntegration : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_home;
    QString MimePath() const { return m_home + "/mime/packages/orvane-spk.xml"; }
    QString DesktopPath() const { return m_home + "/applications/orvane.desktop"; }

private slots:
    void init() {
        m_tmp = std::make_unique<QTemporaryDir>();
        QVERIFY(m_tmp->isValid());
        m_home = m_tmp->filePath("home");
        qputenv("XDG_DATA_HOME", m_home.toUtf8());
        qputenv("XDG_DATA_DIRS", m_tmp->filePath("system").toUtf8());
    }

    void writesOnlyWhatDiffers() {
        ShellIntegration::Outcome out = ShellIntegration::Register(kExe, false);
        QVERIFY(out.claimsGlob && out.mimeWritten && out.desktopWritten && out.iconsWritten);
        const QByteArray xml = ReadAll(MimePath());
        QVERIFY(xml.contains("<mime-type type=\"application/x-orvane-spk\">"));
        QVERIFY(xml.contains("<glob pattern=\"*.spk\" case-sensitive=\"false\"/>"));
        QVERIFY(ReadAll(DesktopPath()).contains("\nExec=/opt/orvane/bin/orvane %f\n"));
        QVERIFY(QFile::exists(m_home + "/icons/hicolor/scalable/apps/orvane.svg"));

        out = ShellIntegration::Register(kExe, false);
        QVERIFY(!out.mimeWritten && !out.desktopWritten && !out.iconsWritten);
        // The program moved: the entry follows it.
        out = ShellIntegration::Register("/usr/bin/orvane", false);
        QVERIFY(out.desktopWritten && !out.mimeWritten);
        QVERIFY(ReadAll(DesktopPath()).contains("\nExec=/usr/bin/orvane %f\n"));
    }

    void neverTakesAGlobOfAnotherType_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("claims");
        QTest::newRow("system globs2")
            << "system/mime/globs2" << QByteArray("50:application/x-other-spk:*.spk\n") << false;
        QTest::newRow("upper case glob")
            << "system/mime/globs2" << QByteArray("50:application/x-other:*.SPK:cs\n") << false;
        QTest::newRow("old globs file")
            << "system/mime/globs" << QByteArray("application/x-other:*.spk\n") << false;
        QTest::newRow("our own earlier claim")
            << "home/mime/globs2" << QByteArray("50:application/x-orvane-spk:*.spk\n") << true;
        QTest::newRow("garbage") << "system/mime/globs2" << QByteArray("::::\n:\n\xff\n") << true;
    }
    void neverTakesAGlobOfAnotherType() {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(bool, claims);
        WriteAll(m_tmp->filePath(file), content);
        QCOMPARE(ShellIntegration::Register(kExe, false).claimsGlob, claims);
        QCOMPARE(ReadAll(MimePath()).contains("<glob "), claims);
        // The desktop entry is written either way, the other database left alone.
        QVERIFY(ReadAll(DesktopPath()).contains("MimeType=application/x-orvane-spk;"));
        QCOMPARE(ReadAll(m_tmp->filePath(file)), content);
        if (!claims)
            return;
        // A claim is given up when another type arrives.
        WriteAll(m_tmp->filePath("system/mime/globs2"), "50:application/x-newcomer:*.spk\n");
        QVERIFY(!ShellIntegration::Register(kExe, false).claimsGlob);
        QVERIFY(!ReadAll(MimePath()).contains("<glob "));
    }

    // --- atomic writes ---

    // A full disk while the entry is rewritten leaves the earlier one whole,
    // tells nobody but the log, and leaves nothing beside it.
    void failedWriteKeepsEarlierEntry() {
        QVERIFY(ShellIntegration::Register(kExe, false).desktopWritten);
        const QByteArray before = ReadAll(DesktopPath());
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("^desktop registration: cannot write .*/"
                                                "orvane\\.desktop: No space left on device$"));
        ShellIntegration::Outcome out;
        {
            FailingFileSystem failing(FailingFileSystem::Step::Flush, ENOSPC);
            out = ShellIntegration::Register("/usr/bin/orvane", false);
        }
        QVERIFY(!out.desktopWritten);
        QCOMPARE(ReadAll(DesktopPath()), before);
        QCOMPARE(QDir(m_home + "/applications").entryList(QDir::Files | QDir::Hidden),
                 QStringList{"orvane.desktop"});
    }

    void execLine() {
        const auto exec = [](const QString& exe) {
            return ShellIntegration::DesktopEntry(exe).split('\n').filter(
                QRegularExpression("^Exec="));
        };
        QCOMPARE(exec("/home/ann/My Programs/orvane"),
                 QStringList{"Exec=\"/home/ann/My Programs/orvane\" %f"});
        QCOMPARE(exec("/opt/100%/orvane"), QStringList{"Exec=/opt/100%%/orvane %f"});
        QCOMPARE(exec("/opt/$x/orvane"), QStringList{"Exec=\"/opt/\\\\$x/orvane\" %f"});
        // A path that cannot be written safely gives no entry at all.
        QVERIFY(ShellIntegration::DesktopEntry("bin/orvane").isEmpty());
        QVERIFY(ShellIntegration::DesktopEntry("/opt/a\nExec=/evil/orvane").isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestShellIntegration)
#include "test_app_shellintegration.moc"
