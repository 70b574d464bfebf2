// Connecting to the station's servers, judging what they answer, and taking
// a lost stream up again.
#include "recorder/icysession.h"

#include "platform/eventsocket.h"
#include "platform/text.h"
#include "platform/tickcount.h"
#include "sources/curi.h"

#include <QAbstractSocket>

namespace {
// The states a connection comes to each state from.
bool canMove(ConnectionState from, ConnectionState to)
{
    using S = ConnectionState;
    switch (to) {
    case S::Idle: // the station's playlist gave no server
        return from == S::FetchingPlaylist;
    case S::FetchingPlaylist:
        return from == S::Idle || from == S::Stopped;
    case S::AwaitingHeader:
        return from == S::Connecting;
    case S::Streaming:
        return from == S::AwaitingHeader;
    case S::WaitingToRetry:
        return from == S::Connecting || from == S::AwaitingHeader || from == S::Streaming;
    case S::FailingOver:
        return from == S::AwaitingHeader || from == S::Streaming;
    case S::Connecting: // a recording starts, goes on after a loss, or fails over
    case S::Stopped:
        return true;
    }
    return false;
}
} // namespace

IcySession::IcySession(ITickSource& clock, Listener& listener, std::function<bool()> ieAgent, qint64 readLimit,
                       QObject* parent)
    : QObject(parent), m_clock(clock), m_listener(listener), m_ieAgent(std::move(ieAgent))
{
    m_ws = new EventSocket(this);
    // A fast stream is taken a bounded piece at a time, so the read buffers
    // stay the same few blocks of memory however fast the server sends.
    m_ws->setReadBufferLimit(readLimit);
    connect(m_ws, &EventSocket::DataArrival, this, [this](qint64) { DataArrival(); });
    connect(m_ws, &EventSocket::Connected, this, &IcySession::onConnected);
    connect(m_ws, &EventSocket::Error, this, [this](int number, const QString& why) {
        onConnectError(why, number == QAbstractSocket::ConnectionRefusedError);
    });
    connect(m_ws, &EventSocket::Closed, this, &IcySession::onClosed);
    connect(m_ws, &EventSocket::ConnectionRequest, this, [this](int id) { m_ws->Accept(id); });
    m_holdTimer.setSingleShot(true);
    connect(&m_holdTimer, &QTimer::timeout, this, &IcySession::ReleaseHold);
    m_retryTimer = m_clock.MakeSingleShot([this] { onRetryDue(); });
}

IcySession::~IcySession()
{
    // Nothing the socket says while it goes reaches a listener that is going too.
    m_ws->disconnect(this);
}

void IcySession::SetState(ConnectionState next)
{
    if (next == m_state)
        return;
    Q_ASSERT_X(canMove(m_state, next), "IcySession::SetState", "a connection state that cannot follow");
    const ConnectionState from = m_state;
    m_state = next;
    if (from == ConnectionState::WaitingToRetry)
        m_retryTimer->Stop(); // only a lost stream waits for its turn
    m_listener.OnStateChanged(from, next);
}

bool IcySession::running() const
{
    return m_state != ConnectionState::Idle && m_state != ConnectionState::Stopped &&
           m_state != ConnectionState::FetchingPlaylist;
}

void IcySession::Prepare(qint32 tick)
{
    // The data watchdog counts from the start of this recording, not from
    // the last data of an earlier one.
    m_lastDataTick = tick;
    m_streamTick = tick;
    m_retryCount = 0;
    m_redirects = 0;
    m_redirectServer = 0;
    m_server = 1;
}

void IcySession::Start()
{
    const Event event(m_listener);
    SetState(ConnectionState::Connecting);
    ConnectToServer(1, false);
}

void IcySession::Close()
{
    m_ws->Close();
    if (m_state == ConnectionState::Connecting)
        SetState(ConnectionState::Stopped); // whatever it brings is not waited for
    m_headerPending = true;
}

qint64 IcySession::BytesWaiting() const
{
    return m_ws->BytesReceived();
}

qint64 IcySession::BytesTaken() const
{
    return m_ws->BytesTaken();
}

void IcySession::SetWakeThreshold(int bytes)
{
    m_ws->setWakeThreshold(bytes);
}

void IcySession::ConnectToServer(qint32 position, bool reconnect)
{
    const Event event(m_listener);
    m_server = position;
    if (position > m_servers.Last()) {
        giveUp(SessionEnd::AllServersFull);
        return;
    }
    m_listener.OnConnecting(m_servers[position], reconnect);
    m_ws->Close();
    ++m_connectAttempts;
    SetState(ConnectionState::Connecting);
    m_connectReconnect = reconnect;
    m_connectLast = m_servers.Last();
    connectSocket();
}

void IcySession::connectSocket()
{
    const ServerEntry& entry = m_servers[m_server];
    m_ws->Connect(AsciiHostName(entry.Host), entry.Port.toInt(), entry.Secure);
}

