// Songs carry the cover their song has when they close: MP3 in an ID3v2.4
// front cover (written for it even with ID3v2 tags off), AAC as
// "<song>.jpg" beside it; the station's logo stands in for songs without one.
#include "recorder/coverart.h"
#include "recorder/filecover.h"
#include "recorder/recordingfiles.h"
#include "tests/support/songrig.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <gtest/gtest.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

namespace {

CoverPicture cover(QRgb rgb, const char* format = "jpeg")
{
    QImage image(32, 24, QImage::Format_RGB32);
    image.fill(rgb);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, format).write(image);
    return PrepareCover(bytes).picture;
}

struct Apic {
    int count = 0;
    QByteArray mime, data;
    int type = -1;
    bool id3v2 = false;
    QString title;
};

Apic readApic(const QString& path)
{
    Apic a;
    TagLib::MPEG::File file(QFile::encodeName(path).constData(), false);
    if (!file.hasID3v2Tag())
        return a;
    a.id3v2 = true;
    a.title = QString::fromStdString(file.ID3v2Tag()->title().to8Bit(true));
    const auto& frames = file.ID3v2Tag()->frameListMap()["APIC"];
    a.count = int(frames.size());
    if (frames.isEmpty())
        return a;
    const auto* frame = dynamic_cast<TagLib::ID3v2::AttachedPictureFrame*>(frames.front());
    a.mime = QByteArray::fromStdString(frame->mimeType().to8Bit());
    a.data = QByteArray(frame->picture().data(), int(frame->picture().size()));
    a.type = int(frame->type());
    return a;
}

enum Cover { None, Red, Green, Logo };

struct SongCase {
    const char* what;
    const char* contentType;
    bool coverArt, writeID3v2, logo;
    Cover first, second; // offered for "Artist - Song" and "Other - One"
    Cover wantFirst, wantSecond;
};

CoverPicture pictureOf(Cover c)
{
    switch (c) {
    case Red:
        return cover(0xffcc2020);
    case Green:
        return cover(0xff20cc20, "png");
    case Logo:
        return cover(0xff2020cc);
    default:
        return CoverPicture();
    }
}

