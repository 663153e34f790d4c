// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CMainFrame.h"

#include "app/CommandTexts.h"
#include "app/HelpLocation.h"
#include "platform/CommandRouter.h"
#include "platform/KeyboardLocks.h"
#include "platform/Message.h"
#include "platform/NativePath.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDropEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProxyStyle>
#include <QStatusBar>
#include <QToolBar>
#include <QUndoGroup>
#include <QUrl>

namespace orvane {

namespace {

// Design windows keep their own title bar when maximised. Left to itself, Qt
// moves it into the menu bar and rewrites the main window's caption as
// "caption - [title]"; ours reads "orvane - title" in every state.
class DesignWindowStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == QStyle::SH_Workspace_FillSpaceOnMaximize)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

constexpr const char* kCaption = "orvane";

// The toolbar's twelve slots; 0 is a separator.
struct ToolSlot {
    int id;
    const char* image;
};
constexpr ToolSlot kToolSlots[] = {
    {ID_FILE_NEW, ":/toolbar/new.svg"},
    {ID_FILE_OPEN, ":/toolbar/open.svg"},
    {ID_FILE_SAVE, ":/toolbar/save.svg"},
    {ID_FILE_PRINT, ":/toolbar/print.svg"},
    {0, nullptr},
    {ID_DRIVER_PARAMS, ":/toolbar/driver.svg"},
    {ID_FREQ_RANGE, ":/toolbar/freqrange.svg"},
    {ID_REDRAW, ":/toolbar/redraw.svg"},
    {0, nullptr},
    {ID_TOOLS_PORT_CALC, ":/toolbar/portcalc.svg"},
    {ID_TOOLS_BOX_CALC, ":/toolbar/boxcalc.svg"},
    {ID_TOOLS_TS_PARAMS, ":/toolbar/tsparams.svg"},
};

constexpr CommandId kCheckable[] = {
    ID_VIEW_TOOLBAR,  ID_VIEW_STATUS_BAR,      ID_BOX_SEALED,   ID_BOX_VENTED,  ID_BOX_BANDPASS4,
    ID_BOX_BANDPASS6, ID_BOX_PASSIVE_RADIATOR, ID_AMPLITUDE_1,  ID_AMPLITUDE_2, ID_AMPLITUDE_5,
    ID_AMPLITUDE_10,  ID_UNITS_IMPERIAL,       ID_UNITS_METRIC,
};

// The Graph entries, in kAllGraphs order.
constexpr CommandId kGraphs[] = {ID_GRAPH_RESPONSE,  ID_GRAPH_SPL,      ID_GRAPH_MAX_SPL,
                                 ID_GRAPH_EXCURSION, ID_GRAPH_VELOCITY, ID_GRAPH_IMPEDANCE,
                                 ID_GRAPH_DELAY,     ID_GRAPH_CHAIN};
static_assert(std::size(kGraphs) == kAllGraphs.size());

constexpr CommandId kRecent[] = {ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE2, ID_FILE_MRU_FILE3,
                                 ID_FILE_MRU_FILE4};

bool IsLockKey(const QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_CapsLock || key == Qt::Key_NumLock || key == Qt::Key_ScrollLock;
}

QByteArrayList LocalFiles(const QMimeData* mime) {
    QByteArrayList files;
    if (mime == nullptr || !mime->hasUrls())
        return files;
    for (const QUrl& url : mime->urls()) {
        if (const QByteArray file = LocalFileBytes(url); !file.isEmpty())
            files << file;
    }
    return files;
}

} // namespace

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(kCaption);
    setWindowIcon(QIcon(":/icons/orvane.svg"));
    m_mdiArea = new QMdiArea(this);
    m_designWindowStyle = new DesignWindowStyle;
    m_designWindowStyle->setParent(this);
    setCentralWidget(m_mdiArea);
    m_router = new CommandRouter(this);

    CreateActions();
    CreateEditActions();
    CreateToolBar();
    CreateStatusBar();
    CreateMenus();
    UpdateForActiveWindow();

    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, [this] { UpdateForActiveWindow(); });
    setAcceptDrops(true);
    qApp->installEventFilter(this);
    UpdateLockPanes();
}

