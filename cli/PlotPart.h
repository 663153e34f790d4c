// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace orvane {

// Runs the plot part (cli/plot), the program that draws with Qt, in this
// one's place with `words`; returns only when it cannot be started (1).
int RunPlotPart(const std::vector<std::string>& words);

} // namespace orvane
