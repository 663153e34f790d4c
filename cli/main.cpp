#include "cli/CliCommand.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc < 2)
        return CliUsageError("");
    const char* first = argv[1];
    if (std::strcmp(first, "--help") == 0 || std::strcmp(first, "-h") == 0) {
        std::puts("orvane-cli: scripting and batch work on Orvane design files.\nusage:");
        for (const CliCommand& c : RegisteredCliCommands())
            std::printf("  orvane-cli %s\n", c.usage);
        std::puts("  orvane-cli --help | --version");
        return 0;
    }
    if (std::strcmp(first, "--version") == 0) {
        std::puts("orvane-cli 1.0.0.1");
        return 0;
    }
    for (const CliCommand& c : RegisteredCliCommands()) {
        if (std::strcmp(first, c.name) == 0) {
            const CliArgs args = ParseCliArgs(argc, argv, 2);
            if (!args.error.empty())
                return CliUsageError(args.error);
            return c.run(args);
        }
    }
    return CliUsageError(std::string("unknown command ") + first);
}
