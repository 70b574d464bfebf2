#pragma once

#include "listen/oggpages.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Builds Ogg pages and header packets byte by byte, for fixtures.

inline QByteArray Le32Bytes(quint32 v)
{
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char(v >> (8 * i));
    return b;
}

// One page holding `lacing` (segment sizes) over `body`, with its CRC.
inline QByteArray OggPage(quint8 type, quint32 serial, quint32 sequence, qint64 granule, const QList<int>& lacing,
                          const QByteArray& body)
{
    QByteArray p = "OggS";
    p += char(0);
    p += char(type);
    p += Le32Bytes(quint32(quint64(granule))) + Le32Bytes(quint32(quint64(granule) >> 32));
    p += Le32Bytes(serial) + Le32Bytes(sequence) + Le32Bytes(0);
    p += char(lacing.size());
    for (int l : lacing)
        p += char(l);
    p += body;
    const QByteArray crc = Le32Bytes(oggpages::Checksum(p.constData(), p.size()));
    p.replace(22, 4, crc);
    return p;
}

// The lacing of whole packets laid one after another.
inline QList<int> Lacing(const QList<QByteArray>& packets)
{
    QList<int> l;
    for (const QByteArray& packet : packets) {
        qsizetype n = packet.size();
        for (; n >= 255; n -= 255)
            l << 255;
        l << int(n);
    }
    return l;
}

// A page of whole packets.
inline QByteArray PacketsPage(quint8 type, quint32 serial, quint32 sequence, const QList<QByteArray>& packets,
                              qint64 granule = 0)
{
    return OggPage(type, serial, sequence, granule, Lacing(packets), packets.join());
}

inline QByteArray CommentBody(const QList<QByteArray>& fields, const QByteArray& vendor = "test")
{
    QByteArray b = Le32Bytes(quint32(vendor.size())) + vendor + Le32Bytes(quint32(fields.size()));
    for (const QByteArray& f : fields)
        b += Le32Bytes(quint32(f.size())) + f;
    return b;
}

inline QByteArray VorbisIdent(qint32 nominal = 128000)
{
    return QByteArray("\x01vorbis", 7) + Le32Bytes(0) + char(2) + Le32Bytes(44100) + Le32Bytes(0) +
           Le32Bytes(quint32(nominal)) + Le32Bytes(0) + char(0xb8) + char(1);
}
inline QByteArray VorbisComment(const QList<QByteArray>& fields)
{
    return QByteArray("\x03vorbis", 7) + CommentBody(fields) + char(1);
}
inline QByteArray VorbisSetup()
{
    return QByteArray("\x05vorbis", 7) + QByteArray(40, 's');
}

// A whole Vorbis song: BOS page, comment and setup on the second page,
// then `audioPages` pages of audio, the last with EOS.
inline QByteArray VorbisSong(quint32 serial, const QList<QByteArray>& fields, int audioPages = 3, int audioBytes = 300)
{
    QByteArray s = PacketsPage(2, serial, 0, {VorbisIdent()});
    s += PacketsPage(0, serial, 1, {VorbisComment(fields), VorbisSetup()});
    for (int i = 0; i < audioPages; ++i)
        s += PacketsPage(i + 1 == audioPages ? 4 : 0, serial, quint32(2 + i), {QByteArray(audioBytes, char('a' + i))},
                         1024 * (i + 1));
    return s;
}
