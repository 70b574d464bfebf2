#include "recorder/oggrecording.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <utility>

namespace {

// Calls `page` with the start and size of each whole page of `pages`, a
// run of pages read by the demuxer.
template <typename F> void ForEachPage(const QByteArray& pages, F page)
{
    for (qsizetype at = 0; at + kOggPageHeaderBytes <= pages.size();) {
        const char* p = pages.constData() + at;
        const int segments = quint8(p[26]);
        qsizetype size = kOggPageHeaderBytes + segments;
        for (int i = 0; i < segments && at + kOggPageHeaderBytes + i < pages.size(); ++i)
            size += quint8(p[kOggPageHeaderBytes + i]);
        page(at, size);
        at += size;
    }
}

// The same header pages but for the serial number (and the CRC over it):
// the song sent again as a new logical stream.
bool SameHeaderPages(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size() || a.isEmpty())
        return false;
    bool same = true;
    ForEachPage(a, [&](qsizetype at, qsizetype size) {
        for (qsizetype i = 0; i < size && at + i < a.size(); ++i) {
            const bool serialOrCrc = (i >= 14 && i < 18) || (i >= 22 && i < 26);
            if (!serialOrCrc && a[at + i] != b[at + i])
                same = false;
        }
    });
    return same;
}

quint32 LastSequence(const QByteArray& pages)
{
    quint32 last = 0;
    ForEachPage(pages, [&](qsizetype at, qsizetype) { last = ReadOggPageHeader(pages.constData() + at).sequence; });
    return last;
}

} // namespace

bool IsOggStream(const QByteArray& contentType, const QByteArray& bodyStart)
{
    const QByteArray type = contentType.trimmed().toLower();
    for (const char* ogg : {"audio/ogg", "application/ogg", "audio/opus", "audio/vorbis"}) {
        if (type == ogg || type.startsWith(QByteArray(ogg) + ';'))
            return true;
    }
    return bodyStart.startsWith("OggS");
}

QString StreamExtension(const QByteArray& contentType, const QByteArray& bodyStart)
{
    const QString extension = RecordingExtension(contentType);
    if (IsOggStream(contentType, bodyStart) && extension != QLatin1String(".opus"))
        return QStringLiteral(".ogg");
    return extension;
}

QString WithExtension(const QString& name, const QString& extension)
{
    const QString old = RecordingExtensionOf(name);
    const bool has = name.endsWith(old, Qt::CaseInsensitive);
    return (has ? name.left(name.size() - old.size()) : name) + extension;
}

QString OggSongName(const OggStreamInfo& info, const QString& fallback)
{
    QString name = fallback;
    if (!info.title.isEmpty())
        name = info.artist.isEmpty() ? info.title : info.artist + QStringLiteral(" - ") + info.title;
    return name + OggExtension(info.codec);
}

void OggRecording::BeginSongs(const QString& folder, const QString& fallback, bool continues)
{
    beginConnection(continues && m_songs);
    m_folder = folder;
    m_fallback = fallback;
    m_songs = true;
}

void OggRecording::BeginOneFile(bool continues)
{
    beginConnection(continues && !m_songs);
    m_songs = false;
}

void OggRecording::beginConnection(bool continues)
{
    // The song being written when the connection ended was cut; its file
    // waits for what the next connection brings first. (A song whose audio
    // had not begun has nothing to go on with.)
    if (continues && m_active && !m_paused && !m_headersPending && (m_writing || m_resume)) {
        m_demux = OggDemuxer();
        m_writing = false;
        m_resume = true;
        m_skipWritten = false;
        m_leftOut = 0;
        m_joinTold = false;
        m_out.clear();
    } else {
        Finish();
    }
    m_active = true;
}

QByteArray OggRecording::Feed(const char* data, qsizetype size)
{
    m_out.clear();
    m_demux.Feed(data, size, *this);
    // The chunk's pages reach the song's file in one write.
    if (m_file.QueuedBytes() > 0 && !m_file.Flush())
        writeFailed();
    return std::exchange(m_out, QByteArray());
}

void OggRecording::Finish()
{
    if (m_active)
        m_demux.Finish(*this);
    closeSong();
    m_demux = OggDemuxer();
    m_active = false;
    m_writing = false;
    m_headersPending = false;
    m_resume = false;
    m_skipWritten = false;
    m_toldProblems.clear();
    m_out.clear();
}

QString OggRecording::Problems() const
{
    const OggDemuxer& d = m_demux;
    QStringList parts;
    if (d.NotOgg())
        parts << QCoreApplication::translate("OggRecording", "the stream is not Ogg");
    if (d.BadPages() > 0)
        parts << QCoreApplication::translate("OggRecording", "%1 damaged page(s) dropped").arg(d.BadPages());
    if (d.OtherStreams() > 0)
        parts << QCoreApplication::translate("OggRecording", "%1 stream(s) of another kind skipped").arg(d.OtherStreams());
    if (d.OversizedStreams() > 0)
        parts << QCoreApplication::translate("OggRecording", "%1 song(s) with headers too large skipped").arg(d.OversizedStreams());
    if (d.UnendedStreams() > 0)
        parts << QCoreApplication::translate("OggRecording", "%1 song(s) cut without their end").arg(d.UnendedStreams());
    return parts.isEmpty() ? QString()
                           : QCoreApplication::translate("OggRecording", "Ogg: %1").arg(parts.join(QStringLiteral(", ")));
}

