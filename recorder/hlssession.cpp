// The HLS session's playlists: the station's first playlist, a master
// playlist's variant, the reloads of the media playlist, the gaps, outages
// and their reconnects.
#include "recorder/hlssession.h"

#include "platform/tickcount.h"

#include <algorithm>
#include <iterator>

namespace {
constexpr int kReconnectDelaysMs[] = {1000, 2000, 4000, 8000, 10000};
// No answer for longer than this is a lost stream.
constexpr qint64 kStallMs = 10000;

QUrl urlOf(const ServerEntry& entry)
{
    QUrl url;
    url.setScheme(entry.Secure ? QStringLiteral("https") : QStringLiteral("http"));
    url.setHost(entry.Host);
    const int port = entry.Port.toInt();
    if (port > 0 && port != (entry.Secure ? 443 : 80))
        url.setPort(port);
    url.setPath(entry.Path.isEmpty() ? QStringLiteral("/") : entry.Path);
    if (!entry.QueryString.isEmpty())
        url.setQuery(entry.QueryString);
    return url;
}
} // namespace

HlsSession::HlsSession(ITickSource& clock, Listener& listener, ServerList& servers, std::unique_ptr<HlsFetcher> fetcher,
                       std::function<bool()> lowestVariant, QObject* parent)
    : QObject(parent), m_clock(clock), m_listener(listener), m_servers(servers), m_fetcher(std::move(fetcher)),
      m_lowestVariant(std::move(lowestVariant))
{
    m_reloadTimer = m_clock.MakeSingleShot([this] { onReloadDue(); });
    m_retryTimer = m_clock.MakeSingleShot([this] { onRetryDue(); });
    m_segmentRetry = m_clock.MakeSingleShot([this] {
        const Event event(m_listener);
        pump();
    });
    m_holdTimer.setSingleShot(true);
    connect(&m_holdTimer, &QTimer::timeout, this, [this] {
        const Event event(m_listener);
        pump();
    });
}

HlsSession::~HlsSession()
{
    m_fetcher->Abort();
}

void HlsSession::Prepare(qint32 tick)
{
    m_lastDataTick = m_streamTick = m_lastResponseTick = m_lastChangeTick = tick;
    m_retryCount = 0;
    m_nextSeq = -1;
    m_missedTotal = 0;
    m_signature.clear();
    m_streamBegan = false;
    m_codec = HlsCodec::None;
    m_id3Titles = false;
    m_wrap = 0;
    m_lastTime = -1;
    m_pending.clear();
    m_audioBytes = 0;
    m_firstTitle = true;
    m_ended = false;
    m_keys.clear();
    m_titled = true;
    m_inits.clear();
}

void HlsSession::Start()
{
    ConnectToServer(1, false);
}

void HlsSession::Close()
{
    m_fetcher->Abort();
    m_reloadTimer->Stop();
    m_segmentRetry->Stop();
    m_holdTimer.stop();
    m_reloadDue = false;
}

void HlsSession::SetState(ConnectionState next)
{
    if (next == m_state)
        return;
    const ConnectionState from = m_state;
    m_state = next;
    if (from == ConnectionState::WaitingToRetry)
        m_retryTimer->Stop();
    if (next == ConnectionState::Stopped || next == ConnectionState::Idle)
        Close();
    m_listener.OnStateChanged(from, next);
}

bool HlsSession::Reattempting() const
{
    return m_reconnect && HeaderPending();
}

bool HlsSession::HeaderPending() const
{
    return m_state == ConnectionState::Connecting || m_state == ConnectionState::AwaitingHeader;
}

qint32 HlsSession::LastDataTick() const
{
    // Segments come one target duration apart: while the playlist moves on
    // and answers come, data flows.
    const qint32 now = m_clock.GetTickCount();
    if (m_state == ConnectionState::Streaming && TickDifference(now, m_lastChangeTick) <= 3 * qint64(targetMs()) &&
        TickDifference(now, m_lastResponseTick) <= kStallMs)
        return now;
    return m_lastDataTick;
}

int HlsSession::targetMs() const
{
    return std::max(1, static_cast<int>(m_target * 1000));
}

void HlsSession::FailOver()
{
    const Event event(m_listener);
    const qint32 next = m_server + 1;
    m_listener.OnFailingOver(next);
    if (next > m_servers.Last()) {
        m_listener.OnGaveUp(SessionEnd::CouldNotConnect);
        return;
    }
    ConnectToServer(next, false);
}

