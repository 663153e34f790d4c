// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/library/LibraryFiles.h"

#include "core/files/XdgPaths.h"

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

FileResult MoveLibraryAside(const std::string& path, std::string& movedTo) {
    movedTo.clear();
    for (int attempt = 1; attempt < 1000; ++attempt) {
        const std::string target =
            path + ".damaged" + (attempt == 1 ? std::string() : "-" + std::to_string(attempt));
        if (Exists(target) || Exists(target + "-wal") || Exists(target + "-shm"))
            continue;
        const int error = MoveWithoutReplacing(path, target);
        if (error == EEXIST)
            continue;
        if (error != 0) {
            return FileResult::Fail(error, "The driver library " + path +
                                               " cannot be moved aside: " + std::strerror(error) +
                                               ".");
        }
        movedTo = target;
        // A log left beside the old file would be read into the new one: the
        // new library must not start while one is there.
        for (const char* companion : {"-wal", "-shm"}) {
            if (!Exists(path + companion))
                continue;
            if (const int failed = MoveWithoutReplacing(path + companion, target + companion)) {
                return FileResult::Fail(
                    failed, "The driver library " + path + companion +
                                " cannot be moved aside: " + std::strerror(failed) + ".");
            }
        }
        return FileResult::Success();
    }
    return FileResult::Fail(EEXIST, "The driver library " + path +
                                        " cannot be moved aside: too many damaged copies.");
}

} // namespace orvane
