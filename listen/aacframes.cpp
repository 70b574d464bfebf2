#include "listen/aacframes.h"

#include <QList>

namespace aacframes {

bool IsAacType(const QByteArray& contentType)
{
    const QByteArray type = contentType.split(';').first().trimmed().toLower();
    return type == "audio/aac" || type == "audio/aacp" || type == "audio/x-aac";
}

int AdtsFrameLength(const unsigned char* p)
{
    return ((p[3] & 0x03) << 11) | (p[4] << 3) | (p[5] >> 5);
}

bool IsAdtsHeader(const unsigned char* p)
{
    if (p[0] != 0xff || (p[1] & 0xf6) != 0xf0 || ((p[2] >> 2) & 0x0f) > 12)
        return false;
    // Without the CRC bit set, two bytes of CRC follow the header.
    return AdtsFrameLength(p) >= ((p[1] & 0x01) ? kHeaderBytes : kHeaderBytes + 2);
}

} // namespace aacframes
