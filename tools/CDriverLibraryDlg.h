// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/files/FileResult.h"
#include "core/library/DriverLibrary.h"

#include <QDialog>

#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace orvane {

class DriverLibrary;
class DriverTableModel;
class LibrarySession;

// "Driver Library": the drivers of the library in a table that the search
// box filters as the user types, and the buttons that use, add, edit, delete,
// import and export them. "Use" (or a double-click) ends the dialog with the
// chosen driver in m_chosen; every other change goes to the library at once,
// and the last import can be taken back. A library that can be read but not
// written shows its drivers and says why they cannot be changed. One that
// cannot be read leaves the table empty and says why; only when the file is
// positively no library (MayReplaceLibrary) does it offer to move the file
// aside and start a new one.
class CDriverLibraryDlg : public QDialog {
    Q_OBJECT
public:
    enum class FileChoice { ImportCsv, ImportQspeakers, Export };
    // Returns the path chosen, or an empty string when the user cancelled.
    using FileDialog = std::function<QString(FileChoice choice)>;

    // Shows and picks the entries of one kind: drivers for a design's driver,
    // passive radiators for its radiators.
    explicit CDriverLibraryDlg(LibrarySession& session, QWidget* parent = nullptr,
                               DriverKind pick = DriverKind::Driver);
    ~CDriverLibraryDlg() override;

    // Why the library cannot be used, or empty.
    const QString& LibraryProblem() const { return m_problem; }

    // Tests answer the file dialogs themselves.
    void SetFileDialog(FileDialog dialog) { m_fileDialog = std::move(dialog); }
    // Where the qspeakers database is installed ("" for nowhere); found at
    // construction.
    void SetInstalledQspeakers(QString path) { m_installedQspeakers = std::move(path); }

    QLineEdit* SearchEdit() const { return m_search; }
    QTableView* Table() const { return m_table; }
    DriverTableModel* Model() const { return m_model; }

    // Opens the entry dialog on `entry` ("Add Current Driver…", "Add to
    // Library…") and stores what it gives, asking before it replaces an entry
    // of the same name: the new entry's number, or nothing when the user
    // cancelled or storing failed (after the message).
    static std::optional<std::int64_t> AddEntry(QWidget* parent, DriverLibrary& library,
                                                DriverEntry entry, const QString& title);

    // In: the design's driver and name, for "Add Current Driver…" (its
    // radiator, when picking radiators).
    DriverEntry m_currentDriver;
    std::optional<std::string> m_currentName;
    // Out: the driver "Use" chose.
    std::optional<DriverEntry> m_chosen;

    void OnUse();
    void OnAddCurrent();
    void OnEdit();
    void OnDelete();
    void OnImport();
    void OnExport();
    void OnUndoImport();
    void OnCheck();
    void OnStartNew();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Connect();
    // Shows why the library cannot be used or changed (nothing: all is
    // well), offering a new library when the failure allows it.
    void ShowProblem(const QString& text, int code = 0);
    // Reads every driver again and selects the one with `id` (else keeps the
    // selection, else the first row).
    void Reload(std::int64_t id = 0);
    void SelectId(std::int64_t id);
    // The number of the driver selected, or 0.
    std::int64_t SelectedId() const;
    // The selected driver as the library holds it now; nothing (after a
    // message) when it cannot be read or is gone.
    std::optional<DriverEntry> ReadSelected();
    void FitColumns();
    void UpdateState();
    QString AskFile(FileChoice choice);
    bool Report(const FileResult& result);

    LibrarySession& m_session;
    DriverKind m_pick;
    DriverLibrary* m_library = nullptr;
    QString m_problem;
    StoreChanges m_lastImport; // what Undo Import takes back; empty after any other change
    FileDialog m_fileDialog;
    QString m_installedQspeakers;

    QLineEdit* m_search;
    QLabel* m_count;
    QTableView* m_table;
    DriverTableModel* m_model;
    QPushButton* m_use;
    QPushButton* m_add;
    QPushButton* m_edit;
    QPushButton* m_delete;
    QPushButton* m_import;
    QPushButton* m_undoImport;
    QPushButton* m_export;
    QPushButton* m_check;
    QLabel* m_problemLabel;
    QPushButton* m_startNew;
};

} // namespace orvane
