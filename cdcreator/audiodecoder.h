#pragma once

#include "cdcreator/cdtext.h"

#include <QByteArray>
#include <QString>

#include <memory>

// Decodes an audio file with FFmpeg into CD audio: 44.1 kHz, 16-bit signed,
// stereo, little-endian, interleaved. Used from one thread at a time.
class AudioDecoder {
public:
    static constexpr int kSampleRate = 44100;
    static constexpr int kBytesPerFrame = 4; // two 16-bit channels

    AudioDecoder();
    ~AudioDecoder();
    AudioDecoder(const AudioDecoder&) = delete;
    AudioDecoder& operator=(const AudioDecoder&) = delete;

    // Opens the file and prepares the decoder; false with errorText() set
    // when it has no decodable audio stream.
    bool Open(const QString& path);
    // Appends the next piece of decoded audio to `out`. Returns false at the
    // end of the stream or on a decoding failure (errorText() not empty).
    bool Read(QByteArray& out);
    // The play time the container and stream report, in seconds (0 when
    // unknown).
    double ReportedSeconds() const;
    // Title, artist, album and album artist from the container's and the
    // audio stream's metadata (ID3, Vorbis comments, ASF, RIFF INFO).
    TrackTags Tags() const;
    QString errorText() const { return m_error; }
    void Close();

    // Opens the file and decodes its first frame; the reported play time in
    // seconds, or a negative value with `error` set when it cannot be decoded.
    // `tags`, when given, receives the file's tags.
    static double Probe(const QString& path, QString* error, TrackTags* tags = nullptr);

private:
    struct State;
    bool DrainDecoder(QByteArray& out);
    bool Convert(const void* frame, QByteArray& out);
    bool Flush(QByteArray& out);

    std::unique_ptr<State> m_state;
    QString m_error;
};
