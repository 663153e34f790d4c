// Single instance: a second process hands its file to the first, a socket left
// by a crashed program is taken over, and bad or slow clients cannot stall or
// fool the listener. The test binary plays the second process itself when
// started with "--client APPNAME PATH".
#include "app/SingleInstance.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

QByteArray Message(const QByteArray& path) {
    char length[4];
    qToBigEndian<quint32>(static_cast<quint32>(path.size()), length);
    return QByteArrayLiteral("ORV1") + QByteArray(length, 4) + path;
}

// A socket file that nobody listens on, as a crashed program leaves it.
bool MakeStaleSocket(const QString& path) {
    const QByteArray bytes = path.toLocal8Bit();
    sockaddr_un addr{};
    if (bytes.size() >= static_cast<int>(sizeof addr.sun_path))
        return false;
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, bytes.constData(), bytes.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    const bool ok =
        ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 && ::listen(fd, 1) == 0;
    ::close(fd);
    return ok;
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

    void serverNameIsPerUser() {
        const QString name = SingleInstance::ServerName("orvane");
        QVERIFY(name.endsWith(QStringLiteral("/orvane-%1").arg(::geteuid())));
        QVERIFY(name.startsWith('/'));
    }

    void handOverBetweenTwoProcesses() {
        SingleInstance first(m_app);
        QVERIFY(first.Listen());
        QSignalSpy spy(&first, &SingleInstance::fileRequested);

        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());
        const int code = RunClient("designs/woofer box.spk", tmp.path());
        QCOMPARE(code, 0);
        QTRY_COMPARE(spy.count(), 1);
        // Made absolute against the second process's folder.
        QCOMPARE(spy.at(0).at(0).toString(), tmp.path() + "/designs/woofer box.spk");
    }

    void withoutARunningProgramTheClientGoesOn() {
        QCOMPARE(RunClient("/tmp/a.spk", QDir::tempPath()), 1);
        QVERIFY(!SingleInstance::SendToRunning("/tmp/a.spk", m_app, 500));
    }

    void secondListenerStandsBack() {
        SingleInstance first(m_app);
        QVERIFY(first.Listen());
        SingleInstance second(m_app);
        QVERIFY(!second.Listen());
        QVERIFY(first.IsListening());
        // The first one still works after the second one's probe.
        QSignalSpy spy(&first, &SingleInstance::fileRequested);
        QCOMPARE(RunClient("/d/x.spk", QDir::tempPath()), 0);
        QTRY_COMPARE(spy.count(), 1);
    }

    void staleSocketIsTakenOver() {
        const QString name = SingleInstance::ServerName(m_app);
        QVERIFY(MakeStaleSocket(name));
        QVERIFY(QFileInfo::exists(name));
        SingleInstance server(m_app);
        QVERIFY(server.Listen());
        QSignalSpy spy(&server, &SingleInstance::fileRequested);
        QCOMPARE(RunClient("/d/after-crash.spk", QDir::tempPath()), 0);
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toString(), QString("/d/after-crash.spk"));
    }

    void messageInPiecesIsAssembled() {
        SingleInstance server(m_app);
        QVERIFY(server.Listen());
        QSignalSpy spy(&server, &SingleInstance::fileRequested);
        QLocalSocket client;
        client.connectToServer(SingleInstance::ServerName(m_app));
        QVERIFY(client.waitForConnected(2000));
        const QByteArray message = Message("/d/slow.spk");
        for (const char c : message) {
            client.write(&c, 1);
            client.flush();
            QTest::qWait(2);
        }
        QTRY_COMPARE(spy.count(), 1);
        QTRY_VERIFY(client.bytesAvailable() >= 2 || client.state() != QLocalSocket::ConnectedState);
        QCOMPARE(client.readAll(), QByteArray("OK"));
        QCOMPARE(spy.at(0).at(0).toString(), QString("/d/slow.spk"));
    }

    void badClientsAreDropped_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("wrong magic") << QByteArray("GET / HTTP/1.0\r\n\r\n");
        QTest::newRow("length too large") << QByteArray("ORV1\x7f\xff\xff\xff", 8);
        QTest::newRow("zero length") << QByteArray("ORV1\0\0\0\0", 8);
        QTest::newRow("relative path") << Message("relative.spk");
        QTest::newRow("nul in path") << Message(QByteArray("/d/a\0b.spk", 10));
        QTest::newRow("invalid utf8") << Message("/d/\xff\xfe.spk");
        QTest::newRow("trailing bytes") << Message("/d/a.spk") + "extra";
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

    void stalledClientDoesNotBlockOthers() {
        SingleInstance server(m_app);
        QVERIFY(server.Listen());
        QSignalSpy spy(&server, &SingleInstance::fileRequested);
        // Sends half a header and then nothing.
        QLocalSocket stalled;
        stalled.connectToServer(SingleInstance::ServerName(m_app));
        QVERIFY(stalled.waitForConnected(2000));
        stalled.write("ORV1\0", 5);
        stalled.flush();
        QTest::qWait(50);
        // Another start is served at once all the same.
        QCOMPARE(RunClient("/d/meanwhile.spk", QDir::tempPath()), 0);
        QTRY_COMPARE(spy.count(), 1);
        // And the stalled one is cut off after the time limit.
        QTRY_COMPARE_WITH_TIMEOUT(stalled.state(), QLocalSocket::UnconnectedState,
                                  SingleInstance::kClientTimeoutMs + 3000);
        QCOMPARE(spy.count(), 1);
    }

    void tooManyClientsAtOnceAreRefused() {
        SingleInstance server(m_app);
        QVERIFY(server.Listen());
        std::vector<std::unique_ptr<QLocalSocket>> idle;
        for (int i = 0; i < SingleInstance::kMaxClients + 4; ++i) {
            idle.push_back(std::make_unique<QLocalSocket>());
            idle.back()->connectToServer(SingleInstance::ServerName(m_app));
            QVERIFY(idle.back()->waitForConnected(2000));
        }
        QTRY_VERIFY(std::count_if(idle.begin(), idle.end(), [](const auto& s) {
                        return s->state() == QLocalSocket::UnconnectedState;
                    }) >= 4);
    }

    void overlongPathIsNotSent() {
        SingleInstance server(m_app);
        QVERIFY(server.Listen());
        const QString longPath = "/" + QString(SingleInstance::kMaxPathBytes + 1, 'a');
        QVERIFY(!SingleInstance::SendToRunning(longPath, m_app, 1000));
        QVERIFY(!SingleInstance::SendToRunning(QString(), m_app, 1000));
    }

private:
    // Runs this binary as the second program; keeps our event loop turning
    // so the listener can answer.
    int RunClient(const QString& path, const QString& workingDir) {
        QProcess client;
        client.setWorkingDirectory(workingDir);
        client.start(QCoreApplication::applicationFilePath(), {"--client", m_app, path});
        if (!client.waitForStarted(10000))
            return -1;
        QDeadlineTimer deadline(20000);
        while (client.state() != QProcess::NotRunning && !deadline.hasExpired())
            QTest::qWait(10);
        return client.state() == QProcess::NotRunning ? client.exitCode() : -2;
    }

    QString m_app;
    int m_run = 0;
};

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--client") == 0) {
        QCoreApplication app(argc, argv);
        return SingleInstance::SendToRunning(QString::fromLocal8Bit(argv[3]),
                                             QString::fromLocal8Bit(argv[2]), 5000)
                   ? 0
                   : 1;
    }
    QCoreApplication app(argc, argv);
    TestSingleInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_app_singleinstance.moc"
