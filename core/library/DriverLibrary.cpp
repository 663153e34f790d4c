// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/library/DriverLibrary.h"

#include "core/files/FileSystem.h"

#include <sqlite3.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane {

namespace {

// Each step brings the schema from version i to i + 1. A new library runs
// them all, so the path an old library takes is the one every library took.
// Version 1 held the record's six driver values; version 2 adds Re, Qes, Le
// and Pe; version 3 the kind (driver or passive radiator), the moving mass
// and the driver's displacement.
//
// A step that only adds columns would still read in an older build, which
// names the columns it selects. Version 3 raises the version all the same: an
// older build would take a radiator for a driver and put it into a design, so
// it must refuse the library as a newer version's rather than misread it.
// Only a step whose rows an older build reads rightly could leave it as it was.
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

    "ALTER TABLE drivers ADD COLUMN kind TEXT NOT NULL DEFAULT 'driver'"
    " CHECK (kind IN ('driver', 'radiator'));"
    "ALTER TABLE drivers ADD COLUMN mms REAL;"          // g
    "ALTER TABLE drivers ADD COLUMN displacement REAL", // ft³
};
static_assert(std::size(kSchemaSteps) == DriverLibrary::kSchemaVersion);

// The values of an entry as ?1 .. ?13 and ?18 .. ?20, in the order BindValues
// binds them (?14 .. ?17 are the statements' own).
constexpr const char* kValueNames = "maker, model, fs, qts, vas, cone_diameter, xmax, efficiency, "
                                    "re, qes, le, pe, notes, kind, mms, displacement";
constexpr const char* kValueParameters =
    "?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?18, ?19, ?20";

// Adds an entry unless its maker and model are there (then changes nothing);
// ?14 is the time.
std::string InsertSql() {
    return std::string("INSERT INTO drivers (") + kValueNames + ", created, modified) VALUES (" +
           kValueParameters + ", ?14, ?14) ON CONFLICT (maker, model) DO NOTHING";
}

// Sets every value of the entries that `where` selects; ?14 is the time.
std::string UpdateSql(const char* where) {
    return std::string("UPDATE drivers SET (") + kValueNames + ", modified) = (" +
           kValueParameters + ", ?14) WHERE " + where;
}

// SQLite says through its log when it recovers a write-ahead log or journal
// that a crash left behind: the one time a library's pages are worth
// checking on opening (a check of 100,000 drivers costs as much as reading
// them). The log must be set before SQLite starts, so it is set at load.
thread_local bool t_recovered = false;

void OnSqliteLog(void* /*data*/, int code, const char* /*message*/) {
    if (code == SQLITE_NOTICE_RECOVER_WAL || code == SQLITE_NOTICE_RECOVER_ROLLBACK)
        t_recovered = true;
}

[[maybe_unused]] const bool g_logSet =
    sqlite3_config(SQLITE_CONFIG_LOG, OnSqliteLog, nullptr) == SQLITE_OK;

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
    void Text(int column, std::string& out) const {
        const auto* text = sqlite3_column_text(m_stmt, column);
        const int size = sqlite3_column_bytes(m_stmt, column);
        if (text == nullptr)
            out.clear();
        else
            out.assign(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size));
    }
    std::string Text(int column) const {
        std::string text;
        Text(column, text);
        return text;
    }

private:
    sqlite3_stmt* m_stmt = nullptr;
    int m_rc = SQLITE_ERROR;
};

// Binds the values of an entry to kValueParameters.
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
    s.Bind(18, std::string(KindName(e.kind)));
    s.Bind(19, e.mms);
    s.Bind(20, e.displacement);
}

// A row of Columns() into `e`, reusing its texts' room.
void ReadEntry(const Statement& s, DriverEntry& e) {
    e.id = s.Int(0);
    s.Text(1, e.maker);
    s.Text(2, e.model);
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
    s.Text(13, e.notes);
    s.Text(14, e.created);
    s.Text(15, e.modified);
    e.kind =
        s.Text(16) == KindName(DriverKind::Radiator) ? DriverKind::Radiator : DriverKind::Driver;
    e.mms = s.OptionalDouble(17);
    e.displacement = s.OptionalDouble(18);
}

