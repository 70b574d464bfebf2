#pragma once

#include <QByteArray>

#include <vector>

// Where to cut a song from the next one: on an MP3 frame boundary, in a
// pause near the title change when there is one. Pure: no files, no sockets.

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

// The cut in `region` for a title change at byte `nominal`: in the pause
// nearest to it within `windowMs` (in playing time) on either side, at the
// pause's middle; a pause is a run of frames, decoded with libmpg123, at
// least 20 dB below the window's median level, or silent. Without a pause
// (music that runs on through the change) the frame boundary nearest to
// `nominal`, and without any frames `nominal` itself.
qsizetype ChooseCleanCut(const QByteArray& region, qsizetype nominal, int windowMs);
