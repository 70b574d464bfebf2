#pragma once

#include "listen/mixer.h"
#include "listen/mp3player.h"
#include "listen/oggrelay.h"
#include "listen/relay.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class EventSocket;
class IMessageService;
class QTimer;

// The local listening relay: buffers the audio the recorder writes, serves it
// on 127.0.0.1 ("GET /streamer.mp3") and points the embedded player at it.
// Any number of local players may listen at once; each gets the stream from
// the moment it asks for it. An Ogg stream is relayed by whole pages, and a
// player that comes in the middle of a song gets its header pages first.
class ctlMP3Server : public QObject, public IRelay {
    Q_OBJECT
public:
    static constexpr int kDefaultPort = 29174;
    // Audio kept while no client streams (the newest is kept).
    static constexpr qsizetype kMaxBufferedBytes = 1024 * 1024;
    // More buffered than this starts the listening socket and the player.
    static constexpr qsizetype kStartThreshold = 4000;
    // A client that has this much unsent audio waiting is dropped.
    static constexpr qint64 kMaxClientBacklog = 4 * 1024 * 1024;

    // Reads the address of the peer behind a pending connection request.
    using PeerAddressReader = std::function<QString(const EventSocket& listener)>;

    // The embedded player (StreamPlayer) on the system's audio output and the
    // ALSA mixer.
    explicit ctlMP3Server(IMessageService& messages, QObject* parent = nullptr);
    // Either may be null for the defaults above. A QObject player is not
    // reparented; the relay owns it through the unique_ptr.
    ctlMP3Server(IMessageService& messages, std::unique_ptr<IMP3Player> player, std::unique_ptr<IMixer> mixer,
                 QObject* parent = nullptr);
    ~ctlMP3Server() override;

    // IRelay
    void PushData(const char* data, qsizetype size) override;
    void StartPreviewing() override;
    void StopPreviewing() override;
    void SetVolume(qint32 lngVolume) override;
    qint32 lSetVolume() const override { return m_lSetVolume; }
    bool blnEnablePreviewStream() const override { return m_blnEnablePreviewStream; }
    // The master volume, or 50 when there is no mixer to read.
    qint32 MixerVolume() override;
    void BeginStream(const QByteArray& contentType, bool ogg) override;
    void OfferOggHeader(const QByteArray& headerPages) override;

    void PushData(const QByteArray& data) { PushData(data.constData(), data.size()); }

    // The local port (29174 unless set); takes effect at the next start.
    void setPort(int port) { m_port = port; }
    int Port() const { return m_port; }
    QString PlayerAddress() const;
    // For tests: how the peer of a connection request is read.
    void setPeerAddressReader(PeerAddressReader reader) { m_peerAddress = std::move(reader); }

    bool ServerStarted() const { return m_serverStarted; }
    bool Streaming() const;
    int ClientCount() const { return static_cast<int>(m_clients.size()); }
    qsizetype BufferedBytes() const { return m_ogg ? m_oggQueue.Pending().size() : m_buffer.size(); }
    // The Content-Type players are told.
    QByteArray ContentType() const { return m_contentType; }
    IMP3Player& Player() { return *m_player; }

public slots:
    // Every 100 ms while listening: flush the buffer to the streaming clients,
    // or start the server once enough audio is buffered.
    void tmrAudio_Timer();

signals:
    // The embedded player's status (no audio device, stream ended, ...).
    void PlayerStatus(const QString& status);
    // The listening socket could not be started (another recorder relays on
    // the port): listening is off again, this one records without relaying.
    void RelayTaken(const QString& status);

private:
    struct Client {
        EventSocket* socket = nullptr;
        QByteArray request;
        bool streaming = false;
        bool joined = false; // Ogg: has had the header pages
    };

    void startServer();
    void wsServer_ConnectionRequest(int requestID);
    void wsServer_Error(const QString& description);
    void wsData_DataArrival(EventSocket* socket);
    void dropClient(EventSocket* socket);
    void flush();
    void closeSockets();
    Client* findClient(EventSocket* socket);

    IMessageService& m_messages;
    std::unique_ptr<IMP3Player> m_player;
    std::unique_ptr<IMixer> m_mixer;
    QTimer* m_tmrAudio = nullptr;
    EventSocket* m_wsServer = nullptr;
    QList<Client> m_clients;
    PeerAddressReader m_peerAddress;
    QByteArray m_buffer;
    OggRelayQueue m_oggQueue;
    QByteArray m_contentType = QByteArrayLiteral("audio/mpeg");
    bool m_ogg = false;
    int m_port = kDefaultPort;
    bool m_blnEnablePreviewStream = false;
    bool m_serverStarted = false;
    qint32 m_lSetVolume = -1;
};
