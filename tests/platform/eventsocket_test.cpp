#include "platform/eventsocket.h"
#include "tests/support/eventwait.h"
#include "tests/support/ports.h"
#include "tests/support/tlsserver.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <memory>

namespace {

QByteArray allByteValues(int repeat = 1)
{
    QByteArray b;
    for (int r = 0; r < repeat; ++r)
        for (int i = 0; i < 256; ++i)
            b.append(static_cast<char>(i));
    return b;
}

// A loopback peer built on Qt's own server socket.
struct Peer {
    QTcpServer server;
    QTcpSocket* conn = nullptr;
    QByteArray received;
    Peer()
    {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            conn = server.nextPendingConnection();
            QObject::connect(conn, &QTcpSocket::readyRead, [this] { received += conn->readAll(); });
        });
    }
    int port() const { return server.serverPort(); }
};

}  // namespace

TEST(EventSocket, ConnectsAndPassesEveryByteValueBothWays)
{
    Peer peer;
    EventSocket sock;
    bool connectedSignal = false;
    QByteArray got;
    QObject::connect(&sock, &EventSocket::Connected, [&] { connectedSignal = true; });
    QObject::connect(&sock, &EventSocket::DataArrival, [&](qint64 total) {
        EXPECT_GT(total, 0);
        QByteArray part;
        sock.GetData(part);
        got += part;
    });
    sock.Connect(QStringLiteral("127.0.0.1"), peer.port());
    EXPECT_NE(sock.State(), EventSocket::sckConnected);  // returns at once
    ASSERT_TRUE(WaitUntil([&] { return sock.State() == EventSocket::sckConnected && peer.conn; }));
    EXPECT_TRUE(connectedSignal);

    const QByteArray payload = allByteValues(40);
    sock.SendData(payload);
    ASSERT_TRUE(WaitUntil([&] { return peer.received.size() >= payload.size(); }));
    EXPECT_EQ(peer.received, payload);

    peer.conn->write(payload);
    ASSERT_TRUE(WaitUntil([&] { return got.size() >= payload.size(); }));
    EXPECT_EQ(got, payload);
}

TEST(EventSocket, RefusedConnectionReachesErrorStateWithDescription)
{
    const RefusingPort refusing;
    ASSERT_NE(refusing.port(), 0);
    const int port = refusing.port();
    EventSocket sock;
    int errors = 0;
    QString description;
    QObject::connect(&sock, &EventSocket::Error, [&](int, const QString& d) {
        ++errors;
        description = d;
    });
    sock.Connect(QStringLiteral("127.0.0.1"), port);
    ASSERT_TRUE(WaitUntil([&] { return sock.State() == EventSocket::sckError; }));
    EXPECT_EQ(errors, 1);
    EXPECT_FALSE(description.isEmpty());
}

TEST(EventSocket, CloseIsHarmlessTwiceAndConnectWorksAfterClose)
{
    Peer peer;
    EventSocket sock;
    sock.Close();
    sock.Close();
    EXPECT_EQ(sock.State(), EventSocket::sckClosed);
    sock.Connect(QStringLiteral("127.0.0.1"), peer.port());
    ASSERT_TRUE(WaitUntil([&] { return sock.State() == EventSocket::sckConnected; }));
    sock.Close();
    EXPECT_EQ(sock.State(), EventSocket::sckClosed);
    sock.Close();
    EXPECT_EQ(sock.State(), EventSocket::sckClosed);
    sock.Connect(QStringLiteral("127.0.0.1"), peer.port());
    ASSERT_TRUE(WaitUntil([&] { return sock.State() == EventSocket::sckConnected; }));
    sock.SendData("again");
    ASSERT_TRUE(WaitUntil([&] { return peer.received.endsWith("again"); }));
}

TEST(EventSocket, PeerCloseLeavesConnectedStateWithoutError)
{
    Peer peer;
    EventSocket sock;
    int errors = 0;
    bool closed = false;
    QObject::connect(&sock, &EventSocket::Error, [&](int, const QString&) { ++errors; });
    QObject::connect(&sock, &EventSocket::Closed, [&] { closed = true; });
    sock.Connect(QStringLiteral("127.0.0.1"), peer.port());
    ASSERT_TRUE(WaitUntil([&] { return sock.State() == EventSocket::sckConnected && peer.conn; }));
    peer.conn->disconnectFromHost();
    ASSERT_TRUE(WaitUntil([&] { return closed; }));
    EXPECT_EQ(sock.State(), EventSocket::sckClosing);
    EXPECT_EQ(errors, 0);
}