void IcySession::onConnectError(const QString& description, bool refused)
{
    const Event event(m_listener);
    if (m_state != ConnectionState::Connecting) {
        onStreamLost(); // a running stream's connection failed (reset)
        return;
    }
    // A secure connection that failed says which server and why.
    if (m_ws->Secure() && !description.isEmpty() && !m_connectReconnect)
        m_listener.OnProblem(SessionProblem::Tls, m_server, description);
    if (m_connectReconnect) {
        // A lost stream is taken up again on its own server.
        scheduleReconnect(refused ? RetryAfter::Refusal : RetryAfter::Failure);
        return;
    }
    if (m_server < m_connectLast) {
        ++m_server;
        m_ws->Close();
        connectSocket();
        return;
    }
    giveUp(SessionEnd::CouldNotConnect);
}

void IcySession::onConnected()
{
    const Event event(m_listener);
    if (m_state != ConnectionState::Connecting)
        return;
    SetState(ConnectionState::AwaitingHeader);
    const ServerEntry entry = m_servers[m_server];
    // Each connection is a new response: its header is pending again.
    BeginResponse(m_listener.OnConnected(entry, m_connectReconnect));
    m_ws->SendData(BuildStreamRequest(entry, m_metadata, m_ieAgent()));
}

void IcySession::BeginResponse(bool metadata)
{
    m_metadata = metadata;
    m_demux.Reset(m_metadata);
    m_dropStream = false;
    m_headerPending = true;
}

void IcySession::onClosed()
{
    const Event event(m_listener);
    // A server that closes before its header is complete has said all it
    // will say: judge what it sent.
    if (m_headerPending && !m_demux.PendingHeader().isEmpty())
        screenPendingHeader();
    if (m_state == ConnectionState::FailingOver)
        failOver();
    else
        onStreamLost();
}

void IcySession::DataArrival()
{
    const Event event(m_listener);
    if (m_holdTimer.isActive()) {
        // Held: the data waits in the socket. It has arrived, which is all
        // the data watchdog asks.
        m_lastDataTick = m_clock.GetTickCount();
        if (!m_headerPending)
            m_streamTick = m_lastDataTick;
        return;
    }
    // m_chunk is reused from chunk to chunk. That is safe because the socket
    // never raises DataArrival inside its own handler, not even while a
    // modal message box shown from here runs events.
    m_ws->GetData(m_chunk);
    Feed(m_chunk);
    // A burst (a server's first answer, a stream read late) leaves a
    // buffer far larger than the chunks that follow: it goes.
    if (m_chunk.capacity() > kKeptChunkCapacity)
        m_chunk = QByteArray();
}

void IcySession::Feed(const QByteArray& data)
{
    const Event event(m_listener);
    m_lastDataTick = m_clock.GetTickCount();
    if (data.isEmpty() || m_dropStream || m_demux.Refused())
        return;
    m_demux.Feed(data, *this);
    m_listener.OnChunkDone();
    if (m_demux.HeaderPending())
        screenPendingHeader();
    m_headerPending = m_demux.HeaderPending();
    if (!m_headerPending && m_state == ConnectionState::AwaitingHeader)
        SetState(ConnectionState::Streaming);
    // A server given up is left now, not on a later tick.
    if (m_state == ConnectionState::FailingOver)
        failOver();
}

bool IcySession::OnHeader(const IcyHeader& header, const QByteArray& bodyStart)
{
    const QByteArray lower = header.raw.toLower();
    const int code = header.statusCode;
    if (!header.complete || (code >= 400 && code <= 599)) {
        // An error status, or far too long for a response header: not a
        // stream server.
        handleIcyError(header);
        return false;
    }
    const bool html = header.contentType.startsWith("text/html");
    if (lower.contains("shoutcast server") || (html && bodyStart.toLower().contains("shoutcast server"))) {
        giveUp(SessionEnd::AgentRefused);
        return false;
    }
    if (code == 301 || code == 302 || code == 303 || code == 307 || code == 308) {
        redirect(header);
        return false;
    }
    if ((!m_metadata || !header.hasIcyName) && lower.contains("redirect")) {
        m_listener.OnProblem(SessionProblem::FullRedirect, m_server, QString());
        SetState(ConnectionState::FailingOver);
        m_ws->Close();
        return false;
    }
    if (html) {
        // A web page is not audio.
        handleIcyError(header);
        return false;
    }
    StreamHead head;
    head.contentType = header.contentType;
    head.hasBitRate = header.hasBitRate;
    head.bitRate = header.bitRate;
    head.hasIcyName = header.hasIcyName;
    head.icyName = header.icyName;
    head.metadata = header.hasMetaInt && header.metaInt > 0;
    head.bodyStart = bodyStart;
    m_listener.OnStreamBegan(head);
    return true;
}

