// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/RecentFileList.h"
#include "core/files/FileResult.h"
#include "core/plot/Graph.h"
#include "core/units/DisplayUnits.h"

#include <QString>

#include <optional>

namespace orvane {

// The program's settings file: the recent-file list (section "Recent File
// List", File1..File4) and the number of pages last shown side by side in
// print preview (section "Settings", key "PreviewPages", 0 when absent), the
// units of Options > Units (key "Units": "imperial" or "metric"; imperial
// when absent or unknown), the graph new design windows show (key
// "Graph": the graph's word, e.g. "excursion"; the response plot when absent
// or unknown), and how often unsaved designs are autosaved (key
// "AutosaveSeconds", only read: 0 turns it off, 30 when absent or not a
// number from 0 to a day).
//
// Read once at start-up, written once at exit. Everything else in the file
// (other sections, other keys, comments) is kept as it is.
class AppSettings {
public:
    static inline const QString kSettingsSection = QStringLiteral("Settings");
    static inline const QString kPreviewPagesKey = QStringLiteral("PreviewPages");
    static inline const QString kGraphKey = QStringLiteral("Graph");
    static inline const QString kUnitsKey = QStringLiteral("Units");
    static inline const QString kAutosaveKey = QStringLiteral("AutosaveSeconds");
    static constexpr int kDefaultAutosaveSeconds = 30;

    // path defaults to SettingsPath().
    explicit AppSettings(QString path = QString());

    // Start-up: fills the recent list and PreviewPages from the file. A
    // missing, unreadable or malformed file gives an empty list and 0.
    void Load();
    // Exit: reads the file again (so edits made meanwhile by someone else are
    // kept), stores the recent list, and PreviewPages only when it is not 0,
    // Units only when metric or already in the file, Graph once chosen or read,
    // then writes the file atomically. A file that exists but could not be
    // read (or is far too large to be a settings file) is left untouched, as
    // is everything when writing fails; the result then says why, in a line
    // for the log.
    FileResult Save() const;

    RecentFileList& RecentFiles() { return m_recent; }
    const RecentFileList& RecentFiles() const { return m_recent; }

    int PreviewPages() const { return m_previewPages; }
    void SetPreviewPages(int pages) { m_previewPages = pages; }

    // The graph of a new design window: the last one chosen in any window.
    Graph NewWindowGraph() const { return m_graph.value_or(Graph::Response); }
    void SetNewWindowGraph(Graph graph) { m_graph = graph; }
    UnitSystem Units() const { return m_units; }
    void SetUnits(UnitSystem units) { m_units = units; }

    int AutosaveSeconds() const { return m_autosaveSeconds; }

    const QString& Path() const { return m_path; }

private:
    QString m_path;
    RecentFileList m_recent;
    int m_previewPages = 0;
    // Written only once chosen or read, so a file without it stays without.
    std::optional<Graph> m_graph;
    UnitSystem m_units = UnitSystem::Imperial;
    int m_autosaveSeconds = kDefaultAutosaveSeconds;
};

} // namespace orvane
