#pragma once

#include "listen/streamdecoder.h"

#include <QByteArray>

struct AVFrame;
struct SwrContext;

// Turns the frames an FFmpeg audio decoder gives into the player's PCM:
// signed 16-bit interleaved at the frame's own rate; mono stays mono, more
// channels are mixed to stereo. The conversion is set up again whenever a
// frame comes in another format than the one before.
class FfmpegPcm {
public:
    FfmpegPcm() = default;
    ~FfmpegPcm();
    FfmpegPcm(const FfmpegPcm&) = delete;
    FfmpegPcm& operator=(const FfmpegPcm&) = delete;

    // The frame's sound in `pcm` (replaced), its format in `format`; the
    // number of sample frames made, or -1 when the frame cannot be converted.
    qint64 Convert(const AVFrame* frame, PcmFormat& format, QByteArray& pcm);

private:
    bool setUp(const AVFrame* frame);

    SwrContext* m_resampler = nullptr;
    // What the resampler was set up for.
    int m_inRate = 0;
    int m_inFormat = -1;
    int m_inChannels = 0;
    quint64 m_inMask = 0;
    PcmFormat m_out;
};
