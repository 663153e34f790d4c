// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace orvane {

// Whether two paths name the same file: the same file on disk (symbolic and
// hard links, "..") while both exist, otherwise the same absolute path once "."
// and ".." are taken out. Relative paths are taken from the current folder.
// Paths are the file system's bytes.
bool SameFile(const std::string& a, const std::string& b);

} // namespace orvane
