// SPDX-License-Identifier: GPL-3.0-or-later
// The driver library's database: creation, migration, refusal of files that
// are not ours, transactions and two users at once.
#include "core/library/DriverLibrary.h"
#include "core/library/LibraryFiles.h"
#include "tests/support/Drivers.h"
#include "tests/support/TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

#include <thread>

using namespace orvane;

namespace {

// A plain connection of the test's own, beside the library's.
class Raw {
public:
    explicit Raw(const std::string& path) {
        if (sqlite3_open(path.c_str(), &m_db) != SQLITE_OK)
            qFatal("cannot open %s", path.c_str());
        sqlite3_busy_timeout(m_db, 5000);
    }
    ~Raw() { sqlite3_close(m_db); }
    Raw(const Raw&) = delete;
    Raw& operator=(const Raw&) = delete;

    void Exec(const char* sql) {
        char* error = nullptr;
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, &error) != SQLITE_OK)
            qFatal("%s: %s", sql, error);
    }
    QString Text(const char* sql) {
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(m_db, sql, -1, &s, nullptr);
        QString text;
        if (sqlite3_step(s) == SQLITE_ROW)
            text = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
        sqlite3_finalize(s);
        return text;
    }

private:
    sqlite3* m_db = nullptr;
};

QByteArray Bytes(const std::string& path) {
    return ReadBytes(QString::fromStdString(path));
}

void Write(const std::string& path, const QByteArray& bytes) {
    WriteBytes(QString::fromStdString(path), bytes);
}

} // namespace

class TestDriverLibrary : public QObject {
    Q_OBJECT
private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    // A new library: the folder made, the schema stamped, the log in use.
    void createsOnFirstUse() {
        const std::string path = m_dir->filePath("new/folder/drivers.sqlite").toStdString();
        FileResult error = FileResult::Success();
        auto library = DriverLibrary::Open(path, error);
        QVERIFY2(library, error.Message().c_str());
        Raw raw(path);
        QCOMPARE(raw.Text("PRAGMA user_version"), QString::number(DriverLibrary::kSchemaVersion));
        QCOMPARE(raw.Text("PRAGMA application_id"), QString::number(DriverLibrary::kApplicationId));
        QCOMPARE(raw.Text("PRAGMA journal_mode"), QStringLiteral("wal"));
        QVERIFY(LibraryNames(*library).empty());
    }

    // A library written by the first schema (no Re, Qes, Le, Pe) is brought
    // up to date on opening and keeps its drivers.
    void migratesFromVersion1() {
        const std::string path = m_dir->filePath("v1.sqlite").toStdString();
        {
            Raw raw(path);
            raw.Exec("CREATE TABLE drivers (id INTEGER PRIMARY KEY,"
                     " maker TEXT NOT NULL COLLATE NOCASE, model TEXT NOT NULL COLLATE NOCASE,"
                     " fs REAL NOT NULL, qts REAL NOT NULL, vas REAL NOT NULL,"
                     " cone_diameter REAL, xmax REAL, efficiency REAL,"
                     " notes TEXT NOT NULL DEFAULT '', created TEXT NOT NULL,"
                     " modified TEXT NOT NULL, UNIQUE (maker, model));"
                     "INSERT INTO drivers VALUES (7, 'SEAS', 'L26RO4Y', 22, 0.39, 4.9, 8.5,"
                     " 0.32, 88.5, 'old', '2020-01-02T03:04:05Z', '2020-01-02T03:04:05Z');"
                     "PRAGMA application_id = 1330796108; PRAGMA user_version = 1;");
        }
        FileResult error = FileResult::Success();
        auto library = DriverLibrary::Open(path, error);
        QVERIFY2(library, error.Message().c_str());
        DriverEntry e;
        bool found = false;
        QVERIFY(library->FindById(7, e, found));
        QVERIFY(found);
        QCOMPARE(e.Name(), std::string("SEAS L26RO4Y"));
        QCOMPARE(e.vas, 4.9);
        QCOMPARE(e.xmax, std::optional<double>(0.32));
        QCOMPARE(e.notes, std::string("old"));
        QCOMPARE(e.created, std::string("2020-01-02T03:04:05Z"));
        QVERIFY(!e.re && !e.qes && !e.le && !e.pe);
        e.re = 5.6;
        e.pe = 80;
        QVERIFY(library->Update(e));
        QVERIFY(library->FindById(7, e, found));
        QCOMPARE(e.re, std::optional<double>(5.6));
        QCOMPARE(e.pe, std::optional<double>(80));
        QCOMPARE(Raw(path).Text("PRAGMA user_version"), QStringLiteral("2"));
    }

