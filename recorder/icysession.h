#pragma once

#include "platform/sleeper.h"
#include "recorder/icydemuxer.h"
#include "recorder/streamsession.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

class EventSocket;
class ISingleShot;
class ITickSource;

// Redirects followed in a row for one server entry before it counts as failed.
constexpr int kMaxRedirects = 5;

// A SHOUTcast / Icecast stream over HTTP(S): the connection to the station's
// servers, the screening of their answers, the ICY demultiplexer, the hold
// on the stream's data, reconnects with their back-off, failover to the next
// server and the data watchdog.
//
// A lost stream is taken up again on the same server: at once when a
// connection that ran closes, then after 1, 2, 4, 8 and every 10 s while
// attempts time out or fail. A server that is up but refuses, or answers
// with an error while its source is away, costs little to ask and is asked
// every second (refused) or every 2 s (error answer), so that the stream is
// taken up while the server's burst still holds its first seconds. A
// connection that brought less than a second of audio before it closed did
// not bring the stream back: it is a failed attempt. How long the recorder
// keeps trying is the recorder's to decide.
class IcySession : public QObject, public StreamSession, private IcyDemuxer::Sink {
    Q_OBJECT
public:
    // `readLimit`: the most the socket takes from the system per data event.
    IcySession(ITickSource& clock, Listener& listener, std::function<bool()> ieAgent, qint64 readLimit,
               QObject* parent = nullptr);
    ~IcySession() override;

    ServerList& Servers() override { return m_servers; }
    void Prepare(qint32 tick) override;
    void Start() override;
    void Close() override;
    void SetState(ConnectionState next) override;
    ConnectionState State() const override { return m_state; }
    void FailOver() override;
    void Feed(const QByteArray& data) override;
    void Poll(qint32 tick) override;
    bool CheckStalled(qint32 tick) override;
    ISleeper& Hold() override { return m_hold; }
    bool Held() const override { return m_holdTimer.isActive(); }
    void ReleaseHold() override;

    qint32 ServerNumber() const override { return m_server; }
    bool Reconnecting() const override { return m_state == ConnectionState::WaitingToRetry; }
    int ReconnectAttempts() const override { return m_retryCount; }
    qint32 NextReconnectTick() const override { return m_retryAt; }
    bool Reattempting() const override;
    bool HeaderPending() const override { return m_headerPending; }
    qint32 LastDataTick() const override { return m_lastDataTick; }
    qint32 StreamTick() const override { return m_streamTick; }
    bool AwaitingFirstBlock() const override;

    void ConnectToServer(qint32 position, bool reconnect) override;
    qint64 BytesWaiting() const override;
    qint64 BytesTaken() const override;
    // A response begins on the connection, as when it connects: its head is
    // pending again; `metadata`: titles were asked for inside the stream.
    // (What Feed is then given is read as that response.)
    void BeginResponse(bool metadata);
    // The socket's data, as the socket delivers it.
    void DataArrival();
    EventSocket& Socket() { return *m_ws; }
    void SetWakeThreshold(int bytes) override;

private:
    // IcyDemuxer::Sink
    bool OnHeader(const IcyHeader& header, const QByteArray& bodyStart) override;
    void OnMetadata(const QByteArray& block) override;
    void OnAudio(const char* data, qsizetype size) override;

    // The deliberate pauses as a hold on the stream: each one holds back the
    // next data for its length; pauses that come together add up.
    class StreamHold : public ISleeper {
    public:
        explicit StreamHold(IcySession& owner) : m_owner(owner) {}
        void Sleep(int milliseconds) override;

    private:
        IcySession& m_owner;
    };
    // How a failed attempt failed decides when the next one is made.
    enum class RetryAfter { Failure, Refusal, ErrorAnswer };

    void connectSocket();
    void onConnected();
    void onConnectError(const QString& description, bool refused);
    void onClosed();
    // The running stream's connection closed or failed.
    void onStreamLost();
    void onRetryDue();
    void failOver();
    // Takes every byte that waits in the socket, held or not, so a
    // reconnect never throws away what has arrived.
    void takeWaitingData();
    void scheduleReconnect(RetryAfter why = RetryAfter::Failure);
    bool screenPendingHeader();
    void handleIcyError(const IcyHeader& header);
    void redirect(const IcyHeader& header);
    void giveUp(SessionEnd why);
    bool running() const;

    ITickSource& m_clock;
    Listener& m_listener;
    std::function<bool()> m_ieAgent;
    EventSocket* m_ws = nullptr;
    IcyDemuxer m_demux;
    QByteArray m_chunk; // the stream's read buffer, reused from chunk to chunk
    static constexpr qsizetype kKeptChunkCapacity = 16 * 1024;
    QTimer m_holdTimer;
    StreamHold m_hold{*this};
    std::unique_ptr<ISingleShot> m_retryTimer;
    ServerList m_servers;
    ConnectionState m_state = ConnectionState::Idle;

    qint32 m_server = 0;       // the server in use, counted from 1
    int m_connectAttempts = 0; // connections begun, so a handler can tell one was begun meanwhile
    bool m_connectReconnect = false;
    qint32 m_connectLast = 0;
    bool m_metadata = false;     // titles were asked for
    bool m_headerPending = true; // the connection's response head has not ended
    bool m_dropStream = false;   // the rest of this connection is ignored
    qint32 m_lastDataTick = 0;
    qint32 m_streamTick = 0;
    int m_retryCount = 0;
    qint32 m_retryAt = 0;
    int m_redirects = 0; // redirects followed in a row for one server entry
    qint32 m_redirectServer = 0;
};
