// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Timing for the benchmarks on a shared, noisy machine: every run is timed
// on its own, by the wall clock (what a user waits) and by the process's CPU
// time (what the code costs, all its threads, whoever else runs), and the
// medians are reported. Where the two part, something outside the process's
// own work took the time: a preempted thread, or a stall the kernel does not
// book to the process. Work that must precede a run (painting, say) runs
// untimed before it.

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace orvane::bench {

inline double NowMs(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

struct Timing {
    double cpuMs = 0;  // median thread CPU time of one run
    double wallMs = 0; // median wall time of one run
    int runs = 0;
};

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

template <typename Before, typename Run> Timing Measure(int runs, Before before, Run run) {
    std::vector<double> cpu, wall;
    for (int i = 0; i < runs; ++i) {
        before();
        const double c0 = NowMs(CLOCK_PROCESS_CPUTIME_ID), w0 = NowMs(CLOCK_MONOTONIC);
        run();
        wall.push_back(NowMs(CLOCK_MONOTONIC) - w0);
        cpu.push_back(NowMs(CLOCK_PROCESS_CPUTIME_ID) - c0);
    }
    return {Median(cpu), Median(wall), runs};
}

template <typename Run> Timing Measure(int runs, Run run) {
    return Measure(
        runs, [] {}, run);
}

// One result line: "name  row  cpu ms  wall ms".
inline void Report(const char* name, const char* row, const Timing& t) {
    std::printf("RESULT %-26s %-24s cpu %9.3f ms  wall %9.3f ms  (median of %d)\n", name, row,
                t.cpuMs, t.wallMs, t.runs);
    std::fflush(stdout);
}

} // namespace orvane::bench
