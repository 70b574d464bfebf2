// Ogg streams (Vorbis, Opus, FLAC): recorded page by page, one file per
// song named from the song's own comments, or whole into the one file.
#include "platform/paths.h"
#include "platform/text.h"
#include "recorder/songwriter.h"

#include <QDir>
#include <QFileInfo>

bool SongWriter::beginOgg(const StreamHead& header, bool& titled)
{
    if (!IsOggStream(header.contentType, header.bodyStart)) {
        m_ogg.Finish();
        return false;
    }
    // Every connection starts with fresh header pages. The song an outage
    // cut goes on when the new connection brings it again (a server's burst
    // repeats its last pages); any other song ends its file.
    m_memory.Clear();
    m_recentTitles.clear();
    m_arrival = Arrival();
    m_joinStatus.reset();
    m_ogg.onJoined = [this](int leftOut, qint64 missed) {
        SongEvent joined{SongEvent::Kind::OggJoined};
        joined.count = leftOut;
        joined.missed = missed;
        sayJoinStatus(joined);
    };
    if (mode() != Mode::PerSong) {
        m_ogg.BeginOneFile(m_reconnect);
        return true;
    }
    // No ICY titles: the songs' comments name the files.
    titled = false;
    const QString station = header.hasIcyName ? DecodeText(header.icyName).trimmed() : QString();
    const QString fallback =
        (station.isEmpty() ? QStringLiteral("unknown") : station) + QLatin1Char('-') + DateStampMMDDYYYY(now().date());
    const bool bitRateSent = header.hasBitRate;
    m_songs.SetUntitledName(fallback);
    m_ogg.onOpened = [this, bitRateSent](const QString&) {
        if (!bitRateSent && m_ogg.Demuxer().Current().nominalKbps > 0)
            m_bitRate = m_ogg.Demuxer().Current().nominalKbps;
    };
    m_ogg.openFile = [this](const QString& name, bool named, RecordingFile& file) {
        return openOggSong(name, named, file);
    };
    // A repeat is settled as a title's is: nothing recorded is deleted.
    m_ogg.settleFile = [this](const QString& path, const QString& earlier, bool complete) {
        return finishFile(path, earlier, complete);
    };
    m_ogg.onClosed = [this](const QString& path) {
        if (FileExists(path) && !coverFile(path, m_oggSongName)) {
            SongEvent failed{SongEvent::Kind::TagFailed};
            failed.path = path;
            say(failed);
        }
        m_oggSongName.clear();
        SongEvent closed{SongEvent::Kind::Closed};
        closed.path = path;
        say(closed);
    };
    m_ogg.onError = [this](const QString& text) { sayText(SongEvent::Kind::Say, text); };
    m_ogg.BeginSongs(folder(), fallback, m_reconnect);
    return true;
}

// An Ogg song named by its comments is a title: the song rules, the
// file-name pattern and the repeat rule apply to it as to an ICY title.
bool SongWriter::openOggSong(const QString& commentName, bool titled, RecordingFile& file)
{
    const QString extension = RecordingExtensionOf(commentName);
    const QString song =
        titled ? m_songs.SongName(commentName.left(commentName.size() - extension.size()), extension) : commentName;
    if (const QString skipped = titled ? m_songs.SkipStatus(song) : QString(); !skipped.isEmpty()) {
        sayText(SongEvent::Kind::Say, skipped);
        return false;
    }
    QString folder = m_setup.folder();
    QString name = song;
    QDir().mkpath(folder);
    const QString placed = m_songs.Place(m_setup.stationTitle(), now(), titled, folder, name);
    if (!placed.isEmpty())
        sayText(SongEvent::Kind::Say, placed);
    QString path = FullRecordingPath(folder, name);
    const QString earlier = titled ? m_songs.EarlierPlayOf(song, path) : QString();
    if (!earlier.isEmpty() && m_options.repeatPolicy == RecordingOptions::Repeat::Skip) {
        SongEvent saved{SongEvent::Kind::SavedAlready};
        saved.name = QFileInfo(earlier).fileName();
        say(saved);
        return false;
    }
    // Another song under the same name is kept beside it, numbered; a
    // repeat is recorded beside its earlier play until it ends.
    path = titled ? m_songs.FileFor(song, path) : FreePath(path);
    file.KeepEarlierFile(titled);
    if (!file.Create(path)) {
        SongEvent failed{SongEvent::Kind::CreateFailed};
        failed.path = folder;
        say(failed);
        return false;
    }
    m_songs.FileOpened(song, titled, file.Path(), file.Replaces());
    m_oggSongName = song;
    SongEvent opened{SongEvent::Kind::OggOpened};
    opened.name = QFileInfo(file.Replaces().isEmpty() ? file.Path() : file.Replaces()).fileName();
    say(opened);
    if (const QString wished = titled ? m_songs.WishStatus(song) : QString(); !wished.isEmpty())
        sayText(SongEvent::Kind::Say, wished);
    return true;
}

void SongWriter::writeOgg(const char* data, qsizetype size)
{
    m_ogg.SetPaused(m_paused);
    // In one-file mode the good pages go into the recording file; a page
    // that failed its check is never written.
    const QByteArray pages = m_ogg.Feed(data, size);
    if (!pages.isEmpty()) {
        recordAudio(pages.constData(), pages.size());
        flushAudio(); // the queued audio points into `pages`
    }
    const QString problems = m_ogg.NewProblems();
    if (!problems.isEmpty())
        sayText(SongEvent::Kind::Say, problems);
}
