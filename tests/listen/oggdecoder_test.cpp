#include "listen/system/oggdecoder.h"
#include "tests/listen/oggfixtures.h"
#include "tests/listen/decodedfeed.h"
#include "tests/support/eventwait.h"
#include "tests/support/tools.h"

#include <gtest/gtest.h>

using oggfixtures::Codec;

namespace {

using Decoded = DecodedFeed;

constexpr auto decode = FeedInPieces;

} // namespace

TEST(OggFeedDecoder, VorbisAndOpusSongsDecodeToTheirLength)
{
    SKIP_WITHOUT_TOOL("ffmpeg");
    TempFolder folder;
    // Lengths that end inside a page and inside a packet.
    const QByteArray vorbis = oggfixtures::MakeSong(folder.path(), Codec::Vorbis, 44100, 2, 57331, 100);
    const QByteArray opus = oggfixtures::MakeSong(folder.path(), Codec::Opus, 48000, 1, 36967, 200);
    const QByteArray vorbisMono = oggfixtures::MakeSong(folder.path(), Codec::Vorbis, 22050, 1, 5000, 300);
    const QByteArray flac = oggfixtures::MakeSong(folder.path(), Codec::Flac, 32000, 2, 9000, 400);
    ASSERT_FALSE(vorbis.isEmpty() || opus.isEmpty() || vorbisMono.isEmpty() || flac.isEmpty())
        << "ffmpeg could not make the songs";
    const PcmFormat stereo44{44100, 2}, mono48{48000, 1}, mono22{22050, 1}, stereo32{32000, 2};
    struct Case {
        const char* name;
        QByteArray stream;
        QList<PcmFormat> formats;
        qint64 frames;
        int songs;
        int errors = 0;
    };
    // Pages whose header packets FFmpeg's Vorbis decoder refuses.
    const QByteArray broken = oggfixtures::Song(Codec::Vorbis, 9, 3).join();
    const Case cases[] = {
        {"Vorbis", vorbis, {stereo44}, 57331, 1},
        {"Opus", opus, {mono48}, 36967, 1},
        {"FLAC", flac, {stereo32}, 9000, 1},
        {"a chain of four",
         vorbis + opus + vorbisMono + flac,
         {stereo44, mono48, mono22, stereo32},
         57331 + 36967 + 5000 + 9000,
         4},
        {"noise before the first page", QByteArray(5000, 'x') + opus, {mono48}, 36967, 1},
        {"a song that cannot be decoded, then one that can", broken + opus, {mono48}, 36967, 1, 1},
    };
    for (const Case& c : cases) {
        for (qsizetype chunk : {1, 333, 4096, 1 << 20}) {
            SCOPED_TRACE(std::string(c.name) + ", chunk " + std::to_string(chunk));
            OggFeedDecoder decoder;
            const Decoded d = decode(decoder, c.stream, chunk);
            EXPECT_EQ(d.formats, c.formats);
            EXPECT_EQ(d.frames, c.frames);
            EXPECT_EQ(decoder.FramesDecoded(), c.frames);
            EXPECT_TRUE(d.whole);
            EXPECT_EQ(decoder.Songs(), c.songs);
            EXPECT_EQ(decoder.Errors(), c.errors);
        }
    }
}

TEST(OggFeedDecoder, AStreamJoinedInASongDecodesFromTheHeaderPagesOn)
{
    SKIP_WITHOUT_TOOL("ffmpeg");
    TempFolder folder;
    for (Codec codec : {Codec::Vorbis, Codec::Opus}) {
        SCOPED_TRACE(codec == Codec::Opus ? "Opus" : "Vorbis");
        const QList<QByteArray> pages =
            oggfixtures::PagesOf(oggfixtures::MakeSong(folder.path(), codec, 48000, 2, 48000 * 6, 7));
        ASSERT_GE(pages.size(), 6) << "ffmpeg could not make the song";
        auto granule = [&](int i) {
            oggpages::Page p;
            oggpages::ReadPage(pages[i].constData(), pages[i].size(), p);
            return p.granule;
        };
        qint64 longestPage = 0;
        for (int i = 3; i < pages.size(); ++i)
            longestPage = qMax(longestPage, granule(i) - granule(i - 1));
        // The header pages, then the song from its fourth page; the lead-in
        // an Opus decoder drops is counted in granule positions too.
        const QByteArray joined = pages[0] + pages[1] + pages.mid(4).join();
        const qint64 expected = granule(pages.size() - 1) - granule(3);
        OggFeedDecoder decoder;
        const Decoded d = decode(decoder, joined, 1000);
        EXPECT_EQ(d.formats, (QList<PcmFormat>{PcmFormat{48000, 2}}));
        EXPECT_LE(d.frames, expected);
        EXPECT_GE(d.frames, expected - longestPage);
        EXPECT_EQ(decoder.Songs(), 1);
    }
}
