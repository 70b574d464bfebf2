#pragma once

#include <QElapsedTimer>
#include <QHostAddress>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>
#include <map>
#include <vector>

// A loopback server answering each path as its table says.
class PictureServer {
public:
    struct Answer {
        QByteArray head; // status line and headers, without the blank line
        QByteArray body;
        bool endless = false; // after the body, more bytes keep coming
        bool silent = false;  // the head is sent, then nothing
        bool trickle = false; // the body comes a byte at a time, never to its end
    };
    PictureServer()
    {
        m_clock.start();
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* s = m_server.nextPendingConnection())
                QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] { answer(s); });
        });
        m_pump.setInterval(5);
        QObject::connect(&m_pump, &QTimer::timeout, [this] {
            for (auto& s : m_endless) {
                if (s && s->bytesToWrite() < 256 * 1024)
                    s->write(QByteArray(64 * 1024, 'x'));
            }
            for (auto& s : m_trickling) {
                if (s)
                    s->write("x");
            }
        });
        m_pump.start();
    }
    QUrl url(const QString& path) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
    }
    std::map<QByteArray, Answer> answers;
    int requests = 0;
    QList<QByteArray> targets; // every request's path and query, in order
    QList<qint64> times;       // when each came, in ms since the server started

private:
    void answer(QTcpSocket* s)
    {
        m_request[s] += s->readAll();
        if (!m_request[s].contains("\r\n\r\n"))
            return;
        const QByteArray target = m_request[s].split(' ').value(1);
        m_request[s].clear();
        ++requests;
        targets.append(target);
        times.append(m_clock.elapsed());
        // Answered by the path; the query is kept in `targets`.
        const auto it = answers.find(target.split('?').front());
        const Answer a = it == answers.end() ? Answer{"HTTP/1.1 404 Not Found\r\nContent-Length: 0", {}} : it->second;
        s->write(a.head + "\r\n\r\n");
        if (a.silent)
            return;
        s->write(a.body);
        if (a.endless)
            m_endless.push_back(s);
        else if (a.trickle)
            m_trickling.push_back(s);
        else if (!a.head.contains("Content-Length"))
            s->disconnectFromHost();
    }
    QTcpServer m_server;
    QTimer m_pump;
    std::map<QTcpSocket*, QByteArray> m_request;
    std::vector<QPointer<QTcpSocket>> m_endless;
    std::vector<QPointer<QTcpSocket>> m_trickling;
    QElapsedTimer m_clock;
};

inline QByteArray okHead(const QByteArray& type, qsizetype length)
{
    return "HTTP/1.1 200 OK\r\nContent-Type: " + type + "\r\nContent-Length: " + QByteArray::number(length);
}
