#pragma once

#include "recorder/hlssegment.h"

#include <QByteArray>

// What the audio track of an fMP4 initialization section (#EXT-X-MAP) says.
struct HlsMp4Track {
    bool ok = false;
    QString error;
    quint32 trackId = 0;
    quint32 timescale = 0;
    QByteArray audioSpecificConfig; // from esds
    int profile = 1;                // ADTS profile (object type less one)
    int rateIndex = 4;
    int channels = 2;
    int sampleRate = 44100;
};

// Reads the initialization section: its AAC track (mp4a with an esds).
HlsMp4Track ReadHlsMp4Init(const QByteArray& data);

// Reads one fMP4 media segment of `track`: its samples as ADTS frames (a
// header made from the track's configuration before each), timed by the
// fragments' decode times, and the ID3 titles of its emsg boxes.
HlsSegmentRead ReadHlsMp4Segment(const QByteArray& data, const HlsMp4Track& track);

// The ADTS header of a frame of `payloadSize` bytes of `track`.
QByteArray HlsAdtsHeader(const HlsMp4Track& track, qsizetype payloadSize);
