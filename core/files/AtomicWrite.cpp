// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/files/AtomicWrite.h"

#include "core/files/FileSystem.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane {

namespace {

int WriteAll(FileSystem& fs, int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t put = fs.Write(fd, data, size);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (put == 0)
            return EIO; // a write that makes no progress would loop for ever
        data += put;
        size -= static_cast<std::size_t>(put);
    }
    return 0;
}

mode_t CurrentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

AtomicWriteResult Failed(int error, WriteStage stage) {
    return {error != 0 ? error : EIO, stage};
}

// The temporary files' names: a short fixed stem and mkstemp's six letters or
// digits. A long target name must not push the temporary one over the name
// length limit.
constexpr std::string_view kTempStem = ".orvane-save-";
constexpr std::size_t kTempRandomLength = 6;

bool IsTemporaryName(std::string_view name) {
    if (name.size() != kTempStem.size() + kTempRandomLength || !name.starts_with(kTempStem))
        return false;
    for (const char c : name.substr(kTempStem.size())) {
        const bool alnum =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!alnum)
            return false;
    }
    return true;
}

// A save killed half-way leaves its temporary file behind. Ours, a day old
// and still there: no save can still be writing it, so it goes. Anything else
// in the folder, even of a similar name, is left alone.
void RemoveStaleTemporaries(const std::string& folder) {
    constexpr std::time_t kStaleAfterSeconds = 24 * 60 * 60;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return;
    const std::time_t now = std::time(nullptr);
    const int dirFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        if (!IsTemporaryName(entry->d_name))
            continue;
        struct stat st {};
        if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
            st.st_mtime < now - kStaleAfterSeconds)
            ::unlinkat(dirFd, entry->d_name, 0);
    }
    ::closedir(dir);
}

} // namespace

AtomicWriteResult WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                                      unsigned newFileMode) {
    if (path.empty())
        return Failed(EINVAL, WriteStage::Open);

    // The file that gets replaced: a symbolic link stays a link and its target
    // gets the new contents.
    std::string target = path;
    struct stat st {};
    bool exists = false;
    // A link that points nowhere is not replaced by a file of ours: the link
    // is the user's and says where the file belongs.
    struct stat linkSt {};
    if (::lstat(path.c_str(), &linkSt) == 0 && S_ISLNK(linkSt.st_mode) &&
        ::stat(path.c_str(), &st) != 0)
        return Failed(errno, WriteStage::Open);
    if (::stat(path.c_str(), &st) == 0) {
        exists = true;
        if (S_ISDIR(st.st_mode))
            return Failed(EISDIR, WriteStage::Open);
        // Never rename over a device or pipe.
        if (!S_ISREG(st.st_mode))
            return Failed(EINVAL, WriteStage::Open);
        // Replacing by rename needs only the folder to be writable; a
        // read-only file must stay as it is, as a plain write would.
        if (::access(path.c_str(), W_OK) != 0)
            return Failed(errno, WriteStage::Open);
        if (char* resolved = ::realpath(path.c_str(), nullptr)) {
            target = resolved;
            std::free(resolved);
        }
    } else if (errno != ENOENT) {
        return Failed(errno, WriteStage::Open);
    }

    std::string folder = std::filesystem::path(target).parent_path().string();
    if (folder.empty())
        folder = "/";
    RemoveStaleTemporaries(folder);
    std::string temp = folder + (folder.back() == '/' ? "" : "/") + std::string(kTempStem) +
                       std::string(kTempRandomLength, 'X');
    FileSystem& fs = FileSystem::Current();
    const int fd = fs.OpenTemporary(temp.data());
    if (fd < 0)
        return Failed(errno, WriteStage::Open);

    auto abandon = [&](int fdToClose, int cause) {
        if (fdToClose >= 0)
            fs.Close(fdToClose);
        ::unlink(temp.c_str());
        return Failed(cause, WriteStage::Transfer);
    };

    // The replacement keeps the old file's permissions (and owner, where we
    // may set it); a new file gets the usual ones.
    if (exists) {
        if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
            // Not ours to give away: the file stays ours.
        }
        ::fchmod(fd, st.st_mode & 07777);
    } else {
        ::fchmod(fd, static_cast<mode_t>(newFileMode) & ~CurrentUmask());
    }

    if (const int e = WriteAll(fs, fd, bytes.data(), bytes.size()))
        return abandon(fd, e);
    if (fs.Sync(fd) != 0)
        return abandon(fd, errno);
    if (fs.Close(fd) != 0)
        return abandon(-1, errno);
    if (fs.Rename(temp.c_str(), target.c_str()) != 0)
        return abandon(-1, errno);

    // Make the rename itself durable; the data is already safe either way.
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return {};
}

} // namespace orvane
