// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop association written at start-up, under a temporary
// XDG_DATA_HOME and XDG_DATA_DIRS so the tester's own desktop is never touched.
#include "app/ShellIntegration.h"
#include "tests/support/FailingFileSystem.h"
#include "tests/support/TestFiles.h"

#include <QtTest>

#include <memory>

using namespace orvane;
using SI = ShellIntegration;

class TestShellIntegration : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_home;
    QString Desktop() const { return m_home + "/applications/" + SI::kDesktopFileName; }
    QString Mime() const { return m_home + "/mime/packages/" + SI::kMimeFileName; }
    QString Old(const QString& name) const { return m_home + name; }
    // The outcome of a start as letters: system package, glob claimed, MIME
    // type, desktop entry, icons written, files removed.
    static QString Register(const QString& exe = "/opt/orvane/bin/orvane") {
        const SI::Outcome o = SI::Register(exe, false);
        const bool on[] = {o.systemInstalled, o.claimsGlob,   o.mimeWritten,
                           o.desktopWritten,  o.iconsWritten, o.removed};
        QString f;
        for (int i = 0; i < 6; ++i)
            f += on[i] ? QString(QChar("sgmdir"[i])) : QString();
        return f;
    }

private slots:
    void init() {
        m_tmp = std::make_unique<QTemporaryDir>();
        m_home = m_tmp->filePath("home");
        qputenv("XDG_DATA_HOME", m_home.toUtf8());
        // The user's own folder is never a system one.
        const QString dirs = m_tmp->filePath("o") + ":" + m_tmp->filePath("system") + "/:" + m_home;
        qputenv("XDG_DATA_DIRS", dirs.toUtf8());
    }

    // Written where it differs; a moved program moves the entry. *.spk is
    // never taken from another type, and given up when one comes.
    void writesOnlyWhatDiffers() {
        QCOMPARE(Register(), "gmdi");
        QVERIFY(ReadBytes(Mime()).contains("<glob pattern=\"*.spk\" case-sensitive=\"false\"/>"));
        QVERIFY(ReadBytes(Desktop()).contains("\nExec=/opt/orvane/bin/orvane %f\n"));
        QVERIFY(ReadBytes(Desktop()).contains("\nMimeType=application/x-orvane-spk;\n"));
        QCOMPARE(Register(), "g");
        QCOMPARE(Register("/usr/bin/orvane"), "gd");
        QVERIFY(ReadBytes(Desktop()).contains("\nExec=/usr/bin/orvane %f\n"));
        for (const QByteArray glob : {"5:x/o:*.SPK:cs\n", "5:x/o:*.spk\n"}) {
            WriteBytes(m_tmp->filePath("system/mime/globs2"), glob);
            QCOMPARE(Register("/usr/bin/orvane"), glob.contains("SPK") ? "m" : "");
            QVERIFY(!ReadBytes(Mime()).contains("<glob "));
        }
        QVERIFY(QFile::remove(m_tmp->filePath("system/mime/globs2")));
        WriteBytes(m_tmp->filePath("o/mime/globs"), "x/other:*.spk\n"); // the older file
        QCOMPARE(Register("/usr/bin/orvane"), "");
        WriteBytes(m_tmp->filePath("o/mime/globs2"),
                   "::::\n:\n\xff\n50:application/x-orvane-spk:*.spk\n");
        QCOMPARE(Register("/usr/bin/orvane"), "gm");
    }

    // A package in a system folder (both of its files): nothing is written,
    // and the copies of an earlier start go unless the user changed them. Our
    // files under the old names go either way; other programs' files stay.
    void systemPackage_data() {
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<bool>("userChanged");
        QTest::addColumn<QString>("starts"); // the outcome of two starts
        const QString entry = "applications/" + SI::kDesktopFileName;
        const QString mime = "mime/packages/" + SI::kMimeFileName;
        QTest::newRow("package") << QStringList{entry, mime} << false << "sr s";
        QTest::newRow("entry changed by the user") << QStringList{entry, mime} << true << "sr s";
        QTest::newRow("entry only") << QStringList{entry} << false << "gr g";
        QTest::newRow("MIME type only") << QStringList{mime} << false << "gr g";
    }
    void systemPackage() {
        QFETCH(QStringList, installed);
        QFETCH(bool, userChanged);
        QCOMPARE(Register(), "gmdi");
        if (userChanged)
            WriteBytes(Desktop(), ReadBytes(Desktop()) + "NoDisplay=true\n");
        const QByteArray entry = ReadBytes(Desktop());
        const QString icons = "/icons/hicolor/scalable/";
        WriteBytes(Old("/applications/orvane.desktop"), "Name=Other\nMimeType=x/other;\n");
        WriteBytes(Old("/mime/packages/orvane-spk.xml"),
                   "<mime-type type=\"application/x-orvane-spk\">");
        WriteBytes(Old(icons + "apps/orvane.svg"), ReadBytes(":/icons/orvane.svg"));
        WriteBytes(Old(icons + "mimetypes/application-x-orvane-spk.svg"), "<svg/>");
        for (const QString& file : installed)
            WriteBytes(m_tmp->filePath("system/" + file), ReadBytes(m_home + "/" + file));
        const QString first = Register();
        QTEST(first + " " + Register(), "starts");
        const bool package = installed.size() == 2;
        QCOMPARE(SI::SystemHasPackage(), package);
        QVERIFY(!QFile::exists(Old("/mime/packages/orvane-spk.xml")) &&
                !QFile::exists(Old(icons + "apps/orvane.svg")));
        QVERIFY(QFile::exists(Old("/applications/orvane.desktop")));
        QCOMPARE(ReadBytes(Old(icons + "mimetypes/application-x-orvane-spk.svg")),
                 QByteArray("<svg/>"));
        QCOMPARE(QFile::exists(Mime()), !package);
        QCOMPARE(QFile::exists(Old(icons + "apps/" + SI::kAppIconName + ".svg")), !package);
        QCOMPARE(ReadBytes(Desktop()) == entry, !package || userChanged);
    }

    // The names are those the build installs.
    void namesMatchTheInstalledFiles() {
        QVERIFY(SI::DesktopEntry("/a").contains("\nIcon=" + SI::kAppIconName + "\n"));
        QVERIFY(SI::MimeTypeXml(true).contains("<icon name=\"" + SI::kMimeIconName + "\"/>"));
        const QString metainfo =
            ReadBytes(ORVANE_BINARY_DIR "/res/" + SI::kAppId + ".metainfo.xml");
        QVERIFY(metainfo.contains("<id>" + SI::kAppId + "</id>"));
        QVERIFY(metainfo.contains(">" + SI::kDesktopFileName + "</launchable>"));
        QVERIFY(metainfo.contains("<mediatype>" + SI::kMimeType + "<"));
    }

    // A full disk leaves the earlier entry whole, tells only the log, and
    // leaves nothing beside it.
    void failedWriteKeepsEarlierEntry() {
        QCOMPARE(Register(), "gmdi");
        const QByteArray before = ReadBytes(Desktop());
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("^desktop registration: cannot write .*/"
                                                "io\\.github\\.orvane\\.Orvane\\.desktop: "
                                                "No space left on device$"));
        FailingFileSystem failing(FailingFileSystem::Step::Flush, ENOSPC);
        QCOMPARE(Register("/usr/bin/orvane"), "g");
        QCOMPARE(ReadBytes(Desktop()), before);
        QCOMPARE(Listing(m_home + "/applications"), QStringList{SI::kDesktopFileName});
    }

    // Quoted and escaped as desktop entries require; no entry for a path
    // that cannot be written safely.
    void execLine() {
        const auto exec = [](const QString& exe) {
            return SI::DesktopEntry(exe).split('\n').filter(QRegularExpression("^Exec="));
        };
        QCOMPARE(exec("/home/ann/My Programs/orvane"),
                 QStringList{"Exec=\"/home/ann/My Programs/orvane\" %f"});
        QCOMPARE(exec("/opt/100%/orvane"), QStringList{"Exec=/opt/100%%/orvane %f"});
        QCOMPARE(exec("/opt/$x/orvane"), QStringList{"Exec=\"/opt/\\\\$x/orvane\" %f"});
        QVERIFY(SI::DesktopEntry("bin/orvane").isEmpty());
        QVERIFY(SI::DesktopEntry("/opt/a\nExec=/evil/orvane").isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestShellIntegration)
#include "test_app_shellintegration.moc"
