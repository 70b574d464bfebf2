#pragma once

#include "listen/oggpages.h"

#include <QByteArray>
#include <QList>

// What the relay keeps of an Ogg stream: the whole pages not yet sent, and
// the header pages of the logical stream being relayed. A listener that
// comes in the middle of a song gets that song's header pages first, then
// whole pages from the first one it can decode; one that comes as a song
// begins gets the song from its first page.
class OggRelayQueue {
public:
    // Header pages kept at most (comments may carry pictures).
    static constexpr qsizetype kMaxHeaderBytes = 4 * 1024 * 1024;

    // The next bytes of the stream, in pieces of any size.
    void Feed(const char* data, qsizetype size);
    // The header pages of the logical stream the source is reading, for a
    // stream whose first pages were not fed (listening began in a song).
    void Offer(const QByteArray& headerPages);
    // The source connected again: a page begun is dropped.
    void Restart() { m_cutter.Reset(); }
    // Everything is forgotten (listening stopped).
    void Clear();

    // The pages not yet sent, whole and in order.
    const QByteArray& Pending() const { return m_pending; }
    // The pending pages were sent.
    void Sent();
    // Drops the oldest pending pages until at most `maxBytes` are left.
    void TrimTo(qsizetype maxBytes);
    // What a listener that joins now is sent of the pending pages: ""
    // while none of them can be decoded from.
    QByteArray ForNewListener() const;
    // The header pages of the current logical stream; "" while not known.
    QByteArray Header() const { return m_header.complete ? m_header.pages : QByteArray(); }

private:
    struct Queued {
        qsizetype end = 0; // in m_pending
        quint32 serial = 0;
        quint32 sequence = 0;
        bool bos = false;
        QByteArray header; // of its stream, when the page comes after it
    };
    struct Kept {
        QByteArray pages;
        quint32 serial = 0;
        quint32 lastSequence = 0;
        int packetsNeeded = 0; // 0: up to the first page that places audio
        int packets = 0;
        bool collecting = false;
        bool complete = false;
    };

    void onPage(const oggpages::Page& page);
    void addHeaderPage(const oggpages::Page& page);
    // The complete header that page `sequence` of stream `serial` follows, or "".
    QByteArray headerFor(quint32 serial, quint32 sequence) const;

    oggpages::Cutter m_cutter;
    QByteArray m_pending;
    QList<Queued> m_queued;
    Kept m_header;     // complete: the stream new listeners get
    Kept m_collecting; // the header of a stream that began, being gathered
};
