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
#include "sources/urigrabber.h"

bool Live365StationOf(const ServerEntry& entry, QString& stationNumber, bool& aflMode)
{
    if (!entry.Host.contains(QLatin1String("live365")) || !entry.Path.contains(QLatin1Char('/')))
        return false;
    const QString last = entry.Path.mid(entry.Path.lastIndexOf(QLatin1Char('/')) + 1);
    bool numeric = false;
    last.trimmed().toLongLong(&numeric);
    if (!numeric)
        return false;
    stationNumber = last;
    aflMode = entry.QueryString.contains(QLatin1String("AuthType=AFL"));
    return true;
}

void frmMP3::AddServer(const QString& sIPAddress, const QString& sPath, const QString& sPort, const QString& sQueryString,
                       bool secure)
{
    const Publish publish(*this);
    Servers.Add(ServerEntry{sIPAddress, sPath, sPort, sQueryString, secure});
}

void frmMP3::ctlURIGrabber_URLRaise(const QString& Host, const QString& Resource, int Port, const QString& QueryString,
                                    bool Secure)
{
    AddServer(Host, Resource, QString::number(Port), QueryString, Secure);
}

void frmMP3::ctlURIGrabber_Done()
{
    const Publish publish(*this);
    if (Servers.Last() >= 1) {
        StartRecording();
    } else {
        m_deps.messages->ShowMessage(tr("Empty MP3 server list due to error!"));
        if (m_state == ConnectionState::FetchingPlaylist)
            setState(ConnectionState::Idle);
    }
}

void frmMP3::ctlURIGrabber_Error(int lngType)
{
    const Publish publish(*this);
    m_grabber->StdErrorMessage(lngType);
    if (m_state == ConnectionState::FetchingPlaylist)
        setState(ConnectionState::Idle);
}

void frmMP3::ctlURIPLSRead_URLRaise(const QString& Host, const QString& Resource, int Port, const QString& QueryString,
                                    bool Secure)
{
    AddServer(Host, Resource, QString::number(Port), QueryString, Secure);
}

void frmMP3::ctlURIPLSRead_Done()
{
    const Publish publish(*this);
    if (Servers.Last() >= 1) {
        m_config.sRecordingTitle = m_plsRead->strFirstTitle;
        m_config.bConfigOK = true;
        m_deps.host->ShowRecordingDisplay();
        StartRecording();
    } else {
        m_deps.messages->ShowMessage(tr("Empty MP3 server list due to error!"));
        if (m_state == ConnectionState::FetchingPlaylist)
            setState(ConnectionState::Idle);
    }
}

void frmMP3::ctlURIPLSRead_Error(int lngType)
{
    const Publish publish(*this);
    m_plsRead->StdErrorMessage(lngType);
    if (m_state == ConnectionState::FetchingPlaylist)
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
