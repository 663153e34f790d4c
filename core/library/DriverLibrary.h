// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/files/FileResult.h"
#include "core/library/DriverEntry.h"

#include <memory>
#include <optional>
#include <span>
#include <string>
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

// The driver library: one SQLite database file that the program and
// orvane-cli may use at the same time (write-ahead log, busy timeout). Every
// change is one transaction, so a change that fails leaves the library as it
// was. A file that is damaged, or a database of another program, is reported
// and never written to.
class DriverLibrary {
public:
    // The schema this build writes; PRAGMA user_version holds it.
    static constexpr int kSchemaVersion = 2;
    // PRAGMA application_id of a driver library: "ORVL".
    static constexpr int kApplicationId = 0x4F52564C;

    struct Options {
        int busyTimeoutMs = 5000; // how long a change waits for another user's
    };

    // Opens the library at `path`, creating the file and its folder when
    // missing, and brings an older schema up to date. On failure returns
    // nothing and sets `error` to "The driver library PATH cannot be read:
    // REASON."; the file is left as it was.
    static std::unique_ptr<DriverLibrary> Open(const std::string& path, FileResult& error);
    static std::unique_ptr<DriverLibrary> Open(const std::string& path, const Options& options,
                                               FileResult& error);

    ~DriverLibrary();
    DriverLibrary(const DriverLibrary&) = delete;
    DriverLibrary& operator=(const DriverLibrary&) = delete;

    const std::string& Path() const { return m_path; }

    // Every driver, by maker then model (letters compared without case).
    FileResult All(std::vector<DriverEntry>& out) const;
    // One driver by its number, or by maker and model (without case); `found`
    // tells whether there was one.
    FileResult FindById(std::int64_t id, DriverEntry& out, bool& found) const;
    FileResult FindByName(const std::string& maker, const std::string& model, DriverEntry& out,
                          bool& found) const;
    // The drivers whose "MAKER MODEL" is `name` (without case): a name with
    // blanks may split more than one way, so there may be several.
    FileResult FindByFullName(const std::string& name, std::vector<DriverEntry>& out) const;

    // Adds the entry, or, when its maker and model are there, replaces that
    // entry (keeping its number and creation time) or leaves it, as `policy`
    // says. The entry must have passed NormaliseDriver.
    FileResult Store(const DriverEntry& entry, DuplicatePolicy policy, StoreOutcome& outcome);
    // All entries in one transaction: all are stored or, on a failure, none.
    FileResult StoreAll(std::span<const DriverEntry> entries, DuplicatePolicy policy,
                        StoreCounts& counts);
    // Changes the entry with `entry.id`: every value, maker and model too. A
    // maker and model that another entry has already are refused (error
    // EEXIST); an entry that is gone, with ENOENT.
    FileResult Update(const DriverEntry& entry);
    // Removes one driver; `removed` tells whether there was one.
    FileResult Remove(std::int64_t id, bool& removed);
    FileResult RemoveByName(const std::string& maker, const std::string& model, bool& removed);

private:
    DriverLibrary(sqlite3* db, std::string path);
    FileResult ReadFailure() const;
    // Runs `work` (false: failed) in one write transaction; the reason it
    // failed, or nothing.
    template <typename Work> std::optional<std::string> InTransaction(Work&& work);
    // The same, with the failure as the library's "cannot be changed" message.
    template <typename Work> FileResult Change(Work&& work);

    sqlite3* m_db;
    std::string m_path;
};

// "The driver library PATH cannot be read: REASON."
std::string LibraryReadMessage(const std::string& path, const std::string& reason);
// "The driver library PATH cannot be changed: REASON."
std::string LibraryWriteMessage(const std::string& path, const std::string& reason);

} // namespace orvane
