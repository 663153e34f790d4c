// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <sys/statvfs.h>
#include <sys/types.h>

namespace orvane {

// The system calls behind reading and writing files, in one place, so that a
// test can make any of them fail as a full disk or a failing drive would,
// without privileges. The program always uses the real calls; each returns
// what the system call returns and leaves errno set on failure.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual int OpenTemporary(char* pattern); // mkstemp
    virtual ssize_t Read(int fd, void* data, std::size_t size);
    virtual ssize_t Write(int fd, const void* data, std::size_t size);
    virtual int Sync(int fd);
    virtual int Close(int fd);
    virtual int Rename(const char* from, const char* to);
    // What the program may do with a path (access) and how much room its file
    // system has (statvfs): a test can make a folder read-only or a disk full
    // even for root, whom permissions do not stop.
    virtual int Access(const char* path, int mode);
    virtual int StatVfs(const char* path, struct statvfs* out);

    // The implementation in use.
    static FileSystem& Current();
};

// Puts another implementation in use for its own lifetime (tests).
class ScopedFileSystem {
public:
    explicit ScopedFileSystem(FileSystem& replacement);
    ~ScopedFileSystem();
    ScopedFileSystem(const ScopedFileSystem&) = delete;
    ScopedFileSystem& operator=(const ScopedFileSystem&) = delete;

private:
    FileSystem* m_previous;
};

} // namespace orvane