CMainFrame::~CMainFrame() {
    qApp->removeEventFilter(this);
}

void CMainFrame::PrepareDesignWindow(QMdiSubWindow* window) {
    window->setStyle(m_designWindowStyle);
    // Restored, cascaded or tiled, the window keeps its view's own size: the
    // form and a plot, and never less than the form.
    window->resize(window->sizeHint());
    window->setMinimumSize(window->minimumSizeHint());
    connect(window, &QMdiSubWindow::windowStateChanged, this,
            [this, window](Qt::WindowStates, Qt::WindowStates now) {
                if (!(now & (Qt::WindowMaximized | Qt::WindowMinimized)))
                    FitIntoArea(window);
            });
    // The close key of the system menu is the main window's, which works
    // wherever the focus is; the entry only names it.
    for (QAction* action : window->systemMenu()->actions()) {
        if (!action->shortcuts().isEmpty() &&
            action->shortcuts() == QKeySequence::keyBindings(QKeySequence::Close)) {
            action->setShortcuts({});
            action->setText(action->text() + QLatin1Char('\t') +
                            QKeySequence(QKeySequence::Close).toString(QKeySequence::NativeText));
        }
    }
}

QAction* CMainFrame::Action(CommandId id) const {
    auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

void CMainFrame::CreateActions() {
    for (const CommandText& text : AllCommandTexts()) {
        auto* action = new QAction(QString::fromUtf8(text.label), this);
        const QString prompt = QString::fromUtf8(text.prompt);
        const qsizetype newline = prompt.indexOf('\n');
        action->setStatusTip(newline < 0 ? prompt : prompt.left(newline));
        if (newline >= 0)
            action->setToolTip(prompt.mid(newline + 1));
        if (*text.key != '\0')
            action->setShortcut(QKeySequence(QString::fromUtf8(text.key)));
        // Keys work whichever menu bar is up, and also while a menu is hidden.
        addAction(action);
        m_actions[text.id] = action;
        m_router->AddCommand(text.id, action);
    }
    for (CommandId id : kCheckable)
        m_actions[id]->setCheckable(true);
    // As the resources have them: the toolbar and status bar are shown, and
    // Sealed and 1 dB/div are checked.
    m_actions[ID_VIEW_TOOLBAR]->setChecked(true);
    m_actions[ID_VIEW_STATUS_BAR]->setChecked(true);
    m_marks.box = {m_actions[ID_BOX_SEALED], m_actions[ID_BOX_VENTED], m_actions[ID_BOX_BANDPASS4],
                   m_actions[ID_BOX_BANDPASS6], m_actions[ID_BOX_PASSIVE_RADIATOR]};
    m_marks.amplitude = {m_actions[ID_AMPLITUDE_1], m_actions[ID_AMPLITUDE_2],
                         m_actions[ID_AMPLITUDE_5], m_actions[ID_AMPLITUDE_10]};
    m_marks.box[0]->setChecked(true);
    m_marks.amplitude[0]->setChecked(true);
    // The graphs are radio items: one is checked, the response plot at first.
    auto* graphs = new QActionGroup(this);
    for (size_t i = 0; i < std::size(kGraphs); ++i) {
        QAction* action = m_actions[kGraphs[i]];
        action->setCheckable(true);
        graphs->addAction(action);
        m_marks.graph[i] = action;
    }
    m_marks.graph[0]->setChecked(true);
    // The two units are radio entries: one of them is always chosen.
    auto* units = new QActionGroup(this);
    units->addAction(m_actions[ID_UNITS_IMPERIAL]);
    units->addAction(m_actions[ID_UNITS_METRIC]);
    SetUnitsMark(UnitSystem::Imperial);

    m_closeWindowAction = new QAction(this);
    m_closeWindowAction->setShortcuts(QKeySequence::Close);
    connect(m_closeWindowAction, &QAction::triggered, this,
            [this] { m_mdiArea->closeActiveSubWindow(); });
    addAction(m_closeWindowAction);

    m_recentPlaceholder = new QAction(QStringLiteral("Recent File"), this);
    m_recentPlaceholder->setStatusTip(CommandTextOf(ID_FILE_MRU_FILE1).prompt);
    m_recentPlaceholder->setEnabled(false);
    for (CommandId id : kRecent)
        m_actions[id]->setVisible(false);

    CommandRouter::Table frame;
    frame[ID_VIEW_TOOLBAR] = [this] {
        m_toolBar->setVisible(m_actions[ID_VIEW_TOOLBAR]->isChecked());
    };
    frame[ID_VIEW_STATUS_BAR] = [this] {
        statusBar()->setVisible(m_actions[ID_VIEW_STATUS_BAR]->isChecked());
    };
    frame[ID_HELP_INDEX] = [this] { OnHelpIndex(); };
    frame[ID_APP_EXIT] = [this] { close(); };
    frame[ID_WINDOW_CASCADE] = [this] { OnCascade(); };
    frame[ID_WINDOW_TILE_HORZ] = [this] { OnTileHorizontally(); };
    frame[ID_WINDOW_ARRANGE] = [this] { OnArrangeIcons(); };
    m_router->SetHandlers(CommandRouter::Level::Frame, std::move(frame));
}

void CMainFrame::CreateEditActions() {
    m_undoGroup = new QUndoGroup(this);
    // "&Undo Apply Alignment", or "&Undo" greyed when there is nothing to undo.
    m_undoAction = m_undoGroup->createUndoAction(this, QStringLiteral("&Undo"));
    m_undoAction->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)});
    m_undoAction->setStatusTip(QStringLiteral("Undo the last change to the design"));
    m_redoAction = m_undoGroup->createRedoAction(this, QStringLiteral("&Redo"));
    m_redoAction->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    m_redoAction->setStatusTip(QStringLiteral("Do again the change last undone"));
    addAction(m_undoAction);
    addAction(m_redoAction);
}

