#include "listen/aacframes.h"

#include <QList>

namespace aacframes {

bool IsAacType(const QByteArray& contentType)
{
    const QByteArray type = contentType.split(';').first().trimmed().toLower();
    return type == "audio/aac" || type == "audio/aacp" || type == "audio/x-aac";
}

qsizetype FrameLength(const unsigned char* h, int* samples, int* sampleRate)
{
    if (h[0] != 0xFF || (h[1] & 0xF6) != 0xF0) // sync word, layer 0
        return 0;
    const int rateIndex = (h[2] >> 2) & 0x0F;
    if (rateIndex >= 13)
        return 0;
    const qsizetype length = (qsizetype(h[3] & 0x03) << 11) | (qsizetype(h[4]) << 3) | (h[5] >> 5);
    const qsizetype header = (h[1] & 0x01) ? kHeaderBytes : kHeaderBytes + 2; // 2 more with a CRC
    if (length <= header)
        return 0;
    if (samples)
        *samples = 1024 * ((h[6] & 0x03) + 1);
    if (sampleRate)
        *sampleRate = kSampleRates[rateIndex];
    return length;
}

bool SameStream(const unsigned char* a, const unsigned char* b)
{
    return (a[1] & 0xFE) == (b[1] & 0xFE) && (a[2] & 0xFD) == (b[2] & 0xFD) && (a[3] & 0xC0) == (b[3] & 0xC0);
}

} // namespace aacframes
