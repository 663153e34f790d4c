// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/files/FileSystem.h"

#include <atomic>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace orvane {

namespace {

FileSystem& RealFileSystem() {
    static FileSystem real;
    return real;
}

std::atomic<FileSystem*> g_current{nullptr};

} // namespace

int FileSystem::OpenTemporary(char* pattern) {
    return ::mkostemp(pattern, O_CLOEXEC);
}

ssize_t FileSystem::Read(int fd, void* data, std::size_t size) {
    return ::read(fd, data, size);
}

ssize_t FileSystem::Write(int fd, const void* data, std::size_t size) {
    return ::write(fd, data, size);
}

int FileSystem::Sync(int fd) {
    return ::fsync(fd);
}

int FileSystem::Close(int fd) {
    return ::close(fd);
}

int FileSystem::Rename(const char* from, const char* to) {
    return ::rename(from, to);
}

int FileSystem::Access(const char* path, int mode) {
    return ::access(path, mode);
}

int FileSystem::StatVfs(const char* path, struct statvfs* out) {
    return ::statvfs(path, out);
}

FileSystem& FileSystem::Current() {
    FileSystem* current = g_current.load();
    return current != nullptr ? *current : RealFileSystem();
}

ScopedFileSystem::ScopedFileSystem(FileSystem& replacement)
    : m_previous(g_current.exchange(&replacement)) {}

ScopedFileSystem::~ScopedFileSystem() {
    g_current.store(m_previous);
}

} // namespace orvane
