// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/CliCommand.h"
#include "core/library/DriverLibrary.h"

#include <memory>
#include <string>

namespace orvane {

// The library the command line names: --library PATH, else $ORVANE_LIBRARY,
// else the user's own.
std::string CliLibraryPath(const CliArgs& args);

// Opens the library, creating it when missing; on failure prints the
// library's message on stderr and returns nothing.
std::unique_ptr<DriverLibrary> OpenLibraryOrReport(const std::string& path);

// For commands that only read: a library file that does not exist is an
// empty library and is not created. `library` stays empty then; false (after
// the message) when an existing file cannot be read.
bool OpenExistingLibraryOrReport(const std::string& path, std::unique_ptr<DriverLibrary>& library);

// For commands that write a file: true (after the message) when `output` is
// the library the command line names, which must not be overwritten.
bool RefuseLibraryOutput(const CliArgs& args, const std::string& output);

} // namespace orvane
