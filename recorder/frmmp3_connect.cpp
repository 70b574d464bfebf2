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
    Servers.Add(ServerEntry{sIPAddress, sPath, sPort, sQueryString, secure});
}

void frmMP3::onStationResolved(const StationResolution& result)
{
    const Publish publish(*this);
    for (qint32 i = 1; i <= result.servers.Last(); ++i)
        Servers.Add(result.servers[i]);
    // A playlist that named none still records on servers the list held.
    const bool read = result.ok() || result.error == ResolveError::NoServers;
    if (read && Servers.Last() >= 1) {
        if (m_resolvingPlaylistFile) {
            m_config.sRecordingTitle = result.title;
            emit playlistRead(m_config.sRecordingTitle);
        }
        StartRecording();
        return;
    }
    if (!result.message.isEmpty())
        m_deps.messages->ShowMessage(result.message);
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

// Connects to the server at `position`, moving on to the following ones while
// the connection is refused. Returns at once; the rest happens in
// onConnected / onConnectError. `position` must outlive the attempt (the
// callers pass lServerNumber).
void frmMP3::ConnectToServer(qint32& position, bool reconnect)
{
    const Publish publish(*this);
    if (position > Servers.Last()) {
        stopWithMessage(tr("All servers are full!"));
        return;
    }
    if (reconnect)  // an attempt to take up a lost stream says only that
        showError(tr("[ERR] NETWORK: Reconnecting..."));
    else
        setSongCaption(tr("Connecting to %1...").arg(Servers[position].Host));
    m_ws->Close();
    ++m_connectAttempts;
    setState(ConnectionState::Connecting);
    m_connectReconnect = reconnect;
    m_connectLast = Servers.Last();
    m_connectPosition = &position;
    m_ws->Connect(AsciiHostName(Servers[position].Host), Servers[position].Port.toInt(), Servers[position].Secure);
}

void frmMP3::onConnectError(const QString& description, bool refused)
{
    const Publish publish(*this);
    if (m_state != ConnectionState::Connecting) {
        onStreamLost();  // a running stream's connection failed (reset)
        return;
    }
    // A secure connection that failed says which server and why.
    if (m_ws->Secure() && !description.isEmpty() && !m_connectReconnect)
        showError(tr("[ERR] TLS: %1").arg(description));
    if (m_connectReconnect) {
        // A lost stream is taken up again on its own server.
        scheduleReconnect(refused ? RetryAfter::Refusal : RetryAfter::Failure);
        return;
    }
    qint32& position = *m_connectPosition;
    if (position < m_connectLast) {
        ++position;
        m_ws->Close();
        m_ws->Connect(AsciiHostName(Servers[position].Host), Servers[position].Port.toInt(), Servers[position].Secure);
        return;
    }
    stopWithMessage(tr("The computer could not connect to the stream!"));
}

void frmMP3::onConnected()
{
    const Publish publish(*this);
    if (m_state != ConnectionState::Connecting)
        return;
    setState(ConnectionState::AwaitingHeader);
    finishConnect();
}

void frmMP3::finishConnect()
{
    const qint32 position = *m_connectPosition;
    const ServerEntry entry = Servers[position];

    if (m_config.bStartPaused) {
        m_config.bPreviewModeOnly = true;
        m_config.bStartPaused = false;
    }

    QString stationNumber;
    bool aflMode = false;
    if (m_deps.live365 && m_config.lRecordingMode == RecordingMode::PerSong &&
        Live365StationOf(entry, stationNumber, aflMode))
        m_deps.live365->GetL365StationFromNumber(stationNumber, aflMode);

    // Each connection is a new response: its header is pending again.
    m_streamIsReconnect = m_connectReconnect;
    m_writer.ConnectionBegins(m_connectReconnect);
    QByteArray request;
    if (m_config.lRecordingMode == RecordingMode::PerSong) {
        blnIcyReal = true;
        request = BuildStreamRequest(entry, true, m_deps.ieAgent());
    } else {
        blnIcyReal = false;
        if (!m_connectReconnect) {
            if (m_config.lRecordingMode == RecordingMode::SingleFile)
                OpenMP3File(m_config.sStreamFileName, false);
            else
                OpenMP3File(m_config.sStreamFileName + QLatin1Char('-') + dateStamp() + QStringLiteral(".mp3"), false);
        }
        request = BuildStreamRequest(entry, false, m_deps.ieAgent());
    }
    m_demux.Reset(blnIcyReal);
    m_dropStream = false;
    bIcy = true;
    m_ws->SendData(request);

    if (m_config.bPreviewModeOnly || (m_config.bStartInListenMode && !m_deps.relay->blnEnablePreviewStream())) {
        m_deps.relay->StartPreviewing();
        blnPreviewToggle = true;
    }
    m_timer1.start();
}

void frmMP3::WS_DataArrival()
{
    const Publish publish(*this);
    if (m_holdTimer.isActive()) {
        // Held: the data waits in the socket. It has arrived, which is all
        // the data watchdog asks.
        LastDataTick = m_deps.clock->GetTickCount();
        if (!bIcy)
            m_streamTick = LastDataTick;
        return;
    }
    // m_chunk is reused from chunk to chunk. That is safe because the socket
    // never raises DataArrival inside its own handler, not even while a
    // modal message box shown from here runs events.
    m_ws->GetData(m_chunk);
    HandleStreamData(m_chunk);
}

void frmMP3::HandleStreamData(const QByteArray& data)
{
    const Publish publish(*this);
    LastDataTick = m_deps.clock->GetTickCount();
    if (data.isEmpty() || m_dropStream || m_demux.Refused())
        return;
    m_demux.Feed(data, *this);
    m_writer.Flush();  // the queued audio points into `data`
    if (m_demux.HeaderPending())
        screenPendingHeader();
    bIcy = m_demux.HeaderPending();
    if (!bIcy && m_state == ConnectionState::AwaitingHeader)
        setState(ConnectionState::Streaming);
    // A server given up is left now, not on a later tick.
    if (m_state == ConnectionState::FailingOver)
        failOver();
}

// A header that is not complete yet can already show an error status line; a
// server that answers "ICY 401 ..." often closes without a blank line.
bool frmMP3::screenPendingHeader()
{
    const IcyHeader header = ParseIcyHeader(m_demux.PendingHeader());
    if (header.statusCode < 400 || header.statusCode > 599)
        return false;
    m_dropStream = true;
    handleIcyError(header);
    return true;
}

void frmMP3::handleIcyError(const IcyHeader& header)
{
    if (m_streamIsReconnect && blnRecording) {
        // The server that was streaming answers with an error for now (its
        // source is gone, it restarts): it is asked again soon.
        scheduleReconnect(RetryAfter::ErrorAnswer);
        return;
    }
    if (lServerNumber != Servers.Last()) {
        const QString n = QString::number(lServerNumber);
        const QString title = m_config.sRecordingTitle;
        const int icyCode = header.icyStatus ? header.statusCode : 0;
        if (icyCode == 404) {
            setTrayTip(tr("%1 -- NETWORK: Server error, resource not found... trying server %2").arg(title, n));
            showError(tr("[ERR]: Resource not found, trying server %1...").arg(n));
        } else if (icyCode == 400) {
            setTrayTip(tr("%1 -- Server Full... trying server %2").arg(title, n));
            showError(tr("[ERR]: Server full, trying server %1...").arg(n));
        } else if (icyCode == 403) {
            setTrayTip(tr("%1 -- NETWORK: Server error, forbidden... trying server %2").arg(title, n));
            showError(tr("[ERR]: Resource forbidden, trying server %1...").arg(n));
        } else {
            setTrayTip(tr("%1 --  General ICY error -- trying server %2").arg(title, n));
            showError(tr("[ERR]: General ICY error -- trying server %1...").arg(n));
        }
        setState(ConnectionState::FailingOver);
        m_ws->Close();
    } else {
        stopWithMessage(tr("The shoutcast stream you are trying to record is experiencing network problems, "
                           "or is full. Please try again later!"));
    }
}

void frmMP3::redirect(const IcyHeader& header)
{
    if (m_redirectServer != lServerNumber) {
        m_redirectServer = lServerNumber;
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
    showError(tr("[ERR]: Found new location, reconnecting..."));
    QString address = QString::fromUtf8(header.location);
    if (address.startsWith(QLatin1Char('/'))) {
        // A location on the same server.
        const ServerEntry& current = Servers[lServerNumber];
        address = (current.Secure ? QStringLiteral("https://") : QStringLiteral("http://")) + current.Host +
                  QLatin1Char(':') + current.Port + address;
    }
    {
        CUri uri;
        if (!address.isEmpty() && uri.setUri(address) && !uri.Host().isEmpty()) {
            ServerEntry& entry = Servers[lServerNumber];
            entry.Host = uri.Host();
            entry.Path = uri.Resource();
            entry.Port = QString::number(uri.Port());
            entry.QueryString = uri.QueryString();
            entry.Secure = uri.Protocol().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
            --lServerNumber;
            setState(ConnectionState::FailingOver);
            m_ws->Close();
            return;
        }
    }
    // No usable location: the next server is tried.
    showError(tr("[ERR]: Found new location... reconnecting..."));
    setState(ConnectionState::FailingOver);
    m_ws->Close();
}
