// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-cli set FILE [options]: changes values of an existing design in
// place; whatever the file holds that this version does not know is kept.
#include "cli/CliCommand.h"
#include "cli/DesignOptions.h"
#include "core/design/COrvaneDoc.h"

#include <cstdio>
#include <string>

namespace orvane {

namespace {

int RunSet(const CliArgs& args) {
    if (const std::string unexpected = args.Unexpected(1, DesignCommandOptions({}));
        !unexpected.empty())
        return CliUsageError(unexpected);
    if (args.options.empty())
        return CliUsageError("set needs a value to change");
    const std::string& path = args.positional[0];
    COrvaneDoc doc;
    if (const FileResult loaded = doc.Load(path); !loaded) {
        std::fprintf(stderr, "%s\n", loaded.Message().c_str());
        return 1;
    }
    if (const int failed = ApplyDesignCommandOptions(args, doc.Design()))
        return failed;
    if (const FileResult saved = doc.Save(path); !saved) {
        std::fprintf(stderr, "%s\n", saved.Message().c_str());
        return 1;
    }
    return 0;
}

const std::string kUsage = "set FILE " + DesignCommandUsage();

const CliRegistration registration({"set", kUsage.c_str(), RunSet, kDesignFlags,
                                    kDesignRepeatable});

} // namespace

} // namespace orvane