void HlsSession::ConnectToServer(qint32 position, bool reconnect)
{
    if (position < 1 || position > m_servers.Last())
        return;
    Close();
    m_server = position;
    m_reconnect = reconnect;
    SetState(ConnectionState::Connecting);
    m_listener.OnConnecting(m_servers[position], reconnect);
    m_depth = 0;
    m_mediaUrl = QUrl();
    fetchPlaylist(urlOf(m_servers[position]));
}

void HlsSession::fetchPlaylist(const QUrl& url)
{
    m_reloadDue = false;
    m_fetcher->Get(url, kMaxHlsPlaylistBytes, [this, url](const HlsFetchResult& result) {
        const Event event(m_listener);
        m_bytesTaken += result.body.size();
        if (result.ok)
            m_lastResponseTick = m_clock.GetTickCount();
        if (result.ok && m_mediaUrl.isEmpty()) {
            const HlsPlaylist list = ParseHlsPlaylist(result.body, url);
            if (list.ok() && list.kind == HlsPlaylist::Kind::Master) {
                if (++m_depth > kMaxHlsNesting) {
                    refuse(tr("HLS: the station's playlists are nested more than %1 deep").arg(kMaxHlsNesting));
                    return;
                }
                const int chosen = PickHlsVariant(list, m_lowestVariant && m_lowestVariant());
                if (chosen < 0) {
                    refuse(tr("HLS: no variant of this station is AAC or MP3 audio"));
                    return;
                }
                fetchPlaylist(HlsVariantMediaUrl(list, chosen));
                return;
            }
            if (list.ok())
                m_mediaUrl = url;
        }
        onPlaylist(result);
    });
}

void HlsSession::onPlaylist(const HlsFetchResult& result)
{
    if (m_state == ConnectionState::Stopped || m_state == ConnectionState::Idle)
        return;
    if (result.tooLarge) {
        connectionFailed(tr("HLS: the playlist is larger than 1 MiB"), 0);
        return;
    }
    if (!result.ok) {
        connectionFailed(tr("HLS: the playlist could not be loaded (%1)").arg(result.error), result.status);
        return;
    }
    const HlsPlaylist list = ParseHlsPlaylist(result.body, m_mediaUrl);
    if (!list.ok() || list.kind != HlsPlaylist::Kind::Media) {
        connectionFailed(list.error == HlsPlaylist::Error::Empty ? tr("HLS: the playlist lists no segment")
                                                                 : tr("HLS: the answer is not an HLS playlist"),
                         0);
        return;
    }
    if (m_state == ConnectionState::Connecting) {
        SetState(ConnectionState::AwaitingHeader);
        if (!m_streamBegan)
            m_titled = m_listener.OnConnected(m_servers[m_server], m_reconnect);
    }
    takeMedia(list);
}

void HlsSession::connectionFailed(const QString& why, int status)
{
    say(why);
    if (m_state == ConnectionState::Streaming) {
        // A reload that failed: the next one may bring it; a playlist that
        // stays away is an outage.
        if (TickDifference(m_clock.GetTickCount(), m_lastChangeTick) > 3 * qint64(targetMs()))
            outage();
        else
            scheduleReload(targetMs() / 2);
        return;
    }
    if (m_streamBegan || m_reconnect) {
        scheduleReconnect();
        return;
    }
    // The first playlist of this server failed: the next server, if any.
    m_listener.OnProblem(status == 404 ? SessionProblem::NotFound : SessionProblem::GeneralError, m_server + 1,
                         QString());
    if (m_server + 1 <= m_servers.Last()) {
        ConnectToServer(m_server + 1, false);
        return;
    }
    SetState(ConnectionState::Stopped);
    m_listener.OnGaveUp(status > 0 ? SessionEnd::StreamProblems : SessionEnd::CouldNotConnect);
}

void HlsSession::takeMedia(const HlsPlaylist& list)
{
    const qint32 now = m_clock.GetTickCount();
    m_target = list.targetDuration > 0 ? list.targetDuration : 10;
    m_endList = list.endList;
    m_listed = list.segments;
    const qint64 first = list.segments.isEmpty() ? list.mediaSequence : list.segments.first().sequence;
    const qint64 last = list.segments.isEmpty() ? first - 1 : list.segments.last().sequence;
    QByteArray signature = QByteArray::number(last) + ' ' +
                           (list.segments.isEmpty() ? QByteArray() : list.segments.last().uri.toEncoded()) +
                           (list.endList ? " end" : "");
    const bool changed = signature != m_signature;
    if (changed) {
        m_signature = signature;
        m_lastChangeTick = now;
    }
    if (m_nextSeq < 0 || m_nextSeq > last + 1) {
        // A live stream is taken up three segments from its end, as a
        // player does; a finished one from its start.
        m_nextSeq = list.endList ? first : std::max(first, last - 2);
    } else if (m_nextSeq < first) {
        const qint64 missed = first - m_nextSeq;
        m_missedTotal += missed;
        say(tr("HLS: %1 segment(s) missed (about %2 s)").arg(missed).arg(qRound64(missed * m_target)));
        m_nextSeq = first;
    }
    if (!m_endList) {
        if (!changed && TickDifference(now, m_lastChangeTick) > 3 * qint64(targetMs())) {
            outage();
            return;
        }
        scheduleReload(changed ? targetMs() : targetMs() / 2);
    }
    pump();
}

