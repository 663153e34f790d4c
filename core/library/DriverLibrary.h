// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/files/FileResult.h"
#include "core/library/DriverEntry.h"

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace orvane {

// What happens to an entry whose maker and model are already in the library.
enum class DuplicatePolicy { Skip, Replace };

enum class StoreOutcome { Added, Replaced, Skipped };

struct StoreCounts {
    int added = 0;
    int replaced = 0;
    int skipped = 0;
};

// What one StoreAll changed, so that it can be taken back (Undo).
struct StoreChanges {
    std::string stamp;                 // the time it wrote, the rows' "created"/"modified"
    std::vector<std::int64_t> added;   // the numbers of the drivers it added
    std::vector<DriverEntry> replaced; // the drivers it replaced, as they were

    bool Empty() const { return added.empty() && replaced.empty(); }
};

// Why a library cannot be used, where the reason is the library's own; a
// failure of the system (a full or failing disk, a folder, permissions,
// another program holding the file) carries its errno, a positive number.
enum LibraryFailure : int {
    kLibraryDamaged = -1,     // its pages do not check out
    kLibraryNotDatabase = -2, // it is no SQLite database at all
    kLibraryForeign = -3,     // it is a database of another program
    kLibraryNewer = -4,       // a newer version wrote it: never changed here
};

// Whether a library that failed with `code` may be moved aside to start a new
// one: only a file that is positively damaged, no database, or another
// program's database. Never one of a newer version, nor after a failure of
// the disk, permissions, another program or a path that is not a file:
// there the file may be whole.
bool MayReplaceLibrary(int code);

// How a library is opened. Only ReadWrite changes anything in the folder
// (the write-ahead log and its index beside the file); Snapshot reads the
// file as it is, without the log, where even that cannot be made.
enum class LibraryAccess { ReadWrite, ReadOnly, Snapshot };

// What the file system says about a library's place before it is opened.
struct LibraryPlace {
    bool exists = false;
    bool fileWritable = false;
    bool folderWritable = false;
    bool diskFull = false;
    bool walMode = false;   // the file's header asks for the write-ahead log
    bool shmExists = false; // its log index, PATH-shm, is there
};

// Reading and writing where both the file and its folder may be written and
// the disk has room; otherwise reading, without the log unless its index is
// already there (else SQLite would make it: files left beside a read-only
// file, or a failure in a read-only folder or on a full disk).
LibraryAccess ChooseLibraryAccess(const LibraryPlace& place);

// The driver library: one SQLite database file that the program and
// orvane-cli may use at the same time (write-ahead log, busy timeout). Every
// change is one transaction, so a change that fails leaves the library as it
// was. A file that is damaged, or a database of another program, is reported
// and never written to; one that cannot be written (a read-only file or
// folder, a full disk) is opened for reading.
class DriverLibrary {
public:
    // The schema this build writes; PRAGMA user_version holds it.
    static constexpr int kSchemaVersion = 3;
    // PRAGMA application_id of a driver library: "ORVL".
    static constexpr int kApplicationId = 0x4F52564C;

    struct Options {
        int busyTimeoutMs = 5000; // how long a change waits for another user's
    };

    // Opens the library at `path`, creating the file and its folder when
    // missing, and brings an older schema up to date where it may write.
    // Its pages are checked (quick_check) when SQLite had to recover a log or
    // journal that a crash left. On failure: "The driver library PATH cannot
    // be read: REASON.", with the file left as it was.
    static Result<std::unique_ptr<DriverLibrary>> Open(const std::string& path,
                                                       const Options& options);
    static Result<std::unique_ptr<DriverLibrary>> Open(const std::string& path) {
        return Open(path, Options{});
    }

    ~DriverLibrary();
    DriverLibrary(const DriverLibrary&) = delete;
    DriverLibrary& operator=(const DriverLibrary&) = delete;

    const std::string& Path() const { return m_path; }
    // Why the library can be read but not changed ("the disk is full"), or
    // empty when it can be changed.
    const std::string& ReadOnlyReason() const { return m_readOnlyReason; }

    // Every driver, by maker then model (letters compared without case).
    Result<std::vector<DriverEntry>> All() const;
    // Calls `each` with every driver that `query` matches (DriverQuery; ""
    // for all), one at a time: the others are never built, and the entry
    // handed over is reused for the next. In the order of All, or, for a
    // caller that sorts them itself, as they are stored, which is faster.
    enum class Order { ByName, Stored };
    FileResult ForEach(std::string_view query, const std::function<void(const DriverEntry&)>& each,
                       Order order = Order::ByName) const;
    // The numbers of every driver in the order of All, from the name index
    // alone: faster than sorting the drivers by name after ForEach(Stored).
    Result<std::vector<std::int64_t>> IdsByName() const;
    // One driver by its number, or by maker and model (without case); an
    // empty optional when there is none.
    Result<std::optional<DriverEntry>> FindById(std::int64_t id) const;
    Result<std::optional<DriverEntry>> FindByName(const std::string& maker,
                                                  const std::string& model) const;
    // The drivers whose "MAKER MODEL" is `name` (without case): a name with
    // blanks may split more than one way, so there may be several.
    Result<std::vector<DriverEntry>> FindByFullName(const std::string& name) const;

    // Adds the entry, or, when its maker and model are there, replaces that
    // entry (keeping its number and creation time) or leaves it, as `policy`
    // says. The entry must have passed NormaliseDriver.
    Result<StoreOutcome> Store(const DriverEntry& entry, DuplicatePolicy policy);
    // All entries in one transaction: all are stored or, on a failure, none.
    // `changes`, when given, receives what to take back for an Undo.
    Result<StoreCounts> StoreAll(std::span<const DriverEntry> entries, DuplicatePolicy policy,
                                 StoreChanges* changes = nullptr);
    // Takes a StoreAll back in one transaction: removes the drivers it added
    // and restores those it replaced, leaving any that were changed since.
    FileResult Undo(const StoreChanges& changes);
    // Changes the entry with `entry.id`: every value, maker and model too. A
    // maker and model that another entry has already are refused (error
    // EEXIST); an entry that is gone, with ENOENT.
    FileResult Update(const DriverEntry& entry);
    // Removes one driver; the value tells whether there was one.
    Result<bool> Remove(std::int64_t id);
    Result<bool> RemoveByName(const std::string& maker, const std::string& model);

    // Checks every page (quick_check): a failure with kLibraryDamaged when
    // the file is damaged.
    FileResult Check() const;

private:
    DriverLibrary(sqlite3* db, std::string path);
    static Result<std::unique_ptr<DriverLibrary>>
    Connect(const std::string& path, LibraryAccess access, const Options& options);
    Failure<int> ReadFailure() const;
    std::string Columns() const;
    // Runs `work` (false: failed) in one write transaction, with the time of
    // the change in `stamp`; the failure, or nothing.
    template <typename Work> std::optional<Failure<int>> InTransaction(Work&& work);
    // The same, with the failure as the library's "cannot be changed" message.
    template <typename Work> FileResult Change(Work&& work);

    sqlite3* m_db;
    std::string m_path;
    std::string m_readOnlyReason;
    std::int64_t m_version = 0; // of the schema; 0 for an empty file
    std::string m_stamp;        // the time of the change in progress
};

// "The driver library PATH cannot be read: REASON."
std::string LibraryReadMessage(const std::string& path, const std::string& reason);
// "The driver library PATH cannot be changed: REASON."
std::string LibraryWriteMessage(const std::string& path, const std::string& reason);

} // namespace orvane