    // Files that are not a library of ours are reported and left untouched.
    void refusesWhatIsNotOurs_data() {
        QTest::addColumn<QByteArray>("setup");
        QTest::addColumn<QString>("reason");
        QTest::newRow("text") << QByteArray("maker,model\nSEAS,L26\n") << "it is not a database";
        QTest::newRow("foreign database") << QByteArray("CREATE TABLE songs (title TEXT)")
                                          << "it is a database of another program";
        QTest::newRow("newer version")
            << QByteArray("CREATE TABLE drivers (x); PRAGMA application_id = 1330796108;"
                          " PRAGMA user_version = 3")
            << "it was written by a newer version of this program";
        QTest::newRow("foreign id")
            << QByteArray("PRAGMA application_id = 42") << "it is a database of another program";
        QTest::newRow("folder") << QByteArray() << "it is not a regular file";
    }
    void refusesWhatIsNotOurs() {
        QFETCH(QByteArray, setup);
        QFETCH(QString, reason);
        const std::string path = m_dir->filePath("other.sqlite").toStdString();
        if (setup.isEmpty())
            QVERIFY(QDir().mkpath(QString::fromStdString(path)));
        else if (setup.startsWith("CREATE") || setup.startsWith("PRAGMA"))
            Raw(path).Exec(setup.constData());
        else
            Write(path, setup);
        const QByteArray before = Bytes(path);
        FileResult error = FileResult::Success();
        QVERIFY(!DriverLibrary::Open(path, error));
        QCOMPARE(QString::fromStdString(error.Message()),
                 QStringLiteral("The driver library %1 cannot be read: %2.")
                     .arg(QString::fromStdString(path), reason));
        QCOMPARE(Bytes(path), before);
        QVERIFY(!QFile::exists(QString::fromStdString(path + "-wal")));
    }

    // A library of ours whose pages are damaged is found out at opening, not
    // at the first read, and is not written.
    void damagedPagesAreReported() {
        const std::string path = m_dir->filePath("damaged.sqlite").toStdString();
        {
            FileResult error = FileResult::Success();
            auto library = DriverLibrary::Open(path, error);
            std::vector<DriverEntry> many;
            for (int i = 0; i < 2000; ++i)
                many.push_back(Driver("Maker", "Model " + std::to_string(i)));
            StoreCounts counts;
            QVERIFY(library->StoreAll(many, DuplicatePolicy::Skip, counts));
        }
        Raw(path).Exec("PRAGMA wal_checkpoint(TRUNCATE)");
        QByteArray bytes = Bytes(path);
        QVERIFY(bytes.size() > 8 * 4096);
        for (qsizetype i = 4096 * 3; i < bytes.size(); i += 7)
            bytes[i] = char(0xA5);
        Write(path, bytes);
        FileResult error = FileResult::Success();
        QVERIFY(!DriverLibrary::Open(path, error));
        QVERIFY2(QString::fromStdString(error.Message()).contains("cannot be read: "),
                 error.Message().c_str());
        QCOMPARE(Bytes(path), bytes);
    }

    // Maker and model are unique together, letters compared without case;
    // a duplicate replaces or is skipped as asked.
    void duplicatesReplaceOrSkip() {
        auto library = OpenHere();
        StoreOutcome outcome{};
        QVERIFY(library->Store(Driver("SEAS", "L26RO4Y", 22), DuplicatePolicy::Skip, outcome));
        QCOMPARE(outcome, StoreOutcome::Added);
        QVERIFY(library->Store(Driver("seas", "l26ro4y", 23), DuplicatePolicy::Skip, outcome));
        QCOMPARE(outcome, StoreOutcome::Skipped);
        DriverEntry e;
        bool found = false;
        QVERIFY(library->FindByName("Seas", "L26RO4y", e, found));
        QVERIFY(found);
        QCOMPARE(e.fs, 22.0);
        const std::int64_t id = e.id;
        const std::string created = e.created;
        QVERIFY(library->Store(Driver("seas", "l26ro4y", 23), DuplicatePolicy::Replace, outcome));
        QCOMPARE(outcome, StoreOutcome::Replaced);
        QVERIFY(library->FindByName("SEAS", "L26RO4Y", e, found));
        QCOMPARE(e.fs, 23.0);
        QCOMPARE(e.id, id);
        QCOMPARE(e.created, created);
        QCOMPARE(LibraryNames(*library), std::vector<std::string>{"seas l26ro4y"});
    }

