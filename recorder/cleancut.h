#pragma once

#include <QByteArray>

#include <vector>

// Where to cut a song from the next one: on an MP3 frame boundary, at the
// quietest frame near the title change. Pure: no files, no sockets.

struct Mp3Frame {
    qsizetype offset = 0;  // in the bytes searched
    qsizetype size = 0;
    int samples = 0;       // per channel
    int sampleRate = 0;
};

// The length of the MPEG audio layer III frame whose header starts at `h`
// (4 bytes); 0 when those bytes are no such header (free format included).
qsizetype Mp3FrameLength(const unsigned char* h, int* samples = nullptr, int* sampleRate = nullptr);

// The frames in `bytes`: runs of at least three headers that follow one
// another exactly (any run at the very start); bytes between runs (damage,
// a partial frame at either end) belong to no frame. Only whole frames are
// listed.
std::vector<Mp3Frame> FindMp3Frames(const QByteArray& bytes);

// The same for any framing: `length` reads a header of `headerBytes` bytes
// as Mp3FrameLength does; `same` tells whether two headers belong to one
// stream.
using FrameLengthFn = qsizetype (*)(const unsigned char* h, int* samples, int* sampleRate);
using SameStreamFn = bool (*)(const unsigned char* a, const unsigned char* b);
std::vector<Mp3Frame> FindFrameRuns(const QByteArray& bytes, int headerBytes, FrameLengthFn length, SameStreamFn same);

// The cut in `region` for a title change at byte `nominal`: the frame
// boundary within `windowMs` of it (in playing time) that lies next to the
// quietest frame, decoded with libmpg123; among equally quiet ones the
// nearest. Without frames near `nominal` the nearest frame boundary, and
// without any frames `nominal` itself.
qsizetype ChooseCleanCut(const QByteArray& region, qsizetype nominal, int windowMs);
