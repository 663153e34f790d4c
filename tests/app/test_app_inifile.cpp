// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file: the program's settings and recent-file list stored in
// it, and where it lives.
#include "app/AppSettings.h"
#include "app/IniFile.h"
#include "app/RecentFileList.h"
#include "app/SettingsPath.h"
#include "tests/support/FailingFileSystem.h"
#include "tests/support/TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace orvane;

namespace {

// '=', ';', '#' and letters beyond ASCII survive the round trip.
const QString kOddName = QString::fromUtf8("/home/jörg/a=b;c#d – ß.spk");

} // namespace

class TestIniFile : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_tmp;
    QString Path(const QString& name) const { return m_tmp->filePath(name); }

private slots:
    void init() {
        m_tmp = std::make_unique<QTemporaryDir>();
        QVERIFY(m_tmp->isValid());
    }

    // Hand-written lines, comments, other keys and sections survive.
    void settingsRoundTripKeepingEverythingElse() {
        const QString path = Path("orvane.ini");
        const QByteArray before = "; mine\nstray line\n[Recent File List]\nFile1 = /d/old.spk \n"
                                  "Pinned=yes\n\n[Colours] ; not ours\nnot a key\n[half\n=no key\n"
                                  "[Settings]\nPreviewPages=2\nSound=off\n";
        WriteBytes(path, before);
        AppSettings settings(path);
        settings.Load();
        QCOMPARE(settings.RecentFiles().Files(), QStringList{"/d/old.spk"});
        QCOMPARE(settings.PreviewPages(), 2);
        settings.RecentFiles().Add(kOddName);
        settings.SetPreviewPages(1);
        QCOMPARE(ReadBytes(path), before); // only at exit
        QVERIFY(settings.Save());
        QCOMPARE(ReadBytes(path),
                 QByteArray(before)
                     .replace("File1 = /d/old.spk \n", "File1=" + kOddName.toUtf8() + "\n")
                     .replace("Pinned=yes\n", "Pinned=yes\nFile2=/d/old.spk\n")
                     .replace("PreviewPages=2", "PreviewPages=1"));
        AppSettings back(path);
        back.Load();
        QCOMPARE(back.RecentFiles().Files(), QStringList({kOddName, "/d/old.spk"}));
    }

    // The graph of new windows: read by its word, written once chosen; a word
    // this version does not know gives the response plot and stays as it is.
    void graphOfNewWindows_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<int>("loaded");
        QTest::addColumn<QByteArray>("after"); // after a save without a choice
        QTest::newRow("known") << QByteArray("[Settings]\nGraph=impedance\n")
                               << int(Graph::Impedance) << QByteArray("Graph=impedance\n");
        QTest::newRow("unknown") << QByteArray("[Settings]\nGraph=Impedance\n")
                                 << int(Graph::Response) << QByteArray("Graph=Impedance\n");
    }
    void graphOfNewWindows() {
        QFETCH(QByteArray, before);
        QFETCH(int, loaded);
        QFETCH(QByteArray, after);
        const QString path = Path("orvane.ini");
        WriteBytes(path, before);
        AppSettings settings(path);
        settings.Load();
        QCOMPARE(int(settings.NewWindowGraph()), loaded);
        QVERIFY(settings.Save());
        QVERIFY(ReadBytes(path).contains(after));
        settings.SetNewWindowGraph(Graph::Velocity);
        QVERIFY(settings.Save());
        QVERIFY(ReadBytes(path).contains("[Settings]\nGraph=velocity\n"));
        QCOMPARE(ReadBytes(path).count("Graph="), 1);
    }

    // Options > Units: "metric" is written and read back; imperial, the
    // default, adds nothing to a file without the key, and replaces it where
    // it is. Anything else reads as imperial.
    void unitsSetting_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<int>("loaded"); // 0 imperial, 1 metric
        QTest::addColumn<int>("chosen");
        QTest::addColumn<QByteArray>("after");
        const QByteArray plain = "[Settings]\nPreviewPages=2\n";
        QTest::newRow("default kept out") << plain << 0 << 0 << plain;
        QTest::newRow("metric added") << plain << 0 << 1 << plain + "Units=metric\n";
        QTest::newRow("back to imperial") << QByteArray("[Settings]\nUnits=metric\n") << 1 << 0
                                          << QByteArray("[Settings]\nUnits=imperial\n");
        QTest::newRow("unknown") << QByteArray("[Settings]\nUnits=furlongs\n") << 0 << 0
                                 << QByteArray("[Settings]\nUnits=imperial\n");
    }
    void unitsSetting() {
        QFETCH(QByteArray, before);
        QFETCH(int, loaded);
        QFETCH(int, chosen);
        QFETCH(QByteArray, after);
        const QString path = Path("orvane.ini");
        WriteBytes(path, before);
        AppSettings settings(path);
        settings.Load();
        QCOMPARE(settings.Units(), loaded ? UnitSystem::Metric : UnitSystem::Imperial);
        settings.SetUnits(chosen ? UnitSystem::Metric : UnitSystem::Imperial);
        QVERIFY(settings.Save());
        QCOMPARE(ReadBytes(path), after);
    }

    // A new file, in folders made for it, with no temporary file left beside it.
    void newFileHasExactSectionNames() {
        const QString path = Path("new/config/orvane.ini");
        AppSettings settings(path);
        settings.Load();
        for (const char* f : {"/d/1.spk", "/d/2.spk", "/d/3.spk", "/d/4.spk"})
            settings.RecentFiles().Add(f);
        settings.SetPreviewPages(2);
        QVERIFY(settings.Save());
        QCOMPARE(ReadBytes(path),
                 QByteArray("[Recent File List]\nFile1=/d/4.spk\nFile2=/d/3.spk\n"
                            "File3=/d/2.spk\nFile4=/d/1.spk\n\n[Settings]\nPreviewPages=2\n"));
        // 0 is not written: the value already in the file stays.
        settings.SetPreviewPages(0);
        settings.RecentFiles().Clear();
        QVERIFY(settings.Save());
        QCOMPARE(QDir(Path("new/config")).entryList(QDir::Files), QStringList{"orvane.ini"});
        QCOMPARE(ReadBytes(path), QByteArray("[Recent File List]\n\n[Settings]\nPreviewPages=2\n"));
    }

    // Gives an empty list and 0, and the next save still works.
    void missingOrMalformedFileIsNotAnError_data() {
        QTest::addColumn<QByteArray>("bytes"); // null: no file
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("binary") << QByteArray("\x00\xff\xfe[\x01=\x02]\n\x00\x00", 12);
        QTest::newRow("broken") << QByteArray("\xff\xfe junk\n[Settings\nPreviewPages=\xc3\x28\n");
        QTest::newRow("long line") << QByteArray(200000, 'x');
    }
    void missingOrMalformedFileIsNotAnError() {
        QFETCH(QByteArray, bytes);
        if (!bytes.isNull())
            WriteBytes(Path("orvane.ini"), bytes);
        AppSettings settings(Path("orvane.ini"));
        settings.Load();
        QVERIFY(settings.RecentFiles().IsEmpty());
        QCOMPARE(settings.PreviewPages(), 0);
        settings.RecentFiles().Add("/a.spk");
        QVERIFY(settings.Save());
        AppSettings back(Path("orvane.ini"));
        back.Load();
        QCOMPARE(back.RecentFiles().Files(), QStringList{"/a.spk"});
    }

    // --- settings: everything the program does not own is kept byte for byte ---

    // Each file gets "/d/b.spk" at the top of the recent list and PreviewPages 3.
    void foreignBytesAreKept_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("latin-1 line")
            << QByteArray("[Colours]\nname=Caf\xE9\n[Recent File List]\nFile1=/d/a.spk\n")
            << QByteArray("[Colours]\nname=Caf\xE9\n[Recent File List]\nFile1=/d/b.spk\n"
                          "File2=/d/a.spk\n\n[Settings]\nPreviewPages=3\n");
        QTest::newRow("binary line")
            << QByteArray("\x00\x01\xFF\xFE junk\x80\n", 11)
            << QByteArray("\x00\x01\xFF\xFE junk\x80\n", 11) +
                   "\n[Recent File List]\nFile1=/d/b.spk\n\n[Settings]\nPreviewPages=3\n";
        QTest::newRow("byte order mark")
            << QByteArray("\xEF\xBB\xBF[Settings]\nPreviewPages=2\nSound=off\n")
            << QByteArray("\xEF\xBB\xBF[Settings]\nPreviewPages=3\nSound=off\n\n"
                          "[Recent File List]\nFile1=/d/b.spk\n");
        QTest::newRow("CR LF")
            << QByteArray("; mine\r\n[Recent File List]\r\nFile1=/d/a.spk\r\n[Other]\r\nx=1\r\n")
            << QByteArray("; mine\r\n[Recent File List]\r\nFile1=/d/b.spk\r\nFile2=/d/a.spk\r\n"
                          "[Other]\r\nx=1\r\n\r\n[Settings]\r\nPreviewPages=3\r\n");
        QTest::newRow("no final line break")
            << QByteArray("; mine\n[Other]\nx=1")
            << QByteArray("; mine\n[Other]\nx=1\n\n[Recent File List]\nFile1=/d/b.spk\n\n"
                          "[Settings]\nPreviewPages=3\n");
        QTest::newRow("own key unchanged")
            << QByteArray("[Settings]\nPreviewPages = 3 \n")
            << QByteArray("[Settings]\nPreviewPages = 3 \n\n[Recent File List]\nFile1=/d/b.spk\n");
    }
    void foreignBytesAreKept() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        const QString path = Path("orvane.ini");
        WriteBytes(path, before);
        AppSettings settings(path);
        settings.Load();
        settings.RecentFiles().Add("/d/b.spk");
        settings.SetPreviewPages(3);
        QVERIFY(settings.Save());
        QCOMPARE(ReadBytes(path), after);
        // Written once more unchanged, nothing moves.
        QVERIFY(settings.Save());
        QCOMPARE(ReadBytes(path), after);
    }

    // Leading blanks, a sign and digits; beyond the int range saturates.
    void previewPagesReadAsInteger_data() {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("pages");
        QTest::newRow("blanks") << QByteArray(" \t3 ") << 3;
        QTest::newRow("huge") << QByteArray("99999999999999999999") << 2147483647;
        QTest::newRow("no digits") << QByteArray("-x") << 0;
    }
    void previewPagesReadAsInteger() {
        QFETCH(QByteArray, value);
        WriteBytes(Path("orvane.ini"), "[Settings]\nPreviewPages=" + value + "\n");
        AppSettings settings(Path("orvane.ini"));
        settings.Load();
        QTEST(settings.PreviewPages(), "pages");
    }

    // --- atomic writes: a full disk or a failing drive leaves the old file ---
    // (every step of the write is test_orvane_doc's; here the first and last)

    void failedWriteKeepsOldSettings_data() {
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("error");
        using Step = FailingFileSystem::Step;
        QTest::newRow("create") << int(Step::CreateTemp) << ENOSPC;
        QTest::newRow("rename") << int(Step::Rename) << EIO;
    }
    void failedWriteKeepsOldSettings() {
        QFETCH(int, step);
        QFETCH(int, error);
        const QString path = Path("orvane.ini");
        const QByteArray before = "[Recent File List]\nFile1=/d/a.spk\n; mine\n";
        WriteBytes(path, before);
        AppSettings settings(path);
        settings.Load();
        for (const char* f : {"/d/1.spk", "/d/2.spk", "/d/3.spk"})
            settings.RecentFiles().Add(f);
        FileResult saved = FileResult::Success();
        {
            FailingFileSystem failing(FailingFileSystem::Step(step), error);
            saved = settings.Save();
        }
        QVERIFY(!saved);
        QCOMPARE(saved.ErrorCode(), error);
        QCOMPARE(ReadBytes(path), before);
        QCOMPARE(Listing(m_tmp->path()), QStringList{"orvane.ini"});
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

    // --- the recent-file list ---

    void recentKeepsFourMostRecentFirst() {
        RecentFileList list;
        for (const char* f : {"/d/a.spk", "/d/b.spk", "/d/c.spk", "/d/d.spk", "/d/e.spk"})
            list.Add(f);
        QCOMPARE(list.Files(), (QStringList{"/d/e.spk", "/d/d.spk", "/d/c.spk", "/d/b.spk"}));
        list.Add("/d/c.spk"); // moves to the top, pushes nothing out
        QCOMPARE(list.Files(), (QStringList{"/d/c.spk", "/d/e.spk", "/d/d.spk", "/d/b.spk"}));
    }

    void recentSameFileUnderAnotherSpelling() {
        QVERIFY(QDir(m_tmp->path()).mkpath("sub"));
        WriteBytes(Path("sub/a.spk"), "");
        QVERIFY(QFile::link(Path("sub"), Path("link")));
        RecentFileList list;
        list.Add(Path("sub/a.spk"));
        list.Add(Path("other.spk"));
        list.Add(m_tmp->path() + "/sub/../sub/./a.spk");
        QCOMPARE(list.Files(), QStringList({Path("sub/a.spk"), Path("other.spk")}));
        list.Add(Path("link/a.spk"));
        QCOMPARE(list.Files(), QStringList({Path("link/a.spk"), Path("other.spk")}));
    }

    // The bare name in the current folder, '&' doubled; long paths shortened
    // to 30 characters by whole folders, a long name cut.
    void recentMenuTexts() {
        RecentFileList list;
        for (const char* f :
             {"/d/abcdefghijklmnopqrstuvwxyz0123.spk", "/home/ann/designs/abcdefghi.spk",
              "/tmp/short.spk", "/home/ann/work/R&B.spk"})
            list.Add(f);
        QStringList texts;
        for (int i = 0; i < 4; ++i)
            texts << list.MenuText(i, "/home/ann/work");
        QCOMPARE(texts,
                 QStringList({"&1 R&&B.spk", "&2 /tmp/short.spk", "&3 /home/.../abcdefghi.spk",
                              "&4 abcdefghijklmnopqrstuvwxyz0..."}));
    }

    // Shortened, a path keeps its root and first folder and as many of its
    // last folders as fit: designs of one name in different folders differ.
    void recentShortenedPaths_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("shown");
        QTest::newRow("fits") << "/home/ann/woofer.spk"
                              << "/home/ann/woofer.spk";
        QTest::newRow("alpha") << "/home/ann/projects/alpha/woofer.spk"
                               << "/home/.../alpha/woofer.spk";
        QTest::newRow("beta") << "/home/ann/projects/beta/woofer.spk"
                              << "/home/.../beta/woofer.spk";
        QTest::newRow("exactly 30") << "/home/ann/more/xyzab/abc/woofer.spk"
                                    << "/home/.../xyzab/abc/woofer.spk";
        QTest::newRow("only the name fits") << "/home/ann/projects/a-much-longer-name-yet.spk"
                                            << "a-much-longer-name-yet.spk";
    }
    void recentShortenedPaths() {
        QFETCH(QString, path);
        const QString shown = RecentFileList::ShortenPath(path, 30);
        QTEST(shown, "shown");
        QVERIFY(shown.size() <= 30);
    }

    void recentSection() {
        IniFile ini;
        ini.Parse("[Recent File List]\nFile1=/d/a.spk\nFile3=/d/c.spk\nFile2=\n"
                  "File4=/d/a.spk\nFile5=/d/e.spk\nPinned=1\n");
        RecentFileList list;
        list.ReadFrom(ini);
        // Gaps and repeats skipped, File5 beyond the list's size ignored.
        QCOMPARE(list.Files(), (QStringList{"/d/a.spk", "/d/c.spk"}));
        list.Add("/d/bad\nname.spk"); // cannot be written
        list.WriteTo(ini);
        QCOMPARE(ini.ToText(), QString("[Recent File List]\nFile1=/d/a.spk\nFile2=/d/c.spk\n"
                                       "File5=/d/e.spk\nPinned=1\n"));
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "test_app_inifile.moc"
