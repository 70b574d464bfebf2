#include "recorder/stationsession.h"

#include "config/usersettings.h"
#include "sources/hlsplaylist.h"

StationSession::StationSession(ITickSource& clock, Listener& listener, std::function<bool()> ieAgent, qint64 readLimit,
                               QObject* parent)
    : QObject(parent), m_icy(std::make_unique<IcySession>(clock, listener, std::move(ieAgent), readLimit)),
      m_hls(std::make_unique<HlsSession>(
          clock, listener, m_icy->Servers(),
          std::make_unique<HlsNetFetcher>(QByteArrayLiteral("Mozilla/4.0 (compatible; MSIE 5.5; Windows NT 5.0)")),
          [] { return HlsLowestVariant(); })),
      m_active(m_icy.get())
{
}

StationSession::~StationSession() = default;

bool IsHlsServer(const ServerEntry& entry)
{
    return entry.Hls || IsHlsAddress(entry.Path);
}

void StationSession::choose(qint32 position)
{
    StreamSession* next = m_icy.get();
    if (position >= 1 && position <= Servers().Last() && IsHlsServer(Servers()[position]))
        next = m_hls.get();
    if (next == m_active)
        return;
    // The state goes over to the session that takes the connection.
    const ConnectionState state = m_active->State();
    m_active->Close();
    m_active = next;
    if (state == ConnectionState::FetchingPlaylist || state == ConnectionState::Stopped ||
        state == ConnectionState::Idle)
        m_active->SetState(state);
}

void StationSession::Prepare(qint32 tick)
{
    choose(1);
    m_active->Prepare(tick);
}

void StationSession::Start()
{
    choose(1);
    m_active->Start();
}

void StationSession::ConnectToServer(qint32 position, bool reconnect)
{
    choose(position);
    m_active->ConnectToServer(position, reconnect);
}
