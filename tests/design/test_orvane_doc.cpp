#include "design/COrvaneDoc.h"
#include "design/DesignFile.h"

#include <QtTest>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

QString NotFound(const QString& path) {
    return path + "\nCannot find this file.\nPlease verify that the correct path and file name "
                  "are given.";
}

Bytes ReadAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = f.readAll();
    return Bytes(data.begin(), data.end());
}

void WriteAll(const QString& path, const Bytes& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
}

// Every name in a folder, hidden ones included: a save leaves nothing behind.
QStringList Listing(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

SpeakerDesign Vented() {
    SpeakerDesign d;
    d.m_fs = 30;
    d.m_qts = 0.4;
    d.m_vas = 3;
    d.m_v1 = 2;
    d.m_f1 = 40;
    d.m_boxType = "Vented";
    d.m_driverCount = 2;
    return d;
}

std::string S(const QString& s) {
    return s.toStdString();
}

} // namespace

class TestOrvaneDoc : public QObject {
    Q_OBJECT
private slots:
    void newDocumentRestoresDefaults() {
        COrvaneDoc doc;
        doc.Design() = Vented();
        doc.SetModified(true);
        QVERIFY(doc.OnNewDocument());
        QVERIFY(doc.Design().SameBits(SpeakerDesign{}));
        QVERIFY(doc.Path().empty());
        QVERIFY(!doc.IsModified());
    }

    void saveNewDesignWritesTheExample() {
        QTemporaryDir dir;
        const QString path = dir.filePath("first.spk");
        COrvaneDoc doc;
        doc.OnNewDocument();
        doc.SetModified(true);
        QVERIFY(!doc.Save(S(path)));
        QCOMPARE(ReadAll(path), DesignFile::Store(SpeakerDesign{}));
        QCOMPARE(ReadAll(path).size(), std::size_t(121));
        QCOMPARE(doc.Path(), S(path));
        QCOMPARE(doc.Title(), std::string("first.spk"));
        QVERIFY(!doc.IsModified());
        QCOMPARE(Listing(dir.path()), QStringList{"first.spk"});
    }

    void loadLeavesModifiedFlagAlone_data() {
        QTest::addColumn<bool>("modified");
        QTest::newRow("clear") << false;
        QTest::newRow("set") << true;
    }
    void loadLeavesModifiedFlagAlone() {
        QFETCH(bool, modified);
        QTemporaryDir dir;
        const QString path = dir.filePath("vented.spk");
        WriteAll(path, DesignFile::Store(Vented()));
        COrvaneDoc doc;
        doc.SetModified(modified);
        QVERIFY(!doc.Load(S(path)));
        QVERIFY(doc.Design().SameBits(Vented()));
        QCOMPARE(doc.IsModified(), modified);
        QCOMPARE(doc.Path(), S(path));
        QCOMPARE(doc.Title(), std::string("vented.spk"));
    }

    // A long type name needs more than the first read.
    void loadLongName() {
        QTemporaryDir dir;
        const QString path = dir.filePath("long.spk");
        SpeakerDesign d = Vented();
        d.m_boxType = std::string(100000, 'L');
        Bytes b = DesignFile::Store(d);
        b.insert(b.end(), 50, 0xAA); // extra bytes are ignored
        WriteAll(path, b);
        COrvaneDoc doc;
        QVERIFY(!doc.Load(S(path)));
        QVERIFY(doc.Design().SameBits(d));
    }

    void relativePathsAreReportedInFull() {
        QTemporaryDir dir;
        const QString old = QDir::currentPath();
        QDir::setCurrent(dir.path());
        COrvaneDoc doc;
        const auto message = doc.Load("missing.spk");
        QDir::setCurrent(old);
        QVERIFY(message);
        QCOMPARE(QString::fromStdString(*message),
                 NotFound(QDir(dir.path()).absoluteFilePath("missing.spk")));
    }

