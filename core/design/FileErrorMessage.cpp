// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/design/FileErrorMessage.h"

#include <cerrno>

namespace orvane {

namespace {

enum class Cause { NotFound, AccessDenied, DiskFull, InputOutput, Other };

Cause Classify(int error) {
    switch (error) {
    // Nothing at that path, or the path itself cannot be walked.
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return Cause::NotFound;
    // Permissions, read-only media, and files held by someone else.
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
    case EBUSY:
        return Cause::AccessDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return Cause::DiskFull;
    // General, hardware, descriptor and seek errors, too many open files,
    // a full directory, and a folder where a file was expected.
    case EIO:
    case EMFILE:
    case ENFILE:
    case EBADF:
    case ESPIPE:
    case EISDIR:
    case EMLINK:
    case ENXIO:
    case ENODEV:
    case EOVERFLOW:
    case ESTALE:
        return Cause::InputOutput;
    default:
        return Cause::Other;
    }
}

std::string WithPath(std::string text, const std::string& path) {
    const auto at = text.find("%1");
    if (at != std::string::npos)
        text.replace(at, 2, path);
    return text;
}

} // namespace

std::string FileErrorMessage(int error, FileDirection direction, FilePhase phase,
                             const std::string& path) {
    const bool load = direction == FileDirection::Load;
    switch (Classify(error)) {
    case Cause::NotFound:
        return WithPath(
            "%1\nCannot find this file.\nPlease verify that the correct path and file name are "
            "given.",
            path);
    case Cause::AccessDenied:
        return WithPath(load ? "Unable to read from %1, it is opened by someone else."
                             : "Unable to write to %1, it is read-only or opened by someone else.",
                        path);
    case Cause::DiskFull:
        return "Destination disk drive is full.";
    case Cause::InputOutput:
        return WithPath(load ? "An unexpected error occurred while reading %1."
                             : "An unexpected error occurred while writing %1.",
                        path);
    case Cause::Other:
        break;
    }
    if (load)
        return "Failed to open document.";
    return phase == FilePhase::Open ? "Invalid filename." : "Failed to save document.";
}

} // namespace orvane
