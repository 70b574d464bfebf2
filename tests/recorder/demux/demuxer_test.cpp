#include "recordingsink.h"

#include <gtest/gtest.h>

namespace {

const QByteArray kHeader8192 = "ICY 200 OK\r\nicy-name:Test\r\nicy-metaint:8192\r\nicy-br:128\r\n\r\n";

QByteArray Header(qint64 metaInt)
{
    return "ICY 200 OK\r\nicy-name:Test\r\nicy-metaint:" + QByteArray::number(metaInt) + "\r\n\r\n";
}

TEST(IcyDemuxer, HeaderInManyChunksThenBody)
{
    const QByteArray header = Header(16);
    const QByteArray body = Audio(16) + MetaBlock("StreamTitle='T';") + Audio(5, 3);
    for (qsizetype cut1 = 1; cut1 < header.size(); cut1 += 3) {
        IcyDemuxer d;
        RecordingSink sink;
        d.Reset(true);
        d.Feed(header.left(cut1), sink);
        EXPECT_TRUE(d.HeaderPending());
        EXPECT_EQ(d.PendingHeader(), header.left(cut1));
        EXPECT_TRUE(sink.events.isEmpty());
        d.Feed(header.mid(cut1) + body, sink);
        EXPECT_FALSE(d.HeaderPending());
        ASSERT_EQ(sink.headers.size(), 1);
        EXPECT_TRUE(sink.headers[0].complete);
        EXPECT_EQ(sink.headers[0].raw, header);
        EXPECT_EQ(sink.bodyStarts[0], body);
        EXPECT_EQ(d.MetaInterval(), 16);
        EXPECT_EQ(sink.AllAudio(), Audio(16) + Audio(5, 3));
        ASSERT_EQ(sink.Blocks().size(), 1);
    }
}

TEST(IcyDemuxer, BlankLineSplitAtEveryPlace)
{
    // The CR LF CR LF may straddle chunks at any of its bytes.
    const QByteArray header = Header(32);
    for (int back = 1; back <= 4; ++back) {
        IcyDemuxer d;
        RecordingSink sink;
        d.Reset(true);
        d.Feed(header.left(header.size() - back), sink);
        EXPECT_TRUE(d.HeaderPending()) << back;
        d.Feed(header.right(back) + Audio(10), sink);
        ASSERT_EQ(sink.headers.size(), 1) << back;
        EXPECT_EQ(sink.headers[0].raw, header);
        EXPECT_EQ(sink.AllAudio(), Audio(10));
    }
}

TEST(IcyDemuxer, LengthByteFoundAfterIntervalInBigChunk)
{
    // Interval 8192, a 10000-byte chunk: byte 8193 (1-based) is the length
    // byte, everything else is audio.
    IcyDemuxer d;
    RecordingSink sink;
    d.Reset(true);
    d.Feed(kHeader8192, sink);
    QByteArray chunk = Audio(10000);
    chunk[8192] = 0;
    d.Feed(chunk, sink);
    EXPECT_EQ(sink.AllAudio(), chunk.left(8192) + chunk.mid(8193));
    EXPECT_TRUE(sink.Blocks().isEmpty());
    EXPECT_EQ(d.AudioBytes(), 9999);
    EXPECT_EQ(d.MetadataBytes(), 1);

    // With a title in the block the audio keeps its place on both sides.
    IcyDemuxer d2;
    RecordingSink sink2;
    d2.Reset(true);
    const QByteArray block = MetaBlock("StreamTitle='Next - Song';");
    d2.Feed(kHeader8192 + Audio(8192) + block + Audio(1808, 5), sink2);
    ASSERT_EQ(sink2.events.size(), 4);
    EXPECT_EQ(sink2.events[1], (RecordingSink::Event{RecordingSink::Audio, Audio(8192)}));
    EXPECT_EQ(sink2.events[2], (RecordingSink::Event{RecordingSink::Metadata, block.mid(1)}));
    EXPECT_EQ(sink2.events[3], (RecordingSink::Event{RecordingSink::Audio, Audio(1808, 5)}));
}

TEST(IcyDemuxer, ZeroLengthBlockJoinsTheAudio)
{
    IcyDemuxer d;
    RecordingSink sink;
    d.Reset(true);
    d.Feed(Header(100) + Audio(100) + QByteArray(1, '\0') + Audio(100, 1) + QByteArray(1, '\0') + Audio(30, 2), sink);
    ASSERT_EQ(sink.events.size(), 2);
    EXPECT_EQ(sink.events[1].bytes, Audio(100) + Audio(100, 1) + Audio(30, 2));
}

TEST(IcyDemuxer, BlockSplitOverTwoChunks)
{
    const QByteArray block = MetaBlock("StreamTitle='Split - Block';StreamUrl='';");
    ASSERT_GT(block.size(), 20);
    // Cut after the length byte alone, inside the text and right at its end.
    for (qsizetype cut : {qsizetype(1), qsizetype(7), block.size() - 1, block.size()}) {
        IcyDemuxer d;
        RecordingSink sink;
        d.Reset(true);
        d.Feed(Header(64) + Audio(64) + block.left(cut), sink);
        const bool whole = cut == block.size();
        EXPECT_EQ(sink.Blocks().size(), whole ? 1 : 0) << cut;
        d.Feed(block.mid(cut) + Audio(20, 9), sink);
        ASSERT_EQ(sink.events.size(), 4) << cut;
        EXPECT_EQ(sink.events[1].bytes, Audio(64));
        EXPECT_EQ(sink.events[2], (RecordingSink::Event{RecordingSink::Metadata, block.mid(1)}));
        EXPECT_EQ(sink.events[3].bytes, Audio(20, 9));
        EXPECT_EQ(ParseStreamTitle(sink.events[2].bytes), QByteArray("Split - Block"));
    }
}

TEST(IcyDemuxer, LongestBlockIsUnsigned)
{
    // Length byte 255: 4080 bytes of text, not a negative length.
    QByteArray text = "StreamTitle='" + QByteArray(4000, 'x') + "';";
    text.append(QByteArray(4080 - text.size(), '\0'));
    const QByteArray block = QByteArray(1, char(0xff)) + text;
    IcyDemuxer d;
    RecordingSink sink;
    d.Reset(true);
    d.Feed(Header(50) + Audio(50) + block + Audio(50, 1) + QByteArray(1, '\0') + Audio(7, 2), sink);
    ASSERT_EQ(sink.Blocks().size(), 1);
    EXPECT_EQ(sink.Blocks()[0].size(), 4080);
    EXPECT_EQ(ParseStreamTitle(sink.Blocks()[0]), QByteArray(4000, 'x'));
    EXPECT_EQ(sink.AllAudio(), Audio(50) + Audio(50, 1) + Audio(7, 2));
    EXPECT_EQ(d.MetadataBytes(), 4081 + 1);
}

TEST(IcyDemuxer, HeaderChunkAudioBeyondSeveralIntervals)
{
    const QByteArray stream = Header(10) + Audio(10) + MetaBlock("StreamTitle='A';") + Audio(10, 1)
                              + QByteArray(1, '\0') + Audio(10, 2) + MetaBlock("StreamTitle='B';") + Audio(4, 3);
    IcyDemuxer d;
    RecordingSink sink;
    d.Reset(true);
    d.Feed(stream, sink);
    ASSERT_EQ(sink.events.size(), 6);
    EXPECT_EQ(sink.events[1].bytes, Audio(10));
    EXPECT_EQ(ParseStreamTitle(sink.events[2].bytes), QByteArray("A"));
    EXPECT_EQ(sink.events[3].bytes, Audio(10, 1) + Audio(10, 2));
    EXPECT_EQ(ParseStreamTitle(sink.events[4].bytes), QByteArray("B"));
    EXPECT_EQ(sink.events[5].bytes, Audio(4, 3));
}

TEST(IcyDemuxer, NoUsableIntervalMeansAllAudio)
{
    const QByteArray body = QByteArray(1, '\x02') + "StreamTitle='x';" + Audio(40);
    const QByteArray headers[] = {
        "ICY 200 OK\r\nicy-name:N\r\n\r\n",
        "ICY 200 OK\r\nicy-name:N\r\nicy-metaint:0\r\n\r\n",
        "ICY 200 OK\r\nicy-name:N\r\nicy-metaint:none\r\n\r\n",
    };
    for (const QByteArray& header : headers) {
        IcyDemuxer d;
        RecordingSink sink;
        d.Reset(true);
        d.Feed(header + body, sink);
        EXPECT_FALSE(d.MetadataMode());
        EXPECT_EQ(sink.AllAudio(), body);
        EXPECT_TRUE(sink.Blocks().isEmpty());
    }
}

TEST(IcyDemuxer, MetaIntWithoutNameStillSplits)
{
    IcyDemuxer d;
    RecordingSink sink;
    d.Reset(true);
    d.Feed("HTTP/1.0 200 OK\r\nicy-metaint:8\r\n\r\n" + Audio(8) + MetaBlock("StreamTitle='N';") + Audio(3), sink);
    EXPECT_TRUE(d.MetadataMode());
    EXPECT_FALSE(sink.headers[0].hasIcyName);
    EXPECT_EQ(sink.AllAudio(), Audio(8) + Audio(3));
    EXPECT_EQ(sink.Blocks().size(), 1);
}

TEST(IcyDemuxer, MetadataOffIgnoresInterval)
{
    IcyDemuxer d;
    RecordingSink sink;
    d.Reset(false);
    const QByteArray body = Audio(8) + MetaBlock("StreamTitle='N';");
    d.Feed(Header(8) + body, sink);
    EXPECT_EQ(sink.AllAudio(), body);
    EXPECT_TRUE(sink.Blocks().isEmpty());
}

TEST(IcyDemuxer, RefusedHeaderDropsUntilReset)
{
    IcyDemuxer d;
    RecordingSink sink;
    sink.accept = false;
    d.Reset(true);
    d.Feed("ICY 404 Resource Not Found\r\n\r\nmore bytes", sink);
    EXPECT_TRUE(d.Refused());
    d.Feed(Header(4) + Audio(100), sink);
    EXPECT_EQ(sink.headers.size(), 1);
    EXPECT_EQ(sink.AllAudio(), QByteArray());

    sink.accept = true;
    d.Reset(true);
    EXPECT_FALSE(d.Refused());
    EXPECT_TRUE(d.HeaderPending());
    d.Feed(Header(4) + Audio(4) + QByteArray(1, '\0') + Audio(2), sink);
    EXPECT_EQ(sink.headers.size(), 2);
    EXPECT_EQ(sink.AllAudio(), Audio(4) + Audio(2));
    EXPECT_EQ(d.AudioBytes(), 6);
}

TEST(IcyDemuxer, ResetStartsCountersAndHeaderAfresh)
{
    IcyDemuxer d;
    RecordingSink sink;
    d.Reset(true);
    d.Feed(Header(100) + Audio(60), sink);  // 40 bytes short of a length byte
    d.Reset(true);
    EXPECT_EQ(d.AudioBytes(), 0);
    d.Feed(Header(10) + Audio(10) + MetaBlock("StreamTitle='Fresh';") + Audio(1), sink);
    ASSERT_EQ(sink.headers.size(), 2);
    EXPECT_EQ(sink.Blocks().size(), 1);
    EXPECT_EQ(sink.AllAudio(), Audio(60) + Audio(10) + Audio(1));
}

TEST(IcyDemuxer, OverlongHeaderIsHandedOverIncomplete)
{
    const QByteArray junk(IcyDemuxer::kMaxHeaderBytes + 100, 'j');
    for (qsizetype step : {qsizetype(1000), qsizetype(junk.size())}) {
        IcyDemuxer d;
        RecordingSink sink;
        d.Reset(true);
        for (qsizetype at = 0; at < junk.size(); at += step)
            d.Feed(junk.mid(at, step), sink);
        ASSERT_EQ(sink.headers.size(), 1) << step;
        EXPECT_FALSE(sink.headers[0].complete);
        EXPECT_EQ(sink.headers[0].raw.size(), IcyDemuxer::kMaxHeaderBytes);
        EXPECT_FALSE(d.MetadataMode());
        EXPECT_EQ(sink.AllAudio(), junk.mid(IcyDemuxer::kMaxHeaderBytes));
    }
}

TEST(IcyDemuxer, HeaderEndingExactlyAtTheLimitIsComplete)
{
    QByteArray header = "ICY 200 OK\r\nx-pad:";
    header.append(QByteArray(IcyDemuxer::kMaxHeaderBytes - header.size() - 4, 'p'));
    header.append("\r\n\r\n");
    ASSERT_EQ(header.size(), IcyDemuxer::kMaxHeaderBytes);
    IcyDemuxer d;
    RecordingSink sink;
    d.Reset(false);
    d.Feed(header + "abc", sink);
    ASSERT_EQ(sink.headers.size(), 1);
    EXPECT_TRUE(sink.headers[0].complete);
    EXPECT_EQ(sink.AllAudio(), QByteArray("abc"));
}

// A sink that starts a new connection when it sees a title.
class ResettingSink : public RecordingSink {
public:
    IcyDemuxer* demux = nullptr;
    void OnMetadata(const QByteArray& block) override
    {
        RecordingSink::OnMetadata(block);
        demux->Reset(true);
    }
};

TEST(IcyDemuxer, ResetFromSinkDropsRestOfChunk)
{
    IcyDemuxer d;
    ResettingSink sink;
    sink.demux = &d;
    d.Reset(true);
    d.Feed(Header(4) + Audio(4) + MetaBlock("StreamTitle='x';") + Audio(4, 1), sink);
    EXPECT_EQ(sink.AllAudio(), Audio(4));
    EXPECT_TRUE(d.HeaderPending());
    EXPECT_TRUE(d.PendingHeader().isEmpty());
}

} // namespace