bool CMainFrame::HandleEditKey(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return false;
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit == nullptr || edit->window() != this)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const QKeySequence pressed(key->keyCombination());
    const bool undo = m_undoAction->shortcuts().contains(pressed);
    if (!undo && !m_redoAction->shortcuts().contains(pressed))
        return false;
    const bool own = undo ? edit->isUndoAvailable() : edit->isRedoAvailable();
    if (event->type() == QEvent::ShortcutOverride) {
        // A field claims the key only while it has typing of its own to
        // take back; otherwise the key goes on to the Edit menu.
        if (own)
            key->accept();
        return true;
    }
    if (!own)
        return false;
    // Every key of the Edit menu works on the field's typing alike.
    if (undo)
        edit->undo();
    else
        edit->redo();
    return true;
}

void CMainFrame::CreateToolBar() {
    m_toolBar = new QToolBar(QStringLiteral("Toolbar"), this);
    m_toolBar->setObjectName(QStringLiteral("toolbar"));
    m_toolBar->setMovable(true);
    m_toolBar->setFloatable(true);
    m_toolBar->setAllowedAreas(Qt::AllToolBarAreas);
    m_toolBar->setIconSize(QSize(20, 20));
    for (const ToolSlot& slot : kToolSlots) {
        if (slot.id == 0) {
            m_toolBar->addSeparator();
            continue;
        }
        QAction* action = m_actions[static_cast<CommandId>(slot.id)];
        action->setIcon(QIcon(QString::fromUtf8(slot.image)));
        m_toolBar->addAction(action);
    }
    // The graph choice as a drop-down after the buttons, following the marks.
    m_graphChoice = new QComboBox(m_toolBar);
    m_graphChoice->setObjectName(QStringLiteral("graphChoice"));
    m_graphChoice->setToolTip(QStringLiteral("Graph"));
    m_graphChoice->setFocusPolicy(Qt::NoFocus);
    for (CommandId id : kGraphs)
        m_graphChoice->addItem(QString(m_actions[id]->text()).remove(QLatin1Char('&')));
    m_toolBar->addSeparator();
    m_toolBar->addWidget(m_graphChoice);
    connect(m_graphChoice, &QComboBox::activated, this, [this](int index) {
        if (index >= 0 && index < static_cast<int>(std::size(kGraphs)))
            m_actions[kGraphs[index]]->trigger();
    });
    for (size_t i = 0; i < std::size(kGraphs); ++i) {
        QAction* action = m_actions[kGraphs[i]];
        connect(action, &QAction::toggled, m_graphChoice, [this, i](bool on) {
            if (on)
                m_graphChoice->setCurrentIndex(static_cast<int>(i));
        });
    }
    // Enabled as the entries are: only while a design window is there to show it.
    connect(m_actions[kGraphs[0]], &QAction::changed, m_graphChoice,
            [this] { m_graphChoice->setEnabled(m_actions[kGraphs[0]]->isEnabled()); });
    m_graphChoice->setEnabled(m_actions[kGraphs[0]]->isEnabled());
    addToolBar(Qt::TopToolBarArea, m_toolBar);
    // Hiding by any other way (a floating bar's own close) keeps the mark honest.
    connect(m_toolBar, &QToolBar::visibilityChanged, this,
            [this] { m_actions[ID_VIEW_TOOLBAR]->setChecked(!m_toolBar->isHidden()); });
}

void CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    // The idle text is a message like every prompt, so both are drawn at the
    // same place: whenever a prompt goes, "Ready" comes back.
    const QString idle = QStringLiteral("Ready");
    bar->showMessage(idle);
    connect(bar, &QStatusBar::messageChanged, bar, [bar, idle](const QString& message) {
        if (message.isEmpty())
            bar->showMessage(idle);
    });
    const char* names[] = {"CAP", "NUM", "SCRL"};
    for (size_t i = 0; i < m_lockPanes.size(); ++i) {
        auto* pane = new QLabel(bar);
        pane->setObjectName(QString::fromLatin1(names[i]));
        pane->setFrameShape(QFrame::Panel);
        pane->setFrameShadow(QFrame::Sunken);
        pane->setAlignment(Qt::AlignCenter);
        pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(QString::fromLatin1(names[i])) +
                              12);
        bar->addPermanentWidget(pane);
        m_lockPanes[i] = pane;
    }
}

QMenu* CMainFrame::NewMenu(const char* title) {
    auto* menu = new QMenu(QString::fromUtf8(title), this);
    return menu;
}

void CMainFrame::AddRecentEntries(QMenu* file) {
    file->addAction(m_recentPlaceholder);
    for (CommandId id : kRecent)
        file->addAction(m_actions[id]);
}

void CMainFrame::AddFileEntries(QMenu* file, bool design) {
    file->addAction(m_actions[ID_FILE_NEW]);
    file->addAction(m_actions[ID_FILE_OPEN]);
    if (design) {
        file->addAction(m_actions[ID_FILE_CLOSE]);
        file->addAction(m_actions[ID_FILE_SAVE]);
        file->addAction(m_actions[ID_FILE_SAVE_AS]);
        file->addSeparator();
        file->addAction(m_actions[ID_FILE_PRINT]);
        file->addAction(m_actions[ID_FILE_PRINT_PREVIEW]);
        file->addAction(m_actions[ID_FILE_EXPORT_GRAPH]);
        file->addAction(m_actions[ID_FILE_EXPORT_CURVES]);
    } else {
        file->addSeparator();
    }
    file->addAction(m_actions[ID_FILE_PRINT_SETUP]);
    file->addSeparator();
    AddRecentEntries(file);
    file->addSeparator();
    file->addAction(m_actions[ID_APP_EXIT]);
}

