// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/design/COrvaneDoc.h"

#include "core/design/DesignExtension.h"
#include "core/design/DesignFile.h"
#include "core/design/FileErrorMessage.h"
#include "core/files/AtomicWrite.h"
#include "core/files/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <limits>
#include <new>
#include <span>
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
        const ssize_t got = FileSystem::Current().Read(fd, buffer.data() + have, target - have);
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

} // namespace

bool COrvaneDoc::OnNewDocument() {
    m_design.SetNewDesignDefaults();
    m_path.clear();
    m_saved = m_design;
    return true;
}

void COrvaneDoc::SetModified(bool modified) {
    if (modified)
        m_saved.reset();
    else
        m_saved = m_design;
}

void COrvaneDoc::TakeRecovered(SpeakerDesign design, std::string path, std::string title) {
    m_design = std::move(design);
    m_path = std::move(path);
    m_title = std::move(title);
    m_saved.reset();
}

FileResult COrvaneDoc::Load(const std::string& path) {
    // Memory running out while loading is the file's fault as far as the
    // user can tell (a record is a few hundred bytes): it must not end the
    // program with every other open design.
    try {
        return LoadFile(path);
    } catch (const std::bad_alloc&) {
        return FileResult::Fail(ENOMEM, std::string(DesignFile::kUnexpectedFormat));
    }
}

FileResult COrvaneDoc::LoadFile(const std::string& path) {
    const std::string full = FullPath(path);
    auto failure = [&](int error, FilePhase phase) {
        return FileResult::Fail(error, FileErrorMessage(error, FileDirection::Load, phase, full));
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
    std::uint64_t needed = std::numeric_limits<std::uint64_t>::max();
    for (;;) {
        if (const int error = ReadUpTo(fd, bytes, static_cast<std::size_t>(target)))
            return failure(error, FilePhase::Transfer);
        if (bytes.size() < target)
            break; // the file ended early (it shrank while being read)
        needed = DesignFile::RequiredSize(bytes);
        if (needed <= bytes.size() || needed > fileSize || bytes.size() == fileSize)
            break;
        // Grow at least geometrically so a long run of prefixes stays linear.
        target = std::min(fileSize, std::max<std::uint64_t>(needed, 2 * bytes.size()));
    }
    // Then the extension block after a record that loads, unless the rest is
    // far larger than any block: that is left unread.
    if (needed <= bytes.size()) {
        const bool readTail = fileSize - needed <= DesignExtension::kMaxTailBytes &&
                              DesignFile::Parse(std::span(bytes).first(needed));
        if (!readTail)
            bytes.resize(static_cast<std::size_t>(needed));
        else if (const int error = ReadUpTo(fd, bytes, static_cast<std::size_t>(fileSize)))
            return failure(error, FilePhase::Transfer);
    }

    std::optional<SpeakerDesign> design = DesignFile::Parse(bytes);
    if (!design)
        return FileResult::Fail(0, std::string(DesignFile::kUnexpectedFormat));
    m_design = std::move(*design);
    m_saved = m_design;
    m_path = full;
    m_title = FileName(full);
    return FileResult::Success();
}

FileResult COrvaneDoc::Save(const std::string& path) {
    const std::string full = FullPath(path);
    const std::vector<std::uint8_t> bytes = DesignFile::Store(m_design);
    if (const AtomicWriteResult written = WriteFileAtomically(full, bytes); !written) {
        const FilePhase phase =
            written.stage == WriteStage::Open ? FilePhase::Open : FilePhase::Transfer;
        return FileResult::Fail(written.error,
                                FileErrorMessage(written.error, FileDirection::Save, phase, full));
    }
    m_path = full;
    m_title = FileName(full);
    m_saved = m_design;
    return FileResult::Success();
}

} // namespace orvane