TEST(CoverInFiles, EachSongCarriesItsOwnCover)
{
    const SongCase cases[] = {
        {"MP3, ID3v2 off", "audio/mpeg", true, false, false, Red, Green, Red, Green},
        {"MP3, ID3v2 on", "audio/mpeg", true, true, false, Red, None, Red, None},
        {"MP3, the logo for a song without a cover", "audio/mpeg", true, false, true, None, Green, Logo, Green},
        {"MP3, covers off", "audio/mpeg", false, false, true, Red, Green, None, None},
        {"AAC", "audio/aacp", true, false, false, Red, Green, Red, Green},
        {"AAC, the logo", "audio/aacp", true, false, true, None, None, Logo, Logo},
        {"AAC, covers off", "audio/aacp", false, false, true, Red, Green, None, None},
    };
    for (const SongCase& c : cases) {
        SCOPED_TRACE(c.what);
        IcyRig rig;
        rig.options.coverArt = c.coverArt;
        rig.options.writeID3v2 = c.writeID3v2;
        ASSERT_TRUE(rig.Start());
        const bool aac = QByteArray(c.contentType) == "audio/aacp";
        const QString ext = aac ? QStringLiteral(".aac") : QStringLiteral(".mp3");
        SongWriter& writer = rig.Writer();
        rig.Begin();
        QByteArray frame(417, '\0');
        frame[0] = '\xFF';
        frame[1] = '\xFB';
        frame[2] = '\x90';
        rig.Feed("ICY 200 OK\r\nicy-name:Cover FM\r\ncontent-type: " + QByteArray(c.contentType) +
                 "\r\nicy-metaint:417\r\n\r\n" + frame);
        // The station's extension is known once its stream began.
        const QString first = writer.SongNameFor(QStringLiteral("Artist - Song"));
        const QString second = writer.SongNameFor(QStringLiteral("Other - One"));
        EXPECT_EQ(first, QStringLiteral("Artist - Song") + ext);
        if (c.logo)
            writer.Covers().SetStationLogo(pictureOf(Logo));
        writer.Covers().Offer(first, CoverSource::StreamUrl, pictureOf(c.first));
        writer.Covers().Offer(second, CoverSource::StreamUrl, pictureOf(c.second));
        rig.Feed(songrig::titleBlock("Artist - Song") + frame + songrig::titleBlock("Other - One") + frame +
                 songrig::titleBlock("Last - Song") + frame);
        rig.Stop();
        const struct {
            QString file;
            Cover want;
        } files[] = {{first, c.wantFirst}, {second, c.wantSecond}};
        for (const auto& f : files) {
            SCOPED_TRACE(f.file.toStdString());
            const QString path = rig.folder.file(f.file);
            ASSERT_TRUE(QFile::exists(path));
            const CoverPicture want = pictureOf(f.want);
            // The library reads back what was written, inside the file or beside it.
            const CoverPicture read = ReadFileCover(path);
            EXPECT_EQ(read.IsNull(), want.IsNull());
            EXPECT_EQ(PictureTypeOfBytes(read.data), read.mimeType);
            if (aac) {
                const QString beside = CoverPathBeside(path);
                EXPECT_EQ(QFile::exists(beside), !want.IsNull());
                if (!want.IsNull()) {
                    EXPECT_EQ(PictureTypeOfBytes(ReadAll(beside)), QByteArray("image/jpeg"));
                    EXPECT_EQ(QImage::fromData(ReadAll(beside)).size(), QSize(want.width, want.height));
                    EXPECT_EQ(QImage::fromData(ReadAll(beside)).pixelColor(5, 5).rgb() & 0xf0f0f0,
                              QImage::fromData(want.data).pixelColor(5, 5).rgb() & 0xf0f0f0);
                }
                EXPECT_TRUE(rig.Bytes(f.file).startsWith(frame)); // the song itself has no tag in front
                continue;
            }
            const Apic apic = readApic(path);
            EXPECT_EQ(apic.id3v2, c.writeID3v2 || !want.IsNull());
            EXPECT_EQ(apic.count, want.IsNull() ? 0 : 1);
            if (!want.IsNull()) {
                EXPECT_EQ(apic.data, want.data);
                EXPECT_EQ(read.data, want.data);
                EXPECT_EQ(apic.mime, want.mimeType);
                EXPECT_EQ(apic.type, int(TagLib::ID3v2::AttachedPictureFrame::FrontCover));
                EXPECT_EQ(apic.title, f.file.section(QStringLiteral(" - "), 1).chopped(4)); // the text frames too
            }
            // The audio follows the tag untouched, and the ID3v1 tag ends the file.
            const QByteArray bytes = ReadAll(path);
            EXPECT_TRUE(bytes.left(bytes.size() - 128).endsWith(frame));
            EXPECT_EQ(bytes.right(128).left(3), QByteArray("TAG"));
        }
    }
}

TEST(CoverInFiles, AnAacSongTheRulesDeleteLeavesNoPicture)
{
    IcyRig rig;
    rig.options.minSongSeconds = 30;
    ASSERT_TRUE(rig.Start());
    rig.Writer().Covers().SetStationLogo(pictureOf(Logo));
    rig.Begin();
    rig.Feed("ICY 200 OK\r\nicy-name:AAC FM\r\ncontent-type: audio/aacp\r\nicy-br:128\r\nicy-metaint:4\r\n\r\naaaa" +
             songrig::titleBlock("Artist - Song") + "bbbb" + songrig::titleBlock("Other - One") + "cccc");
    rig.Stop();
    for (const QString& name : rig.Files())
        EXPECT_FALSE(name.startsWith(QLatin1String("Artist - Song"))) << name.toStdString();
}

} // namespace
