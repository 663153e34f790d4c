// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DocManager.h"

#include "app/CMainFrame.h"
#include "core/design/COrvaneDoc.h"
#include "core/design/FileErrorMessage.h"
#include "core/files/AtomicWrite.h"
#include "core/files/SameFile.h"
#include "core/plot/Graph.h"
#include "platform/Message.h"
#include "view/COrvaneView.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QIcon>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QUndoStack>

#include <algorithm>

namespace orvane {

struct DocManager::Entry {
    std::unique_ptr<COrvaneDoc> doc;
    std::vector<QMdiSubWindow*> windows; // in the order they were opened
};

namespace {

std::string Encode(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString Decode(const std::string& text) {
    return QFile::decodeName(QByteArray::fromStdString(text));
}

} // namespace

DocManager::DocManager(CMainFrame& frame, QObject* parent) : QObject(parent), m_frame(frame) {}

DocManager::~DocManager() {
    // Views hold references to their designs: they go first, without calling back.
    for (auto& entry : m_entries) {
        for (QMdiSubWindow* window : entry->windows) {
            disconnect(window->widget(), nullptr, this, nullptr);
            window->removeEventFilter(this);
            delete window;
        }
    }
}

QStringList DocManager::NameFilters() {
    return {QStringLiteral("spkr Files (*.spk)"), QStringLiteral("All Files (*)")};
}

QString DocManager::AskFileName(FileDialogKind kind, const QString& proposed) {
    if (m_fileDialog)
        return m_fileDialog(kind, proposed);
    QFileDialog dialog(&m_frame);
    // Qt's own dialog, so that the filter matches .spk in any letter case.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    dialog.setNameFilters(NameFilters());
    if (kind == FileDialogKind::Open) {
        dialog.setWindowTitle(QStringLiteral("Open"));
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        if (!proposed.isEmpty())
            dialog.setDirectory(proposed);
    } else if (kind == FileDialogKind::ExportGraph) {
        dialog.setWindowTitle(QStringLiteral("Export Graph"));
        dialog.setNameFilters(
            {QStringLiteral("PNG Pictures (*.png)"), QStringLiteral("SVG Drawings (*.svg)"),
             QStringLiteral("PDF Pages (*.pdf)"), QStringLiteral("CSV Tables (*.csv)")});
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        // The ending follows the type chosen, as the user expects.
        connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
            dialog.setDefaultSuffix(filter.section(QLatin1String("*."), 1).chopped(1));
        });
        dialog.setDefaultSuffix(QStringLiteral("png"));
        if (!proposed.isEmpty())
            dialog.selectFile(proposed);
    } else {
        dialog.setWindowTitle(QStringLiteral("Save As"));
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("spk"));
        if (!proposed.isEmpty())
            dialog.selectFile(proposed);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

COrvaneView* DocManager::OnFileNew() {
    auto entry = std::make_unique<Entry>();
    entry->doc = std::make_unique<COrvaneDoc>();
    entry->doc->OnNewDocument();
    ++m_newCount;
    entry->doc->SetTitle("spkr" + std::to_string(m_newCount));
    m_entries.push_back(std::move(entry));
    return CreateWindow(*m_entries.back());
}

COrvaneView* DocManager::OnFileOpen() {
    const QString path = AskFileName(FileDialogKind::Open, m_lastFolder);
    if (path.isEmpty())
        return nullptr;
    return OpenDocumentFile(QFile::encodeName(path));
}

COrvaneView* DocManager::OpenDocumentFile(const QByteArray& path) {
    const std::string native = path.toStdString();
    for (auto& entry : m_entries) {
        const std::string& open = entry->doc->Path();
        if (open.empty() || entry->windows.empty() || !SameFile(open, native))
            continue;
        QMdiSubWindow* window = entry->windows.front();
        if (window->isMinimized())
            window->showNormal();
        m_frame.MdiArea()->setActiveSubWindow(window);
        return qobject_cast<COrvaneView*>(window->widget());
    }

    auto doc = std::make_unique<COrvaneDoc>();
    if (const FileResult loaded = doc->Load(native); !loaded) {
        ShowMessage(&m_frame, Decode(loaded.Message()));
        return nullptr;
    }
    doc->SetModified(false);
    auto entry = std::make_unique<Entry>();
    entry->doc = std::move(doc);
    m_entries.push_back(std::move(entry));
    COrvaneView* view = CreateWindow(*m_entries.back());
    FileUsed(Decode(m_entries.back()->doc->Path()));
    return view;
}

COrvaneView* DocManager::CreateWindow(Entry& entry) {
    auto* view = new COrvaneView(*entry.doc, m_frame.Marks());
    QMdiSubWindow* window = m_frame.MdiArea()->addSubWindow(view);
    window->setAttribute(Qt::WA_DeleteOnClose);
    m_frame.PrepareDesignWindow(window);
    window->setWindowIcon(QIcon(QStringLiteral(":/icons/design.svg")));
    window->installEventFilter(this);
    entry.windows.push_back(window);
    // The design must outlive its views: it goes when the last view is gone.
    connect(view, &QObject::destroyed, this, [this, window] { Detach(window); });
    // Each step, undo and redo may change the modified mark and the driver's name.
    COrvaneDoc* doc = entry.doc.get();
    connect(view->UndoStack(), &QUndoStack::indexChanged, this, [this, doc] {
        UpdateTitles(*doc);
        emit documentChanged(*doc);
    });
    UpdateTitles(entry);
    emit viewCreated(*view);
    window->showMaximized();
    m_frame.MdiArea()->setActiveSubWindow(window);
    m_frame.UpdateForActiveWindow();
    return view;
}

DocManager::Entry* DocManager::EntryOf(const COrvaneDoc& doc) const {
    for (auto& entry : m_entries) {
        if (entry->doc.get() == &doc)
            return entry.get();
    }
    return nullptr;
}

DocManager::Entry* DocManager::EntryOf(const QMdiSubWindow* window) const {
    for (auto& entry : m_entries) {
        if (std::find(entry->windows.begin(), entry->windows.end(), window) != entry->windows.end())
            return entry.get();
    }
    return nullptr;
}

void DocManager::Detach(QMdiSubWindow* window) {
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        Entry& entry = **it;
        auto found = std::find(entry.windows.begin(), entry.windows.end(), window);
        if (found == entry.windows.end())
            continue;
        entry.windows.erase(found);
        if (entry.windows.empty()) {
            emit documentClosed(*entry.doc);
            m_entries.erase(it);
        } else
            UpdateTitles(entry);
        break;
    }
    m_frame.UpdateForActiveWindow();
}

