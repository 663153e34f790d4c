// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/DocManager.h"
#include "core/units/DisplayUnits.h"
#include "platform/CommandRouter.h"

#include <QApplication>
#include <QByteArrayList>
#include <QStringList>

#include <memory>
#include <string>

class QPrinter;

namespace orvane {

class AppSettings;
class Autosaver;
class LibrarySession;
class CMainFrame;
class COrvaneView;
class SingleInstance;

// The application object. Its start-up hook builds the program in a fixed
// order; the exit step writes the settings file.
class COrvaneApp : public QApplication {
    Q_OBJECT
public:
    COrvaneApp(int& argc, char** argv);
    ~COrvaneApp() override;

    // The start-up hook. `arguments` is the command line without the program
    // name, as the bytes the system gave: none starts with a new design,
    // anything else is taken as one file name. Returns false when the program
    // should end at once.
    bool InitInstance(const QByteArrayList& arguments);
    // Closes every design without asking, writes the settings file and
    // removes the main window. Safe to call more than once.
    void ExitInstance();

    // Before InitInstance: where the settings file lives (tests use a
    // temporary one), the file dialogs, and what every new view gets.
    void SetSettingsPath(QString path) { m_settingsPath = std::move(path); }
    // Before InitInstance: the driver library's file (default: DefaultLibraryPath).
    void SetLibraryPath(std::string path) { m_libraryPath = std::move(path); }
    void SetFileDialog(DocManager::FileDialog dialog) { m_fileDialog = std::move(dialog); }
    void SetViewSetup(DocManager::ViewSetup setup) {
        m_viewSetup = std::move(setup);
        m_viewSetupSet = true;
    }

    // Tests keep apart from a program the user runs, and start no database
    // updaters after writing the desktop association.
    void SetInstanceName(QString name) { m_instanceName = std::move(name); }
    // Before InitInstance: the autosave folder (default: Autosave::DefaultFolder).
    void SetAutosaveFolder(std::string folder) { m_autosaveFolder = std::move(folder); }
    void SetRunDesktopUpdaters(bool run) { m_runDesktopUpdaters = run; }

    CMainFrame* MainFrame() const { return m_frame.get(); }
    DocManager* Documents() const { return m_docs.get(); }
    AppSettings* Settings() const { return m_settings.get(); }
    SingleInstance* Instance() const { return m_singleInstance.get(); }
    Autosaver* Autosaves() const { return m_autosave.get(); }
    QPrinter& Printer();

    // The application's own commands.
    void OnAppAbout();
    void OnFileNew();
    void OnFileOpen();
    void OnFilePrintSetup();
    void OnOpenRecentFile(int index);
    // Options > Units: remembered, and shown by every open window at once.
    void OnUnits(UnitSystem units);

private:
    CommandRouter::Table ApplicationCommands();
    CommandRouter::Table DesignCommands(COrvaneView& view);
    void OnActiveWindowChanged();
    void AddRecentFile(const QString& path);
    void UpdateRecentMenu();
    bool QueryClose();
    void OnHandedOverFile(const QByteArray& path);

    QString m_settingsPath;
    std::string m_libraryPath;
    std::string m_autosaveFolder;
    DocManager::FileDialog m_fileDialog;
    DocManager::ViewSetup m_viewSetup;
    bool m_viewSetupSet = false;
    QString m_instanceName = QStringLiteral("orvane");
    bool m_runDesktopUpdaters = true;

    std::unique_ptr<AppSettings> m_settings;
    // Opened when first used: a library that cannot be read costs nothing
    // until the user asks for it.
    std::unique_ptr<LibrarySession> m_library;
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<CMainFrame> m_frame;
    // Declared after the main window so that the designs' windows go first.
    std::unique_ptr<DocManager> m_docs;
    std::unique_ptr<Autosaver> m_autosave;
    std::unique_ptr<SingleInstance> m_singleInstance;
};

} // namespace orvane
