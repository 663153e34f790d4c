// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/CommandRouter.h"

#include <QAction>

namespace orvane {

CommandRouter::CommandRouter(QObject* parent) : QObject(parent) {}

void CommandRouter::AddCommand(int id, QAction* action) {
    m_actions[id] = action;
    connect(action, &QAction::triggered, this, [this, id] { Route(id); });
    action->setEnabled(IsHandled(id));
}

QAction* CommandRouter::Action(int id) const {
    auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

void CommandRouter::SetHandlers(Level level, Table table) {
    m_levels[static_cast<size_t>(level)] = std::move(table);
    UpdateEnabled();
}

bool CommandRouter::IsHandled(int id) const {
    for (const Table& table : m_levels) {
        if (table.count(id) != 0)
            return true;
    }
    return false;
}

bool CommandRouter::Route(int id) {
    for (const Table& table : m_levels) {
        auto it = table.find(id);
        if (it != table.end()) {
            // Copy first: the handler may replace this very table (closing the
            // window whose commands it belongs to).
            Handler handler = it->second;
            if (handler)
                handler();
            return true;
        }
    }
    return false;
}

void CommandRouter::UpdateEnabled() {
    for (auto& [id, action] : m_actions)
        action->setEnabled(IsHandled(id));
}

} // namespace orvane
