// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <array>
#include <functional>
#include <map>

class QAction;

namespace orvane {

// Sends each command to the first handler along the route: the active design
// window, then the main window, then the application. A command that no one
// along the route handles has its action disabled, so its menu entry and
// toolbar button grey out by themselves.
class CommandRouter : public QObject {
    Q_OBJECT
public:
    enum class Level { View, Frame, Application };
    using Handler = std::function<void()>;
    using Table = std::map<int, Handler>;

    explicit CommandRouter(QObject* parent = nullptr);

    // The action that carries command `id`; triggering it routes the command.
    void AddCommand(int id, QAction* action);
    QAction* Action(int id) const;

    // Replaces the handlers of one level of the route and refreshes enabling.
    void SetHandlers(Level level, Table table);
    void ClearHandlers(Level level) { SetHandlers(level, {}); }

    bool IsHandled(int id) const;
    // Runs the command at the first level that handles it; false when none does.
    bool Route(int id);

    // Enables exactly the actions whose command someone along the route handles.
    void UpdateEnabled();

private:
    std::map<int, QAction*> m_actions;
    std::array<Table, 3> m_levels;
};

} // namespace orvane