    void updateRefusesATakenName() {
        auto library = OpenHere();
        StoreCounts counts;
        const DriverEntry two[] = {Driver("A", "One"), Driver("B", "Two")};
        QVERIFY(library->StoreAll(two, DuplicatePolicy::Skip, counts));
        DriverEntry e;
        bool found = false;
        QVERIFY(library->FindByName("B", "Two", e, found));
        e.maker = "a";
        e.model = "ONE";
        const FileResult clash = library->Update(e);
        QVERIFY(!clash);
        QCOMPARE(clash.ErrorCode(), EEXIST);
        QCOMPARE(clash.Message(), std::string("A driver named a ONE is already in the library."));
        QCOMPARE(LibraryNames(*library), (std::vector<std::string>{"A One", "B Two"}));
        bool removed = false;
        QVERIFY(library->Remove(e.id, removed));
        QVERIFY(removed);
        e.maker = "Gone";
        QCOMPARE(library->Update(e).ErrorCode(), ENOENT);
        QVERIFY(library->RemoveByName("a", "one", removed));
        QVERIFY(removed);
        QVERIFY(library->RemoveByName("a", "one", removed));
        QVERIFY(!removed);
    }

    // "MAKER MODEL" may split more than one way.
    void findsByFullName() {
        auto library = OpenHere();
        StoreCounts counts;
        const DriverEntry entries[] = {Driver("Dayton Audio", "RS225"),
                                       Driver("Dayton", "Audio RS225"),
                                       Driver("SB Acoustics", "SB17")};
        QVERIFY(library->StoreAll(entries, DuplicatePolicy::Skip, counts));
        std::vector<DriverEntry> found;
        QVERIFY(library->FindByFullName("sb acoustics sb17", found));
        QCOMPARE(found.size(), size_t(1));
        QVERIFY(library->FindByFullName("Dayton Audio RS225", found));
        QCOMPARE(found.size(), size_t(2));
        QVERIFY(library->FindByFullName("Dayton", found));
        QVERIFY(found.empty());
    }

    // A batch that fails halfway leaves nothing of itself behind.
    void failedBatchLeavesLibraryAsItWas() {
        const std::string path = m_dir->filePath("batch.sqlite").toStdString();
        auto library = OpenHere(path);
        StoreOutcome outcome{};
        QVERIFY(library->Store(Driver("Keep", "Me"), DuplicatePolicy::Skip, outcome));
        // The database itself refuses the 500th row, as a full disk would.
        Raw(path).Exec("CREATE TRIGGER refuse BEFORE INSERT ON drivers WHEN NEW.model = 'M500'"
                       " BEGIN SELECT RAISE(ABORT, 'refused by the test'); END");
        std::vector<DriverEntry> batch;
        for (int i = 0; i < 1000; ++i)
            batch.push_back(Driver("Batch", "M" + std::to_string(i)));
        batch.push_back(Driver("keep", "me", 99));
        StoreCounts counts{1, 2, 3};
        const FileResult result = library->StoreAll(batch, DuplicatePolicy::Replace, counts);
        QVERIFY(!result);
        QCOMPARE(result.Message(),
                 "The driver library " + path + " cannot be changed: refused by the test.");
        QCOMPARE(counts.added + counts.replaced + counts.skipped, 0);
        QCOMPARE(LibraryNames(*library), std::vector<std::string>{"Keep Me"});
        DriverEntry e;
        bool found = false;
        QVERIFY(library->FindByName("Keep", "Me", e, found));
        QCOMPARE(e.fs, 30.0);
    }