// Steps a look-up by a unique key: the entry of its row, if it has one. The
// step's result code, SQLITE_ROW or SQLITE_DONE unless it failed.
int StepToEntry(Statement& s, std::optional<DriverEntry>& entry) {
    const int rc = s.Step();
    if (rc == SQLITE_ROW) {
        entry.emplace();
        ReadEntry(s, *entry);
    }
    return rc;
}

// The failure code of SQLite's last result: an errno where the system
// failed, the library's own where the file is at fault, 0 for anything else.
int Code(sqlite3* db) {
    const int system = sqlite3_system_errno(db);
    switch (sqlite3_errcode(db)) {
    case SQLITE_NOTADB:
        return kLibraryNotDatabase;
    case SQLITE_CORRUPT:
        return kLibraryDamaged;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return EBUSY;
    case SQLITE_READONLY:
        return EROFS;
    case SQLITE_FULL:
        return ENOSPC;
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return EACCES;
    case SQLITE_NOMEM:
        return ENOMEM;
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
        return system != 0 ? system : EIO;
    default:
        return 0;
    }
}

// The reason to show for SQLite's last result, in the words of this program
// where the common ones are concerned.
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
std::optional<Failure<int>> Unusable(const FileState& state) {
    const bool ours = state.applicationId == DriverLibrary::kApplicationId;
    const bool empty = state.applicationId == 0 && state.objects == 0;
    if (!ours && !empty)
        return Failure<int>{kLibraryForeign, "it is a database of another program"};
    if (state.version > DriverLibrary::kSchemaVersion) {
        return Failure<int>{kLibraryNewer, "it was written by a newer version of Orvane; this "
                                           "version will not change it"};
    }
    return std::nullopt;
}

// The first 100 bytes of the file, the database header, through the file
// system seam; fewer when the file is shorter. 0 or the error number.
int ReadHeader(const std::string& path, std::array<unsigned char, 100>& header, std::size_t& got) {
    got = 0;
    header.fill(0);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return errno;
    int error = 0;
    while (got < header.size()) {
        const ssize_t n = FileSystem::Current().Read(fd, header.data() + got, header.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            error = errno;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return error;
}

std::string Folder(const std::string& path) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    return folder.empty() ? std::string(".") : folder;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// The folder of a new library, made when missing. 0 or the error number.
int MakeFolder(const std::string& path) {
    std::error_code error;
    std::filesystem::create_directories(Folder(path), error);
    return error.value();
}

// The library's path as an SQLite URI with `query`, every byte that is not
// plainly safe escaped ("?", "#" and "%" would mean something else).
std::string Uri(const std::string& path, const char* query) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri = path.starts_with('/') ? "file://" : "file:";
    for (const char c : path) {
        const auto u = static_cast<unsigned char>(c);
        if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') ||
            std::strchr("/-_.~", c) != nullptr) {
            uri += c;
        } else {
            uri += '%';
            uri += kHex[u >> 4];
            uri += kHex[u & 15];
        }
    }
    return uri + "?" + query;
}

constexpr std::uint64_t kLeastRoom = 256 * 1024;

// Failures after which a library that could not be opened for writing is
// opened for reading: the disk or the permissions are at fault, not the file.
bool StorageFailure(int code) {
    return code == EIO || code == ENOSPC || code == EDQUOT || code == EROFS || code == EACCES ||
           code == EPERM;
}

std::string CannotWriteReason(int code) {
    if (code == ENOSPC || code == EDQUOT)
        return "the disk is full";
    if (code == EROFS || code == EACCES || code == EPERM)
        return "it is read-only";
    return "it cannot be written (" + std::string(std::strerror(code)) + ")";
}

} // namespace

