// From the stream's bytes to recording files: the response header, titles,
// audio, and the switch from one file to the next.
#include "config/configuration.h"
#include "listen/relay.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/sleeper.h"
#include "platform/text.h"
#include "platform/tickcount.h"
#include "recorder/frmmp3.h"
#include "recorder/id3v2tag.h"

#include <QFile>
#include <QDir>
#include <QFileInfo>

#include <cmath>
#include <utility>

void frmMP3::OnStreamBegan(const StreamHead& header)
{
    const QByteArray& bodyStart = header.bodyStart;
    // The response is a stream. From now on a failure ends an unattended run.
    m_config.bCalledFromGUI = false;
    releaseHeldTitles();  // what the last connection brought comes first
    const QString extension = StreamExtension(header.contentType, bodyStart);
    if (!m_streamIsReconnect) {
        m_extension = extension;
        // An archive file made before the stream's type was known, still
        // empty, takes the type's extension; so does a single file of Ogg.
        const bool ogg = IsOggStream(header.contentType, bodyStart);
        if (!blnIcyReal && (m_config.lRecordingMode == RecordingMode::DatedArchive || ogg) && m_file.IsOpen() && m_file.BytesWritten() == 0 &&
            m_file.QueuedBytes() == 0 && RecordingExtensionOf(m_fileSongName) != extension) {
            const QString wrong = m_file.Path();
            const QString renamed = WithExtension(m_fileSongName, extension);
            m_fileSongName.clear();
            m_file.Close();
            QFile::remove(wrong);
            OpenMP3File(renamed, false);
        }
    }
    if (header.hasBitRate)
        lngBitRate = header.bitRate;
    m_deps.relay->BeginStream(header.contentType, IsOggStream(header.contentType, bodyStart));
    if (beginOgg(header, bodyStart))
        return;

    if (blnIcyReal) {
        if (!m_streamIsReconnect && !m_continueName.isEmpty()) {
            OpenMP3File(m_continueName, false);
        } else if (!m_streamIsReconnect) {
            QString station;
            if (header.hasIcyName)
                station = DecodeText(header.icyName).trimmed();
            const QString untitled =
                (station.isEmpty() ? QStringLiteral("unknown") : station) + QLatin1Char('-') + dateStamp();
            m_songs.SetUntitledName(untitled);
            OpenMP3File(untitled + m_extension, false);
        }
        if (!header.metadata)
            blnIcyReal = false;
        pauseSleeper().Sleep(m_deps.headerPauseMs);
    }
    // A stream that goes on with the recording is joined to it (its file is
    // open again by now); any other begins the memory of what is recorded.
    if (m_streamContinues) {
        beginJoin();
    } else {
        m_memory.Clear();
        m_recentTitles.clear();
        m_connectionStart = 0;
        // About ten seconds, and at least what a server's burst holds.
        m_memory.SetCapacity(std::max<qint64>(10 * bytesPerSecond(), kMinJoinMemoryBytes));
    }
    m_arrival = Arrival();
    m_joinStatus.clear(); // of a connection that did not bring the stream back
}

void frmMP3::OnTitle(const QString& decoded, qint64, bool firstBlock)
{
    if (m_rulesWanted || !m_heldTitles.empty())
        m_heldTitles.push_back({m_heldAudio.size(), decoded, firstBlock});  // the rules say what it is
    else
        takeTitle(decoded, firstBlock);
}

void frmMP3::takeTitle(const QString& title, bool firstBlock)
{
    if (title.isEmpty())
        return;  // an empty title keeps the current file
    const QString name = m_songs.SongName(title, m_extension);
    if (m_joinPending)
        m_joinTitles.push_back({m_joinBuffer.size(), name, firstBlock});  // its place is known when the join is
    else
        switchTitle(name);
}

void frmMP3::switchTitle(const QString& name)
{
    if (m_cutPending) {
        if (name == m_cutName)
            return;
        finishCleanCut();
    }
    if (name == strSongName || m_songs.IsCurrentSong(name, strSongName))
        return;
    if (!blnPaused) {
        // Remembered, so that a burst after a reconnect that still names
        // the title before is not taken for a new one.
        const qint64 oldest = m_memory.Total() - m_memory.Size();
        std::erase_if(m_recentTitles, [&](const RecordedTitle& t) { return t.from < oldest; });
        m_recentTitles.push_back({m_memory.Total(), strSongName});
    }
    if (cleanCutApplies())
        beginCleanCut(name);
    else
        OpenMP3File(name, true);
}

