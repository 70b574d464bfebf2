#include "platform/eventsocket.h"

#include <QHash>
#include <QHostAddress>
#include <QPointer>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

#include <sys/ioctl.h>
#include <sys/socket.h>

namespace {

// Connections offered through ConnectionRequest and not yet accepted.
QHash<int, QPointer<QTcpSocket>>& pendingRequests()
{
    static QHash<int, QPointer<QTcpSocket>> pending;
    return pending;
}

int nextRequestId()
{
    static int id = 0;
    id = (id % 1000000000) + 1;
    return id;
}

}  // namespace

EventSocket::EventSocket(QObject* parent) : QObject(parent) {}

EventSocket::~EventSocket()
{
    Close();
}

void EventSocket::dropSocket()
{
    if (!m_socket)
        return;
    QTcpSocket* s = m_socket;
    m_socket = nullptr;
    if (m_inArrival == s)
        m_inArrival = nullptr;
    s->disconnect(this);
    s->abort();
    s->deleteLater();
}

void EventSocket::Close()
{
    dropSocket();
    if (m_server) {
        m_server->disconnect(this);
        m_server->close();
        m_server->deleteLater();
        m_server = nullptr;
    }
    m_state = sckClosed;
}

void EventSocket::adopt(QTcpSocket* s, bool secure)
{
    m_socket = s;
    m_secure = secure;
    m_tlsProblem.clear();
    s->setParent(this);
    s->setReadBufferSize(m_readLimit);
    m_arrivalQueued = false;
    if (secure) {
        // A TLS socket signals readyRead for every few kilobytes it decrypts
        // (4 KiB with OpenSSL), one after another while it works through what
        // the system has: one DataArrival from the event loop then hands over
        // all of it, instead of one per piece.
        connect(s, &QTcpSocket::readyRead, this, [this, s] {
            if (s != m_socket || m_arrivalQueued)
                return;
            m_arrivalQueued = true;
            QPointer<QTcpSocket> guard = s;
            QMetaObject::invokeMethod(this, [this, guard] {
                if (!guard || guard != m_socket || !m_arrivalQueued)
                    return;
                m_arrivalQueued = false;
                raiseDataArrival(guard);
            }, Qt::QueuedConnection);
        });
    } else {
        connect(s, &QTcpSocket::readyRead, this, [this, s] { raiseDataArrival(s); });
    }
    // The threshold holds back the stream, never the handshake: a TLS
    // connection gets it once encrypted.
    auto holdBack = [this, s] {
        if (s == m_socket)
            applyWakeThreshold(m_wakeThreshold);
    };
    if (auto* ssl = qobject_cast<QSslSocket*>(s); ssl && secure)
        connect(ssl, &QSslSocket::encrypted, this, holdBack);
    else
        connect(s, &QAbstractSocket::connected, this, holdBack);
    auto ready = [this, s] {
        if (s != m_socket)
            return;
        m_state = sckConnected;
        emit Connected();
    };
    if (auto* ssl = qobject_cast<QSslSocket*>(s); ssl && secure) {
        connect(ssl, &QSslSocket::encrypted, this, ready);
        connect(ssl, &QSslSocket::sslErrors, this, [this, s](const QList<QSslError>& errors) {
            if (s != m_socket)
                return;
            QStringList reasons;
            for (const QSslError& e : errors)
                reasons.append(e.errorString());
            m_tlsProblem = reasons.join(QStringLiteral("; "));
        });
    } else {
        connect(s, &QTcpSocket::connected, this, ready);
    }
    connect(s, &QTcpSocket::stateChanged, this, [this, s](QAbstractSocket::SocketState st) {
        if (s != m_socket || m_state == sckError)
            return;
        switch (st) {
        case QAbstractSocket::HostLookupState: m_state = sckResolvingHost; break;
        case QAbstractSocket::ConnectingState: m_state = sckConnecting; break;
        case QAbstractSocket::ConnectedState:
            // A secure connection is open once its handshake is done.
            m_state = m_secure && m_state != sckConnected ? sckConnecting : sckConnected;
            break;
        default: break;
        }
    });
    connect(s, &QTcpSocket::disconnected, this, [this, s] {
        if (s != m_socket)
            return;
        deliverQueuedArrival(s);
        if (s != m_socket)
            return;
        if (m_state != sckError)
            m_state = sckClosing;
        emit Closed();
    });
    connect(s, &QTcpSocket::errorOccurred, this, [this, s](QAbstractSocket::SocketError err) {
        if (s != m_socket)
            return;
        if (err == QAbstractSocket::RemoteHostClosedError) {
            // An orderly close by the peer is not a failure of the socket.
            if (m_state != sckError)
                m_state = sckClosing;
            return;
        }
        deliverQueuedArrival(s);
        if (s != m_socket)
            return;
        m_state = sckError;
        QString why = s->errorString();
        if (m_secure && !m_tlsProblem.isEmpty())
            why = tr("The certificate of %1 does not verify: %2").arg(m_remoteHost, m_tlsProblem);
        else if (m_secure && err == QAbstractSocket::SslHandshakeFailedError)
            why = tr("No secure connection to %1: %2").arg(m_remoteHost, why);
        emit Error(static_cast<int>(err), why);
    });
}

