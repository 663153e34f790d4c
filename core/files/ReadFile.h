// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>

namespace orvane {

// Reads a whole regular file of at most `maxBytes` into `out`. Returns 0, or
// the error number: EFBIG for a file that is larger, EINVAL for a folder, a
// pipe or a device (which might never end), else what the system said.
// Reading goes through FileSystem, so tests can make it fail.
int ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string& out);

} // namespace orvane
