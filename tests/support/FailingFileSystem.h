// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/files/FileSystem.h"

#include <cerrno>
#include <unistd.h>
#include <utility>

namespace orvane {

// Makes one step of reading or writing fail as a full disk or a failing drive
// would, while it is in use. A failing write first writes part of the bytes,
// as a disk that fills up does; EndEarly reads the first bytes of a file and
// then its end, as of a file cut short meanwhile, errno left as an earlier
// failed call left it. Access makes every path read-only (access fails with
// the error), Room reports a file system without a free block.
class FailingFileSystem : public FileSystem {
public:
    enum class Step { CreateTemp, Read, EndEarly, Write, Flush, Close, Rename, Access, Room };

    FailingFileSystem(Step step, int error) : m_step(step), m_error(error), m_scope(*this) {}

    int OpenTemporary(char* pattern) override {
        return Fail(Step::CreateTemp) ? -1 : FileSystem::OpenTemporary(pattern);
    }
    ssize_t Read(int fd, void* data, std::size_t size) override {
        if (Fail(Step::EndEarly))
            return std::exchange(m_partDone, true) ? 0 : FileSystem::Read(fd, data, size / 2);
        return Fail(Step::Read) ? -1 : FileSystem::Read(fd, data, size);
    }
    ssize_t Write(int fd, const void* data, std::size_t size) override {
        if (m_step == Step::Write && size > 1 && !m_partDone) {
            m_partDone = true;
            return FileSystem::Write(fd, data, size / 2);
        }
        return Fail(Step::Write) ? -1 : FileSystem::Write(fd, data, size);
    }
    int Sync(int fd) override { return Fail(Step::Flush) ? -1 : FileSystem::Sync(fd); }
    int Close(int fd) override {
        const int result = FileSystem::Close(fd); // the descriptor is gone either way
        return Fail(Step::Close) ? -1 : result;
    }
    int Rename(const char* from, const char* to) override {
        return Fail(Step::Rename) ? -1 : FileSystem::Rename(from, to);
    }
    int Access(const char* path, int mode) override {
        return (mode & W_OK) != 0 && Fail(Step::Access) ? -1 : FileSystem::Access(path, mode);
    }
    int StatVfs(const char* path, struct statvfs* out) override {
        const int result = FileSystem::StatVfs(path, out);
        if (result == 0 && m_step == Step::Room)
            out->f_bavail = 0;
        return result;
    }

private:
    bool Fail(Step step) const {
        if (step == m_step)
            errno = m_error;
        return step == m_step;
    }

    Step m_step;
    int m_error;
    bool m_partDone = false;
    ScopedFileSystem m_scope;
};

} // namespace orvane
