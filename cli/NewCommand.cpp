// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-cli new -o FILE [options]: writes a new design with the given values
// in place of the defaults.
#include "cli/CliCommand.h"
#include "cli/CliLibrary.h"
#include "cli/DesignOptions.h"
#include "core/design/COrvaneDoc.h"

#include <cstdio>
#include <string>

namespace orvane {

namespace {

int RunNew(const CliArgs& args) {
    if (const std::string unexpected = args.Unexpected(0, DesignCommandOptions({"o"}));
        !unexpected.empty())
        return CliUsageError(unexpected);
    if (!args.Has("o"))
        return CliUsageError("new needs -o FILE");
    COrvaneDoc doc;
    doc.OnNewDocument();
    if (const int failed = ApplyDesignCommandOptions(args, doc.Design()))
        return failed;
    if (RefuseLibraryOutput(args, args.options.at("o")))
        return 1;
    if (const FileResult saved = doc.Save(args.options.at("o")); !saved) {
        std::fprintf(stderr, "%s\n", saved.Message().c_str());
        return 1;
    }
    return 0;
}

const std::string kUsage = "new -o FILE " + DesignCommandUsage();

const CliRegistration registration({"new", kUsage.c_str(), RunNew, kDesignFlags,
                                    kDesignRepeatable});

} // namespace

} // namespace orvane
