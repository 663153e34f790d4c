// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
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
