// A cover in an Ogg song's comments: the comment header's pages laid out
// again, every later page renumbered with a right checksum, the packets
// otherwise the same; bad files are refused and left alone.
#include "recorder/filecover.h"
#include "recorder/oggcover.h"
#include "recorder/oggdemuxer.h"
#include "tests/recorder/cover/pictures.h"
#include "tests/recorder/demux/oggpages.h"
#include "tests/support/eventwait.h"
#include "tests/support/tools.h"

#include <QProcess>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

CoverPicture jpegCover(int side = 40, const char* format = "jpeg")
{
    return PrepareCover(pictures::plain(side, side, format)).picture;
}

// What a reader sees of a file: its packets in order, or why the pages
// are not right (a checksum, a sequence number, a serial, a stray byte).
struct Read {
    QList<QByteArray> packets;
    QString fault;
    int pages = 0;
};

Read readPackets(const QByteArray& file)
{
    Read r;
    QByteArray packet;
    qsizetype at = 0;
    quint32 serial = 0;
    for (int guard = 0; at < file.size() && guard < 100000; ++guard) {
        if (file.size() - at < kOggPageHeaderBytes || file.mid(at, 4) != "OggS") {
            r.fault = QStringLiteral("stray bytes at %1").arg(at);
            return r;
        }
        const OggPageHeader h = ReadOggPageHeader(file.constData() + at);
        qsizetype size = kOggPageHeaderBytes + h.segments;
        for (int i = 0; i < h.segments && at + kOggPageHeaderBytes + i < file.size(); ++i)
            size += quint8(file[at + kOggPageHeaderBytes + i]);
        QByteArray page = file.mid(at, size);
        if (page.size() != size) {
            r.fault = QStringLiteral("a cut page");
            return r;
        }
        page.replace(22, 4, QByteArray(4, '\0'));
        if (OggCrc(page.constData(), page.size()) != h.crc)
            r.fault = QStringLiteral("checksum of page %1").arg(r.pages);
        if (r.pages == 0)
            serial = h.serial;
        if (h.serial != serial || h.sequence != quint32(r.pages))
            r.fault = QStringLiteral("page %1 numbered %2").arg(r.pages).arg(h.sequence);
        if (h.Continued() != !packet.isEmpty())
            r.fault = QStringLiteral("continuation flag of page %1").arg(r.pages);
        qsizetype body = kOggPageHeaderBytes + h.segments;
        for (int i = 0; i < h.segments; ++i) {
            const int lace = quint8(page[kOggPageHeaderBytes + i]);
            packet += page.mid(body, lace);
            body += lace;
            if (lace < 255)
                r.packets.append(std::exchange(packet, QByteArray()));
        }
        at += size;
        ++r.pages;
    }
    return r;
}

QByteArray opusHead()
{
    return QByteArray("OpusHead\x01\x02\x38\x01\x80\xbb\0\0\0\0\0", 19);
}

QByteArray opusSong(const QList<QByteArray>& fields, int audioPages)
{
    QByteArray s = PacketsPage(2, 9, 0, {opusHead()});
    s += PacketsPage(0, 9, 1, {QByteArray("OpusTags") + CommentBody(fields)});
    for (int i = 0; i < audioPages; ++i)
        s += PacketsPage(i + 1 == audioPages ? 4 : 0, 9, quint32(2 + i), {QByteArray(200, char('p' + i))},
                         960 * (i + 1));
    return s;
}

struct GoodCase {
    const char* what;
    QByteArray file;
    CoverPicture cover;
    int commentPacket;
};

