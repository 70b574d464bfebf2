#pragma once

#include "platform/sleeper.h"
#include "recorder/hlsfetcher.h"
#include "recorder/hlsmp4.h"
#include "recorder/hlssegment.h"
#include "recorder/streamsession.h"
#include "sources/hlsplaylist.h"

#include <QHash>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

class ISingleShot;
class ITickSource;

// Playlists inside playlists followed before the station counts as broken.
constexpr int kMaxHlsNesting = 3;

// An HLS station (HTTP Live Streaming): the media playlist is reloaded as
// the protocol asks (after its target duration; after half of it when
// nothing changed), and every segment is fetched once, as soon as it is
// listed, in media-sequence order, one request after the other. A segment
// that fails is asked again while it is listed; one that left the list
// before it came is a gap the status tells. A playlist that stops changing
// for three target durations is an outage: it is taken up with the back-off
// a lost ICY stream has. The audio and the titles go to the listener in
// stream order, each title just before the first frame of its time.
class HlsSession : public QObject, public StreamSession {
    Q_OBJECT
public:
    // `servers`: the station's list, shared with the recorder's other
    // session; `lowestVariant`: the user wants the lowest bandwidth.
    HlsSession(ITickSource& clock, Listener& listener, ServerList& servers, std::unique_ptr<HlsFetcher> fetcher,
               std::function<bool()> lowestVariant, QObject* parent = nullptr);
    ~HlsSession() override;

    ServerList& Servers() override { return m_servers; }
    void Prepare(qint32 tick) override;
    void Start() override;
    void Close() override;
    void SetState(ConnectionState next) override;
    ConnectionState State() const override { return m_state; }
    void FailOver() override;
    // A segment's bytes, as if fetched as the next one.
    void Feed(const QByteArray& data) override;
    void Poll(qint32) override {}
    bool CheckStalled(qint32 tick) override;
    ISleeper& Hold() override { return m_hold; }
    bool Held() const override { return m_holdTimer.isActive(); }
    void ReleaseHold() override;

    qint32 ServerNumber() const override { return m_server; }
    bool Reconnecting() const override { return m_state == ConnectionState::WaitingToRetry; }
    int ReconnectAttempts() const override { return m_retryCount; }
    qint32 NextReconnectTick() const override { return m_retryAt; }
    bool Reattempting() const override;
    bool HeaderPending() const override;
    qint32 LastDataTick() const override;
    qint32 StreamTick() const override { return m_streamTick; }
    bool AwaitingFirstBlock() const override { return false; }
    qint64 BytesWaiting() const override { return 0; }
    qint64 BytesTaken() const override { return m_bytesTaken; }

    void ConnectToServer(qint32 position, bool reconnect) override;
    // The sequence number of the next segment to fetch; -1 before the first playlist.
    qint64 NextSequence() const { return m_nextSeq; }
    // Segments that left the playlist before they could be fetched.
    qint64 MissedSegments() const { return m_missedTotal; }

private:
    class StreamHold : public ISleeper {
    public:
        explicit StreamHold(HlsSession& owner) : m_owner(owner) {}
        void Sleep(int milliseconds) override;

    private:
        HlsSession& m_owner;
    };
    struct PendingTitle {
        qint64 time; // unwrapped 90 kHz; -1: before the next frame
        QString title;
        QByteArray picture, pictureType; // the title's picture in its tag, if any
    };

    void fetchPlaylist(const QUrl& url);
    void onPlaylist(const HlsFetchResult& result);
    void takeMedia(const HlsPlaylist& list);
    void pump();
    void fetchSegment(const HlsMediaSegment& segment);
    void onSegment(const HlsMediaSegment& segment, const HlsFetchResult& result);
    void onKey(const HlsKey& key, qint64 sequence, const HlsFetchResult& result);
    void onInit(const HlsMediaSegment& segment, const HlsFetchResult& result);
    // The segment's body (decrypted) goes to the recording.
    void deliver(const HlsMediaSegment& segment, const QByteArray& body);
    void emitRead(const HlsMediaSegment& segment, const HlsSegmentRead& read);
    void emitTitle(const PendingTitle& title);
    void beginStream(const HlsSegmentRead& read);
    const HlsMediaSegment* listed(qint64 sequence) const;
    void scheduleReload(int ms);
    void onReloadDue();
    void connectionFailed(const QString& why, int status);
    void outage();
    void scheduleReconnect();
    void onRetryDue();
    void finishEnded();
    void say(const QString& text);
    void refuse(const QString& text);
    int targetMs() const;

    ITickSource& m_clock;
    Listener& m_listener;
    ServerList& m_servers;
    std::unique_ptr<HlsFetcher> m_fetcher;
    std::function<bool()> m_lowestVariant;
    std::unique_ptr<ISingleShot> m_reloadTimer;
    std::unique_ptr<ISingleShot> m_retryTimer;
    std::unique_ptr<ISingleShot> m_segmentRetry;
    QTimer m_holdTimer;
    StreamHold m_hold{*this};
    ConnectionState m_state = ConnectionState::Idle;

    qint32 m_server = 0;
    bool m_reconnect = false;
    int m_depth = 0;          // playlists followed to reach the media playlist
    QUrl m_mediaUrl;          // empty until the media playlist is known
    bool m_reloadDue = false; // a reload waits for the request in progress
    QList<HlsMediaSegment> m_listed;
    double m_target = 10;
    bool m_endList = false;
    QByteArray m_signature; // what tells a changed playlist from the last one
    qint64 m_nextSeq = -1;
    qint64 m_missedTotal = 0;
    qint32 m_lastChangeTick = 0;
    qint32 m_lastResponseTick = 0;
    qint32 m_lastDataTick = 0;
    qint32 m_streamTick = 0;
    int m_retryCount = 0;
    qint32 m_retryAt = 0;
    bool m_ended = false;

    // The stream as recorded.
    bool m_streamBegan = false;
    bool m_titled = true;
    HlsCodec m_codec = HlsCodec::None;
    bool m_id3Titles = false;      // timed ID3 titles came: #EXTINF titles are not used
    qint64 m_wrap = 0;             // added to the 33-bit times after they wrapped
    qint64 m_lastTime = -1;        // the last frame's time (unwrapped)
    QList<PendingTitle> m_pending; // titles whose time lies after the audio so far
    qint64 m_audioBytes = 0;
    qint64 m_bytesTaken = 0; // every body the requests brought
    bool m_firstTitle = true;
    QHash<QUrl, QByteArray> m_keys;
    QHash<QUrl, HlsMp4Track> m_inits; // fMP4 initialization sections, by address
};