void CMainFrame::CreateMenus() {
    QMenu* file = NewMenu("&File");
    AddFileEntries(file, false);
    QMenu* view = NewMenu("&View");
    view->addAction(m_actions[ID_VIEW_TOOLBAR]);
    view->addAction(m_actions[ID_VIEW_STATUS_BAR]);
    QMenu* help = NewMenu("&Help");
    help->addAction(m_actions[ID_HELP_INDEX]);
    help->addSeparator();
    help->addAction(m_actions[ID_APP_ABOUT]);
    m_mainMenus = {file, view, help};

    QMenu* designFile = NewMenu("&File");
    AddFileEntries(designFile, true);
    QMenu* edit = NewMenu("&Edit");
    edit->addAction(m_undoAction);
    edit->addAction(m_redoAction);
    QMenu* display = NewMenu("&Display");
    display->addAction(m_actions[ID_VIEW_TOOLBAR]);
    display->addAction(m_actions[ID_VIEW_STATUS_BAR]);
    display->addAction(m_actions[ID_REDRAW]);
    QMenu* graph = display->addMenu(QStringLiteral("&Graph"));
    for (QAction* action : m_marks.graph)
        graph->addAction(action);
    // Display came first with D.
    QMenu* driver = NewMenu("D&river");
    driver->addAction(m_actions[ID_DRIVER_PARAMS]);
    driver->addAction(m_actions[ID_DRIVER_LIBRARY]);
    driver->addAction(m_actions[ID_DRIVER_ELECTRICAL]);
    QMenu* box = NewMenu("&Box");
    for (QAction* action : m_marks.box)
        box->addAction(action);
    box->addSeparator();
    box->addAction(m_actions[ID_BOX_PR_PARAMS]);
    box->addAction(m_actions[ID_BOX_ALIGNMENTS]);
    QMenu* tools = NewMenu("&Tools");
    tools->addAction(m_actions[ID_TOOLS_PORT_CALC]);
    tools->addAction(m_actions[ID_TOOLS_BOX_CALC]);
    tools->addAction(m_actions[ID_TOOLS_TS_PARAMS]);
    tools->addAction(m_actions[ID_TOOLS_DRIVER_FIT]);
    tools->addSeparator();
    tools->addAction(m_actions[ID_TOOLS_BUILD]);
    QMenu* options = NewMenu("&Options");
    options->addAction(m_actions[ID_FREQ_RANGE]);
    QMenu* amplitude = options->addMenu(QStringLiteral("&Amplitude (dB/div)"));
    for (QAction* action : m_marks.amplitude)
        amplitude->addAction(action);
    QMenu* units = options->addMenu(QStringLiteral("&Units"));
    units->addAction(m_actions[ID_UNITS_IMPERIAL]);
    units->addAction(m_actions[ID_UNITS_METRIC]);
    options->addAction(m_actions[ID_ANALYSIS_SETTINGS]);
    options->addAction(m_actions[ID_SIGNAL_CHAIN]);
    m_windowMenu = NewMenu("&Window");
    m_windowMenu->addAction(m_actions[ID_WINDOW_NEW]);
    m_windowMenu->addAction(m_actions[ID_WINDOW_CASCADE]);
    m_windowMenu->addAction(m_actions[ID_WINDOW_TILE_HORZ]);
    m_windowMenu->addAction(m_actions[ID_WINDOW_ARRANGE]);
    connect(m_windowMenu, &QMenu::aboutToShow, this, [this] { UpdateWindowMenu(); });
    QMenu* designHelp = NewMenu("&Help");
    designHelp->addAction(m_actions[ID_HELP_INDEX]);
    designHelp->addAction(m_actions[ID_HELP_GETTING_STARTED]);
    designHelp->addSeparator();
    designHelp->addAction(m_actions[ID_APP_ABOUT]);
    m_designMenus = {designFile, edit,    display,      driver,    box,
                     tools,      options, m_windowMenu, designHelp};

    SetMenuBarMenus(m_mainMenus);
}

void CMainFrame::SetUnitsMark(UnitSystem units) {
    m_actions[units == UnitSystem::Metric ? ID_UNITS_METRIC : ID_UNITS_IMPERIAL]->setChecked(true);
}

