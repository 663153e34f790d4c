// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/library/DriverLibrary.h"

#include <sqlite3.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace orvane {

namespace {

// Each step brings the schema from version i to i + 1. A new library runs
// them all, so the path an old library takes is the one every library took.
// Version 1 held the record's six driver values; version 2 adds Re, Qes, Le
// and Pe.
constexpr const char* kSchemaSteps[] = {
    "CREATE TABLE drivers ("
    " id INTEGER PRIMARY KEY,"
    " maker TEXT NOT NULL COLLATE NOCASE CHECK (maker <> ''),"
    " model TEXT NOT NULL COLLATE NOCASE CHECK (model <> ''),"
    " fs REAL NOT NULL CHECK (fs > 0)," // Hz
    " qts REAL NOT NULL CHECK (qts > 0),"
    " vas REAL NOT NULL CHECK (vas > 0)," // ft³
    " cone_diameter REAL,"                // in
    " xmax REAL,"                         // in
    " efficiency REAL,"                   // dB, 1 W / 1 m
    " notes TEXT NOT NULL DEFAULT '',"
    " created TEXT NOT NULL,"
    " modified TEXT NOT NULL,"
    " UNIQUE (maker, model))",

    "ALTER TABLE drivers ADD COLUMN re REAL;" // ohms
    "ALTER TABLE drivers ADD COLUMN qes REAL;"
    "ALTER TABLE drivers ADD COLUMN le REAL;" // mH
    "ALTER TABLE drivers ADD COLUMN pe REAL", // W
};
static_assert(std::size(kSchemaSteps) == DriverLibrary::kSchemaVersion);

constexpr const char* kColumns = "id, maker, model, fs, qts, vas, cone_diameter, xmax, efficiency, "
                                 "re, qes, le, pe, notes, created, modified";

constexpr const char* kNow = "strftime('%Y-%m-%dT%H:%M:%SZ', 'now')";

// Adds an entry unless its maker and model are there (then changes nothing).
std::string InsertSql() {
    return std::string("INSERT INTO drivers (maker, model, fs, qts, vas, cone_diameter, xmax, "
                       "efficiency, re, qes, le, pe, notes, created, modified) VALUES (?1, ?2, "
                       "?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ") +
           kNow + ", " + kNow + ") ON CONFLICT (maker, model) DO NOTHING";
}

// Sets every value of the entries that `where` selects.
std::string UpdateSql(const char* where) {
    return std::string("UPDATE drivers SET maker = ?1, model = ?2, fs = ?3, qts = ?4, vas = ?5, "
                       "cone_diameter = ?6, xmax = ?7, efficiency = ?8, re = ?9, qes = ?10, "
                       "le = ?11, pe = ?12, notes = ?13, modified = ") +
           kNow + " WHERE " + where;
}

// A prepared statement, finalised when it goes.
class Statement {
public:
    Statement(sqlite3* db, const std::string& sql) {
        m_rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &m_stmt, nullptr);
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Ok() const { return m_rc == SQLITE_OK; }

