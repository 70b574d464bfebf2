#include "listen/ctlmp3server.h"

#include "listen/streamplayer.h"
#include "platform/eventsocket.h"
#include "platform/messages.h"

#include <QTimer>

namespace {

const QByteArray kRequestMark = QByteArrayLiteral("GET /streamer.mp3");
const QString kLocalPeer = QStringLiteral("127.0.0.1");
// A request line longer than this without the mark is not a player's.
constexpr qsizetype kMaxRequest = 8192;

// The type a player is told: the station's own when it names the kind of
// stream relayed, else audio/ogg or audio/mpeg.
QByteArray answerType(const QByteArray& stationType, bool ogg)
{
    QByteArray type;
    for (char c : stationType.trimmed().toLower())
        if (QChar::isLetterOrNumber(uchar(c)) || QByteArrayView("/+-.;= _").contains(c))
            type += c;
    if (ogg)
        return oggpages::IsOggType(type) ? type : QByteArrayLiteral("audio/ogg");
    const QByteArray base = type.split(';').first().trimmed();
    return base.startsWith("audio/") && base.size() > 6 ? type : QByteArrayLiteral("audio/mpeg");
}

}  // namespace

ctlMP3Server::ctlMP3Server(IMessageService& messages, QObject* parent)
    : ctlMP3Server(messages, nullptr, nullptr, parent)
{
}

ctlMP3Server::ctlMP3Server(IMessageService& messages, std::unique_ptr<IMP3Player> player,
                           std::unique_ptr<IMixer> mixer, QObject* parent)
    : QObject(parent), m_messages(messages), m_player(std::move(player)), m_mixer(std::move(mixer))
{
    if (!m_player)
        m_player = std::make_unique<StreamPlayer>();
    if (!m_mixer)
        m_mixer = SystemMixer();
    if (auto* streamPlayer = dynamic_cast<StreamPlayer*>(m_player.get()))
        connect(streamPlayer, &StreamPlayer::StatusChanged, this, &ctlMP3Server::PlayerStatus);
    m_tmrAudio = new QTimer(this);
    m_tmrAudio->setInterval(100);
    connect(m_tmrAudio, &QTimer::timeout, this, &ctlMP3Server::tmrAudio_Timer);
}

ctlMP3Server::~ctlMP3Server()
{
    m_tmrAudio->stop();
    m_player->Stop();
    m_player->Close();
    closeSockets();
}

QString ctlMP3Server::PlayerAddress() const
{
    return QStringLiteral("http://127.0.0.1:%1/streamer.mp3").arg(m_port);
}

bool ctlMP3Server::Streaming() const
{
    for (const Client& c : m_clients)
        if (c.streaming)
            return true;
    return false;
}

ctlMP3Server::Client* ctlMP3Server::findClient(EventSocket* socket)
{
    for (Client& c : m_clients)
        if (c.socket == socket)
            return &c;
    return nullptr;
}

void ctlMP3Server::PushData(const char* data, qsizetype size)
{
    // Audio that arrives while listening is off would never be sent.
    if (!m_blnEnablePreviewStream || !data || size <= 0)
        return;
    if (m_ogg) {
        m_oggQueue.Feed(data, size);
        if (!Streaming())
            m_oggQueue.TrimTo(kMaxBufferedBytes);
        return;
    }
    m_buffer.append(data, size);
    if (m_buffer.size() > kMaxBufferedBytes && !Streaming())
        m_buffer.remove(0, m_buffer.size() - kMaxBufferedBytes);
}

void ctlMP3Server::BeginStream(const QByteArray& contentType, bool ogg)
{
    if (ogg != m_ogg) {
        m_buffer.clear();
        m_oggQueue.Clear();
    }
    m_ogg = ogg;
    m_contentType = answerType(contentType, ogg);
    m_oggQueue.Restart();
}

void ctlMP3Server::OfferOggHeader(const QByteArray& headerPages)
{
    if (m_ogg && m_blnEnablePreviewStream)
        m_oggQueue.Offer(headerPages);
}

void ctlMP3Server::StartPreviewing()
{
    if (m_blnEnablePreviewStream)
        return;
    m_blnEnablePreviewStream = true;
    m_tmrAudio->start();
}

void ctlMP3Server::StopPreviewing()
{
    closeSockets();
    m_player->Stop();
    m_player->Close();
    m_tmrAudio->stop();
    m_buffer.clear();
    m_oggQueue.Clear();
    m_blnEnablePreviewStream = false;
    m_serverStarted = false;
}

void ctlMP3Server::closeSockets()
{
    if (m_wsServer) {
        EventSocket* s = m_wsServer;
        m_wsServer = nullptr;
        s->disconnect(this);
        s->Close();
        s->deleteLater();
    }
    const QList<Client> clients = m_clients;
    m_clients.clear();
    for (const Client& c : clients) {
        c.socket->disconnect(this);
        c.socket->Close();
        c.socket->deleteLater();
    }
}

