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

// Moves a library out of the way: PATH becomes PATH.damaged (or
// PATH.damaged-2, -3, ... when taken), with its -wal and -shm files, which
// belong to it. The value is the new name. Nothing is overwritten.
Result<std::string> MoveLibraryAside(const std::string& path);

// Puts an empty library in the place of one that positively cannot be one
// (MayReplaceLibrary: damaged, no database, another program's); the value
// is where the old file went (MoveLibraryAside). A file that opens, or fails
// for any other reason (a newer version, the disk, permissions, a folder),
// is left alone: the failure says why. The new library is made beside the
// old file before that is moved, so a failure at any step leaves the old
// file where it was and no empty one in its place.
Result<std::string> StartNewLibrary(const std::string& path);

// Refuses an output file that is the library itself (SameFile: also through
// links): "The file OUTPUT is the driver library; choose another file."
FileResult RefuseLibraryAsOutput(const std::string& output, const std::string& library);

} // namespace orvane