void CMainFrame::SetMenuBarMenus(const QList<QMenu*>& menus) {
    // The bar itself stays, so a maximised design window keeps its buttons in it.
    QMenuBar* bar = menuBar();
    for (QAction* action : bar->actions()) {
        if (action->menu() != nullptr)
            bar->removeAction(action);
    }
    for (QMenu* menu : menus)
        bar->addMenu(menu);
}

QList<QMenu*> CMainFrame::MenuBarMenus() const {
    QList<QMenu*> menus;
    for (QAction* action : menuBar()->actions()) {
        if (QMenu* menu = action->menu())
            menus << menu;
    }
    return menus;
}

void CMainFrame::UpdateForActiveWindow() {
    const bool design = m_mdiArea->currentSubWindow() != nullptr;
    if (design != m_showsDesignMenus || menuBar()->actions().isEmpty()) {
        m_showsDesignMenus = design;
        SetMenuBarMenus(design ? m_designMenus : m_mainMenus);
    }
    UpdateCaption();
    UpdateWindowMenu();
}

void CMainFrame::UpdateCaption() {
    QString caption = QString::fromLatin1(kCaption);
    if (QMdiSubWindow* window = m_mdiArea == nullptr ? nullptr : m_mdiArea->currentSubWindow())
        caption += QStringLiteral(" - ") + window->windowTitle();
    setWindowTitle(caption);
}

void CMainFrame::UpdateWindowMenu() {
    for (QAction* action : m_windowListActions) {
        m_windowMenu->removeAction(action);
        action->deleteLater();
    }
    m_windowListActions.clear();
    const QList<QMdiSubWindow*> windows = m_mdiArea->subWindowList();
    QList<QMdiSubWindow*> shown;
    for (QMdiSubWindow* window : windows) {
        if (!window->isHidden())
            shown << window;
    }
    if (shown.isEmpty())
        return;
    m_windowListActions << m_windowMenu->addSeparator();
    QMdiSubWindow* current = m_mdiArea->currentSubWindow();
    for (qsizetype i = 0; i < shown.size(); ++i) {
        QMdiSubWindow* window = shown[i];
        const QString number = QString::number(i + 1);
        // An '&' in a title is doubled so it shows instead of marking a mnemonic.
        QString title = window->windowTitle();
        title.replace(QLatin1Char('&'), QLatin1String("&&"));
        const QString label =
            (i < 9 ? QStringLiteral("&") + number : number) + QLatin1Char(' ') + title;
        QAction* action = m_windowMenu->addAction(label);
        action->setCheckable(true);
        action->setChecked(window == current);
        action->setStatusTip(QStringLiteral("Activate this window"));
        QPointer<QMdiSubWindow> target(window);
        connect(action, &QAction::triggered, this, [this, target] {
            if (target)
                m_mdiArea->setActiveSubWindow(target);
        });
        m_windowListActions << action;
    }
}

void CMainFrame::SetRecentFiles(const QStringList& labels) {
    for (size_t i = 0; i < std::size(kRecent); ++i) {
        QAction* action = m_actions[kRecent[i]];
        const bool used = static_cast<qsizetype>(i) < labels.size();
        action->setText(used ? labels[static_cast<qsizetype>(i)] : QString());
        action->setVisible(used);
    }
    m_recentPlaceholder->setVisible(labels.isEmpty());
}

void CMainFrame::UpdateLockPanes() {
    const std::optional<KeyboardLocks> locks = KeyboardLocks::Query();
    const std::array<bool, 3> on = {locks.has_value() && locks->caps,
                                    locks.has_value() && locks->num,
                                    locks.has_value() && locks->scroll};
    for (size_t i = 0; i < m_lockPanes.size(); ++i) {
        m_lockPanes[i]->setVisible(locks.has_value());
        m_lockPanes[i]->setText(on[i] ? m_lockPanes[i]->objectName() : QString());
    }
}

void CMainFrame::OnHelpIndex() {
    const QString manual = HelpLocation();
    if (manual.isEmpty() || !QDesktopServices::openUrl(QUrl::fromLocalFile(manual)))
        ShowMessage(this, QStringLiteral("Failed to launch help."));
}