bool MayReplaceLibrary(int code) {
    return code == kLibraryDamaged || code == kLibraryNotDatabase || code == kLibraryForeign;
}

LibraryAccess ChooseLibraryAccess(const LibraryPlace& place) {
    if (!place.exists || (place.fileWritable && place.folderWritable && !place.diskFull))
        return LibraryAccess::ReadWrite;
    if (place.walMode && !place.shmExists)
        return LibraryAccess::Snapshot;
    return LibraryAccess::ReadOnly;
}

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

Result<std::unique_ptr<DriverLibrary>> DriverLibrary::Open(const std::string& path,
                                                           const Options& options) {
    auto fail = [&](int code, const std::string& reason) {
        return Failure<int>{code, LibraryReadMessage(path, reason)};
    };
    // A folder, a pipe or a device is no library, and a pipe would hang.
    struct stat st {};
    LibraryPlace place;
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return fail(EISDIR, "it is a folder");
        if (!S_ISREG(st.st_mode))
            return fail(EINVAL, "it is not a regular file");
        place.exists = true;
    } else if (errno != ENOENT) {
        const int code = errno;
        return fail(code, std::strerror(code));
    }

    FileSystem& fs = FileSystem::Current();
    const std::string folder = Folder(path);
    if (place.exists) {
        // Any other file is looked at before SQLite opens it: SQLite would
        // treat a log file beside it as its own.
        std::array<unsigned char, 100> header{};
        std::size_t got = 0;
        if (const int error = ReadHeader(path, header, got))
            return fail(error, std::strerror(error));
        static constexpr char kMagic[] = "SQLite format 3";
        if (st.st_size > 0 &&
            (got < sizeof kMagic || std::memcmp(header.data(), kMagic, sizeof kMagic) != 0))
            return fail(kLibraryNotDatabase, "it is not a database");
        // The header holds the schema version and the application id: a
        // newer library or another program's is refused before SQLite opens
        // it, so that not even its log is touched.
        const auto word = [&header](std::size_t at) {
            return std::int64_t{header[at]} << 24 | header[at + 1] << 16 | header[at + 2] << 8 |
                   header[at + 3];
        };
        if (got == header.size()) {
            if (const std::optional<Failure<int>> unusable =
                    Unusable({word(68), word(60), word(68) == 0 ? 0 : 1}))
                return fail(unusable->code, unusable->message);
        }
        // Without an id it may be another program's: looked at first as it
        // is, since SQLite would take a log left beside it for its own.
        if (got == header.size() && word(68) == 0) {
            if (Result<std::unique_ptr<DriverLibrary>> peek =
                    Connect(path, LibraryAccess::Snapshot, options);
                !peek && peek.ErrorCode() == kLibraryForeign)
                return peek;
        }
        place.walMode = got >= 20 && header[18] == 2 && header[19] == 2;
        place.shmExists = Exists(path + "-shm");
        place.fileWritable = fs.Access(path.c_str(), W_OK) == 0;
        place.folderWritable = fs.Access(folder.c_str(), W_OK) == 0;
        // Less room than a change and the log's index take is a full disk.
        struct statvfs room {};
        place.diskFull = fs.StatVfs(folder.c_str(), &room) == 0 &&
                         static_cast<std::uint64_t>(room.f_bavail) * room.f_frsize < kLeastRoom;
    } else if (const int made = MakeFolder(path)) {
        return fail(made, std::strerror(made));
    }

    const LibraryAccess access = ChooseLibraryAccess(place);
    Result<std::unique_ptr<DriverLibrary>> opened = Connect(path, access, options);
    if (opened) {
        if (access != LibraryAccess::ReadWrite) {
            (*opened)->m_readOnlyReason = place.diskFull        ? "the disk is full"
                                          : !place.fileWritable ? "it is read-only"
                                                                : "its folder is read-only";
        }
        return opened;
    }
    if (!place.exists) {
        // What SQLite created before it failed is no library: gone again.
        struct stat made {};
        if (::stat(path.c_str(), &made) == 0 && made.st_size == 0)
            ::unlink(path.c_str());
        return opened;
    }
    // A disk that turns out to be full or failing when written: the library
    // can still be read.
    if (access != LibraryAccess::ReadWrite || !StorageFailure(opened.ErrorCode()))
        return opened;
    const LibraryAccess fallback =
        place.walMode && !place.shmExists ? LibraryAccess::Snapshot : LibraryAccess::ReadOnly;
    Result<std::unique_ptr<DriverLibrary>> reading = Connect(path, fallback, options);
    if (!reading)
        return opened;
    (*reading)->m_readOnlyReason = CannotWriteReason(opened.ErrorCode());
    return reading;
}

