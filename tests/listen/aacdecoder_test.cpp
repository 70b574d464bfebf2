#include "listen/system/aacdecoder.h"
#include "tests/listen/aacfixtures.h"
#include "tests/listen/decodedfeed.h"
#include "tests/support/eventwait.h"
#include "tests/support/tools.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

constexpr qint64 kSamplesPerFrame = 1024; // AAC LC

using Decoded = DecodedFeed;

constexpr auto decode = FeedInPieces;

QByteArray noise(qsizetype size, quint32 seed)
{
    QByteArray bytes(size, '\0');
    QRandomGenerator random(seed);
    for (char& c : bytes)
        c = char(random.bounded(256));
    return bytes;
}

} // namespace

TEST(AacFeedDecoder, StreamsDecodeToTheirFramesAtTheirFormat)
{
    SKIP_WITHOUT_TOOL("ffmpeg");
    SKIP_WITHOUT_TOOL("ffprobe");
    TempFolder folder;
    const struct {
        const char* name;
        int rate, channels;
        double seconds;
        PcmFormat format;
    } cases[] = {
        {"44.1 kHz stereo", 44100, 2, 2.5, {44100, 2}},
        {"48 kHz mono", 48000, 1, 1.3, {48000, 1}},
        {"22.05 kHz stereo", 22050, 2, 1.0, {22050, 2}},
        {"5.1 mixed to stereo", 48000, 6, 1.0, {48000, 2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray adts = aacfixtures::MakeAdts(folder.path(), c.rate, c.channels, c.seconds);
        ASSERT_FALSE(adts.isEmpty()) << "ffmpeg could not make the stream";
        const int packets =
            mp3files::FfprobeFrameCount(folder.file(QStringLiteral("sine-%1-%2.aac").arg(c.rate).arg(c.channels)));
        ASSERT_GT(packets, 10) << "ffprobe could not count the frames";
        ASSERT_EQ(aacfixtures::FrameStarts(adts).size(), packets + 1);
        for (qsizetype chunk : {1, 333, 4096, 1 << 22}) {
            SCOPED_TRACE("chunk " + std::to_string(chunk));
            AacFeedDecoder decoder;
            ASSERT_TRUE(decoder.IsValid());
            const Decoded d = decode(decoder, adts, chunk);
            EXPECT_EQ(d.formats, QList<PcmFormat>{c.format});
            EXPECT_EQ(decoder.Packets(), packets);
            EXPECT_EQ(d.frames, packets * kSamplesPerFrame);
            EXPECT_EQ(decoder.FramesDecoded(), d.frames);
            EXPECT_TRUE(d.whole);
            EXPECT_EQ(decoder.Errors(), 0);
            EXPECT_EQ(decoder.Pending(), 0);
        }
    }
}

TEST(AacFeedDecoder, JoinedAnywhereOrDamagedItDecodesEveryWholeFrameAndCountsTheRest)
{
    SKIP_WITHOUT_TOOL("ffmpeg");
    TempFolder folder;
    const QByteArray adts = aacfixtures::MakeAdts(folder.path(), 44100, 2, 3);
    const QList<qsizetype> starts = aacfixtures::FrameStarts(adts);
    const int n = int(starts.size()) - 1;
    ASSERT_GT(n, 100) << "ffmpeg could not make the stream";
    // Inside frame 40, and at the start of frame 70.
    const qsizetype inside = starts[40] + 5, boundary = starts[70];
    // MPEG audio frames (layer III has no ADTS header's layer 0).
    QByteArray mp3;
    for (int i = 0; i < 40; ++i)
        mp3 += QByteArray::fromHex("fffb9064") + QByteArray(413, '\0');
    const struct {
        const char* name;
        QByteArray stream;
        qint64 packets; // frames decoded
        int errors;     // runs stepped over
    } cases[] = {
        {"joined inside a frame", adts.mid(inside), n - 41, 1},
        {"joined at a frame", adts.mid(boundary), n - 70, 0},
        {"noise before the stream", noise(3000, 7) + adts, n, 1},
        {"noise between two frames", adts.left(boundary) + noise(2000, 8) + adts.mid(boundary), n, 1},
        {"nothing but noise", noise(20000, 9), 0, 1},
        {"MP3 frames", mp3, 0, 1},
    };
    for (const auto& c : cases) {
        for (qsizetype chunk : {1, 1000, 1 << 22}) {
            SCOPED_TRACE(std::string(c.name) + ", chunk " + std::to_string(chunk));
            AacFeedDecoder decoder;
            const Decoded d = decode(decoder, c.stream, chunk);
            EXPECT_EQ(decoder.Packets(), c.packets);
            EXPECT_EQ(decoder.FramesDecoded(), c.packets * kSamplesPerFrame);
            EXPECT_EQ(decoder.Errors(), c.errors);
            const QList<PcmFormat> formats = c.packets > 0 ? QList<PcmFormat>{PcmFormat{44100, 2}} : QList<PcmFormat>();
            EXPECT_EQ(d.formats, formats);
            // What waits for more is at most a frame and the next header.
            EXPECT_LE(decoder.Pending(), 8191 + 7);
        }
    }
}

TEST(AacFeedDecoder, ResetStartsANewStream)
{
    SKIP_WITHOUT_TOOL("ffmpeg");
    TempFolder folder;
    const QByteArray adts = aacfixtures::MakeAdts(folder.path(), 44100, 2, 1);
    const qint64 n = aacfixtures::FrameStarts(adts).size() - 1;
    ASSERT_GT(n, 10);
    AacFeedDecoder decoder;
    const QByteArray damaged = noise(500, 3) + adts.left(adts.size() / 2 + 3);
    decoder.Feed(damaged.constData(), damaged.size(), nullptr);
    EXPECT_GT(decoder.FramesDecoded(), 0);
    EXPECT_EQ(decoder.Errors(), 1);
    EXPECT_GT(decoder.Pending(), 0) << "the half frame waits";
    decoder.Reset();
    EXPECT_EQ(decoder.FramesDecoded(), 0);
    EXPECT_EQ(decoder.Errors(), 0);
    EXPECT_EQ(decoder.Pending(), 0);
    decoder.Feed(adts.constData(), adts.size(), nullptr);
    EXPECT_EQ(decoder.FramesDecoded(), n * kSamplesPerFrame);
    EXPECT_EQ(decoder.Errors(), 0);
    decoder.Feed(nullptr, 0, nullptr); // an empty piece is harmless
}
