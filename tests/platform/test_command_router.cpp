// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/CommandRouter.h"

#include <QAction>
#include <QtTest>

using namespace orvane;

using Level = CommandRouter::Level;

class TestCommandRouter : public QObject {
    Q_OBJECT
private slots:
    // The innermost level with a handler runs; a command nobody handles is
    // disabled and runs nothing. Closing a design window from its own command
    // clears the table that holds the running handler.
    void routeAndEnabling() {
        CommandRouter router;
        QAction action, other;
        router.AddCommand(7, &action);
        router.AddCommand(8, &other);
        QVERIFY(!action.isEnabled());
        QStringList calls;
        router.SetHandlers(Level::Application, {{7, [&] { calls << "app"; }}});
        QVERIFY(action.isEnabled() && !other.isEnabled());
        action.trigger();
        router.SetHandlers(Level::View,
                           {{7, [&] { calls << "view"; }}, {8, [&] {
                                                                router.ClearHandlers(Level::View);
                                                                calls << "close";
                                                            }}});
        action.trigger();
        other.trigger();
        action.trigger();
        router.ClearHandlers(Level::Application);
        action.trigger();
        QVERIFY(!action.isEnabled() && !other.isEnabled());
        QCOMPARE(calls, QStringList({"app", "view", "close", "app"}));
    }
};

QTEST_MAIN(TestCommandRouter)
#include "test_command_router.moc"
