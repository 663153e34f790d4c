// SPDX-License-Identifier: GPL-3.0-or-later
// The driver library's database: files not ours, damaged or not writable.
#include "core/library/DriverLibrary.h"
#include "core/library/LibraryFiles.h"
#include "tests/support/Drivers.h"
#include "tests/support/FailingFileSystem.h"
#include "tests/support/FullDiskSqlite.h"
#include "tests/support/TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace orvane;

namespace {

constexpr DuplicatePolicy kSkip = DuplicatePolicy::Skip, kReplace = DuplicatePolicy::Replace;

// SQL through a connection of the test's own: the last value it answers.
QString Sql(const std::string& path, const std::string& sql) {
    QString value;
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    const auto keep = [](void* out, int, char** values, char**) {
        return *static_cast<QString*>(out) = QString::fromUtf8(values[0]), 0;
    };
    if (sqlite3_exec(db, sql.c_str(), keep, &value, nullptr) != SQLITE_OK)
        qFatal("%s: %s", sql.c_str(), sqlite3_errmsg(db));
    sqlite3_close(db);
    return value;
}

QByteArray Bytes(const std::string& path) {
    return ReadBytes(QString::fromStdString(path));
}

std::unique_ptr<DriverLibrary> OpenOrDie(const std::string& path) {
    Result<std::unique_ptr<DriverLibrary>> library = DriverLibrary::Open(path);
    return library ? std::move(*library) : (qFatal("%s", library.Message().c_str()), nullptr);
}

void Fill(const std::string& path, int count) {
    std::vector<DriverEntry> many(count, Driver("Maker", ""));
    for (int i = 0; i < count; ++i)
        many[i].model = std::to_string(i);
    QVERIFY(OpenOrDie(path)->StoreAll(many, kSkip));
}

} // namespace

