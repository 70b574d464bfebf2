#pragma once

#include <QByteArray>

// AAC as stations send it: in ADTS frames.
namespace aacframes {

// The length of an ADTS header without its CRC.
constexpr int kHeaderBytes = 7;

// True for the Content-Types of AAC streams (audio/aac, audio/aacp,
// audio/x-aac), in any case and with any parameters.
bool IsAacType(const QByteArray& contentType);

// True when `p` (at least kHeaderBytes) begins an ADTS header: the 12-bit
// sync word, layer 0 (which no MPEG audio frame has), a known sampling rate
// and a frame length that holds the header.
bool IsAdtsHeader(const unsigned char* p);

// The length of the frame an ADTS header begins, header included.
int AdtsFrameLength(const unsigned char* p);

} // namespace aacframes
