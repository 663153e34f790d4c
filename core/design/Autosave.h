// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/design/SpeakerDesign.h"
#include "core/files/FileResult.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// Copies of unsaved designs, kept so that a crash or a power loss loses
// little. One folder, private to the user; each copy is an entry of two files
// named after the running program that wrote it (its owner) and a number:
//
//   OWNER.N.spk   the design, as a design file
//   OWNER.N.info  its description (below)
//   OWNER.lock    held by the owner while it runs
//
// The description is text: the line "Orvane autosave 1", then "path=",
// "title=" and "saved=" lines. Path and title are the file system's bytes
// with every byte outside printable ASCII, and '%', written as %XX; saved is
// the time in seconds since 1970.
namespace Autosave {

struct Description {
    std::string path;  // the design's own file; empty: never saved
    std::string title; // the window's title ("spkr1", "box.spk")
    std::int64_t savedAt = 0;
};

// One entry found in the folder. It can be recovered when both its files
// read; otherwise `problem` says why not.
struct Entry {
    std::string name;  // "OWNER.N"
    std::string owner; // "OWNER"
    std::optional<Description> description;
    std::optional<SpeakerDesign> design;
    std::string problem;

    bool Damaged() const { return !problem.empty(); }
};

// $XDG_STATE_HOME/orvane/autosave.
std::string DefaultFolder();

// Makes the folder (and its parents) if needed, for the user alone (0700).
// A folder that is a symbolic link, not a folder, or someone else's is
// refused; one that others may enter is closed to them.
FileResult MakePrivateFolder(const std::string& folder);

// A valid owner name: letters, digits and '-'.
bool IsOwnerName(std::string_view owner);

std::string DescriptionText(const Description& description);
std::optional<Description> ParseDescription(std::string_view text);

// Writes the design, then its description, each all or nothing (0600).
FileResult Write(const std::string& folder, const std::string& name,
                 std::span<const std::uint8_t> design, const std::string& description);
// Removes both files of an entry; files already gone are no failure.
void Remove(const std::string& folder, const std::string& name);

// Every entry in the folder, in name order; nothing when there is no folder
// or a symbolic link stands in its place.
std::vector<Entry> List(const std::string& folder);
// The owners of the lock files in the folder.
std::vector<std::string> LockOwners(const std::string& folder);

} // namespace Autosave

} // namespace orvane