namespace {
// A join waits for the new connection's first metadata block only when
// blocks come at least this often.
constexpr qint64 kMaxFirstBlockWaitBytes = 256 * 1024;
} // namespace

bool IcySession::AwaitingFirstBlock() const
{
    return m_demux.MetadataMode() && m_demux.MetadataBytes() == 0 && m_demux.MetaInterval() <= kMaxFirstBlockWaitBytes;
}

void IcySession::OnMetadata(const QByteArray& block)
{
    if (!ContainsStreamTitle(block))
        return;
    const QString decoded = DecodeCharacterReferences(DecodeText(ParseStreamTitle(block)));
    // Only the connection's first block (empty blocks count) can name a
    // title that began while the connection was away; the demuxer has
    // counted this block already.
    const bool firstBlock = m_demux.MetadataBytes() == 1 + block.size();
    m_listener.OnTitle(decoded, m_demux.AudioBytes(), firstBlock);
    if (const QByteArray url = ParseStreamUrl(block); !url.isEmpty())
        m_listener.OnPictureUrl(decoded, url);
}

void IcySession::OnAudio(const char* data, qsizetype size)
{
    m_streamTick = m_lastDataTick; // the give-up time counts from the last audio
    m_listener.OnAudio(data, size);
    if (m_listener.ConnectionRan()) {
        // A stream flows again: the next loss is taken up at once.
        m_retryCount = 0;
        m_redirects = 0;
    }
}

// A header that is not complete yet can already show an error status line; a
// server that answers "ICY 401 ..." often closes without a blank line.
bool IcySession::screenPendingHeader()
{
    const IcyHeader header = ParseIcyHeader(m_demux.PendingHeader());
    if (header.statusCode < 400 || header.statusCode > 599)
        return false;
    m_dropStream = true;
    handleIcyError(header);
    return true;
}

void IcySession::handleIcyError(const IcyHeader& header)
{
    if (m_connectReconnect && m_listener.Recording()) {
        // The server that was streaming answers with an error for now (its
        // source is gone, it restarts): it is asked again soon.
        scheduleReconnect(RetryAfter::ErrorAnswer);
        return;
    }
    if (m_server != m_servers.Last()) {
        const int icyCode = header.icyStatus ? header.statusCode : 0;
        const SessionProblem problem = icyCode == 404   ? SessionProblem::NotFound
                                       : icyCode == 400 ? SessionProblem::Full
                                       : icyCode == 403 ? SessionProblem::Forbidden
                                                        : SessionProblem::GeneralError;
        m_listener.OnProblem(problem, m_server, QString());
        SetState(ConnectionState::FailingOver);
        m_ws->Close();
    } else {
        giveUp(SessionEnd::StreamProblems);
    }
}

void IcySession::redirect(const IcyHeader& header)
{
    if (m_redirectServer != m_server) {
        m_redirectServer = m_server;
        m_redirects = 0;
    }
    if (++m_redirects > kMaxRedirects) {
        // A chain that does not end is that server's failure.
        m_redirects = 0;
        IcyHeader failed = header;
        failed.icyStatus = false;
        handleIcyError(failed);
        return;
    }
    m_listener.OnProblem(SessionProblem::Redirected, m_server, QString::fromUtf8(header.location));
    QString address = QString::fromUtf8(header.location);
    if (address.startsWith(QLatin1Char('/'))) {
        // A location on the same server.
        const ServerEntry& current = m_servers[m_server];
        address = (current.Secure ? QStringLiteral("https://") : QStringLiteral("http://")) + current.Host +
                  QLatin1Char(':') + current.Port + address;
    }
    CUri uri;
    if (!address.isEmpty() && uri.setUri(address) && !uri.Host().isEmpty()) {
        ServerEntry& entry = m_servers[m_server];
        entry.Host = uri.Host();
        entry.Path = uri.Resource();
        entry.Port = QString::number(uri.Port());
        entry.QueryString = uri.QueryString();
        entry.Secure = uri.Protocol().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
        --m_server; // the failover asks the same entry again
        SetState(ConnectionState::FailingOver);
        m_ws->Close();
        return;
    }
    // No usable location: the next server is tried.
    m_listener.OnProblem(SessionProblem::RedirectNowhere, m_server, QString());
    SetState(ConnectionState::FailingOver);
    m_ws->Close();
}

void IcySession::FailOver()
{
    const Event event(m_listener);
    SetState(ConnectionState::FailingOver);
    failOver();
}

void IcySession::failOver()
{
    // The next server continues the file this one was writing.
    ++m_server;
    m_listener.OnFailingOver(m_server);
    if (m_server <= m_servers.Last()) {
        ConnectToServer(m_server, false);
        return;
    }
    giveUp(SessionEnd::AllServersFull);
}

void IcySession::giveUp(SessionEnd why)
{
    m_listener.OnGaveUp(why);
}