void DocManager::UpdateTitles(const COrvaneDoc& doc) {
    if (Entry* entry = EntryOf(doc))
        UpdateTitles(*entry);
}

void DocManager::UpdateTitles(Entry& entry) {
    const QString title = Decode(entry.doc->Title());
    // The driver's name, when the design has one, follows the title; the plot
    // stays as it is.
    const std::optional<std::string>& name = entry.doc->Design().m_extras.name;
    const QString driver = name && !name->empty()
                               ? QStringLiteral(" (%1)").arg(QString::fromStdString(*name))
                               : QString();
    const QString modified = entry.doc->IsModified() ? QStringLiteral("*") : QString();
    const size_t count = entry.windows.size();
    for (size_t i = 0; i < count; ++i) {
        entry.windows[i]->setWindowTitle(
            (count == 1 ? title : title + QLatin1Char(':') + QString::number(i + 1)) + modified +
            driver);
    }
    m_frame.UpdateCaption();
}

bool DocManager::OnFileSave(COrvaneDoc& doc) {
    if (doc.Path().empty())
        return OnFileSaveAs(doc);
    // The design's own path, bytes as they are: a name that is no UTF-8
    // would not survive a trip through QString.
    return DoSave(doc, doc.Path());
}

bool DocManager::OnFileSaveAs(COrvaneDoc& doc) {
    QString proposed = Decode(doc.Path());
    if (proposed.isEmpty()) {
        proposed = Decode(doc.Title()) + QStringLiteral(".spk");
        if (!m_lastFolder.isEmpty())
            proposed = QDir(m_lastFolder).filePath(proposed);
    }
    QString path = AskFileName(FileDialogKind::SaveAs, proposed);
    if (path.isEmpty())
        return false;
    // A name typed without an extension gets the design file's.
    if (!QFileInfo(path).fileName().contains(QLatin1Char('.')))
        path += QStringLiteral(".spk");
    return DoSave(doc, Encode(path));
}

void DocManager::OnExportGraph(COrvaneView& view) {
    const COrvaneDoc& doc = view.GetDocument();
    // "woofer.spk" proposes "woofer-excursion.png".
    QString proposed = QFileInfo(Decode(doc.Title())).completeBaseName() + QLatin1Char('-') +
                       QString::fromLatin1(GraphName(view.CurrentGraph()).data()) +
                       QStringLiteral(".png");
    if (!m_lastFolder.isEmpty())
        proposed = QDir(m_lastFolder).filePath(proposed);
    QString path = AskFileName(FileDialogKind::ExportGraph, proposed);
    if (path.isEmpty())
        return;
    const QString name = QFileInfo(path).fileName();
    if (!name.contains(QLatin1Char('.')))
        path += QStringLiteral(".png");
    static const std::pair<const char*, COrvaneView::FileFormat> kEndings[] = {
        {"png", COrvaneView::FileFormat::Png},
        {"svg", COrvaneView::FileFormat::Svg},
        {"pdf", COrvaneView::FileFormat::Pdf},
        {"csv", COrvaneView::FileFormat::Csv}};
    const QString ending = QFileInfo(path).suffix().toLower();
    const auto known = std::find_if(std::begin(kEndings), std::end(kEndings), [&](const auto& e) {
        return ending == QLatin1String(e.first);
    });
    if (known == std::end(kEndings)) {
        ShowMessage(&m_frame, QStringLiteral("Export Graph writes PNG, SVG, PDF and CSV files: "
                                             "end the name in .png, .svg, .pdf or .csv."));
        return;
    }
    const std::optional<QByteArray> bytes = view.GraphFile(known->second);
    if (!bytes) {
        ShowMessage(&m_frame, QStringLiteral("The graph could not be drawn into %1.").arg(path));
        return;
    }
    const std::string full = Encode(QFileInfo(path).absoluteFilePath());
    if (const AtomicWriteResult written = WriteFileAtomically(
            full, std::string_view(bytes->constData(), static_cast<std::size_t>(bytes->size())));
        !written) {
        const FilePhase phase =
            written.stage == WriteStage::Open ? FilePhase::Open : FilePhase::Transfer;
        ShowMessage(&m_frame,
                    Decode(FileErrorMessage(written.error, FileDirection::Save, phase, full)));
        return;
    }
    m_lastFolder = QFileInfo(path).absolutePath();
}

