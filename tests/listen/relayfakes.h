#pragma once

#include "listen/mixer.h"
#include "listen/mp3player.h"
#include "tests/support/ports.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

#include <array>
#include <memory>

// Records what the relay asks of its player.
struct FakePlayer : IMP3Player {
    QStringList calls;
    QList<std::array<qint32, 3>> volumes;
    void Open(const QString& address) override { calls << QStringLiteral("open ") + address; }
    void Play() override { calls << QStringLiteral("play"); }
    void Stop() override { calls << QStringLiteral("stop"); }
    void Close() override { calls << QStringLiteral("close"); }
    void Volume(qint32 balance, qint32 master, qint32 volume) override { volumes.append({balance, master, volume}); }
};

struct FakeMixer : IMixer {
    bool present = true;
    qint32 level = 0;
    int reads = 0;
    bool ReadMasterLevel(qint32& out) override
    {
        ++reads;
        out = level;
        return present;
    }
};

// A plain client on 127.0.0.1 that keeps everything it receives.
struct RawClient {
    std::unique_ptr<QTcpSocket> socket = std::make_unique<QTcpSocket>();
    QByteArray received;
    bool closed = false;
    explicit RawClient(int port)
    {
        QObject::connect(socket.get(), &QTcpSocket::readyRead, [this] { received += socket->readAll(); });
        QObject::connect(socket.get(), &QTcpSocket::disconnected, [this] { closed = true; });
        socket->connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
    }
    bool connected() const { return socket->state() == QAbstractSocket::ConnectedState; }
    void send(const QByteArray& bytes) { socket->write(bytes); }
};

// A port for the relay to listen on (it binds it itself when it starts).
inline int FreePort()
{
    return UnusedPort();
}

// Distinct bytes for every position, all 256 values.
inline QByteArray Pattern(qsizetype size, int seed)
{
    QByteArray b(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        b[i] = static_cast<char>((i * 7 + seed * 31 + (i >> 8)) & 0xFF);
    return b;
}

inline const QByteArray kRelayAnswer = QByteArrayLiteral("ICY 200 OK\r\nContent-Type: audio/mpeg\r\n\r\n");
