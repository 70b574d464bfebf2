// Connecting to the station's servers, and judging what they answer.
#include "config/configuration.h"
#include "listen/relay.h"
#include "platform/eventsocket.h"
#include "platform/messages.h"
#include "platform/sleeper.h"
#include "platform/tickcount.h"
#include "recorder/frmmp3.h"
#include "recorder/recorderhost.h"
#include "sources/curi.h"
#include "sources/live365link.h"

void frmMP3::AddServer(const QString& sIPAddress, const QString& sPath, const QString& sPort, const QString& sQueryString,
                       bool secure)
{
    const Publish publish(*this);
    m_session->Servers().Add(ServerEntry{sIPAddress, sPath, sPort, sQueryString, secure});
}

void frmMP3::onStationResolved(const StationResolution& result)
{
    const Publish publish(*this);
    for (qint32 i = 1; i <= result.servers.Last(); ++i)
        m_session->Servers().Add(result.servers[i]);
    // A playlist that named none still records on servers the list held.
    const bool read = result.ok() || result.error == ResolveError::NoServers;
    if (read && m_session->Servers().Last() >= 1) {
        if (m_resolvingPlaylistFile) {
            m_config.sRecordingTitle = result.title;
            emit playlistRead(m_config.sRecordingTitle);
        }
        StartRecording();
        return;
    }
    if (!result.message.isEmpty())
        m_deps.messages->ShowMessage(result.message);
    if (m_session->State() == ConnectionState::FetchingPlaylist)
        setState(ConnectionState::Idle);
}

void frmMP3::ctlLive365_TitleChange(const QString& strArtist, const QString& strTitle)
{
    const Publish publish(*this);
    OpenMP3File(strArtist + QStringLiteral(" - ") + strTitle + QStringLiteral(".mp3"), true);
}

void frmMP3::ctlLive365_TitleCallBack(const QString& text)
{
    if (m_deps.live365)
        m_deps.live365->SetStationName(text);
}

void frmMP3::ctlLive365_Error(int lngErrorNum)
{
    const Publish publish(*this);
    if (!m_deps.live365)
        return;
    m_deps.live365->SetStationName(QString());
    m_deps.messages->ShowMessage(m_deps.live365->StdErrorMessage(lngErrorNum));
}
