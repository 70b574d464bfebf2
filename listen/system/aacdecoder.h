#pragma once

#include "listen/streamdecoder.h"
#include "listen/system/ffmpegpcm.h"

#include <memory>

struct AVCodecContext;
struct AVFrame;
struct AVPacket;

// Decodes an AAC stream in ADTS frames (as ICY and HLS stations send it)
// through FFmpeg's decoder: the stream may be handed over in pieces of any
// size and joined at any byte. A frame is taken up where its header is
// followed by the next one's; what is not a frame is stepped over and
// counted, and so is a frame the decoder refuses. Mono stays mono, more
// channels are mixed to stereo, at the stream's own rate (HE-AAC at its
// full rate).
class AacFeedDecoder : public IStreamDecoder {
public:
    AacFeedDecoder();
    ~AacFeedDecoder() override;
    AacFeedDecoder(const AacFeedDecoder&) = delete;
    AacFeedDecoder& operator=(const AacFeedDecoder&) = delete;

    // False when FFmpeg has no AAC decoder; Feed does nothing then.
    bool IsValid() const { return m_context != nullptr; }

    void Feed(const char* data, qsizetype size, const PcmHandler& out) override;
    void Reset() override;
    qint64 FramesDecoded() const override { return m_frames; }
    int Errors() const override { return m_errors; }
    // ADTS frames the decoder took.
    qint64 Packets() const { return m_packets; }
    // Bytes held for a frame that has not come whole yet.
    qsizetype Pending() const { return m_pending.size(); }

private:
    bool open();
    void close();
    void decode(const char* frame, int size, const PcmHandler& out);

    AVCodecContext* m_context = nullptr;
    AVPacket* m_packet = nullptr;
    AVFrame* m_frame = nullptr;
    FfmpegPcm m_pcm;
    QByteArray m_pending;    // the stream from the next byte to read
    bool m_synced = false;   // the last frame was taken: the next one needs no confirming
    bool m_skipping = false; // bytes are being stepped over (counted once a run)
    qint64 m_frames = 0;
    qint64 m_packets = 0;
    int m_errors = 0;
};
