#pragma once

#include "listen/oggpages.h"
#include "listen/streamdecoder.h"

#include <QByteArray>
#include <QList>
#include <memory>

// Decodes an Ogg stream of Vorbis, Opus or FLAC songs, chained one after
// another, into PCM through FFmpeg's decoders: mono stays mono, more
// channels are mixed to stereo, at the song's own rate. Opus loses the
// encoder's lead-in, and a song's last page plays only as far as its
// granule position says. A stream joined in a song decodes once it has
// had the song's header pages.
class OggFeedDecoder : public IStreamDecoder {
public:
    // A packet, and all header packets of a song together, kept at most
    // (comments may carry pictures).
    static constexpr qsizetype kMaxPacketBytes = 16 * 1024 * 1024;

    OggFeedDecoder();
    ~OggFeedDecoder() override;
    OggFeedDecoder(const OggFeedDecoder&) = delete;
    OggFeedDecoder& operator=(const OggFeedDecoder&) = delete;

    void Feed(const char* data, qsizetype size, const PcmHandler& out) override;
    void Reset() override;
    qint64 FramesDecoded() const override { return m_frames; }
    int Errors() const override { return m_errors; }
    // Songs whose decoding began.
    int Songs() const { return m_songs; }

private:
    struct Codec;

    void onPage(const oggpages::Page& page, const PcmHandler& out);
    void onPacket(const QByteArray& packet, const PcmHandler& out);
    bool openCodec();
    void decode(const QByteArray& packet, const PcmHandler& out);
    void emitFrames(const char* pcm, qint64 frames, const PcmHandler& out);

    oggpages::Cutter m_cutter;
    std::unique_ptr<Codec> m_codec;
    // The logical stream followed.
    bool m_following = false;
    quint32 m_serial = 0;
    QList<QByteArray> m_headers;
    int m_headersNeeded = 0;
    qsizetype m_headerBytes = 0;
    QByteArray m_packet;       // the packet being gathered across pages
    bool m_packetTorn = false; // its beginning is missing: dropped when it ends
    qint64 m_lastGranule = -1; // of the last page of the stream that had one
    qint64 m_pageLimit = -1;   // frames the last page may still give; -1 for no limit
    qint64 m_leadIn = 0;       // frames the decoder drops before its first sound (Opus)
    qint64 m_frames = 0;
    int m_errors = 0;
    int m_songs = 0;
};
