// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliLibrary.h"

#include "core/library/LibraryFiles.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

namespace orvane {

std::string CliLibraryPath(const CliArgs& args) {
    if (const char* path = args.Value("library"))
        return path;
    return DefaultLibraryPath();
}

std::unique_ptr<DriverLibrary> OpenLibraryOrReport(const std::string& path) {
    Result<std::unique_ptr<DriverLibrary>> opened = DriverLibrary::Open(path);
    if (!opened) {
        std::fprintf(stderr, "%s\n", opened.Message().c_str());
        return nullptr;
    }
    return std::move(*opened);
}

bool OpenExistingLibraryOrReport(const std::string& path, std::unique_ptr<DriverLibrary>& library) {
    library.reset();
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 && errno == ENOENT)
        return true;
    library = OpenLibraryOrReport(path);
    return library != nullptr;
}

bool RefuseLibraryOutput(const CliArgs& args, const std::string& output) {
    const FileResult refused = RefuseLibraryAsOutput(output, CliLibraryPath(args));
    if (!refused)
        std::fprintf(stderr, "%s\n", refused.Message().c_str());
    return !refused;
}

} // namespace orvane
