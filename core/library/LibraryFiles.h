// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/files/FileResult.h"

#include <string>

namespace orvane {

// Where the driver library lives: $ORVANE_LIBRARY when set (tests, a library
// shared on a network drive), else $XDG_DATA_HOME/orvane/drivers.sqlite.
std::string DefaultLibraryPath();

// The qspeakers program's driver database where its package installed it
// (qspeakers/qspeakers_db.xml in one of the data folders), or "" when none.
std::string InstalledQspeakersDatabase();

// Moves a library that cannot be read out of the way, so that a new one can
// start at its place: PATH becomes PATH.damaged (or PATH.damaged-2, -3, ...
// when taken), with its -wal and -shm files, which belong to it. `movedTo`
// gets the new name. Nothing is overwritten.
FileResult MoveLibraryAside(const std::string& path, std::string& movedTo);

} // namespace orvane
