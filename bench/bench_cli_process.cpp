// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-process benchmark of orvane-cli: start, work, exit, as a script
// meets it. Each case runs many times; the median wall time, the median CPU
// time of the process (user + system, what it costs whoever else runs) and
// the largest peak memory are reported. Given a second tool (--against OLD),
// the two run alternately, so that both see the same machine, with their
// ratio. Last, analyze of 1 000 000 points runs alternately with its floor
// (analysis_floor: the same model and table, nothing more), with the ratio
// of their CPU times.
//
//   bench_cli_process [--cli PATH] [--against PATH] [--runs N] [--floor PATH]
#include "bench/BenchProcess.h"
#include "core/design/DesignFile.h"
#include "tests/support/ReferenceDesigns.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

using namespace orvane;

namespace {

using bench::RunOnce;
using bench::Sample;
using bench::Summarise;
using bench::Summary;

bool WriteDesign(const std::string& path, SpeakerDesign d, double low, double high) {
    d.m_freqLow = low;
    d.m_freqHigh = high;
    const std::vector<uint8_t> bytes = DesignFile::Store(d);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace

int main(int argc, char** argv) {
    std::string cli = ORVANE_BINARY_DIR "/cli/orvane-cli";
    std::string against;
    std::string floor = ORVANE_BINARY_DIR "/bench/analysis_floor";
    int runs = 41;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--cli") == 0)
            cli = argv[i + 1];
        else if (std::strcmp(argv[i], "--against") == 0)
            against = argv[i + 1];
        else if (std::strcmp(argv[i], "--floor") == 0)
            floor = argv[i + 1];
        else if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[i + 1]));
    }

    char folder[] = "/tmp/orvane-bench-XXXXXX";
    if (mkdtemp(folder) == nullptr)
        return 1;
    const std::string dir = folder;
    const std::string bp6 = dir + "/bp6.spk", sealed = dir + "/sealed.spk",
                      million = dir + "/million.spk", analysed = dir + "/analysed.spk";
    // Every column of the analysis: both ports, Re, Le, Pe and Xmax.
    SpeakerDesign full = AnalysedDesign(BoxKind::Bandpass6);
    full.m_extras.le = 1;
    full.m_extras.portDiameter = 3;
    full.m_extras.port2Diameter = 3;
    if (!WriteDesign(bp6, WithOutputFigures(ReferenceDesign(BoxKind::Bandpass6)), 10, 20000) ||
        !WriteDesign(sealed, WithOutputFigures(ReferenceDesign(BoxKind::Sealed)), 10, 20000) ||
        !WriteDesign(million, WithOutputFigures(ReferenceDesign(BoxKind::Sealed)), 10, 1000010) ||
        !WriteDesign(analysed, full, 10, 1000010))
        return 1;

    struct Case {
        const char* name;
        std::vector<std::string> args;
        int runs;
    };
    const std::vector<Case> cases = {
        {"--version", {"--version"}, runs},
        {"info", {"info", sealed}, runs},
        {"response 20k bp6", {"response", bp6}, runs},
        {"response 1M sealed", {"response", million}, std::max(5, runs / 4)},
        {"plot png 1920x1080 bp6",
         {"plot", bp6, "-o", dir + "/p.png", "--size", "1920x1080"},
         std::max(5, runs / 2)},
        {"plot svg bp6", {"plot", bp6, "-o", dir + "/p.svg"}, std::max(5, runs / 2)},
        {"plot pdf bp6", {"plot", bp6, "-o", dir + "/p.pdf"}, std::max(5, runs / 2)},
        {"analyze 1M bp6", {"analyze", analysed}, std::max(5, runs / 4)},
    };
    std::vector<Case> all = cases;
    for (const char* graph : {"spl", "maxspl", "excursion", "velocity", "impedance", "delay"})
        all.push_back({graph,
                       {"plot", analysed, "-o", dir + "/p.png", "--graph", graph},
                       std::max(5, runs / 4)});

    std::printf("%-24s %11s %11s %9s", "case", "wall ms", "cpu ms", "peak MiB");
    if (!against.empty())
        std::printf(" | %11s %11s %9s | %s", "old wall", "old cpu", "old MiB", "cpu old/new");
    std::printf("\n");
    for (const Case& c : all) {
        std::vector<Sample> mine, theirs;
        for (int i = 0; i < c.runs; ++i) {
            mine.push_back(RunOnce(cli, c.args));
            if (!against.empty())
                theirs.push_back(RunOnce(against, c.args));
        }
        const Summary m = Summarise(mine);
        std::printf("%-24s %11.2f %11.2f %9.1f", c.name, m.wallMs, m.cpuMs, m.peakMiB);
        if (!against.empty()) {
            const Summary t = Summarise(theirs);
            std::printf(" | %11.2f %11.2f %9.1f | %.2fx", t.wallMs, t.cpuMs, t.peakMiB,
                        t.cpuMs / m.cpuMs);
        }
        std::printf("%s\n", m.ok ? "" : "  (FAILED)");
        std::fflush(stdout);
    }
    // The analysis against its floor, alternately.
    std::vector<Sample> analyze, bare;
    for (int i = 0; i < std::max(5, runs / 4); ++i) {
        analyze.push_back(RunOnce(cli, {"analyze", analysed}));
        bare.push_back(RunOnce(floor, {analysed}));
    }
    const Summary a = Summarise(analyze), b = Summarise(bare);
    std::printf("\n%-24s %11.2f %11.2f %9.1f%s\n", "analyze 1M bp6", a.wallMs, a.cpuMs, a.peakMiB,
                a.ok ? "" : "  (FAILED)");
    std::printf("%-24s %11.2f %11.2f %9.1f%s\n", "floor 1M bp6", b.wallMs, b.cpuMs, b.peakMiB,
                b.ok ? "" : "  (FAILED)");
    std::printf("analyze / floor cpu: %.3fx\n", a.cpuMs / b.cpuMs);
    for (const char* name :
         {"bp6.spk", "sealed.spk", "million.spk", "analysed.spk", "p.png", "p.svg", "p.pdf"})
        std::remove((dir + "/" + name).c_str());
    rmdir(folder);
    return 0;
}
