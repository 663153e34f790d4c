// SPDX-License-Identifier: GPL-3.0-or-later
// Loading and saving a design file: hostile files, failed writes, messages.
#include "core/design/COrvaneDoc.h"
#include "core/design/DesignExtension.h"
#include "core/design/DesignFile.h"
#include "core/design/FileErrorMessage.h"
#include "tests/support/FailingFileSystem.h"
#include "tests/support/ReferenceDesigns.h"
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
    void* p = limit != 0 && size > limit ? nullptr : std::malloc(size != 0 ? size : 1);
    return p != nullptr ? p : throw std::bad_alloc();
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
const QString kNotFound = "%1\nCannot find this file.\nPlease verify that the correct path and "
                          "file name are given.";
const QString kFormat = "Unexpected file format.";

const SpeakerDesign kVented = ReferenceDesign(BoxKind::Vented);
std::string S(const QString& s) {
    return s.toStdString();
}
// A scratch folder whose path holds "%1", so that a message expanded twice shows.
struct Dir : QTemporaryDir {
    Dir() : QTemporaryDir(QDir::tempPath() + "/orvane %1 XXXXXX") {}
};
QString Message(const FileResult& r) {
    return r ? QString() : QString::fromStdString(r.Message());
}

// A design file whose type name has `length` characters (16-bit ones when
// wide) under a 32-bit length prefix; `present` of them are really there,
// the rest of the file is a hole.
QString WriteNamedDesign(const Dir& dir, std::uint32_t length, bool wide,
                         std::uint64_t present = ~0ull) {
    const Bytes record = DesignFile::Store(SpeakerDesign{});
    Bytes b(record.begin(), record.begin() + 56);
    if (wide)
        b.insert(b.end(), {0xFF, 0xFE, 0xFF});
    b.insert(b.end(), {0xFF, 0xFF, 0xFF, std::uint8_t(length), std::uint8_t(length >> 8),
                       std::uint8_t(length >> 16), std::uint8_t(length >> 24)});
    const std::uint64_t size = (wide ? 2 : 1) * std::uint64_t(length), whole = b.size() + size + 58;
    b.insert(b.end(), std::min(size, present), 'S');
    if (present >= size)
        b.insert(b.end(), record.end() - 58, record.end());
    const QString path = dir.filePath("named.spk");
    WriteBytes(path, b);
    QFile(path).resize(qint64(whole));
    return path;
}

} // namespace

class TestOrvaneDoc : public QObject {
    Q_OBJECT
private slots:
    // A new design saves as the example file and takes the file's name. A
    // tail up to the limit is read, a longer one left unread and not written
    // back, as readers of the record alone leave it; a tail that is no block
    // goes back verbatim.
    void saveAndLoad() {
        Dir dir;
        const QString path = dir.filePath("first.spk");
        COrvaneDoc doc;
        doc.Design() = kVented;
        QVERIFY(doc.OnNewDocument());
        doc.SetModified(true);
        QVERIFY(doc.Save(S(path)) && doc.Title() == "first.spk" && !doc.IsModified());
        const Bytes record = DesignFile::Store(SpeakerDesign{});
        QVERIFY(ReadVector(path) == record && Listing(dir.path()) == QStringList{"first.spk"});
        SpeakerDesign big;
        big.m_extras.re = 6;
        Bytes& filler = big.m_keptExtension.unknownEntries;
        for (std::size_t left = DesignExtension::kMaxTailBytes - 9 - 12; left > 0;) {
            const std::size_t n = std::min<std::size_t>(left - 4, 0xFFFF);
            filler.insert(filler.end(), {0x77, 0x77, std::uint8_t(n), std::uint8_t(n >> 8)});
            filler.insert(filler.end(), n, 0);
            left -= n + 4;
        }
        const Bytes full = DesignFile::Store(big);
        Bytes odd = record;
        odd.resize(5121, 0x5A);
        QCOMPARE(full.size(), 121 + DesignExtension::kMaxTailBytes);
        Bytes longer = full;
        longer.push_back(0);
        for (const auto& [file, saved] : {std::pair{full, full}, {longer, record}, {odd, odd}}) {
            WriteBytes(path, file);
            QVERIFY(doc.Load(S(path)) && doc.Save(S(path)));
            QCOMPARE(doc.Design().m_extras.re.has_value(), file.size() == full.size());
            QVERIFY(ReadVector(path) == saved);
        }
        SpeakerDesign d = kVented; // a long name needs more than the first read
        d.m_boxType = std::string(DesignFile::kMaxTypeNameBytes, 'L');
        Bytes named = DesignFile::Store(d);
        named.resize(named.size() + 50, 0xAA);
        WriteBytes(path, named);
        QVERIFY(doc.Load(S(path)) && doc.Design().SameBits(d) && doc.Save(S(path)));
        QVERIFY(ReadVector(path) == named);
    }

