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
    s.blnPaused = blnPaused;
    s.blnPreviewToggle = blnPreviewToggle;
    s.connection = connectionState();
    s.sSongCaption = sSongCaption;
    s.displayCaption = DisplayCaption();
    s.strSongName = strSongName;
    s.file = m_file.IsOpen() ? m_file.Path() : QString();
    s.lngBitRate = lngBitRate;
    s.lngVolume = lngVolume;
    s.lastError = m_lastError;
    s.strConfigName = strConfigName;
    s.clock = {lngHoursPassed, lngMinutesPassed, lngSecondsPassed, lngHoursLeft, lngMinutesLeft, lngSecondsLeft};
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
        QString preset = strConfigName;
        LoadConfigurationFile(preset);
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
    switch (m_phase) {
    case Phase::Idle:
        return ConnectionState::Idle;
    case Phase::Resolving:
        return ConnectionState::FetchingPlaylist;
    case Phase::Recording:
        break;
    }
    if (blnDisconnect)
        return ConnectionState::FailingOver;
    if (m_retrying)
        return ConnectionState::WaitingToRetry;
    if (m_connecting)
        return ConnectionState::Connecting;
    return bIcy ? ConnectionState::AwaitingHeader : ConnectionState::Streaming;
}

void frmMP3::FailOver()
{
    const Publish publish(*this);
    failOver();
}

void frmMP3::failOver()
{
    blnDisconnect = false;
    // The next server continues the file this one was writing.
    settleJoin();
    finishCleanCut();
    m_continueName = m_file.IsOpen() ? m_fileSongName : QString();
    CloseRecording();
    ++lServerNumber;
    blnRecording = true;
    if (lServerNumber <= Servers.Last()) {
        ConnectToServer(lServerNumber, false);
        return;
    }
    m_deps.messages->ShowMessage(QStringLiteral("All servers are full!"));
    StopRecording();
    if (!m_config.bCalledFromGUI && m_config.bExitTimedRecording)
        endProgram();
}
