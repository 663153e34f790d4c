// The desktop association written at start-up, under a temporary
// XDG_DATA_HOME and XDG_DATA_DIRS so the tester's own desktop is never touched.
#include "app/ShellIntegration.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

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
private slots:
    void init() {
        m_tmp = std::make_unique<QTemporaryDir>();
        QVERIFY(m_tmp->isValid());
        m_home = m_tmp->filePath("home");
        m_system = m_tmp->filePath("system");
        qputenv("XDG_DATA_HOME", m_home.toUtf8());
        qputenv("XDG_DATA_DIRS", m_system.toUtf8());
    }

    void writesWhenAbsent() {
        const ShellIntegration::Outcome out = ShellIntegration::Register(kExe, false);
        QVERIFY(out.claimsGlob);
        QVERIFY(out.mimeWritten);
        QVERIFY(out.desktopWritten);
        QVERIFY(out.iconsWritten);
        const QByteArray xml = ReadAll(MimePath());
        QVERIFY(xml.contains("<mime-type type=\"application/x-orvane-spk\">"));
        QVERIFY(xml.contains("<comment>spkr Document</comment>"));
        QVERIFY(xml.contains("<glob pattern=\"*.spk\" case-sensitive=\"false\"/>"));
        const QByteArray entry = ReadAll(DesktopPath());
        QVERIFY(entry.contains("\nExec=/opt/orvane/bin/orvane %f\n"));
        QVERIFY(entry.contains("\nMimeType=application/x-orvane-spk;\n"));
        QVERIFY(QFile::exists(m_home + "/icons/hicolor/scalable/apps/orvane.svg"));
        QVERIFY(QFile::exists(m_home +
                              "/icons/hicolor/scalable/mimetypes/application-x-orvane-spk.svg"));
    }

    void leavesUnchangedFilesAlone() {
        ShellIntegration::Register(kExe, false);
        const QDateTime mimeTime = QFileInfo(MimePath()).lastModified();
        const QDateTime desktopTime = QFileInfo(DesktopPath()).lastModified();
        QTest::qWait(20);
        const ShellIntegration::Outcome out = ShellIntegration::Register(kExe, false);
        QVERIFY(!out.mimeWritten);
        QVERIFY(!out.desktopWritten);
        QVERIFY(!out.iconsWritten);
        QCOMPARE(QFileInfo(MimePath()).lastModified(), mimeTime);
        QCOMPARE(QFileInfo(DesktopPath()).lastModified(), desktopTime);
    }

    void rewritesWhatDiffers() {
        ShellIntegration::Register(kExe, false);
        WriteAll(DesktopPath(), "[Desktop Entry]\nExec=/somewhere/else %f\n");
        ShellIntegration::Outcome out = ShellIntegration::Register(kExe, false);
        QVERIFY(out.desktopWritten);
        QVERIFY(!out.mimeWritten);
        QVERIFY(ReadAll(DesktopPath()).contains("\nExec=/opt/orvane/bin/orvane %f\n"));
        // The program moved: the entry follows it.
        out = ShellIntegration::Register("/usr/bin/orvane", false);
        QVERIFY(out.desktopWritten);
        QVERIFY(ReadAll(DesktopPath()).contains("\nExec=/usr/bin/orvane %f\n"));
    }

    void neverTakesAGlobOfAnotherType_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("claims");
        const QByteArray header = "# This file was automatically generated\n";
        QTest::newRow("system globs2")
            << "system/mime/globs2" << header + "50:application/x-other-spk:*.spk\n"
            << false;
        QTest::newRow("upper case glob")
            << "system/mime/globs2" << header + "50:application/x-other:*.SPK:cs\n"
            << false;
        QTest::newRow("user globs2") << "home/mime/globs2" << header + "50:audio/x-spk:*.spk\n"
                                     << false;
        QTest::newRow("old globs file")
            << "system/mime/globs" << header + "application/x-other:*.spk\n"
            << false;
        QTest::newRow("our own earlier claim")
            << "home/mime/globs2" << header + "50:application/x-orvane-spk:*.spk\n"
            << true;
        QTest::newRow("other globs only")
            << "system/mime/globs2" << header + "50:text/html:*.html\n50:x/y:*.spkx\n"
            << true;
        QTest::newRow("garbage") << "system/mime/globs2" << QByteArray("::::\n:\n\xff\n") << true;
    }
    void neverTakesAGlobOfAnotherType() {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(bool, claims);
        WriteAll(m_tmp->filePath(file), content);
        QCOMPARE(ShellIntegration::GlobClaimedByOtherType(), !claims);
        const ShellIntegration::Outcome out = ShellIntegration::Register(kExe, false);
        QCOMPARE(out.claimsGlob, claims);
        const QByteArray xml = ReadAll(MimePath());
        QVERIFY(xml.contains("<comment>spkr Document</comment>"));
        QCOMPARE(xml.contains("<glob "), claims);
        // The desktop entry is written either way.
        QVERIFY(ReadAll(DesktopPath()).contains("MimeType=application/x-orvane-spk;"));
        // The other type's database is left as it was.
        QCOMPARE(ReadAll(m_tmp->filePath(file)), content);
    }

    void givesUpAClaimWhenAnotherTypeArrives() {
        QVERIFY(ShellIntegration::Register(kExe, false).claimsGlob);
        WriteAll(m_system + "/mime/globs2", "50:application/x-newcomer:*.spk\n");
        const ShellIntegration::Outcome out = ShellIntegration::Register(kExe, false);
        QVERIFY(!out.claimsGlob);
        QVERIFY(out.mimeWritten);
        QVERIFY(!ReadAll(MimePath()).contains("<glob "));
    }

    void execLine_data() {
        QTest::addColumn<QString>("exe");
        QTest::addColumn<QString>("exec");
        QTest::newRow("plain") << "/usr/bin/orvane"
                               << "Exec=/usr/bin/orvane %f";
        QTest::newRow("blank") << "/home/ann/My Programs/orvane"
                               << "Exec=\"/home/ann/My Programs/orvane\" %f";
        QTest::newRow("percent") << "/opt/100%/orvane"
                                 << "Exec=/opt/100%%/orvane %f";
        QTest::newRow("dollar") << "/opt/$x/orvane"
                                << "Exec=\"/opt/\\\\$x/orvane\" %f";
        QTest::newRow("quote") << "/opt/a\"b/orvane"
                               << "Exec=\"/opt/a\\\\\"b/orvane\" %f";
        QTest::newRow("backslash") << "/opt/a\\b/orvane"
                                   << "Exec=\"/opt/a\\\\\\\\b/orvane\" %f";
        QTest::newRow("relative") << "bin/orvane"
                                  << "";
        QTest::newRow("line break") << "/opt/a\nExec=/evil/orvane"
                                    << "";
    }
    void execLine() {
        QFETCH(QString, exe);
        QFETCH(QString, exec);
        const QString entry = ShellIntegration::DesktopEntry(exe);
        if (exec.isEmpty()) {
            QVERIFY(entry.isEmpty());
            return;
        }
        const QStringList execLines = entry.split('\n').filter(QRegularExpression("^Exec="));
        QCOMPARE(execLines, QStringList{exec});
    }

    void writtenEntryIsValid() {
        const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
        if (validator.isEmpty())
            QSKIP("desktop-file-validate is not installed");
        ShellIntegration::Register("/home/ann/My Programs/orvane", false);
        QProcess p;
        p.start(validator, {DesktopPath(), QString(ORVANE_SOURCE_DIR) + "/res/orvane.desktop"});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.readAllStandardOutput() + p.readAllStandardError(), QByteArray());
        QCOMPARE(p.exitCode(), 0);
    }

    void writtenTypeIsUnderstoodByTheMimeDatabaseTool() {
        const QString tool = QStandardPaths::findExecutable("update-mime-database");
        if (tool.isEmpty())
            QSKIP("update-mime-database is not installed");
        ShellIntegration::Register(kExe, false);
        QProcess p;
        p.start(tool, {m_home + "/mime"});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(ReadAll(m_home + "/mime/globs2").contains(":application/x-orvane-spk:*.spk"));
        // Our own claim, now in the database, does not count as another type's.
        QVERIFY(!ShellIntegration::GlobClaimedByOtherType());
        QVERIFY(!ShellIntegration::Register(kExe, false).mimeWritten);
    }

    void installedFilesMatchWhatTheProgramWrites() {
        const QString res = QString(ORVANE_SOURCE_DIR) + "/res/";
        QCOMPARE(ShellIntegration::MimeTypeXml(true).toUtf8(), ReadAll(res + "orvane-spk.xml"));
        const QStringList installed =
            QString::fromUtf8(ReadAll(res + "orvane.desktop")).split('\n');
        const QStringList written = ShellIntegration::DesktopEntry(kExe).split('\n');
        QCOMPARE(written.size(), installed.size());
        for (int i = 0; i < written.size(); ++i) {
            if (installed[i].startsWith("Exec="))
                QCOMPARE(installed[i], QString("Exec=orvane %f"));
            else
                QCOMPARE(written[i], installed[i]);
        }
    }

    void dataFoldersFromTheEnvironment() {
        qputenv("XDG_DATA_DIRS", "/a/share/:relative/share::/b/share");
        QCOMPARE(ShellIntegration::DataDirs(), (QStringList{"/a/share", "/b/share"}));
        qunsetenv("XDG_DATA_DIRS");
        QCOMPARE(ShellIntegration::DataDirs(), (QStringList{"/usr/local/share", "/usr/share"}));
        qputenv("XDG_DATA_HOME", "relative");
        QCOMPARE(ShellIntegration::DataHome(), QDir::homePath() + "/.local/share");
    }

    void unwritableDataHomeIsSilent() {
        // A plain file where the folder should be: nothing can be written.
        WriteAll(m_tmp->filePath("blocked"), "x");
        qputenv("XDG_DATA_HOME", m_tmp->filePath("blocked").toUtf8());
        const ShellIntegration::Outcome out = ShellIntegration::Register(kExe, false);
        QVERIFY(!out.mimeWritten);
        QVERIFY(!out.desktopWritten);
        QVERIFY(!out.iconsWritten);
    }

private:
    QString MimePath() const { return m_home + "/mime/packages/orvane-spk.xml"; }
    QString DesktopPath() const { return m_home + "/applications/orvane.desktop"; }

    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_home;
    QString m_system;
};

QTEST_GUILESS_MAIN(TestShellIntegration)
#include "test_app_shellintegration.moc"
