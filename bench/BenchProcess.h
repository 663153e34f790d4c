// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Whole runs of a program, as a script meets them: fork, exec with the output
// thrown away (or kept in a file), wait. The wall time, the CPU time of the
// child (user + system) and its peak memory are taken from the kernel.

#include <algorithm>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace orvane::bench {

struct Sample {
    double wallMs = 0;
    double cpuMs = 0;
    long peakKiB = 0;
    int status = -1;
};

inline double WallNowMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Runs `tool` once; its standard output goes to `out` ("" for /dev/null).
inline Sample RunOnce(const std::string& tool, const std::vector<std::string>& args,
                      const std::string& out = {}) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(tool.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    Sample s;
    const double start = WallNowMs();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        const int sink = out.empty() ? null : open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(sink, 1);
        dup2(null, 2);
        execv(tool.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    s.wallMs = WallNowMs() - start;
    s.cpuMs = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
              static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    s.peakKiB = usage.ru_maxrss;
    s.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return s;
}

struct Summary {
    double wallMs, cpuMs, peakMiB;
    bool ok;
};

inline Summary Summarise(const std::vector<Sample>& samples) {
    std::vector<double> wall, cpu;
    long peak = 0;
    bool ok = true;
    for (const Sample& s : samples) {
        wall.push_back(s.wallMs);
        cpu.push_back(s.cpuMs);
        peak = std::max(peak, s.peakKiB);
        ok = ok && s.status == 0;
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall[wall.size() / 2], cpu[cpu.size() / 2], static_cast<double>(peak) / 1024, ok};
}

} // namespace orvane::bench
