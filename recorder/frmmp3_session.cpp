// The stream session's events as the recording takes them: what the status
// says of them, and what the recording does when a connection begins, a
// server is given up or the session ends.
#include "config/configuration.h"
#include "listen/relay.h"
#include "platform/messages.h"
#include "recorder/frmmp3.h"
#include "sources/live365link.h"

void frmMP3::ConnectToServer(qint32 position, bool reconnect)
{
    const Publish publish(*this);
    m_session->ConnectToServer(position, reconnect);
}

void frmMP3::WS_DataArrival()
{
    const Publish publish(*this);
    m_session->DataArrival();
}

void frmMP3::HandleStreamData(const QByteArray& data)
{
    const Publish publish(*this);
    m_session->Feed(data);
}

void frmMP3::EventEnds()
{
    if (--m_publishDepth == 0)
        publishStatus();
}

void frmMP3::OnConnecting(const ServerEntry& server, bool reconnect)
{
    if (reconnect) // an attempt to take up a lost stream says only that
        showError(tr("[ERR] NETWORK: Reconnecting..."));
    else
        setSongCaption(tr("Connecting to %1...").arg(server.Host));
}

bool frmMP3::OnConnected(const ServerEntry& entry, bool reconnect)
{
    if (m_config.bStartPaused) {
        m_config.bPreviewModeOnly = true;
        m_config.bStartPaused = false;
    }

    QString stationNumber;
    bool aflMode = false;
    if (m_deps.live365 && m_config.lRecordingMode == RecordingMode::PerSong &&
        Live365StationOf(entry, stationNumber, aflMode))
        m_deps.live365->GetL365StationFromNumber(stationNumber, aflMode);

    m_writer.ConnectionBegins(reconnect);
    if (m_config.lRecordingMode == RecordingMode::PerSong) {
        blnIcyReal = true;
    } else {
        blnIcyReal = false;
        if (!reconnect) {
            if (m_config.lRecordingMode == RecordingMode::SingleFile)
                OpenMP3File(m_config.sStreamFileName, false);
            else
                OpenMP3File(m_config.sStreamFileName + QLatin1Char('-') + dateStamp() + QStringLiteral(".mp3"), false);
        }
    }
    if (m_config.bPreviewModeOnly || (m_config.bStartInListenMode && !m_deps.relay->blnEnablePreviewStream())) {
        m_deps.relay->StartPreviewing();
        blnPreviewToggle = true;
    }
    m_timer1.start();
    return blnIcyReal; // titles are asked for when the recording names files after them
}

void frmMP3::OnProblem(SessionProblem problem, qint32 server, const QString& detail)
{
    const QString n = QString::number(server);
    const QString title = m_config.sRecordingTitle;
    switch (problem) {
    case SessionProblem::NotFound:
        setTrayTip(tr("%1 -- NETWORK: Server error, resource not found... trying server %2").arg(title, n));
        showError(tr("[ERR]: Resource not found, trying server %1...").arg(n));
        break;
    case SessionProblem::Full:
        setTrayTip(tr("%1 -- Server Full... trying server %2").arg(title, n));
        showError(tr("[ERR]: Server full, trying server %1...").arg(n));
        break;
    case SessionProblem::Forbidden:
        setTrayTip(tr("%1 -- NETWORK: Server error, forbidden... trying server %2").arg(title, n));
        showError(tr("[ERR]: Resource forbidden, trying server %1...").arg(n));
        break;
    case SessionProblem::GeneralError:
        setTrayTip(tr("%1 --  General ICY error -- trying server %2").arg(title, n));
        showError(tr("[ERR]: General ICY error -- trying server %1...").arg(n));
        break;
    case SessionProblem::FullRedirect:
        showError(tr("[ERR]: Server full, trying next server..."));
        break;
    case SessionProblem::Redirected:
        showError(tr("[ERR]: Found new location, reconnecting..."));
        break;
    case SessionProblem::RedirectNowhere:
        showError(tr("[ERR]: Found new location... reconnecting..."));
        break;
    case SessionProblem::Tls:
        showError(tr("[ERR] TLS: %1").arg(detail));
        break;
    }
}

void frmMP3::OnLost(bool ran)
{
    // A connection that did not bring the stream back: what it brought is
    // recorded; what its join found is not said.
    if (!ran)
        m_writer.ConnectionLostEarly();
}

void frmMP3::OnTimedOut(bool attempt)
{
    if (attempt)
        return; // an attempt to take up a lost stream says only that it reconnects
    setTrayTip(tr("%1 -- TIMEOUT! Reconnecting...").arg(m_config.sRecordingTitle));
    showError(tr("[ERR] TIMEOUT! Reconnecting..."));
}

void frmMP3::OnReconnecting(int, qint32)
{
    showReconnecting();
}

void frmMP3::OnFailingOver(qint32)
{
    // The next server continues the file this one was writing.
    m_writer.ContinueOnNextServer();
    CloseRecording();
    blnRecording = true;
}

void frmMP3::OnGaveUp(SessionEnd why)
{
    switch (why) {
    case SessionEnd::AllServersFull:
        stopWithMessage(tr("All servers are full!"));
        break;
    case SessionEnd::CouldNotConnect:
        stopWithMessage(tr("The computer could not connect to the stream!"));
        break;
    case SessionEnd::StreamProblems:
        stopWithMessage(tr("The shoutcast stream you are trying to record is experiencing network problems, "
                           "or is full. Please try again later!"));
        break;
    case SessionEnd::AgentRefused:
        m_deps.messages->ShowMessage(tr("This station does not support faking Internet Explorer as the agent. "
                                        "Please turn this option off to listen to this station."));
        StopRecording();
        break;
    }
}
