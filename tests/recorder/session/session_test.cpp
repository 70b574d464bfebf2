// The ICY session on its own, against a loopback station and a fake clock:
// per row what the servers do on each connection, and the events, retry
// delays and final state the session hands on.
#include "platform/eventsocket.h"
#include "platform/tickcount.h"
#include "recorder/icysession.h"
#include "tests/support/eventwait.h"
#include "tests/support/ports.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {
// A slow stream: 1,000 bytes are a second of it.
const QByteArray kOk = "ICY 200 OK\r\nContent-Type: audio/mpeg\r\nicy-br:8\r\n\r\n";
const QByteArray kSecond(1000, 'a');

const char* problemName(SessionProblem p)
{
    switch (p) {
    case SessionProblem::NotFound: return "not-found";
    case SessionProblem::Full: return "full";
    case SessionProblem::Forbidden: return "forbidden";
    case SessionProblem::GeneralError: return "error";
    case SessionProblem::FullRedirect: return "full-redirect";
    case SessionProblem::Redirected: return "redirected";
    case SessionProblem::RedirectNowhere: return "redirect-nowhere";
    case SessionProblem::Tls: return "tls";
    case SessionProblem::Notice: return "notice";
    }
    return "?";
}

const char* endName(SessionEnd e)
{
    switch (e) {
    case SessionEnd::AllServersFull: return "all-full";
    case SessionEnd::CouldNotConnect: return "could-not-connect";
    case SessionEnd::StreamProblems: return "stream-problems";
    case SessionEnd::AgentRefused: return "agent";
    case SessionEnd::StreamEnded: return "ended";
    case SessionEnd::Unrecordable: return "unrecordable";
    }
    return "?";
}

// The recording as the session sees it: it logs what it is told and stops
// as the recorder does when the session gives up.
class LoggingListener : public StreamSession::Listener {
public:
    explicit LoggingListener(FakeTickSource& clock) : m_clock(clock) {}
    void EventBegins() override { ++depth; }
    void EventEnds() override { --depth; }
    void OnStateChanged(ConnectionState, ConnectionState to) override { state = to; }
    bool Recording() const override { return recording; }
    bool Quitting() const override { return false; }
    bool RecordingOpen() const override { return true; }
    bool ConnectionRan() const override { return audioSinceHead >= kSecond.size(); }
    void OnConnecting(const ServerEntry&, bool reconnect) override
    {
        log(QStringLiteral("connect%1 %2").arg(reconnect ? QStringLiteral(" again") : QString()).arg(session->ServerNumber()));
    }
    bool OnConnected(const ServerEntry&, bool) override { return metadata; }
    void OnStreamBegan(const StreamHead& head) override
    {
        audioSinceHead = 0;
        log(QStringLiteral("began %1%2").arg(QString::fromLatin1(head.contentType), head.metadata ? QStringLiteral(" titled") : QString()));
    }
    void OnAudio(const char*, qsizetype size) override
    {
        audioSinceHead += size;
        audio += size;
    }
    void OnTitle(const QString& title, qint64 position, bool firstBlock) override
    {
        log(QStringLiteral("title %1@%2%3").arg(title).arg(position).arg(firstBlock ? QStringLiteral(" first") : QString()));
    }
    void OnChunkDone() override {}
    void OnProblem(SessionProblem problem, qint32 server, const QString&) override
    {
        log(QStringLiteral("%1 %2").arg(QString::fromLatin1(problemName(problem))).arg(server));
    }
    void OnLost(bool ran) override { log(ran ? QStringLiteral("lost") : QStringLiteral("lost short")); }
    void OnTimedOut(bool) override { log(QStringLiteral("timeout")); }
    void OnReconnecting(int attempt, qint32 atTick) override
    {
        const qint64 delay = TickDifference(atTick, m_clock.GetTickCount());
        if (attempt > 0)
            delays.push_back(delay);
        log(QStringLiteral("retry %1").arg(attempt));
    }
    void OnFailingOver(qint32 server) override
    {
        log(QStringLiteral("failover %1").arg(server));
        session->Close();  // the recording closes what it had
    }
    void OnGaveUp(SessionEnd why) override
    {
        log(QStringLiteral("gave up %1").arg(QString::fromLatin1(endName(why))));
        recording = false;
        session->Close();
        session->SetState(ConnectionState::Stopped);
    }
    void log(const QString& event) { events.append(event); }

