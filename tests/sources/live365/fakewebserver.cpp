#include "tests/sources/live365/fakewebserver.h"

#include <memory>

#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTimer>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kSegmentGapMs = 15;

// Successive calls give different ports, so that a port just found free
// is not handed out again.
quint16 nextLowPort()
{
    static int next = static_cast<int>(QRandomGenerator::global()->bounded(12000));
    next = (next + 1) % 12000;
    return static_cast<quint16>(20000 + next);
}

}  // namespace

bool ListenOnLowPort(QTcpServer& server)
{
    for (int attempt = 0; attempt < 60; ++attempt) {
        if (server.listen(QHostAddress::LocalHost, nextLowPort()))
            return true;
    }
    return false;
}

FakeWebServer::FakeWebServer()
{
    connect(&m_server, &QTcpServer::newConnection, this, &FakeWebServer::onNewConnection);
}

FakeWebServer::~FakeWebServer()
{
    for (const auto& socket : m_sockets) {
        if (socket)
            socket->abort();
    }
}

bool FakeWebServer::start()
{
    if (!ListenOnLowPort(m_server))
        return false;
    m_port = m_server.serverPort();
    return true;
}

void FakeWebServer::route(const QString& pathPrefix, const QList<FakeAnswer>& answers)
{
    m_routes.append({pathPrefix, answers});
}

int FakeWebServer::countFor(const QString& pathPrefix) const
{
    int n = 0;
    for (const QString& line : m_lines) {
        if (line.startsWith(QStringLiteral("GET ") + pathPrefix))
            ++n;
    }
    return n;
}

int FakeWebServer::openConnections() const
{
    int n = 0;
    for (const auto& socket : m_sockets) {
        if (socket && socket->state() == QAbstractSocket::ConnectedState)
            ++n;
    }
    return n;
}

FakeAnswer FakeWebServer::Page(const QByteArray& html, int segments)
{
    const QByteArray whole = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n" + html;
    FakeAnswer answer;
    const qsizetype step = qMax<qsizetype>(1, (whole.size() + segments - 1) / segments);
    for (qsizetype at = 0; at < whole.size(); at += step)
        answer.segments.append(whole.mid(at, step));
    return answer;
}

FakeAnswer FakeWebServer::Held(const QByteArray& partial)
{
    FakeAnswer answer = Page(partial);
    answer.hold = true;
    return answer;
}

void FakeWebServer::onNewConnection()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        m_sockets.append(socket);
        socket->setParent(this);
        // Freed with the connection, whichever of the two goes first.
        auto received = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, received] {
            const bool had = received->contains("\r\n\r\n");
            received->append(socket->readAll());
            if (had || !received->contains("\r\n\r\n"))
                return;
            m_requests.append(*received);
            const QByteArray line = received->left(received->indexOf("\r\n"));
            m_lines.append(QString::fromLatin1(line));
            answer(socket, line.split(' ').value(1));
        });
    }
}

void FakeWebServer::answer(QTcpSocket* socket, const QByteArray& target)
{
    FakeAnswer reply = Page("<html><body>Not here</body></html>");
    for (const auto& [prefix, answers] : m_routes) {
        if (target.startsWith(prefix.toLatin1()) && !answers.isEmpty()) {
            const int used = m_used[prefix]++;
            reply = answers.at(qMin<qsizetype>(used, answers.size() - 1));
            break;
        }
    }
    QPointer<QTcpSocket> guard(socket);
    for (int i = 0; i < reply.segments.size(); ++i) {
        const bool last = i == reply.segments.size() - 1;
        QTimer::singleShot(kSegmentGapMs * (i + 1), this, [this, guard, reply, i, last] {
            if (!guard)
                return;
            guard->write(reply.segments.at(i));
            guard->flush();
            ++m_segmentsWritten;
            if (last && !reply.hold)
                guard->disconnectFromHost();
        });
    }
}

StalledListener::~StalledListener()
{
    for (int fd : m_clients)
        ::close(fd);
    if (m_listener >= 0)
        ::close(m_listener);
}

bool StalledListener::open()
{
    m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    if (m_listener < 0)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool bound = false;
    for (int attempt = 0; attempt < 60 && !bound; ++attempt) {
        m_port = nextLowPort();
        address.sin_port = htons(m_port);
        bound = ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    if (!bound || ::listen(m_listener, 0) != 0)
        return false;
    // Fill the accept queue until a connect stays pending.
    for (int i = 0; i < 8; ++i) {
        const int client = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        if (client < 0)
            return false;
        m_clients.append(client);
        ::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address);
        pollfd p{client, POLLOUT, 0};
        if (::poll(&p, 1, 200) == 0)
            return true;
    }
    return false;
}
