// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/design/SpeakerDesign.h"
#include "core/files/FileResult.h"

#include <optional>
#include <string>

namespace orvane {

// One open design: the record, the file it belongs to and its title.
// Plain C++: loading, storing and the failure messages live here so that the
// command-line tool and the tests use exactly what the program uses.
class COrvaneDoc {
public:
    // The new-design step: record back to the defaults, no path.
    bool OnNewDocument();

    // Loads a design file into a fresh record. On failure the result holds
    // the exact message to show (the path already put in) and this
    // document's record stays as it was before the call. A file that is not
    // a design, including one whose loading runs out of memory, gives
    // "Unexpected file format.".
    FileResult Load(const std::string& path);

    // Stores the record atomically (temporary file in the same folder, flush,
    // rename). On failure leaves any earlier file byte-for-byte intact. On
    // success remembers the path, the title becomes the file name, and the
    // values saved are the ones the modified mark compares with.
    FileResult Save(const std::string& path);

    // A design recovered after a crash: its values, the file it belongs to
    // (empty: never saved) and its title. Modified until it is saved.
    void TakeRecovered(SpeakerDesign design, std::string path, std::string title);

    SpeakerDesign& Design() { return m_design; }
    const SpeakerDesign& Design() const { return m_design; }

    const std::string& Path() const { return m_path; } // empty when never saved
    const std::string& Title() const { return m_title; }
    void SetTitle(std::string title) { m_title = std::move(title); }

    // Modified exactly when the values differ (SameBits) from the ones last
    // saved, opened or made new, so that undoing back to them clears the mark.
    bool IsModified() const { return !m_saved || !m_saved->SameBits(m_design); }
    // false: the current values count as the saved ones; true: modified
    // whatever the values, until the next save.
    void SetModified(bool modified);

private:
    FileResult LoadFile(const std::string& path);

    SpeakerDesign m_design;
    std::string m_path;
    std::string m_title;
    // The values the modified mark compares with; none: modified until saved.
    std::optional<SpeakerDesign> m_saved = SpeakerDesign{};
};

} // namespace orvane