TEST(EventSocket, ListenConnectionRequestRemoteHostIpAndAccept)
{
    EventSocket listener;
    listener.setLocalPort(0);
    ASSERT_TRUE(listener.Listen(QStringLiteral("127.0.0.1")));
    EXPECT_EQ(listener.State(), EventSocket::sckListening);
    ASSERT_GT(listener.LocalPort(), 0);

    EventSocket data;
    QString peerIp;
    int requests = 0;
    QObject::connect(&listener, &EventSocket::ConnectionRequest, [&](int id) {
        ++requests;
        peerIp = listener.RemoteHostIP();
        data.Accept(id);
    });
    QByteArray atData;
    QObject::connect(&data, &EventSocket::DataArrival, [&](qint64) { atData += data.GetData(); });

    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(listener.LocalPort()));
    ASSERT_TRUE(WaitUntil([&] { return data.State() == EventSocket::sckConnected; }));
    EXPECT_EQ(requests, 1);
    EXPECT_EQ(peerIp, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(listener.State(), EventSocket::sckListening);  // still listening

    const QByteArray payload = allByteValues(8);
    client.write(payload);
    ASSERT_TRUE(WaitUntil([&] { return atData.size() >= payload.size(); }));
    EXPECT_EQ(atData, payload);

    QByteArray atClient;
    QObject::connect(&client, &QTcpSocket::readyRead, [&] { atClient += client.readAll(); });
    data.SendData(payload);
    ASSERT_TRUE(WaitUntil([&] { return atClient.size() >= payload.size(); }));
    EXPECT_EQ(atClient, payload);
}

TEST(EventSocket, RequestNotAcceptedIsRefused)
{
    EventSocket listener;
    ASSERT_TRUE(listener.Listen(QStringLiteral("127.0.0.1")));
    int requests = 0;
    QObject::connect(&listener, &EventSocket::ConnectionRequest, [&](int) { ++requests; });
    QTcpSocket client;
    bool dropped = false;
    QObject::connect(&client, &QTcpSocket::disconnected, [&] { dropped = true; });
    client.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(listener.LocalPort()));
    ASSERT_TRUE(WaitUntil([&] { return dropped; }));
    EXPECT_EQ(requests, 1);
}

TEST(EventSocket, AcceptOnTheListeningSocketTakesOverTheConnection)
{
    EventSocket ws;
    ASSERT_TRUE(ws.Listen(QStringLiteral("127.0.0.1")));
    QObject::connect(&ws, &EventSocket::ConnectionRequest, [&](int id) { ws.Accept(id); });
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(ws.LocalPort()));
    ASSERT_TRUE(WaitUntil([&] { return ws.State() == EventSocket::sckConnected; }));
    QByteArray got;
    QObject::connect(&ws, &EventSocket::DataArrival, [&](qint64) { got += ws.GetData(); });
    client.write("hello");
    ASSERT_TRUE(WaitUntil([&] { return got == "hello"; }));
}

TEST(EventSocket, ListenOnABusyPortFails)
{
    EventSocket first;
    ASSERT_TRUE(first.Listen(QStringLiteral("127.0.0.1")));
    EventSocket second;
    second.setLocalPort(first.LocalPort());
    int errors = 0;
    QObject::connect(&second, &EventSocket::Error, [&](int, const QString& d) {
        ++errors;
        EXPECT_FALSE(d.isEmpty());
    });
    EXPECT_FALSE(second.Listen(QStringLiteral("127.0.0.1")));
    EXPECT_EQ(second.State(), EventSocket::sckError);
    ASSERT_TRUE(WaitUntil([&] { return errors == 1; }, 2000));
}

TEST(EventSocket, SendWhileClosedRaisesError)
{
    EventSocket sock;
    int errors = 0;
    QObject::connect(&sock, &EventSocket::Error, [&](int, const QString&) { ++errors; });
    sock.SendData("x");
    ASSERT_TRUE(WaitUntil([&] { return errors == 1; }, 2000));
}

