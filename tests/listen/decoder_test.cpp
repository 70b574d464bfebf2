#include "listen/mp3decoder.h"
#include "tests/listen/mp3files.h"
#include "tests/support/eventwait.h"
#include "tests/support/tools.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

namespace {

constexpr qint64 kSamplesPerFrame = 1152;  // MPEG-1 Layer III

struct Decoded {
    qint64 pcmBytes = 0;
    int runs = 0;
    bool formatsAgree = true;
};

// Feeds `data` in pieces whose sizes come from `nextSize`.
Decoded feedInPieces(Mp3FeedDecoder& decoder, const QByteArray& data, const std::function<qsizetype()>& nextSize)
{
    Decoded d;
    qsizetype at = 0;
    while (at < data.size()) {
        const qsizetype n = qMin(nextSize(), data.size() - at);
        decoder.Feed(data.constData() + at, n, [&](const Mp3FeedDecoder::Format& f, const char*, qsizetype bytes) {
            d.pcmBytes += bytes;
            ++d.runs;
            d.formatsAgree = d.formatsAgree && f.sampleRate == 44100 && f.channels == 2 && bytes % 4 == 0;
        });
        at += n;
    }
    return d;
}

class DecoderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SKIP_WITHOUT_TOOL("sox");
        SKIP_WITHOUT_TOOL("lame");
        SKIP_WITHOUT_TOOL("ffprobe");
        mp3 = mp3files::MakeSine(folder.path(), 3);
        ASSERT_FALSE(mp3.isEmpty()) << "sox and lame could not make the MP3 fixture";
        frames = mp3files::FfprobeFrameCount(folder.file(QStringLiteral("sine.mp3")));
        ASSERT_GT(frames, 0) << "ffprobe could not count the fixture's frames";
    }
    TempFolder folder;
    QByteArray mp3;
    int frames = 0;
};

}  // namespace

TEST_F(DecoderTest, ChunkSizesDoNotChangeTheSampleCount)
{
    const qint64 expected = frames * kSamplesPerFrame;
    struct Case {
        const char* name;
        std::function<qsizetype()> size;
    };
    QRandomGenerator random(20240611);
    const Case cases[] = {
        {"whole file", [] { return qsizetype(1) << 30; }},
        {"one byte at a time", [] { return qsizetype(1); }},
        {"odd pieces of 417", [] { return qsizetype(417); }},
        {"random 1..5000", [&] { return static_cast<qsizetype>(random.bounded(1, 5001)); }},
        {"random 1..64", [&] { return static_cast<qsizetype>(random.bounded(1, 65)); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Mp3FeedDecoder decoder;
        ASSERT_TRUE(decoder.IsValid());
        const Decoded d = feedInPieces(decoder, mp3, c.size);
        EXPECT_TRUE(d.formatsAgree);
        EXPECT_EQ(decoder.CurrentFormat(), (Mp3FeedDecoder::Format{44100, 2}));
        EXPECT_EQ(decoder.FramesDecoded(), expected);
        EXPECT_EQ(d.pcmBytes, expected * 4);
    }
}

TEST_F(DecoderTest, AgreesWithTheMpg123Program)
{
    SKIP_WITHOUT_TOOL("mpg123");
    bool ok = false;
    mp3files::RunTool(QStringLiteral("mpg123"),
                      {QStringLiteral("-q"), QStringLiteral("--no-gapless"), QStringLiteral("-w"),
                       folder.file(QStringLiteral("ref.wav")), folder.file(QStringLiteral("sine.mp3"))},
                      ok);
    ASSERT_TRUE(ok);
    Mp3FeedDecoder decoder;
    QRandomGenerator random(7);
    const Decoded d = feedInPieces(decoder, mp3, [&] { return static_cast<qsizetype>(random.bounded(1, 3000)); });
    EXPECT_EQ(d.pcmBytes, mp3files::WavDataBytes(folder.file(QStringLiteral("ref.wav"))));
}

TEST_F(DecoderTest, StreamJoinedMidwayAndDamagedBytesStillDecode)
{
    // A listener joins at any byte, not at a frame; noise in between is
    // stepped over. Every whole frame after the join point must come out,
    // give or take the frames the damage touches.
    const qint64 all = frames * kSamplesPerFrame;
    struct Case {
        const char* name;
        QByteArray data;
        qint64 atLeast;
    };
    QByteArray noise(3000, '\0');
    QRandomGenerator random(99);
    for (char& c : noise)
        c = static_cast<char>(random.bounded(256));
    const qsizetype third = mp3.size() / 3;
    const Case cases[] = {
        {"joined at an odd byte", mp3.mid(third + 7), (frames * 2 / 3 - 3) * kSamplesPerFrame},
        {"noise before the stream", noise + mp3, all - 3 * kSamplesPerFrame},
        {"noise in the middle", mp3.left(third) + noise + mp3.mid(third), all - 4 * kSamplesPerFrame},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Mp3FeedDecoder decoder;
        feedInPieces(decoder, c.data, [] { return qsizetype(1000); });
        EXPECT_GE(decoder.FramesDecoded(), c.atLeast);
        // Noise may pass for a frame now and then, but never for many.
        EXPECT_LE(decoder.FramesDecoded(), all + 4 * kSamplesPerFrame);
        EXPECT_EQ(decoder.CurrentFormat(), (Mp3FeedDecoder::Format{44100, 2}));
    }
}

TEST_F(DecoderTest, ResetStartsANewStream)
{
    Mp3FeedDecoder decoder;
    decoder.Feed(mp3.constData(), mp3.size() / 2, nullptr);
    EXPECT_GT(decoder.FramesDecoded(), 0);
    decoder.Reset();
    EXPECT_EQ(decoder.FramesDecoded(), 0);
    EXPECT_EQ(decoder.CurrentFormat(), Mp3FeedDecoder::Format());
    decoder.Feed(mp3.constData(), mp3.size(), nullptr);
    EXPECT_EQ(decoder.FramesDecoded(), frames * kSamplesPerFrame);
}

TEST(Decoder, NothingButNoiseGivesNoFormatAndLittleSound)
{
    Mp3FeedDecoder decoder;
    QByteArray noise(20000, '\0');
    QRandomGenerator random(5);
    for (char& c : noise)
        c = static_cast<char>(random.bounded(256));
    qint64 bytes = 0;
    for (qsizetype at = 0; at < noise.size(); at += 333)
        decoder.Feed(noise.constData() + at, qMin<qsizetype>(333, noise.size() - at),
                     [&](const Mp3FeedDecoder::Format&, const char*, qsizetype n) { bytes += n; });
    EXPECT_LT(bytes, 4 * kSamplesPerFrame * 4);
    decoder.Feed(nullptr, 0, nullptr);  // an empty piece is harmless
}
