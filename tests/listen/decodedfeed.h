#pragma once

// What a stream decoder makes of a stream fed in pieces of one size.

#include "listen/streamdecoder.h"

#include <QByteArray>
#include <QList>

struct DecodedFeed {
    QList<PcmFormat> formats; // each change of format
    qint64 frames = 0;
    bool whole = true; // every run holds whole sample frames
};

inline DecodedFeed FeedInPieces(IStreamDecoder& decoder, const QByteArray& stream, qsizetype chunk)
{
    DecodedFeed d;
    for (qsizetype at = 0; at < stream.size(); at += chunk) {
        decoder.Feed(stream.constData() + at, qMin(chunk, stream.size() - at),
                     [&](const PcmFormat& f, const char*, qsizetype bytes) {
                         if (d.formats.isEmpty() || !(d.formats.last() == f))
                             d.formats.append(f);
                         d.whole = d.whole && bytes % (2 * f.channels) == 0;
                         d.frames += bytes / (2 * f.channels);
                     });
    }
    return d;
}