void ctlMP3Server::SetVolume(qint32 lngVolume)
{
    m_player->Volume(50, GetMasterVolume(*m_mixer), lngVolume);
    m_lSetVolume = lngVolume;
}

qint32 ctlMP3Server::MixerVolume()
{
    const qint32 volume = GetMasterVolume(*m_mixer);
    return volume < 0 ? 50 : volume;
}

void ctlMP3Server::tmrAudio_Timer()
{
    if (!m_blnEnablePreviewStream)
        return;
    if (Streaming()) {
        flush();
        return;
    }
    if (BufferedBytes() > kStartThreshold && !m_serverStarted)
        startServer();
}

void ctlMP3Server::startServer()
{
    m_serverStarted = true;
    if (!m_tmrAudio->isActive())
        m_tmrAudio->start();
    auto* server = new EventSocket(this);
    m_wsServer = server;
    server->setLocalPort(m_port);
    connect(server, &EventSocket::ConnectionRequest, this, &ctlMP3Server::wsServer_ConnectionRequest);
    connect(server, &EventSocket::Error, this,
            [this](int, const QString& description) { wsServer_Error(description); });
    if (!server->Listen(kLocalPeer)) {
        // Several recorders of one station are an ordinary run: one relays,
        // the others record on. A status, not a message box.
        StopPreviewing();
        emit RelayTaken(
            tr("Another recorder is relaying on %1:%2; this one records without relaying").arg(kLocalPeer).arg(m_port));
        return;
    }
    m_player->Open(PlayerAddress());
    m_player->Play();
}

void ctlMP3Server::wsServer_ConnectionRequest(int requestID)
{
    if (!m_wsServer)
        return;
    const QString peer = m_peerAddress ? m_peerAddress(*m_wsServer) : m_wsServer->RemoteHostIP();
    if (peer != kLocalPeer)
        return;  // not taken: the socket refuses it
    auto* socket = new EventSocket(this);
    connect(socket, &EventSocket::DataArrival, this, [this, socket] { wsData_DataArrival(socket); });
    connect(socket, &EventSocket::Closed, this, [this, socket] { dropClient(socket); });
    connect(socket, &EventSocket::Error, this, [this, socket] { dropClient(socket); });
    m_clients.append(Client{socket, QByteArray(), false});
    socket->Accept(requestID);
}

void ctlMP3Server::wsServer_Error(const QString& description)
{
    if (!m_blnEnablePreviewStream)
        return;
    m_messages.ShowMessage(description);
    StopPreviewing();
}

void ctlMP3Server::wsData_DataArrival(EventSocket* socket)
{
    Client* client = findClient(socket);
    if (!client)
        return;
    const QByteArray data = socket->GetData();
    if (client->streaming)
        return;  // whatever a player sends after its request is not needed
    client->request += data;
    if (client->request.contains(kRequestMark)) {
        // Those already listening get what was pushed before this client
        // asked; the new client's stream starts with what comes next.
        if (Streaming())
            flush();
        client = findClient(socket);
        if (!client)
            return;
        client->request.clear();
        // Status line, the one header a player needs, and the blank line.
        socket->SendData("ICY 200 OK\r\nContent-Type: " + m_contentType + "\r\n\r\n");
        client->streaming = true;
        return;
    }
    if (client->request.contains('\n') || client->request.size() > kMaxRequest) {
        // Some other program on this machine: it gets nothing, the players
        // that listen go on.
        dropClient(socket);
        m_messages.ShowMessage(tr("Invalid request!"));
    }
}

void ctlMP3Server::dropClient(EventSocket* socket)
{
    for (qsizetype i = 0; i < m_clients.size(); ++i) {
        if (m_clients[i].socket != socket)
            continue;
        m_clients.removeAt(i);
        socket->disconnect(this);
        socket->Close();
        socket->deleteLater();
        return;
    }
}

void ctlMP3Server::flush()
{
    const QByteArray& pending = m_ogg ? m_oggQueue.Pending() : m_buffer;
    if (pending.isEmpty())
        return;
    QList<EventSocket*> gone;
    for (Client& c : m_clients) {
        if (!c.streaming)
            continue;
        if (c.socket->State() != EventSocket::sckConnected || c.socket->BytesToWrite() > kMaxClientBacklog) {
            gone.append(c.socket);
            continue;
        }
        if (!m_ogg || c.joined) {
            c.socket->SendData(pending);
            continue;
        }
        // A new Ogg listener waits for a page it can decode from.
        const QByteArray first = m_oggQueue.ForNewListener();
        if (first.isEmpty())
            continue;
        c.socket->SendData(first);
        c.joined = true;
    }
    m_buffer.clear();
    m_oggQueue.Sent();
    for (EventSocket* s : gone)
        dropClient(s);
}