    // Failures that root meets too; the record and the name stay as they were.
    void loadFailures_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message"); // %1 is the path
        QTest::newRow("missing") << "missing" << NotFound("%1");
        QTest::newRow("through a file") << "through a file" << NotFound("%1");
        QTest::newRow("folder") << "folder"
                                << "An unexpected error occurred while reading %1.";
        QTest::newRow("fifo") << "fifo"
                              << "Failed to open document.";
        QTest::newRow("empty file") << "empty file"
                                    << "Unexpected file format.";
        QTest::newRow("cut by one") << "cut by one"
                                    << "Unexpected file format.";
        QTest::newRow("length beyond the end") << "length beyond the end"
                                               << "Unexpected file format.";
    }
    void loadFailures() {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        QTemporaryDir dir;
        QString path = dir.filePath("design.spk");
        if (kind == "through a file") {
            WriteAll(dir.filePath("plain"), {1, 2, 3});
            path = dir.filePath("plain/design.spk");
        } else if (kind == "folder") {
            QVERIFY(QDir(dir.path()).mkdir("design.spk"));
        } else if (kind == "fifo") {
            QCOMPARE(::mkfifo(qPrintable(path), 0644), 0);
        } else if (kind == "empty file") {
            WriteAll(path, {});
        } else if (kind == "cut by one") {
            Bytes b = DesignFile::Store(SpeakerDesign{});
            b.pop_back();
            WriteAll(path, b);
        } else if (kind == "length beyond the end") {
            Bytes b = DesignFile::Store(SpeakerDesign{});
            b[56] = 0xFF; // 32-bit length of 0xFFFFFFFF, far beyond the file
            b.insert(b.begin() + 57, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
            WriteAll(path, b);
        }
        COrvaneDoc doc;
        QVERIFY(!doc.Save(S(dir.filePath("before.spk"))));
        doc.Design() = Vented();
        const auto got = doc.Load(S(path));
        QVERIFY(got);
        QCOMPARE(QString::fromStdString(*got), QString(message).replace("%1", path));
        QVERIFY(doc.Design().SameBits(Vented()));
        QCOMPARE(doc.Path(), S(dir.filePath("before.spk")));
        QCOMPARE(doc.Title(), std::string("before.spk"));
    }

    // Failed saves that root meets too: nothing appears, nothing changes.
    void saveFailures_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing folder") << "missing folder" << NotFound("%1");
        QTest::newRow("folder is a file") << "folder is a file" << NotFound("%1");
        QTest::newRow("target is a folder") << "target is a folder"
                                            << "An unexpected error occurred while writing %1.";
        QTest::newRow("target is a fifo") << "target is a fifo"
                                          << "Invalid filename.";
        QTest::newRow("name too long") << "name too long" << NotFound("%1");
        QTest::newRow("empty name") << "empty name"
                                    << "Invalid filename.";
    }
    void saveFailures() {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        QTemporaryDir dir;
        QString path;
        if (kind == "missing folder") {
            path = dir.filePath("nowhere/design.spk");
        } else if (kind == "folder is a file") {
            WriteAll(dir.filePath("plain"), {1, 2, 3});
            path = dir.filePath("plain/design.spk");
        } else if (kind == "target is a folder") {
            path = dir.filePath("design.spk");
            QVERIFY(QDir(dir.path()).mkdir("design.spk"));
            WriteAll(dir.filePath("design.spk/inside"), {9});
        } else if (kind == "target is a fifo") {
            path = dir.filePath("design.spk");
            QCOMPARE(::mkfifo(qPrintable(path), 0644), 0);
        } else if (kind == "name too long") {
            path = dir.filePath(QString(300, 'n') + ".spk");
        }
        const QStringList before = Listing(dir.path());
        COrvaneDoc doc;
        doc.SetModified(true);
        const auto got = doc.Save(S(path));
        QVERIFY(got);
        QCOMPARE(QString::fromStdString(*got), QString(message).replace("%1", path));
        QCOMPARE(Listing(dir.path()), before);
        QVERIFY(doc.IsModified());
        QVERIFY(doc.Path().empty());
        if (kind == "target is a folder")
            QCOMPARE(ReadAll(dir.filePath("design.spk/inside")), Bytes{9});
        if (kind == "target is a fifo") {
            struct stat st {};
            QCOMPARE(::lstat(qPrintable(path), &st), 0);
            QVERIFY(S_ISFIFO(st.st_mode));
        }
    }

    // A save interrupted at any step keeps the earlier file byte for byte and
    // leaves no temporary file.
    void interruptedSaveKeepsOldFile_data() {
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("message");
        using Step = COrvaneDoc::SaveStep;
        QTest::newRow("temp file, disk full")
            << int(Step::CreateTemp) << ENOSPC << "Destination disk drive is full.";
        QTest::newRow("temp file, too many files")
            << int(Step::CreateTemp) << EMFILE << "An unexpected error occurred while writing %1.";
        QTest::newRow("temp file, other") << int(Step::CreateTemp) << EINVAL << "Invalid filename.";
        QTest::newRow("write, disk full")
            << int(Step::Write) << ENOSPC << "Destination disk drive is full.";
        QTest::newRow("write, i/o")
            << int(Step::Write) << EIO << "An unexpected error occurred while writing %1.";
        QTest::newRow("flush, quota")
            << int(Step::Flush) << EDQUOT << "Destination disk drive is full.";
        QTest::newRow("rename, busy") << int(Step::Rename) << EBUSY
                                      << "Unable to write to %1, it is read-only or opened by "
                                         "someone else.";
        QTest::newRow("rename, other") << int(Step::Rename) << EXDEV << "Failed to save document.";
    }
    void interruptedSaveKeepsOldFile() {
        QFETCH(int, step);
        QFETCH(int, error);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = dir.filePath("kept.spk");
        COrvaneDoc doc;
        doc.Design() = Vented();
        QVERIFY(!doc.Save(S(path)));
        const Bytes old = ReadAll(path);

        doc.Design().m_boxType = std::string(5000, 'z'); // would make a longer file
        doc.SetModified(true);
        doc.InjectSaveFailure(COrvaneDoc::SaveStep(step), error);
        const auto got = doc.Save(S(path));
        QVERIFY(got);
        QCOMPARE(QString::fromStdString(*got), QString(message).replace("%1", path));
        QCOMPARE(ReadAll(path), old);
        QCOMPARE(Listing(dir.path()), QStringList{"kept.spk"});
        QVERIFY(doc.IsModified());
        QCOMPARE(doc.Path(), S(path));

        doc.InjectSaveFailure(COrvaneDoc::SaveStep(step), 0);
        QVERIFY(!doc.Save(S(path)));
        QCOMPARE(ReadAll(path), DesignFile::Store(doc.Design()));
        QCOMPARE(Listing(dir.path()), QStringList{"kept.spk"});
    }

    void saveKeepsPermissionBits_data() {
        QTest::addColumn<int>("mode");
        QTest::newRow("0640") << 0640;
        QTest::newRow("0604") << 0604;
        QTest::newRow("0755") << 0755;
    }
    void saveKeepsPermissionBits() {
        QFETCH(int, mode);
        QTemporaryDir dir;
        const QString path = dir.filePath("mode.spk");
        WriteAll(path, {1});
        QCOMPARE(::chmod(qPrintable(path), mode_t(mode)), 0);
        COrvaneDoc doc;
        QVERIFY(!doc.Save(S(path)));
        struct stat st {};
        QCOMPARE(::stat(qPrintable(path), &st), 0);
        QCOMPARE(int(st.st_mode & 07777), mode);
    }

    void newFileFollowsUmask() {
        QTemporaryDir dir;
        const mode_t old = ::umask(027);
        COrvaneDoc doc;
        const auto got = doc.Save(S(dir.filePath("new.spk")));
        ::umask(old);
        QVERIFY(!got);
        struct stat st {};
        QCOMPARE(::stat(qPrintable(dir.filePath("new.spk")), &st), 0);
        QCOMPARE(int(st.st_mode & 07777), 0640);
    }

    // Saving through a link updates the file it points to and keeps the link.
    void saveThroughSymbolicLink() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("real"));
        const QString real = dir.filePath("real/design.spk");
        const QString link = dir.filePath("link.spk");
        WriteAll(real, {1, 2});
        QVERIFY(QFile::link(real, link));
        COrvaneDoc doc;
        doc.Design() = Vented();
        QVERIFY(!doc.Save(S(link)));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(ReadAll(real), DesignFile::Store(Vented()));
        QCOMPARE(doc.Title(), std::string("link.spk"));
        QCOMPARE(Listing(dir.filePath("real")), QStringList{"design.spk"});
    }

    // The temporary name is short, so the longest allowed name still saves.
    void longestFileNameSaves() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QString(251, 'n') + ".spk");
        COrvaneDoc doc;
        QVERIFY(!doc.Save(S(path)));
        COrvaneDoc again;
        QVERIFY(!again.Load(S(path)));
        QCOMPARE(again.Title(), S(QString(251, 'n') + ".spk"));
    }

    // As root, access() lets everything through, so this only runs for others.
    void readOnlyFileIsNotReplaced() {
        if (::geteuid() == 0)
            QSKIP("root may write any file");
        QTemporaryDir dir;
        const QString path = dir.filePath("ro.spk");
        WriteAll(path, {7, 7, 7});
        QCOMPARE(::chmod(qPrintable(path), 0444), 0);
        COrvaneDoc doc;
        const auto got = doc.Save(S(path));
        QVERIFY(got);
        QCOMPARE(QString::fromStdString(*got),
                 "Unable to write to " + path + ", it is read-only or opened by someone else.");
        QCOMPARE(ReadAll(path), (Bytes{7, 7, 7}));
        QCOMPARE(Listing(dir.path()), QStringList{"ro.spk"});
    }
};

QTEST_APPLESS_MAIN(TestOrvaneDoc)
#include "test_orvane_doc.moc"
