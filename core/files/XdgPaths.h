// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace orvane {

// The freedesktop base folders. A relative value in the environment is
// ignored, as the base directory rules ask.

// $XDG_CONFIG_HOME, or ~/.config.
std::string ConfigHome();
// $XDG_DATA_HOME, or ~/.local/share.
std::string DataHome();
// $XDG_STATE_HOME, or ~/.local/state.
std::string StateHome();
// $XDG_DATA_DIRS (absolute entries only), or /usr/local/share and /usr/share.
std::vector<std::string> DataDirs();

} // namespace orvane
