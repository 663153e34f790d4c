// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/CommandIds.h"
#include "core/units/DisplayUnits.h"
#include "view/ViewMarks.h"

#include <QCloseEvent>
#include <QElapsedTimer>
#include <QList>
#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>
#include <map>

class QComboBox;
class QKeyEvent;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QStyle;
class QToolBar;
class QUndoGroup;

namespace orvane {

class CommandRouter;

// The main window: the design windows' area, both menu bars, the toolbar and
// the status bar. It owns every command's action; the router decides which
// of them are enabled.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    QMdiArea* MdiArea() const { return m_mdiArea; }
    CommandRouter& Router() const { return *m_router; }
    QAction* Action(CommandId id) const;
    // The undo stacks of the design windows; the Edit menu works on the
    // active one's.
    QUndoGroup* UndoGroup() const { return m_undoGroup; }
    QAction* UndoAction() const { return m_undoAction; }
    QAction* RedoAction() const { return m_redoAction; }
    // The Box and Amplitude entries, shared by every design view.
    const ViewMarks& Marks() const { return m_marks; }
    // Checks the Options > Units entry of the units in force.
    void SetUnitsMark(UnitSystem units);
    QToolBar* ToolBar() const { return m_toolBar; }
    // The toolbar's drop-down of the graphs.
    QComboBox* GraphChoice() const { return m_graphChoice; }
    // CAP, NUM, SCRL in that order.
    const std::array<QLabel*, 3>& LockPanes() const { return m_lockPanes; }

    // The design-window menu bar while a design window is open, else the
    // three-menu bar.
    bool ShowsDesignMenus() const { return m_showsDesignMenus; }
    QList<QMenu*> MenuBarMenus() const;
    // Follows the current design window: menu bar, caption, window list.
    void UpdateForActiveWindow();
    // Gives a new design window the main window's look for design windows.
    void PrepareDesignWindow(QMdiSubWindow* window);
    // "orvane - " and the current design window's title, or "orvane".
    void UpdateCaption();
    // The list of design windows at the end of the Window menu.
    void UpdateWindowMenu();
    QMenu* WindowMenu() const { return m_windowMenu; }

    // Up to four finished menu texts ("&1 name"); none brings back the greyed
    // placeholder.
    void SetRecentFiles(const QStringList& labels);

    // Shows the CAP, NUM and SCRL panes from the keyboard's lock state, or
    // hides them where the window system does not tell it.
    void UpdateLockPanes();

    // The Help Index command: the HTML manual in the desktop's browser.
    void OnHelpIndex();
    // Window arrangements of the Window menu.
    void OnTileHorizontally();
    void OnArrangeIcons();

signals:
    // Before the main window closes (Exit or the close button); a receiver
    // that ignores the event keeps it open. Connect directly.
    void closeRequested(QCloseEvent* event);
    // Each local file dropped anywhere on the main window, as the file
    // system's bytes.
    void fileDropped(const QByteArray& path);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateActions();
    void CreateEditActions();
    // An Undo or Redo key in a field of a design window undoes (redoes) the
    // field's own typing while it has some; otherwise the Edit menu's entry
    // takes it. True when the event is dealt with.
    bool HandleEditKey(QObject* watched, QEvent* event);
    void CreateToolBar();
    void CreateStatusBar();
    void CreateMenus();
    QMenu* NewMenu(const char* title);
    void AddFileEntries(QMenu* file, bool design);
    void AddRecentEntries(QMenu* file);
    void SetMenuBarMenus(const QList<QMenu*>& menus);
    bool HandleDrop(QEvent* event);
    // A floating toolbar gets a window frame with its title and a close
    // button, once the user has let go of it.
    void FrameFloatingToolBar();
    // Shrinks a design window that reaches past the area's right or bottom
    // edge, down to its minimum size.
    void FitIntoArea(QMdiSubWindow* window);
    void OnCascade();

    QMdiArea* m_mdiArea = nullptr;
    CommandRouter* m_router = nullptr;
    std::map<CommandId, QAction*> m_actions;
    QUndoGroup* m_undoGroup = nullptr;
    QAction* m_undoAction = nullptr;
    QAction* m_redoAction = nullptr;
    QAction* m_recentPlaceholder = nullptr;
    ViewMarks m_marks;
    QToolBar* m_toolBar = nullptr;
    QComboBox* m_graphChoice = nullptr;
    // Ctrl+W: closes the active design window wherever the focus is.
    QAction* m_closeWindowAction = nullptr;
    std::array<QLabel*, 3> m_lockPanes{};
    QList<QMenu*> m_mainMenus;
    QList<QMenu*> m_designMenus;
    QMenu* m_windowMenu = nullptr;
    QList<QAction*> m_windowListActions;
    bool m_showsDesignMenus = false;
    QStyle* m_designWindowStyle = nullptr;
    QElapsedTimer m_lockCheck;
};

} // namespace orvane
