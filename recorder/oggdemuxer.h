#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>

// Reading Ogg streams as Icecast sends them: pages, chained logical streams
// (one per song), their codec and their comment header.

enum class OggCodec { Unknown, Vorbis, Opus, Flac };

// The CRC-32 of an Ogg page (polynomial 0x04C11DB7, no reflection, start 0),
// over `size` bytes.
quint32 OggCrc(const char* data, qsizetype size, quint32 crc = 0);

// The fixed 27-byte page header, read.
struct OggPageHeader {
    quint8 version = 0;
    quint8 headerType = 0; // 1 continued packet, 2 beginning of stream, 4 end of stream
    qint64 granule = 0;
    quint32 serial = 0;
    quint32 sequence = 0;
    quint32 crc = 0;
    quint8 segments = 0;
    bool Continued() const { return headerType & 1; }
    bool Bos() const { return headerType & 2; }
    bool Eos() const { return headerType & 4; }
};
constexpr qsizetype kOggPageHeaderBytes = 27;
OggPageHeader ReadOggPageHeader(const char* data);

// The codec a logical stream's first packet names; Unknown for anything else.
OggCodec OggCodecOf(const QByteArray& firstPacket);
// The file extension of a codec: ".opus" for Opus, ".ogg" for the rest.
QString OggExtension(OggCodec codec);

struct OggComments {
    QString artist, title; // the first ARTIST= and TITLE= fields (any case), UTF-8, trimmed
    bool valid = false;    // the comment structure was read to its end within its packet
};
// Reads a Vorbis comment structure (vendor, count, fields, as Vorbis,
// Opus and FLAC carry it) from `data`; every length is checked against the
// bytes there are, so a length claiming more reads nothing past the end.
OggComments ReadVorbisComments(const char* data, qsizetype size);

// A logical stream whose header packets are complete.
struct OggStreamInfo {
    quint32 serial = 0;
    OggCodec codec = OggCodec::Unknown;
    QString artist, title;
    qint32 nominalKbps = 0; // from a Vorbis identification header; 0 when not given
    QByteArray headerPages; // the pages that carry the header packets, whole and in order
};

// Splits an Ogg byte stream into logical streams. Pure: no sockets, no
// files. Any chunking of the same bytes gives the same calls on the sink.
// Pages failing their CRC are dropped and counted; bytes between pages are
// skipped and counted. Streams of other codecs (video) and a second audio
// stream multiplexed with the first are skipped and counted.
class OggDemuxer {
public:
    // A page holds at most 27 + 255 + 255 * 255 bytes.
    static constexpr qsizetype kMaxPageBytes = kOggPageHeaderBytes + 255 + 255 * 255;
    // Header pages of one stream kept at most (comments with pictures are
    // large); a stream whose header grows past this is skipped.
    static constexpr qsizetype kMaxHeaderBytes = 4 * 1024 * 1024;
    // Bytes read without finding one page before the input counts as not Ogg.
    static constexpr qint64 kMaxBytesWithoutPage = 256 * 1024;

    class Sink {
    public:
        virtual ~Sink() = default;
        // A logical stream's header packets are complete: its file begins with
        // info.headerPages.
        virtual void OnStreamStart(const OggStreamInfo& info) = 0;
        // A whole page of the started stream after its header pages; its
        // bytes stay valid until the next Feed or Finish.
        virtual void OnPage(const char* data, qsizetype size) = 0;
        // The started stream ended: `complete` when at its EOS page, false
        // when cut (a new stream began without an EOS, or Finish).
        virtual void OnStreamEnd(bool complete) = 0;
        // A whole good page that came before any stream of this input began
        // (a server going on with a song without sending its header pages).
        virtual void OnPageBeforeStart(const char* /*data*/, qsizetype /*size*/) {}
    };

    void Feed(const char* data, qsizetype size, Sink& sink);
    void Feed(const QByteArray& chunk, Sink& sink) { Feed(chunk.constData(), chunk.size(), sink); }
    // The input ended (connection lost, recording stopped): a started stream
    // ends cut, a partial page is dropped, and the next Feed starts afresh.
    void Finish(Sink& sink);

    qint64 Pages() const { return m_pages; }               // good pages read
    qint64 BadPages() const { return m_badPages; }         // dropped for their CRC
    qint64 SkippedBytes() const { return m_skippedBytes; } // not inside any good page
    qint64 SkippedPages() const { return m_skippedPages; } // good pages of no recorded stream
    int Streams() const { return m_streams; }              // streams started
    int UnendedStreams() const { return m_unended; }       // cut by a new BOS without an EOS
    int OtherStreams() const { return m_otherStreams; }    // not Vorbis, Opus or FLAC, or multiplexed
    int OversizedStreams() const { return m_oversized; }
    int SequenceGaps() const { return m_sequenceGaps; }
    // No page was found in the first kMaxBytesWithoutPage bytes.
    bool NotOgg() const { return m_pages == 0 && m_badPages == 0 && m_skippedBytes >= kMaxBytesWithoutPage; }
    // The stream being read; codec Unknown when none.
    const OggStreamInfo& Current() const { return m_info; }
    bool Started() const { return m_started; }

private:
    // Reads the pages in buf[0, n); returns where the bytes not read yet begin.
    qsizetype scan(const char* buf, qsizetype n, Sink& sink);
    // How many more bytes the page begun in m_buf needs (at least one).
    qsizetype wanted() const;
    void onPage(const char* page, qsizetype size, Sink& sink);
    void beginStream(const OggPageHeader& h, OggCodec codec);
    void endStream(bool complete, Sink& sink);
    void readHeaderPage(const OggPageHeader& h, const char* page, qsizetype size, Sink& sink);
    void onHeaderPacket(const QByteArray& packet);

    // The bytes from a page begun but not complete yet (or the last three
    // bytes read, which may begin a capture pattern); usually empty.
    QByteArray m_buf;
    QList<QByteArray> m_held; // pages handed on from m_buf during this Feed

    // The logical stream being read.
    bool m_active = false;   // a BOS of an audio codec was seen and no end yet
    bool m_started = false;  // its header is complete (the sink knows it)
    bool m_skipping = false; // the stream is skipped (oversized header)
    bool m_bosGroup = false; // only BOS pages since it began (multiplexed streams begin together)
    OggStreamInfo m_info;
    quint32 m_nextSequence = 0;
    int m_headerPackets = 0; // header packets complete so far
    int m_headerTotal = 0;   // header packets the codec has; 0 while not known
    bool m_flacLastSeen = false;
    QByteArray m_packet;       // the header packet being gathered
    bool m_packetTorn = false; // a page of it went missing
    bool m_firstAfterHeader = false;

    qint64 m_pages = 0;
    qint64 m_badPages = 0;
    qint64 m_skippedBytes = 0;
    qint64 m_skippedPages = 0;
    int m_streams = 0;
    int m_unended = 0;
    int m_otherStreams = 0;
    int m_oversized = 0;
    int m_sequenceGaps = 0;
};