TEST(AddOggCover, TheCoverJoinsTheCommentsAndEveryOtherPacketStays)
{
    const CoverPicture big = PrepareCover(pictures::noise(300, 300, "jpeg")).picture;
    ASSERT_GT(big.data.size(), 3 * 65025 / 4); // its base64 spans more than one page
    const GoodCase cases[] = {
        {"Vorbis", VorbisSong(5, {"ARTIST=A", "TITLE=T"}), jpegCover(), 1},
        {"Vorbis, a cover over several pages", VorbisSong(5, {"TITLE=T"}, 6), big, 1},
        {"Vorbis, a PNG cover", VorbisSong(5, {}), jpegCover(30, "png"), 1},
        {"Opus", opusSong({"ARTIST=A", "TITLE=T"}, 3), jpegCover(), 1},
        {"Opus, a cover over several pages", opusSong({}, 2), big, 1},
    };
    for (const GoodCase& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_FALSE(c.cover.IsNull());
        const Read before = readPackets(c.file);
        ASSERT_TRUE(before.fault.isEmpty()) << before.fault.toStdString();
        const OggCoverResult r = AddOggCover(c.file, c.cover);
        ASSERT_TRUE(r.ok()) << r.error.toStdString();
        EXPECT_FALSE(r.unchanged);
        const Read after = readPackets(r.file);
        EXPECT_TRUE(after.fault.isEmpty()) << after.fault.toStdString();
        ASSERT_EQ(after.packets.size(), before.packets.size());
        for (int i = 0; i < before.packets.size(); ++i) {
            if (i != c.commentPacket)
                EXPECT_EQ(after.packets[i], before.packets[i]) << "packet " << i;
        }
        const QByteArray comments = after.packets[c.commentPacket];
        const qsizetype prefix = comments.startsWith("OpusTags") ? 8 : 7;
        const CoverPicture read = OggCommentPicture(comments.constData() + prefix, comments.size() - prefix);
        EXPECT_EQ(read.data, c.cover.data);
        EXPECT_EQ(read.mimeType, c.cover.mimeType);
        EXPECT_EQ(read.width, c.cover.width);
        // The fields there were are kept before it, and a Vorbis comment keeps its framing bit.
        const QByteArray original = before.packets[c.commentPacket];
        EXPECT_TRUE(comments.startsWith(original.left(prefix + 4 + 4)));
        if (prefix == 7)
            EXPECT_EQ(comments.back(), '\x01');
        // Done twice, the file keeps its one picture.
        const OggCoverResult again = AddOggCover(r.file, jpegCover(20));
        EXPECT_TRUE(again.ok());
        EXPECT_TRUE(again.unchanged);
        EXPECT_EQ(again.file, r.file);
    }
}

struct BadCase {
    const char* what;
    QByteArray file;
    const char* error;
};

TEST(AddOggCover, FilesItCannotTagAreRefused)
{
    const QByteArray song = VorbisSong(5, {"TITLE=T"});
    QByteArray badCrc = song;
    badCrc[song.size() - 3] = char(badCrc[song.size() - 3] ^ 0x40);
    const QByteArray audioOnHeaderPage =
        PacketsPage(2, 5, 0, {VorbisIdent()}) + PacketsPage(0, 5, 1, {VorbisComment({}), VorbisSetup(), "audio"});
    const QByteArray flac = PacketsPage(2, 5, 0,
                                        {QByteArray("\x7f"
                                                    "FLAC\x01\x00\x00\x01fLaC",
                                                    13)}) +
                            PacketsPage(0, 5, 1, {QByteArray(40, 'm')});
    const QByteArray twoStreams = VorbisSong(5, {}, 1) + VorbisSong(6, {}, 1);
    const BadCase cases[] = {
        {"nothing", QByteArray(), "no Ogg pages"},
        {"not Ogg", QByteArray("ID3\x04\0\0\0\0\0\0", 10) + QByteArray(500, 'x'), "not whole Ogg pages"},
        {"a page cut short", song.left(song.size() - 10), "not whole Ogg pages"},
        {"bytes after the pages", song + "junk", "not whole Ogg pages"},
        {"a checksum wrong", badCrc, "fails its check"},
        {"audio on a header page", audioOnHeaderPage, "audio begins on a header page"},
        {"only the first header", PacketsPage(2, 5, 0, {VorbisIdent()}), "not complete"},
        {"another codec", PacketsPage(2, 5, 0, {QByteArray("\x80theora", 7)}) + PacketsPage(0, 5, 1, {"x"}),
         "not Vorbis or Opus"},
        {"two streams", twoStreams, "more than one Ogg stream"},
        {"comment lengths past the packet",
         PacketsPage(2, 5, 0, {VorbisIdent()}) +
             PacketsPage(0, 5, 1, {QByteArray("\x03vorbis\xff\xff\0\0", 11), VorbisSetup()}),
         "cannot be read"},
    };
    for (const BadCase& c : cases) {
        SCOPED_TRACE(c.what);
        const OggCoverResult r = AddOggCover(c.file, jpegCover());
        EXPECT_FALSE(r.ok());
        EXPECT_TRUE(r.error.contains(QLatin1String(c.error))) << r.error.toStdString();
        EXPECT_TRUE(r.file.isEmpty());
    }
    EXPECT_FALSE(AddOggCover(song, CoverPicture()).ok());
    // Ogg FLAC is left as it is, and that is no failure.
    const OggCoverResult flacResult = AddOggCover(flac, jpegCover());
    EXPECT_TRUE(flacResult.ok());
    EXPECT_TRUE(flacResult.unchanged);
    EXPECT_EQ(flacResult.file, flac);
}

