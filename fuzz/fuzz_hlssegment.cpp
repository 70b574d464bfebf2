// HLS segments: packed audio, MPEG-TS, fMP4 (initialization sections and
// fragments) and their ID3 tags. Only whole audio frames come out, in the
// order of the input.
#include "recorder/hlsid3.h"
#include "recorder/hlsmp4.h"
#include "recorder/hlssegment.h"

#include <cstdlib>

namespace {
void checkFrames(const HlsSegmentRead& read)
{
    if (read.ok() == read.frames.isEmpty())
        std::abort();
    qsizetype at = 0;
    for (const HlsAudioFrame& frame : read.frames) {
        if (frame.offset != at || frame.size <= 0)
            std::abort();
        at += frame.size;
    }
    if (at != read.audio.size())
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    HlsMp4Track track;
    track.ok = true;
    track.trackId = 1;
    track.timescale = 44100;
    checkFrames(ReadHlsMp4Segment(bytes, track));
    ReadHlsMp4Init(bytes);
    const HlsSegmentRead read = ReadHlsSegment(bytes);
    checkFrames(read);
    for (const HlsTimedTitle& title : read.titles)
        if (title.beforeFrame < 0 || title.beforeFrame > read.frames.size() || title.title.isEmpty())
            std::abort();
    const HlsId3Tag tag = ReadHlsId3Tag(bytes);
    if (tag.ok && (tag.size < 10 || tag.size > bytes.size()))
        std::abort();
    return 0;
}
