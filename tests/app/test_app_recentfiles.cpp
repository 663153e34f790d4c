// The recent-file list: its order and size, what counts as the same file,
// the menu texts, and its section of the settings file.
#include "app/IniFile.h"
#include "app/RecentFileList.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestRecentFiles : public QObject {
    Q_OBJECT
private slots:
    void keepsFourMostRecentFirst() {
        RecentFileList list;
        for (const char* f : {"/d/a.spk", "/d/b.spk", "/d/c.spk", "/d/d.spk"})
            list.Add(f);
        QCOMPARE(list.Files(), (QStringList{"/d/d.spk", "/d/c.spk", "/d/b.spk", "/d/a.spk"}));
        list.Add("/d/e.spk");
        QCOMPARE(list.Files(), (QStringList{"/d/e.spk", "/d/d.spk", "/d/c.spk", "/d/b.spk"}));
    }

    void addingAListedFileMovesItToTheTop() {
        RecentFileList list;
        for (const char* f : {"/d/a.spk", "/d/b.spk", "/d/c.spk", "/d/d.spk"})
            list.Add(f);
        list.Add("/d/b.spk");
        QCOMPARE(list.Files(), (QStringList{"/d/b.spk", "/d/d.spk", "/d/c.spk", "/d/a.spk"}));
        // Nothing was pushed out by the move.
        QCOMPARE(list.Count(), 4);
    }

    void sameFileUnderAnotherSpelling() {
        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());
        QVERIFY(QDir(tmp.path()).mkpath("sub"));
        const QString real = tmp.filePath("sub/a.spk");
        QFile f(real);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(QFile::link(tmp.filePath("sub"), tmp.filePath("link")));

        RecentFileList list;
        list.Add(real);
        list.Add(tmp.filePath("other.spk"));
        list.Add(tmp.path() + "/sub/../sub/./a.spk");
        QCOMPARE(list.Count(), 2);
        QCOMPARE(list.File(0), real); // stored cleaned
        list.Add(tmp.filePath("link/a.spk"));
        QCOMPARE(list.Count(), 2);
        QCOMPARE(list.File(0), tmp.filePath("link/a.spk")); // as the user opened it
        // Letter case is significant on this file system.
        list.Add(tmp.filePath("sub/A.spk"));
        QCOMPARE(list.Count(), 3);
    }

    void relativePathsAreStoredAbsolute() {
        RecentFileList list;
        list.Add("x.spk");
        QCOMPARE(list.File(0), QDir::current().absoluteFilePath("x.spk"));
        list.Add("");
        QCOMPARE(list.Count(), 1);
    }

    void menuTexts() {
        RecentFileList list;
        list.Add("/home/ann/speakers/projects/2024/autumn/woofer.spk");
        list.Add("/tmp/short.spk");
        list.Add("/home/ann/work/here.spk");
        list.Add("/home/ann/work/R&B.spk");
        const QString here = "/home/ann/work";
        QCOMPARE(list.MenuText(0, here), QString("&1 R&&B.spk"));
        QCOMPARE(list.MenuText(1, here), QString("&2 here.spk"));
        QCOMPARE(list.MenuText(2, here), QString("&3 /tmp/short.spk"));
        QCOMPARE(list.MenuText(3, here), QString("&4 /home/ann/.../woofer.spk"));
        QCOMPARE(list.MenuText(4, here), QString());
        QCOMPARE(list.DisplayName(0, here), QString("R&B.spk"));
    }

    void currentFolderComparedAsTheSameFolder() {
        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());
        QVERIFY(QFile::link(tmp.path(), tmp.path() + "-link"));
        RecentFileList list;
        list.Add(tmp.filePath("a.spk"));
        QCOMPARE(list.MenuText(0, tmp.path() + "-link"), QString("&1 a.spk"));
        QCOMPARE(list.MenuText(0, tmp.path() + "/"), QString("&1 a.spk"));
        QFile::remove(tmp.path() + "-link");
    }

    void shortening_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("fits") << "/home/ann/woofer.spk"
                              << "/home/ann/woofer.spk";
        QTest::newRow("exactly 30") << "/home/ann/designs/abcdefgh.spk"
                                    << "/home/ann/designs/abcdefgh.spk";
        QTest::newRow("31: a folder gives way") << "/home/ann/designs/abcdefghi.spk"
                                                << "/home/ann/.../abcdefghi.spk";
        QTest::newRow("whole folders only") << "/home/ann/speakers/projects/2024/woofer.spk"
                                            << "/home/ann/.../woofer.spk";
        QTest::newRow("root only") << "/verylongfoldername/another/tweeter_final.spk"
                                   << "/.../tweeter_final.spk";
        QTest::newRow("name alone") << "/home/ann/a_rather_long_name_of_28.spk"
                                    << "a_rather_long_name_of_28.spk";
        QTest::newRow("name of exactly 30") << "/d/abcdefghijklmnopqrstuvwxyz.spk"
                                            << "abcdefghijklmnopqrstuvwxyz.spk";
        QTest::newRow("name cut") << "/d/abcdefghijklmnopqrstuvwxyz0123.spk"
                                  << "abcdefghijklmnopqrstuvwxyz0...";
    }
    void shortening() {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        const QString shown = RecentFileList::ShortenPath(path, 30);
        QCOMPARE(shown, expected);
        QVERIFY(shown.size() <= 30);
    }

    void readsTheSettingsSection() {
        IniFile ini;
        ini.Parse("[Recent File List]\nFile1=/d/a.spk\nFile3=/d/c.spk\nFile2=\n"
                  "File4=/d/a.spk\nFile5=/d/e.spk\nPinned=1\n");
        RecentFileList list;
        list.Add("/d/gone.spk");
        list.ReadFrom(ini);
        // Gaps and repeats skipped, File5 beyond the list's size ignored.
        QCOMPARE(list.Files(), (QStringList{"/d/a.spk", "/d/c.spk"}));
    }

    void writesTheSettingsSection() {
        IniFile ini;
        ini.Parse("[Recent File List]\nFile1=/old1.spk\nPinned=1\nFile2=/old2.spk\n"
                  "File3=/old3.spk\n");
        RecentFileList list;
        list.Add("/d/b.spk");
        list.Add("/d/a.spk");
        list.WriteTo(ini);
        QCOMPARE(ini.ToText(),
                 QString("[Recent File List]\nFile1=/d/a.spk\nPinned=1\nFile2=/d/b.spk\n"));
    }

    void pathWithLineBreakIsNotWritten() {
        IniFile ini;
        RecentFileList list;
        list.Add("/d/good.spk");
        list.Add("/d/bad\nname.spk");
        list.WriteTo(ini);
        QCOMPARE(ini.ToText(), QString("[Recent File List]\nFile1=/d/good.spk\n"));
    }

    void removeAndBounds() {
        RecentFileList list;
        list.Add("/a.spk");
        list.Add("/b.spk");
        list.Remove(5);
        list.Remove(-1);
        QCOMPARE(list.Count(), 2);
        list.Remove(0);
        QCOMPARE(list.Files(), QStringList{"/a.spk"});
        QCOMPARE(list.File(3), QString());
    }
};

QTEST_GUILESS_MAIN(TestRecentFiles)
#include "test_app_recentfiles.moc"
