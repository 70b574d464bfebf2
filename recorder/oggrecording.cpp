#include "recorder/oggrecording.h"

#include <QDir>
#include <QFile>
#include <QStringList>

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

void OggRecording::BeginSongs(const QString& folder, const QString& fallback)
{
    Finish();
    m_folder = folder;
    m_fallback = fallback;
    m_songs = true;
    m_active = true;
}

void OggRecording::BeginOneFile(bool continues)
{
    // The stream being written when the connection ended was cut.
    const bool cut = m_active && !m_songs && m_writing;
    const quint32 serial = m_demux.Current().serial;
    Finish();
    m_songs = false;
    m_active = true;
    const bool goOn = continues && (cut || m_cutOpen);
    if (cut)
        m_cutSerial = serial;
    m_cutOpen = goOn;
}

QByteArray OggRecording::Feed(const char* data, qsizetype size)
{
    m_out.clear();
    m_demux.Feed(data, size, *this);
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
    m_toldProblems.clear();
    m_out.clear();
}

QString OggRecording::Problems() const
{
    const OggDemuxer& d = m_demux;
    QStringList parts;
    if (d.NotOgg())
        parts << QStringLiteral("the stream is not Ogg");
    if (d.BadPages() > 0)
        parts << QStringLiteral("%1 damaged page(s) dropped").arg(d.BadPages());
    if (d.OtherStreams() > 0)
        parts << QStringLiteral("%1 stream(s) of another kind skipped").arg(d.OtherStreams());
    if (d.OversizedStreams() > 0)
        parts << QStringLiteral("%1 song(s) with headers too large skipped").arg(d.OversizedStreams());
    if (d.UnendedStreams() > 0)
        parts << QStringLiteral("%1 song(s) cut without their end").arg(d.UnendedStreams());
    return parts.isEmpty() ? QString() : QStringLiteral("Ogg: ") + parts.join(QStringLiteral(", "));
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
        closeSong();
    }
    m_paused = paused;
}

void OggRecording::OnStreamStart(const OggStreamInfo& info)
{
    m_writing = !m_paused;
    if (m_paused)
        return;
    if (!m_songs && m_cutOpen && info.serial == m_cutSerial) {
        m_cutOpen = false; // the same song again after an outage: its pages go on
        return;
    }
    m_cutOpen = false;
    if (m_songs) {
        closeSong();
        QDir().mkpath(m_folder);
        const QString path = FullRecordingPath(m_folder, OggSongName(info, m_fallback));
        // An earlier recording of the song stays: this one takes a number.
        QString free = path;
        for (int n = 2; QFile::exists(free) && n <= kMaxNumberedNames; ++n)
            free = NumberedPath(path, n);
        if (!m_file.Create(free)) {
            if (onError)
                onError(QStringLiteral("[ERR] DISK: Cannot create ") + free + QStringLiteral(": ") +
                        m_file.lastError());
            return;
        }
        if (onOpened)
            onOpened(m_file.Path());
    }
    write(info.headerPages.constData(), info.headerPages.size());
}

void OggRecording::OnPage(const char* data, qsizetype size)
{
    write(data, size);
}

void OggRecording::OnStreamEnd(bool /*complete*/)
{
    m_writing = false;
    closeSong();
}

void OggRecording::write(const char* data, qsizetype size)
{
    if (!m_writing)
        return;
    if (!m_songs) {
        m_out.append(data, size);
        return;
    }
    if (m_file.IsOpen() && !m_file.Write(data, size) && onError)
        onError(QStringLiteral("[ERR] DISK: Cannot write the recording (") + m_file.lastError() + QStringLiteral(")"));
}

void OggRecording::closeSong()
{
    if (!m_file.IsOpen())
        return;
    const QString path = m_file.Path();
    m_file.Close();
    if (onClosed)
        onClosed(path);
}
