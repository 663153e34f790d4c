// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/files/ReadFile.h"

#include "core/files/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane {

int ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string& out) {
    out.clear();
    // Non-blocking so that a pipe given by mistake cannot hang the open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return errno;
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return errno;
    if (S_ISDIR(st.st_mode))
        return EISDIR;
    if (!S_ISREG(st.st_mode))
        return EINVAL;
    if (static_cast<std::uint64_t>(st.st_size) > maxBytes)
        return EFBIG;
    // The size may change while reading: never hold more than the bound.
    out.resize(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t have = 0;
    for (;;) {
        if (have == out.size()) {
            if (out.size() > maxBytes)
                break;
            out.resize(std::min(maxBytes + 1, out.size() * 2));
        }
        const ssize_t got = FileSystem::Current().Read(fd, out.data() + have, out.size() - have);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            out.clear();
            return error;
        }
        if (got == 0)
            break;
        have += static_cast<std::size_t>(got);
    }
    if (have > maxBytes) {
        out.clear();
        return EFBIG;
    }
    out.resize(have);
    return 0;
}

} // namespace orvane
