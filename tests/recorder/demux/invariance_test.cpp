#include "recordingsink.h"

#include <gtest/gtest.h>

#include <random>

namespace {

struct GeneratedStream {
    QByteArray bytes;
    QByteArray audio;
    QList<QByteArray> blocks;  // texts of the blocks with L above 0
};

// A whole connection: header, then `intervals` rounds of audio and a block
// (empty, a title, or a long one), and a tail of audio shorter than one
// interval.
GeneratedStream Generate(std::mt19937& rng, qint64 metaInt, int intervals)
{
    GeneratedStream s;
    s.bytes = "HTTP/1.0 200 OK\r\nicy-br:128\r\nicy-name:Generated\r\nicy-metaint:" + QByteArray::number(metaInt)
              + "\r\n\r\n";
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> kind(0, 3);
    auto audio = [&](qint64 n) {
        QByteArray a(n, '\0');
        for (qint64 i = 0; i < n; ++i)
            a[i] = char(byte(rng));
        s.audio += a;
        s.bytes += a;
    };
    for (int i = 0; i < intervals; ++i) {
        audio(metaInt);
        const int k = kind(rng);
        if (k == 0) {
            s.bytes += '\0';
            continue;
        }
        QByteArray text = "StreamTitle='Artist " + QByteArray::number(i) + " - Song \xc3\xa9';StreamUrl='';";
        if (k == 3)
            text += QByteArray(std::uniform_int_distribution<int>(100, 4000)(rng), char(byte(rng) | 1));
        const QByteArray block = MetaBlock(text.left(4080));
        s.blocks.append(block.mid(1));
        s.bytes += block;
    }
    audio(std::uniform_int_distribution<qint64>(0, metaInt - 1)(rng));
    return s;
}

RecordingSink FeedInChunks(const QByteArray& bytes, const std::function<qsizetype()>& nextSize)
{
    IcyDemuxer d;
    RecordingSink sink;
    d.Reset(true);
    qsizetype at = 0;
    while (at < bytes.size()) {
        const qsizetype n = std::min(nextSize(), bytes.size() - at);
        d.Feed(bytes.constData() + at, n, sink);
        at += n;
    }
    EXPECT_EQ(d.AudioBytes(), sink.AllAudio().size());
    return sink;
}

TEST(IcyDemuxerChunking, AnyChunkingGivesTheSameCalls)
{
    std::mt19937 rng(20240531);
    const qint64 metaInts[] = {1, 16, 255, 1000, 8192};
    for (qint64 metaInt : metaInts) {
        const int intervals = metaInt >= 1000 ? 12 : 40;
        const GeneratedStream s = Generate(rng, metaInt, intervals);

        const RecordingSink whole = FeedInChunks(s.bytes, [&] { return s.bytes.size(); });
        EXPECT_EQ(whole.AllAudio(), s.audio) << metaInt;
        EXPECT_EQ(whole.Blocks(), s.blocks) << metaInt;
        ASSERT_EQ(whole.headers.size(), 1);
        EXPECT_EQ(whole.headers[0].metaInt, metaInt);

        const RecordingSink bytewise = FeedInChunks(s.bytes, [] { return qsizetype(1); });
        EXPECT_EQ(bytewise.events, whole.events) << "one byte at a time, interval " << metaInt;

        for (int run = 0; run < 8; ++run) {
            std::uniform_int_distribution<qsizetype> size(1, qsizetype(metaInt * 4 + 4200));
            const RecordingSink random = FeedInChunks(s.bytes, [&] { return size(rng); });
            EXPECT_EQ(random.events, whole.events) << "random chunks, interval " << metaInt << " run " << run;
        }
        // Small chunks that keep landing on length bytes and block edges.
        std::uniform_int_distribution<qsizetype> small(1, 17);
        const RecordingSink tiny = FeedInChunks(s.bytes, [&] { return small(rng); });
        EXPECT_EQ(tiny.events, whole.events) << "small chunks, interval " << metaInt;
    }
}

TEST(IcyDemuxerChunking, EveryTwoWaySplitOfAShortStream)
{
    std::mt19937 rng(7);
    const GeneratedStream s = Generate(rng, 20, 6);
    const RecordingSink whole = FeedInChunks(s.bytes, [&] { return s.bytes.size(); });
    for (qsizetype cut = 1; cut < s.bytes.size(); ++cut) {
        IcyDemuxer d;
        RecordingSink sink;
        d.Reset(true);
        d.Feed(s.bytes.left(cut), sink);
        d.Feed(s.bytes.mid(cut), sink);
        ASSERT_EQ(sink.events, whole.events) << "cut at " << cut;
    }
}

} // namespace
