// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/library/LibrarySession.h"

#include "core/library/LibraryFiles.h"

namespace orvane {

Result<DriverLibrary*> LibrarySession::Library() {
    if (m_library && m_library->ReadOnlyReason().empty())
        return m_library.get();
    m_library.reset();
    Result<std::unique_ptr<DriverLibrary>> opened = DriverLibrary::Open(m_path);
    if (!opened)
        return opened.Error();
    m_library = std::move(*opened);
    return m_library.get();
}

Result<std::string> LibrarySession::StartNew() {
    m_library.reset();
    Result<std::string> moved = StartNewLibrary(m_path);
    if (!moved)
        return moved;
    if (Result<DriverLibrary*> library = Library(); !library)
        return library.Error();
    return moved;
}

} // namespace orvane
