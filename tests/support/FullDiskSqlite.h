// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sqlite3.h>

#include <cerrno>

namespace orvane {

// While it lives, SQLite's files behave as on a full disk, even for root:
// reading works, every write, truncation and mapping of a write-ahead-log
// index fails with ENOSPC. A wrapper around the default file system, put in
// its place.
class FullDiskSqlite {
public:
    FullDiskSqlite() {
        s_real = sqlite3_vfs_find(nullptr);
        m_vfs = *s_real;
        m_vfs.zName = "orvane-full-disk";
        m_vfs.szOsFile = static_cast<int>(sizeof(File)) + s_real->szOsFile;
        m_vfs.xOpen = Open;
        sqlite3_vfs_register(&m_vfs, 1);
    }
    ~FullDiskSqlite() {
        sqlite3_vfs_unregister(&m_vfs);
        sqlite3_vfs_register(s_real, 1);
    }
    FullDiskSqlite(const FullDiskSqlite&) = delete;
    FullDiskSqlite& operator=(const FullDiskSqlite&) = delete;

private:
    struct File {
        sqlite3_file base;
        sqlite3_file* Real() { return reinterpret_cast<sqlite3_file*>(this + 1); }
    };
    static sqlite3_file* R(sqlite3_file* f) { return reinterpret_cast<File*>(f)->Real(); }
    static int Full(int code) {
        errno = ENOSPC;
        return code;
    }

    static int Open(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* out) {
        sqlite3_file* real = reinterpret_cast<File*>(file)->Real();
        const int rc = s_real->xOpen(s_real, name, real, flags, out);
        file->pMethods = real->pMethods != nullptr ? &kMethods : nullptr;
        return rc;
    }

    // Passes a call on to the real file's method M.
    template <auto M, typename Ret, typename... Args> static Ret Pass(sqlite3_file* f, Args... a) {
        return (R(f)->pMethods->*M)(R(f), a...);
    }
    using M = sqlite3_io_methods;
    static constexpr sqlite3_io_methods kMethods = {
        3,
        [](sqlite3_file* f) {
            const int rc = R(f)->pMethods->xClose(R(f));
            f->pMethods = nullptr;
            return rc;
        },
        Pass<&M::xRead>,
        [](sqlite3_file*, const void*, int, sqlite3_int64) { return Full(SQLITE_FULL); },
        [](sqlite3_file*, sqlite3_int64) { return Full(SQLITE_FULL); },
        Pass<&M::xSync>,
        Pass<&M::xFileSize>,
        Pass<&M::xLock>,
        Pass<&M::xUnlock>,
        Pass<&M::xCheckReservedLock>,
        Pass<&M::xFileControl>,
        Pass<&M::xSectorSize>,
        Pass<&M::xDeviceCharacteristics>,
        [](sqlite3_file*, int, int, int, void volatile**) { return Full(SQLITE_IOERR_SHMSIZE); },
        Pass<&M::xShmLock>,
        Pass<&M::xShmBarrier>,
        Pass<&M::xShmUnmap>,
        Pass<&M::xFetch>,
        Pass<&M::xUnfetch>,
    };

    static inline sqlite3_vfs* s_real = nullptr;
    sqlite3_vfs m_vfs{};
};

} // namespace orvane
