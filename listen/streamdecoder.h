#pragma once

#include <QtGlobal>
#include <functional>

// The sound a decoder gives: signed 16-bit interleaved at this rate.
struct PcmFormat {
    int sampleRate = 0;
    int channels = 0;
    bool operator==(const PcmFormat&) const = default;
};

// Decodes a stream handed over in pieces of any size into PCM. No I/O of
// its own; damaged data is stepped over.
class IStreamDecoder {
public:
    // Receives each run of decoded PCM with the format it is in.
    using PcmHandler = std::function<void(const PcmFormat& format, const char* pcm, qsizetype bytes)>;

    virtual ~IStreamDecoder() = default;
    virtual void Feed(const char* data, qsizetype size, const PcmHandler& out) = 0;
    // Forgets the stream so far (for a new connection).
    virtual void Reset() = 0;
    // Sample frames (one sample per channel) decoded since the last Reset.
    virtual qint64 FramesDecoded() const = 0;
    // Times the decoder had to step over damaged data.
    virtual int Errors() const = 0;
};

// Takes a stream and decodes nothing: for a stream no decoder can play.
class NullDecoder : public IStreamDecoder {
public:
    void Feed(const char*, qsizetype, const PcmHandler&) override {}
    void Reset() override {}
    qint64 FramesDecoded() const override { return 0; }
    int Errors() const override { return 0; }
};
