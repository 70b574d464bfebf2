#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <functional>
#include <vector>

// Addresses carry a 16-bit signed port, so test servers listen below 32768
// rather than on the system's ephemeral ports. Returns false when no port was
// free after a bounded number of tries.
inline bool ListenLowPort(QTcpServer& server)
{
    const QHostAddress loopback(QStringLiteral("127.0.0.1"));
    for (int attempt = 0; attempt < 200; ++attempt) {
        const auto port = static_cast<quint16>(20000 + QRandomGenerator::global()->bounded(12000));
        if (server.listen(loopback, port))
            return true;
    }
    return false;
}

// What the test server does with one request.
struct ScriptedReply {
    std::vector<QByteArray> pieces; // written one after another, a pause between
    bool closeAfter = true;         // close once everything is written
    bool silent = false;            // accept, read, never answer
};

// A loopback HTTP server for the tests: records every request it reads and
// answers it with the reply the handler picks for it.
class ScriptedServer : public QObject {
public:
    explicit ScriptedServer(std::function<ScriptedReply(const QByteArray& request)> handler, int gapMs = 30)
        : m_handler(std::move(handler)), m_gapMs(gapMs)
    {
        ListenLowPort(m_server);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = m_server.nextPendingConnection()) {
                ++connections;
                auto* buffer = new QByteArray;
                connect(s, &QObject::destroyed, [buffer] { delete buffer; });
                connect(s, &QTcpSocket::readyRead, this, [this, s, buffer] {
                    *buffer += s->readAll();
                    const qsizetype end = buffer->indexOf("\r\n\r\n");
                    if (end < 0)
                        return;
                    const QByteArray request = buffer->left(end + 4);
                    buffer->remove(0, end + 4);
                    requests.append(request);
                    const ScriptedReply reply = m_handler(request);
                    if (!reply.silent)
                        send(s, reply, 0);
                });
                connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            }
        });
    }

    int port() const { return m_server.serverPort(); }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(port()); }

    QList<QByteArray> requests;
    int connections = 0;

private:
    // Writes piece `index`, then the next one after a pause; closes after the last.
    void send(QTcpSocket* s, const ScriptedReply& reply, size_t index)
    {
        if (index >= reply.pieces.size()) {
            if (reply.closeAfter)
                s->disconnectFromHost();
            return;
        }
        s->write(reply.pieces[index]);
        s->flush();
        QPointer<QTcpSocket> guard(s);
        QTimer::singleShot(m_gapMs, this, [this, guard, reply, index] {
            if (guard)
                send(guard, reply, index + 1);
        });
    }

    QTcpServer m_server;
    std::function<ScriptedReply(const QByteArray&)> m_handler;
    int m_gapMs;
};
