// SPDX-License-Identifier: GPL-3.0-or-later
// `orvane-cli drivers list` over a library of 100,000 drivers, beside the
// floor: bench_library_floor, the least a program does to print the same
// table with the SQLite C API. The two run alternately so that both meet the
// same machine; the medians of their CPU and wall times and the ratio of the
// CPU medians are reported. Each pair's output is compared once: the floor
// must print the same bytes. The targets: list at most 1.5 times the floor,
// --search at most 2 times a filtered floor. Beside them, the floor that
// prints the rows unsorted, in the order they are stored.
//
//   bench_library_cli [--cli PATH] [--runs N]
#include "bench/BenchProcess.h"
#include "bench/LibraryBenchData.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

using namespace orvane;
using namespace orvane::bench;

namespace {

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

int main(int argc, char** argv) {
    std::string cli = ORVANE_BINARY_DIR "/cli/orvane-cli";
    const std::string floor = ORVANE_BINARY_DIR "/bench/bench_library_floor";
    int runs = 15;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--cli") == 0)
            cli = argv[i + 1];
        else if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[i + 1]));
    }
    char folder[] = "/tmp/orvane-bench-XXXXXX";
    if (mkdtemp(folder) == nullptr)
        return 1;
    const std::string dir = folder;
    const std::string csv = dir + "/drivers.csv", library = dir + "/drivers.sqlite";
    {
        std::ofstream out(csv, std::ios::binary);
        out << DriverCsv::Write(BenchDrivers(100000));
    }
    const Sample import = RunOnce(cli, {"drivers", "import", csv, "--library", library});
    std::printf("import of 100000 drivers: wall %.0f ms, cpu %.0f ms%s\n", import.wallMs,
                import.cpuMs, import.status == 0 ? "" : " (FAILED)");

    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::vector<std::string> floorArgs;
    };
    const Case cases[] = {
        {"list", {"drivers", "list", "--library", library}, {library}},
        {"list --search seas",
         {"drivers", "list", "--search", "seas", "--library", library},
         {library, "seas"}},
        {"list --search paper",
         {"drivers", "list", "--search", "paper", "--library", library},
         {library, "paper"}},
    };
    std::printf("%-20s %9s %9s | %10s %9s %6s | %14s %6s\n", "case", "wall ms", "cpu ms",
                "floor wall", "cpu", "ratio", "unordered cpu", "ratio");
    for (const Case& c : cases) {
        RunOnce(cli, c.args, dir + "/cli.out");
        RunOnce(floor, c.floorArgs, dir + "/floor.out");
        const bool same = Contents(dir + "/cli.out") == Contents(dir + "/floor.out");
        std::vector<std::string> unorderedArgs = c.floorArgs;
        unorderedArgs.insert(unorderedArgs.begin(), "--unordered");
        std::vector<Sample> mine, theirs, unordered;
        for (int i = 0; i < runs; ++i) {
            mine.push_back(RunOnce(cli, c.args));
            theirs.push_back(RunOnce(floor, c.floorArgs));
            unordered.push_back(RunOnce(floor, unorderedArgs));
        }
        const Summary m = Summarise(mine), t = Summarise(theirs), u = Summarise(unordered);
        std::printf("%-20s %9.1f %9.1f | %10.1f %9.1f %5.2fx | %14.1f %5.2fx%s%s\n", c.name,
                    m.wallMs, m.cpuMs, t.wallMs, t.cpuMs, m.cpuMs / t.cpuMs, u.cpuMs,
                    m.cpuMs / u.cpuMs, same ? "" : "  (OUTPUT DIFFERS)",
                    m.ok && t.ok && u.ok ? "" : "  (FAILED)");
        std::fflush(stdout);
    }
    for (const char* name : {"drivers.csv", "drivers.sqlite", "cli.out", "floor.out"})
        std::remove((dir + "/" + name).c_str());
    rmdir(folder);
    return 0;
}
