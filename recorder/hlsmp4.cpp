#include "recorder/hlsmp4.h"

#include "listen/aacframes.h"
#include "recorder/hlsid3.h"

#include <QCoreApplication>

namespace {
using aacframes::kSampleRates;

quint64 be(const QByteArray& b, qsizetype at, int bytes)
{
    quint64 v = 0;
    for (int i = 0; i < bytes; ++i)
        v = (v << 8) | uchar(b[at + i]);
    return v;
}

// One box: where its body lies in the data.
struct Box {
    QByteArray type;
    qsizetype start = 0, body = 0, end = 0;
};

// The boxes inside [from, to); false when one claims more than there is.
bool boxesIn(const QByteArray& d, qsizetype from, qsizetype to, QList<Box>& out)
{
    qsizetype at = from;
    while (at + 8 <= to) {
        quint64 size = be(d, at, 4);
        qsizetype header = 8;
        if (size == 1) {
            if (at + 16 > to)
                return false;
            size = be(d, at + 8, 8);
            header = 16;
        } else if (size == 0) {
            size = quint64(to - at);
        }
        if (size < quint64(header) || size > quint64(to - at))
            return false;
        out.append({d.mid(at + 4, 4), at, at + header, at + qsizetype(size)});
        at += qsizetype(size);
    }
    return true;
}

const Box* find(const QList<Box>& boxes, const char* type)
{
    for (const Box& b : boxes)
        if (b.type == type)
            return &b;
    return nullptr;
}

QList<Box> children(const QByteArray& d, const Box* box, qsizetype skip = 0)
{
    QList<Box> out;
    if (box && box->body + skip <= box->end)
        boxesIn(d, box->body + skip, box->end, out);
    return out;
}

// A descriptor's length in the esds (up to four bytes of seven bits).
qsizetype descriptorLength(const QByteArray& d, qsizetype& at, qsizetype end)
{
    qsizetype length = 0;
    for (int i = 0; i < 4 && at < end; ++i) {
        const uchar c = uchar(d[at++]);
        length = (length << 7) | (c & 0x7f);
        if (!(c & 0x80))
            break;
    }
    return length;
}

QByteArray configOf(const QByteArray& d, const Box& esds)
{
    qsizetype at = esds.body + 4;
    const qsizetype end = esds.end;
    while (at + 2 <= end) {
        const int tag = uchar(d[at++]);
        const qsizetype length = descriptorLength(d, at, end);
        if (tag == 0x03) { // ES_Descriptor: its header, then its descriptors
            if (at + 3 > end)
                return {};
            const int flags = uchar(d[at + 2]);
            at += 3;
            if (flags & 0x80)
                at += 2;
            if ((flags & 0x40) && at < end)
                at += 1 + uchar(d[at]);
            if (flags & 0x20)
                at += 2;
        } else if (tag == 0x04) {
            at += 13; // object type, stream type, buffer size, bit rates
        } else if (tag == 0x05) {
            return at + length <= end ? d.mid(at, length) : QByteArray();
        } else {
            at += length;
        }
    }
    return {};
}

HlsSegmentRead& failed(HlsSegmentRead& out, const QString& why)
{
    out.error = why;
    out.audio.clear();
    out.frames.clear();
    out.titles.clear();
    return out;
}
} // namespace

