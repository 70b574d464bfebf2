#pragma once

// Byte fixtures of HLS segments: ADTS and MPEG audio frames that carry
// their number, ID3v2 tags, and a small MPEG-TS muxer.
#include <QByteArray>
#include <QList>
#include <QString>

namespace hlsfix {

// An ADTS frame (AAC LC, 44.1 kHz, stereo) of `size` bytes whose payload
// starts with `number` (4 bytes, big endian).
inline QByteArray Adts(quint32 number, int size = 64, int rateIndex = 4)
{
    QByteArray f(size, '\0');
    f[0] = char(0xff);
    f[1] = char(0xf1);
    f[2] = char((1 << 6) | (rateIndex << 2) | 0);
    f[3] = char((2 << 6) | ((size >> 11) & 0x03));
    f[4] = char((size >> 3) & 0xff);
    f[5] = char(((size & 0x07) << 5) | 0x1f);
    f[6] = char(0xfc);
    for (int i = 0; i < 4; ++i)
        f[7 + i] = char((number >> (24 - 8 * i)) & 0xff);
    return f;
}

// An MPEG-1 layer III frame, 128 kbit/s, 44.1 kHz (417 bytes), numbered.
inline QByteArray Mp3(quint32 number)
{
    QByteArray f(417, '\0');
    f[0] = char(0xff);
    f[1] = char(0xfb);
    f[2] = char(0x90);
    f[3] = char(0x64);
    for (int i = 0; i < 4; ++i)
        f[8 + i] = char((number >> (24 - 8 * i)) & 0xff);
    return f;
}

// The number an Adts or Mp3 frame carries.
inline quint32 FrameNumber(const QByteArray& frame, bool mp3 = false)
{
    const int at = mp3 ? 8 : 7;
    quint32 n = 0;
    for (int i = 0; i < 4; ++i)
        n = (n << 8) | uchar(frame[at + i]);
    return n;
}

inline QByteArray SyncSafe(quint32 v)
{
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char((v >> (21 - 7 * i)) & 0x7f);
    return b;
}

inline QByteArray BigEndian(quint32 v)
{
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char((v >> (24 - 8 * i)) & 0xff);
    return b;
}

// One frame of an ID3v2.`version` tag.
inline QByteArray Frame(const QByteArray& id, const QByteArray& body, int version = 4)
{
    return id + (version == 4 ? SyncSafe(body.size()) : BigEndian(body.size())) + QByteArray(2, '\0') + body;
}

inline QByteArray TextFrame(const QByteArray& id, const QString& text, int version = 4)
{
    return Frame(id, QByteArray(1, '\3') + text.toUtf8(), version);
}

inline QByteArray PrivTimestamp(quint64 ts)
{
    QByteArray body = QByteArray("com.apple.streaming.transportStreamTimestamp") + '\0';
    for (int i = 7; i >= 0; --i)
        body += char((ts >> (8 * i)) & 0xff);
    return Frame("PRIV", body);
}

inline QByteArray Tag(const QByteArray& frames, int version = 4)
{
    return QByteArray("ID3") + char(version) + '\0' + '\0' + SyncSafe(frames.size()) + frames;
}

// A tag with a title (and artist) and, when `ts` >= 0, its timestamp.
inline QByteArray TitleTag(const QString& title, const QString& artist = {}, qint64 ts = -1)
{
    QByteArray frames;
    if (ts >= 0)
        frames += PrivTimestamp(quint64(ts));
    if (!title.isEmpty())
        frames += TextFrame("TIT2", title);
    if (!artist.isEmpty())
        frames += TextFrame("TPE1", artist);
    return Tag(frames);
}

// A tiny MPEG-TS muxer: PAT, PMT (audio on 0x100 of `audioType`, timed
// ID3 on 0x101) and PES packets split into 188-byte packets.
class Ts {
public:
    explicit Ts(int audioType = 0x0f)
    {
        QByteArray pat = QByteArray::fromHex("00b00d0001c100000001f000") + QByteArray(4, '\0');
        packet(0, true, QByteArray(1, '\0') + pat);
        QByteArray pmt = QByteArray::fromHex("02b0170001c10000e100f000");
        pmt += char(audioType);
        pmt += QByteArray::fromHex("e100f000");
        pmt += QByteArray::fromHex("15e101f000");
        pmt += QByteArray(4, '\0');
        packet(0x1000, true, QByteArray(1, '\0') + pmt);
    }
    void Pes(int pid, int streamId, qint64 pts, const QByteArray& payload)
    {
        QByteArray pes = QByteArray::fromHex("000001");
        pes += char(streamId);
        const int length = payload.size() + 8;
        pes += char(pid == 0x100 && length > 0xffff ? 0 : (length >> 8) & 0xff);
        pes += char(pid == 0x100 && length > 0xffff ? 0 : length & 0xff);
        pes += char(0x80);
        pes += char(0x80);
        pes += char(5);
        pes += char(0x21 | ((pts >> 29) & 0x0e));
        pes += char((pts >> 22) & 0xff);
        pes += char(((pts >> 14) & 0xfe) | 1);
        pes += char((pts >> 7) & 0xff);
        pes += char(((pts << 1) & 0xfe) | 1);
        pes += payload;
        bool first = true;
        for (qsizetype at = 0; at < pes.size(); at += 184) {
            packet(pid, first, pes.mid(at, 184));
            first = false;
        }
    }
    void Audio(qint64 pts, const QByteArray& frames) { Pes(0x100, 0xc0, pts, frames); }
    void Id3(qint64 pts, const QByteArray& tag) { Pes(0x101, 0xbd, pts, tag); }
    QByteArray Bytes() const { return m_bytes; }

private:
    void packet(int pid, bool start, const QByteArray& payload)
    {
        QByteArray p;
        p += char(0x47);
        p += char((start ? 0x40 : 0) | ((pid >> 8) & 0x1f));
        p += char(pid & 0xff);
        const int stuffing = 184 - payload.size();
        if (stuffing > 0) {
            p += char(0x30 | (m_cc++ & 0x0f));
            p += char(stuffing - 1);
            if (stuffing > 1)
                p += char(0x00) + QByteArray(stuffing - 2, char(0xff));
        } else {
            p += char(0x10 | (m_cc++ & 0x0f));
        }
        p += payload;
        m_bytes += p;
    }
    QByteArray m_bytes;
    int m_cc = 0;
};

} // namespace hlsfix