void frmMP3::OnAudio(const char* data, qsizetype size)
{
    noteArrival(size);
    // A stream flows again: what its join found is said.
    if (connectionRan() && !m_joinStatus.isEmpty())
        setSongCaption(std::exchange(m_joinStatus, QString()));
    if (m_ogg.Active())
        writeOgg(data, size);
    else
        WriteAudio(data, size);
}

void frmMP3::WriteAudio(const char* data, qsizetype size)
{
    if (!m_heldTitles.empty())
        m_heldAudio.append(data, size);  // it belongs to a title the rules have yet to judge
    else
        routeAudio(data, size);
    if (m_deps.relay->blnEnablePreviewStream())
        m_deps.relay->PushData(data, size);
}

void frmMP3::routeAudio(const char* data, qsizetype size)
{
    if (blnPaused || m_skipping) {
        // What is not recorded breaks the memory's run of the broadcast.
        settleJoin();
        m_memory.Clear();
    } else if (m_joinPending) {
        joinAudio(data, size);
    } else if (m_leadPending) {
        leadAudio(data, size);
    } else {
        recordAudio(data, size);
    }
}

void frmMP3::recordAudio(const char* data, qsizetype size)
{
    m_memory.Append(data, size);
    if (!m_cutPending && m_file.IsOpen()) {
        const QString part =
            m_songs.NextPartName(m_file.BytesWritten() + m_file.QueuedBytes(), bytesPerSecond(), m_fileFromTitle);
        if (!part.isEmpty())
            switchTitle(part);
    }
    if (m_cutPending) {
        holdForCut(data, size);
    } else if (m_file.IsOpen() || reopenAfterDiskError()) {
        // Written when the chunk is done or the file changes, whichever
        // comes first: one system call for all of a chunk's audio.
        m_file.Queue(data, size);
    } else if (!m_writeErrorShown) {
        m_writeErrorShown = true;
        showError(tr("[ERR] DISK: Cannot write the recording (no recording file is open)"));
    }
}

// A file that could not be created is tried again, at most once a second,
// so writing resumes as soon as the folder is writable again.
bool frmMP3::reopenAfterDiskError()
{
    if (!blnRecording || strSongName.isEmpty() || !m_writeErrorShown)
        return false;
    const qint32 tick = m_deps.clock->GetTickCount();
    if (m_diskRetryTick != 0 && TickDifference(tick, m_diskRetryTick) < 1000)
        return false;
    m_diskRetryTick = tick;
    QDir().mkpath(m_config.sMP3Path);
    if (!m_file.Create(FullRecordingPath(m_config.sMP3Path, strSongName)))
        return false;
    m_fileSongName = strSongName;
    m_fileFromTitle = m_config.lRecordingMode == RecordingMode::PerSong && blnIcyReal;
    m_writeErrorShown = false;
    announceFile();
    return true;
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
        showError(tr("[ERR] DISK: Cannot write the recording (%1)").arg(m_file.lastError()));
    }
}

void frmMP3::closeFile(bool titleMode, bool titleChange)
{
    if (!m_file.IsOpen())
        return;
    settleLead();
    settleJoin();
    flushAudio();
    const QString path = m_file.Path();
    const QString earlier = m_file.Replaces();
    m_file.Close();
    if (!earlier.isEmpty() && !m_continueName.isEmpty() && m_continueName == m_fileSongName) {
        // A failover: the next server goes on writing the repeat.
        m_pendingRepeat = path;
        m_pendingRepeatOf = earlier;
        m_pendingRepeatName = m_fileSongName;
        m_pendingRepeatFromTitle = titleMode || m_fileFromTitle;
        m_fileSongName.clear();
        m_fileFromTitle = false;
        return;
    }
    if (QFileInfo(path).size() == 0 && QFile::remove(path)) {
        // No audio reached it: a file of only a tag is not a recording, and
        // an earlier file of that name stays as it was.
        m_fileSongName.clear();
        m_fileFromTitle = false;
        return;
    }
    // Only a title's play that ran to the next title can be the same
    // recording as an earlier one.
    const QString kept = settleSong(path, earlier, titleChange);
    if (kept.isEmpty()) {
        m_fileSongName.clear();
        m_fileFromTitle = false;
        return;
    }
    // The tag is taken from the name the file was started under, so a file
    // closed after a pause is tagged like any other; a file named after a
    // title is always tagged from that title.
    if (!m_fileSongName.isEmpty() && FileExists(kept))
        tagFile(kept, m_fileSongName, titleMode || m_fileFromTitle);
    m_fileSongName.clear();
    m_fileFromTitle = false;
    emit fileClosed(kept);
}

