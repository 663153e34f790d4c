// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop association written at start-up, under a temporary
// XDG_DATA_HOME and XDG_DATA_DIRS so the tester's own desktop is never touched.
#include "app/ShellIntegration.h"
#include "tests/support/FailingFileSystem.h"
#include "tests/support/TestFiles.h"

#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace orvane;

namespace {

const QString kExe = QStringLiteral("/opt/orvane/bin/orvane");

} // namespace

class TestShellIntegration : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_home;
    QString MimePath() const { return m_home + "/mime/packages/io.github.orvane.Orvane.xml"; }
    QString DesktopPath() const { return m_home + "/applications/io.github.orvane.Orvane.desktop"; }
    QString AppIconPath() const {
        return m_home + "/icons/hicolor/scalable/apps/io.github.orvane.Orvane.svg";
    }
    QString DocIconPath() const {
        return m_home + "/icons/hicolor/scalable/mimetypes/"
                        "io.github.orvane.Orvane-application-x-orvane-spk.svg";
    }
    QStringList OwnCopies() const {
        return {MimePath(), DesktopPath(), AppIconPath(), DocIconPath()};
    }
    // What the package installs into a system data folder.
    void InstallPackage(const QString& dir) {
        WriteBytes(dir + "/applications/io.github.orvane.Orvane.desktop",
                   ShellIntegration::DesktopEntry("/usr/bin/orvane").toUtf8());
        WriteBytes(dir + "/mime/packages/io.github.orvane.Orvane.xml",
                   ShellIntegration::MimeTypeXml(true).toUtf8());
    }

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
        const QByteArray xml = ReadBytes(MimePath());
        QVERIFY(xml.contains("<mime-type type=\"application/x-orvane-spk\">"));
        QVERIFY(xml.contains("<glob pattern=\"*.spk\" case-sensitive=\"false\"/>"));
        QVERIFY(ReadBytes(DesktopPath()).contains("\nExec=/opt/orvane/bin/orvane %f\n"));
        QVERIFY(QFile::exists(AppIconPath()) && QFile::exists(DocIconPath()));
        QVERIFY(!out.systemInstalled && !out.removed);

        out = ShellIntegration::Register(kExe, false);
        QVERIFY(!out.mimeWritten && !out.desktopWritten && !out.iconsWritten);
        // The program moved: the entry follows it.
        out = ShellIntegration::Register("/usr/bin/orvane", false);
        QVERIFY(out.desktopWritten && !out.mimeWritten);
        QVERIFY(ReadBytes(DesktopPath()).contains("\nExec=/usr/bin/orvane %f\n"));
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
        WriteBytes(m_tmp->filePath(file), content);
        QCOMPARE(ShellIntegration::Register(kExe, false).claimsGlob, claims);
        QCOMPARE(ReadBytes(MimePath()).contains("<glob "), claims);
        // The desktop entry is written either way, the other database left alone.
        QVERIFY(ReadBytes(DesktopPath()).contains("MimeType=application/x-orvane-spk;"));
        QCOMPARE(ReadBytes(m_tmp->filePath(file)), content);
        if (!claims)
            return;
        // A claim is given up when another type arrives.
        WriteBytes(m_tmp->filePath("system/mime/globs2"), "50:application/x-newcomer:*.spk\n");
        QVERIFY(!ShellIntegration::Register(kExe, false).claimsGlob);
        QVERIFY(!ReadBytes(MimePath()).contains("<glob "));
    }

    // The package's entry and MIME type in a system data folder: nothing is
    // written, and the copies of an earlier start are removed unless changed.
    void systemPackage_data() {
        QTest::addColumn<QString>("packageDir");
        QTest::addColumn<bool>("userChangedEntry");
        QTest::newRow("installed") << "system" << false;
        QTest::newRow("installed, entry changed by the user") << "system" << true;
        // A system folder that is the user's own does not count.
        QTest::newRow("home listed as a system folder") << "home" << false;
    }
    void systemPackage() {
        QFETCH(QString, packageDir);
        QFETCH(bool, userChangedEntry);
        qputenv("XDG_DATA_DIRS",
                (m_tmp->filePath("other") + ":" + m_tmp->filePath(packageDir) + "/").toUtf8());
        QVERIFY(ShellIntegration::Register("/home/ann/src/orvane/build/app/orvane", false)
                    .desktopWritten);
        if (userChangedEntry)
            WriteBytes(DesktopPath(), ReadBytes(DesktopPath()) + "NoDisplay=true\n");
        const QByteArray changedEntry = ReadBytes(DesktopPath());
        InstallPackage(m_tmp->filePath(packageDir));

        const bool installed = packageDir != "home";
        QCOMPARE(ShellIntegration::SystemHasPackage(), installed);
        const ShellIntegration::Outcome out = ShellIntegration::Register(kExe, false);
        QCOMPARE(out.systemInstalled, installed);
        QVERIFY(!out.mimeWritten && !out.iconsWritten);
        if (!installed)
            return;
        QVERIFY(out.removed && !out.desktopWritten);
        QVERIFY(!QFile::exists(MimePath()) && !QFile::exists(AppIconPath()) &&
                !QFile::exists(DocIconPath()));
        QCOMPARE(QFile::exists(DesktopPath()), userChangedEntry);
        if (userChangedEntry)
            QCOMPARE(ReadBytes(DesktopPath()), changedEntry);
        // A later start finds nothing to do.
        const ShellIntegration::Outcome again = ShellIntegration::Register(kExe, false);
        QVERIFY(again.systemInstalled && !again.removed);
    }

    // Half a package is no package: the program registers itself.
    void systemPackageNeedsBoth_data() {
        QTest::addColumn<QString>("file");
        QTest::newRow("entry only") << "system/applications/io.github.orvane.Orvane.desktop";
        QTest::newRow("MIME type only") << "system/mime/packages/io.github.orvane.Orvane.xml";
        QTest::newRow("old names") << "system/applications/orvane.desktop";
    }
    void systemPackageNeedsBoth() {
        QFETCH(QString, file);
        WriteBytes(m_tmp->filePath(file), "x");
        const ShellIntegration::Outcome out = ShellIntegration::Register(kExe, false);
        QVERIFY(!out.systemInstalled && out.mimeWritten && out.desktopWritten);
    }

    // Files of the earlier names are ours when they carry our MIME type or our
    // icon; they go, whether a package is installed or not.
    void oldNames_data() {
        QTest::addColumn<bool>("packageInstalled");
        QTest::newRow("from the source tree") << false;
        QTest::newRow("package installed") << true;
    }
    void oldNames() {
        QFETCH(bool, packageInstalled);
        const QString icons = m_home + "/icons/hicolor/scalable/";
        WriteBytes(m_home + "/applications/orvane.desktop",
                   "[Desktop Entry]\nName=Orvane\nExec=/opt/old/orvane %f\nIcon=orvane\n"
                   "MimeType=application/x-orvane-spk;\n");
        WriteBytes(m_home + "/mime/packages/orvane-spk.xml",
                   "<mime-info>\n  <mime-type type=\"application/x-orvane-spk\">\n</mime-info>\n");
        WriteBytes(icons + "apps/orvane.svg", ReadBytes(":/icons/orvane.svg"));
        // Another program's icon under the old name stays.
        WriteBytes(icons + "mimetypes/application-x-orvane-spk.svg", "<svg/>");
        if (packageInstalled)
            InstallPackage(m_tmp->filePath("system"));

        const ShellIntegration::Outcome out = ShellIntegration::Register(kExe, false);
        QVERIFY(out.removed);
        QCOMPARE(out.systemInstalled, packageInstalled);
        QVERIFY(!QFile::exists(m_home + "/applications/orvane.desktop"));
        QVERIFY(!QFile::exists(m_home + "/mime/packages/orvane-spk.xml"));
        QVERIFY(!QFile::exists(icons + "apps/orvane.svg"));
        QCOMPARE(ReadBytes(icons + "mimetypes/application-x-orvane-spk.svg"), QByteArray("<svg/>"));
        for (const QString& path : OwnCopies())
            QCOMPARE(QFile::exists(path), !packageInstalled);
    }

    // One application ID: the program's names are those the build installs.
    void namesMatchTheInstalledFiles() {
        const QString id = ShellIntegration::kAppId;
        QVERIFY(ShellIntegration::DesktopEntry(kExe).contains("\nIcon=" + id + "\n"));
        QVERIFY(ShellIntegration::MimeTypeXml(true).contains(
            "<icon name=\"" + ShellIntegration::kMimeIconName + "\"/>"));
        const QString res = QString(ORVANE_SOURCE_DIR) + "/res/";
        QVERIFY(QFile::exists(res + ShellIntegration::kDesktopFileName));
        QVERIFY(QFile::exists(res + ShellIntegration::kMimeFileName));
        const QByteArray metainfo =
            ReadBytes(QString(ORVANE_BINARY_DIR) + "/res/" + id + ".metainfo.xml");
        QVERIFY(metainfo.contains("<id>" + id.toUtf8() + "</id>"));
        QVERIFY(
            metainfo.contains(">" + ShellIntegration::kDesktopFileName.toUtf8() + "</launchable>"));
        QVERIFY(metainfo.contains("<mediatype>" + ShellIntegration::kMimeType.toUtf8() + "<"));
        // The rendered icons have the names and the sizes of their folders.
        for (int size : {16, 24, 32, 48, 64, 128, 256}) {
            const QString dir = QString("%1/res/icons/%2x%2/").arg(ORVANE_BINARY_DIR).arg(size);
            for (const QString& png :
                 {dir + "apps/" + ShellIntegration::kAppIconName + ".png",
                  dir + "mimetypes/" + ShellIntegration::kMimeIconName + ".png"})
                QCOMPARE(QImage(png).size(), QSize(size, size));
        }
    }

    // --- atomic writes ---

    // A full disk while the entry is rewritten leaves the earlier one whole,
    // tells nobody but the log, and leaves nothing beside it.
    void failedWriteKeepsEarlierEntry() {
        QVERIFY(ShellIntegration::Register(kExe, false).desktopWritten);
        const QByteArray before = ReadBytes(DesktopPath());
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("^desktop registration: cannot write .*/"
                                                "io\\.github\\.orvane\\.Orvane\\.desktop: "
                                                "No space left on device$"));
        ShellIntegration::Outcome out;
        {
            FailingFileSystem failing(FailingFileSystem::Step::Flush, ENOSPC);
            out = ShellIntegration::Register("/usr/bin/orvane", false);
        }
        QVERIFY(!out.desktopWritten);
        QCOMPARE(ReadBytes(DesktopPath()), before);
        QCOMPARE(Listing(m_home + "/applications"), QStringList{"io.github.orvane.Orvane.desktop"});
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
