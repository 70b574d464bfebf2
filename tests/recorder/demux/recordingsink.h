#pragma once

#include "recorder/icydemuxer.h"

#include <QByteArray>
#include <QList>

// Records what a demultiplexer hands over. Adjacent audio is merged, so
// two runs that differ only in how audio was cut compare equal.
class RecordingSink : public IcyDemuxer::Sink {
public:
    enum Kind { Header, Audio, Metadata };
    struct Event {
        Kind kind;
        QByteArray bytes;
        bool operator==(const Event& o) const { return kind == o.kind && bytes == o.bytes; }
    };

    bool accept = true;
    QList<Event> events;
    QList<IcyHeader> headers;
    QList<QByteArray> bodyStarts;
    int audioCalls = 0;

    bool OnHeader(const IcyHeader& header, const QByteArray& bodyStart) override
    {
        headers.append(header);
        bodyStarts.append(bodyStart);
        events.append({Header, header.raw});
        return accept;
    }
    void OnMetadata(const QByteArray& block) override { events.append({Metadata, block}); }
    void OnAudio(const char* data, qsizetype size) override
    {
        ++audioCalls;
        if (!events.isEmpty() && events.last().kind == Audio)
            events.last().bytes.append(data, size);
        else
            events.append({Audio, QByteArray(data, size)});
    }

    QByteArray AllAudio() const
    {
        QByteArray all;
        for (const Event& e : events)
            if (e.kind == Audio)
                all += e.bytes;
        return all;
    }
    QList<QByteArray> Blocks() const
    {
        QList<QByteArray> blocks;
        for (const Event& e : events)
            if (e.kind == Metadata)
                blocks.append(e.bytes);
        return blocks;
    }
};

// A metadata block as a server sends it: the length byte, then the text
// padded with zero bytes to a multiple of 16.
inline QByteArray MetaBlock(const QByteArray& text)
{
    QByteArray padded = text;
    while (padded.size() % 16 != 0)
        padded.append('\0');
    QByteArray block(1, char(static_cast<unsigned char>(padded.size() / 16)));
    return block + padded;
}

// Audio bytes that are easy to tell apart: `n` bytes counting up from `seed`.
inline QByteArray Audio(qsizetype n, int seed = 0)
{
    QByteArray a(n, '\0');
    for (qsizetype i = 0; i < n; ++i)
        a[i] = char((i + seed) * 7 % 251);
    return a;
}
