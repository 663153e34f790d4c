// The settings file: our own INI reader/writer, the settings of the program
// that go through it, and where the file lives.
#include "app/AppSettings.h"
#include "app/IniFile.h"
#include "app/SettingsPath.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>
#include <memory>

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

const QString kMixed = QStringLiteral("; written by hand\n"
                                      "stray line before any section\n"
                                      "[Recent File List]\n"
                                      "File1=/home/ann/My Designs/woofer.spk\n"
                                      "File2 = /tmp/b.spk \n"
                                      "Pinned=yes\n"
                                      "\n"
                                      "[Window Placement] ; not ours\n"
                                      "Left=10\n"
                                      "this line is not a key\n"
                                      "[half a header\n"
                                      "=no key\n"
                                      "# another comment\n"
                                      "\n"
                                      "[Settings]\n"
                                      "PreviewPages=2\n");

} // namespace

class TestIniFile : public QObject {
    Q_OBJECT
private slots:
    void init() {
        m_tmp = std::make_unique<QTemporaryDir>();
        QVERIFY(m_tmp->isValid());
    }

    void unchangedTextRoundTripsByteForByte() {
        IniFile ini;
        ini.Parse(kMixed);
        QCOMPARE(ini.ToText(), kMixed);
        QCOMPARE(ini.Sections(), (QStringList{"Recent File List", "Window Placement", "Settings"}));
        QCOMPARE(ini.Value("Recent File List", "File1"),
                 QString("/home/ann/My Designs/woofer.spk"));
        QCOMPARE(ini.Value("Recent File List", "File2"), QString("/tmp/b.spk"));
        QCOMPARE(ini.Keys("Window Placement"), QStringList{"Left"});
    }

    void changesKeepEverythingElse() {
        IniFile ini;
        ini.Parse(kMixed);
        QVERIFY(ini.SetValue("Recent File List", "File3", "/c.spk"));
        QVERIFY(ini.SetValue("Settings", "PreviewPages", "1"));
        ini.RemoveKey("Recent File List", "File2");
        const QString expected = QString(kMixed)
                                     .replace("File2 = /tmp/b.spk \n", "")
                                     .replace("Pinned=yes\n", "Pinned=yes\nFile3=/c.spk\n")
                                     .replace("PreviewPages=2", "PreviewPages=1");
        QCOMPARE(ini.ToText(), expected);
    }

    void newSectionsUseExactNames() {
        IniFile ini;
        QVERIFY(ini.SetValue("Recent File List", "File1", "/a b/c.spk"));
        QVERIFY(ini.SetValue("Settings", "PreviewPages", "2"));
        QCOMPARE(ini.ToText(), QString("[Recent File List]\nFile1=/a b/c.spk\n\n"
                                       "[Settings]\nPreviewPages=2\n"));
    }

    void lookupsIgnoreCaseAndKeepTheFilesSpelling() {
        IniFile ini;
        ini.Parse("[recent file list]\nfile1=/x.spk\n");
        QCOMPARE(ini.Value("Recent File List", "File1"), QString("/x.spk"));
        QVERIFY(ini.SetValue("Recent File List", "File1", "/y.spk"));
        QCOMPARE(ini.ToText(), QString("[recent file list]\nFile1=/y.spk\n"));
    }

    void firstOfRepeatedKeysAndSectionsWins() {
        IniFile ini;
        ini.Parse("[S]\nK=1\nK=2\n[S]\nK=3\n");
        QCOMPARE(ini.Value("S", "K"), QString("1"));
        ini.RemoveKey("S", "K");
        QCOMPARE(ini.ToText(), QString("[S]\n[S]\nK=3\n"));
    }

    void crlfAndByteOrderMarkAreRead() {
        IniFile ini;
        ini.Parse(QString(QChar(0xFEFF)) + "[Settings]\r\nPreviewPages=2\r\n");
        QCOMPARE(ini.IntValue("Settings", "PreviewPages"), 2);
        QCOMPARE(ini.ToText(), QString("[Settings]\nPreviewPages=2\n"));
    }

    void valuesRoundTripExactly_data() {
        QTest::addColumn<QString>("value");
        QTest::newRow("plain") << "/home/ann/a.spk";
        QTest::newRow("inner blanks") << "/home/ann/My  Designs/a.spk";
        QTest::newRow("leading blank") << " /a.spk";
        QTest::newRow("trailing blank") << "/a.spk ";
        QTest::newRow("quoted") << "\"/a.spk\"";
        QTest::newRow("equals and semicolon") << "/a=b;c#d.spk";
        QTest::newRow("brackets") << "[Settings]";
        QTest::newRow("empty") << "";
        QTest::newRow("unicode") << QString::fromUtf8("/home/jörg/Lautsprecher – ß.spk");
    }
    void valuesRoundTripExactly() {
        QFETCH(QString, value);
        IniFile ini;
        QVERIFY(ini.SetValue("Recent File List", "File1", value));
        const QString path = m_tmp->filePath("round.ini");
        QVERIFY(ini.Save(path));
        IniFile back;
        QCOMPARE(back.Load(path), IniFile::LoadResult::Loaded);
        QCOMPARE(back.Value("Recent File List", "File1", "<absent>"), value);
    }

