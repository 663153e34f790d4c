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
    FileResult error = FileResult::Success();
    std::unique_ptr<DriverLibrary> library = DriverLibrary::Open(path, error);
    if (!library)
        std::fprintf(stderr, "%s\n", error.Message().c_str());
    return library;
}

bool OpenExistingLibraryOrReport(const std::string& path, std::unique_ptr<DriverLibrary>& library) {
    library.reset();
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 && errno == ENOENT)
        return true;
    library = OpenLibraryOrReport(path);
    return library != nullptr;
}

} // namespace orvane
