#pragma once

#include <QByteArray>

// AAC as stations send it: in ADTS frames.
namespace aacframes {

// The length of an ADTS header without its CRC.
constexpr int kHeaderBytes = 7;
// The sampling rates an ADTS header's index names.
constexpr int kSampleRates[13] = {96000, 88200, 64000, 48000, 44100, 32000, 24000,
                                  22050, 16000, 12000, 11025, 8000,  7350};

// True for the Content-Types of AAC streams (audio/aac, audio/aacp,
// audio/x-aac), in any case and with any parameters.
bool IsAacType(const QByteArray& contentType);

// The length, header included, of the ADTS frame whose header starts at `h`
// (kHeaderBytes): the 12-bit sync word, layer 0 (which no MPEG audio frame
// has), a known sampling rate and room for more than the header. 0 when
// those bytes are no such header. `samples` per channel.
qsizetype FrameLength(const unsigned char* h, int* samples = nullptr, int* sampleRate = nullptr);
inline bool IsHeader(const unsigned char* h) { return FrameLength(h) > 0; }

// Two headers of one stream: version, profile, sampling rate and channels
// stay the same from frame to frame.
bool SameStream(const unsigned char* a, const unsigned char* b);

} // namespace aacframes
