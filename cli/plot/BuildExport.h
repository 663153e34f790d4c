// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/CliCommand.h"

namespace orvane {

// `orvane-cli build ... --svg OUT --pdf OUT`, run by orvane-cli after it has
// written the numbers: draws the build drawing into the files asked for,
// each in one atomic step. Returns the exit code. Needs a QGuiApplication.
int ExportBuild(const CliArgs& args);

} // namespace orvane