Result<std::unique_ptr<DriverLibrary>>
DriverLibrary::Connect(const std::string& path, LibraryAccess access, const Options& options) {
    sqlite3* raw = nullptr;
    int rc = SQLITE_OK;
    if (access == LibraryAccess::ReadWrite) {
        rc = sqlite3_open_v2(path.c_str(), &raw,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                             nullptr);
    } else {
        const char* query = access == LibraryAccess::ReadOnly ? "mode=ro" : "mode=ro&immutable=1";
        rc = sqlite3_open_v2(Uri(path, query).c_str(), &raw,
                             SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
    }
    std::unique_ptr<DriverLibrary> library(new DriverLibrary(raw, path));
    auto fail = [&](int code, const std::string& reason) {
        // A library refused is left as it is: closing must not write its log
        // into it.
        sqlite3_db_config(raw, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        return Failure<int>{code, LibraryReadMessage(path, reason)};
    };
    if (rc != SQLITE_OK)
        return fail(Code(raw), Reason(raw));
    sqlite3_busy_timeout(raw, options.busyTimeoutMs);

    // Look before writing anything: only an empty file or one of ours is
    // touched. Switching to the write-ahead log already rewrites the header.
    FileState state;
    t_recovered = false;
    if (!ReadState(raw, state))
        return fail(Code(raw), Reason(raw));
    if (std::optional<Failure<int>> unusable = Unusable(state))
        return fail(unusable->code, unusable->message);
    if (t_recovered) {
        if (FileResult checked = library->Check(); !checked)
            return fail(checked.ErrorCode(),
                        checked.ErrorCode() == kLibraryDamaged ? "it is damaged" : Reason(raw));
    }
    library->m_version = state.version;
    if (access != LibraryAccess::ReadWrite)
        return library;

    // The log lets one user read while another writes. A file system without
    // shared memory refuses it; the library then works with the rollback
    // journal.
    bool wal = false;
    {
        Statement mode(raw, "PRAGMA journal_mode");
        wal = mode.Ok() && mode.Step() == SQLITE_ROW && mode.Text(0) == "wal";
    }
    if (!wal)
        Exec(raw, "PRAGMA journal_mode = WAL");

    if (state.version < kSchemaVersion) {
        std::optional<Failure<int>> refusal;
        std::optional<Failure<int>> failed = library->InTransaction([&]() -> bool {
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
        if (refusal)
            return fail(refusal->code, refusal->message);
        if (failed)
            return fail(failed->code, failed->message);
        library->m_version = kSchemaVersion;
    }
    return library;
}

Failure<int> DriverLibrary::ReadFailure() const {
    return Failure<int>{Code(m_db), LibraryReadMessage(m_path, Reason(m_db))};
}

std::string DriverLibrary::Columns() const {
    // A library of an older schema that could not be brought up to date (it
    // is read-only) lacks the newer columns: they read as not given.
    return std::string("id, maker, model, fs, qts, vas, cone_diameter, xmax, efficiency, ") +
           (m_version >= 2 ? "re, qes, le, pe" : "NULL, NULL, NULL, NULL") +
           ", notes, created, modified, " +
           (m_version >= 3 ? "kind, mms, displacement" : "'driver', NULL, NULL");
}

template <typename Work> std::optional<Failure<int>> DriverLibrary::InTransaction(Work&& work) {
    // Immediate: take the write lock now (waiting up to the busy timeout), so
    // the transaction cannot fail later because someone else wrote first.
    if (!Exec(m_db, "BEGIN IMMEDIATE"))
        return Failure<int>{Code(m_db), Reason(m_db)};
    Statement now(m_db, "SELECT strftime('%Y-%m-%dT%H:%M:%SZ', 'now')");
    m_stamp = now.Ok() && now.Step() == SQLITE_ROW ? now.Text(0) : std::string();
    if (!m_stamp.empty() && work() && Exec(m_db, "COMMIT"))
        return std::nullopt;
    // Before the rollback replaces the error.
    Failure<int> failure{Code(m_db), Reason(m_db)};
    Exec(m_db, "ROLLBACK");
    return failure;
}

template <typename Work> FileResult DriverLibrary::Change(Work&& work) {
    if (!m_readOnlyReason.empty())
        return FileResult::Fail(EROFS, LibraryWriteMessage(m_path, m_readOnlyReason));
    if (std::optional<Failure<int>> failed = InTransaction(std::forward<Work>(work)))
        return FileResult::Fail(failed->code, LibraryWriteMessage(m_path, failed->message));
    return FileResult::Success();
}

namespace {

// orvane_matches(maker, model, notes): the search rule inside SQLite, so that
// only the drivers found are read out.
void MatchesFunction(sqlite3_context* context, int /*count*/, sqlite3_value** values) {
    const auto* query = static_cast<const DriverQuery*>(sqlite3_user_data(context));
    auto text = [&](int i) {
        const auto* bytes = reinterpret_cast<const char*>(sqlite3_value_text(values[i]));
        return bytes == nullptr
                   ? std::string_view()
                   : std::string_view(bytes,
                                      static_cast<std::size_t>(sqlite3_value_bytes(values[i])));
    };
    sqlite3_result_int(context, query->Matches(text(0), text(1), text(2)) ? 1 : 0);
}

} // namespace

FileResult DriverLibrary::ForEach(std::string_view query,
                                  const std::function<void(const DriverEntry&)>& each,
                                  Order order) const {
    if (m_version == 0)
        return FileResult::Success(); // an empty file: no table yet
    const DriverQuery words(query);
    std::string sql = "SELECT " + Columns() + " FROM drivers";
    if (!words.Empty()) {
        // Every row is read for the rule anyway: in the order of the table,
        // then only the drivers found are sorted.
        sql += " NOT INDEXED WHERE orvane_matches(maker, model, notes)";
    }
    // By name, all rows are visited in the order of the name index, each
    // looked up in the table: its pages must stay in the cache meanwhile.
    const bool byName = order == Order::ByName;
    const bool walk = byName && words.Empty();
    if (byName)
        sql += " ORDER BY maker, model, id";
    // What this reading set up, undone however it ends.
    struct Scope {
        sqlite3* db;
        bool function;
        bool cache;
        ~Scope() {
            if (function)
                sqlite3_create_function(db, "orvane_matches", 3, SQLITE_UTF8, nullptr, nullptr,
                                        nullptr, nullptr);
            if (cache)
                Exec(db, "PRAGMA cache_size = -2000"); // SQLite's own
            // What the pages of a whole library took goes back at once.
            sqlite3_db_release_memory(db);
        }
    } scope{m_db, !words.Empty(), walk};
    if (scope.function &&
        sqlite3_create_function(m_db, "orvane_matches", 3, SQLITE_UTF8 | SQLITE_DIRECTONLY,
                                const_cast<DriverQuery*>(&words), MatchesFunction, nullptr,
                                nullptr) != SQLITE_OK)
        return ReadFailure();
    if (walk)
        Exec(m_db, "PRAGMA cache_size = -32768");
    Statement s(m_db, sql);
    if (!s.Ok())
        return ReadFailure();
    DriverEntry entry;
    int rc = SQLITE_OK;
    while ((rc = s.Step()) == SQLITE_ROW) {
        ReadEntry(s, entry);
        each(entry);
    }
    if (rc != SQLITE_DONE)
        return ReadFailure();
    return FileResult::Success();
}

Result<std::vector<DriverEntry>> DriverLibrary::All() const {
    std::vector<DriverEntry> all;
    if (FileResult read = ForEach({}, [&](const DriverEntry& e) { all.push_back(e); }); !read)
        return read.Error();
    return all;
}

Result<std::vector<std::int64_t>> DriverLibrary::IdsByName() const {
    std::vector<std::int64_t> ids;
    if (m_version == 0)
        return ids;
    Statement s(m_db, "SELECT id FROM drivers ORDER BY maker, model, id");
    if (!s.Ok())
        return ReadFailure();
    int rc = SQLITE_OK;
    while ((rc = s.Step()) == SQLITE_ROW)
        ids.push_back(s.Int(0));
    if (rc != SQLITE_DONE)
        return ReadFailure();
    return ids;
}

Result<std::optional<DriverEntry>> DriverLibrary::FindById(std::int64_t id) const {
    if (m_version == 0)
        return std::optional<DriverEntry>();
    Statement s(m_db, "SELECT " + Columns() + " FROM drivers WHERE id = ?1");
    if (!s.Ok())
        return ReadFailure();
    s.Bind(1, id);
    std::optional<DriverEntry> entry;
    if (const int rc = StepToEntry(s, entry); rc != SQLITE_ROW && rc != SQLITE_DONE)
        return ReadFailure();
    return entry;
}

Result<std::optional<DriverEntry>> DriverLibrary::FindByName(const std::string& maker,
                                                             const std::string& model) const {
    if (m_version == 0)
        return std::optional<DriverEntry>();
    Statement s(m_db, "SELECT " + Columns() + " FROM drivers WHERE maker = ?1 AND model = ?2");
    if (!s.Ok())
        return ReadFailure();
    s.Bind(1, maker);
    s.Bind(2, model);
    std::optional<DriverEntry> entry;
    if (const int rc = StepToEntry(s, entry); rc != SQLITE_ROW && rc != SQLITE_DONE)
        return ReadFailure();
    return entry;
}

Result<std::vector<DriverEntry>> DriverLibrary::FindByFullName(const std::string& name) const {
    std::vector<DriverEntry> found;
    if (m_version == 0)
        return found;
    Statement s(m_db, "SELECT " + Columns() +
                          " FROM drivers WHERE maker || ' ' || model = ?1 COLLATE NOCASE"
                          " ORDER BY maker, model");
    if (!s.Ok())
        return ReadFailure();
    s.Bind(1, name);
    int rc = 0;
    DriverEntry entry;
    while ((rc = s.Step()) == SQLITE_ROW) {
        ReadEntry(s, entry);
        found.push_back(entry);
    }
    if (rc != SQLITE_DONE)
        return ReadFailure();
    return found;
}

Result<StoreOutcome> DriverLibrary::Store(const DriverEntry& entry, DuplicatePolicy policy) {
    const Result<StoreCounts> counts = StoreAll({&entry, 1}, policy);
    if (!counts)
        return counts.Error();
    return counts->added == 1      ? StoreOutcome::Added
           : counts->replaced == 1 ? StoreOutcome::Replaced
                                   : StoreOutcome::Skipped;
}

Result<StoreCounts> DriverLibrary::StoreAll(std::span<const DriverEntry> entries,
                                            DuplicatePolicy policy, StoreChanges* changes) {
    // The statements are prepared once for the whole batch: that is what
    // makes ten thousand rows a matter of milliseconds.
    Statement insert(m_db, InsertSql());
    Statement replace(m_db, UpdateSql("maker = ?1 AND model = ?2"));
    Statement before(m_db, "SELECT " + Columns() + " FROM drivers WHERE maker = ?1 AND model = ?2");
    if (!insert.Ok() || !replace.Ok() || !before.Ok())
        return Failure<int>{Code(m_db), LibraryWriteMessage(m_path, Reason(m_db))};
    StoreCounts done;
    StoreChanges taken;
    FileResult result = Change([&] {
        for (const DriverEntry& entry : entries) {
            insert.Reset();
            BindValues(insert, entry);
            insert.Bind(14, m_stamp);
            if (insert.Step() != SQLITE_DONE)
                return false;
            if (sqlite3_changes(m_db) == 1) {
                ++done.added;
                if (changes != nullptr)
                    taken.added.push_back(sqlite3_last_insert_rowid(m_db));
                continue;
            }
            if (policy == DuplicatePolicy::Skip) {
                ++done.skipped;
                continue;
            }
            if (changes != nullptr) {
                before.Reset();
                before.Bind(1, entry.maker);
                before.Bind(2, entry.model);
                if (before.Step() != SQLITE_ROW)
                    return false;
                ReadEntry(before, taken.replaced.emplace_back());
            }
            replace.Reset();
            BindValues(replace, entry);
            replace.Bind(14, m_stamp);
            if (replace.Step() != SQLITE_DONE)
                return false;
            ++done.replaced;
        }
        taken.stamp = m_stamp;
        return true;
    });
    if (!result)
        return result.Error();
    if (changes != nullptr)
        *changes = std::move(taken);
    return done;
}

FileResult DriverLibrary::Undo(const StoreChanges& changes) {
    return Change([&] {
        Statement remove(m_db,
                         "DELETE FROM drivers WHERE id = ?1 AND created = ?2 AND modified = ?2");
        Statement restore(m_db, std::string("UPDATE drivers SET (") + kValueNames +
                                    ", created, modified) = (" + kValueParameters +
                                    ", ?14, ?15) WHERE id = ?16 AND modified = ?17");
        if (!remove.Ok() || !restore.Ok())
            return false;
        for (const std::int64_t id : changes.added) {
            remove.Reset();
            remove.Bind(1, id);
            remove.Bind(2, changes.stamp);
            if (remove.Step() != SQLITE_DONE)
                return false;
        }
        for (const DriverEntry& old : changes.replaced) {
            restore.Reset();
            BindValues(restore, old);
            restore.Bind(14, old.created);
            restore.Bind(15, old.modified);
            restore.Bind(16, old.id);
            restore.Bind(17, changes.stamp);
            if (restore.Step() != SQLITE_DONE)
                return false;
        }
        return true;
    });
}

FileResult DriverLibrary::Update(const DriverEntry& entry) {
    bool clash = false;
    bool missing = false;
    FileResult result = Change([&] {
        Statement other(m_db, "SELECT 1 FROM drivers WHERE maker = ?1 AND model = ?2 AND id <> ?3");
        Statement update(m_db, UpdateSql("id = ?15"));
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
        update.Bind(14, m_stamp);
        update.Bind(15, entry.id);
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

Result<bool> DriverLibrary::Remove(std::int64_t id) {
    bool removed = false;
    FileResult result = Change([&] {
        Statement s(m_db, "DELETE FROM drivers WHERE id = ?1");
        if (!s.Ok())
            return false;
        s.Bind(1, id);
        if (s.Step() != SQLITE_DONE)
            return false;
        removed = sqlite3_changes(m_db) > 0;
        return true;
    });
    if (!result)
        return result.Error();
    return removed;
}

Result<bool> DriverLibrary::RemoveByName(const std::string& maker, const std::string& model) {
    bool removed = false;
    FileResult result = Change([&] {
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
    if (!result)
        return result.Error();
    return removed;
}

FileResult DriverLibrary::Check() const {
    Statement check(m_db, "PRAGMA quick_check");
    if (!check.Ok() || check.Step() != SQLITE_ROW)
        return ReadFailure();
    if (check.Text(0) != "ok")
        return FileResult::Fail(kLibraryDamaged, LibraryReadMessage(m_path, "it is damaged"));
    return FileResult::Success();
}

} // namespace orvane
