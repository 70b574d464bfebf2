// Ogg streams (Vorbis, Opus, FLAC): recorded page by page, one file per
// song named from the song's own comments, or whole into the one file.
#include "config/configuration.h"
#include "listen/relay.h"
#include "platform/text.h"
#include "recorder/frmmp3.h"

#include <QDir>
#include <QFileInfo>

bool frmMP3::beginOgg(const StreamHead& header, const QByteArray& bodyStart)
{
    if (!IsOggStream(header.contentType, bodyStart)) {
        m_ogg.Finish();
        return false;
    }
    // Every connection starts with fresh header pages. The song an outage
    // cut goes on when the new connection brings it again (a server's burst
    // repeats its last pages); any other song ends its file.
    m_memory.Clear();
    m_recentTitles.clear();
    m_arrival = Arrival();
    m_joinStatus.clear();
    m_ogg.onJoined = [this](int leftOut, qint64 missed) { sayJoinStatus(oggJoinStatus(leftOut, missed)); };
    if (m_config.lRecordingMode != RecordingMode::PerSong) {
        m_ogg.BeginOneFile(m_streamIsReconnect);
        return true;
    }
    // No ICY titles: the songs' comments name the files.
    blnIcyReal = false;
    const QString station = header.hasIcyName ? DecodeText(header.icyName).trimmed() : QString();
    const QString fallback = (station.isEmpty() ? QStringLiteral("unknown") : station) + QLatin1Char('-') + dateStamp();
    const bool bitRateSent = header.hasBitRate;
    m_songs.SetUntitledName(fallback);
    m_ogg.onOpened = [this, bitRateSent](const QString&) {
        if (!bitRateSent && m_ogg.Demuxer().Current().nominalKbps > 0)
            lngBitRate = m_ogg.Demuxer().Current().nominalKbps;
    };
    m_ogg.openFile = [this](const QString& name, bool titled, RecordingFile& file) {
        return openOggSong(name, titled, file);
    };
    // A repeat is settled as a title's is: nothing recorded is deleted.
    m_ogg.settleFile = [this](const QString& path, const QString& earlier, bool complete) {
        return finishFile(path, earlier, complete);
    };
    m_ogg.onClosed = [this](const QString& path) { emit fileClosed(path); };
    m_ogg.onError = [this](const QString& text) { setSongCaption(text); };
    m_ogg.BeginSongs(m_config.sMP3Path, fallback, m_streamIsReconnect);
    return true;
}

// An Ogg song named by its comments is a title: the song rules, the
// file-name pattern and the repeat rule apply to it as to an ICY title.
bool frmMP3::openOggSong(const QString& commentName, bool titled, RecordingFile& file)
{
    const QString extension = RecordingExtensionOf(commentName);
    const QString song =
        titled ? m_songs.SongName(commentName.left(commentName.size() - extension.size()), extension) : commentName;
    if (const QString skipped = titled ? m_songs.SkipStatus(song) : QString(); !skipped.isEmpty()) {
        setSongCaption(skipped);
        return false;
    }
    QString folder = m_config.sMP3Path;
    QString name = song;
    QDir().mkpath(folder);
    const QString placed = m_songs.Place(m_config.sRecordingTitle, now(), titled, folder, name);
    if (!placed.isEmpty())
        setSongCaption(placed);
    QString path = FullRecordingPath(folder, name);
    const QString earlier = titled ? m_songs.EarlierPlayOf(song, path) : QString();
    if (!earlier.isEmpty() && m_options.repeatPolicy == RecordingOptions::Repeat::Skip) {
        setSongCaption(tr("Not recording %1: it is saved already").arg(QFileInfo(earlier).fileName()));
        return false;
    }
    // Another song under the same name is kept beside it, numbered; a
    // repeat is recorded beside its earlier play until it ends.
    path = titled ? m_songs.FileFor(song, path) : FreePath(path);
    file.KeepEarlierFile(titled);
    if (!file.Create(path)) {
        showError(tr("[ERR] DISK: Cannot create a recording file in %1").arg(folder));
        return false;
    }
    m_songs.FileOpened(song, titled, file.Path(), file.Replaces());
    setSongCaption(
        tr("Now Recording: %1").arg(QFileInfo(file.Replaces().isEmpty() ? file.Path() : file.Replaces()).fileName()));
    if (const QString wished = titled ? m_songs.WishStatus(song) : QString(); !wished.isEmpty())
        setSongCaption(wished);
    return true;
}

QString frmMP3::oggJoinStatus(int leftOut, qint64 missed)
{
    if (missed > 0)
        return tr("Reconnected: the song goes on; %1 page(s) of it were missed").arg(missed);
    return tr("Reconnected: joined where the recording left off (%1 page(s) already recorded left out)")
        .arg(leftOut);
}

// A recording whose connection is lost is taken up again while its file,
// or its Ogg songs' files, are open.
bool frmMP3::recordingOpen() const
{
    return m_file.IsOpen() || m_ogg.Active();
}

void frmMP3::writeOgg(const char* data, qsizetype size)
{
    m_ogg.SetPaused(blnPaused);
    // In one-file mode the good pages go into the recording file; a page
    // that failed its check is never written.
    const QByteArray pages = m_ogg.Feed(data, size);
    if (!pages.isEmpty()) {
        recordAudio(pages.constData(), pages.size());
        flushAudio(); // the queued audio points into `pages`
    }
    const QString problems = m_ogg.NewProblems();
    if (!problems.isEmpty())
        setSongCaption(problems);
    if (m_deps.relay->blnEnablePreviewStream()) {
        // A relay that began listening in a song needs that song's header.
        if (m_ogg.Demuxer().Started())
            m_deps.relay->OfferOggHeader(m_ogg.Demuxer().Current().headerPages);
        m_deps.relay->PushData(data, size);
    }
}
