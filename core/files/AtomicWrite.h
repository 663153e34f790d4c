// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace orvane {

// Where a failed write stopped: before the new contents existed (the target
// or its folder could not be used) or while writing, flushing or replacing.
enum class WriteStage { Open, Transfer };

struct [[nodiscard]] AtomicWriteResult {
    int error = 0; // errno; 0 on success
    WriteStage stage = WriteStage::Open;
    explicit operator bool() const { return error == 0; }
};

// Replaces the file at `path` with `bytes`, all or nothing: a temporary file
// in the same folder is written, flushed to the disk and renamed over the
// target, and the folder is flushed so that the rename lasts. On any failure
// (a short write, a failed flush, a failed rename) the temporary file is
// removed and whatever was at `path` before is untouched.
//
// A symbolic link stays a link and its target gets the new contents; a link
// that points nowhere is refused (ENOENT), never replaced by a file. An
// existing file keeps its permissions (and owner, where allowed); a new one
// gets `newFileMode` less the umask. Folders, devices and pipes are refused,
// and so is a file the caller could not write in place.
//
// The temporary file is named ".orvane-save-" and six letters or digits.
// Such files of ours that a killed save left in the folder are removed when
// they are more than a day old.
AtomicWriteResult WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                                      unsigned newFileMode = 0666);

// The same for bytes held as characters.
inline AtomicWriteResult WriteFileAtomically(const std::string& path, std::string_view bytes,
                                             unsigned newFileMode = 0666) {
    return WriteFileAtomically(
        path, std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()),
        newFileMode);
}

} // namespace orvane