bool DocManager::DoSave(COrvaneDoc& doc, const std::string& path) {
    if (const FileResult saved = doc.Save(path); !saved) {
        ShowMessage(&m_frame, Decode(saved.Message()));
        return false;
    }
    if (Entry* entry = EntryOf(doc))
        UpdateTitles(*entry);
    emit documentSaved(doc);
    FileUsed(Decode(doc.Path()));
    return true;
}

void DocManager::FileUsed(const QString& path) {
    m_lastFolder = QFileInfo(path).absolutePath();
    emit fileUsed(path);
}

bool DocManager::SaveModified(COrvaneDoc& doc) {
    if (!doc.IsModified())
        return true;
    const QString prompt = QStringLiteral("Save changes to %1?").arg(Decode(doc.Title()));
    const QMessageBox::StandardButton answer =
        ShowMessage(&m_frame, prompt, MessageKind::Question, QString(),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::No)
        return true;
    if (answer == QMessageBox::Yes)
        return OnFileSave(doc);
    return false; // Cancel, or the box closed by Escape
}

bool DocManager::SaveAllModified() {
    // A list taken first: answering a prompt runs dialogs, and the designs
    // must not change under the loop.
    for (COrvaneDoc* doc : Documents()) {
        if (EntryOf(*doc) != nullptr && !SaveModified(*doc))
            return false;
    }
    return true;
}

void DocManager::CloseWindows(Entry& entry) {
    const bool was = m_closingWithoutPrompt;
    m_closingWithoutPrompt = true;
    const std::vector<QMdiSubWindow*> windows = entry.windows;
    for (QMdiSubWindow* window : windows)
        window->close();
    m_closingWithoutPrompt = was;
}

bool DocManager::OnFileClose(COrvaneDoc& doc) {
    Entry* entry = EntryOf(doc);
    if (entry == nullptr || !SaveModified(doc))
        return false;
    CloseWindows(*entry);
    return true;
}

void DocManager::CloseAllDocuments() {
    std::vector<Entry*> entries;
    for (auto& entry : m_entries)
        entries.push_back(entry.get());
    for (Entry* entry : entries)
        CloseWindows(*entry);
}

COrvaneView* DocManager::AddDocument(std::unique_ptr<COrvaneDoc> doc) {
    auto entry = std::make_unique<Entry>();
    entry->doc = std::move(doc);
    m_entries.push_back(std::move(entry));
    return CreateWindow(*m_entries.back());
}

COrvaneView* DocManager::OnWindowNew(COrvaneDoc& doc) {
    Entry* entry = EntryOf(doc);
    return entry == nullptr ? nullptr : CreateWindow(*entry);
}

COrvaneView* DocManager::ActiveView() const {
    QMdiSubWindow* window = m_frame.MdiArea()->currentSubWindow();
    return window == nullptr ? nullptr : qobject_cast<COrvaneView*>(window->widget());
}

std::vector<COrvaneDoc*> DocManager::Documents() const {
    std::vector<COrvaneDoc*> docs;
    for (auto& entry : m_entries)
        docs.push_back(entry->doc.get());
    return docs;
}

std::vector<COrvaneView*> DocManager::Views(const COrvaneDoc& doc) const {
    std::vector<COrvaneView*> views;
    if (Entry* entry = EntryOf(doc)) {
        for (QMdiSubWindow* window : entry->windows) {
            if (auto* view = qobject_cast<COrvaneView*>(window->widget()))
                views.push_back(view);
        }
    }
    return views;
}

bool DocManager::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Close && !m_closingWithoutPrompt) {
        auto* window = qobject_cast<QMdiSubWindow*>(watched);
        Entry* entry = window == nullptr ? nullptr : EntryOf(window);
        if (entry != nullptr) {
            // Closing the last open window of a design closes the design.
            const bool last = std::none_of(
                entry->windows.begin(), entry->windows.end(),
                [window](QMdiSubWindow* other) { return other != window && !other->isHidden(); });
            if (last && !SaveModified(*entry->doc)) {
                event->ignore();
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace orvane
