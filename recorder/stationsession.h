#pragma once

#include "recorder/hlssession.h"
#include "recorder/icysession.h"

#include <functional>
#include <memory>

// The recorder's stream session: the ICY session for SHOUTcast and Icecast
// servers, the HLS session for a server that is an HLS playlist. Which one
// runs is chosen by the server a connection goes to; both share the
// station's server list.
class StationSession : public QObject, public StreamSession {
    Q_OBJECT
public:
    StationSession(ITickSource& clock, Listener& listener, std::function<bool()> ieAgent, qint64 readLimit,
                   QObject* parent = nullptr);
    ~StationSession() override;

    ServerList& Servers() override { return m_icy->Servers(); }
    void Prepare(qint32 tick) override;
    void Start() override;
    void Close() override { m_active->Close(); }
    void SetState(ConnectionState next) override { m_active->SetState(next); }
    ConnectionState State() const override { return m_active->State(); }
    void FailOver() override { m_active->FailOver(); }
    void Feed(const QByteArray& data) override { m_active->Feed(data); }
    void Poll(qint32 tick) override { m_active->Poll(tick); }
    bool CheckStalled(qint32 tick) override { return m_active->CheckStalled(tick); }
    ISleeper& Hold() override { return m_active->Hold(); }
    bool Held() const override { return m_active->Held(); }
    void ReleaseHold() override { m_active->ReleaseHold(); }
    qint32 ServerNumber() const override { return m_active->ServerNumber(); }
    bool Reconnecting() const override { return m_active->Reconnecting(); }
    int ReconnectAttempts() const override { return m_active->ReconnectAttempts(); }
    qint32 NextReconnectTick() const override { return m_active->NextReconnectTick(); }
    bool Reattempting() const override { return m_active->Reattempting(); }
    bool HeaderPending() const override { return m_active->HeaderPending(); }
    qint32 LastDataTick() const override { return m_active->LastDataTick(); }
    qint32 StreamTick() const override { return m_active->StreamTick(); }
    bool AwaitingFirstBlock() const override { return m_active->AwaitingFirstBlock(); }

    qint64 BytesWaiting() const override { return m_active->BytesWaiting(); }
    qint64 BytesTaken() const override { return m_icy->BytesTaken() + m_hls->BytesTaken(); }
    void SetWakeThreshold(int bytes) override { m_icy->SetWakeThreshold(bytes); }
    // Chooses the session the server at `position` needs.
    void ConnectToServer(qint32 position, bool reconnect) override;
    bool Hls() const { return m_active == m_hls.get(); }

private:
    void choose(qint32 position);

    std::unique_ptr<IcySession> m_icy;
    std::unique_ptr<HlsSession> m_hls;
    StreamSession* m_active;
};

// The server is an HLS playlist: marked so by the station's lookup, or its
// address ends in ".m3u8".
bool IsHlsServer(const ServerEntry& entry);