void HlsSession::scheduleReload(int ms)
{
    m_reloadTimer->Start(std::max(ms, 100));
}

void HlsSession::onReloadDue()
{
    const Event event(m_listener);
    if (m_mediaUrl.isEmpty())
        return;
    if (m_fetcher->Busy()) {
        m_reloadDue = true; // after the segment in progress
        return;
    }
    fetchPlaylist(m_mediaUrl);
}

const HlsMediaSegment* HlsSession::listed(qint64 sequence) const
{
    for (const HlsMediaSegment& segment : m_listed)
        if (segment.sequence == sequence)
            return &segment;
    return nullptr;
}

void HlsSession::pump()
{
    if (m_fetcher->Busy() || m_ended || Held() || m_state == ConnectionState::WaitingToRetry ||
        m_state == ConnectionState::Stopped || m_state == ConnectionState::Idle ||
        m_state == ConnectionState::Connecting)
        return;
    if (m_reloadDue) {
        fetchPlaylist(m_mediaUrl);
        return;
    }
    if (m_segmentRetry->Active())
        return;
    if (const HlsMediaSegment* next = listed(m_nextSeq)) {
        fetchSegment(*next);
        return;
    }
    if (m_endList && (m_listed.isEmpty() || m_nextSeq > m_listed.last().sequence))
        finishEnded();
}

void HlsSession::outage()
{
    m_listener.OnTimedOut(false);
    scheduleReconnect();
}

void HlsSession::scheduleReconnect()
{
    Close();
    SetState(ConnectionState::WaitingToRetry);
    const int delay = kReconnectDelaysMs[std::min(m_retryCount, static_cast<int>(std::size(kReconnectDelaysMs)) - 1)];
    ++m_retryCount;
    m_retryAt = static_cast<qint32>(static_cast<quint32>(m_clock.GetTickCount()) + static_cast<quint32>(delay));
    m_retryTimer->Start(delay);
    m_listener.OnReconnecting(m_retryCount, m_retryAt);
}

void HlsSession::onRetryDue()
{
    const Event event(m_listener);
    if (m_state != ConnectionState::WaitingToRetry || !m_listener.Recording() || m_listener.Quitting())
        return;
    m_lastDataTick = m_lastResponseTick = m_lastChangeTick = m_clock.GetTickCount();
    m_signature.clear(); // the first answer after the outage counts as a change
    ConnectToServer(m_server, true);
}

bool HlsSession::CheckStalled(qint32 tick)
{
    if (m_state != ConnectionState::Streaming && m_state != ConnectionState::AwaitingHeader &&
        m_state != ConnectionState::Connecting)
        return true;
    if (TickDifference(tick, m_lastResponseTick) <= kStallMs)
        return true;
    const Event event(m_listener);
    m_lastDataTick = tick;
    outage();
    return true;
}

void HlsSession::finishEnded()
{
    m_ended = true;
    // Titles still waiting for audio name nothing more.
    m_pending.clear();
    m_listener.OnChunkDone();
    m_listener.OnGaveUp(SessionEnd::StreamEnded);
}

void HlsSession::say(const QString& text)
{
    m_listener.OnProblem(SessionProblem::Notice, m_server, text);
}

void HlsSession::refuse(const QString& text)
{
    say(text);
    SetState(ConnectionState::Stopped);
    m_listener.OnGaveUp(SessionEnd::Unrecordable);
}

void HlsSession::StreamHold::Sleep(int milliseconds)
{
    if (milliseconds <= 0)
        return;
    QTimer& timer = m_owner.m_holdTimer;
    const int left = timer.isActive() ? std::max(0, timer.remainingTime()) : 0;
    timer.start(left + milliseconds);
}

void HlsSession::ReleaseHold()
{
    const Event event(m_listener);
    m_holdTimer.stop();
    pump();
}
