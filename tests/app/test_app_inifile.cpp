// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file: the program's settings and recent-file list stored in
// it, everything else kept byte for byte, and where it lives.
#include "app/AppSettings.h"
#include "app/IniFile.h"
#include "app/RecentFileList.h"
#include "app/SettingsPath.h"
#include "core/units/DisplayUnits.h"
#include "tests/support/FailingFileSystem.h"
#include "tests/support/TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace orvane;

class TestIniFile : public QObject {
    Q_OBJECT
    QTemporaryDir m_tmp;
    QString Path(const QString& name = "orvane.ini") const { return m_tmp.filePath(name); }

private slots:
    // Everything the program does not own is kept byte for byte; a malformed
    // file reads as an empty list and no settings. The changes, separated by
    // blanks: "+PATH" adds a recent file, "pN" sets PreviewPages, "metric" or
    // "imperial" the units, "g:NAME" the graph.
    void savedBytes_data() {
        using B = QByteArray;
        QTest::addColumn<QByteArray>("before"); // null: no file
        QTest::addColumn<QString>("changes");
        QTest::addColumn<QByteArray>("after"); // null: as before
        const auto row = [](const char* tag, const B& before, const char* changes, const B& after) {
            QTest::newRow(tag) << before << QString(changes) << after;
        };
        const B bin("\x00\x01\xFF\xFE junk\x80\n", 11), ours = "\n[Recent File List]\nFile1=/b\n";
        const B foreign = "; c\nstray\n[X] ; y\nn=Caf\xE9\n[half\n=no key\n[Recent File List]\n";
        const B broken = "\xff\xfe junk\n[Settings\nPreviewPages=\xc3\x28\n";
        row("new file", {}, "+/b p3",
            "[Recent File List]\nFile1=/b\n\n[Settings]\nPreviewPages=3\n");
        row("foreign lines", foreign + "File1 = /a \nPin=1\n", "+/b",
            foreign + "File1=/b\nPin=1\nFile2=/a\n");
        row("binary", bin, "+/b", bin + ours);
        row("broken", broken, "+/b", broken + ours);
        row("long line", B(200000, 'x'), "+/b", B(200000, 'x') + "\n" + ours);
        row("no final line break", "[O]\nx=1", "+/b", B("[O]\nx=1\n") + ours);
        row("byte order mark", "\xEF\xBB\xBF[Settings]\nPreviewPages=2\nS=0\n", "p3 +/b",
            "\xEF\xBB\xBF[Settings]\nPreviewPages=3\nS=0\n" + ours);
        row("CR LF", "[Recent File List]\r\nFile1=/a\r\n[O]\r\n", "+/b p3",
            "[Recent File "
            "List]\r\nFile1=/b\r\nFile2=/a\r\n[O]\r\n\r\n[Settings]\r\nPreviewPages=3\r\n");
        row("own value as it was", "[Settings]\nPreviewPages = 3 \n", "p3", {});
        row("0 pages not written", "[Settings]\nPreviewPages=2\n", "p0", {});
        row("graph", "[Settings]\nGraph=spl\n", "g:velocity", "[Settings]\nGraph=velocity\n");
        row("unknown graph kept", "[Settings]\nGraph=Spl\n", "", {});
        row("metric", "[Settings]\n", "metric", "[Settings]\nUnits=metric\n");
        row("back to imperial", "[Settings]\nUnits=metric\n", "imperial",
            "[Settings]\nUnits=imperial\n");
        row("unknown units", "[Settings]\nUnits=Metric\n", "", "[Settings]\nUnits=imperial\n");
    }
    void savedBytes() {
        QFETCH(QByteArray, before);
        QFETCH(QString, changes);
        QFETCH(QByteArray, after);
        if (!before.isNull())
            WriteBytes(Path(), before);
        for (int pass = 0; pass < 2; ++pass) { // written once more unchanged, nothing moves
            AppSettings s(Path());
            s.Load();
            for (const QString& c : changes.split(' ', Qt::SkipEmptyParts)) {
                if (c.startsWith('+'))
                    s.RecentFiles().Add(c.mid(1));
                else if (c.startsWith('p'))
                    s.SetPreviewPages(c.mid(1).toInt());
                else if (c.startsWith("g:"))
                    s.SetNewWindowGraph(*GraphFromName(c.mid(2).toStdString()));
                else
                    s.SetUnits(*DisplayUnits::FromName(c.toStdString()));
            }
            changes.clear();
            QVERIFY(s.Save());
            QCOMPARE(ReadBytes(Path()), after.isNull() ? before : after);
        }
    }

