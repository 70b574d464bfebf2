#pragma once

#include <QByteArray>

// Gathers one HTTP response from the pieces a socket hands over: the header
// block up to the blank line, then the body by Content-Length, by chunked
// transfer coding, or until the peer closes. Pure: fed with bytes, no I/O.
class HttpResponseAssembler {
public:
    enum Status {
        NeedMore, // keep feeding
        Complete, // Header() and Body() hold the response
        TooLarge, // the response passes the size bound
        Broken,   // malformed chunk coding, or the peer closed too early
    };

    static constexpr qsizetype kDefaultLimit = 256 * 1024;

    explicit HttpResponseAssembler(qsizetype limit = kDefaultLimit) : m_limit(limit) {}

    void Reset();
    Status Feed(const QByteArray& bytes);
    // The peer has closed the connection.
    Status FinishOnClose();
    Status CurrentStatus() const { return m_status; }

    // The status line and headers, with the blank line that ends them.
    QByteArray Header() const { return m_header; }
    // The body with any transfer coding removed.
    QByteArray Body() const { return m_body; }
    // Header and body as one text, as a response sent in one piece reads.
    QByteArray Whole() const { return m_header + m_body; }
    qsizetype BytesReceived() const { return m_received; }
    // The status code of the header's status line; 0 when unreadable.
    int StatusCode() const;
    // The value of the header field `lowerName` (any letter case), trimmed;
    // "" when absent.
    QByteArray Field(const QByteArray& lowerName) const;

private:
    enum BodyMode { ByLength, Chunked, UntilClose, NoBody };
    void takeHeader(qsizetype end);
    Status advance();
    Status advanceChunks();

    qsizetype m_limit;
    Status m_status = NeedMore;
    bool m_haveHeader = false;
    BodyMode m_mode = UntilClose;
    qint64 m_contentLength = 0;
    QByteArray m_pending; // received and not yet taken apart
    QByteArray m_header;
    QByteArray m_body;
    qsizetype m_received = 0;
    bool m_lastChunkSeen = false;
};