// Data whose DataArrival is still queued goes to the handler before the
// socket reports its end, as it does on a plain socket.
void EventSocket::deliverQueuedArrival(QTcpSocket* s)
{
    if (!m_arrivalQueued || s == m_inArrival)
        return;
    m_arrivalQueued = false;
    raiseDataArrival(s);
}

void EventSocket::raiseDataArrival(QTcpSocket* s)
{
    // Inside this socket's handler, which runs events: what arrives meanwhile
    // raises the next event once the handler has returned (below).
    if (s != m_socket || s == m_inArrival)
        return;
    if (m_wakeLowered)
        applyWakeThreshold(m_wakeThreshold);
    const qint64 waiting = s->bytesAvailable();
    if (waiting <= 0)
        return;
    const qint64 readBefore = m_bytesRead;
    QPointer<QTcpSocket> guard = s;
    QPointer<EventSocket> self(this);
    m_inArrival = s;
    emit DataArrival(waiting);
    if (!self)
        return;
    m_inArrival = nullptr;
    if (!guard || guard != m_socket)
        return;
    // The socket does not signal data that came while the handler ran
    // events (a modal message box); raise the next event for it here.
    const qint64 arrived = (m_bytesRead - readBefore) + guard->bytesAvailable() - waiting;
    if (arrived > 0 && guard->bytesAvailable() > 0)
        QMetaObject::invokeMethod(this, [this, guard] { if (guard) raiseDataArrival(guard); }, Qt::QueuedConnection);
}

void EventSocket::RaiseDataArrival()
{
    QPointer<QTcpSocket> guard = m_socket;
    if (!guard)
        return;
    QMetaObject::invokeMethod(this, [this, guard] { if (guard) raiseDataArrival(guard); }, Qt::QueuedConnection);
}

void EventSocket::Connect(const QString& remoteHost, int remotePort, bool secure)
{
    Close();
    m_remoteHost = remoteHost;
    QTcpSocket* s = nullptr;
    if (secure) {
        auto* ssl = new QSslSocket(this);
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setPeerVerifyMode(QSslSocket::VerifyPeer);
        const QString caFile = qEnvironmentVariable("TONQUILL_CA_FILE");
        if (!caFile.isEmpty())
            tls.addCaCertificates(caFile);
        ssl->setSslConfiguration(tls);
        ssl->setPeerVerifyName(remoteHost);
        s = ssl;
    } else {
        s = new QTcpSocket(this);
    }
    adopt(s, secure);
    m_state = sckResolvingHost;
    if (remotePort < 1 || remotePort > 65535) {
        m_state = sckError;
        const QString why = tr("Invalid port %1").arg(remotePort);
        QMetaObject::invokeMethod(this, [this, s, why] {
            if (s == m_socket)
                emit Error(QAbstractSocket::UnknownSocketError, why);
        }, Qt::QueuedConnection);
        return;
    }
    if (auto* ssl = qobject_cast<QSslSocket*>(s); ssl && secure)
        ssl->connectToHostEncrypted(remoteHost, static_cast<quint16>(remotePort));
    else
        s->connectToHost(remoteHost, static_cast<quint16>(remotePort));
}

int EventSocket::State() const
{
    return m_state;
}

void EventSocket::SendData(const QByteArray& data)
{
    if (!m_socket || m_state != sckConnected) {
        const QString why = tr("The socket is not connected");
        QMetaObject::invokeMethod(this, [this, why] { emit Error(QAbstractSocket::UnknownSocketError, why); },
                                  Qt::QueuedConnection);
        return;
    }
    m_socket->write(data);
}

void EventSocket::GetData(QByteArray& into)
{
    const qint64 available = m_socket ? m_socket->bytesAvailable() : 0;
    if (available <= 0) {
        into.resize(0);
        return;
    }
    into.resize(available);  // keeps the capacity it already has
    const qint64 got = m_socket->read(into.data(), available);
    into.resize(got > 0 ? got : 0);
    if (got > 0)
        m_bytesRead += got;
}

