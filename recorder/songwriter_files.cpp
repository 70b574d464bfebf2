// The recording's files: opening one for a name, and closing, settling and
// tagging it.
#include "platform/paths.h"
#include "recorder/id3v2tag.h"
#include "recorder/songwriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <utility>

void SongWriter::announceFile(SongEvent::Kind kind)
{
    // A repeat is written beside the file it is a play of, under a hidden
    // name until it ends: the status names that file.
    SongEvent e;
    e.kind = kind;
    e.name = QFileInfo(m_file.Replaces().isEmpty() ? m_file.Path() : m_file.Replaces()).fileName();
    e.song = m_fileSongName;
    say(e);
}

void SongWriter::closeFile(bool titleMode, bool titleChange)
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
    SongEvent closed{SongEvent::Kind::Closed};
    closed.path = kept;
    say(closed);
}

// A title that played again was recorded beside its earlier file. A play
// that ran to the next title replaces that file when it is the same
// recording (the lengths within 2 s) and the user lets repeats replace;
// otherwise it is kept as a numbered version. A play that the end of the
// recording cut short is kept as a version too: ending never deletes audio.
QString SongWriter::finishFile(const QString& path, const QString& earlier, bool titleChange)
{
    if (earlier.isEmpty() || !FileExists(path))
        return earlier.isEmpty() ? path : earlier;
    if (!FileExists(earlier)) // the earlier file went away meanwhile
        return SettleRepeat(path, earlier);
    constexpr double kSameRecordingSeconds = 2.0;
    const bool same =
        titleChange && m_options.repeatPolicy == RecordingOptions::Repeat::Replace &&
        std::abs(AudioSecondsOf(path, m_bitRate) - AudioSecondsOf(earlier, m_bitRate)) <= kSameRecordingSeconds;
    const QString earlierName = QFileInfo(earlier).fileName();
    if (!same) {
        const QString version = KeepRepeatAsVersion(path, earlier);
        if (version.isEmpty()) {
            // Every number taken: the play stays under its hidden name.
            SongEvent e{SongEvent::Kind::NoFreeName};
            e.name = earlierName;
            e.other = QFileInfo(path).fileName();
            say(e);
            return path;
        }
        SongEvent e{SongEvent::Kind::KeptVersion};
        e.name = QFileInfo(version).fileName();
        say(e);
        return version;
    }
    const QString kept = SettleRepeat(path, earlier);
    if (kept == earlier) {
        SongEvent e{SongEvent::Kind::Replaced};
        e.name = earlierName;
        say(e);
    }
    return kept;
}

// The ID3v1 tag, and the ID3v2 tag when the user asked for it or the song
// has a cover.
void SongWriter::tagFile(const QString& path, const QString& name, bool titleMode)
{
    // The file itself is tagged: under a numbered name it is not the one
    // its song's name points to.
    const QString extension = RecordingExtensionOf(path);
    if (extension == QLatin1String(".ogg") || extension == QLatin1String(".opus"))
        return; // an Ogg file's comments are its tags
    const QString station = m_setup.stationTitle();
    const TagInfo info = TagInfoForRecording(name, titleMode, station);
    bool ok = (info.Artist.isEmpty() && info.Title.isEmpty() && info.Album.isEmpty()) ||
              WriteID3Tag(path, info, now().date());
    const CoverPicture cover = m_options.coverArt ? m_covers.For(name) : CoverPicture();
    if (extension == QLatin1String(".mp3") && (m_options.writeID3v2 || !cover.IsNull()))
        ok = WriteID3v2Tag(path, TagInfoForRecording(name, titleMode, station), now().date(), cover) && ok;
    else if (!cover.IsNull())
        ok = coverFile(path, name) && ok;
    if (!ok) {
        SongEvent e{SongEvent::Kind::TagFailed};
        e.path = path;
        say(e);
    }
}

void SongWriter::settlePendingRepeat()
{
    if (m_pendingRepeat.isEmpty())
        return;
    const QString repeat = std::exchange(m_pendingRepeat, QString());
    const QString earlier = std::exchange(m_pendingRepeatOf, QString());
    const QString name = std::exchange(m_pendingRepeatName, QString());
    const QString kept = finishFile(repeat, earlier, false);
    if (FileExists(kept))
        tagFile(kept, name.isEmpty() ? QFileInfo(earlier).fileName() : name, m_pendingRepeatFromTitle);
    SongEvent closed{SongEvent::Kind::Closed};
    closed.path = kept;
    say(closed);
}