namespace hlsfix {

inline QByteArray Box(const char* type, const QByteArray& body)
{
    return BigEndian(quint32(body.size() + 8)) + QByteArray(type, 4) + body;
}

inline QByteArray Full(const char* type, int version, quint32 flags, const QByteArray& body)
{
    return Box(type, BigEndian((quint32(version) << 24) | flags) + body);
}

// An fMP4 initialization section: one AAC LC track (id 1, 44.1 kHz, stereo).
inline QByteArray Mp4Init(quint32 timescale = 44100)
{
    const QByteArray asc = QByteArray::fromHex("1210");
    const QByteArray esds =
        Full("esds", 0, 0,
             QByteArray::fromHex("0380808022000100") + QByteArray::fromHex("048080801440150000000001dacc0001dacc") +
                 QByteArray::fromHex("05808080") + char(asc.size()) + asc + QByteArray::fromHex("068080800102"));
    const QByteArray mp4a =
        Box("mp4a", QByteArray(6, '\0') + QByteArray::fromHex("0001") + QByteArray(8, '\0') +
                        QByteArray::fromHex("00020010") + QByteArray(4, '\0') + QByteArray::fromHex("ac440000") + esds);
    const QByteArray stsd = Full("stsd", 0, 0, BigEndian(1) + mp4a);
    const QByteArray tkhd = Full("tkhd", 0, 3, QByteArray(8, '\0') + BigEndian(1) + QByteArray(68, '\0'));
    const QByteArray mdhd = Full("mdhd", 0, 0, QByteArray(8, '\0') + BigEndian(timescale) + QByteArray(8, '\0'));
    const QByteArray hdlr = Full("hdlr", 0, 0, QByteArray(4, '\0') + "soun" + QByteArray(13, '\0'));
    const QByteArray mdia = Box("mdia", mdhd + hdlr + Box("minf", Box("stbl", stsd)));
    return Box("ftyp", QByteArray("iso6\0\0\0\0", 8)) + Box("moov", Box("trak", tkhd + mdia));
}

// A media segment: an emsg (version 1) with `tag` at `tagTime` (in the
// track's timescale) when `tag` is not empty, then one fragment of
// `samples` starting at `decode`, each 1024 long.
inline QByteArray Mp4Fragment(quint64 decode, const QList<QByteArray>& samples, const QByteArray& tag = {},
                              quint64 tagTime = 0)
{
    QByteArray out;
    if (!tag.isEmpty()) {
        QByteArray body = BigEndian(44100) + BigEndian(quint32(tagTime >> 32)) + BigEndian(quint32(tagTime)) +
                          BigEndian(0) + BigEndian(1) + QByteArray("https://aomedia.org/emsg/ID3") + '\0' + '\0' + tag;
        out += Full("emsg", 1, 0, body);
    }
    QByteArray entries, payload;
    for (const QByteArray& s : samples) {
        entries += BigEndian(1024) + BigEndian(quint32(s.size()));
        payload += s;
    }
    const QByteArray tfhd = Full("tfhd", 0, 0x020000, BigEndian(1));
    const QByteArray tfdt = Full("tfdt", 1, 0, BigEndian(quint32(decode >> 32)) + BigEndian(quint32(decode)));
    const int trunSize = 12 + 8 + entries.size();
    const int moofSize = 8 + (8 + 8) + 8 + tfhd.size() + tfdt.size() + trunSize;
    const QByteArray trun =
        Full("trun", 0, 0x301, BigEndian(quint32(samples.size())) + BigEndian(quint32(moofSize + 8)) + entries);
    out += Box("moof", Full("mfhd", 0, 0, BigEndian(1)) + Box("traf", tfhd + tfdt + trun));
    out += Box("mdat", payload);
    return out;
}

} // namespace hlsfix
