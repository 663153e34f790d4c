// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/library/DriverLibrary.h"

#include <memory>
#include <string>

namespace orvane {

// The program's hold on its driver library. The library is opened when first
// asked for, and asked again after a failure (the user may have fixed the
// file); a library that cannot be read leaves the program without one, never
// with an overwritten file.
class LibrarySession {
public:
    explicit LibrarySession(std::string path) : m_path(std::move(path)) {}

    const std::string& Path() const { return m_path; }

    // The open library, or null with `error` set to the message to show.
    DriverLibrary* Library(FileResult& error);

    // Moves the unreadable file aside (see MoveLibraryAside) and opens a new,
    // empty library in its place; `movedTo` names where the old file went.
    FileResult StartNew(std::string& movedTo);

private:
    std::string m_path;
    std::unique_ptr<DriverLibrary> m_library;
};

} // namespace orvane