// A title that played again was recorded beside its earlier file. A play
// that ran to the next title replaces that file when it is the same
// recording (the lengths within 2 s) and the user lets repeats replace;
// otherwise it is kept as a numbered version. A play that the end of the
// recording cut short is kept as a version too: ending never deletes audio.
QString frmMP3::finishFile(const QString& path, const QString& earlier, bool titleChange)
{
    if (earlier.isEmpty() || !FileExists(path))
        return earlier.isEmpty() ? path : earlier;
    if (!FileExists(earlier))  // the earlier file went away meanwhile
        return SettleRepeat(path, earlier);
    constexpr double kSameRecordingSeconds = 2.0;
    const bool same =
        titleChange && m_options.repeatPolicy == RecordingOptions::Repeat::Replace &&
        std::abs(AudioSecondsOf(path, lngBitRate) - AudioSecondsOf(earlier, lngBitRate)) <= kSameRecordingSeconds;
    const QString earlierName = QFileInfo(earlier).fileName();
    if (!same) {
        const QString version = KeepRepeatAsVersion(path, earlier);
        if (version.isEmpty()) {
            // Every number taken: the play stays under its hidden name.
            showError(tr("[ERR] DISK: No free name beside %1; the later play stays as %2")
                          .arg(earlierName, QFileInfo(path).fileName()));
            return path;
        }
        setSongCaption(tr("Kept %1 as another recording").arg(QFileInfo(version).fileName()));
        return version;
    }
    const QString kept = SettleRepeat(path, earlier);
    if (kept == earlier)
        setSongCaption(tr("Replaced %1 with a later complete play").arg(earlierName));
    return kept;
}

// The ID3v1 tag, and the ID3v2 tag when the user asked for it.
void frmMP3::tagFile(const QString& path, const QString& name, bool titleMode)
{
    // The file itself is tagged: under a numbered name it is not the one
    // its song's name points to.
    const QString extension = RecordingExtensionOf(path);
    if (extension == QLatin1String(".ogg") || extension == QLatin1String(".opus"))
        return; // an Ogg file's comments are its tags
    const TagInfo info = TagInfoForRecording(name, titleMode, m_config.sRecordingTitle);
    bool ok = (info.Artist.isEmpty() && info.Title.isEmpty() && info.Album.isEmpty()) ||
              WriteID3Tag(path, info, now().date());
    if (m_options.writeID3v2 && RecordingExtensionOf(path) == QLatin1String(".mp3"))
        ok = WriteID3v2Tag(path, TagInfoForRecording(name, titleMode, m_config.sRecordingTitle), now().date()) && ok;
    if (!ok)
        showError(tr("[ERR] DISK: Cannot tag the recording %1").arg(path));
}

void frmMP3::settlePendingRepeat()
{
    if (m_pendingRepeat.isEmpty())
        return;
    const QString repeat = std::exchange(m_pendingRepeat, QString());
    const QString earlier = std::exchange(m_pendingRepeatOf, QString());
    const QString name = std::exchange(m_pendingRepeatName, QString());
    const QString kept = finishFile(repeat, earlier, false);
    if (FileExists(kept))
        tagFile(kept, name.isEmpty() ? QFileInfo(earlier).fileName() : name, m_pendingRepeatFromTitle);
    emit fileClosed(kept);
}