TEST(FlacPictureBlock, ReadsBackAndRefusesLengthsPastTheEnd)
{
    const CoverPicture cover = jpegCover();
    const QByteArray block = FlacPictureBlock(cover);
    const CoverPicture read = ReadFlacPictureBlock(block);
    EXPECT_EQ(read.data, cover.data);
    EXPECT_EQ(read.mimeType, QByteArray("image/jpeg"));
    EXPECT_EQ(read.width, 40);
    EXPECT_EQ(read.height, 40);
    EXPECT_EQ(qFromBigEndian<quint32>(block.constData()), 3u); // a front cover
    const QByteArray cuts[] = {block.left(block.size() - 1), block.left(8), block.left(3), QByteArray()};
    for (const QByteArray& cut : cuts)
        EXPECT_TRUE(ReadFlacPictureBlock(cut).IsNull()) << cut.size();
}

// The files ffmpeg makes, with a cover added, decode without an error
// and show the picture.
TEST(WriteOggCover, FfmpegDecodesTheFileAndShowsThePicture)
{
    SKIP_WITHOUT_TOOL("ffmpeg");
    SKIP_WITHOUT_TOOL("ffprobe");
    TempFolder dir;
    const CoverPicture cover = PrepareCover(pictures::noise(200, 150, "jpeg")).picture;
    struct Codec {
        const char* name;
        const char* file;
    } const codecs[] = {{"libvorbis", "song.ogg"}, {"libopus", "song.opus"}};
    for (const Codec& codec : codecs) {
        SCOPED_TRACE(codec.name);
        const QString path = dir.file(QString::fromLatin1(codec.file));
        QProcess make;
        make.start(QStringLiteral("ffmpeg"),
                   {"-v", "error", "-f", "lavfi", "-i", "sine=frequency=440:duration=2", "-c:a",
                    QString::fromLatin1(codec.name), "-metadata", "TITLE=Tone", path});
        ASSERT_TRUE(make.waitForFinished(30000));
        if (make.exitCode() != 0)
            GTEST_SKIP() << "ffmpeg cannot encode with " << codec.name;
        const Read before = readPackets(ReadAll(path));
        EXPECT_TRUE(ReadFileCover(path).IsNull());
        QString error;
        ASSERT_TRUE(WriteOggCover(path, cover, &error)) << error.toStdString();
        EXPECT_EQ(ReadFileCover(path).data, cover.data); // as another program reads it
        const Read after = readPackets(ReadAll(path));
        EXPECT_TRUE(after.fault.isEmpty()) << after.fault.toStdString();
        EXPECT_EQ(after.packets.size(), before.packets.size());

        QProcess decode;
        decode.start(QStringLiteral("ffmpeg"), {"-v", "error", "-i", path, "-map", "0:a", "-f", "null", "-"});
        ASSERT_TRUE(decode.waitForFinished(30000));
        EXPECT_EQ(decode.exitCode(), 0);
        EXPECT_EQ(decode.readAllStandardError(), QByteArray());

        QProcess probe;
        probe.start(QStringLiteral("ffprobe"),
                    {"-v", "error", "-show_entries", "stream=codec_name,width,height:stream_disposition=attached_pic",
                     "-of", "compact", path});
        ASSERT_TRUE(probe.waitForFinished(30000));
        EXPECT_EQ(probe.exitCode(), 0);
        EXPECT_EQ(probe.readAllStandardError(), QByteArray());
        const QByteArray shown = probe.readAllStandardOutput();
        EXPECT_TRUE(shown.contains("codec_name=mjpeg|width=200|height=150|disposition:attached_pic=1"))
            << shown.toStdString();
    }
    QString error;
    EXPECT_FALSE(WriteOggCover(dir.file(QStringLiteral("missing.ogg")), cover, &error));
    EXPECT_FALSE(error.isEmpty());
}

} // namespace