    IcySession* session = nullptr;
    bool recording = true;
    bool metadata = false;
    int depth = 0;
    ConnectionState state = ConnectionState::Idle;
    qint64 audioSinceHead = 0;
    qint64 audio = 0;
    QStringList events;
    std::vector<qint64> delays;

private:
    FakeTickSource& m_clock;
};

// What a server does with one connection.
struct Reply {
    enum Kind { Send, SendAndClose, Refuse, SendThenStall } kind;
    QByteArray bytes;
    qint64 audio = -1;  // of it; unset: all after the head
    qint64 audioBytes() const
    {
        const qsizetype end = bytes.indexOf("\r\n\r\n");
        return audio >= 0 ? audio : end < 0 ? 0 : bytes.size() - end - 4;
    }
};

struct Row {
    const char* what;
    int servers;
    bool metadata;
    std::vector<Reply> replies;
    const char* events;  // the events, joined by " | "
    std::vector<qint64> delays;  // of each reconnect that waited its turn
    ConnectionState last;
};
}  // namespace

class IcySessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QObject::connect(&station, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* s = station.nextPendingConnection()) {
                connections.push_back(s);
                requests.emplace_back();
                const size_t n = connections.size() - 1;
                QObject::connect(s, &QTcpSocket::readyRead, [this, s, n] { requests[n] += s->readAll(); });
            }
        });
        port = ListenOnFreePort([this](int p) { return station.listen(QHostAddress::LocalHost, p); });
        ASSERT_NE(port, 0);
    }
    void listening(bool on)
    {
        if (on && !station.isListening())
            ASSERT_TRUE(station.listen(QHostAddress::LocalHost, port));
        if (!on)
            station.close();
    }
    // Runs one row: each reply answers the next connection (or the next
    // attempt, refused); a reconnect that waits its turn is made exactly
    // at its time on the fake clock, not a millisecond before.
    void run(const Row& row)
    {
        LoggingListener listener(clock);
        listener.metadata = row.metadata;
        IcySession session(clock, listener, [] { return false; }, 0);
        listener.session = &session;
        // Servers that refuse the first connection are ports nobody listens on.
        const bool refused = row.replies.front().kind == Reply::Refuse;
        const int serverPort = refused ? refusing.port() : port;
        ASSERT_NE(serverPort, 0);
        for (int i = 0; i < row.servers; ++i)
            session.Servers().Add(ServerEntry{QStringLiteral("127.0.0.1"), QStringLiteral("/stream"), QString::number(serverPort), QString()});
        session.Prepare(clock.GetTickCount());
        session.Start();
        size_t accepted = 0;
        size_t delayIndex = 0;
        for (const Reply& reply : row.replies) {
            listening(reply.kind != Reply::Refuse);
            if (session.State() == ConnectionState::WaitingToRetry) {
                ASSERT_LT(delayIndex, row.delays.size()) << "an unexpected wait";
                const qint64 delay = row.delays[delayIndex++];
                EXPECT_EQ(TickDifference(session.NextReconnectTick(), clock.GetTickCount()), delay);
                clock.advance(delay - 1);
                EXPECT_EQ(session.State(), ConnectionState::WaitingToRetry) << "not before its turn";
                clock.advance(1);
                EXPECT_EQ(session.State(), ConnectionState::Connecting);
            }
            if (reply.kind == Reply::Refuse) {
                ASSERT_TRUE(WaitUntil([&] { return session.State() != ConnectionState::Connecting; }));
                continue;
            }
            ASSERT_TRUE(WaitUntil([&] { return connections.size() > accepted && requests[accepted].contains("\r\n\r\n"); }));
            QTcpSocket* s = connections[accepted++];
            const qint64 before = listener.audio;
            s->write(reply.bytes);
            s->flush();
            if (reply.kind == Reply::SendAndClose) {
                s->disconnectFromHost();
                // Settled: waiting for its turn, connecting anew, or given up.
                ASSERT_TRUE(WaitUntil([&] {
                    return session.State() == ConnectionState::WaitingToRetry ||
                           session.State() == ConnectionState::Stopped || connections.size() > accepted;
                }));
            } else {
                // Taken: the head judged and all its audio handed on, or the
                // next connection made.
                ASSERT_TRUE(WaitUntil([&] {
                    return connections.size() > accepted ||
                           (session.State() != ConnectionState::AwaitingHeader &&
                            (session.State() != ConnectionState::Streaming || listener.audio - before >= reply.audioBytes()));
                }));
            }
            if (reply.kind == Reply::SendThenStall) {
                // Ten seconds without data are waited out; a millisecond more is a stall.
                clock.advance(10000);
                EXPECT_TRUE(session.CheckStalled(clock.GetTickCount()));
                EXPECT_FALSE(listener.events.contains(QStringLiteral("timeout")));
                clock.advance(1);
                EXPECT_TRUE(session.CheckStalled(clock.GetTickCount()));
            }
        }
        EXPECT_EQ(listener.events.join(QStringLiteral(" | ")), QString::fromUtf8(row.events));
        EXPECT_EQ(listener.delays, row.delays);
        EXPECT_EQ(session.State(), row.last);
        EXPECT_EQ(listener.state, row.last);  // the listener heard of every state
        EXPECT_EQ(listener.depth, 0);         // every event it was told of ended
        EXPECT_EQ(clock.activeTimers() > 0, row.last == ConnectionState::WaitingToRetry);
        session.Close();
        session.SetState(ConnectionState::Stopped);
    }

    FakeTickSource clock{100000};
    RefusingPort refusing;
    QTcpServer station;
    int port = 0;
    std::vector<QTcpSocket*> connections;
    std::vector<QByteArray> requests;
};