HlsMp4Track ReadHlsMp4Init(const QByteArray& d)
{
    HlsMp4Track track;
    QList<Box> top;
    if (!boxesIn(d, 0, d.size(), top) || !find(top, "moov")) {
        track.error = QCoreApplication::translate("HlsSession", "the initialization section is not MP4");
        return track;
    }
    for (const Box& trak : children(d, find(top, "moov"))) {
        if (trak.type != "trak")
            continue;
        const QList<Box> inTrak = children(d, &trak);
        const Box* tkhd = find(inTrak, "tkhd");
        const QList<Box> mdia = children(d, find(inTrak, "mdia"));
        const Box* mdhd = find(mdia, "mdhd");
        const Box* hdlr = find(mdia, "hdlr");
        if (!tkhd || !mdhd || !hdlr || hdlr->body + 12 > hdlr->end || d.mid(hdlr->body + 8, 4) != "soun")
            continue;
        const bool v1 = d[tkhd->body] == 1, m1 = d[mdhd->body] == 1;
        if (tkhd->body + (v1 ? 24 : 16) > tkhd->end || mdhd->body + (m1 ? 24 : 16) > mdhd->end)
            continue;
        track.trackId = quint32(be(d, tkhd->body + (v1 ? 20 : 12), 4));
        track.timescale = quint32(be(d, mdhd->body + (m1 ? 20 : 12), 4));
        const QList<Box> minf = children(d, find(mdia, "minf"));
        const QList<Box> stbl = children(d, find(minf, "stbl"));
        const QList<Box> entries = children(d, find(stbl, "stsd"), 8);
        const Box* mp4a = find(entries, "mp4a");
        if (!mp4a) {
            track.error =
                find(entries, "enca")
                    ? QCoreApplication::translate("HlsSession", "the fMP4 audio is encrypted, which cannot be recorded")
                    : QCoreApplication::translate("HlsSession", "the fMP4 audio is not AAC");
            return track;
        }
        const QList<Box> inEntry = children(d, mp4a, 28);
        const Box* esds = find(inEntry, "esds");
        track.audioSpecificConfig = esds ? configOf(d, *esds) : QByteArray();
        if (track.audioSpecificConfig.size() < 2 || track.timescale == 0) {
            track.error = QCoreApplication::translate("HlsSession", "the fMP4 audio track has no AAC configuration");
            return track;
        }
        const quint32 asc = quint32(be(track.audioSpecificConfig, 0, 2));
        const int objectType = int(asc >> 11);
        track.rateIndex = int((asc >> 7) & 0x0f);
        track.channels = int((asc >> 3) & 0x0f);
        if (track.rateIndex > 12 || objectType == 0 || objectType == 31) {
            track.error =
                QCoreApplication::translate("HlsSession", "the fMP4 AAC configuration cannot be written as ADTS");
            return track;
        }
        // HE-AAC is sent in ADTS as its AAC LC core.
        track.profile = objectType <= 4 ? objectType - 1 : 1;
        track.sampleRate = kSampleRates[track.rateIndex];
        track.ok = true;
        return track;
    }
    track.error = QCoreApplication::translate("HlsSession", "the initialization section has no audio track");
    return track;
}

QByteArray HlsAdtsHeader(const HlsMp4Track& t, qsizetype payloadSize)
{
    const qsizetype length = payloadSize + 7;
    QByteArray h(7, '\0');
    h[0] = char(0xff);
    h[1] = char(0xf1);
    h[2] = char((t.profile << 6) | (t.rateIndex << 2) | ((t.channels >> 2) & 1));
    h[3] = char(((t.channels & 3) << 6) | ((length >> 11) & 3));
    h[4] = char((length >> 3) & 0xff);
    h[5] = char(((length & 7) << 5) | 0x1f);
    h[6] = char(0xfc);
    return h;
}