void SongWriter::Open(QString strFileName, bool blnICYName)
{
    settleJoin();
    finishCleanCut();
    if (m_setup.startPaused()) {
        // Start paused: nothing is written until the user resumes.
        say({SongEvent::Kind::StartPaused});
        m_pendingFile = strFileName;
        m_songName = strFileName;
        m_pausedOnTitle = blnICYName;
        return;
    }
    if (m_paused) {
        if (strFileName != m_songName) {
            m_songName = strFileName;
            m_pausedOnTitle = blnICYName;
            if (!m_pendingFile.isEmpty())
                m_pendingFile = strFileName;
        }
        return;
    }

    // The file a pause cut short did not play to the next title.
    closeFile(blnICYName, blnICYName && !m_resuming);
    m_skipping = false;
    const QString continued = m_continueName;
    m_continueName.clear();
    const QString sMP3Path = folder();
    const QString continuedPath = !m_pendingRepeat.isEmpty()                  ? m_pendingRepeat
                                  : m_songs.PlacedPath(strFileName).isEmpty() ? FullRecordingPath(sMP3Path, strFileName)
                                                                              : m_songs.PlacedPath(strFileName);
    if (!continued.isEmpty() && strFileName == continued && m_file.Append(continuedPath, m_pendingRepeatOf)) {
        const bool repeatOfTitle = !m_pendingRepeat.isEmpty() && m_pendingRepeatFromTitle;
        m_pendingRepeat.clear();
        m_pendingRepeatOf.clear();
        m_songName = strFileName;
        m_fileSongName = strFileName;
        m_fileFromTitle = blnICYName || repeatOfTitle;
        m_writeErrorShown = false;
        announceFile(SongEvent::Kind::Continued); // the same file goes on: said when it was opened
        beginLeadingFrame();
        return;
    }
    settlePendingRepeat();
    if (strFileName != m_songName)
        say({SongEvent::Kind::NewFile});

    QString name = strFileName;
    if (!sMP3Path.isEmpty() && !QDir(sMP3Path).exists()) {
        // The folder went away while recording: made again for this file.
        SongEvent e{SongEvent::Kind::FolderGone};
        e.path = sMP3Path;
        say(e);
        QDir().mkpath(sMP3Path);
    }
    if (const QString skipped = blnICYName ? m_songs.SkipStatus(strFileName) : QString(); !skipped.isEmpty()) {
        m_skipping = true;
        m_songName = strFileName;
        sayText(SongEvent::Kind::Say, skipped);
        return;
    }
    if (blnICYName && m_setup.claimSong && !m_setup.claimSong(strFileName)) {
        m_skipping = true;
        m_songName = strFileName;
        SongEvent e{SongEvent::Kind::Claimed};
        e.name = strFileName;
        say(e);
        return;
    }
    if (blnICYName && m_options.repeatPolicy == RecordingOptions::Repeat::Skip &&
        FileExists(FullRecordingPath(sMP3Path, strFileName))) {
        // The user keeps one recording of each title: this one is saved already.
        m_skipping = true;
        m_songName = strFileName;
        SongEvent e{SongEvent::Kind::SavedAlready};
        e.name = QFileInfo(FullRecordingPath(sMP3Path, strFileName)).fileName();
        say(e);
        return;
    }
    // A file of this name from before stays: a title that plays again is a
    // repeat of it, any other name (a station's file of the day, an archive
    // started again) is kept beside it as another version.
    m_file.KeepEarlierFile(true);
    QString songFolder = sMP3Path;
    const QString placed = m_songs.Place(m_setup.stationTitle(), now(), blnICYName, songFolder, name);
    if (!placed.isEmpty())
        sayText(SongEvent::Kind::Say, placed);
    // A title's earlier play is replaced by a repeat; another title under
    // the same name is kept beside it.
    const QString path = blnICYName ? m_songs.FileFor(strFileName, FullRecordingPath(songFolder, name))
                                    : FullRecordingPath(songFolder, name);
    const bool created = CreateRecordingFileAt(path, name, m_file, now().date(), *m_setup.sleeper, m_setup.filePauseMs);
    m_songName = created ? strFileName : name;
    if (m_file.IsOpen() && !m_file.TakenBy().isEmpty()) {
        SongEvent e{SongEvent::Kind::TakenBy};
        e.other = QFileInfo(m_file.TakenBy()).fileName();
        e.name = QFileInfo(m_file.Path()).fileName();
        say(e);
    }
    if (m_file.IsOpen()) {
        m_fileSongName = m_songName;
        m_fileFromTitle = blnICYName && created;
        m_writeErrorShown = false;
        announceFile(SongEvent::Kind::Opened);
        m_songs.FileOpened(strFileName, m_fileFromTitle, m_file.Path(), m_file.Replaces());
        const QString wished = m_songs.WishStatus(strFileName);
        m_fileWished = !wished.isEmpty();
        if (m_fileWished)
            sayText(SongEvent::Kind::Say, wished);
        beginLeadingFrame();
    } else {
        m_writeErrorShown = true;
        SongEvent e{SongEvent::Kind::CreateFailed};
        e.path = sMP3Path;
        say(e);
    }
}
