#include "platform/CommandRouter.h"

#include <QAction>
#include <QtTest>

class TestCommandRouter : public QObject {
    Q_OBJECT
private slots:
    void firstLevelAlongTheRouteRuns();
    void unhandledCommandsAreDisabled();
    void handlerMayReplaceItsOwnTable();
};

void TestCommandRouter::firstLevelAlongTheRouteRuns() {
    CommandRouter router;
    QAction action;
    router.AddCommand(7, &action);
    QStringList calls;
    router.SetHandlers(CommandRouter::Level::Application, {{7, [&] { calls << "app"; }}});
    action.trigger();
    router.SetHandlers(CommandRouter::Level::Frame, {{7, [&] { calls << "frame"; }}});
    action.trigger();
    router.SetHandlers(CommandRouter::Level::View, {{7, [&] { calls << "view"; }}});
    action.trigger();
    router.ClearHandlers(CommandRouter::Level::View);
    action.trigger();
    QCOMPARE(calls, QStringList({"app", "frame", "view", "frame"}));
    QVERIFY(!router.Route(8));
}

void TestCommandRouter::unhandledCommandsAreDisabled() {
    CommandRouter router;
    QAction save, open;
    router.AddCommand(1, &save);
    router.AddCommand(2, &open);
    QVERIFY(!save.isEnabled());
    router.SetHandlers(CommandRouter::Level::Application, {{2, [] {}}});
    QVERIFY(!save.isEnabled());
    QVERIFY(open.isEnabled());
    router.SetHandlers(CommandRouter::Level::View, {{1, [] {}}});
    QVERIFY(save.isEnabled());
    router.ClearHandlers(CommandRouter::Level::View);
    QVERIFY(!save.isEnabled());
    int runs = 0;
    router.SetHandlers(CommandRouter::Level::View, {{1, [&] { ++runs; }}});
    router.ClearHandlers(CommandRouter::Level::View);
    save.trigger(); // a disabled action runs nothing
    QCOMPARE(runs, 0);
}

void TestCommandRouter::handlerMayReplaceItsOwnTable() {
    // Closing a design window from its own command clears the table that
    // holds the running handler.
    CommandRouter router;
    QAction close;
    router.AddCommand(3, &close);
    bool ran = false;
    router.SetHandlers(CommandRouter::Level::View,
                       {{3, [&] {
                             router.ClearHandlers(CommandRouter::Level::View);
                             ran = true;
                         }}});
    close.trigger();
    QVERIFY(ran);
    QVERIFY(!close.isEnabled());
}

QTEST_MAIN(TestCommandRouter)
#include "test_command_router.moc"