void CMainFrame::FitIntoArea(QMdiSubWindow* window) {
    const QRect area = m_mdiArea->viewport()->rect();
    QRect geometry = window->geometry();
    const QSize room(area.right() + 1 - geometry.left(), area.bottom() + 1 - geometry.top());
    geometry.setSize(geometry.size().boundedTo(room).expandedTo(window->minimumSize()));
    window->setGeometry(geometry);
}

void CMainFrame::OnCascade() {
    // Each window at its own size, as far as the area has room for it.
    m_mdiArea->cascadeSubWindows();
    for (QMdiSubWindow* window : m_mdiArea->subWindowList()) {
        if (!window->isHidden() && !window->isMinimized())
            FitIntoArea(window);
    }
}

void CMainFrame::OnTileHorizontally() {
    // One window above the other, each the full width of the area.
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* window : m_mdiArea->subWindowList()) {
        if (!window->isHidden() && !window->isMinimized())
            windows << window;
    }
    if (windows.isEmpty())
        return;
    const QRect area = m_mdiArea->viewport()->rect();
    const int count = static_cast<int>(windows.size());
    for (int i = 0; i < count; ++i) {
        QMdiSubWindow* window = windows[i];
        window->showNormal();
        const int top = area.height() * i / count;
        const int bottom = area.height() * (i + 1) / count;
        window->setGeometry(0, top, area.width(), bottom - top);
    }
}

void CMainFrame::OnArrangeIcons() {
    // Minimised windows in a row along the bottom edge.
    const QRect area = m_mdiArea->viewport()->rect();
    int x = 0;
    for (QMdiSubWindow* window : m_mdiArea->subWindowList()) {
        if (window->isHidden() || !window->isMinimized())
            continue;
        const QSize size = window->size();
        if (x > 0 && x + size.width() > area.width())
            x = 0;
        window->move(x, area.height() - size.height());
        x += size.width();
    }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    event->accept();
    emit closeRequested(event);
    if (!event->isAccepted())
        return;
    QMainWindow::closeEvent(event);
}

bool CMainFrame::HandleDrop(QEvent* event) {
    auto* drop = static_cast<QDropEvent*>(event);
    const QByteArrayList files = LocalFiles(drop->mimeData());
    if (files.isEmpty())
        return false;
    drop->acceptProposedAction();
    if (event->type() == QEvent::Drop) {
        activateWindow();
        for (const QByteArray& file : files) {
            emit fileDropped(file);
        }
    }
    return true;
}

void CMainFrame::FrameFloatingToolBar() {
    // Qt floats a toolbar as a bare strip; while it is dragged it must stay one.
    if (!m_toolBar->isFloating() || QGuiApplication::mouseButtons() != Qt::NoButton)
        return;
    if (!m_toolBar->windowFlags().testFlag(Qt::FramelessWindowHint))
        return;
    const Qt::WindowFlags framed =
        Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
    const QPoint at = m_toolBar->pos();
    const bool shown = m_toolBar->isVisible();
    m_toolBar->setWindowFlags(framed);
    m_toolBar->move(at);
    m_toolBar->setVisible(shown);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_toolBar &&
        (event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::Show)) {
        // After Qt's own handling of the event, which may float the bar.
        QMetaObject::invokeMethod(this, &CMainFrame::FrameFloatingToolBar, Qt::QueuedConnection);
    }
    if (HandleEditKey(watched, event))
        return true;
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: {
        // Files dropped anywhere on the window open, even over a line edit
        // that would otherwise take the path as text.
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget != nullptr && widget->window() == this)
            return HandleDrop(event);
        break;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseMove:
    case QEvent::Enter:
    case QEvent::ApplicationActivate:
        // The lock keys may change in any program; look again whenever the
        // user does something here, at most ten times a second.
        if (IsLockKey(event) || !m_lockCheck.isValid() || m_lockCheck.elapsed() >= 100) {
            m_lockCheck.start();
            UpdateLockPanes();
        }
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace orvane
