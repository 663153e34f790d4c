// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/design/SpeakerDesign.h"

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

    // Loads a design file into a fresh record. On failure returns the exact
    // message to show (the path already put in) and leaves this document's
    // record as it was before the call.
    std::optional<std::string> Load(const std::string& path);

    // Stores the record atomically (temporary file in the same folder, flush,
    // rename). On failure returns the message and leaves any earlier file
    // byte-for-byte intact. On success remembers the path, the title becomes
    // the file name, and the modified mark is cleared.
    std::optional<std::string> Save(const std::string& path);

    SpeakerDesign& Design() { return m_design; }
    const SpeakerDesign& Design() const { return m_design; }

    const std::string& Path() const { return m_path; } // empty when never saved
    const std::string& Title() const { return m_title; }
    void SetTitle(std::string title) { m_title = std::move(title); }

    bool IsModified() const { return m_modified; }
    void SetModified(bool modified) { m_modified = modified; }

    // The steps of a save, for tests that make one of them fail: the error
    // number given is what the step reports (0 turns the failure off). A
    // failing write has written part of the bytes first.
    enum class SaveStep { CreateTemp, Write, Flush, Rename };
    void InjectSaveFailure(SaveStep step, int error) {
        m_failStep = step;
        m_failError = error;
    }

private:
    bool Fails(SaveStep step, int& error) const;

    SpeakerDesign m_design;
    std::string m_path;
    std::string m_title;
    bool m_modified = false;
    SaveStep m_failStep = SaveStep::CreateTemp;
    int m_failError = 0;
};

} // namespace orvane