    void Bind(int index, double value) { sqlite3_bind_double(m_stmt, index, value); }
    void Bind(int index, std::int64_t value) { sqlite3_bind_int64(m_stmt, index, value); }
    void Bind(int index, const std::optional<double>& value) {
        if (value)
            sqlite3_bind_double(m_stmt, index, *value);
        else
            sqlite3_bind_null(m_stmt, index);
    }
    void Bind(int index, const std::string& text) {
        sqlite3_bind_text(m_stmt, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
    }

    int Step() { return sqlite3_step(m_stmt); }
    void Reset() {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }

    std::int64_t Int(int column) const { return sqlite3_column_int64(m_stmt, column); }
    double Double(int column) const { return sqlite3_column_double(m_stmt, column); }
    std::optional<double> OptionalDouble(int column) const {
        if (sqlite3_column_type(m_stmt, column) == SQLITE_NULL)
            return std::nullopt;
        return sqlite3_column_double(m_stmt, column);
    }
    std::string Text(int column) const {
        const auto* text = sqlite3_column_text(m_stmt, column);
        const int size = sqlite3_column_bytes(m_stmt, column);
        return text == nullptr ? std::string()
                               : std::string(reinterpret_cast<const char*>(text),
                                             static_cast<std::size_t>(size));
    }

private:
    sqlite3_stmt* m_stmt = nullptr;
    int m_rc = SQLITE_ERROR;
};

// Binds the values of an entry to ?1 .. ?13 in the order of kColumns (without
// id and times).
void BindValues(Statement& s, const DriverEntry& e) {
    s.Bind(1, e.maker);
    s.Bind(2, e.model);
    s.Bind(3, e.fs);
    s.Bind(4, e.qts);
    s.Bind(5, e.vas);
    s.Bind(6, e.coneDiameter);
    s.Bind(7, e.xmax);
    s.Bind(8, e.efficiency);
    s.Bind(9, e.re);
    s.Bind(10, e.qes);
    s.Bind(11, e.le);
    s.Bind(12, e.pe);
    s.Bind(13, e.notes);
}

DriverEntry ReadEntry(const Statement& s) {
    DriverEntry e;
    e.id = s.Int(0);
    e.maker = s.Text(1);
    e.model = s.Text(2);
    e.fs = s.Double(3);
    e.qts = s.Double(4);
    e.vas = s.Double(5);
    e.coneDiameter = s.OptionalDouble(6);
    e.xmax = s.OptionalDouble(7);
    e.efficiency = s.OptionalDouble(8);
    e.re = s.OptionalDouble(9);
    e.qes = s.OptionalDouble(10);
    e.le = s.OptionalDouble(11);
    e.pe = s.OptionalDouble(12);
    e.notes = s.Text(13);
    e.created = s.Text(14);
    e.modified = s.Text(15);
    return e;
}

// The reason to show for SQLite's result, in the words of this program where
// the common ones are concerned.
std::string Reason(sqlite3* db) {
    switch (sqlite3_errcode(db)) {
    case SQLITE_NOTADB:
        return "it is not a database";
    case SQLITE_CORRUPT:
        return "it is damaged";
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return "another program is changing it";
    case SQLITE_READONLY:
        return "it is read-only";
    case SQLITE_FULL:
        return "the disk is full";
    default:
        return sqlite3_errmsg(db);
    }
}

bool Exec(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// The single integer a PRAGMA or a count answers with.
bool QueryInt(sqlite3* db, const char* sql, std::int64_t& out) {
    Statement s(db, sql);
    if (!s.Ok() || s.Step() != SQLITE_ROW)
        return false;
    out = s.Int(0);
    return true;
}

struct FileState {
    std::int64_t applicationId = 0;
    std::int64_t version = 0;
    std::int64_t objects = 0; // tables, indexes, views, triggers
};

bool ReadState(sqlite3* db, FileState& state) {
    return QueryInt(db, "PRAGMA application_id", state.applicationId) &&
           QueryInt(db, "PRAGMA user_version", state.version) &&
           QueryInt(db, "SELECT count(*) FROM sqlite_master", state.objects);
}

// Why the file is not a library this program may use, or nothing.
std::optional<std::string> Unusable(const FileState& state) {
    const bool ours = state.applicationId == DriverLibrary::kApplicationId;
    const bool empty = state.applicationId == 0 && state.objects == 0;
    if (!ours && !empty)
        return "it is a database of another program";
    if (state.version > DriverLibrary::kSchemaVersion)
        return "it was written by a newer version of this program";
    return std::nullopt;
}

// The first bytes of every SQLite database file.
bool HasDatabaseHeader(const std::string& path) {
    static constexpr char kHeader[] = "SQLite format 3";
    std::ifstream file(path, std::ios::binary);
    std::array<char, sizeof kHeader> head{};
    return file.read(head.data(), head.size()) &&
           std::memcmp(head.data(), kHeader, sizeof kHeader) == 0;
}

// The folder of a new library, made when missing. 0 or the error number.
int MakeFolder(const std::string& path) {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty())
        return 0;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return error.value();
}

} // namespace

std::string LibraryReadMessage(const std::string& path, const std::string& reason) {
    return "The driver library " + path + " cannot be read: " + reason + ".";
}

std::string LibraryWriteMessage(const std::string& path, const std::string& reason) {
    return "The driver library " + path + " cannot be changed: " + reason + ".";
}

DriverLibrary::DriverLibrary(sqlite3* db, std::string path) : m_db(db), m_path(std::move(path)) {}

DriverLibrary::~DriverLibrary() {
    sqlite3_close_v2(m_db);
}

std::unique_ptr<DriverLibrary> DriverLibrary::Open(const std::string& path, FileResult& error) {
    return Open(path, Options{}, error);
}

std::unique_ptr<DriverLibrary> DriverLibrary::Open(const std::string& path, const Options& options,
                                                   FileResult& error) {
    auto fail = [&](int code, const std::string& reason) {
        error = FileResult::Fail(code, LibraryReadMessage(path, reason));
        return nullptr;
    };
    // A folder, a pipe or a device is no library, and a pipe would hang.
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode))
            return fail(EINVAL, "it is not a regular file");
        // Any other file is looked at before SQLite opens it: SQLite would
        // treat a log file beside it as its own.
        if (st.st_size > 0 && !HasDatabaseHeader(path))
            return fail(0, "it is not a database");
    } else if (errno == ENOENT) {
        if (const int made = MakeFolder(path))
            return fail(made, std::strerror(made));
    } else {
        const int code = errno;
        return fail(code, std::strerror(code));
    }

    sqlite3* raw = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
    std::unique_ptr<DriverLibrary> library(new DriverLibrary(raw, path));
    if (rc != SQLITE_OK)
        return fail(0, Reason(raw));
    sqlite3_busy_timeout(raw, options.busyTimeoutMs);

    // Look before writing anything: only an empty file or one of ours is
    // touched. Switching to the write-ahead log already rewrites the header.
    FileState state;
    if (!ReadState(raw, state))
        return fail(0, Reason(raw));
    if (const std::optional<std::string> reason = Unusable(state))
        return fail(0, *reason);
    if (state.objects > 0) {
        Statement check(raw, "PRAGMA quick_check");
        if (!check.Ok() || check.Step() != SQLITE_ROW)
            return fail(0, Reason(raw));
        if (check.Text(0) != "ok")
            return fail(0, "it is damaged");
    }

    // The log lets one user read while another writes. A file system without
    // shared memory refuses it; the library then works with the rollback
    // journal.
    Exec(raw, "PRAGMA journal_mode = WAL");

    if (state.version < kSchemaVersion) {
        std::optional<std::string> refusal;
        std::optional<std::string> failed = library->InTransaction([&]() -> bool {
            // Another user may have created or migrated it in the meantime.
            FileState now;
            if (!ReadState(raw, now))
                return false;
            refusal = Unusable(now);
            if (refusal)
                return false;
            for (std::int64_t step = now.version; step < kSchemaVersion; ++step) {
                if (!Exec(raw, kSchemaSteps[step]))
                    return false;
            }
            const std::string stamp = "PRAGMA application_id = " + std::to_string(kApplicationId) +
                                      "; PRAGMA user_version = " + std::to_string(kSchemaVersion);
            return Exec(raw, stamp.c_str());
        });
        if (failed)
            return fail(0, refusal ? *refusal : *failed);
    }
    error = FileResult::Success();
    return library;
}

