// A cover is taken only from a JPEG, PNG or WebP picture whose type and
// first bytes agree, of at most 8 MB and a size that can be decoded; it is
// kept as JPEG or PNG within 1000x1000 and 500 KB.
#include "recorder/coverart.h"
#include "tests/recorder/cover/pictures.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

struct TypeCase {
    const char* contentType;
    const char* named; // what PictureContentType gives
};

TEST(PictureContentType, OnlyTheThreePictureTypesAreNamed)
{
    const TypeCase cases[] = {
        {"image/jpeg", "image/jpeg"},
        {"IMAGE/JPEG", "image/jpeg"},
        {"image/jpg", "image/jpeg"},
        {" image/png ; charset=binary", "image/png"},
        {"image/webp", "image/webp"},
        {"image/gif", ""},
        {"image/svg+xml", ""},
        {"text/html; charset=utf-8", ""},
        {"application/octet-stream", ""},
        {"", ""},
        {"image/jpegx", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PictureContentType(c.contentType), QByteArray(c.named)) << c.contentType;
}

struct BytesCase {
    QByteArray bytes;
    const char* type;
};

TEST(PictureTypeOfBytes, TheFirstBytesNameTheType)
{
    const BytesCase cases[] = {
        {QByteArray("\xFF\xD8\xFF\xE0", 4), "image/jpeg"},
        {QByteArray("\xFF\xD8\xFE", 3), ""},
        {QByteArray("\x89PNG\r\n\x1A\n", 8), "image/png"},
        {QByteArray("\x89PNG\r\n\x1A", 7), ""},
        {QByteArray("RIFF\x10\0\0\0WEBPVP8 ", 16), "image/webp"},
        {QByteArray("RIFF\x10\0\0\0WAVEfmt ", 16), ""},
        {QByteArray("RIFF\x10\0\0\0WEB", 11), ""},
        {QByteArray("GIF89a"), ""},
        {QByteArray("<!DOCTYPE html><html>"), ""},
        {QByteArray(), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PictureTypeOfBytes(c.bytes), QByteArray(c.type)) << c.bytes.toHex().toStdString();
}

struct CoverCase {
    const char* what;
    QByteArray bytes;
    QByteArray contentType;
    const char* error; // a part of the error; nullptr when it is taken
    const char* type;  // the cover's type when taken
    int width, height; // the cover's size when taken
    bool sameBytes;    // taken byte for byte
};

std::vector<CoverCase> coverCases()
{
    const QByteArray jpeg = pictures::plain(120, 90, "jpeg");
    const QByteArray png = pictures::plain(64, 64, "png");
    QByteArray huge = jpeg;
    huge.append(QByteArray(cover::kMaxInputBytes - jpeg.size() + 1, '\0'));
    QByteArray justUnder = jpeg;
    justUnder.append(QByteArray(cover::kMaxInputBytes - jpeg.size(), '\0'));
    QImage opaque(80, 60, QImage::Format_RGB32);
    opaque.fill(0xff3366cc);
    const QByteArray webp = pictures::encoded(opaque, "webp");
    return {
        {"small JPEG", jpeg, "image/jpeg", nullptr, "image/jpeg", 120, 90, true},
        {"small JPEG, no type given", jpeg, "", nullptr, "image/jpeg", 120, 90, true},
        {"small JPEG, type with parameters", jpeg, "Image/JPEG; q=1", nullptr, "image/jpeg", 120, 90, true},
        {"small PNG", png, "image/png", nullptr, "image/png", 64, 64, true},
        {"1000x1000 PNG stays", pictures::plain(1000, 1000, "png"), "image/png", nullptr, "image/png", 1000, 1000,
         true},
        {"wide PNG scaled down", pictures::plain(2400, 1200, "png"), "image/png", nullptr, "image/png", 1000, 500,
         false},
        {"tall JPEG scaled down", pictures::plain(900, 3000, "jpeg"), "image/jpeg", nullptr, "image/jpeg", 300, 1000,
         false},
        {"noisy PNG made a JPEG", pictures::noise(800, 800, "png"), "image/png", nullptr, "image/jpeg", -1, -1, false},
        // WebP is kept as JPEG (players read few WebP covers); with an alpha channel as PNG
        {"WebP made a JPEG", webp, "image/webp", nullptr, "image/jpeg", 80, 60, false},
        {"noisy JPEG over 500 KB", pictures::noise(1000, 1000, "jpeg"), "image/jpeg", nullptr, "image/jpeg", -1, -1,
         false},
        // 8 MB exactly is let through to the reader (it reads the picture and ignores the padding)
        {"8 MB exactly", justUnder, "image/jpeg", nullptr, "image/jpeg", 120, 90, false},
        {"over 8 MB", huge, "image/jpeg", "larger than 8 MB", nullptr, 0, 0, false},
        {"JPEG sent as PNG", jpeg, "image/png", "does not match", nullptr, 0, 0, false},
        {"JPEG sent as a web page", jpeg, "text/html", "does not match", nullptr, 0, 0, false},
        {"web page sent as a JPEG", "<html><body>cover</body></html>", "image/jpeg", "not a JPEG", nullptr, 0, 0,
         false},
        {"GIF", QByteArray("GIF89a\x01\0\x01\0\x80\0\0", 13), "image/gif", "not a JPEG", nullptr, 0, 0, false},
        {"nothing", QByteArray(), "image/jpeg", "no picture", nullptr, 0, 0, false},
        {"PNG claiming 60000x60000", pictures::pngClaiming(60000, 60000), "image/png", "too large to decode", nullptr,
         0, 0, false},
        {"PNG claiming 4000x4000 (under the limit) but holding 4x4", pictures::pngClaiming(4000, 4000), "image/png",
         "cannot be read", nullptr, 0, 0, false},
        {"JPEG cut after its first bytes", jpeg.left(24), "image/jpeg", "cannot be read", nullptr, 0, 0, false},
        {"WebP that is only a header", QByteArray("RIFF\x20\0\0\0WEBPVP8 \x10\0\0\0garbagegarbage!!", 32), "image/webp",
         "cannot be read", nullptr, 0, 0, false},
    };
}

TEST(PrepareCover, GoodAndHostilePictures)
{
    for (const CoverCase& c : coverCases()) {
        SCOPED_TRACE(c.what);
        const CoverResult r = PrepareCover(c.bytes, c.contentType);
        if (c.error) {
            EXPECT_FALSE(r.ok());
            EXPECT_TRUE(r.picture.data.isEmpty());
            EXPECT_TRUE(r.error.contains(QLatin1String(c.error))) << r.error.toStdString();
            continue;
        }
        ASSERT_TRUE(r.ok()) << r.error.toStdString();
        EXPECT_TRUE(r.error.isEmpty());
        EXPECT_EQ(r.picture.mimeType, QByteArray(c.type));
        EXPECT_EQ(PictureTypeOfBytes(r.picture.data), QByteArray(c.type));
        EXPECT_LE(r.picture.data.size(), cover::kMaxCoverBytes);
        const QImage decoded = QImage::fromData(r.picture.data);
        ASSERT_FALSE(decoded.isNull());
        EXPECT_EQ(decoded.width(), r.picture.width);
        EXPECT_EQ(decoded.height(), r.picture.height);
        EXPECT_LE(decoded.width(), cover::kMaxCoverSide);
        EXPECT_LE(decoded.height(), cover::kMaxCoverSide);
        if (c.width > 0) {
            EXPECT_EQ(decoded.width(), c.width);
            EXPECT_EQ(decoded.height(), c.height);
        }
        if (c.sameBytes)
            EXPECT_EQ(r.picture.data, c.bytes);
        else
            EXPECT_NE(r.picture.data, c.bytes);
    }
}

TEST(PrepareCover, ThePictureKeepsItsColours)
{
    const CoverResult r = PrepareCover(pictures::plain(3000, 2000, "png", 0xff20c040), "image/png");
    ASSERT_TRUE(r.ok()) << r.error.toStdString();
    const QImage decoded = QImage::fromData(r.picture.data);
    const QRgb middle = decoded.pixel(decoded.width() / 2, decoded.height() / 2);
    EXPECT_NEAR(qRed(middle), 0x20, 2);
    EXPECT_NEAR(qGreen(middle), 0xc0, 2);
    EXPECT_NEAR(qBlue(middle), 0x40, 2);
    EXPECT_EQ(r.picture.Extension(), QStringLiteral(".png"));
}

} // namespace
