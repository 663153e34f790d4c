// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/library/DriverLibrary.h"

#include <memory>
#include <string>

namespace orvane {

// The program's hold on its driver library. The library is opened when first
// asked for, and asked again after a failure (the user may have fixed the
// file), and so is a library open only for reading (the disk may have room
// again); a library that cannot be read leaves the program without one,
// never with an overwritten file.
class LibrarySession {
public:
    explicit LibrarySession(std::string path) : m_path(std::move(path)) {}

    const std::string& Path() const { return m_path; }

    // The open library, or the failure to show. A pointer from an earlier
    // call is no longer valid after this one.
    Result<DriverLibrary*> Library();

    // StartNewLibrary, then opens the new library; the value names where the
    // old file went.
    Result<std::string> StartNew();

private:
    std::string m_path;
    std::unique_ptr<DriverLibrary> m_library;
};

} // namespace orvane