// With or without a read limit, a stream that the peer sends and closes at
// once arrives whole and in order, no event hands over more than the limit,
// and the caller's buffer is reused rather than replaced.
TEST(EventSocket, ReadLimitDeliversEveryByteBeforeTheClose)
{
    struct Case {
        qint64 limit;
        int repeat;  // payload: all byte values this many times
    };
    const Case cases[] = {{0, 4096}, {1000, 2048}, {65536, 8192}, {1, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.limit);
        Peer peer;
        EventSocket sock;
        sock.setReadBufferLimit(c.limit);
        QByteArray buffer;
        QByteArray got;
        qint64 largest = 0;
        int events = 0;
        int reallocations = 0;
        bool closed = false;
        bool dataAfterClose = false;
        QObject::connect(&sock, &EventSocket::DataArrival, [&](qint64) {
            const char* before = buffer.constData();
            const qsizetype capacity = buffer.capacity();
            sock.GetData(buffer);
            if (events > 0 && buffer.size() <= capacity && buffer.constData() != before)
                ++reallocations;
            ++events;
            largest = std::max<qint64>(largest, buffer.size());
            got.append(buffer.constData(), buffer.size());  // a copy, so `buffer` stays unshared
            if (closed)
                dataAfterClose = true;
        });
        QObject::connect(&sock, &EventSocket::Closed, [&] { closed = true; });
        sock.Connect(QStringLiteral("127.0.0.1"), peer.port());
        ASSERT_TRUE(WaitUntil([&] { return sock.State() == EventSocket::sckConnected && peer.conn; }));
        const QByteArray payload = allByteValues(c.repeat);
        peer.conn->write(payload);
        peer.conn->disconnectFromHost();
        ASSERT_TRUE(WaitUntil([&] { return closed && got.size() >= payload.size(); }, 20000));
        EXPECT_EQ(got, payload);
        EXPECT_FALSE(dataAfterClose);
        EXPECT_EQ(reallocations, 0);
        if (c.limit > 0) {
            EXPECT_LE(largest, c.limit);
            EXPECT_GE(events, payload.size() / c.limit);
        }
    }
}

// Over TLS the decrypted stream is handed over in chunks as large as what
// came in (not one event per few kilobytes decrypted), and the data that
// came with the peer's close still arrives whole and before Closed.
TEST(EventSocket, SecureStreamArrivesWholeInFewEventsBeforeTheClose)
{
    TempFolder dir;
    ASSERT_TRUE(MakeCertificate(dir, QStringLiteral("IP:127.0.0.1")));
    qputenv("TONQUILL_CA_FILE", dir.file(QStringLiteral("cert.pem")).toUtf8());
    const QByteArray payload = allByteValues(8192);  // 2 MiB
    TlsServer server(dir.file(QStringLiteral("cert.pem")), dir.file(QStringLiteral("key.pem")),
                     [&](const QByteArray&, bool&) { return payload; });
    const qint64 limit = 256 * 1024;
    EventSocket sock;
    sock.setReadBufferLimit(limit);
    QByteArray got;
    qint64 largest = 0;
    int events = 0;
    bool closed = false, dataAfterClose = false;
    QObject::connect(&sock, &EventSocket::Connected, [&] { sock.SendData("GET / HTTP/1.0\r\n\r\n"); });
    QObject::connect(&sock, &EventSocket::DataArrival, [&](qint64) {
        const QByteArray part = sock.GetData();
        ++events;
        largest = std::max<qint64>(largest, part.size());
        got += part;
        dataAfterClose = dataAfterClose || closed;
    });
    QObject::connect(&sock, &EventSocket::Closed, [&] { closed = true; });
    sock.Connect(QStringLiteral("127.0.0.1"), server.serverPort(), true);
    const bool done = WaitUntil([&] { return closed; }, 20000);
    qunsetenv("TONQUILL_CA_FILE");
    ASSERT_TRUE(done);
    EXPECT_TRUE(got == payload) << got.size();
    EXPECT_FALSE(dataAfterClose);
    EXPECT_LE(largest, limit);
    EXPECT_LE(events, payload.size() / 8192) << "one event per piece decrypted";
}

