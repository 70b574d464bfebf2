#include "recorder/coverart.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>

QString CoverPicture::Extension() const
{
    return mimeType == "image/png" ? QStringLiteral(".png") : QStringLiteral(".jpg");
}

QByteArray PictureContentType(const QByteArray& contentType)
{
    const QByteArray type = contentType.split(';').front().trimmed().toLower();
    if (type == "image/jpeg" || type == "image/jpg" || type == "image/pjpeg")
        return QByteArrayLiteral("image/jpeg");
    if (type == "image/png" || type == "image/webp")
        return type;
    return QByteArray();
}

QByteArray PictureTypeOfBytes(const QByteArray& bytes)
{
    if (bytes.startsWith("\xFF\xD8\xFF"))
        return QByteArrayLiteral("image/jpeg");
    if (bytes.startsWith("\x89PNG\r\n\x1A\n"))
        return QByteArrayLiteral("image/png");
    if (bytes.size() >= 12 && bytes.startsWith("RIFF") && bytes.mid(8, 4) == "WEBP")
        return QByteArrayLiteral("image/webp");
    return QByteArray();
}

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

} // namespace

CoverPicture CoverAsJpeg(const CoverPicture& cover)
{
    if (cover.IsNull() || cover.mimeType == "image/jpeg")
        return cover;
    const QImage image = QImage::fromData(cover.data);
    if (image.isNull())
        return CoverPicture();
    const QByteArray jpeg = encode(opaque(image), "jpeg", 90);
    return jpeg.isEmpty() ? CoverPicture() : picture(jpeg, "image/jpeg", image.size());
}

QString CoverPathBeside(const QString& songPath)
{
    const QFileInfo song(songPath);
    const QString base = song.suffix().isEmpty() ? song.fileName() : song.completeBaseName();
    return song.dir().filePath(base + QStringLiteral(".jpg"));
}

CoverResult PrepareCover(const QByteArray& bytes, const QByteArray& contentType)
{
    if (bytes.isEmpty())
        return refused(QStringLiteral("no picture"));
    if (bytes.size() > cover::kMaxInputBytes)
        return refused(QStringLiteral("picture larger than 8 MB"));
    const QByteArray type = PictureTypeOfBytes(bytes);
    if (type.isEmpty())
        return refused(QStringLiteral("not a JPEG, PNG or WebP picture"));
    if (!contentType.isEmpty() && PictureContentType(contentType) != type)
        return refused(
            QStringLiteral("content type %1 does not match the picture").arg(QString::fromLatin1(contentType)));

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
