// SPDX-License-Identifier: GPL-3.0-or-later
// Single instance: a second process hands its file to the first, a socket left
// by a crashed program is taken over, and bad clients cannot fool the listener.
// This binary plays the second process when started with "--client APP HEX",
// HEX being the path's bytes in hexadecimal (a QProcess argument could not
// carry bytes that are no UTF-8).
#include "app/SingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QtTest>

#include <cstring>
#include <unistd.h>

using namespace orvane;

namespace {
QByteArray Message(const QByteArray& path) {
    char length[4];
    qToBigEndian<quint32>(static_cast<quint32>(path.size()), length);
    return QByteArrayLiteral("ORV1") + QByteArray(length, 4) + path;
}
} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT
private slots:
    void init() {
        m_app = QStringLiteral("orvane-test-%1-%2")
                    .arg(QCoreApplication::applicationPid())
                    .arg(++m_run);
        QLocalServer::removeServer(SingleInstance::ServerName(m_app));
    }
    void cleanup() { QLocalServer::removeServer(SingleInstance::ServerName(m_app)); }

    // A socket left by a crashed program is taken over; the path keeps its
    // bytes, UTF-8 or not, and is made absolute against the sender's folder.
    void handOverBetweenTwoProcesses() {
        QCOMPARE(RunClient("/tmp/a.spk", QDir::tempPath()), 1); // nobody to hand over to
        const QString name = SingleInstance::ServerName(m_app);
        QLocalServer dead;
        QVERIFY(dead.listen(name + "-dead") && QFile::rename(dead.fullServerName(), name));
        dead.close();
        SingleInstance first(m_app);
        QVERIFY(first.Listen());
        QVERIFY(!SingleInstance(m_app).Listen()); // a second one stands back
        QSignalSpy spy(&first, &SingleInstance::fileRequested);
        QTemporaryDir tmp;
        QCOMPARE(RunClient("designs/woofer box-\xff\xfe.spk", tmp.path()), 0);
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toByteArray(),
                 QFile::encodeName(tmp.path()) + "/designs/woofer box-\xff\xfe.spk");
        // Idle local connections, however many, never lock out a real start.
        std::vector<std::unique_ptr<QLocalSocket>> idle;
        for (int i = 0; i < 2 * SingleInstance::kMaxClients; ++i) {
            idle.push_back(std::make_unique<QLocalSocket>());
            idle.back()->connectToServer(name);
            QVERIFY(idle.back()->waitForConnected(2000));
        }
        QTest::qWait(50); // the listener takes them all in
        QCOMPARE(RunClient("/d/after-idle.spk", QDir::tempPath()), 0);
        QTRY_COMPARE(spy.count(), 2);
    }

    void badClientsAreDropped_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("wrong magic") << QByteArray("GET / HTTP/1.0\r\n\r\n");
        QTest::newRow("length too large") << QByteArray("ORV1\x7f\xff\xff\xff", 8);
        QTest::newRow("relative path") << Message("relative.spk");
        QTest::newRow("NUL in path") << Message(QByteArray("/d/a\0b.spk", 10));
        QTest::newRow("trailing bytes") << Message("/d/a.spk") + "extra";
        QTest::newRow("empty path") << Message("");
    }
    void badClientsAreDropped() {
        QFETCH(QByteArray, bytes);
        SingleInstance server(m_app);
        QVERIFY(server.Listen());
        QSignalSpy spy(&server, &SingleInstance::fileRequested);
        QLocalSocket client;
        client.connectToServer(SingleInstance::ServerName(m_app));
        QVERIFY(client.waitForConnected(2000));
        client.write(bytes);
        client.flush();
        QTRY_COMPARE(client.state(), QLocalSocket::UnconnectedState);
        QCOMPARE(client.readAll(), QByteArray());
        QTest::qWait(20);
        QCOMPARE(spy.count(), 0);
    }

private:
    // Runs this binary as the second program, turning our event loop so the
    // listener can answer.
    int RunClient(const QByteArray& path, const QString& workingDir) {
        QProcess client;
        client.setWorkingDirectory(workingDir);
        client.start(QCoreApplication::applicationFilePath(),
                     {"--client", m_app, QString::fromLatin1(path.toHex())});
        if (!client.waitForStarted(10000))
            return -1;
        QDeadlineTimer deadline(60000);
        while (client.state() != QProcess::NotRunning && !deadline.hasExpired())
            QTest::qWait(10);
        return client.state() == QProcess::NotRunning ? client.exitCode() : -2;
    }

    QString m_app;
    int m_run = 0;
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 4 && std::strcmp(argv[1], "--client") == 0)
        return SingleInstance::SendToRunning(QByteArray::fromHex(argv[3]),
                                             QString::fromLocal8Bit(argv[2]))
                   ? 0
                   : 1;
    TestSingleInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_app_singleinstance.moc"
