#pragma once

#include "listen/streamdecoder.h"

// Decodes an MP3 byte stream handed over in pieces of any size (libmpg123 in
// feed mode) into signed 16-bit interleaved PCM. No I/O of its own.
class Mp3FeedDecoder : public IStreamDecoder {
public:
    using Format = PcmFormat;

    Mp3FeedDecoder();
    ~Mp3FeedDecoder() override;
    Mp3FeedDecoder(const Mp3FeedDecoder&) = delete;
    Mp3FeedDecoder& operator=(const Mp3FeedDecoder&) = delete;

    // False when libmpg123 could not be set up; Feed does nothing then.
    bool IsValid() const { return m_handle != nullptr; }

    // Takes the next bytes of the stream and hands every complete frame's PCM
    // to `out`. Damaged data is skipped: the decoder looks for the next frame.
    void Feed(const char* data, qsizetype size, const PcmHandler& out) override;

    // Forgets the stream so far (for a new connection).
    void Reset() override;

    Format CurrentFormat() const { return m_format; }
    qint64 FramesDecoded() const override { return m_frames; }
    int Errors() const override { return m_errors; }

private:
    bool openFeed();

    void* m_handle = nullptr;  // mpg123_handle
    Format m_format;
    qint64 m_frames = 0;
    int m_errors = 0;
};
