#include "recorder/hlssegment.h"

#include "listen/aacframes.h"
#include "recorder/hlsid3.h"

#include <QCoreApplication>
#include <QHash>

namespace {
using aacframes::kSampleRates;

struct FrameHead {
    HlsCodec codec = HlsCodec::None;
    qsizetype size = 0;
    int rate = 0;
    int samples = 0;
};

FrameHead adtsHead(const uchar* p, qsizetype left)
{
    if (left < 7 || p[0] != 0xff || (p[1] & 0xf6) != 0xf0)
        return {};
    const int rateIndex = (p[2] >> 2) & 0x0f;
    if (rateIndex >= 13)
        return {};
    const qsizetype length = (qsizetype(p[3] & 0x03) << 11) | (qsizetype(p[4]) << 3) | (p[5] >> 5);
    const bool crc = !(p[1] & 0x01);
    if (length < (crc ? 9 : 7))
        return {};
    return {HlsCodec::Adts, length, kSampleRates[rateIndex], 1024 * ((p[6] & 0x03) + 1)};
}

FrameHead mpegHead(const uchar* p, qsizetype left)
{
    if (left < 4 || p[0] != 0xff || (p[1] & 0xe0) != 0xe0)
        return {};
    const int version = (p[1] >> 3) & 3; // 0: 2.5, 2: 2, 3: 1
    const int layer = (p[1] >> 1) & 3;   // 1: III, 2: II, 3: I
    const int bitIndex = p[2] >> 4, rateIndex = (p[2] >> 2) & 3, pad = (p[2] >> 1) & 1;
    if (version == 1 || layer == 0 || bitIndex == 0 || bitIndex == 15 || rateIndex == 3)
        return {};
    static const int v1[3][15] = {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
                                  {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
                                  {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}};
    static const int v2[2][15] = {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
                                  {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}};
    static const int rates[3] = {44100, 48000, 32000};
    const int l = 4 - layer; // 1, 2, 3
    const int kbps = version == 3 ? v1[l - 1][bitIndex] : v2[l == 1 ? 0 : 1][bitIndex];
    const int rate = rates[rateIndex] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
    FrameHead h;
    h.codec = HlsCodec::Mpeg;
    h.rate = rate;
    if (l == 1) {
        h.samples = 384;
        h.size = (12 * kbps * 1000 / rate + pad) * 4;
    } else {
        h.samples = (l == 3 && version != 3) ? 576 : 1152;
        h.size = qsizetype(h.samples / 8) * kbps * 1000 / rate + pad;
    }
    return h;
}

FrameHead frameHead(const uchar* p, qsizetype left, HlsCodec wanted)
{
    if (wanted != HlsCodec::Mpeg) {
        const FrameHead a = adtsHead(p, left);
        if (a.codec != HlsCodec::None)
            return a;
    }
    if (wanted != HlsCodec::Adts)
        return mpegHead(p, left);
    return {};
}

// One run of elementary stream whose first frame starting in it has `pts`.
struct EsPiece {
    qsizetype offset;
    qint64 pts; // -1: none
};

// Takes the frames of `es` into `out`. `pieces` say where PES payloads
// began and with what time; `id3` reads ID3 tags met between frames
// (packed audio) with the time of the frame they precede.
void takeFrames(const QByteArray& es, const QList<EsPiece>& pieces, HlsSegmentRead& out, bool id3)
{
    const auto* data = reinterpret_cast<const uchar*>(es.constData());
    const qsizetype n = es.size();
    qsizetype pos = 0;
    qsizetype junk = 0;
    int piece = -1;
    // Frames are timed from the last known time and the samples since it.
    qint64 baseTime = -1, samplesSince = 0;
    bool inStep = false;
    while (pos < n) {
        if (id3 && StartsId3Tag(es, pos)) {
            const HlsId3Tag tag = ReadHlsId3Tag(es, pos);
            if (!tag.ok)
                out.warnings << tag.error;
            if (tag.ok && !tag.StreamTitle().isEmpty())
                out.titles.append({tag.hasTimestamp ? tag.timestamp : -1, int(out.frames.size()), tag.StreamTitle(),
                                   tag.picture, tag.pictureType});
            if (tag.ok && tag.hasTimestamp && out.frames.isEmpty()) {
                baseTime = tag.timestamp;
                samplesSince = 0;
            }
            if (tag.size > 0) {
                pos += tag.size;
                continue;
            }
            break; // a tag longer than the segment: nothing after it can be told apart
        }
        const FrameHead h = frameHead(data + pos, n - pos, out.codec);
        bool take = h.codec != HlsCodec::None && h.size <= n - pos;
        // Out of step (at the start, after bytes that are no frame) a
        // header counts only when the next frame follows where it ends.
        if (take && !inStep && pos + h.size < n) {
            // The next frame (or a tag) must follow where this one ends.
            const FrameHead after = frameHead(data + pos + h.size, n - pos - h.size, h.codec);
            take = after.codec == h.codec || (id3 && StartsId3Tag(es, pos + h.size)) || n - pos - h.size < 4;
        }
        if (take && out.codec != HlsCodec::None && (h.rate != out.sampleRate))
            take = false;
        if (!take) {
            ++pos;
            ++junk;
            inStep = false;
            continue;
        }
        inStep = true;
        if (out.codec == HlsCodec::None) {
            out.codec = h.codec;
            out.sampleRate = h.rate;
            out.samplesPerFrame = h.samples;
        }
        while (piece + 1 < pieces.size() && pieces[piece + 1].offset <= pos) {
            ++piece;
            if (pieces[piece].pts >= 0) {
                baseTime = pieces[piece].pts;
                samplesSince = 0;
            }
        }
        HlsAudioFrame frame;
        frame.time = baseTime < 0 ? -1 : baseTime + samplesSince * 90000 / h.rate;
        frame.offset = out.audio.size();
        frame.size = h.size;
        out.audio.append(es.constData() + pos, h.size);
        out.frames.append(frame);
        samplesSince += h.samples;
        pos += h.size;
    }
    if (junk > 0)
        out.warnings
            << QCoreApplication::translate("HlsSession", "%1 byte(s) that are not audio passed over").arg(junk);
}

qint64 ptsOf(const uchar* p)
{
    return (qint64(p[0] & 0x0e) << 29) | (qint64(p[1]) << 22) | (qint64(p[2] & 0xfe) << 14) | (qint64(p[3]) << 7) |
           (p[4] >> 1);
}

// A PES packet's payload and time.
bool pesPayload(const QByteArray& pes, QByteArray& payload, qint64& pts)
{
    const auto* p = reinterpret_cast<const uchar*>(pes.constData());
    if (pes.size() < 9 || p[0] != 0 || p[1] != 0 || p[2] != 1)
        return false;
    const int header = p[8];
    if (9 + header > pes.size())
        return false;
    pts = ((p[7] & 0x80) && header >= 5) ? ptsOf(p + 9) : -1;
    qsizetype end = pes.size();
    const qsizetype length = (qsizetype(p[4]) << 8) | p[5];
    if (length > 0 && 6 + length < end)
        end = 6 + length;
    payload = pes.mid(9 + header, end - 9 - header);
    return true;
}

void readTs(const QByteArray& data, HlsSegmentRead& out)
{
    const auto* d = reinterpret_cast<const uchar*>(data.constData());
    const qsizetype packets = data.size() / 188;
    int pmtPid = -1, audioPid = -1;
    QList<int> metaPids;
    const auto payloadOf = [&](qsizetype i, int& pid, bool& start, qsizetype& from) {
        const uchar* p = d + i * 188;
        if (p[0] != 0x47)
            return false;
        pid = ((p[1] & 0x1f) << 8) | p[2];
        start = p[1] & 0x40;
        const int afc = (p[3] >> 4) & 3;
        from = 4;
        if (afc == 2 || afc == 0)
            return false;
        if (afc == 3)
            from += 1 + p[4];
        return from < 188;
    };
    // The tables first: which stream is the audio, which the titles.
    for (qsizetype i = 0; i < packets && (pmtPid < 0 || audioPid < 0); ++i) {
        int pid;
        bool start;
        qsizetype from;
        if (!payloadOf(i, pid, start, from) || !start)
            continue;
        const uchar* p = d + i * 188;
        from += 1 + p[from]; // pointer field
        if (from + 8 > 188)
            continue;
        const uchar* s = p + from;
        const int sectionLength = ((s[1] & 0x0f) << 8) | s[2];
        const qsizetype end = std::min<qsizetype>(from + 3 + sectionLength - 4, 188);
        if (pid == 0 && s[0] == 0x00) {
            for (qsizetype e = from + 8; e + 4 <= end; e += 4) {
                const int program = (p[e] << 8) | p[e + 1];
                if (program != 0) {
                    pmtPid = ((p[e + 2] & 0x1f) << 8) | p[e + 3];
                    break;
                }
            }
        } else if (pid == pmtPid && s[0] == 0x02 && from + 12 <= 188) {
            const int infoLength = ((s[10] & 0x0f) << 8) | s[11];
            for (qsizetype e = from + 12 + infoLength; e + 5 <= end;) {
                const int type = p[e], esPid = ((p[e + 1] & 0x1f) << 8) | p[e + 2];
                const int esInfo = ((p[e + 3] & 0x0f) << 8) | p[e + 4];
                if ((type == 0x0f || type == 0x03 || type == 0x04) && audioPid < 0)
                    audioPid = esPid;
                else if (type == 0x15)
                    metaPids << esPid;
                e += 5 + esInfo;
            }
            if (audioPid < 0) {
                out.error = QCoreApplication::translate("HlsSession", "the MPEG-TS segment holds no AAC or MP3 audio");
                return;
            }
        }
    }
    if (audioPid < 0) {
        out.error = QCoreApplication::translate("HlsSession", "the MPEG-TS segment names no audio stream");
        return;
    }
    QByteArray es;
    QList<EsPiece> pieces;
    QHash<int, QByteArray> pes;
    const auto finish = [&](int pid) {
        QByteArray payload;
        qint64 pts = -1;
        if (!pesPayload(pes.value(pid), payload, pts)) {
            pes.remove(pid);
            return;
        }
        pes.remove(pid);
        if (pid == audioPid) {
            pieces.append({es.size(), pts});
            es += payload;
        } else {
            const HlsId3Tag tag = ReadHlsId3Tag(payload);
            if (!tag.ok)
                out.warnings << tag.error;
            else if (!tag.StreamTitle().isEmpty())
                out.titles.append({pts, -1, tag.StreamTitle(), tag.picture, tag.pictureType});
        }
    };
    for (qsizetype i = 0; i < packets; ++i) {
        int pid;
        bool start;
        qsizetype from;
        if (!payloadOf(i, pid, start, from) || (pid != audioPid && !metaPids.contains(pid)))
            continue;
        if (start && pes.contains(pid))
            finish(pid);
        if (!start && !pes.contains(pid))
            continue; // the rest of a packet that began before this segment
        pes[pid].append(reinterpret_cast<const char*>(d + i * 188 + from), 188 - from);
        if (pes[pid].size() > kMaxHlsSegmentBytes)
            pes.remove(pid);
    }
    for (const int pid : pes.keys())
        finish(pid);
    takeFrames(es, pieces, out, false);
    // Where a timed title goes: before the first frame that starts at its
    // time, give or take half a frame of rounding.
    const qint64 half = out.FrameTicks() / 2;
    for (HlsTimedTitle& title : out.titles) {
        title.beforeFrame = 0;
        if (title.time >= 0)
            while (title.beforeFrame < out.frames.size() && out.frames[title.beforeFrame].time >= 0 &&
                   out.frames[title.beforeFrame].time + half < title.time)
                ++title.beforeFrame;
    }
}

bool isTs(const QByteArray& data)
{
    if (data.size() < 188 || data[0] != 0x47)
        return false;
    return data.size() < 376 || data[188] == 0x47;
}
} // namespace

HlsSegmentRead ReadHlsSegment(const QByteArray& data)
{
    HlsSegmentRead out;
    if (data.size() > kMaxHlsSegmentBytes) {
        out.error = QCoreApplication::translate("HlsSession", "the segment is larger than 16 MiB");
        return out;
    }
    if (isTs(data)) {
        readTs(data, out);
    } else {
        takeFrames(data, {}, out, true);
    }
    if (out.error.isEmpty() && out.frames.isEmpty())
        out.error = QCoreApplication::translate("HlsSession", "the segment holds no audio");
    if (!out.error.isEmpty()) {
        out.audio.clear();
        out.frames.clear();
        out.titles.clear();
    }
    return out;
}