QString OggRecording::NewProblems()
{
    const QString now = Problems();
    if (now == m_toldProblems)
        return QString();
    m_toldProblems = now;
    return now;
}

void OggRecording::SetPaused(bool paused)
{
    if (paused && !m_paused) {
        m_writing = false;
        m_headersPending = false;
        m_resume = false;
        m_skipWritten = false;
        closeSong();
    }
    m_paused = paused;
}

void OggRecording::OnStreamStart(const OggStreamInfo& info)
{
    m_writing = !m_paused;
    if (m_paused)
        return;
    const bool resume = std::exchange(m_resume, false);
    // The cut song comes back with its own header pages; another song has
    // other ones, whatever its serial number (an encoder may give every
    // song the same).
    const bool sameSong = resume && SameHeaderPages(info.headerPages, m_song.headerPages);
    if (sameSong && info.serial == m_song.serial) {
        m_skipWritten = true; // the cut song goes on in its file
        return;
    }
    // The cut song again as a new logical stream is chained in its file.
    const bool chained = sameSong;
    if (m_songs && !chained)
        closeSong();
    m_song = Song{info.serial, info.headerPages, LastSequence(info.headerPages)};
    // The header pages go out with the song's first page of audio: a song
    // cut before it leaves no file that holds no sound.
    m_headersPending = true;
    m_newFile = m_songs && !chained;
}

void OggRecording::openSong(const OggStreamInfo& info)
{
    closeSong();
    if (openFile) {
        if (openFile(OggSongName(info, m_fallback), !info.title.isEmpty(), m_file) && onOpened)
            onOpened(m_file.Replaces().isEmpty() ? m_file.Path() : m_file.Replaces());
        return;
    }
    QDir().mkpath(m_folder);
    const QString path = FullRecordingPath(m_folder, OggSongName(info, m_fallback));
    // An earlier recording of the song stays: this one takes a number.
    const QString free = FreePath(path);
    if (!m_file.Create(free)) {
        if (onError)
            onError(QCoreApplication::translate("OggRecording", "[ERR] DISK: Cannot create %1: %2").arg(free, m_file.lastError()));
        return;
    }
    if (onOpened)
        onOpened(m_file.Path());
}

void OggRecording::OnPage(const char* data, qsizetype size)
{
    if (!m_writing)
        return;
    const quint32 sequence = ReadOggPageHeader(data).sequence;
    if (m_skipWritten) {
        if (sequence <= m_song.lastSequence) {
            ++m_leftOut; // written before the outage
            return;
        }
        m_skipWritten = false;
        tellJoined(sequence);
    }
    if (std::exchange(m_headersPending, false)) {
        if (m_newFile)
            openSong(m_demux.Current());
        write(m_song.headerPages.constData(), m_song.headerPages.size());
    }
    m_song.lastSequence = sequence;
    if (m_songs && m_file.IsOpen())
        m_file.Queue(data, size); // written at the end of the chunk
    else
        write(data, size);
}

// Pages before the new connection's first header pages can only be the cut
// song's: they go on in its file.
void OggRecording::OnPageBeforeStart(const char* data, qsizetype size)
{
    const OggPageHeader h = ReadOggPageHeader(data);
    if (!m_resume || m_paused || h.serial != m_song.serial)
        return;
    if (h.sequence <= m_song.lastSequence) {
        ++m_leftOut; // written before the outage
        return;
    }
    tellJoined(h.sequence);
    m_song.lastSequence = h.sequence;
    if (!m_songs)
        m_out.append(data, size);
    else if (m_file.IsOpen())
        m_file.Queue(data, size); // written at the end of the chunk
}

void OggRecording::tellJoined(quint32 sequence)
{
    if (!std::exchange(m_joinTold, true) && onJoined)
        onJoined(std::exchange(m_leftOut, 0), qint64(sequence) - m_song.lastSequence - 1);
}

void OggRecording::OnStreamEnd(bool complete)
{
    m_writing = false;
    m_skipWritten = false;
    m_headersPending = false;
    closeSong(complete);
}

void OggRecording::write(const char* data, qsizetype size)
{
    if (!m_writing)
        return;
    if (!m_songs) {
        m_out.append(data, size);
        return;
    }
    if (m_file.IsOpen() && !m_file.Write(data, size))
        writeFailed();
}

void OggRecording::writeFailed()
{
    if (onError)
        onError(QCoreApplication::translate("OggRecording", "[ERR] DISK: Cannot write the recording (%1)").arg(m_file.lastError()));
}

void OggRecording::closeSong(bool complete)
{
    if (!m_file.IsOpen())
        return;
    const QString path = m_file.Path();
    const QString replaces = m_file.Replaces();
    m_file.Close();
    const QString kept = settleFile ? settleFile(path, replaces, complete) : path;
    if (onClosed)
        onClosed(kept);
}
