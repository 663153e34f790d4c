// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/design/COrvaneDoc.h"

#include "core/design/DesignFile.h"
#include "core/design/FileErrorMessage.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane {

namespace {

// Messages name the file by its full path; a relative path is taken from the
// current folder.
std::string FullPath(const std::string& path) {
    if (path.empty() || path.front() == '/')
        return path;
    std::error_code ec;
    const auto full = std::filesystem::absolute(path, ec);
    return ec ? path : full.string();
}

std::string FileName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

class FdCloser {
public:
    explicit FdCloser(int fd) : m_fd(fd) {}
    ~FdCloser() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FdCloser(const FdCloser&) = delete;
    FdCloser& operator=(const FdCloser&) = delete;

private:
    int m_fd;
};

// Reads until the buffer holds `target` bytes or the file ends. Returns 0 or
// the error number.
int ReadUpTo(int fd, std::vector<std::uint8_t>& buffer, std::size_t target) {
    std::size_t have = buffer.size();
    buffer.resize(target);
    while (have < target) {
        const ssize_t got = ::read(fd, buffer.data() + have, target - have);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            buffer.resize(have);
            return error;
        }
        if (got == 0)
            break;
        have += static_cast<std::size_t>(got);
    }
    buffer.resize(have);
    return 0;
}

int WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t put = ::write(fd, data, size);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
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

} // namespace

bool COrvaneDoc::OnNewDocument() {
    m_design.SetNewDesignDefaults();
    m_path.clear();
    m_modified = false;
    return true;
}

std::optional<std::string> COrvaneDoc::Load(const std::string& path) {
    const std::string full = FullPath(path);
    auto failure = [&](int error, FilePhase phase) {
        return FileErrorMessage(error, FileDirection::Load, phase, full);
    };

    // Non-blocking so that a FIFO given by mistake cannot hang the open.
    const int fd = ::open(full.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return failure(errno, FilePhase::Open);
    FdCloser closer(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return failure(errno, FilePhase::Transfer);
    if (S_ISDIR(st.st_mode))
        return failure(EISDIR, FilePhase::Transfer);
    // Devices, pipes and sockets are no design files, and some never end.
    if (!S_ISREG(st.st_mode))
        return failure(EINVAL, FilePhase::Open);

    // Read no more than the file holds and no more than the layout asks for:
    // a length prefix promising more than the file has stops the reading.
    const auto fileSize = static_cast<std::uint64_t>(st.st_size);
    std::vector<std::uint8_t> bytes;
    std::uint64_t target = std::min<std::uint64_t>(fileSize, 4096);
    for (;;) {
        if (const int error = ReadUpTo(fd, bytes, static_cast<std::size_t>(target)))
            return failure(error, FilePhase::Transfer);
        if (bytes.size() < target)
            break; // the file ended early (it shrank while being read)
        const std::uint64_t needed = DesignFile::RequiredSize(bytes);
        if (needed <= bytes.size() || needed > fileSize || bytes.size() == fileSize)
            break;
        // Grow at least geometrically so a long run of prefixes stays linear.
        target = std::min(fileSize, std::max<std::uint64_t>(needed, 2 * bytes.size()));
    }

    std::optional<SpeakerDesign> design = DesignFile::Parse(bytes);
    if (!design)
        return std::string(DesignFile::kUnexpectedFormat);
    m_design = std::move(*design);
    m_path = full;
    m_title = FileName(full);
    return std::nullopt;
}

bool COrvaneDoc::Fails(SaveStep step, int& error) const {
    if (m_failError == 0 || m_failStep != step)
        return false;
    error = m_failError;
    return true;
}

std::optional<std::string> COrvaneDoc::Save(const std::string& path) {
    const std::string full = FullPath(path);
    auto failure = [&](int error, FilePhase phase) {
        return FileErrorMessage(error, FileDirection::Save, phase, full);
    };
    if (full.empty())
        return failure(EINVAL, FilePhase::Open);

    // The file that gets replaced: a symbolic link stays a link and its target
    // gets the new contents.
    std::string target = full;
    struct stat st {};
    bool exists = false;
    if (::stat(full.c_str(), &st) == 0) {
        exists = true;
        if (S_ISDIR(st.st_mode))
            return failure(EISDIR, FilePhase::Open);
        // Never rename over a device or pipe.
        if (!S_ISREG(st.st_mode))
            return failure(EINVAL, FilePhase::Open);
        // Replacing by rename needs only the folder to be writable; a
        // read-only file must stay as it is, as a plain write would.
        if (::access(full.c_str(), W_OK) != 0)
            return failure(errno, FilePhase::Open);
        if (char* resolved = ::realpath(full.c_str(), nullptr)) {
            target = resolved;
            std::free(resolved);
        }
    } else if (errno != ENOENT) {
        return failure(errno, FilePhase::Open);
    }

    std::string folder = std::filesystem::path(target).parent_path().string();
    if (folder.empty())
        folder = "/";
    // A short fixed name: a long target name must not push the temporary one
    // over the name length limit.
    std::string temp = folder + (folder.back() == '/' ? "" : "/") + ".orvane-save-XXXXXX";
    int error = 0;
    const int fd = Fails(SaveStep::CreateTemp, error) ? -1 : ::mkstemp(temp.data());
    if (fd < 0)
        return failure(error ? error : errno, FilePhase::Open);

    auto abandon = [&](int fdToClose, int cause) {
        if (fdToClose >= 0)
            ::close(fdToClose);
        ::unlink(temp.c_str());
        return failure(cause, FilePhase::Transfer);
    };

    // The replacement keeps the old file's permissions (and owner, where we
    // may set it); a new file gets the usual ones.
    if (exists) {
        if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
            // Not ours to give away: the file stays ours.
        }
        ::fchmod(fd, st.st_mode & 07777);
    } else {
        ::fchmod(fd, 0666 & ~CurrentUmask());
    }

    const std::vector<std::uint8_t> bytes = DesignFile::Store(m_design);
    if (Fails(SaveStep::Write, error)) {
        WriteAll(fd, bytes.data(), bytes.size() / 2);
        return abandon(fd, error);
    }
    if (const int e = WriteAll(fd, bytes.data(), bytes.size()))
        return abandon(fd, e);
    if (Fails(SaveStep::Flush, error))
        return abandon(fd, error);
    if (::fsync(fd) != 0)
        return abandon(fd, errno);
    if (::close(fd) != 0)
        return abandon(-1, errno);
    if (Fails(SaveStep::Rename, error))
        return abandon(-1, error);
    if (::rename(temp.c_str(), target.c_str()) != 0)
        return abandon(-1, errno);

    // Make the rename itself durable; the data is already safe either way.
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }

    m_path = full;
    m_title = FileName(full);
    m_modified = false;
    return std::nullopt;
}

} // namespace orvane
