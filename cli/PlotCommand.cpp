// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-cli plot FILE -o OUT [--size WxH] [--db-per-div 1|2|5|10]: the plot
// of a design as a PNG or SVG image or a one-page A4 PDF. Drawing needs Qt;
// so that no other command pays for loading it, the drawing lives in a
// program of its own, the plot part (cli/plot), which this command runs in
// its place once the command line is known to be right.
#include "cli/CliCommand.h"
#include "cli/PlotOptions.h"
#include "cli/PlotPart.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace orvane {

namespace {

// Where the plot part lies, from the folder of this program: the same path
// in the build tree and in an installation (CMake places it so).
std::string PlotPartPath() {
    char self[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return ORVANE_PLOT_PART;
    const std::string exe(self, static_cast<size_t>(length));
    return exe.substr(0, exe.rfind('/') + 1) + ORVANE_PLOT_PART;
}

int RunPlot(const CliArgs& args) {
    PlotRequest request;
    std::string error;
    if (!ReadPlotRequest(args, request, error))
        return CliUsageError(error);
    return RunPlotPart(args.words);
}

const CliRegistration registration({"plot", kPlotUsage, RunPlot});

} // namespace

int RunPlotPart(const std::vector<std::string>& words) {
    const std::string part = PlotPartPath();
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(part.c_str()));
    for (const std::string& word : words)
        argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    std::fflush(nullptr);
    ::execv(part.c_str(), argv.data());
    std::fprintf(stderr, "orvane-cli: cannot start %s: %s\n", part.c_str(), std::strerror(errno));
    return 1;
}

} // namespace orvane
