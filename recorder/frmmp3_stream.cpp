// From the stream session to the song writer: the stream's head, titles and
// audio handed on, and what the writer did said as the status.
#include "platform/tickcount.h"
#include "recorder/frmmp3.h"
#include "recorder/recordercaptions.h"

#include <utility>

void frmMP3::OnStreamBegan(const StreamHead& header)
{
    // The response is a stream. From now on a failure ends an unattended run.
    m_calledFromGUI = false;
    m_writer.ReleaseHeld(); // what the last connection brought comes first
    if (header.hasBitRate)
        m_writer.SetBitRate(header.bitRate);
    m_listening.StreamBegins(header);
    m_writer.BeginStream(header, m_session->StreamTick());
}

void frmMP3::OnTitle(const QString& decoded, qint64, bool firstBlock)
{
    m_writer.Title(decoded, firstBlock);
    m_covers.Titled(decoded);
}

void frmMP3::OnAudio(const char* data, qsizetype size)
{
    m_writer.Audio(data, size, m_session->LastDataTick());
    m_listening.Audio(data, size, m_writer.Ogg());
}

void frmMP3::OpenMP3File(QString strFileName, bool blnICYName)
{
    const Publish publish(*this);
    m_writer.Open(strFileName, blnICYName);
}

void frmMP3::onSongEvent(const SongEvent& e)
{
    using K = SongEvent::Kind;
    emit songEvent(e);
    switch (e.kind) {
    case K::Opened:
        // Said once for each file opened, naming it as it is on disk.
        m_status.FileOpened(e.name, e.song, true);
        break;
    case K::Continued:
        m_status.FileOpened(e.name, e.song, false);
        break;
    case K::Closed:
        emit fileClosed(e.path);
        break;
    case K::StartPaused:
        // Start paused: nothing is written until the user resumes.
        TogglePause();
        m_config.bPreviewModeOnly = false;
        if (m_config.bStartInListenMode)
            m_listening.Begin();
        break;
    case K::NewFile:
        if (!m_config.bEnabledTimedRecording)
            m_recordingClock.Start(m_deps.clock->GetTickCount()); // a continuous recording counts per file
        break;
    default:
        if (const auto caption = RecorderCaptions::ForSongEvent(e))
            m_status.Say(*caption);
        break;
    }
}

void frmMP3::CloseRecording()
{
    const Publish publish(*this);
    m_writer.Close();
    m_session->Close(); // a connection still being made is not waited for
}

void frmMP3::onSongRulesCompiled()
{
    const Publish publish(*this);
    m_writer.RulesCompiled();
}
