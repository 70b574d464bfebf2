// The recorder's status as the windows see it, the signals that tell them it
// changed, and the commands that are theirs alone.
#include "config/configuration.h"
#include "platform/messages.h"
#include "recorder/frmmp3.h"

#include <utility>

frmMP3::Publish::~Publish()
{
    if (--m_owner.m_publishDepth == 0)
        m_owner.publishStatus();
}

RecorderStatus frmMP3::Status() const
{
    RecorderStatus s;
    s.blnRecording = blnRecording;
    s.blnPaused = m_writer.Paused();
    s.blnPreviewToggle = blnPreviewToggle;
    s.connection = connectionState();
    s.sSongCaption = sSongCaption;
    s.displayCaption = DisplayCaption();
    s.strSongName = m_writer.SongName();
    s.file = m_writer.FileOpen() ? m_writer.FilePath() : QString();
    s.wished = m_writer.FileOpen() && m_writer.FileWished();
    s.lngBitRate = m_writer.BitRate();
    s.lngVolume = lngVolume;
    s.lastError = m_lastError;
    s.strConfigName = strConfigName;
    s.clock = m_recordingClock.Value();
    return s;
}

void frmMP3::publishStatus()
{
    const RecorderStatus now = Status();
    // Taken before anything is sent: a window that acts on a signal
    // publishes what it changed against this state.
    const RecorderStatus before = std::exchange(m_published, now);
    if (now.strSongName != before.strSongName)
        emit titleChanged(now.strSongName);
    RecorderStatus withoutClock = now;
    withoutClock.clock = before.clock;
    if (withoutClock != before)
        emit statusChanged(now);
    if (now.clock != before.clock)
        emit clockChanged(now);
}

void frmMP3::Restart()
{
    const Publish publish(*this);
    if (!strConfigName.isEmpty()) {
        const QString preset = strConfigName;
        emit presetWanted(preset);
    } else if (Servers.Last() >= 1) {
        StartRecording();
    }
}

void frmMP3::SetVolume(qint32 volume)
{
    const Publish publish(*this);
    lngVolume = volume;
}

ConnectionState frmMP3::connectionState() const
{
    return m_state;
}

frmMP3::Phase frmMP3::phaseOf(ConnectionState state)
{
    switch (state) {
    case ConnectionState::Idle:
    case ConnectionState::Stopped:
        return Phase::Idle;
    case ConnectionState::FetchingPlaylist:
        return Phase::Resolving;
    default:
        return Phase::Recording;
    }
}

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

void frmMP3::setState(ConnectionState next)
{
    if (next == m_state)
        return;
    Q_ASSERT_X(canMove(m_state, next), "frmMP3::setState", "a connection state that cannot follow");
    const Phase before = phase();
    m_state = next;
    if (phase() != before)
        emit phaseChanged(phase());
}

void frmMP3::FailOver()
{
    const Publish publish(*this);
    setState(ConnectionState::FailingOver);
    failOver();
}

void frmMP3::failOver()
{
    // The next server continues the file this one was writing.
    m_writer.ContinueOnNextServer();
    CloseRecording();
    ++lServerNumber;
    blnRecording = true;
    if (lServerNumber <= Servers.Last()) {
        ConnectToServer(lServerNumber, false);
        return;
    }
    m_deps.messages->ShowMessage(tr("All servers are full!"));
    StopRecording();
    if (!m_calledFromGUI && m_config.bExitTimedRecording)
        endProgram();
}