TEST_F(IcySessionTest, ServerScripts)
{
    using R = Reply;
    using S = ConnectionState;
    const QByteArray ran = kOk + kSecond;
    // Four bytes of audio, a block naming "A", four more.
    const QByteArray titled = "ICY 200 OK\r\nicy-metaint:4\r\nicy-name:N\r\n\r\nabcd\x02" "StreamTitle='A';" +
                              QByteArray(16, '\0') + "efgh";
    const Row rows[] = {
        {"a stream that ran and closed is taken up at once", 1, false,
         {{R::SendAndClose, ran}, {R::Send, ran}},
         "connect 1 | began audio/mpeg | lost | retry 0 | connect again 1 | began audio/mpeg", {}, S::Streaming},
        {"a stream that closed before a second of audio waits its turn", 1, false,
         {{R::SendAndClose, kOk + "short"}, {R::Send, ran}},
         "connect 1 | began audio/mpeg | lost short | retry 1 | connect again 1 | began audio/mpeg", {1000}, S::Streaming},
        {"attempts closed before their head back off 1, 2, 4, 8, 10, 10 s", 1, false,
         {{R::SendAndClose, ""}, {R::SendAndClose, ""}, {R::SendAndClose, ""}, {R::SendAndClose, ""},
          {R::SendAndClose, ""}, {R::SendAndClose, ""}, {R::Send, ran}},
         "connect 1 | retry 1 | connect again 1 | retry 2 | connect again 1 | retry 3 | connect again 1 | retry 4 | "
         "connect again 1 | retry 5 | connect again 1 | retry 6 | connect again 1 | began audio/mpeg",
         {1000, 2000, 4000, 8000, 10000, 10000}, S::Streaming},
        {"error answers to a reconnect are asked again after 1, then every 2 s", 1, false,
         {{R::SendAndClose, ran}, {R::Send, "ICY 404 Not Found\r\n\r\n"}, {R::Send, "HTTP/1.0 503 Busy\r\n"},
          {R::Send, "ICY 401 Unavailable\r\n"}, {R::Send, ran}},
         "connect 1 | began audio/mpeg | lost | retry 0 | connect again 1 | retry 1 | connect again 1 | retry 2 | "
         "connect again 1 | retry 3 | connect again 1 | began audio/mpeg",
         {1000, 2000, 2000}, S::Streaming},
        {"a refused reconnect is tried every second", 1, false,
         {{R::SendAndClose, kOk + "short"}, {R::Refuse, ""}, {R::Refuse, ""}, {R::Send, ran}},
         "connect 1 | began audio/mpeg | lost short | retry 1 | connect again 1 | retry 2 | connect again 1 | retry 3 | "
         "connect again 1 | began audio/mpeg",
         {1000, 1000, 1000}, S::Streaming},
        {"a full server fails over to the next", 2, false,
         {{R::Send, "ICY 400 Server Full\r\n"}, {R::Send, ran}},
         "connect 1 | full 1 | failover 2 | connect 2 | began audio/mpeg", {}, S::Streaming},
        {"codes name the problem; the last server's error ends the session", 3, false,
         {{R::Send, "ICY 404 Not Found\r\n\r\n"}, {R::Send, "ICY 403 Forbidden\r\n\r\n"}, {R::Send, "ICY 400 Full\r\n"}},
         "connect 1 | not-found 1 | failover 2 | connect 2 | forbidden 2 | failover 3 | connect 3 | gave up stream-problems",
         {}, S::Stopped},
        {"a web page is an error answer", 2, false,
         {{R::Send, "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n<html>"}, {R::Send, ran}},
         "connect 1 | error 1 | failover 2 | connect 2 | began audio/mpeg", {}, S::Streaming},
        {"a redirect asks the same entry again at its new location", 2, false,
         {{R::Send, "HTTP/1.1 302 Found\r\nLocation: /moved\r\n\r\n"}, {R::Send, ran}},
         "connect 1 | redirected 1 | failover 1 | connect 1 | began audio/mpeg", {}, S::Streaming},
        {"a redirect without a location tries the next server", 2, false,
         {{R::Send, "HTTP/1.1 302 Found\r\n\r\n"}, {R::Send, ran}},
         "connect 1 | redirected 1 | redirect-nowhere 1 | failover 2 | connect 2 | began audio/mpeg", {}, S::Streaming},
        {"a redirect page means the server is full", 2, false,
         {{R::Send, "ICY 200 OK\r\nX-Note: redirect\r\n\r\n"}, {R::Send, ran}},
         "connect 1 | full-redirect 1 | failover 2 | connect 2 | began audio/mpeg", {}, S::Streaming},
        {"the browser agent turned away ends the session", 2, false,
         {{R::Send, "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n<title>SHOUTcast Server</title>"}},
         "connect 1 | gave up agent", {}, S::Stopped},
        {"ten seconds without data reconnect", 1, false,
         {{R::SendThenStall, ran}, {R::Send, ran}},
         "connect 1 | began audio/mpeg | timeout | connect again 1 | began audio/mpeg", {}, S::Streaming},
        {"titles come with their position, the first block named as such", 1, true,
         {{R::Send, titled, 8}},
         "connect 1 | began  titled | title A@4 first", {}, S::Streaming},
        {"no server takes the first connection", 2, false,
         {{R::Refuse, ""}},
         "connect 1 | gave up could-not-connect", {}, S::Stopped},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        run(row);
        for (QTcpSocket* s : connections)
            s->deleteLater();
        connections.clear();
        requests.clear();
        if (HasFatalFailure())
            return;
    }
}

// A redirect rewrites the server's entry; what is asked next is its new path.
TEST_F(IcySessionTest, ARedirectRewritesTheEntry)
{
    LoggingListener listener(clock);
    IcySession session(clock, listener, [] { return false; }, 0);
    listener.session = &session;
    session.Servers().Add(ServerEntry{QStringLiteral("127.0.0.1"), QStringLiteral("/stream"), QString::number(port), QString()});
    session.Prepare(clock.GetTickCount());
    session.Start();
    ASSERT_TRUE(WaitUntil([&] { return !requests.empty() && requests[0].contains("\r\n\r\n"); }));
    session.Feed("HTTP/1.1 302 Found\r\nLocation: /moved?x=1\r\n\r\n");
    EXPECT_EQ(session.Servers()[1].Path, QStringLiteral("/moved"));
    EXPECT_EQ(session.Servers()[1].QueryString, QStringLiteral("x=1"));
    EXPECT_EQ(session.ServerNumber(), 1);
    ASSERT_TRUE(WaitUntil([&] { return requests.size() == 2 && requests[1].contains("\r\n\r\n"); }));
    EXPECT_TRUE(requests[1].startsWith("GET /moved?x=1 HTTP/1.1\r\n"));
    session.Close();
}
