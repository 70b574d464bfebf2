// From the stream's bytes to recording files: the response header, titles,
// audio, and the switch from one file to the next.
#include "config/configuration.h"
#include "listen/relay.h"
#include "platform/eventsocket.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/sleeper.h"
#include "platform/text.h"
#include "platform/tickcount.h"
#include "recorder/frmmp3.h"

bool frmMP3::OnHeader(const IcyHeader& header, const QByteArray& bodyStart)
{
    const QByteArray& raw = header.raw;
    const QByteArray lower = raw.toLower();
    if (!header.complete) {
        // Far too long for a response header: not a stream server.
        handleIcyError(raw, true);
        return false;
    }
    if (raw.contains("ICY 40")) {
        handleIcyError(raw, false);
        return false;
    }
    const int code = HttpStatusCode(raw);
    if (code >= 400 && code <= 599) {
        handleIcyError(raw, true);
        return false;
    }
    const bool html = header.contentType.startsWith("text/html");
    if (lower.contains("shoutcast server") || (html && bodyStart.toLower().contains("shoutcast server"))) {
        m_deps.messages->ShowMessage(QStringLiteral("This station does not support faking Internet Explorer as the agent. "
                                                    "Please turn this option off to listen to this station."));
        StopRecording();
        return false;
    }
    const bool redirectStatus = code == 301 || code == 302 || code == 303 || code == 307 || code == 308;
    if (raw.contains("302 Found") || (redirectStatus && !header.location.isEmpty())) {
        redirect(raw);
        return false;
    }
    if (!blnIcyReal || !header.hasIcyName) {
        if (lower.contains("redirect")) {
            setSongCaption(QStringLiteral("[ERR]: Server full, trying next server..."));
            blnDisconnect = true;
            m_ws->Close();
            return false;
        }
        if (lower.contains("302 found")) {
            redirect(raw);
            return false;
        }
    }
    if (html) {
        // A web page is not audio.
        handleIcyError(raw, true);
        return false;
    }

    // The response is a stream. From now on a failure ends an unattended run.
    m_config.bCalledFromGUI = false;
    strICYHeader = QString::fromLatin1(raw);
    if (header.hasBitRate)
        lngBitRate = header.bitRate;

    if (blnIcyReal) {
        if (!m_streamIsReconnect && !m_continueName.isEmpty()) {
            OpenMP3File(m_continueName, false);
        } else if (!m_streamIsReconnect) {
            QString station;
            if (header.hasIcyName)
                station = DecodeText(header.icyName).trimmed();
            const QString name = station.isEmpty()
                                     ? QStringLiteral("unknown-") + dateStamp() + QStringLiteral(".mp3")
                                     : station + QLatin1Char('-') + dateStamp() + QStringLiteral(".mp3");
            OpenMP3File(name, false);
        }
        if (header.hasMetaInt && header.metaInt > 0) {
            lngMetaDataLength = header.metaInt;
        } else {
            blnIcyReal = false;
        }
        pauseSleeper().Sleep(m_deps.headerPauseMs);
    }
    return true;
}

void frmMP3::OnMetadata(const QByteArray& block)
{
    if (!ContainsStreamTitle(block))
        return;
    const QString title = DecodeText(ParseStreamTitle(block));
    if (title.isEmpty())
        return;  // an empty title keeps the current file
    const QString name = title + QStringLiteral(".mp3");
    if (name != strSongName)
        OpenMP3File(name, true);
}

void frmMP3::OnAudio(const char* data, qsizetype size)
{
    WriteAudio(data, size);
}

void frmMP3::WriteAudio(const char* data, qsizetype size)
{
    if (!blnPaused) {
        if (m_file.IsOpen()) {
            // Written when the chunk is done or the file changes, whichever
            // comes first: one system call for all of a chunk's audio.
            m_file.Queue(data, size);
        } else if (!m_writeErrorShown) {
            m_writeErrorShown = true;
            setSongCaption(QStringLiteral("[ERR] DISK: Cannot write the recording (no recording file is open)"));
        }
    }
    if (m_deps.relay->blnEnablePreviewStream())
        m_deps.relay->PushData(data, size);
}

void frmMP3::flushAudio()
{
    if (!m_file.IsOpen() || m_file.QueuedBytes() == 0)
        return;
    const qint64 before = m_file.BytesWritten();
    const bool ok = m_file.Flush();
    m_audioWritten += m_file.BytesWritten() - before;
    if (ok) {
        m_writeErrorShown = false;
    } else if (!m_writeErrorShown) {
        m_writeErrorShown = true;
        setSongCaption(QStringLiteral("[ERR] DISK: Cannot write the recording (") + m_file.lastError() +
                       QStringLiteral(")"));
    }
}

void frmMP3::closeFile(bool titleMode)
{
    if (!m_file.IsOpen())
        return;
    flushAudio();
    const QString path = m_file.Path();
    m_file.Close();
    // The tag is taken from the name the file was started under, so a file
    // closed after a pause is tagged like any other; a file named after a
    // title is always tagged from that title.
    if (!m_fileSongName.isEmpty() && FileExists(path))
        TagRecording(m_config.sMP3Path, m_fileSongName, titleMode || m_fileFromTitle, m_config.sRecordingTitle,
                     now().date());
    m_fileSongName.clear();
    m_fileFromTitle = false;
    emit fileClosed(path);
}

void frmMP3::OpenMP3File(QString strFileName, bool blnICYName)
{
    if (m_config.bPreviewModeOnly) {
        // Start paused: nothing is written until the user resumes.
        TogglePause();
        m_config.bPreviewModeOnly = false;
        PendingFile = strFileName;
        strSongName = strFileName;
        if (m_config.bStartInListenMode) {
            m_deps.relay->StartPreviewing();
            blnPreviewToggle = true;
        }
        return;
    }
    if (blnPaused) {
        if (strFileName != strSongName) {
            strSongName = strFileName;
            if (!PendingFile.isEmpty())
                PendingFile = strFileName;
        }
        return;
    }

    closeFile(blnICYName);
    const QString continued = m_continueName;
    m_continueName.clear();
    if (!continued.isEmpty() && strFileName == continued &&
        m_file.Append(FullRecordingPath(m_config.sMP3Path, strFileName))) {
        strSongName = strFileName;
        m_fileSongName = strFileName;
        m_fileFromTitle = blnICYName;
        m_writeErrorShown = false;
        return;
    }
    if (strFileName != strSongName && !m_config.bEnabledTimedRecording)
        StartTick = m_deps.clock->GetTickCount();  // a continuous recording counts per file

    QString name = strFileName;
    const bool created = CreateRecordingFile(m_config.sMP3Path, name, m_file, now().date(), pauseSleeper(),
                                             m_deps.filePauseMs);
    strSongName = created ? strFileName : name;
    if (m_file.IsOpen()) {
        m_fileSongName = strSongName;
        m_fileFromTitle = blnICYName && created;
        m_writeErrorShown = false;
    } else {
        m_writeErrorShown = true;
        setSongCaption(QStringLiteral("[ERR] DISK: Cannot create a recording file in ") + m_config.sMP3Path);
    }
}

void frmMP3::CloseRecording()
{
    closeFile(blnIcyReal);
    m_ws->Close();
    m_connecting = false;
    bIcy = true;
}
