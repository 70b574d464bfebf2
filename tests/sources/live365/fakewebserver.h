#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTcpServer>

class QTcpSocket;

// A web server on 127.0.0.1 that answers GET requests with scripted pages.
// Each route is a path prefix with a list of answers used in turn (the last
// one repeats). An answer is sent in segments a few milliseconds apart; a
// held answer keeps the connection open after its segments.
struct FakeAnswer {
    QList<QByteArray> segments;
    bool hold = false;
};

class FakeWebServer : public QObject {
    Q_OBJECT
public:
    FakeWebServer();
    ~FakeWebServer() override;
    // Listens on a free port below 32768 of 127.0.0.1 (the high ports are
    // left to the tests of port numbers).
    bool start();
    quint16 port() const { return m_port; }
    QString hostSetting() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }

    void route(const QString& pathPrefix, const QList<FakeAnswer>& answers);
    // Request lines ("GET /x HTTP/1.1") received so far, in order.
    QStringList requestLines() const { return m_lines; }
    // Whole requests, as received.
    QList<QByteArray> requests() const { return m_requests; }
    int countFor(const QString& pathPrefix) const;
    int openConnections() const;
    // Answer segments handed to the system so far, over all connections.
    int segmentsWritten() const { return m_segmentsWritten; }

    static FakeAnswer Page(const QByteArray& html, int segments = 1);
    static FakeAnswer Held(const QByteArray& partial);

private:
    void onNewConnection();
    void answer(QTcpSocket* socket, const QByteArray& target);

    QTcpServer m_server;
    quint16 m_port = 0;
    QList<QPair<QString, QList<FakeAnswer>>> m_routes;
    QHash<QString, int> m_used;
    QStringList m_lines;
    QList<QByteArray> m_requests;
    QList<QPointer<QTcpSocket>> m_sockets;
    int m_segmentsWritten = 0;
};

// Picks a free port below 32768 on 127.0.0.1 and listens there.
bool ListenOnLowPort(QTcpServer& server);

// A listening socket whose accept queue is full, so that a further connect to
// it neither succeeds nor fails for a while.
class StalledListener {
public:
    StalledListener() = default;
    ~StalledListener();
    bool open();
    quint16 port() const { return m_port; }

private:
    int m_listener = -1;
    QList<int> m_clients;
    quint16 m_port = 0;
};
