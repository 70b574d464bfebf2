// The station's servers as the resolver finds them, and the stream session's
// events as the recording takes them: what the status says of them, and
// what the recording does when a connection begins, a server is given up or
// the session ends.
#include "platform/messages.h"
#include "recorder/frmmp3.h"
#include "recorder/recordercaptions.h"

void frmMP3::AddServer(const QString& sIPAddress, const QString& sPath, const QString& sPort,
                       const QString& sQueryString, bool secure)
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
        m_session->SetState(ConnectionState::Idle);
}

void frmMP3::ConnectToServer(qint32 position, bool reconnect)
{
    const Publish publish(*this);
    m_session->ConnectToServer(position, reconnect);
}

void frmMP3::EventEnds()
{
    if (--m_publishDepth == 0)
        publishStatus();
}

void frmMP3::OnConnecting(const ServerEntry& server, bool reconnect)
{
    if (reconnect) // an attempt to take up a lost stream says only that
        m_status.Error(tr("[ERR] NETWORK: Reconnecting..."));
    else
        m_status.Say(tr("Connecting to %1...").arg(server.Host));
}

bool frmMP3::OnConnected(const ServerEntry& entry, bool reconnect)
{
    if (m_config.bStartPaused) {
        m_config.bPreviewModeOnly = true;
        m_config.bStartPaused = false;
    }

    m_live365.Connected(entry, m_config.lRecordingMode == RecordingMode::PerSong);

    // A recording that is not cut into songs has its file from now on.
    const bool titled = m_writer.ConnectionBegins(reconnect);
    if (m_config.bPreviewModeOnly || (m_config.bStartInListenMode && !m_listening.Relaying()))
        m_listening.Begin();
    m_timer1.start();
    return titled; // titles are asked for when the recording names files after them
}

void frmMP3::OnProblem(SessionProblem problem, qint32 server, const QString& detail)
{
    const auto said = RecorderCaptions::ForProblem(problem, server, m_config.sRecordingTitle, detail);
    m_status.Show(said.status, said.tip);
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
    say(RecorderCaptions::Turn::TimedOut);
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
    if (why == SessionEnd::StreamEnded) {
        // The station's stream is over: the recording ends as a timed one does.
        StopRecording();
        if (m_config.bExitTimedRecording)
            endProgram();
        return;
    }
    if (why == SessionEnd::AgentRefused) {
        // The user can mend this one: the recording stops, the program stays.
        m_deps.messages->ShowMessage(RecorderCaptions::ForEnd(why));
        StopRecording();
        return;
    }
    stopWithMessage(RecorderCaptions::ForEnd(why));
}
