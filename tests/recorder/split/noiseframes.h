#pragma once

// MP3 frames for tests of joins: their bodies are noise, so no two frames
// of a broadcast are alike.
#include "recorder/overlapfinder.h"
#include "tests/support/eventwait.h"

#include <QByteArray>
#include <QProcess>
#include <cstring>
#include <random>

constexpr int kFramesPerSecond = 38; // 1152 samples at 44.1 kHz: 38.28 a second

// A broadcast of MPEG-1 layer III frames whose bodies are noise (no two
// alike), seeded by `song`. With `vbr` the bit rate changes from frame to
// frame.
inline QByteArray Broadcast(int frames, unsigned song, bool vbr = false)
{
    static const unsigned char kBitrates[] = {0x90, 0xB0, 0x50, 0xE0, 0x70};
    std::mt19937 noise(song);
    QByteArray out;
    for (int i = 0; i < frames; ++i) {
        const unsigned char h[4] = {0xFF, 0xFB, vbr ? kBitrates[i % 5] : kBitrates[0], 0x00};
        QByteArray f(Mp3FrameLength(h), '\0');
        std::memcpy(f.data(), h, 4);
        for (qsizetype k = 4; k < f.size(); ++k)
            f[k] = char(noise());
        out += f;
    }
    return out;
}

// The same in AAC ADTS frames of 1024 samples at 44.1 kHz, 300 bytes each.
inline QByteArray AdtsBroadcast(int frames, unsigned song)
{
    std::mt19937 noise(song);
    QByteArray out;
    for (int i = 0; i < frames; ++i) {
        QByteArray f(300, '\0');
        const unsigned char h[7] = {0xFF, 0xF1, 0x50, 0x80, 0x25, 0x9F, 0xFC}; // LC, 44.1 kHz, stereo, 300 bytes
        std::memcpy(f.data(), h, 7);
        for (qsizetype k = 7; k < f.size(); ++k)
            f[k] = char(noise());
        out += f;
    }
    return out;
}

// The offset of frame `i` of `bytes`, or of its end when `i` is the count.
inline qsizetype FrameStart(const QByteArray& bytes, size_t i, AudioFraming framing = AudioFraming::Mp3)
{
    const std::vector<Mp3Frame> frames = FindAudioFrames(bytes, framing);
    return i < frames.size() ? frames[i].offset : frames.back().offset + frames.back().size;
}

// `seconds` of audio whose samples are the ffmpeg expression `samples` of
// the time t (its commas escaped: "\,"), as 128 kbit/s stereo MP3 without
// tags; "" when ffmpeg failed.
inline QByteArray SoundMp3(const TempFolder& dir, int seconds, const QString& samples)
{
    const QString out = dir.file(QStringLiteral("sound.mp3"));
    QProcess p;
    p.start(QStringLiteral("ffmpeg"),
            {"-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
             QStringLiteral("aevalsrc=%1:s=44100:d=%2").arg(samples, QString::number(seconds)), "-ac", "2", "-c:a",
             "libmp3lame", "-b:a", "128k", "-write_xing", "0", "-id3v2_version", "0", out});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    return ReadAll(out);
}

// `seconds` of a loud tone with a silence from `from` to `to` seconds.
inline QByteArray ToneWithSilence(const TempFolder& dir, int seconds, double from, double to)
{
    return SoundMp3(dir, seconds,
                    QStringLiteral("if(between(t\\,%1\\,%2)\\,0\\,0.5*sin(2*PI*440*t))").arg(from).arg(to));
}
