#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <QRandomGenerator>

// Pictures made for the tests: plain or noisy images in a given format, and
// a PNG whose header claims a size it does not hold.
namespace pictures {

inline QByteArray encoded(const QImage& image, const char* format, int quality = -1)
{
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    writer.write(image);
    return out;
}

// A picture of one colour, `rgb`.
inline QByteArray plain(int width, int height, const char* format, QRgb rgb = 0xff3366cc)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(rgb);
    return encoded(image, format, qstrcmp(format, "jpeg") == 0 ? 95 : -1);
}

// Random pixels: a picture that does not compress.
inline QByteArray noise(int width, int height, const char* format, quint32 seed = 7)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = 0xff000000 | random.generate();
    }
    return encoded(image, format, qstrcmp(format, "jpeg") == 0 ? 100 : -1);
}

inline quint32 crc32(const QByteArray& data)
{
    quint32 crc = 0xffffffff;
    for (const char c : data) {
        crc ^= quint8(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320 & (0u - (crc & 1)));
    }
    return ~crc;
}

// A small PNG whose IHDR says `width` x `height` (its CRC right): a
// decompression bomb as far as a reader trusting the header can tell.
inline QByteArray pngClaiming(quint32 width, quint32 height)
{
    QByteArray png = plain(4, 4, "png");
    // Signature (8), length (4), "IHDR" (4), then width and height.
    for (int i = 0; i < 4; ++i) {
        png[16 + i] = char(width >> (24 - 8 * i));
        png[20 + i] = char(height >> (24 - 8 * i));
    }
    const quint32 crc = crc32(png.mid(12, 17));
    for (int i = 0; i < 4; ++i)
        png[29 + i] = char(crc >> (24 - 8 * i));
    return png;
}

} // namespace pictures
