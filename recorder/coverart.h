#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>

// A song's cover, as it goes into a file: JPEG or PNG bytes, at most
// kMaxCoverSide pixels on either side and kMaxCoverBytes long.
struct CoverPicture {
    QByteArray data;
    QByteArray mimeType; // "image/jpeg" or "image/png"
    int width = 0, height = 0;
    bool IsNull() const { return data.isEmpty(); }
    // The file-name extension of its type: ".jpg" or ".png".
    QString Extension() const;
};

Q_DECLARE_METATYPE(CoverPicture)

namespace cover {
// A picture as it is offered (a server's answer, a tag's frame) is at most this long.
constexpr qsizetype kMaxInputBytes = 8 * 1024 * 1024;
// A picture is read only when its pixels take at most this much memory
// (4 bytes a pixel): a small file that claims a huge image is refused.
constexpr qint64 kMaxDecodedBytes = 128LL * 1024 * 1024;
constexpr int kMaxCoverSide = 1000;
constexpr qsizetype kMaxCoverBytes = 500 * 1024;
} // namespace cover

// The picture type a content type names: "image/jpeg" (also "image/jpg"),
// "image/png" or "image/webp", in any letter case and with any parameters;
// "" for every other type.
QByteArray PictureContentType(const QByteArray& contentType);
// The picture type the first bytes show: "image/jpeg" (FF D8 FF), "image/png"
// (its 8-byte signature) or "image/webp" ("RIFF" size "WEBP"); "" otherwise.
QByteArray PictureTypeOfBytes(const QByteArray& bytes);

// What became of a picture offered as a cover.
struct CoverResult {
    CoverPicture picture; // null when refused
    QString error;        // why it was refused, in English for logs and tests; "" when taken
    bool ok() const { return !picture.IsNull(); }
};

// Takes `bytes` as a cover when they are a JPEG, PNG or WebP picture of at
// most kMaxInputBytes whose first bytes agree with `contentType` ("" when
// no type was given, as in a tag without one); the picture is read under
// the decoding limit and scaled down to fit kMaxCoverSide and
// kMaxCoverBytes, as JPEG (or PNG when it is PNG and fits as it is). A
// picture that already fits is kept byte for byte.
CoverResult PrepareCover(const QByteArray& bytes, const QByteArray& contentType = QByteArray());
// The cover as JPEG (a PNG made one, what shows through white); null when it cannot be.
CoverPicture CoverAsJpeg(const CoverPicture& cover);
// The picture beside a song that has no tag of its own: "<song>.jpg".
QString CoverPathBeside(const QString& songPath);
