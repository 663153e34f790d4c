// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/COrvaneApp.h"

#include "core/Version.h"

#include "app/AppSettings.h"
#include "app/Autosaver.h"
#include "app/CAboutDlg.h"
#include "app/CGettingStartedDlg.h"
#include "app/CMainFrame.h"
#include "app/ShellIntegration.h"
#include "app/SingleInstance.h"
#include "app/ViewPrinting.h"
#include "core/design/Autosave.h"
#include "core/design/COrvaneDoc.h"
#include "core/library/LibraryFiles.h"
#include "core/library/LibrarySession.h"
#include "platform/Log.h"
#include "platform/UnitChoice.h"
#include "tools/ToolCommands.h"
#include "view/COrvaneView.h"

#include <QAction>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QIcon>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPrinter>
#include <QScreen>
#include <QStatusBar>
#include <QUndoGroup>

namespace orvane {

COrvaneApp::COrvaneApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("orvane"));
    setApplicationVersion(QString::fromUtf8(kVersion.data(), kVersion.size()));
    setDesktopFileName(ShellIntegration::kAppId);
    setWindowIcon(QIcon(QStringLiteral(":/icons/orvane.svg")));
}

COrvaneApp::~COrvaneApp() {
    ExitInstance();
}

bool COrvaneApp::InitInstance(const QByteArrayList& arguments) {
    // The whole command line names one file, blanks and all.
    const QByteArray file = arguments.join(' ');
    // A program already running takes the file over, and this one is done.
    if (!file.isEmpty() && SingleInstance::SendToRunning(file, m_instanceName))
        return false;

    // Settings: the recent-file list and the preview page count.
    m_settings = std::make_unique<AppSettings>(m_settingsPath);
    m_settings->Load();
    UnitChoice::Set(m_settings->Units());
    m_library = std::make_unique<LibrarySession>(m_libraryPath.empty() ? DefaultLibraryPath()
                                                                       : m_libraryPath);

    // The main window with its bars; the document type works inside it.
    m_frame = std::make_unique<CMainFrame>();
    m_frame->SetUnitsMark(m_settings->Units());
    m_docs = std::make_unique<DocManager>(*m_frame);
    m_docs->SetFileDialog(m_fileDialog);
    connect(m_docs.get(), &DocManager::fileUsed, this,
            [this](const QString& path) { AddRecentFile(path); });
    // Every new view asks for the driver at its first drawing while Fs is 0.
    // A new view shows the graph chosen last, and reads the pointer's values
    // into the status bar.
    connect(m_docs.get(), &DocManager::viewCreated, this, [this](COrvaneView& view) {
        m_frame->UndoGroup()->addStack(view.UndoStack());
        view.SetGraph(m_settings->NewWindowGraph());
        connect(&view, &COrvaneView::graphChosen, this,
                [this](Graph graph) { m_settings->SetNewWindowGraph(graph); });
        connect(&view, &COrvaneView::readoutChanged, this, [this](const QString& text) {
            if (text.isEmpty())
                m_frame->statusBar()->clearMessage();
            else
                m_frame->statusBar()->showMessage(text);
        });
        if (m_viewSetupSet)
            m_viewSetup(view);
        else
            ToolCommands::InstallFirstDrawCheck(view);
    });
    m_frame->Router().SetHandlers(CommandRouter::Level::Application, ApplicationCommands());
    connect(m_frame.get(), &CMainFrame::closeRequested, this, [this](QCloseEvent* event) {
        if (!QueryClose())
            event->ignore();
    });
    connect(m_frame->MdiArea(), &QMdiArea::subWindowActivated, this,
            [this] { OnActiveWindowChanged(); });
    UpdateRecentMenu();

    // Later starts with a file hand it over here.
    m_singleInstance = std::make_unique<SingleInstance>(m_instanceName);
    connect(m_singleInstance.get(), &SingleInstance::fileRequested, this,
            [this](const QByteArray& path) { OnHandedOverFile(path); });
    m_singleInstance->Listen();

    // Design files open with this program from the desktop.
    ShellIntegration::Register(applicationFilePath(), m_runDesktopUpdaters);

    // Designs a program that ended without saving left behind come back
    // first. They take the place of the new design a start makes.
    m_autosave = std::make_unique<Autosaver>(
        *m_docs, m_autosaveFolder.empty() ? Autosave::DefaultFolder() : m_autosaveFolder,
        m_settings->AutosaveSeconds());
    const int recovered = m_autosave->Recover(m_frame.get());

    // The command line: nothing makes a new design, anything else is the name
    // of a file to open. What the open did is not looked at.
    if (!file.isEmpty())
        m_docs->OpenDocumentFile(file);
    else if (recovered == 0)
        m_docs->OnFileNew();

    // Files dropped on the main window open as with File Open.
    connect(m_frame.get(), &CMainFrame::fileDropped, this,
            [this](const QByteArray& path) { m_docs->OpenDocumentFile(path); });

    // Three quarters of the screen, as a desktop places a new main window.
    if (const QScreen* screen = m_frame->screen()) {
        const QSize available = screen->availableSize();
        m_frame->resize(available.width() * 3 / 4, available.height() * 3 / 4);
    }
    m_frame->show();
    return true;
}

