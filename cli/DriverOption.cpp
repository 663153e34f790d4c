// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/DriverOption.h"

#include "cli/CliLibrary.h"
#include "core/library/DriverDesign.h"

#include <cstdio>

namespace orvane {

namespace {

int Report(const FileResult& result) {
    std::fprintf(stderr, "%s\n", result.Message().c_str());
    return 1;
}

} // namespace

int ApplyDriverOption(const CliArgs& args, SpeakerDesign& design) {
    const char* name = args.Value("driver");
    long long id = 0;
    if (name != nullptr && args.Has("driver-id"))
        return CliUsageError("give --driver or --driver-id, not both");
    if (args.Has("driver-id") && (!args.Integer("driver-id", id) || id <= 0))
        return CliUsageError("--driver-id needs a whole number above 0");
    if (name == nullptr && id == 0)
        return 0;

    std::unique_ptr<DriverLibrary> library;
    if (!OpenExistingLibraryOrReport(CliLibraryPath(args), library))
        return 1;
    const std::string wanted = name != nullptr ? name : "number " + std::to_string(id);
    std::vector<DriverEntry> found;
    if (library && name != nullptr) {
        if (const FileResult read = library->FindByFullName(name, found); !read)
            return Report(read);
    } else if (library) {
        DriverEntry entry;
        bool exists = false;
        if (const FileResult read = library->FindById(id, entry, exists); !read)
            return Report(read);
        if (exists)
            found.push_back(entry);
    }
    if (found.empty()) {
        std::fprintf(stderr, "There is no driver %s in the library.\n", wanted.c_str());
        return 1;
    }
    if (found.size() > 1) {
        std::string ids;
        for (const DriverEntry& e : found)
            ids += (ids.empty() ? "" : ", ") + std::to_string(e.id);
        std::fprintf(stderr, "Several drivers are named %s: give --driver-id (%s).\n",
                     wanted.c_str(), ids.c_str());
        return 1;
    }
    UseDriver(found.front(), design);
    return 0;
}

} // namespace orvane
