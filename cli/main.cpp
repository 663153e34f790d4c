// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliCommand.h"
#include "core/Version.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc < 2)
        return orvane::CliUsageError("");
    const char* first = argv[1];
    if (std::strcmp(first, "--help") == 0 || std::strcmp(first, "-h") == 0) {
        std::puts("orvane-cli: scripting and batch work on Orvane design files.\nusage:");
        for (const orvane::CliCommand& c : orvane::RegisteredCliCommands())
            std::printf("  orvane-cli %s\n", c.usage);
        std::puts("  orvane-cli --help | --version");
        return 0;
    }
    if (std::strcmp(first, "--version") == 0) {
        std::printf("orvane-cli %s\n", orvane::kVersion.data());
        return 0;
    }
    for (const orvane::CliCommand& c : orvane::RegisteredCliCommands()) {
        if (std::strcmp(first, c.name) == 0) {
            const orvane::CliArgs args = orvane::ParseCliArgs(argc, argv, 2, c.flags, c.repeatable);
            if (!args.error.empty())
                return orvane::CliUsageError(args.error);
            return c.run(args);
        }
    }
    return orvane::CliUsageError(std::string("unknown command ") + first);
}