void COrvaneApp::ExitInstance() {
    m_singleInstance.reset();
    if (m_docs)
        m_docs->CloseAllDocuments();
    // A clean exit: the designs are closed, so their autosaves go.
    if (m_autosave)
        m_autosave->Finish();
    m_autosave.reset();
    m_docs.reset();
    m_frame.reset();
    m_library.reset();
    // Nobody is left to tell at exit: a settings file that could not be
    // written goes to the log.
    if (m_settings) {
        if (const FileResult saved = m_settings->Save(); !saved)
            qCWarning(lcOrvane, "%s", saved.Message().c_str());
    }
    m_settings.reset();
}

QPrinter& COrvaneApp::Printer() {
    // Made on first use: finding the printers can take a moment.
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

bool COrvaneApp::QueryClose() {
    if (!m_docs->SaveAllModified())
        return false;
    m_docs->CloseAllDocuments();
    return true;
}

CommandRouter::Table COrvaneApp::ApplicationCommands() {
    CommandRouter::Table table;
    table[ID_APP_ABOUT] = [this] { OnAppAbout(); };
    table[ID_FILE_NEW] = [this] { OnFileNew(); };
    table[ID_FILE_OPEN] = [this] { OnFileOpen(); };
    table[ID_FILE_PRINT_SETUP] = [this] { OnFilePrintSetup(); };
    const CommandId recent[] = {ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE2, ID_FILE_MRU_FILE3,
                                ID_FILE_MRU_FILE4};
    for (int i = 0; i < 4; ++i)
        table[recent[i]] = [this, i] { OnOpenRecentFile(i); };
    table[ID_UNITS_IMPERIAL] = [this] { OnUnits(UnitSystem::Imperial); };
    table[ID_UNITS_METRIC] = [this] { OnUnits(UnitSystem::Metric); };
    return table;
}

CommandRouter::Table COrvaneApp::DesignCommands(COrvaneView& target) {
    // Every handler checks that its view still exists: a command may close it.
    QPointer<COrvaneView> guarded(&target);
    // A command may change what the titles show (the driver's name).
    auto onView = [this, guarded](auto command) {
        return [this, guarded, command] {
            if (guarded)
                command(*guarded);
            if (guarded && m_docs)
                m_docs->UpdateTitles(guarded->GetDocument());
        };
    };
    CommandRouter::Table table;
    table[ID_FILE_CLOSE] = onView([this](COrvaneView& v) { m_docs->OnFileClose(v.GetDocument()); });
    table[ID_FILE_SAVE] = onView([this](COrvaneView& v) { m_docs->OnFileSave(v.GetDocument()); });
    table[ID_FILE_SAVE_AS] =
        onView([this](COrvaneView& v) { m_docs->OnFileSaveAs(v.GetDocument()); });
    table[ID_FILE_PRINT] =
        onView([this](COrvaneView& v) { ViewPrinting::Print(v, Printer(), m_frame.get()); });
    table[ID_FILE_PRINT_PREVIEW] = onView([this](COrvaneView& v) {
        int pages = m_settings->PreviewPages();
        ViewPrinting::Preview(v, Printer(), pages, m_frame.get());
        m_settings->SetPreviewPages(pages);
    });
    table[ID_FILE_EXPORT_GRAPH] = onView([this](COrvaneView& v) { m_docs->OnExportGraph(v); });
    table[ID_REDRAW] = onView([](COrvaneView& v) { v.OnRedraw(); });
    const std::pair<CommandId, BoxKind> boxes[] = {
        {ID_BOX_SEALED, BoxKind::Sealed},
        {ID_BOX_VENTED, BoxKind::Vented},
        {ID_BOX_BANDPASS4, BoxKind::Bandpass4},
        {ID_BOX_BANDPASS6, BoxKind::Bandpass6},
        {ID_BOX_PASSIVE_RADIATOR, BoxKind::PassiveRadiator}};
    for (const auto& box : boxes) {
        const BoxKind kind = box.second;
        table[box.first] = onView([kind](COrvaneView& v) { v.OnBoxType(kind); });
    }
    const std::pair<CommandId, int> steps[] = {
        {ID_AMPLITUDE_1, 1}, {ID_AMPLITUDE_2, 2}, {ID_AMPLITUDE_5, 5}, {ID_AMPLITUDE_10, 10}};
    for (const auto& amplitude : steps) {
        const int step = amplitude.second;
        table[amplitude.first] = onView([step](COrvaneView& v) { v.OnAmplitude(step); });
    }
    for (size_t i = 0; i < kAllGraphs.size(); ++i) {
        const Graph graph = kAllGraphs[i];
        table[static_cast<CommandId>(ID_GRAPH_RESPONSE + static_cast<int>(i))] =
            onView([graph](COrvaneView& v) { v.OnGraph(graph); });
    }
    table[ID_DRIVER_ELECTRICAL] =
        onView([](COrvaneView& v) { ToolCommands::OnElectricalParams(v); });
    table[ID_ANALYSIS_SETTINGS] =
        onView([](COrvaneView& v) { ToolCommands::OnAnalysisSettings(v); });
    table[ID_SIGNAL_CHAIN] = onView([](COrvaneView& v) { ToolCommands::OnSignalChain(v); });
    table[ID_BOX_PR_PARAMS] =
        onView([this](COrvaneView& v) { ToolCommands::OnRadiatorParams(v, m_library.get()); });
    table[ID_BOX_ALIGNMENTS] = onView([](COrvaneView& v) { ToolCommands::OnAlignments(v); });
    table[ID_DRIVER_PARAMS] = onView([](COrvaneView& v) { ToolCommands::OnDriverParams(v); });
    table[ID_DRIVER_LIBRARY] =
        onView([this](COrvaneView& v) { ToolCommands::OnDriverLibrary(v, *m_library); });
    table[ID_FREQ_RANGE] = onView([](COrvaneView& v) { ToolCommands::OnFreqRange(v); });
    table[ID_TOOLS_PORT_CALC] = onView([](COrvaneView& v) { ToolCommands::OnPortCalc(v); });
    table[ID_TOOLS_BOX_CALC] = onView([](COrvaneView& v) { ToolCommands::OnBoxCalc(v); });
    table[ID_TOOLS_TS_PARAMS] = onView([](COrvaneView& v) { ToolCommands::OnTsParams(v); });
    table[ID_TOOLS_DRIVER_FIT] = onView(
        [this](COrvaneView& v) { ToolCommands::OnDriverFromImpedance(v, {}, m_library.get()); });
    table[ID_FILE_EXPORT_CURVES] = onView([](COrvaneView& v) {
        ToolCommands::OnExportCurves(v, [&v](CurveFormat format) {
            const bool zma = format == CurveFormat::Zma;
            return QFileDialog::getSaveFileName(
                &v, QStringLiteral("Export Curves"),
                QString::fromStdString(v.GetDocument().Title()) +
                    (zma ? QStringLiteral(".zma") : QStringLiteral(".frd")),
                zma ? QStringLiteral("Impedance (*.zma)") : QStringLiteral("Response (*.frd)"));
        });
    });
    table[ID_TOOLS_BUILD] =
        onView([this](COrvaneView& v) { ToolCommands::OnBuild(v, &Printer()); });
    table[ID_WINDOW_NEW] = onView([this](COrvaneView& v) { m_docs->OnWindowNew(v.GetDocument()); });
    table[ID_HELP_GETTING_STARTED] = [this] {
        CGettingStartedDlg dialog(m_frame.get());
        dialog.exec();
    };
    return table;
}

void COrvaneApp::OnActiveWindowChanged() {
    if (!m_frame || !m_docs)
        return;
    CommandRouter& router = m_frame->Router();
    COrvaneView* view = m_docs->ActiveView();
    m_frame->UndoGroup()->setActiveStack(view != nullptr ? view->UndoStack() : nullptr);
    if (view != nullptr) {
        router.SetHandlers(CommandRouter::Level::View, DesignCommands(*view));
        // Each window has its own graph; the marks show the active one's.
        m_frame->Marks().SetGraphMark(view->CurrentGraph());
    } else
        router.ClearHandlers(CommandRouter::Level::View);
}

void COrvaneApp::AddRecentFile(const QString& path) {
    m_settings->RecentFiles().Add(path);
    UpdateRecentMenu();
}

void COrvaneApp::UpdateRecentMenu() {
    const RecentFileList& recent = m_settings->RecentFiles();
    QStringList labels;
    for (int i = 0; i < recent.Count(); ++i)
        labels << recent.MenuText(i);
    m_frame->SetRecentFiles(labels);
}

void COrvaneApp::OnUnits(UnitSystem units) {
    m_settings->SetUnits(units);
    m_frame->SetUnitsMark(units);
    if (UnitChoice::Current() == units)
        return;
    UnitChoice::Set(units);
    // Every open window at once; dialogs are modal, so none is open now.
    for (COrvaneDoc* doc : m_docs->Documents()) {
        for (COrvaneView* view : m_docs->Views(*doc)) {
            view->OnUnitsChanged();
            // The form may have grown: its window must not cut it.
            if (auto* window = qobject_cast<QMdiSubWindow*>(view->parentWidget()))
                window->setMinimumSize(window->minimumSizeHint());
        }
    }
}

void COrvaneApp::OnAppAbout() {
    CAboutDlg dialog(m_frame.get());
    dialog.exec();
}

void COrvaneApp::OnFileNew() {
    m_docs->OnFileNew();
}

void COrvaneApp::OnFileOpen() {
    m_docs->OnFileOpen();
}

void COrvaneApp::OnFilePrintSetup() {
    ViewPrinting::PrintSetup(Printer(), m_frame.get());
}

void COrvaneApp::OnOpenRecentFile(int index) {
    // A file that cannot be opened keeps its place in the list.
    const QString path = m_settings->RecentFiles().File(index);
    if (!path.isEmpty())
        m_docs->OpenDocumentFile(QFile::encodeName(path));
}

void COrvaneApp::OnHandedOverFile(const QByteArray& path) {
    if (!m_docs)
        return;
    // Come to the front, as a program opened from the desktop would.
    if (m_frame->isMinimized())
        m_frame->showNormal();
    m_frame->raise();
    m_frame->activateWindow();
    m_docs->OpenDocumentFile(path);
}

} // namespace orvane
