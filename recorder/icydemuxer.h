#pragma once

#include <QByteArray>

// The parsed response header of a stream server.
struct IcyHeader {
    QByteArray raw;         // the header bytes, up to and including the blank line
    bool complete = false;  // false when the header grew past kMaxHeaderBytes without a blank line
    QByteArray statusLine;  // first line, without its line end
    int statusCode = 0;     // 200 for "ICY 200 OK" and "HTTP/1.x 200 OK"; 0 when unreadable
    bool icyStatus = false; // the status line is an "ICY NNN" one
    bool hasIcyName = false;
    QByteArray icyName;     // after "icy-name:" up to the next CR, spaces trimmed (no CR: no name)
    bool hasMetaInt = false;
    qint64 metaInt = 0;     // digits after "icy-metaint:" (spaces skipped); at most 2^31-1
    bool hasBitRate = false;
    qint32 bitRate = 0;     // "icy-br:" up to the next "icy-", the end of its line or the end,
                            // trimmed, when all digits
    QByteArray location;    // value of a line starting "Location:" (any letter case), trimmed; "" when none
    QByteArray contentType; // value of a line starting "Content-Type:" (any case), trimmed, lower case
};

IcyHeader ParseIcyHeader(const QByteArray& raw);

// True when `text` holds "StreamTitle='" in any letter case.
bool ContainsStreamTitle(const QByteArray& text);
// The title bytes after the first "StreamTitle='" (any letter case) up to the
// first "';" after it; without one, up to the block's last "'"; without that,
// up to the end, trailing zero bytes (the block's padding) dropped. Returns
// the bytes as sent, undecoded; "" when there is no title.
QByteArray ParseStreamTitle(const QByteArray& text);
// The address after the first "StreamUrl='" (any letter case) up to the
// first "';" after it, else up to the block's last "'", else the end
// (padding dropped), trimmed; "" when there is none.
QByteArray ParseStreamUrl(const QByteArray& text);

// Splits what a stream server sends into its response header, audio and
// metadata blocks. Pure: no sockets, no files. Any chunking of the same
// stream gives the same sequence of calls on the sink (audio may be split
// differently, but the bytes and their order relative to metadata are the
// same).
class IcyDemuxer {
public:
    static constexpr qsizetype kMaxHeaderBytes = 64 * 1024;

    class Sink {
    public:
        virtual ~Sink() = default;
        // The response header is complete (or too long: header.complete is
        // false, and `raw` holds its first kMaxHeaderBytes bytes). `bodyStart`
        // is the rest of the chunk that ended the header (a copy); when this
        // returns true those bytes are then demultiplexed like any later
        // chunk. Return false to drop everything this connection sends
        // until the next Reset.
        virtual bool OnHeader(const IcyHeader& header, const QByteArray& bodyStart) = 0;
        // A metadata block with text (length byte above 0), its 16*L bytes.
        virtual void OnMetadata(const QByteArray& block) = 0;
        // Audio, in stream order relative to the metadata blocks.
        virtual void OnAudio(const char* data, qsizetype size) = 0;
    };

    // A new connection: the header is pending again. In metadata mode the
    // audio is interleaved with blocks every icy-metaint bytes; a header
    // without a usable icy-metaint (digits, 1 to 2^31-1) turns metadata mode
    // off, and so does a header too long to be complete. A Reset made from
    // inside a sink call drops the rest of the chunk being fed.
    void Reset(bool metadataMode);
    void Feed(const char* data, qsizetype size, Sink& sink);
    void Feed(const QByteArray& chunk, Sink& sink) { Feed(chunk.constData(), chunk.size(), sink); }

    bool HeaderPending() const { return m_headerPending; }
    const QByteArray& PendingHeader() const { return m_header; }
    bool MetadataMode() const { return m_metadataMode; }
    qint64 MetaInterval() const { return m_metaInt; }
    bool Refused() const { return m_refused; }

    // Totals of this connection: audio after the header; metadata counts
    // the length bytes and the block texts.
    qint64 AudioBytes() const { return m_audioBytes; }
    qint64 MetadataBytes() const { return m_metadataBytes; }

private:
    void FeedBody(const char* data, qsizetype size, Sink& sink);

    // implementation state, free for the implementation to change
    bool m_headerPending = true;
    bool m_metadataMode = false;
    bool m_refused = false;
    QByteArray m_header;
    qint64 m_metaInt = 0;
    qint64 m_audioLeft = 0;      // audio bytes until the next length byte
    qint64 m_blockLeft = -1;     // metadata bytes still to collect; -1 when no block is open
    QByteArray m_block;
    qint64 m_audioBytes = 0;
    qint64 m_metadataBytes = 0;
    quint64 m_generation = 0;    // counts Resets, to notice one made from a sink call
};