class TestDriverLibrary : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    std::string Path(const char* name) const { return m_dir->filePath(name).toStdString(); }
    QStringList Files() const { return Listing(m_dir->path()); }

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    // A new library: folder made, schema stamped, log in use. One of an older
    // schema is brought up to date in place, its drivers kept (read as they
    // are while it cannot be written); then it holds radiators.
    void createsAndMigrates_data() {
        QTest::addColumn<int>("version");
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("1") << 1 << false;
        QTest::newRow("2") << 2 << false;
        QTest::newRow("2, read-only") << 2 << true;
    }
    void createsAndMigrates() {
        QFETCH(int, version);
        QFETCH(bool, readOnly);
        const std::string fresh = Path("new/folder/drivers.sqlite");
        QVERIFY(LibraryNames(*OpenOrDie(fresh)).empty());
        QCOMPARE(Sql(fresh, "PRAGMA user_version") + Sql(fresh, "PRAGMA journal_mode") +
                     Sql(fresh, "PRAGMA application_id"),
                 "3wal1330796108");
        const std::string path = Path("old.sqlite");
        const std::string re = version >= 2 ? ", re REAL, qes REAL, le REAL, pe REAL" : "";
        const std::optional<double> oldRe = version >= 2 ? std::optional(5.5) : std::nullopt;
        Sql(path, "CREATE TABLE drivers (id INTEGER PRIMARY KEY, maker TEXT COLLATE NOCASE, model "
                  "TEXT COLLATE NOCASE, fs REAL, qts REAL, vas REAL, cone_diameter REAL, xmax "
                  "REAL, efficiency REAL, notes TEXT, created TEXT, modified TEXT" +
                      re +
                      ", UNIQUE (maker, model)); INSERT INTO drivers (id, maker, model, fs, "
                      "qts, vas, xmax, notes, created, modified) VALUES (7, 'SEAS', 'L26', "
                      "22, 0.39, 4.9, 0.32, 'old', 'then', 'then'); PRAGMA application_id = "
                      "1330796108; PRAGMA user_version = " +
                      std::to_string(version) + (oldRe ? "; UPDATE drivers SET re = 5.5" : ""));
        std::optional<FailingFileSystem> seam;
        if (readOnly)
            seam.emplace(FailingFileSystem::Step::Access, EROFS);
        auto library = OpenOrDie(path);
        DriverEntry e = **library->FindById(7);
        QVERIFY(e.kind == DriverKind::Driver && e.re == oldRe && !e.mms && e.xmax == 0.32);
        QCOMPARE(Sql(path, "PRAGMA user_version").toInt(), readOnly ? version : 3);
        if (readOnly)
            return;
        e.re = 5.6, e.efficiency = 91;
        QVERIFY(library->Update(e));
        DriverEntry radiator = Driver("SEAS", "PR", 14.4, 9.4, 2.55);
        std::tie(radiator.kind, radiator.mms, radiator.displacement) =
            std::tuple(DriverKind::Radiator, 132.0, 0.04);
        QVERIFY(library->Store(radiator, kSkip));
        const DriverEntry after = **library->FindById(7);
        const DriverEntry pr = **library->FindByName("seas", "pr");
        QVERIFY(after.re == 5.6 && after.efficiency == 91 && after.xmax == 0.32 &&
                after.created == "then");
        QVERIFY(pr.kind == DriverKind::Radiator && pr.mms == 132.0 && pr.displacement == 0.04);
    }

    // What is not a library of ours is refused, untouched; only what positively
    // is none gives way to a new one (kept beside), never if that cannot be made.
    void refusesAndStartsNew_data() {
        QTest::addColumn<QByteArray>("setup");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<bool>("replaceable"); // and replaced, but on a full disk
        const QString text = "it is not a database", other = "it is a database of another program";
        QTest::newRow("text") << QByteArray("maker,") << text << true;
        QTest::newRow("foreign") << QByteArray("CREATE TABLE songs (title TEXT)") << other << true;
        QTest::newRow("foreign id") << QByteArray("PRAGMA application_id = 42") << other << true;
        QTest::newRow("text, full disk") << QByteArray("x") << text << true;
        QTest::newRow("newer") << QByteArray("PRAGMA application_id = 1330796108; PRAGMA "
                                             "user_version = 4")
                               << "it was written by a newer version of Orvane; this version "
                                  "will not change it"
                               << false;
        QTest::newRow("folder") << QByteArray() << "it is a folder" << false;
    }
    void refusesAndStartsNew() {
        QFETCH(QByteArray, setup);
        QFETCH(QString, reason);
        QFETCH(bool, replaceable);
        const bool fullDisk = QTest::currentDataTag() == QLatin1String("text, full disk");
        const bool replaced = replaceable && !fullDisk;
        const std::string path = Path("lib.sqlite");
        if (setup.isEmpty())
            QVERIFY(QDir().mkpath(QString::fromStdString(path)));
        else if (setup.startsWith("CREATE") || setup.startsWith("PRAGMA"))
            Sql(path, setup.constData());
        else
            WriteBytes(QString::fromStdString(path), setup);
        WriteBytes(m_dir->filePath("lib.sqlite-wal"), "log");
        const QByteArray before = Bytes(path);
        const QStringList files = Files();
        const Result<std::unique_ptr<DriverLibrary>> opened = DriverLibrary::Open(path);
        QCOMPARE(opened.Message(), LibraryReadMessage(path, reason.toStdString()));
        QCOMPARE(Files(), files);
        QCOMPARE(MayReplaceLibrary(opened.ErrorCode()), replaceable);
        std::optional<FullDiskSqlite> full;
        if (fullDisk)
            full.emplace();
        const Result<std::string> moved = StartNewLibrary(path);
        full.reset();
        QCOMPARE(moved.Ok(), replaced);
        QCOMPARE(Bytes(replaced ? path + ".damaged" : path), before);
        QCOMPARE(Bytes(replaced ? path + ".damaged-wal" : path + "-wal"), QByteArray("log"));
        if (replaced)
            QVERIFY(LibraryNames(*OpenOrDie(path)).empty());
        else
            QCOMPARE(Files(), files);
    }

    // Damage is found by reading, by the check on demand, and on opening after
    // a crash left a log to recover; nothing is written.
    void damageIsFound() {
        const std::string path = Path("damaged.sqlite");
        Fill(path, 2000);
        auto writer = OpenOrDie(path);
        QVERIFY(writer->Store(Driver("After", "Crash"), kSkip));
        QVERIFY(QFile::copy(QString::fromStdString(path + "-wal"), m_dir->filePath("crash-wal")));
        QByteArray bytes = Bytes(path);
        for (qsizetype i = 4096 * 3; i < bytes.size(); i += 7)
            bytes[i] = char(0xA5);
        WriteBytes(m_dir->filePath("crash"), bytes);
        writer.reset();
        WriteBytes(QString::fromStdString(path), bytes);
        auto library = OpenOrDie(path); // no crash: not checked on opening
        QCOMPARE(library->All().ErrorCode(), int(kLibraryDamaged));
        QCOMPARE(library->Check().Message(), LibraryReadMessage(path, "it is damaged"));
        QCOMPARE(DriverLibrary::Open(Path("crash")).ErrorCode(), int(kLibraryDamaged));
        QCOMPARE(Bytes(path), bytes);
    }

    // What cannot be written is read as it is, changes refused with the reason;
    // at most an empty log (if only writing found the disk full) is left.
    void readsWhatCannotBeWritten() {
        const std::string path = Path("library.sqlite");
        Fill(path, 2);
        const QByteArray before = Bytes(path);
        for (const int fault :
             {int(FailingFileSystem::Step::Access), int(FailingFileSystem::Step::Room), -1}) {
            std::optional<FailingFileSystem> seam;
            std::optional<FullDiskSqlite> full;
            if (fault < 0)
                full.emplace();
            else
                seam.emplace(FailingFileSystem::Step(fault), EROFS);
            const std::string reason = fault == int(FailingFileSystem::Step::Access)
                                           ? "it is read-only"
                                           : "the disk is full";
            auto library = OpenOrDie(path);
            QCOMPARE(library->ReadOnlyReason(), reason);
            QCOMPARE(LibraryNames(*library).size(), size_t(2));
            QCOMPARE(library->Store(Driver("A", "B"), kSkip).Message(),
                     LibraryWriteMessage(path, reason));
        }
        QStringList left = Files();
        if (left.removeOne("library.sqlite-wal"))
            QCOMPARE(Bytes(path + "-wal"), QByteArray());
        QCOMPARE(left, QStringList{"library.sqlite"});
        QCOMPARE(Bytes(path), before);
    }

    // Maker and model are unique together, without case; a duplicate is
    // replaced or skipped as asked; Update refuses a taken name.
    void changes() {
        auto library = OpenOrDie(Path("library.sqlite"));
        QVERIFY(*library->Store(Driver("SEAS", "L26", 22), kSkip) == StoreOutcome::Added);
        QVERIFY(*library->Store(Driver("seas", "l26", 23), kSkip) == StoreOutcome::Skipped);
        const DriverEntry first = **library->FindByName("Seas", "L26");
        QVERIFY(*library->Store(Driver("seas", "l26", 23), kReplace) == StoreOutcome::Replaced);
        DriverEntry e = **library->FindByName("SEAS", "L26");
        QVERIFY(first.fs == 22 && e.fs == 23 && e.id == first.id && e.created == first.created);
        QVERIFY(library->Store(Driver("B", "Two"), kSkip));
        std::tie(e.maker, e.model) = std::pair("b", "TWO");
        QCOMPARE(library->Update(e).Message(),
                 std::string("A driver named b TWO is already in the library."));
        QVERIFY(*library->Remove(e.id) && !*library->FindById(e.id));
        e.maker = "Gone";
        QCOMPARE(library->Update(e).ErrorCode(), ENOENT);
    }

    // A batch that fails halfway leaves nothing of itself behind; Undo takes
    // back exactly what a batch did, but not what changed since.
    void batchesAndUndo() {
        const std::string path = Path("batch.sqlite");
        auto library = OpenOrDie(path);
        const DriverEntry before[] = {Driver("Old", "One", 21), Driver("Old", "Two", 22)};
        QVERIFY(library->StoreAll(before, kSkip));
        Sql(path, "CREATE TRIGGER refuse BEFORE INSERT ON drivers WHEN NEW.model = 'M500'"
                  " BEGIN SELECT RAISE(ABORT, 'refused by the test'); END");
        const DriverEntry batch[] = {Driver("old", "one", 99), Driver("M", "1"),
                                     Driver("M", "M500")};
        QCOMPARE(library->StoreAll(batch, kReplace).Message(),
                 LibraryWriteMessage(path, "refused by the test"));
        QCOMPARE(LibraryNames(*library), (std::vector<std::string>{"Old One", "Old Two"}));
        const DriverEntry added[] = {Driver("New", "One"), Driver("New", "Two"),
                                     Driver("old", "one", 31), Driver("Old", "Two", 32)};
        StoreChanges changes;
        QCOMPARE(library->StoreAll(added, kReplace, &changes)->replaced, 2);
        Sql(path, "UPDATE drivers SET fs = 40, modified = 'later' WHERE model = 'Two'");
        QVERIFY(library->Undo(changes));
        QCOMPARE(LibraryNames(*library),
                 (std::vector<std::string>{"New Two", "Old One", "Old Two"}));
        QVERIFY((*library->FindByName("Old", "One"))->fs == 21 &&
                (*library->FindByName("Old", "Two"))->fs == 40);
    }
};

QTEST_GUILESS_MAIN(TestDriverLibrary)
#include "test_driver_library.moc"
