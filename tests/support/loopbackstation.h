#pragma once

#include <QHostAddress>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <vector>

// A loopback server that accepts stream connections and keeps what they send.
class LoopbackStation {
public:
    LoopbackStation()
    {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* s = server.nextPendingConnection()) {
                connections.push_back(s);
                QObject::connect(s, &QTcpSocket::readyRead, [this, s] { requests += s->readAll(); });
            }
        });
    }
    QString port() const { return QString::number(server.serverPort()); }
    QTcpSocket* last() { return connections.empty() ? nullptr : connections.back(); }

    QTcpServer server;
    std::vector<QTcpSocket*> connections;
    QByteArray requests;
};