    // Two users at once: each sees the other's changes; concurrent imports
    // both land; a change waits for another's transaction and, when that
    // takes longer than the busy timeout, fails cleanly.
    void twoConnections() {
        const std::string path = m_dir->filePath("shared.sqlite").toStdString();
        auto first = OpenHere(path);
        auto second = OpenHere(path);
        StoreOutcome outcome{};
        QVERIFY(first->Store(Driver("From", "First"), DuplicatePolicy::Skip, outcome));
        QCOMPARE(LibraryNames(*second), std::vector<std::string>{"From First"});

        auto import = [&path](const char* maker, FileResult* result) {
            FileResult error = FileResult::Success();
            auto library = DriverLibrary::Open(path, error);
            if (!library) {
                *result = error;
                return;
            }
            std::vector<DriverEntry> batch;
            for (int i = 0; i < 300; ++i)
                batch.push_back(Driver(maker, std::to_string(i)));
            for (int round = 0; round < 5 && *result; ++round) {
                StoreCounts counts;
                *result = library->StoreAll(batch, DuplicatePolicy::Replace, counts);
            }
        };
        FileResult a = FileResult::Success();
        FileResult b = FileResult::Success();
        std::thread ta(import, "Alpha", &a);
        std::thread tb(import, "Beta", &b);
        std::vector<DriverEntry> seen;
        for (int i = 0; i < 20; ++i)
            QVERIFY(first->All(seen)); // reading goes on while the others write
        ta.join();
        tb.join();
        QVERIFY2(a, a.Message().c_str());
        QVERIFY2(b, b.Message().c_str());
        QVERIFY(second->All(seen));
        QCOMPARE(seen.size(), size_t(601));

        FileResult error = FileResult::Success();
        auto impatient = DriverLibrary::Open(path, DriverLibrary::Options{100}, error);
        QVERIFY(impatient);
        Raw holder(path);
        holder.Exec("BEGIN IMMEDIATE");
        const FileResult blocked =
            impatient->Store(Driver("Late", "One"), DuplicatePolicy::Skip, outcome);
        QCOMPARE(blocked.Message(), "The driver library " + path +
                                        " cannot be changed: another program is changing it.");
        QVERIFY(impatient->All(seen)); // reading is not blocked
        holder.Exec("COMMIT");
        QVERIFY(impatient->Store(Driver("Late", "One"), DuplicatePolicy::Skip, outcome));
        QCOMPARE(outcome, StoreOutcome::Added);
    }

    // Moving a damaged library aside keeps it whole and lets a new one start.
    void moveAsideAndStartNew() {
        const std::string path = m_dir->filePath("aside.sqlite").toStdString();
        Write(path, "not a database at all");
        Write(path + "-wal", "stale log");
        Write(path + ".damaged", "an older damaged copy");
        FileResult error = FileResult::Success();
        QVERIFY(!DriverLibrary::Open(path, error));
        std::string moved;
        QVERIFY(MoveLibraryAside(path, moved));
        QCOMPARE(moved, path + ".damaged-2");
        QCOMPARE(Bytes(moved), QByteArray("not a database at all"));
        QCOMPARE(Bytes(moved + "-wal"), QByteArray("stale log"));
        QCOMPARE(Bytes(path + ".damaged"), QByteArray("an older damaged copy"));
        auto fresh = DriverLibrary::Open(path, error);
        QVERIFY2(fresh, error.Message().c_str());
        QVERIFY(LibraryNames(*fresh).empty());
    }

    void pathFromEnvironment() {
        qputenv("ORVANE_LIBRARY", "/srv/shared/drivers.sqlite");
        QCOMPARE(DefaultLibraryPath(), std::string("/srv/shared/drivers.sqlite"));
        qunsetenv("ORVANE_LIBRARY");
        qputenv("XDG_DATA_HOME", "/home/u/data");
        QCOMPARE(DefaultLibraryPath(), std::string("/home/u/data/orvane/drivers.sqlite"));
        qputenv("XDG_DATA_DIRS", m_dir->path().toUtf8());
        QCOMPARE(InstalledQspeakersDatabase(), std::string());
        QVERIFY(QDir(m_dir->path()).mkpath("qspeakers"));
        Write(m_dir->filePath("qspeakers/qspeakers_db.xml").toStdString(), "<speakers/>");
        QCOMPARE(InstalledQspeakersDatabase(),
                 m_dir->filePath("qspeakers/qspeakers_db.xml").toStdString());
    }

private:
    std::unique_ptr<DriverLibrary> OpenHere(const std::string& at = {}) {
        const std::string path = at.empty() ? m_dir->filePath("library.sqlite").toStdString() : at;
        FileResult error = FileResult::Success();
        auto library = DriverLibrary::Open(path, error);
        if (!library)
            qFatal("%s", error.Message().c_str());
        return library;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestDriverLibrary)
#include "test_driver_library.moc"
