// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/DriverOption.h"

#include "cli/CliLibrary.h"
#include "core/library/DriverDesign.h"

#include <cstdio>

namespace orvane {

namespace {

int Report(const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
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
        Result<std::vector<DriverEntry>> named = library->FindByFullName(name);
        if (!named)
            return Report(named.Error().message);
        found = std::move(*named);
    } else if (library) {
        Result<std::optional<DriverEntry>> numbered = library->FindById(id);
        if (!numbered)
            return Report(numbered.Error().message);
        if (*numbered)
            found.push_back(**numbered);
    }
    // A passive radiator has no motor: it is no driver for a design.
    std::erase_if(found, [](const DriverEntry& e) { return e.kind != DriverKind::Driver; });
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
