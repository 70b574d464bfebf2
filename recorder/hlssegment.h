#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The most one HLS segment may hold.
constexpr qsizetype kMaxHlsSegmentBytes = 16 * 1024 * 1024;

// The audio of HLS segments as it is recorded: ADTS frames (".aac") or
// MPEG audio frames (".mp3"), never re-encoded.
enum class HlsCodec { None, Adts, Mpeg };

struct HlsAudioFrame {
    qint64 time = -1;     // 90 kHz stream time; -1 when the segment tells none
    qsizetype offset = 0; // into HlsSegmentRead::audio
    qsizetype size = 0;
};

// A title and where it belongs: at `time` (90 kHz) when known, else before
// the frame numbered `beforeFrame` of its segment.
struct HlsTimedTitle {
    qint64 time = -1;
    int beforeFrame = 0;
    QString title;
    QByteArray picture, pictureType; // the tag's picture (HlsId3Tag), when it has one
};

struct HlsSegmentRead {
    QString error;        // why the segment gave no audio; "" when it did
    QStringList warnings; // what was passed over (ID3 tags with false sizes ...)
    HlsCodec codec = HlsCodec::None;
    int sampleRate = 0;
    int samplesPerFrame = 0;
    QByteArray audio; // the frames, back to back, as sent
    QList<HlsAudioFrame> frames;
    QList<HlsTimedTitle> titles;

    bool ok() const { return error.isEmpty(); }
    // The 90 kHz ticks one frame lasts.
    qint64 FrameTicks() const { return sampleRate > 0 ? qint64(samplesPerFrame) * 90000 / sampleRate : 0; }
};

// Reads one segment: packed audio (ID3 tags then ADTS or MPEG audio),
// or MPEG-TS (AAC in ADTS or MPEG audio; timed ID3 in a stream of type
// 0x15). Only audio frames are kept: bytes between them are passed over.
HlsSegmentRead ReadHlsSegment(const QByteArray& data);