QByteArray EventSocket::GetData()
{
    QByteArray data;
    GetData(data);
    return data;
}

qint64 EventSocket::BytesReceived() const
{
    return m_socket ? m_socket->bytesAvailable() : 0;
}

qint64 EventSocket::BytesToWrite() const
{
    return m_socket ? m_socket->bytesToWrite() : 0;
}

bool EventSocket::Listen(const QString& bindAddress)
{
    Close();
    m_server = new QTcpServer(this);
    connect(m_server, &QTcpServer::newConnection, this, &EventSocket::onNewConnection);
    const QHostAddress address = bindAddress.isEmpty() ? QHostAddress(QHostAddress::Any) : QHostAddress(bindAddress);
    if (!m_server->listen(address, static_cast<quint16>(m_localPort))) {
        const QString why = m_server->errorString();
        const int number = static_cast<int>(m_server->serverError());
        m_server->deleteLater();
        m_server = nullptr;
        m_state = sckError;
        QMetaObject::invokeMethod(this, [this, number, why] { emit Error(number, why); }, Qt::QueuedConnection);
        return false;
    }
    if (m_localPort == 0)
        m_localPort = m_server->serverPort();
    m_state = sckListening;
    return true;
}

void EventSocket::onNewConnection()
{
    while (m_server && m_server->hasPendingConnections()) {
        QTcpSocket* s = m_server->nextPendingConnection();
        if (!s)
            break;
        const int id = nextRequestId();
        QHostAddress peer = s->peerAddress();
        bool ok = false;
        const QHostAddress v4(peer.toIPv4Address(&ok));
        m_pendingPeer = ok ? v4.toString() : peer.toString();
        pendingRequests().insert(id, s);
        QPointer<EventSocket> self(this);
        emit ConnectionRequest(id);
        // Not taken during the event: refuse it.
        if (pendingRequests().contains(id)) {
            QPointer<QTcpSocket> left = pendingRequests().take(id);
            if (left) {
                left->abort();
                left->deleteLater();
            }
        }
        if (!self)
            return;
        m_pendingPeer.clear();
    }
}

QString EventSocket::RemoteHostIP() const
{
    if (!m_pendingPeer.isEmpty())
        return m_pendingPeer;
    if (m_socket) {
        bool ok = false;
        const QHostAddress v4(m_socket->peerAddress().toIPv4Address(&ok));
        return ok ? v4.toString() : m_socket->peerAddress().toString();
    }
    return QString();
}

void EventSocket::Accept(int requestID)
{
    QPointer<QTcpSocket> s = pendingRequests().take(requestID);
    if (!s) {
        QMetaObject::invokeMethod(
            this, [this] { emit Error(QAbstractSocket::UnknownSocketError, tr("No such connection request")); },
            Qt::QueuedConnection);
        return;
    }
    // Accepting on a listening socket replaces the listener with the connection;
    // the socket is reparented below before the server's deferred deletion.
    dropSocket();
    if (m_server) {
        m_server->disconnect(this);
        m_server->close();
        m_server->deleteLater();
        m_server = nullptr;
    }
    adopt(s.data());
    m_state = sckConnected;
    if (s->bytesAvailable() > 0) {
        QPointer<QTcpSocket> guard = s;
        QMetaObject::invokeMethod(this, [this, guard] {
            if (guard && guard == m_socket && guard->bytesAvailable() > 0)
                emit DataArrival(guard->bytesAvailable());
        }, Qt::QueuedConnection);
    }
}

void EventSocket::applyWakeThreshold(int bytes)
{
    m_wakeLowered = false;
    if (!m_socket || m_socket->socketDescriptor() < 0)
        return;
    const int lowWater = qMax(1, bytes);
    ::setsockopt(static_cast<int>(m_socket->socketDescriptor()), SOL_SOCKET, SO_RCVLOWAT, &lowWater, sizeof lowWater);
}

void EventSocket::setWakeThreshold(int bytes)
{
    m_wakeThreshold = qMax(0, bytes);
    applyWakeThreshold(m_wakeThreshold);
}

void EventSocket::WakeForWaitingData()
{
    if (m_wakeThreshold <= 1 || !m_socket || m_socket->socketDescriptor() < 0)
        return;
    int waiting = 0;
    if (::ioctl(static_cast<int>(m_socket->socketDescriptor()), FIONREAD, &waiting) < 0 || waiting <= 0) {
        if (m_wakeLowered)
            applyWakeThreshold(m_wakeThreshold);
        return;
    }
    // Any byte now makes the socket readable: the event loop fetches it at
    // its next turn, and the threshold is back when it has.
    applyWakeThreshold(1);
    m_wakeLowered = true;
}
