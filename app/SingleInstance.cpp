// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace orvane {

namespace {

const QByteArray kMagic = QByteArrayLiteral("ORV1");
const QByteArray kAck = QByteArrayLiteral("OK");
constexpr int kHeaderSize = 8;
constexpr char kBufferProperty[] = "orvaneBuffer";

// The runtime folder is the right home for the socket, but only when it is a
// real folder that belongs to us and nobody else may enter.
QString RuntimeDir() {
    const QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty() || !QDir::isAbsolutePath(dir))
        return QString();
    const QFileInfo info(dir);
    if (!info.isDir() || info.isSymLink() || info.ownerId() != ::geteuid())
        return QString();
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                            QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                            QFileDevice::WriteOther | QFileDevice::ExeOther;
    if (info.permissions() & others)
        return QString();
    return QDir::cleanPath(dir);
}

// The current folder as the file system's bytes.
QByteArray CurrentFolder() {
    QByteArray buffer(4096, '\0');
    while (::getcwd(buffer.data(), static_cast<std::size_t>(buffer.size())) == nullptr) {
        if (errno != ERANGE || buffer.size() > 1024 * 1024)
            return QByteArray();
        buffer.resize(buffer.size() * 2);
    }
    return QByteArray(buffer.constData());
}

// A socket file in a shared folder could have been made by someone else.
bool OwnedByUs(const QString& name) {
    const QFileInfo info(name);
    return !info.exists() || info.ownerId() == ::geteuid();
}

} // namespace

SingleInstance::SingleInstance(const QString& appName, QObject* parent)
    : QObject(parent), m_name(ServerName(appName)), m_server(new QLocalServer(this)) {
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    m_server->setMaxPendingConnections(kMaxClients);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::OnNewConnection);
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::ServerName(const QString& appName) {
    const QString base = QStringLiteral("%1-%2").arg(appName).arg(::geteuid());
    const QString runtime = RuntimeDir();
    const QString dir = runtime.isEmpty() ? QDir::tempPath() : runtime;
    return dir + QLatin1Char('/') + base;
}

bool SingleInstance::SendToRunning(const QByteArray& path, const QString& appName) {
    if (path.isEmpty() || path.contains('\0'))
        return false;
    const QByteArray bytes = path.startsWith('/') ? path : CurrentFolder() + '/' + path;
    if (bytes.size() > kMaxPathBytes)
        return false;
    const QString name = ServerName(appName);
    if (!OwnedByUs(name))
        return false;

    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return false;
    // Connected: a program is there. It answers once its event loop runs
    // again; a connection that ends says it is gone.
    QDeadlineTimer deadline(kAnswerTimeoutMs);

    QByteArray message = kMagic;
    char length[4];
    qToBigEndian<quint32>(static_cast<quint32>(bytes.size()), length);
    message.append(length, 4);
    message.append(bytes);
    socket.write(message);
    while (socket.bytesToWrite() > 0) {
        if (deadline.hasExpired() ||
            !socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime())))
            return false;
    }
    QByteArray answer;
    while (answer.size() < kAck.size()) {
        if (socket.bytesAvailable() == 0 &&
            (deadline.hasExpired() ||
             !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))))
            break;
        answer += socket.read(kAck.size() - answer.size());
    }
    socket.abort();
    return answer == kAck;
}

bool SingleInstance::Listen() {
    if (m_server->isListening())
        return true;
    if (!OwnedByUs(m_name))
        return false;
    // Ask first: with restricted access the server's socket is made aside and
    // renamed into place, which would silently replace a live program's.
    // Only a live program answers; a file nobody answers on was left by one
    // that crashed and is removed.
    {
        QLocalSocket probe;
        probe.connectToServer(m_name);
        if (probe.waitForConnected(1000)) {
            probe.abort();
            return false;
        }
    }
    QLocalServer::removeServer(m_name);
    return m_server->listen(m_name);
}

bool SingleInstance::IsListening() const {
    return m_server->isListening();
}

void SingleInstance::OnNewConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        // Room for the newcomer: the client waiting longest goes. A real
        // client sends its message at once, so only idle ones wait long.
        std::erase_if(m_clients, [](const QPointer<QLocalSocket>& c) { return c.isNull(); });
        while (m_clients.size() >= static_cast<std::size_t>(kMaxClients)) {
            if (QLocalSocket* oldest = m_clients.front()) {
                oldest->abort();
                oldest->deleteLater();
            }
            m_clients.pop_front();
        }
        m_clients.emplace_back(socket);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnReadyRead(socket); });
        // A client that stalls is cut off; the timer dies with the socket.
        QTimer::singleShot(kClientTimeoutMs, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        if (socket->bytesAvailable() > 0)
            OnReadyRead(socket);
    }
}

void SingleInstance::OnReadyRead(QLocalSocket* socket) {
    QByteArray buffer = socket->property(kBufferProperty).toByteArray();
    const auto drop = [socket] {
        socket->abort();
        socket->deleteLater();
    };
    const auto messageSize = [&buffer] {
        return kHeaderSize + static_cast<qint64>(qFromBigEndian<quint32>(buffer.constData() + 4));
    };

    // Read only what the message can still need, never more.
    while (socket->bytesAvailable() > 0) {
        if (buffer.size() < kHeaderSize) {
            buffer += socket->read(kHeaderSize - buffer.size());
            if (buffer.size() < kHeaderSize)
                continue;
            const qint64 length = messageSize() - kHeaderSize;
            if (!buffer.startsWith(kMagic) || length == 0 || length > kMaxPathBytes)
                return drop();
            continue;
        }
        const qint64 missing = messageSize() - buffer.size();
        if (missing == 0)
            break;
        buffer += socket->read(missing);
    }
    if (buffer.size() < kHeaderSize || buffer.size() < messageSize()) {
        socket->setProperty(kBufferProperty, buffer);
        return;
    }
    // Anything after the message is a protocol error, as is a path that is
    // not absolute or holds a NUL.
    if (socket->bytesAvailable() > 0)
        return drop();
    const QByteArray path = buffer.mid(kHeaderSize);
    if (path.contains('\0') || !path.startsWith('/'))
        return drop();

    socket->setProperty(kBufferProperty, QVariant());
    socket->write(kAck);
    socket->flush();
    socket->disconnectFromServer();
    // Handed on from the event loop: whatever the receiver does (even a modal
    // message box) happens after the client has its answer.
    QTimer::singleShot(0, this, [this, path] { emit fileRequested(path); });
}

} // namespace orvane
