// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace orvane {

// Which way the file was going when it failed.
enum class FileDirection { Load, Save };
// Whether the failure came while opening (or creating) the file, or while
// reading, writing, flushing or replacing it.
enum class FilePhase { Open, Transfer };

// The message a failed load or save shows for a system error number, with
// the full path put in for %1. Every errno has a message: the ones the table
// does not name fall to "Failed to open document." / "Invalid filename." when
// opening, "Failed to open document." / "Failed to save document." otherwise.
std::string FileErrorMessage(int error, FileDirection direction, FilePhase phase,
                             const std::string& path);

} // namespace orvane
