// From the stream session to the song writer: the stream's head, titles and
// audio handed on, and what the writer did said as the status.
#include "config/configuration.h"
#include "listen/relay.h"
#include "platform/messages.h"
#include "platform/text.h"
#include "platform/tickcount.h"
#include "recorder/frmmp3.h"

#include <QFileInfo>

#include <utility>

void frmMP3::OnStreamBegan(const StreamHead& header)
{
    const QByteArray& bodyStart = header.bodyStart;
    // The response is a stream. From now on a failure ends an unattended run.
    m_calledFromGUI = false;
    m_writer.ReleaseHeld();  // what the last connection brought comes first
    if (header.hasBitRate)
        m_writer.SetBitRate(header.bitRate);
    m_deps.relay->BeginStream(header.contentType, IsOggStream(header.contentType, bodyStart));
    blnIcyReal = m_writer.BeginStream(header, blnIcyReal, m_session->StreamTick());
}

void frmMP3::OnTitle(const QString& decoded, qint64, bool firstBlock)
{
    m_writer.Title(decoded, firstBlock);
}

void frmMP3::OnAudio(const char* data, qsizetype size)
{
    m_writer.Audio(data, size, m_session->LastDataTick());
    if (!m_deps.relay->blnEnablePreviewStream())
        return;
    // A relay that began listening in an Ogg song needs that song's header.
    if (m_writer.Ogg().Active() && m_writer.Ogg().Demuxer().Started())
        m_deps.relay->OfferOggHeader(m_writer.Ogg().Demuxer().Current().headerPages);
    m_deps.relay->PushData(data, size);
}

void frmMP3::OpenMP3File(QString strFileName, bool blnICYName)
{
    const Publish publish(*this);
    m_writer.Open(strFileName, blnICYName);
}

void frmMP3::onSongEvent(const SongEvent& e)
{
    using K = SongEvent::Kind;
    switch (e.kind) {
    case K::Say:
        setSongCaption(e.text);
        break;
    case K::Opened:
        // Said once for each file opened, naming it as it is on disk.
        rememberFileCaption(e);
        setSongCaption(m_fileCaption);
        break;
    case K::Continued:
        rememberFileCaption(e);
        break;
    case K::OggOpened:
        setSongCaption(tr("Now Recording: %1").arg(e.name));
        break;
    case K::Closed:
        emit fileClosed(e.path);
        break;
    case K::KeptVersion:
        setSongCaption(tr("Kept %1 as another recording").arg(e.name));
        break;
    case K::Replaced:
        setSongCaption(tr("Replaced %1 with a later complete play").arg(e.name));
        break;
    case K::NoFreeName:
        showError(tr("[ERR] DISK: No free name beside %1; the later play stays as %2").arg(e.name, e.other));
        break;
    case K::TagFailed:
        showError(tr("[ERR] DISK: Cannot tag the recording %1").arg(e.path));
        break;
    case K::TooShort:
        setSongCaption(tr("Deleted %1: shorter than %2 seconds").arg(e.name, QString::number(e.count)));
        break;
    case K::SavedAlready:
        setSongCaption(tr("Not recording %1: it is saved already").arg(e.name));
        break;
    case K::TakenBy:
        setSongCaption(tr("Another recorder is writing %1; recording to %2").arg(e.other, e.name));
        break;
    case K::FolderGone:
        showError(tr("[ERR] DISK: The recording folder was gone; creating it again: %1").arg(e.path));
        break;
    case K::CreateFailed:
        showError(tr("[ERR] DISK: Cannot create a recording file in %1").arg(e.path));
        break;
    case K::WriteFailed:
        showError(tr("[ERR] DISK: Cannot write the recording (%1)").arg(e.text));
        break;
    case K::NoFile:
        showError(tr("[ERR] DISK: Cannot write the recording (no recording file is open)"));
        break;
    case K::RulesLate:
        showError(tr("[ERR] Song rules: not read yet; the songs so far are recorded without them"));
        break;
    case K::Joined:
        setSongCaption(tr("Reconnected: joined where the recording left off (%1 s already recorded left out)")
                           .arg(e.seconds, 0, 'f', 1));
        break;
    case K::Gap: {
        // The broadcast ran on from the lost connection's last audio to the
        // new one's first.
        const QString joined =
            e.count > 0 ? tr("joined on a frame boundary (%1 bytes dropped); ").arg(e.count) : QString();
        const QString missed = e.missedMs >= 500
                                   ? tr("about %1 s of the broadcast were missed").arg((e.missedMs + 500) / 1000)
                                   : tr("less than a second of the broadcast was missed");
        setSongCaption(tr("Reconnected: %1%2").arg(joined, missed));
        break;
    }
    case K::OggJoined:
        if (e.missed > 0)
            setSongCaption(tr("Reconnected: the song goes on; %1 page(s) of it were missed").arg(e.missed));
        else
            setSongCaption(
                tr("Reconnected: joined where the recording left off (%1 page(s) already recorded left out)")
                    .arg(e.count));
        break;
    case K::StartPaused:
        // Start paused: nothing is written until the user resumes.
        TogglePause();
        m_config.bPreviewModeOnly = false;
        if (m_config.bStartInListenMode) {
            m_deps.relay->StartPreviewing();
            blnPreviewToggle = true;
        }
        break;
    case K::NewFile:
        if (!m_config.bEnabledTimedRecording)
            m_recordingClock.Start(m_deps.clock->GetTickCount());  // a continuous recording counts per file
        break;
    }
}

void frmMP3::rememberFileCaption(const SongEvent& opened)
{
    m_fileCaption = tr("Now Recording: %1").arg(opened.name);
    m_fileTitleCaption = tr("Now Recording: %1").arg(opened.song);
}

QString frmMP3::DisplayCaption() const
{
    // A name shortened to fit the folder, or cleaned of characters a file
    // name cannot hold, is the file's; the display shows the song's own.
    if (!m_fileCaption.isEmpty() && sSongCaption == m_fileCaption)
        return m_fileTitleCaption;
    return sSongCaption;
}

// Once the stream flows again the status names the file again; it was said
// already, so it is not said a second time.
void frmMP3::showFileAgain()
{
    if (m_fileCaption.isEmpty() || !m_writer.FileOpen() || sSongCaption == m_fileCaption)
        return;
    sSongCaption = m_fileCaption;
    m_lastError.clear();
}

void frmMP3::CloseRecording()
{
    const Publish publish(*this);
    m_writer.Close(blnIcyReal);
    m_session->Close();  // a connection still being made is not waited for
}

void frmMP3::onSongRulesCompiled()
{
    const Publish publish(*this);
    m_writer.RulesCompiled();
}
