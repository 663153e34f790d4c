// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include <deque>

class QLocalServer;
class QLocalSocket;

namespace orvane {

// One running program per user: the first start listens on a local socket;
// a later "orvane FILE" hands the file's absolute path to it and exits.
//
// The socket is named after the application name and the user id
// ("orvane-1000") and lives in $XDG_RUNTIME_DIR when that is usable (a folder
// only the user can enter), else in the system's temporary folder, where a
// socket that belongs to another user is never used.
//
// Message, client to server: "ORV1", the path's length in bytes as a 32-bit
// big-endian number (at most kMaxPathBytes), the path as the file system's
// bytes (any but NUL, UTF-8 or not). Answer: "OK". The server reads each
// client without blocking and apart from the others, drops a client that
// sends anything else, sends too much or takes longer than kClientTimeoutMs,
// and keeps at most kMaxClients: a new client pushes out the one waiting
// longest, so idle connections never lock a real one out. The GUI never
// waits for a client.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxPathBytes = 64 * 1024;
    static constexpr int kClientTimeoutMs = 5000;
    static constexpr int kMaxClients = 8;
    // How long a later start waits for a running program: to connect, and,
    // once connected, for its answer (it may be busy for a while: a long
    // drawing, a modal dialog opening).
    static constexpr int kConnectTimeoutMs = 3000;
    static constexpr int kAnswerTimeoutMs = 30000;

    explicit SingleInstance(const QString& appName = QStringLiteral("orvane"),
                            QObject* parent = nullptr);
    ~SingleInstance() override;

    // The socket's full name for appName and the current user.
    static QString ServerName(const QString& appName = QStringLiteral("orvane"));

    // Client side, used before the GUI starts: hands path (the file
    // system's bytes, made absolute here) to the running program. True only
    // when that program confirmed it received the path; false when none runs
    // (at once), none accepts within kConnectTimeoutMs, the connection ends
    // without an answer, no answer comes within kAnswerTimeoutMs, or the path
    // is too long.
    static bool SendToRunning(const QByteArray& path,
                              const QString& appName = QStringLiteral("orvane"));

    // Server side: starts listening. A socket left behind by a program that
    // crashed is removed and listening tried again. False when another live
    // program already listens (or the socket cannot be made); the caller then
    // simply goes on without receiving files.
    bool Listen();
    bool IsListening() const;

signals:
    // An absolute path (the file system's bytes) handed over by a later
    // start. Emitted from the event loop after the client has had its answer,
    // never from inside a read.
    void fileRequested(const QByteArray& path);

private:
    void OnNewConnection();
    void OnReadyRead(QLocalSocket* socket);

    QString m_name;
    QLocalServer* m_server;
    std::deque<QPointer<QLocalSocket>> m_clients; // oldest first
};

} // namespace orvane
