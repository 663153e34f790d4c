// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/design/COrvaneDoc.h"
#include "core/design/DesignFile.h"
#include "tests/support/FailingFileSystem.h"

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

Bytes ReadAll(const QString& path) {
    QFile f(path);
    const QByteArray data = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    return Bytes(data.begin(), data.end());
}

void WriteAll(const QString& path, const Bytes& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
}

// Every name in a folder, hidden ones included: a save leaves nothing behind.
QStringList Listing(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
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
    WriteAll(path, b);
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
        QCOMPARE(ReadAll(path), DesignFile::Store(SpeakerDesign{}));
        QCOMPARE(doc.Title(), std::string("first.spk"));
        QVERIFY(!doc.IsModified());
        QCOMPARE(Listing(dir.path()), QStringList{"first.spk"});

        SpeakerDesign d = Vented();
        d.m_boxType = std::string(DesignFile::kMaxTypeNameBytes, 'L');
        Bytes b = DesignFile::Store(d);
        b.insert(b.end(), 50, 0xAA);
        WriteAll(dir.filePath("long.spk"), b);
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
        for (int n = 0; n < 121; ++n)
            QTest::addRow("cut to %d", n) << "Unexpected file format.";
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
            WriteAll(path, b);
        } else if (kind.startsWith("cut to ")) {
            const Bytes b = DesignFile::Store(SpeakerDesign{});
            WriteAll(path, Bytes(b.begin(), b.begin() + kind.mid(7).toInt()));
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
        const Bytes old = step >= 0 ? ReadAll(path) : Bytes{}; // never open the fifo
        doc.Design().m_boxType = std::string(5000, 'z');       // would make a longer file
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
            QCOMPARE(ReadAll(path), old);
    }

    // Saving through a link updates the file it points to and keeps the link
    // and the file's mode; a new file follows the umask.
    void saveKeepsLinkAndMode() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("real"));
        const QString real = dir.filePath("real/design.spk"), link = dir.filePath("link.spk");
        WriteAll(real, {1, 2});
        QCOMPARE(::chmod(qPrintable(real), 0604), 0);
        QVERIFY(QFile::link(real, link));
        const mode_t mask = ::umask(027);
        COrvaneDoc doc;
        const bool saved = doc.Save(S(link)) && doc.Save(S(dir.filePath("new.spk")));
        ::umask(mask);
        QVERIFY(saved);
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(ReadAll(real), DesignFile::Store(SpeakerDesign{}));
        QCOMPARE(Mode(real), 0604);
        QCOMPARE(Mode(dir.filePath("new.spk")), 0640);
        QCOMPARE(Listing(dir.filePath("real")), QStringList{"design.spk"});
    }
};

QTEST_APPLESS_MAIN(TestOrvaneDoc)
#include "test_orvane_doc.moc"
