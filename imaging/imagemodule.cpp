// The picture part: covers are decoded, scaled and written again here, with
// Qt Gui's image readers, so that a recorder maps Qt Gui only once a station
// has sent it a picture.
#include "recorder/coverart.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>

namespace {

CoverResult refused(const QString& why)
{
    CoverResult r;
    r.error = why;
    return r;
}

QByteArray encode(const QImage& image, const char* format, int quality)
{
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (quality >= 0)
        writer.setQuality(quality);
    if (!writer.write(image))
        return QByteArray();
    return out;
}

// A JPEG has no transparency: what shows through is white.
QImage opaque(const QImage& image)
{
    if (!image.hasAlphaChannel())
        return image;
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    return flat;
}

CoverPicture picture(const QByteArray& data, const QByteArray& type, const QSize& size)
{
    CoverPicture p;
    p.data = data;
    p.mimeType = type;
    p.width = size.width();
    p.height = size.height();
    return p;
}

CoverResult prepare(const QByteArray& bytes, const QByteArray& type)
{
    // Every reader is held to the limit; the picture's own size is checked
    // first, so a huge image in a small file is never decoded.
    QImageReader::setAllocationLimit(int(cover::kMaxDecodedBytes / (1024 * 1024)));
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const QByteArray format = type == "image/jpeg" ? "jpeg" : type == "image/png" ? "png" : "webp";
    QImageReader reader(&buffer, format);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return refused(QStringLiteral("picture cannot be read"));
    if (qint64(size.width()) * size.height() * 4 > cover::kMaxDecodedBytes)
        return refused(QStringLiteral("picture too large to decode (%1x%2)").arg(size.width()).arg(size.height()));
    const bool fits = size.width() <= cover::kMaxCoverSide && size.height() <= cover::kMaxCoverSide;
    if (!fits) {
        // JPEG decodes straight to the smaller size.
        reader.setScaledSize(size.scaled(cover::kMaxCoverSide, cover::kMaxCoverSide, Qt::KeepAspectRatio));
    }
    QImage image = reader.read();
    if (image.isNull())
        return refused(QStringLiteral("picture cannot be read: %1").arg(reader.errorString()));
    if (fits && type != "image/webp" && bytes.size() <= cover::kMaxCoverBytes)
        return {picture(bytes, type, image.size()), QString()};
    if (image.width() > cover::kMaxCoverSide || image.height() > cover::kMaxCoverSide)
        image = image.scaled(cover::kMaxCoverSide, cover::kMaxCoverSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);

    if (type == "image/png" || (type == "image/webp" && image.hasAlphaChannel())) {
        const QByteArray png = encode(image, "png", -1);
        if (!png.isEmpty() && png.size() <= cover::kMaxCoverBytes)
            return {picture(png, "image/png", image.size()), QString()};
    }
    image = opaque(image);
    // Lower quality first, then fewer pixels; a handful of tries at most.
    for (int attempt = 0; attempt < 8; ++attempt) {
        const int quality = 90 - 10 * (attempt % 4);
        const QByteArray jpeg = encode(image, "jpeg", quality);
        if (jpeg.isEmpty())
            return refused(QStringLiteral("picture cannot be written as JPEG"));
        if (jpeg.size() <= cover::kMaxCoverBytes)
            return {picture(jpeg, "image/jpeg", image.size()), QString()};
        if (attempt % 4 == 3)
            image = image.scaled(image.size() * 3 / 4, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    return refused(QStringLiteral("picture does not fit in 500 KB"));
}

} // namespace

// `bytes` are a JPEG, PNG or WebP picture of the type `type`, checked by the caller.
extern "C" Q_DECL_EXPORT void tonquillPrepareCover(const QByteArray* bytes, const QByteArray* type, CoverResult* out)
{
    *out = prepare(*bytes, *type);
}

extern "C" Q_DECL_EXPORT void tonquillCoverAsJpeg(const CoverPicture* cover, CoverPicture* out)
{
    *out = CoverPicture();
    const QImage image = QImage::fromData(cover->data);
    if (image.isNull())
        return;
    const QByteArray jpeg = encode(opaque(image), "jpeg", 90);
    if (!jpeg.isEmpty())
        *out = picture(jpeg, "image/jpeg", image.size());
}
