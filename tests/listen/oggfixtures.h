#pragma once

#include "listen/oggpages.h"
#include "tests/recorder/demux/oggpages.h"
#include "tests/listen/mp3files.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

// Ogg pages built byte by byte, and real Vorbis and Opus songs made by ffmpeg.
namespace oggfixtures {

inline QByteArray Le32(quint32 v)
{
    return Le32Bytes(v);
}

// One page of whole packets (each under 255 bytes), with its checksum.
inline QByteArray Page(quint8 flags, quint32 serial, quint32 sequence, qint64 granule, const QList<QByteArray>& packets)
{
    QList<int> lacing;
    for (const QByteArray& packet : packets)
        lacing << int(packet.size());
    return OggPage(flags, serial, sequence, granule, lacing, packets.join());
}

enum class Codec { Vorbis, Opus, Flac, Other };

// The pages of a song: Vorbis has its identification packet on the first
// page and comment and setup on the second; Opus has OpusHead and OpusTags;
// a codec of unknown kind two header pages. Then `audioPages` pages, the
// last one ending the song.
inline QList<QByteArray> Song(Codec codec, quint32 serial, int audioPages)
{
    QList<QByteArray> pages;
    if (codec == Codec::Other) {
        pages << Page(2, serial, 0, 0, {QByteArray("Speex   ") + QByteArray(72, 'x')});
        pages << Page(0, serial, 1, 0, {QByteArray(30, 'y')});
    } else if (codec == Codec::Opus) {
        pages << Page(2, serial, 0, 0, {QByteArray("OpusHead\x01\x02\x38\x01", 12) + QByteArray(7, '\0')});
        pages << Page(0, serial, 1, 0, {QByteArray("OpusTags") + Le32(4) + "test" + Le32(0)});
    } else {
        pages << Page(2, serial, 0, 0, {QByteArray("\x01vorbis", 7) + QByteArray(23, 'i')});
        pages << Page(
            0, serial, 1, 0,
            {QByteArray("\x03vorbis", 7) + QByteArray(20, 'c'), QByteArray("\x05vorbis", 7) + QByteArray(40, 's')});
    }
    for (int i = 0; i < audioPages; ++i)
        pages << Page(i + 1 == audioPages ? 4 : 0, serial, quint32(2 + i), 960 * (i + 1),
                      {QByteArray(100 + i, char('a' + i)), QByteArray(50, char('A' + i))});
    return pages;
}

// A song made by ffmpeg: a 440 Hz sine of `samples` frames at `rate` with
// `channels`, as Ogg Vorbis, Opus or FLAC, its pages numbered from `serial`.
// Empty when ffmpeg is missing or fails.
inline QByteArray MakeSong(const QString& folder, Codec codec, int rate, int channels, int samples, int serial)
{
    const QString path = folder + QStringLiteral("song%1.ogg").arg(serial);
    const QString source = QStringLiteral("sine=frequency=440:sample_rate=%1:duration=%2")
                               .arg(rate)
                               .arg(double(samples) / rate, 0, 'f', 6);
    bool ok = false;
    mp3files::RunTool(
        QStringLiteral("ffmpeg"),
        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
         QStringLiteral("lavfi"), QStringLiteral("-i"), source, QStringLiteral("-ac"), QString::number(channels),
         QStringLiteral("-c:a"), codec == Codec::Opus ? QStringLiteral("libopus") : QStringLiteral("libvorbis"),
         QStringLiteral("-serial_offset"), QString::number(serial), QStringLiteral("-f"), QStringLiteral("ogg"), path},
        ok);
    QFile f(path);
    return ok && f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The whole pages of an Ogg stream, in order.
inline QList<QByteArray> PagesOf(const QByteArray& stream)
{
    QList<QByteArray> pages;
    oggpages::Cutter cutter;
    cutter.Feed(stream.constData(), stream.size(),
                [&](const oggpages::Page& p) { pages.append(QByteArray(p.data, p.size)); });
    return pages;
}

} // namespace oggfixtures
