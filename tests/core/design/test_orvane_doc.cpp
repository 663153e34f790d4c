// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/design/COrvaneDoc.h"
#include "core/design/DesignFile.h"
#include "core/design/FileErrorMessage.h"
#include "tests/support/FailingFileSystem.h"
#include "tests/support/TestFiles.h"

#include <QtTest>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <new>
#include <sys/stat.h>

// Allocations above a limit fail while a test arms it, as they would when
// memory runs out; everything else goes to malloc as usual.
namespace {
std::atomic<std::size_t> g_failAllocationsAbove{0};
}

void* operator new(std::size_t size) {
    const std::size_t limit = g_failAllocationsAbove.load();
    if (limit != 0 && size > limit)
        throw std::bad_alloc();
    if (void* p = std::malloc(size != 0 ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

using namespace orvane;

namespace {

using Bytes = std::vector<std::uint8_t>;

QString NotFound(const QString& path) {
    return path + "\nCannot find this file.\nPlease verify that the correct path and file name "
                  "are given.";
}

int Mode(const QString& path) {
    struct stat st {};
    return ::stat(qPrintable(path), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

SpeakerDesign Vented() {
    SpeakerDesign d;
    d.m_fs = 30;
    d.m_boxType = "Vented";
    return d;
}

std::string S(const QString& s) {
    return s.toStdString();
}

// Counts what the loader reads, so a test sees that a refused file was not
// read beyond its length prefix.
class CountingFileSystem : public FileSystem {
public:
    ssize_t Read(int fd, void* data, std::size_t size) override {
        const ssize_t got = FileSystem::Read(fd, data, size);
        if (got > 0)
            bytesRead += static_cast<std::uint64_t>(got);
        return got;
    }
    std::uint64_t bytesRead = 0;

private:
    ScopedFileSystem m_scope{*this};
};

// A design file whose type name has `length` characters (16-bit ones when
// wide) under a 32-bit length prefix; `present` of them are really there
// (all when negative), the rest of the file is a hole.
QString WriteNamedDesign(const QTemporaryDir& dir, std::uint64_t length, bool wide,
                         std::int64_t present = -1) {
    Bytes b = DesignFile::Store(SpeakerDesign{});
    const Bytes tail(b.end() - 58, b.end());
    b.resize(56);
    if (wide)
        b.insert(b.end(), {0xFF, 0xFE, 0xFF});
    b.insert(b.end(), {0xFF, 0xFF, 0xFF});
    for (int i = 0; i < 4; ++i)
        b.push_back(std::uint8_t(length >> (8 * i)));
    const std::uint64_t size = wide ? 2 * length : length;
    const std::uint64_t written = present < 0 ? size : std::uint64_t(present);
    b.insert(b.end(), written, 'S');
    if (written == size)
        b.insert(b.end(), tail.begin(), tail.end());
    const QString path = dir.filePath("named.spk");
    WriteBytes(path, b);
    if (written != size) {
        QFile f(path);
        f.resize(qint64(b.size() + (size - written) + tail.size()));
    }
    return path;
}

} // namespace

class TestOrvaneDoc : public QObject {
    Q_OBJECT
private slots:
    // A new design saves as the example file; a long name needs more than the
    // first read, and bytes after the end are ignored.
    void saveAndLoad() {
        QTemporaryDir dir;
        const QString path = dir.filePath("first.spk");
        COrvaneDoc doc;
        doc.Design() = Vented();
        QVERIFY(doc.OnNewDocument());
        doc.SetModified(true);
        QVERIFY(doc.Save(S(path)));
        QCOMPARE(ReadVector(path), DesignFile::Store(SpeakerDesign{}));
        QCOMPARE(doc.Title(), std::string("first.spk"));
        QVERIFY(!doc.IsModified());
        QCOMPARE(Listing(dir.path()), QStringList{"first.spk"});

        SpeakerDesign d = Vented();
        d.m_boxType = std::string(DesignFile::kMaxTypeNameBytes, 'L');
        Bytes b = DesignFile::Store(d);
        b.insert(b.end(), 50, 0xAA);
        WriteBytes(dir.filePath("long.spk"), b);
        QVERIFY(doc.Load(S(dir.filePath("long.spk"))));
        QVERIFY(doc.Design().SameBits(d));
        QCOMPARE(doc.Title(), std::string("long.spk"));
    }

    // The record and the title stay as they were.
    void loadFailures_data() {
        QTest::addColumn<QString>("message"); // %1 is the path
        QTest::newRow("missing") << NotFound("%1");
        QTest::newRow("folder") << "An unexpected error occurred while reading %1.";
        QTest::newRow("fifo") << "Failed to open document.";
        QTest::newRow("length beyond the end") << "Unexpected file format.";
        QTest::newRow("empty") << "Unexpected file format.";
        QTest::newRow("cut short") << "Unexpected file format."; // each length: test_design_file
    }
    void loadFailures() {
        QFETCH(QString, message);
        const QString kind = QTest::currentDataTag();
        QTemporaryDir dir;
        const QString path = dir.filePath("design.spk");
        if (kind == "folder") {
            QVERIFY(QDir(dir.path()).mkdir("design.spk"));
        } else if (kind == "fifo") {
            QCOMPARE(::mkfifo(qPrintable(path), 0644), 0);
        } else if (kind == "length beyond the end") {
            Bytes b = DesignFile::Store(SpeakerDesign{});
            b[56] = 0xFF; // 32-bit length of 0xFFFFFFFF
            b.insert(b.begin() + 57, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
            WriteBytes(path, b);
        } else if (kind == "empty" || kind == "cut short") {
            Bytes b = DesignFile::Store(SpeakerDesign{});
            b.resize(kind == "empty" ? 0 : b.size() - 1);
            WriteBytes(path, b);
        }
        COrvaneDoc doc;
        QVERIFY(doc.Save(S(dir.filePath("before.spk"))));
        doc.Design() = Vented();
        const FileResult got = doc.Load(S(path));
        QVERIFY(!got);
        QCOMPARE(QString::fromStdString(got.Message()), message.replace("%1", path));
        QVERIFY(doc.Design().SameBits(Vented()));
        QCOMPARE(doc.Title(), std::string("before.spk"));
    }

    // --- loading: hostile type names ---

    // Names up to 64 KiB of stored bytes load; a longer prefix is refused
    // from the prefix alone, even when the file really holds that much (a
    // sparse file holds 4 GiB in a few blocks).
    void typeNameCap_data() {
        QTest::addColumn<qulonglong>("length");
        QTest::addColumn<bool>("wide");
        QTest::addColumn<qlonglong>("present"); // -1: all of it
        QTest::addColumn<bool>("loads");
        QTest::newRow("at the cap") << 65536ull << false << -1ll << true;
        QTest::newRow("one beyond") << 65537ull << false << -1ll << false;
        QTest::newRow("16-bit at the cap") << 32768ull << true << -1ll << true;
        QTest::newRow("16-bit one beyond") << 32769ull << true << -1ll << false;
        QTest::newRow("4 GiB, sparse") << 0xFFFFFFFFull << false << 1000ll << false;
        QTest::newRow("8 GiB of 16-bit, sparse") << 0xFFFFFFFFull << true << 1000ll << false;
    }
    void typeNameCap() {
        QFETCH(qulonglong, length);
        QFETCH(bool, wide);
        QFETCH(qlonglong, present);
        QFETCH(bool, loads);
        QTemporaryDir dir;
        const QString path = WriteNamedDesign(dir, length, wide, present);
        COrvaneDoc doc;
        CountingFileSystem counting;
        const FileResult got = doc.Load(S(path));
        QCOMPARE(bool(got), loads);
        if (loads) {
            QCOMPARE(doc.Design().m_boxType.size(), std::size_t(wide ? 3 * length : length));
            return;
        }
        QCOMPARE(QString::fromStdString(got.Message()), QString("Unexpected file format."));
        QVERIFY2(counting.bytesRead <= 4096, qPrintable(QString::number(counting.bytesRead)));
    }

    // Memory running out while loading is reported as the file's fault and
    // leaves the document as it was; the program goes on.
    void allocationFailureIsUnexpectedFormat() {
        QTemporaryDir dir;
        const QString path = WriteNamedDesign(dir, 60000, false);
        COrvaneDoc doc;
        doc.Design() = Vented();
        g_failAllocationsAbove = 32 * 1024;
        const FileResult got = doc.Load(S(path));
        g_failAllocationsAbove = 0;
        QVERIFY(!got);
        QCOMPARE(QString::fromStdString(got.Message()), QString("Unexpected file format."));
        QVERIFY(doc.Design().SameBits(Vented()));
        QVERIFY(doc.Load(S(path))); // with memory back, the same file loads
    }

    // One row per message class of the errors that load and save cannot
    // produce here. The path holds "%1" so that a second expansion would show.
    void errorMessages_data() {
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("opening");
        QTest::addColumn<QString>("load");
        QTest::addColumn<QString>("save");
        const QString notFound = "%1\nCannot find this file.\nPlease verify that the correct "
                                 "path and file name are given.";
        QTest::newRow("ENOENT") << ENOENT << true << notFound << notFound;
        QTest::newRow("EACCES") << EACCES << false
                                << "Unable to read from %1, it is opened by someone else."
                                << "Unable to write to %1, it is read-only or opened by "
                                   "someone else.";
        QTest::newRow("ENOSPC") << ENOSPC << false << "Destination disk drive is full."
                                << "Destination disk drive is full.";
        QTest::newRow("EIO") << EIO << true << "An unexpected error occurred while reading %1."
                             << "An unexpected error occurred while writing %1.";
        QTest::newRow("other opening") << EINVAL << true << "Failed to open document."
                                       << "Invalid filename.";
        QTest::newRow("other transferring") << EXDEV << false << "Failed to open document."
                                            << "Failed to save document.";
    }
    void errorMessages() {
        QFETCH(int, error);
        QFETCH(bool, opening);
        QFETCH(QString, load);
        QFETCH(QString, save);
        const QString path = "/home/u/My %1 Designs/box.spk";
        const FilePhase phase = opening ? FilePhase::Open : FilePhase::Transfer;
        const auto message = [&](FileDirection direction) {
            return QString::fromStdString(
                FileErrorMessage(error, direction, phase, path.toStdString()));
        };
        QCOMPARE(message(FileDirection::Load), load.replace("%1", path));
        QCOMPARE(message(FileDirection::Save), save.replace("%1", path));
    }

    // --- atomic writes ---

    // A failed save, real or injected at each step, keeps any earlier file
    // byte for byte, leaves no temporary file and keeps the modified mark.
    void saveFailures_data() {
        QTest::addColumn<int>("step"); // -1: a real failure
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("message");
        using Step = FailingFileSystem::Step;
        const QString writeError = "An unexpected error occurred while writing %1.";
        QTest::newRow("missing folder") << -1 << 0 << NotFound("%1");
        QTest::newRow("target is a folder") << -1 << 0 << writeError;
        QTest::newRow("target is a fifo") << -1 << 0 << "Invalid filename.";
        QTest::newRow("create") << int(Step::CreateTemp) << ENOSPC
                                << "Destination disk drive is full.";
        QTest::newRow("write") << int(Step::Write) << EIO << writeError;
        QTest::newRow("flush") << int(Step::Flush) << EDQUOT << "Destination disk drive is full.";
        QTest::newRow("rename") << int(Step::Rename) << EXDEV << "Failed to save document.";
    }
    void saveFailures() {
        QFETCH(int, step);
        QFETCH(int, error);
        QFETCH(QString, message);
        const QString kind = QTest::currentDataTag();
        QTemporaryDir dir;
        QString path = dir.filePath("design.spk");
        COrvaneDoc doc;
        if (kind == "missing folder")
            path = dir.filePath("nowhere/design.spk");
        else if (kind == "target is a folder")
            QVERIFY(QDir(dir.path()).mkdir("design.spk"));
        else if (kind == "target is a fifo")
            QCOMPARE(::mkfifo(qPrintable(path), 0644), 0);
        else
            QVERIFY(doc.Save(S(path))); // the earlier file
        const QStringList before = Listing(dir.path());
        const Bytes old = step >= 0 ? ReadVector(path) : Bytes{}; // never open the fifo
        doc.Design().m_boxType = std::string(5000, 'z');          // would make a longer file
        doc.SetModified(true);
        std::optional<FailingFileSystem> failing;
        if (step >= 0)
            failing.emplace(FailingFileSystem::Step(step), error);
        const FileResult got = doc.Save(S(path));
        failing.reset();
        QVERIFY(!got);
        QCOMPARE(QString::fromStdString(got.Message()), message.replace("%1", path));
        QCOMPARE(Listing(dir.path()), before);
        QVERIFY(doc.IsModified());
        if (step >= 0)
            QCOMPARE(ReadVector(path), old);
    }

    // Saving through a link updates the file it points to and keeps the link
    // and the file's mode; a new file follows the umask.
    void saveKeepsLinkAndMode() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("real"));
        const QString real = dir.filePath("real/design.spk"), link = dir.filePath("link.spk");
        WriteBytes(real, QByteArray("\x01\x02"));
        QCOMPARE(::chmod(qPrintable(real), 0604), 0);
        QVERIFY(QFile::link(real, link));
        const mode_t mask = ::umask(027);
        COrvaneDoc doc;
        const bool saved = doc.Save(S(link)) && doc.Save(S(dir.filePath("new.spk")));
        ::umask(mask);
        QVERIFY(saved);
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(ReadVector(real), DesignFile::Store(SpeakerDesign{}));
        QCOMPARE(Mode(real), 0604);
        QCOMPARE(Mode(dir.filePath("new.spk")), 0640);
        QCOMPARE(Listing(dir.filePath("real")), QStringList{"design.spk"});
    }
};

QTEST_APPLESS_MAIN(TestOrvaneDoc)
#include "test_orvane_doc.moc"