    // The record and the title stay as they were.
    void loadFailures_data() {
        QTest::addColumn<QString>("message"); // %1 is the path
        QTest::newRow("missing") << kNotFound;
        QTest::newRow("folder") << "An unexpected error occurred while reading %1.";
        QTest::newRow("fifo") << "Failed to open document.";
        QTest::newRow("length beyond the end") << kFormat;
        QTest::newRow("empty") << kFormat;
        QTest::newRow("cut short") << kFormat; // each length: test_design_file
        QTest::newRow("read fails") << "Unable to read from %1, it is opened by someone else.";
        QTest::newRow("cut while read") << kFormat;
    }
    void loadFailures() {
        const QString kind = QTest::currentDataTag();
        Dir dir;
        const QString path = dir.filePath("design.spk");
        Bytes b = DesignFile::Store(SpeakerDesign{});
        if (kind == "folder")
            QVERIFY(QDir(dir.path()).mkdir("design.spk"));
        else if (kind == "fifo")
            QCOMPARE(::mkfifo(qPrintable(path), 0644), 0);
        else if (kind == "length beyond the end") // 32-bit length of 0xFFFFFFFF
            b[56] = 0xFF, b.insert(b.begin() + 57, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
        if (kind != "missing" && kind != "folder" && kind != "fifo")
            WriteBytes(path, Bytes(b.begin(), kind == "empty"       ? b.begin()
                                              : kind == "cut short" ? b.end() - 1
                                                                    : b.end()));
        COrvaneDoc doc;
        QVERIFY(doc.Save(S(dir.filePath("before.spk"))));
        doc.Design() = kVented;
        std::optional<FailingFileSystem> failing;
        if (kind == "read fails" || kind == "cut while read")
            failing.emplace(kind == "read fails" ? FailingFileSystem::Step::Read
                                                 : FailingFileSystem::Step::EndEarly,
                            EACCES);
        QFETCH(QString, message);
        QCOMPARE(Message(doc.Load(S(path))), message.replace("%1", path));
        QVERIFY(doc.Design().SameBits(kVented) && doc.Title() == "before.spk");
    }

    // Names up to 64 KiB of stored bytes load; a longer prefix is refused
    // from the prefix alone, even when the file really holds that much (a
    // sparse file holds 4 GiB in a few blocks).
    void typeNameCap_data() {
        QTest::addColumn<qulonglong>("length");
        QTest::addColumn<bool>("wide");
        QTest::addColumn<qulonglong>("present"); // of the text's bytes
        QTest::newRow("at the cap") << 65536ull << false << ~0ull;
        QTest::newRow("one beyond") << 65537ull << false << ~0ull;
        QTest::newRow("16-bit at the cap") << 32768ull << true << ~0ull;
        QTest::newRow("16-bit one beyond") << 32769ull << true << ~0ull;
        QTest::newRow("4 GiB, sparse") << 0xFFFFFFFFull << false << 1000ull;
        QTest::newRow("8 GiB of 16-bit, sparse") << 0xFFFFFFFFull << true << 1000ull;
    }
    void typeNameCap() {
        QFETCH(qulonglong, length);
        QFETCH(bool, wide);
        QFETCH(qulonglong, present);
        const bool loads = length <= 65536 / (wide ? 2 : 1);
        Dir dir;
        const QString path = WriteNamedDesign(dir, length, wide, present);
        COrvaneDoc doc;
        QCOMPARE(Message(doc.Load(S(path))), loads ? QString() : kFormat);
        QCOMPARE(doc.Design().m_boxType.size(), std::size_t(loads ? (wide ? 3 : 1) * length : 6));
    }

    // Memory running out while loading is reported as the file's fault and
    // leaves the document as it was; the program goes on.
    void allocationFailureIsUnexpectedFormat() {
        Dir dir;
        const QString path = WriteNamedDesign(dir, 60000, false);
        COrvaneDoc doc;
        doc.Design() = kVented;
        g_failAllocationsAbove = 32 * 1024;
        const FileResult got = doc.Load(S(path));
        g_failAllocationsAbove = 0;
        QVERIFY(Message(got) == kFormat && doc.Design().SameBits(kVented));
        QVERIFY(doc.Load(S(path))); // with memory back, the same file loads
    }

    // A failed save, real or injected at each step, keeps any earlier file
    // byte for byte, leaves no temporary file and keeps the modified mark.
    void saveFailures_data() {
        QTest::addColumn<int>("step"); // -1: a real failure
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("message");
        using Step = FailingFileSystem::Step;
        const QString writeError = "An unexpected error occurred while writing %1.",
                      full = "Destination disk drive is full.";
        QTest::newRow("missing folder") << -1 << 0 << kNotFound;
        QTest::newRow("target is a folder") << -1 << 0 << writeError;
        QTest::newRow("target is a fifo") << -1 << 0 << "Invalid filename.";
        QTest::newRow("create") << int(Step::CreateTemp) << ENOSPC << full;
        QTest::newRow("write") << int(Step::Write) << EIO << writeError;
        QTest::newRow("flush") << int(Step::Flush) << ENOSPC << full;
        QTest::newRow("close") << int(Step::Close) << EDQUOT << full;
        QTest::newRow("rename") << int(Step::Rename) << EXDEV << "Failed to save document.";
    }
    void saveFailures() {
        QFETCH(int, step);
        QFETCH(int, error);
        const QString kind = QTest::currentDataTag();
        Dir dir;
        const QString path =
            dir.filePath(kind == "missing folder" ? "nowhere/design.spk" : "design.spk");
        COrvaneDoc doc;
        if (kind == "target is a folder")
            QVERIFY(QDir(dir.path()).mkdir("design.spk"));
        else if (kind == "target is a fifo")
            QCOMPARE(::mkfifo(qPrintable(path), 0644), 0);
        else if (step >= 0)
            QVERIFY(doc.Save(S(path))); // the earlier file
        const QStringList before = Listing(dir.path());
        const Bytes old = step >= 0 ? ReadVector(path) : Bytes{};
        doc.Design().m_boxType = std::string(5000, 'z'); // would make a longer file
        doc.SetModified(true);
        std::optional<FailingFileSystem> failing;
        if (step >= 0)
            failing.emplace(FailingFileSystem::Step(step), error);
        const FileResult got = doc.Save(S(path));
        failing.reset();
        QFETCH(QString, message);
        QCOMPARE(Message(got), message.replace("%1", path));
        QVERIFY(Listing(dir.path()) == before && doc.IsModified());
        QCOMPARE(step >= 0 ? ReadVector(path) : Bytes{}, old); // never open the fifo
    }

    // Saving through a link updates the file it points to and keeps the link
    // and the file's mode; a new file follows the umask.
    void saveKeepsLinkAndMode() {
        Dir dir;
        QVERIFY(QDir(dir.path()).mkdir("real"));
        const QString real = dir.filePath("real/design.spk"), link = dir.filePath("link.spk");
        WriteBytes(real, QByteArray("\x01\x02"));
        QVERIFY(::chmod(qPrintable(real), 0604) == 0 && QFile::link(real, link));
        const mode_t mask = ::umask(027);
        COrvaneDoc doc;
        const bool saved = doc.Save(S(link)) && doc.Save(S(dir.filePath("new.spk")));
        ::umask(mask);
        QVERIFY(saved && QFileInfo(link).isSymLink() &&
                ReadVector(real) == DesignFile::Store(SpeakerDesign{}));
        QCOMPARE(FileMode(real), 0604);
        QCOMPARE(FileMode(dir.filePath("new.spk")), 0640);
        QCOMPARE(Listing(dir.filePath("real")), QStringList{"design.spk"});
    }
};

QTEST_APPLESS_MAIN(TestOrvaneDoc)
#include "test_orvane_doc.moc"