void frmMP3::OpenMP3File(QString strFileName, bool blnICYName)
{
    const Publish publish(*this);
    settleJoin();
    finishCleanCut();
    if (m_config.bPreviewModeOnly) {
        // Start paused: nothing is written until the user resumes.
        TogglePause();
        m_config.bPreviewModeOnly = false;
        PendingFile = strFileName;
        strSongName = strFileName;
        m_pausedOnTitle = blnICYName;
        if (m_config.bStartInListenMode) {
            m_deps.relay->StartPreviewing();
            blnPreviewToggle = true;
        }
        return;
    }
    if (blnPaused) {
        if (strFileName != strSongName) {
            strSongName = strFileName;
            m_pausedOnTitle = blnICYName;
            if (!PendingFile.isEmpty())
                PendingFile = strFileName;
        }
        return;
    }

    // The file a pause cut short did not play to the next title.
    closeFile(blnICYName, blnICYName && !m_resuming);
    m_skipping = false;
    const QString continued = m_continueName;
    m_continueName.clear();
    const QString continuedPath =
        !m_pendingRepeat.isEmpty()                 ? m_pendingRepeat
        : m_songs.PlacedPath(strFileName).isEmpty() ? FullRecordingPath(m_config.sMP3Path, strFileName)
                                                    : m_songs.PlacedPath(strFileName);
    if (!continued.isEmpty() && strFileName == continued && m_file.Append(continuedPath, m_pendingRepeatOf)) {
        const bool repeatOfTitle = !m_pendingRepeat.isEmpty() && m_pendingRepeatFromTitle;
        m_pendingRepeat.clear();
        m_pendingRepeatOf.clear();
        strSongName = strFileName;
        m_fileSongName = strFileName;
        m_fileFromTitle = blnICYName || repeatOfTitle;
        m_writeErrorShown = false;
        rememberFileCaption();  // the same file goes on: said when it was opened
        beginLeadingFrame();
        return;
    }
    settlePendingRepeat();
    if (strFileName != strSongName && !m_config.bEnabledTimedRecording)
        m_recordingClock.Start(m_deps.clock->GetTickCount());  // a continuous recording counts per file

    QString name = strFileName;
    if (!m_config.sMP3Path.isEmpty() && !QDir(m_config.sMP3Path).exists()) {
        // The folder went away while recording: made again for this file.
        showError(tr("[ERR] DISK: The recording folder was gone; creating it again: %1").arg(m_config.sMP3Path));
        QDir().mkpath(m_config.sMP3Path);
    }
    if (const QString skipped = blnICYName ? m_songs.SkipStatus(strFileName) : QString(); !skipped.isEmpty()) {
        m_skipping = true;
        strSongName = strFileName;
        setSongCaption(skipped);
        return;
    }
    if (blnICYName && m_options.repeatPolicy == RecordingOptions::Repeat::Skip &&
        FileExists(FullRecordingPath(m_config.sMP3Path, strFileName))) {
        // The user keeps one recording of each title: this one is saved already.
        m_skipping = true;
        strSongName = strFileName;
        setSongCaption(tr("Not recording %1: it is saved already")
                           .arg(QFileInfo(FullRecordingPath(m_config.sMP3Path, strFileName)).fileName()));
        return;
    }
    // A file of this name from before stays: a title that plays again is a
    // repeat of it, any other name (a station's file of the day, an archive
    // started again) is kept beside it as another version.
    m_file.KeepEarlierFile(true);
    QString songFolder = m_config.sMP3Path;
    const QString placed = m_songs.Place(m_config.sRecordingTitle, now(), blnICYName, songFolder, name);
    if (!placed.isEmpty())
        setSongCaption(placed);
    // A title's earlier play is replaced by a repeat; another title under
    // the same name is kept beside it.
    const QString path = blnICYName ? m_songs.FileFor(strFileName, FullRecordingPath(songFolder, name))
                                    : FullRecordingPath(songFolder, name);
    const bool created = CreateRecordingFileAt(path, name, m_file, now().date(), pauseSleeper(), m_deps.filePauseMs);
    strSongName = created ? strFileName : name;
    if (m_file.IsOpen() && !m_file.TakenBy().isEmpty()) {
        setSongCaption(tr("Another recorder is writing %1; recording to %2")
                           .arg(QFileInfo(m_file.TakenBy()).fileName(), QFileInfo(m_file.Path()).fileName()));
    }
    if (m_file.IsOpen()) {
        m_fileSongName = strSongName;
        m_fileFromTitle = blnICYName && created;
        m_writeErrorShown = false;
        announceFile();
        m_songs.FileOpened(strFileName, m_fileFromTitle, m_file.Path(), m_file.Replaces());
        const QString wished = m_songs.WishStatus(strFileName);
        m_fileWished = !wished.isEmpty();
        if (m_fileWished)
            setSongCaption(wished);
        beginLeadingFrame();
    } else {
        m_writeErrorShown = true;
        showError(tr("[ERR] DISK: Cannot create a recording file in %1").arg(m_config.sMP3Path));
    }
}

QString frmMP3::fileCaption() const
{
    // A repeat is written beside the file it is a play of, under a hidden
    // name until it ends: the status names that file.
    const QString path = m_file.Replaces().isEmpty() ? m_file.Path() : m_file.Replaces();
    return tr("Now Recording: %1").arg(QFileInfo(path).fileName());
}

void frmMP3::rememberFileCaption()
{
    m_fileCaption = fileCaption();
    m_fileTitleCaption = tr("Now Recording: %1").arg(m_fileSongName);
}

// Said once for each file opened, naming it as it is on disk.
void frmMP3::announceFile()
{
    rememberFileCaption();
    setSongCaption(m_fileCaption);
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
    if (m_fileCaption.isEmpty() || !m_file.IsOpen() || sSongCaption == m_fileCaption)
        return;
    sSongCaption = m_fileCaption;
    m_lastError.clear();
}

void frmMP3::CloseRecording()
{
    const Publish publish(*this);
    releaseHeldTitles();
    finishCleanCut();
    settleJoin();
    dropPartialFrame();
    m_ogg.Finish();
    closeFile(blnIcyReal);
    m_session->Close();  // a connection still being made is not waited for
}
