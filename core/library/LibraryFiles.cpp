// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/library/LibraryFiles.h"

#include "core/files/SameFile.h"
#include "core/files/XdgPaths.h"
#include "core/library/DriverLibrary.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane {

namespace {

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// A rename that never replaces: link the new name, then drop the old one.
// Where links are not possible (some network file systems), a plain rename
// after a look, which is as good as it gets there.
int MoveWithoutReplacing(const std::string& from, const std::string& to) {
    if (::link(from.c_str(), to.c_str()) == 0)
        return ::unlink(from.c_str()) == 0 ? 0 : errno;
    if (errno == EEXIST)
        return EEXIST;
    if (Exists(to))
        return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

constexpr const char* kCompanions[] = {"-wal", "-shm"};

// The library at `from` with its companions to `to`, or, on a failure, all
// of it back where it was. 0 or the error number.
int MoveWithCompanions(const std::string& from, const std::string& to) {
    if (const int error = MoveWithoutReplacing(from, to))
        return error;
    // A log left beside the old file would be read into a new one.
    for (const char* companion : kCompanions) {
        if (!Exists(from + companion))
            continue;
        if (const int error = MoveWithoutReplacing(from + companion, to + companion)) {
            for (const char* moved : kCompanions) {
                if (moved == companion)
                    break;
                (void)MoveWithoutReplacing(to + moved, from + moved);
            }
            (void)MoveWithoutReplacing(to, from);
            return error;
        }
    }
    return 0;
}

void RemoveWithCompanions(const std::string& path) {
    ::unlink(path.c_str());
    for (const char* companion : {"-wal", "-shm", "-journal"})
        ::unlink((path + companion).c_str());
}

} // namespace

std::string DefaultLibraryPath() {
    if (const char* set = std::getenv("ORVANE_LIBRARY"); set != nullptr && *set != '\0')
        return set;
    return DataHome() + "/orvane/drivers.sqlite";
}

std::string InstalledQspeakersDatabase() {
    for (const std::string& folder : DataDirs()) {
        std::string candidate = folder + "/qspeakers/qspeakers_db.xml";
        struct stat st {};
        if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            return candidate;
    }
    return {};
}

Result<std::string> MoveLibraryAside(const std::string& path) {
    for (int attempt = 1; attempt < 1000; ++attempt) {
        const std::string target =
            path + ".damaged" + (attempt == 1 ? std::string() : "-" + std::to_string(attempt));
        if (Exists(target) || Exists(target + "-wal") || Exists(target + "-shm"))
            continue;
        const int error = MoveWithCompanions(path, target);
        if (error == EEXIST)
            continue;
        if (error != 0) {
            return Failure<int>{error, "The driver library " + path +
                                           " cannot be moved aside: " + std::strerror(error) + "."};
        }
        return target;
    }
    return Failure<int>{EEXIST, "The driver library " + path +
                                    " cannot be moved aside: too many damaged copies."};
}

Result<std::string> StartNewLibrary(const std::string& path) {
    // Looked at again: only a file that positively is no library goes.
    Result<std::unique_ptr<DriverLibrary>> old = DriverLibrary::Open(path);
    if (old)
        return Failure<int>{0, "The driver library " + path + " can be read: it stays as it is."};
    if (!MayReplaceLibrary(old.ErrorCode()))
        return old.Error();

    std::string fresh;
    for (int attempt = 1; fresh.empty() || Exists(fresh); ++attempt)
        fresh = path + ".new-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
    {
        Result<std::unique_ptr<DriverLibrary>> made = DriverLibrary::Open(fresh);
        if (!made) {
            RemoveWithCompanions(fresh);
            const int code = made.ErrorCode();
            return Failure<int>{code,
                                "A new driver library cannot be made beside " + path + ": " +
                                    (code > 0 ? std::strerror(code) : "it cannot be written") +
                                    ". The old file stays as it was."};
        }
    } // closed: its log is written into it and removed

    Result<std::string> moved = MoveLibraryAside(path);
    if (!moved) {
        RemoveWithCompanions(fresh);
        return moved;
    }
    if (const int error = MoveWithCompanions(fresh, path)) {
        (void)MoveWithCompanions(*moved, path);
        RemoveWithCompanions(fresh);
        return Failure<int>{error, "A new driver library cannot be put in the place of " + path +
                                       ": " + std::strerror(error) +
                                       ". The old file stays as it was."};
    }
    return moved;
}

FileResult RefuseLibraryAsOutput(const std::string& output, const std::string& library) {
    if (!SameFile(output, library))
        return FileResult::Success();
    return FileResult::Fail(EEXIST,
                            "The file " + output + " is the driver library; choose another file.");
}

} // namespace orvane
