#pragma once

// MP3 frames for tests of joins: their bodies are noise, so no two frames
// of a broadcast are alike.
#include "recorder/overlapfinder.h"

#include <QByteArray>
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

// The offset of frame `i` of `bytes`, or of its end when `i` is the count.
inline qsizetype FrameStart(const QByteArray& bytes, size_t i, AudioFraming framing = AudioFraming::Mp3)
{
    const std::vector<Mp3Frame> frames = FindAudioFrames(bytes, framing);
    return i < frames.size() ? frames[i].offset : frames.back().offset + frames.back().size;
}
