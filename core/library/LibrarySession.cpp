// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/library/LibrarySession.h"

#include "core/library/LibraryFiles.h"

namespace orvane {

DriverLibrary* LibrarySession::Library(FileResult& error) {
    error = FileResult::Success();
    if (!m_library)
        m_library = DriverLibrary::Open(m_path, error);
    return m_library.get();
}

FileResult LibrarySession::StartNew(std::string& movedTo) {
    m_library.reset();
    if (FileResult moved = MoveLibraryAside(m_path, movedTo); !moved)
        return moved;
    FileResult error = FileResult::Success();
    m_library = DriverLibrary::Open(m_path, error);
    return error;
}

} // namespace orvane
