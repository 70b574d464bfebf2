// The recorder's status as the windows see it, the signals that tell them it
// changed, and the commands that are theirs alone.
#include "recorder/frmmp3.h"

#include <utility>

RecorderStatus frmMP3::Status() const
{
    RecorderStatus s;
    s.blnRecording = blnRecording;
    s.blnPaused = m_writer.Paused();
    s.blnPreviewToggle = m_listening.On();
    s.connection = m_session->State();
    s.sSongCaption = m_status.Text();
    s.displayCaption = m_status.DisplayText();
    s.strSongName = m_writer.SongName();
    s.file = m_writer.FileOpen() ? m_writer.FilePath() : QString();
    s.wished = m_writer.FileOpen() && m_writer.FileWished();
    s.lngBitRate = m_writer.BitRate();
    s.lngVolume = m_listening.Volume();
    s.lastError = m_status.LastError();
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
    } else if (m_session->Servers().Last() >= 1) {
        StartRecording();
    }
}

void frmMP3::SetVolume(qint32 volume)
{
    const Publish publish(*this);
    m_listening.SetVolume(volume);
}

void frmMP3::OnStateChanged(ConnectionState from, ConnectionState to)
{
    if (PhaseOf(to) != PhaseOf(from))
        emit phaseChanged(PhaseOf(to));
}

void frmMP3::FailOver()
{
    const Publish publish(*this);
    m_session->FailOver();
}