    void refusesWhatTheFormatCannotHold_data() {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("line break in value") << "S"
                                             << "K"
                                             << "/a\n[Evil]\nx=1";
        QTest::newRow("carriage return") << "S"
                                         << "K"
                                         << "a\rb";
        QTest::newRow("equals in key") << "S"
                                       << "K=1"
                                       << "v";
        QTest::newRow("empty key") << "S"
                                   << ""
                                   << "v";
        QTest::newRow("bracket key") << "S"
                                     << "[K"
                                     << "v";
        QTest::newRow("comment key") << "S"
                                     << ";K"
                                     << "v";
        QTest::newRow("bracket in section") << "S]x"
                                            << "K"
                                            << "v";
        QTest::newRow("empty section") << ""
                                       << "K"
                                       << "v";
    }
    void refusesWhatTheFormatCannotHold() {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        IniFile ini;
        ini.Parse("[S]\nK=old\n");
        QVERIFY(!ini.SetValue(section, key, value));
        QCOMPARE(ini.ToText(), QString("[S]\nK=old\n"));
    }

    void intValues_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");
        QTest::newRow("two") << "2" << 2;
        QTest::newRow("blanks") << "  3  " << 3;
        QTest::newRow("trailing junk") << "4pages" << 4;
        QTest::newRow("negative") << "-1" << -1;
        QTest::newRow("plus") << "+5" << 5;
        QTest::newRow("no digits") << "two" << 7;
        QTest::newRow("empty") << "" << 7;
        QTest::newRow("sign only") << "-" << 7;
        QTest::newRow("huge") << "99999999999999999999" << std::numeric_limits<int>::max();
        QTest::newRow("huge negative")
            << "-99999999999999999999" << std::numeric_limits<int>::min();
    }
    void intValues() {
        QFETCH(QString, text);
        QFETCH(int, expected);
        IniFile ini;
        ini.Parse("[Settings]\nPreviewPages=" + text + "\n");
        QCOMPARE(ini.IntValue("Settings", "PreviewPages", 7), expected);
        QCOMPARE(ini.IntValue("Settings", "Absent", 7), 7);
    }

    void malformedFilesNeverFail_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("binary") << QByteArray("\x00\xff\xfe[\x01=\x02]\n\x00\x00", 12);
        QTest::newRow("invalid utf8") << QByteArray("[Settings]\nPreviewPages=\xc3\x28\n");
        QTest::newRow("only brackets") << QByteArray("[\n]\n[]\n]]]\n[[[\n");
        QTest::newRow("only equals") << QByteArray("===\n=\n= =\n");
        QTest::newRow("no final newline") << QByteArray("[Settings]\nPreviewPages=2");
        QTest::newRow("long line") << QByteArray(200000, 'x');
        QTest::newRow("empty") << QByteArray();
    }
    void malformedFilesNeverFail() {
        QFETCH(QByteArray, bytes);
        const QString path = m_tmp->filePath("bad.ini");
        WriteAll(path, bytes);
        IniFile ini;
        QCOMPARE(ini.Load(path), IniFile::LoadResult::Loaded);
        ini.IntValue("Settings", "PreviewPages");
        QVERIFY(ini.SetValue("Recent File List", "File1", "/a.spk"));
        QVERIFY(ini.Save(path));
        IniFile back;
        QCOMPARE(back.Load(path), IniFile::LoadResult::Loaded);
        QCOMPARE(back.Value("Recent File List", "File1"), QString("/a.spk"));
    }

    void missingAndUnreadableFiles() {
        IniFile ini;
        ini.Parse("[S]\nK=1\n");
        QCOMPARE(ini.Load(m_tmp->filePath("absent.ini")), IniFile::LoadResult::Missing);
        QVERIFY(ini.Sections().isEmpty());
        QVERIFY(QDir(m_tmp->path()).mkdir("folder.ini"));
        QCOMPARE(ini.Load(m_tmp->filePath("folder.ini")), IniFile::LoadResult::Unreadable);
        QVERIFY(!ini.Save(m_tmp->filePath("folder.ini")));
        const QString big = m_tmp->filePath("big.ini");
        WriteAll(big, QByteArray(IniFile::kMaxFileSize + 1, '\n'));
        QCOMPARE(ini.Load(big), IniFile::LoadResult::Unreadable);
    }

    void saveCreatesTheFolderAndReplacesAtomically() {
        const QString path = m_tmp->filePath("new/config/orvane.ini");
        IniFile ini;
        QVERIFY(ini.SetValue("Settings", "PreviewPages", "2"));
        QVERIFY(ini.Save(path));
        QCOMPARE(ReadAll(path), QByteArray("[Settings]\nPreviewPages=2\n"));
        QVERIFY(ini.SetValue("Settings", "PreviewPages", "1"));
        QVERIFY(ini.Save(path));
        QCOMPARE(ReadAll(path), QByteArray("[Settings]\nPreviewPages=1\n"));
        // No temporary file is left beside it.
        QCOMPARE(QDir(m_tmp->filePath("new/config")).entryList(QDir::Files),
                 QStringList{"orvane.ini"});
    }

    // --- the program's settings ---

    void settingsReadAtStartUp() {
        const QString path = m_tmp->filePath("orvane.ini");
        WriteAll(path, "[Recent File List]\nFile1=/d/one.spk\nFile2=/d/two.spk\n"
                       "[Settings]\nPreviewPages=2\n");
        AppSettings settings(path);
        settings.Load();
        QCOMPARE(settings.RecentFiles().Files(), (QStringList{"/d/one.spk", "/d/two.spk"}));
        QCOMPARE(settings.PreviewPages(), 2);
    }

    void settingsFromAMissingOrBrokenFile() {
        AppSettings missing(m_tmp->filePath("absent.ini"));
        missing.Load();
        QVERIFY(missing.RecentFiles().IsEmpty());
        QCOMPARE(missing.PreviewPages(), 0);

        const QString path = m_tmp->filePath("broken.ini");
        WriteAll(path, QByteArray("\xff\xfe garbage\n[Settings\nPreviewPages=x\n"));
        AppSettings broken(path);
        broken.Load();
        QVERIFY(broken.RecentFiles().IsEmpty());
        QCOMPARE(broken.PreviewPages(), 0);
    }

    void settingsReachTheFileOnlyOnSave() {
        const QString path = m_tmp->filePath("orvane.ini");
        const QByteArray before = "; mine\n[Recent File List]\nFile1=/d/old.spk\nPinned=yes\n\n"
                                  "[Colours]\nCurve=blue\n\n[Settings]\nSound=off\n";
        WriteAll(path, before);
        AppSettings settings(path);
        settings.Load();
        settings.RecentFiles().Add("/d/new.spk");
        QCOMPARE(ReadAll(path), before);

        QVERIFY(settings.Save());
        QCOMPARE(
            ReadAll(path),
            QByteArray("; mine\n[Recent File List]\nFile1=/d/new.spk\nPinned=yes\n"
                       "File2=/d/old.spk\n\n[Colours]\nCurve=blue\n\n[Settings]\nSound=off\n"));
    }

    void previewPagesWrittenOnlyWhenNotZero() {
        const QString path = m_tmp->filePath("orvane.ini");
        WriteAll(path, "[Settings]\nPreviewPages=2\n");
        AppSettings settings(path);
        settings.Load();
        settings.SetPreviewPages(0);
        QVERIFY(settings.Save());
        QCOMPARE(ReadAll(path), QByteArray("[Settings]\nPreviewPages=2\n"));
        settings.SetPreviewPages(1);
        QVERIFY(settings.Save());
        QCOMPARE(ReadAll(path), QByteArray("[Settings]\nPreviewPages=1\n"));
    }

    void emptyListRemovesItsKeys() {
        const QString path = m_tmp->filePath("orvane.ini");
        WriteAll(path, "[Recent File List]\nFile1=/a.spk\nFile2=/b.spk\nFile4=/d.spk\n");
        AppSettings settings(path);
        settings.Load();
        settings.RecentFiles().Clear();
        QVERIFY(settings.Save());
        QCOMPARE(ReadAll(path), QByteArray("[Recent File List]\n"));
    }

    void nothingToRememberCreatesNoFile() {
        AppSettings settings(m_tmp->filePath("never.ini"));
        settings.Load();
        QVERIFY(settings.Save());
        QVERIFY(!QFile::exists(m_tmp->filePath("never.ini")));
    }

    void aFileThatCannotBeReadIsNotOverwritten() {
        const QString path = m_tmp->filePath("huge.ini");
        const QByteArray huge(IniFile::kMaxFileSize + 10, ';');
        WriteAll(path, huge);
        AppSettings settings(path);
        settings.Load();
        settings.RecentFiles().Add("/a.spk");
        QVERIFY(!settings.Save());
        QCOMPARE(ReadAll(path), huge);
    }

    void settingsPathFollowsXdgConfigHome_data() {
        QTest::addColumn<QByteArray>("configHome");
        QTest::addColumn<QString>("expected");
        QTest::newRow("set") << QByteArray("/tmp/cfg") << "/tmp/cfg/orvane.ini";
        QTest::newRow("trailing slash") << QByteArray("/tmp/cfg/") << "/tmp/cfg/orvane.ini";
        QTest::newRow("unset") << QByteArray() << QDir::homePath() + "/.config/orvane.ini";
        QTest::newRow("relative ignored")
            << QByteArray("cfg") << QDir::homePath() + "/.config/orvane.ini";
    }
    void settingsPathFollowsXdgConfigHome() {
        QFETCH(QByteArray, configHome);
        QFETCH(QString, expected);
        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        if (configHome.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", configHome);
        QCOMPARE(SettingsPath("orvane"), expected);
        // Named after the running executable.
        QVERIFY(SettingsPath().endsWith("/test_app_inifile.ini"));
        qputenv("XDG_CONFIG_HOME", saved);
    }

private:
    std::unique_ptr<QTemporaryDir> m_tmp;
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "test_app_inifile.moc"
