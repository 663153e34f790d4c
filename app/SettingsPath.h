// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace orvane {

// Where the settings file lives: $XDG_CONFIG_HOME (or ~/.config when it is
// unset, empty or not an absolute path), then the executable's file name and
// ".ini": /home/ann/.config/orvane.ini for the program "orvane".
QString SettingsPath();

// The same for a given executable name; an empty name falls back to "orvane".
QString SettingsPath(const QString& executableName);

} // namespace orvane
