#include "recorder/coverart.h"

#include "platform/modules.h"

#include <QDir>
#include <QFileInfo>

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

// The decoding lives in the picture part, loaded the first time a picture
// needs it; without the part every picture is refused, with the reason.
template <typename Function> Function imageFunction(const char* symbol, QString& problem)
{
    return reinterpret_cast<Function>(ModuleFunction(QStringLiteral("tonquill-image"), symbol, problem));
}

} // namespace

CoverPicture CoverAsJpeg(const CoverPicture& cover)
{
    if (cover.IsNull() || cover.mimeType == "image/jpeg")
        return cover;
    using AsJpeg = void (*)(const CoverPicture*, CoverPicture*);
    QString problem;
    const auto asJpeg = imageFunction<AsJpeg>("tonquillCoverAsJpeg", problem);
    CoverPicture jpeg;
    if (asJpeg)
        asJpeg(&cover, &jpeg);
    return jpeg;
}

QString CoverPathBeside(const QString& songPath)
{
    const QFileInfo song(songPath);
    const QString base = song.suffix().isEmpty() ? song.fileName() : song.completeBaseName();
    return song.dir().filePath(base + QStringLiteral(".jpg"));
}

CoverResult PrepareCover(const QByteArray& bytes, const QByteArray& contentType)
{
    CoverResult result;
    const QByteArray type = PictureTypeOfBytes(bytes);
    if (bytes.isEmpty())
        result.error = QStringLiteral("no picture");
    else if (bytes.size() > cover::kMaxInputBytes)
        result.error = QStringLiteral("picture larger than 8 MB");
    else if (type.isEmpty())
        result.error = QStringLiteral("not a JPEG, PNG or WebP picture");
    else if (!contentType.isEmpty() && PictureContentType(contentType) != type)
        result.error =
            QStringLiteral("content type %1 does not match the picture").arg(QString::fromLatin1(contentType));
    if (!result.error.isEmpty())
        return result;
    using Prepare = void (*)(const QByteArray*, const QByteArray*, CoverResult*);
    QString problem;
    const auto prepare = imageFunction<Prepare>("tonquillPrepareCover", problem);
    if (prepare)
        prepare(&bytes, &type, &result);
    else
        result.error = QStringLiteral("pictures cannot be read here: %1").arg(problem);
    return result;
}