FileResult DriverLibrary::ReadFailure() const {
    return FileResult::Fail(0, LibraryReadMessage(m_path, Reason(m_db)));
}

template <typename Work> std::optional<std::string> DriverLibrary::InTransaction(Work&& work) {
    // Immediate: take the write lock now (waiting up to the busy timeout), so
    // the transaction cannot fail later because someone else wrote first.
    if (!Exec(m_db, "BEGIN IMMEDIATE"))
        return Reason(m_db);
    if (work() && Exec(m_db, "COMMIT"))
        return std::nullopt;
    std::string reason = Reason(m_db); // before the rollback replaces the error
    Exec(m_db, "ROLLBACK");
    return reason;
}

template <typename Work> FileResult DriverLibrary::Change(Work&& work) {
    if (const std::optional<std::string> reason = InTransaction(std::forward<Work>(work)))
        return FileResult::Fail(0, LibraryWriteMessage(m_path, *reason));
    return FileResult::Success();
}

FileResult DriverLibrary::All(std::vector<DriverEntry>& out) const {
    out.clear();
    Statement s(m_db,
                std::string("SELECT ") + kColumns + " FROM drivers ORDER BY maker, model, id");
    if (!s.Ok())
        return ReadFailure();
    int rc = 0;
    while ((rc = s.Step()) == SQLITE_ROW)
        out.push_back(ReadEntry(s));
    return rc == SQLITE_DONE ? FileResult::Success() : ReadFailure();
}

FileResult DriverLibrary::FindById(std::int64_t id, DriverEntry& out, bool& found) const {
    found = false;
    Statement s(m_db, std::string("SELECT ") + kColumns + " FROM drivers WHERE id = ?1");
    if (!s.Ok())
        return ReadFailure();
    s.Bind(1, id);
    const int rc = s.Step();
    if (rc == SQLITE_ROW) {
        out = ReadEntry(s);
        found = true;
    }
    return rc == SQLITE_ROW || rc == SQLITE_DONE ? FileResult::Success() : ReadFailure();
}

FileResult DriverLibrary::FindByName(const std::string& maker, const std::string& model,
                                     DriverEntry& out, bool& found) const {
    found = false;
    Statement s(m_db, std::string("SELECT ") + kColumns +
                          " FROM drivers WHERE maker = ?1 AND model = ?2");
    if (!s.Ok())
        return ReadFailure();
    s.Bind(1, maker);
    s.Bind(2, model);
    const int rc = s.Step();
    if (rc == SQLITE_ROW) {
        out = ReadEntry(s);
        found = true;
    }
    return rc == SQLITE_ROW || rc == SQLITE_DONE ? FileResult::Success() : ReadFailure();
}

