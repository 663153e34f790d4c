// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QMdiSubWindow;

namespace orvane {

class CMainFrame;
class COrvaneDoc;
class COrvaneView;

// The one document type: creates, opens, saves and closes designs, each with
// one or more design windows in the main window's area.
class DocManager : public QObject {
    Q_OBJECT
public:
    enum class FileDialogKind { Open, SaveAs, ExportGraph };
    // Returns the path chosen, or an empty string when the user cancelled.
    // `proposed` is where the dialog starts: for Open a folder, for Save As a
    // file name; either is empty when there is nothing to propose.
    using FileDialog = std::function<QString(FileDialogKind kind, const QString& proposed)>;
    using ViewSetup = std::function<void(COrvaneView&)>;

    explicit DocManager(CMainFrame& frame, QObject* parent = nullptr);
    ~DocManager() override;

    // Tests answer the file dialogs themselves; empty restores the real one.
    void SetFileDialog(FileDialog dialog) { m_fileDialog = std::move(dialog); }

    // File New: a fresh design titled "spkr" and the count of News so far.
    COrvaneView* OnFileNew();
    // File Open: the file dialog, then OpenDocumentFile.
    COrvaneView* OnFileOpen();
    // Activates the window of a file already open; otherwise loads it into a
    // new design window. A failed load shows its message and leaves no window.
    // The path is the file system's bytes (QFile::encodeName of a QString).
    COrvaneView* OpenDocumentFile(const QByteArray& path);
    // Save of a never-saved design asks for a name, as Save As does.
    bool OnFileSave(COrvaneDoc& doc);
    bool OnFileSaveAs(COrvaneDoc& doc);
    // File ▸ Export Graph…: the view's graph into a file whose name ends in
    // .png, .svg, .pdf or .csv (a name without an ending gets .png), written
    // in one atomic step; a failure says why and leaves the file as it was.
    void OnExportGraph(COrvaneView& view);
    // Closes every window of the design, after the save prompt.
    bool OnFileClose(COrvaneDoc& doc);
    // Another window on the same design.
    COrvaneView* OnWindowNew(COrvaneDoc& doc);
    // A design made elsewhere (a recovered one) in a new design window.
    COrvaneView* AddDocument(std::unique_ptr<COrvaneDoc> doc);

    // The save prompt for a modified design: false when the close must stop
    // (Cancel, or a save that failed or was cancelled).
    bool SaveModified(COrvaneDoc& doc);
    // The prompt for every modified design, in turn.
    bool SaveAllModified();
    // Closes every design window without asking.
    void CloseAllDocuments();

    COrvaneView* ActiveView() const;
    std::vector<COrvaneDoc*> Documents() const;
    std::vector<COrvaneView*> Views(const COrvaneDoc& doc) const;
    int NewCount() const { return m_newCount; }
    // The folder of the file last opened or saved in this session, where the
    // file dialogs start; empty before the first.
    const QString& LastFolder() const { return m_lastFolder; }

    static QStringList NameFilters();

    // The titles of the design's windows: its title, the window number when
    // there are several, "*" while it is modified, and the driver's name when
    // it has one.
    void UpdateTitles(const COrvaneDoc& doc);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // Every new view, before it is first shown. Connect directly.
    void viewCreated(COrvaneView& view);
    // Every file opened or saved (the recent-file list).
    void fileUsed(const QString& path);
    // A step done, undone or redone in one of the design's windows.
    void documentChanged(COrvaneDoc& doc);
    // The design was saved to its file.
    void documentSaved(COrvaneDoc& doc);
    // The design's last window has gone; the design goes next.
    void documentClosed(COrvaneDoc& doc);

private:
    struct Entry;

    COrvaneView* CreateWindow(Entry& entry);
    Entry* EntryOf(const COrvaneDoc& doc) const;
    Entry* EntryOf(const QMdiSubWindow* window) const;
    void Detach(QMdiSubWindow* window);
    void UpdateTitles(Entry& entry);
    bool DoSave(COrvaneDoc& doc, const std::string& path); // the file system's bytes
    QString AskFileName(FileDialogKind kind, const QString& proposed);
    void CloseWindows(Entry& entry);
    // A file was opened or saved: the recent-file list and the dialogs' folder.
    void FileUsed(const QString& path);

    CMainFrame& m_frame;
    std::vector<std::unique_ptr<Entry>> m_entries;
    FileDialog m_fileDialog;
    int m_newCount = 0;
    QString m_lastFolder;
    bool m_closingWithoutPrompt = false;
};

} // namespace orvane