HlsSegmentRead ReadHlsMp4Segment(const QByteArray& d, const HlsMp4Track& track)
{
    HlsSegmentRead out;
    out.codec = HlsCodec::Adts;
    out.sampleRate = track.sampleRate;
    out.samplesPerFrame = 1024;
    QList<Box> top;
    if (!boxesIn(d, 0, d.size(), top)) {
        return failed(out, QCoreApplication::translate("HlsSession", "an fMP4 box claims more than the segment holds"));
    }
    struct Event {
        bool relative;
        quint64 time, timescale;
        QString title;
        QByteArray picture, pictureType; // the tag's picture, when it has one
    };
    QList<Event> events;
    qint64 earliest = -1;
    for (const Box& box : top) {
        if (box.type == "emsg" && box.body + 4 <= box.end) {
            const int version = uchar(d[box.body]);
            qsizetype at = box.body + 4;
            const auto cstring = [&] {
                const qsizetype nul = d.indexOf('\0', at);
                const qsizetype stop = nul < 0 || nul >= box.end ? box.end : nul;
                const QByteArray s = d.mid(at, stop - at);
                at = stop + 1;
                return s;
            };
            Event e{version == 0, 0, 0, {}, {}, {}};
            QByteArray scheme;
            if (version == 0) {
                scheme = cstring();
                cstring();
                if (at + 16 > box.end)
                    continue;
                e.timescale = be(d, at, 4);
                e.time = be(d, at + 4, 4);
                at += 16;
            } else {
                if (at + 20 > box.end)
                    continue;
                e.timescale = be(d, at, 4);
                e.time = be(d, at + 4, 8);
                at += 20;
                scheme = cstring();
                cstring();
            }
            if (!scheme.toLower().contains("id3") || at > box.end || e.timescale == 0)
                continue;
            const HlsId3Tag tag = ReadHlsId3Tag(d.mid(at, box.end - at));
            if (!tag.ok)
                out.warnings << tag.error;
            else if (!tag.StreamTitle().isEmpty()) {
                e.title = tag.StreamTitle();
                e.picture = tag.picture;
                e.pictureType = tag.pictureType;
                events << e;
            }
        } else if (box.type == "moof") {
            for (const Box& traf : children(d, &box)) {
                if (traf.type != "traf")
                    continue;
                const QList<Box> in = children(d, &traf);
                const Box* tfhd = find(in, "tfhd");
                if (!tfhd || tfhd->body + 8 > tfhd->end || be(d, tfhd->body + 4, 4) != track.trackId)
                    continue;
                const quint32 hf = quint32(be(d, tfhd->body, 4)) & 0xffffff;
                qsizetype at = tfhd->body + 8;
                qint64 base = box.start;
                quint32 defDuration = 0, defSize = 0;
                if (hf & 0x01) {
                    base = qint64(be(d, at, 8));
                    at += 8;
                }
                if (hf & 0x02)
                    at += 4;
                if (hf & 0x08) {
                    defDuration = quint32(be(d, at, 4));
                    at += 4;
                }
                if (hf & 0x10)
                    defSize = quint32(be(d, at, 4));
                quint64 decode = 0;
                if (const Box* tfdt = find(in, "tfdt"); tfdt && tfdt->body + 8 <= tfdt->end)
                    decode = d[tfdt->body] == 1 && tfdt->body + 12 <= tfdt->end ? be(d, tfdt->body + 4, 8)
                                                                                : be(d, tfdt->body + 4, 4);
                for (const Box& trun : in) {
                    if (trun.type != "trun" || trun.body + 8 > trun.end)
                        continue;
                    const quint32 rf = quint32(be(d, trun.body, 4)) & 0xffffff;
                    const quint32 count = quint32(be(d, trun.body + 4, 4));
                    qsizetype p = trun.body + 8;
                    qint64 data = base;
                    if (rf & 0x01) {
                        data += qint32(be(d, p, 4));
                        p += 4;
                    }
                    if (rf & 0x04)
                        p += 4;
                    const int per = ((rf & 0x100) ? 4 : 0) + ((rf & 0x200) ? 4 : 0) + ((rf & 0x400) ? 4 : 0) +
                                    ((rf & 0x800) ? 4 : 0);
                    if (p > trun.end || (per > 0 && quint64(trun.end - p) / per < count)) {
                        return failed(out, QCoreApplication::translate(
                                               "HlsSession", "an fMP4 fragment lists more samples than it holds"));
                    }
                    for (quint32 i = 0; i < count; ++i) {
                        quint32 duration = defDuration, size = defSize;
                        if (rf & 0x100) {
                            duration = quint32(be(d, p, 4));
                            p += 4;
                        }
                        if (rf & 0x200) {
                            size = quint32(be(d, p, 4));
                            p += 4;
                        }
                        p += ((rf & 0x400) ? 4 : 0) + ((rf & 0x800) ? 4 : 0);
                        if (data < 0 || size == 0 || size > 8191 - 7 || data + size > d.size()) {
                            return failed(out, QCoreApplication::translate("HlsSession",
                                                                           "an fMP4 sample lies outside the segment"));
                        }
                        HlsAudioFrame frame;
                        frame.time = qint64(decode * 90000 / track.timescale);
                        if (earliest < 0)
                            earliest = frame.time;
                        frame.offset = out.audio.size();
                        frame.size = 7 + size;
                        out.audio += HlsAdtsHeader(track, size);
                        out.audio.append(d.constData() + data, size);
                        out.frames.append(frame);
                        data += size;
                        decode += duration;
                    }
                }
            }
        }
    }
    const qint64 half = out.FrameTicks() / 2;
    for (const Event& e : events) {
        const qint64 time = qint64(e.time * 90000 / e.timescale) + (e.relative ? std::max<qint64>(earliest, 0) : 0);
        HlsTimedTitle title{time, 0, e.title, e.picture, e.pictureType};
        while (title.beforeFrame < out.frames.size() && out.frames[title.beforeFrame].time + half < time)
            ++title.beforeFrame;
        out.titles.append(title);
    }
    if (out.frames.isEmpty())
        return failed(out, QCoreApplication::translate("HlsSession", "the segment holds no audio"));
    return out;
}