// A handler that runs events (as a modal message box does) is not entered
// again for data that arrives meanwhile, over a plain or a TLS connection;
// that data raises the next event once the handler has returned.
TEST(EventSocket, DataArrivalIsNotRaisedInsideItsOwnHandler)
{
    TempFolder dir;
    ASSERT_TRUE(MakeCertificate(dir, QStringLiteral("IP:127.0.0.1")));
    qputenv("TONQUILL_CA_FILE", dir.file(QStringLiteral("cert.pem")).toUtf8());
    for (const bool secure : {false, true}) {
        SCOPED_TRACE(secure ? "TLS" : "plain");
        Peer peer;
        TlsServer tls(dir.file(QStringLiteral("cert.pem")), dir.file(QStringLiteral("key.pem")),
                      [](const QByteArray&, bool& keepOpen) {
                          keepOpen = true;
                          return QByteArray("first ");
                      });
        auto send = [&](const QByteArray& bytes) {
            QTcpSocket* to = secure ? tls.Streams().value(0).data() : peer.conn;
            ASSERT_NE(to, nullptr);
            to->write(bytes);
            to->flush();
        };
        EventSocket sock;
        int depth = 0;
        int deepest = 0;
        int events = 0;
        bool arrivedInside = false;
        QByteArray got;
        QObject::connect(&sock, &EventSocket::Connected, [&] {
            if (secure)
                sock.SendData("GET / HTTP/1.0\r\n\r\n");
        });
        QObject::connect(&sock, &EventSocket::DataArrival, [&](qint64) {
            ++depth;
            deepest = std::max(deepest, depth);
            ++events;
            QByteArray part;
            sock.GetData(part);
            got += part;
            if (events == 1) {
                send("second");
                // Events run until the second piece is in, still inside the handler.
                arrivedInside = WaitUntil([&] { return sock.BytesReceived() >= 6; }, 10000);
            }
            --depth;
        });
        sock.Connect(QStringLiteral("127.0.0.1"), secure ? tls.serverPort() : peer.port(), secure);
        ASSERT_TRUE(WaitUntil([&] { return sock.State() == EventSocket::sckConnected && (secure || peer.conn); }));
        if (!secure)
            send("first ");
        EXPECT_TRUE(WaitUntil([&] { return got == "first second"; }, 10000)) << got.constData();
        EXPECT_TRUE(arrivedInside);
        EXPECT_EQ(deepest, 1);
        EXPECT_EQ(events, 2);
    }
    qunsetenv("TONQUILL_CA_FILE");
}

// Below the wake threshold a piece waits in the system until it is fetched;
// a piece above it comes on its own; every byte arrives once either way.
TEST(EventSocket, AWakeThresholdHoldsSmallPiecesUntilFetched)
{
    Peer peer;
    Peer control;  // a socket without a threshold: its byte shows the loop has seen ours
    EventSocket sock;
    EventSocket plain;
    QByteArray got;
    int arrivals = 0;
    QObject::connect(&sock, &EventSocket::DataArrival, [&](qint64) {
        ++arrivals;
        got += sock.GetData();
    });
    QByteArray marks;
    QObject::connect(&plain, &EventSocket::DataArrival, [&](qint64) { marks += plain.GetData(); });
    sock.setWakeThreshold(32 * 1024);
    sock.Connect(QStringLiteral("127.0.0.1"), peer.port());
    plain.Connect(QStringLiteral("127.0.0.1"), control.port());
    ASSERT_TRUE(WaitUntil([&] {
        return sock.State() == EventSocket::sckConnected && plain.State() == EventSocket::sckConnected && peer.conn &&
               control.conn;
    }));

    const QByteArray payload = allByteValues(200);  // 51200 bytes
    const struct {
        qsizetype from, size;
        bool fetch;  // WakeForWaitingData is needed
    } pieces[] = {{0, 1000, true}, {1000, 1, true}, {1001, 40000, false}, {41001, 10199, true}};
    for (const auto& p : pieces) {
        SCOPED_TRACE(p.size);
        const int before = arrivals;
        const qsizetype had = got.size();
        peer.conn->write(payload.mid(p.from, p.size));
        control.conn->write("m");
        ASSERT_TRUE(WaitUntil([&] { return marks.size() > 0; }));
        marks.clear();
        if (p.fetch) {
            EXPECT_EQ(arrivals, before) << "woken by a piece below the threshold";
            ASSERT_TRUE(WaitUntil([&] {
                sock.WakeForWaitingData();
                return got.size() == had + p.size;
            }));
        } else {
            ASSERT_TRUE(WaitUntil([&] { return got.size() >= had + p.size - 32 * 1024 + 1 && arrivals > before; }));
            ASSERT_TRUE(WaitUntil([&] {
                sock.WakeForWaitingData();
                return got.size() == had + p.size;
            }));
        }
    }
    EXPECT_EQ(got, payload);
    // Off again: every piece wakes the program.
    sock.setWakeThreshold(0);
    const int before = arrivals;
    peer.conn->write("x");
    ASSERT_TRUE(WaitUntil([&] { return arrivals > before; }));
    EXPECT_EQ(got, payload + "x");
}