FileResult DriverLibrary::FindByFullName(const std::string& name,
                                         std::vector<DriverEntry>& out) const {
    out.clear();
    Statement s(m_db, std::string("SELECT ") + kColumns +
                          " FROM drivers WHERE maker || ' ' || model = ?1 COLLATE NOCASE"
                          " ORDER BY maker, model");
    if (!s.Ok())
        return ReadFailure();
    s.Bind(1, name);
    int rc = 0;
    while ((rc = s.Step()) == SQLITE_ROW)
        out.push_back(ReadEntry(s));
    return rc == SQLITE_DONE ? FileResult::Success() : ReadFailure();
}

FileResult DriverLibrary::Store(const DriverEntry& entry, DuplicatePolicy policy,
                                StoreOutcome& outcome) {
    StoreCounts counts;
    FileResult result = StoreAll({&entry, 1}, policy, counts);
    outcome = counts.added == 1      ? StoreOutcome::Added
              : counts.replaced == 1 ? StoreOutcome::Replaced
                                     : StoreOutcome::Skipped;
    return result;
}

FileResult DriverLibrary::StoreAll(std::span<const DriverEntry> entries, DuplicatePolicy policy,
                                   StoreCounts& counts) {
    // The statements are prepared once for the whole batch: that is what
    // makes ten thousand rows a matter of milliseconds.
    Statement insert(m_db, InsertSql());
    Statement replace(m_db, UpdateSql("maker = ?1 AND model = ?2"));
    if (!insert.Ok() || !replace.Ok())
        return FileResult::Fail(0, LibraryWriteMessage(m_path, Reason(m_db)));
    StoreCounts done;
    FileResult result = Change([&] {
        for (const DriverEntry& entry : entries) {
            insert.Reset();
            BindValues(insert, entry);
            if (insert.Step() != SQLITE_DONE)
                return false;
            if (sqlite3_changes(m_db) == 1) {
                ++done.added;
                continue;
            }
            if (policy == DuplicatePolicy::Skip) {
                ++done.skipped;
                continue;
            }
            replace.Reset();
            BindValues(replace, entry);
            if (replace.Step() != SQLITE_DONE)
                return false;
            ++done.replaced;
        }
        return true;
    });
    counts = result ? done : StoreCounts{};
    return result;
}

FileResult DriverLibrary::Update(const DriverEntry& entry) {
    bool clash = false;
    bool missing = false;
    FileResult result = Change([&] {
        Statement other(m_db, "SELECT 1 FROM drivers WHERE maker = ?1 AND model = ?2 AND id <> ?3");
        Statement update(m_db, UpdateSql("id = ?14"));
        if (!other.Ok() || !update.Ok())
            return false;
        other.Bind(1, entry.maker);
        other.Bind(2, entry.model);
        other.Bind(3, entry.id);
        const int rc = other.Step();
        if (rc == SQLITE_ROW) {
            clash = true;
            return false;
        }
        if (rc != SQLITE_DONE)
            return false;
        BindValues(update, entry);
        update.Bind(14, entry.id);
        if (update.Step() != SQLITE_DONE)
            return false;
        missing = sqlite3_changes(m_db) == 0;
        return true;
    });
    if (clash) {
        return FileResult::Fail(EEXIST,
                                "A driver named " + entry.Name() + " is already in the library.");
    }
    if (result && missing)
        return FileResult::Fail(ENOENT, "The driver is no longer in the library.");
    return result;
}

FileResult DriverLibrary::Remove(std::int64_t id, bool& removed) {
    removed = false;
    return Change([&] {
        Statement s(m_db, "DELETE FROM drivers WHERE id = ?1");
        if (!s.Ok())
            return false;
        s.Bind(1, id);
        if (s.Step() != SQLITE_DONE)
            return false;
        removed = sqlite3_changes(m_db) > 0;
        return true;
    });
}

FileResult DriverLibrary::RemoveByName(const std::string& maker, const std::string& model,
                                       bool& removed) {
    removed = false;
    return Change([&] {
        Statement s(m_db, "DELETE FROM drivers WHERE maker = ?1 AND model = ?2");
        if (!s.Ok())
            return false;
        s.Bind(1, maker);
        s.Bind(2, model);
        if (s.Step() != SQLITE_DONE)
            return false;
        removed = sqlite3_changes(m_db) > 0;
        return true;
    });
}

} // namespace orvane