    // Read: the graph by its word, PreviewPages as an integer (leading blanks,
    // a sign, digits; saturating), the list most recent first, four at most.
    void loadedValues() {
        WriteBytes(
            Path(),
            "[Settings]\nGraph=impedance\nPreviewPages= \t+99999999999999999999x\nUnits=metric\n");
        AppSettings s(Path());
        s.Load();
        QCOMPARE(s.NewWindowGraph(), Graph::Impedance);
        QCOMPARE(s.PreviewPages(), 2147483647);
        QCOMPARE(s.Units(), UnitSystem::Metric);
        WriteBytes(Path(), "[Settings]\nGraph=Impedance\nPreviewPages=-x\n");
        s.Load();
        QCOMPARE(s.NewWindowGraph(), Graph::Response);
        QCOMPARE(s.PreviewPages(), 0);
        for (const char* f : {"/1", "/2", "/3", "/4", "/3", "/5"})
            s.RecentFiles().Add(f);
        QCOMPARE(s.RecentFiles().Files(), QStringList({"/5", "/3", "/4", "/2"}));
        // A new file is made only at exit, with its folders.
        AppSettings made(Path("new/folder/orvane.ini"));
        made.Load();
        made.RecentFiles().Add("/a");
        QVERIFY(!QFile::exists(Path("new")) && made.Save());
        QCOMPARE(Listing(Path("new/folder")), QStringList{"orvane.ini"});
    }

    // A failing drive leaves the old file (each step of the write: test_orvane_doc).
    void failedWriteKeepsOldSettings() {
        const QByteArray before = "[Recent File List]\nFile1=/d/a.spk\n; mine\n";
        WriteBytes(Path(), before);
        AppSettings settings(Path());
        settings.Load();
        settings.RecentFiles().Add("/d/1.spk");
        FailingFileSystem failing(FailingFileSystem::Step::Rename, EIO);
        QCOMPARE(settings.Save().ErrorCode(), EIO);
        QCOMPARE(ReadBytes(Path()), before);
        QCOMPARE(Listing(m_tmp.path()).filter("orvane"), QStringList{"orvane.ini"});
        AppSettings fresh(Path("fresh.ini")); // no file yet, and no link either
        fresh.RecentFiles().Add("/d/1.spk");
        const QString message = QString::fromStdString(fresh.Save().Message());
        QVERIFY2(
            message.startsWith("settings not saved: cannot write " + Path("fresh.ini") + ": ") &&
                !message.contains("link"),
            qPrintable(message));
    }

    // $XDG_CONFIG_HOME when it is an absolute path, else ~/.config.
    void settingsPath() {
        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", "/tmp/cfg/");
        QCOMPARE(SettingsPath("orvane"), QString("/tmp/cfg/orvane.ini"));
        qputenv("XDG_CONFIG_HOME", "cfg");
        QCOMPARE(SettingsPath("orvane"), QDir::homePath() + "/.config/orvane.ini");
        qputenv("XDG_CONFIG_HOME", saved);
    }

    // The same file under another spelling or through a link is one entry.
    void recentSameFile() {
        QVERIFY(QDir(m_tmp.path()).mkpath("sub"));
        WriteBytes(Path("sub/a.spk"), "");
        QVERIFY(QFile::link(Path("sub"), Path("link")));
        RecentFileList list;
        for (const QString& p :
             {Path("sub/a.spk"), Path("other.spk"), m_tmp.path() + "/sub/../sub/./a.spk"})
            list.Add(p);
        QCOMPARE(list.Files(), QStringList({Path("sub/a.spk"), Path("other.spk")}));
        list.Add(Path("link/a.spk"));
        QCOMPARE(list.Files(), QStringList({Path("link/a.spk"), Path("other.spk")}));
    }

    // The bare name in the current folder, '&' doubled; a long path keeps its
    // root, first folder and as many last folders as fit in 30; a long name is cut.
    void recentMenuTexts() {
        RecentFileList list;
        for (const char* f :
             {"/d/abcdefghijklmnopqrstuvwxyz0123.spk", "/home/ann/more/xyzab/abc/w.spk",
              "/home/ann/projects/beta/woofer.spk", "/home/ann/work/R&B.spk"})
            list.Add(f);
        QStringList texts;
        for (int i = 0; i < 4; ++i)
            texts << list.MenuText(i, "/home/ann/work");
        QCOMPARE(texts, QStringList({"&1 R&&B.spk", "&2 /home/.../beta/woofer.spk",
                                     "&3 /home/ann/more/xyzab/abc/w.spk",
                                     "&4 abcdefghijklmnopqrstuvwxyz0..."}));
        QCOMPARE(RecentFileList::ShortenPath("/home/ann/more/xyzab/abcd/w.spk", 30),
                 QString("/home/.../xyzab/abcd/w.spk"));
        QCOMPARE(RecentFileList::ShortenPath("/home/ann/pr/a-much-longer-name-yet.spk", 30),
                 QString("a-much-longer-name-yet.spk"));
    }

    // Gaps and repeats skipped, keys beyond the list's size and others kept.
    void recentSection() {
        IniFile ini;
        ini.Parse("[Recent File "
                  "List]\nFile1=/d/a.spk\nFile3=/d/c.spk\nFile2=\nFile4=/d/a.spk\nFile5=/d/"
                  "e.spk\nPinned=1\n");
        RecentFileList list;
        list.ReadFrom(ini);
        QCOMPARE(list.Files(), (QStringList{"/d/a.spk", "/d/c.spk"}));
        list.Add("/d/bad\nname.spk"); // cannot be written
        list.WriteTo(ini);
        QCOMPARE(
            ini.ToText(),
            QString(
                "[Recent File List]\nFile1=/d/a.spk\nFile2=/d/c.spk\nFile5=/d/e.spk\nPinned=1\n"));
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "test_app_inifile.moc"
