#include "oggpages.h"
#include "recorder/oggdemuxer.h"

#include <gtest/gtest.h>

namespace {

// What the demultiplexer hands over, one file per started stream.
struct OggFiles : OggDemuxer::Sink {
    struct File {
        OggStreamInfo info;
        QByteArray bytes;
        int ended = 0; // 1 complete, -1 cut, 0 open
    };
    QList<File> files;
    void OnStreamStart(const OggStreamInfo& info) override { files.append({info, info.headerPages, 0}); }
    void OnPage(const char* data, qsizetype size) override { files.last().bytes.append(data, size); }
    void OnStreamEnd(bool complete) override { files.last().ended = complete ? 1 : -1; }
};

OggFiles Demux(const QByteArray& stream, qsizetype chunk = 0, OggDemuxer* out = nullptr)
{
    OggDemuxer d;
    OggFiles sink;
    if (chunk <= 0)
        d.Feed(stream, sink);
    for (qsizetype i = 0; chunk > 0 && i < stream.size(); i += chunk)
        d.Feed(stream.mid(i, chunk), sink);
    d.Finish(sink);
    if (out)
        *out = d;
    return sink;
}

TEST(OggCrc, KnownValues)
{
    // The Ogg CRC (not reflected, start 0, no final xor) of "123456789".
    EXPECT_EQ(OggCrc("123456789", 9), 0x89A1897Fu);
    EXPECT_EQ(OggCrc("", 0), 0u);
    // Against the CRC one bit at a time: every length around the eight-byte
    // steps, at any alignment, and continued from an earlier value.
    const auto bitwise = [](const char* data, qsizetype size, quint32 crc) {
        for (qsizetype i = 0; i < size; ++i) {
            crc ^= quint32(quint8(data[i])) << 24;
            for (int b = 0; b < 8; ++b)
                crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : (crc << 1);
        }
        return crc;
    };
    QByteArray bytes;
    for (int i = 0; i < 300; ++i)
        bytes += char((i * 151 + 7) & 0xff);
    for (qsizetype size : {1, 7, 8, 9, 15, 16, 17, 31, 63, 64, 65, 79, 80, 255, 290}) {
        for (qsizetype at : {0, 1, 3, 5}) {
            for (quint32 start : {0u, 0xdeadbeefu}) {
                EXPECT_EQ(OggCrc(bytes.constData() + at, size, start), bitwise(bytes.constData() + at, size, start))
                    << size << " at " << at;
            }
        }
    }
}

TEST(OggDemuxer, ChainedSongsOneFileEach)
{
    const QByteArray one = VorbisSong(7, {"ARTIST=Ann", "TITLE=First"});
    const QByteArray two = VorbisSong(9, {"title=Second", "Artist=Bob"}, 2);
    for (qsizetype chunk : {0, 1, 5, 27, 28, 100, 4096}) {
        SCOPED_TRACE(chunk);
        OggDemuxer d;
        const OggFiles f = Demux(one + two, chunk, &d);
        ASSERT_EQ(f.files.size(), 2);
        EXPECT_EQ(f.files[0].bytes, one); // header pages, pages in order, EOS: byte for byte
        EXPECT_EQ(f.files[1].bytes, two);
        EXPECT_EQ(f.files[0].info.artist, "Ann");
        EXPECT_EQ(f.files[0].info.title, "First");
        EXPECT_EQ(f.files[1].info.artist, "Bob");
        EXPECT_EQ(f.files[1].info.title, "Second");
        EXPECT_EQ(f.files[0].info.codec, OggCodec::Vorbis);
        EXPECT_EQ(f.files[0].info.nominalKbps, 128);
        EXPECT_EQ(f.files[0].ended, 1);
        EXPECT_EQ(f.files[1].ended, 1);
        EXPECT_EQ(d.Pages(), 9);
        EXPECT_EQ(d.SkippedBytes(), 0);
    }
}

TEST(OggDemuxer, CodecsFromTheFirstPacket)
{
    const QByteArray opusHead = QByteArray("OpusHead", 8) + char(1) + char(2) + QByteArray(10, '\0');
    const QByteArray opusTags = QByteArray("OpusTags", 8) + CommentBody({"TITLE=Ü Song"});
    QByteArray flacFirst = QByteArray("\x7f"
                                      "FLAC",
                                      5) +
                           char(1) + char(0) + char(0) + char(1) + "fLaC" + QByteArray(38, 'i');
    const QByteArray flacComment = [] {
        const QByteArray c = CommentBody({"ARTIST=Cy", "TITLE=Fl"});
        return char(0x84) + QByteArray(1, '\0') + char(c.size() >> 8) + char(c.size() & 0xff) + c;
    }();
    QByteArray flacUncounted = flacFirst;
    flacUncounted[7] = 0;
    flacUncounted[8] = 0; // count not given: the metadata block marked last ends the header
    const struct {
        const char* name;
        QList<QByteArray> first, second;
        OggCodec codec;
        QString artist, title;
    } cases[] = {
        {"opus", {opusHead}, {opusTags}, OggCodec::Opus, "", QString::fromUtf8("Ü Song")},
        {"flac", {flacFirst}, {flacComment}, OggCodec::Flac, "Cy", "Fl"},
        {"flac without count", {flacUncounted}, {flacComment}, OggCodec::Flac, "Cy", "Fl"},
        {"theora", {QByteArray("\x80theora") + QByteArray(30, 't')}, {"x"}, OggCodec::Unknown, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray s =
            PacketsPage(2, 1, 0, c.first) + PacketsPage(0, 1, 1, c.second) + PacketsPage(4, 1, 2, {"audio"}, 960);
        OggDemuxer d;
        const OggFiles f = Demux(s, 3, &d);
        if (c.codec == OggCodec::Unknown) {
            EXPECT_TRUE(f.files.isEmpty());
            EXPECT_EQ(d.OtherStreams(), 1);
            continue;
        }
        ASSERT_EQ(f.files.size(), 1);
        EXPECT_EQ(f.files[0].info.codec, c.codec);
        EXPECT_EQ(f.files[0].info.artist, c.artist);
        EXPECT_EQ(f.files[0].info.title, c.title);
        EXPECT_EQ(f.files[0].bytes, s);
    }
    EXPECT_EQ(OggExtension(OggCodec::Opus), ".opus");
    EXPECT_EQ(OggExtension(OggCodec::Flac), ".ogg");
}

TEST(OggDemuxer, CommentPacketSpanningPages)
{
    // A 700-byte comment laced over three pages (255 255 | 190 + setup).
    const QByteArray comment = VorbisComment({"ARTIST=" + QByteArray(600, 'x'), "TITLE=Long"});
    const QByteArray packetPart1 = comment.left(255), packetPart2 = comment.mid(255, 255), rest = comment.mid(510);
    const QByteArray s = PacketsPage(2, 3, 0, {VorbisIdent()}) + OggPage(0, 3, 1, -1, {255}, packetPart1) +
                         OggPage(1, 3, 2, -1, {255}, packetPart2) +
                         OggPage(1, 3, 3, 0, Lacing({rest, VorbisSetup()}), rest + VorbisSetup()) +
                         PacketsPage(4, 3, 4, {"a"}, 10);
    for (qsizetype chunk : {0, 1, 64}) {
        const OggFiles f = Demux(s, chunk);
        ASSERT_EQ(f.files.size(), 1);
        EXPECT_EQ(f.files[0].info.title, "Long");
        EXPECT_EQ(f.files[0].info.artist, QString(600, 'x'));
        EXPECT_EQ(f.files[0].info.headerPages, s.left(s.size() - PacketsPage(4, 3, 4, {"a"}, 10).size()));
    }
}

TEST(OggPageHeader, FieldsRead)
{
    const QByteArray p = OggPage(5, 0xA1B2C3D4u, 0x01020304u, 0x0102030405060708LL, {3}, "abc");
    const OggPageHeader h = ReadOggPageHeader(p.constData());
    EXPECT_EQ(h.version, 0);
    EXPECT_TRUE(h.Continued());
    EXPECT_FALSE(h.Bos());
    EXPECT_TRUE(h.Eos());
    EXPECT_EQ(h.granule, 0x0102030405060708LL);
    EXPECT_EQ(h.serial, 0xA1B2C3D4u);
    EXPECT_EQ(h.sequence, 0x01020304u);
    EXPECT_EQ(h.segments, 1);
    EXPECT_EQ(ReadOggPageHeader(OggPage(0, 1, 1, -1, {}, "").constData()).granule, -1);
}

TEST(OggComments, Table)
{
    const QByteArray huge = Le32Bytes(4) + "test" + Le32Bytes(1) + Le32Bytes(0xFFFFFFF0u) + "TITLE=x";
    const QByteArray manyClaimed = Le32Bytes(0) + Le32Bytes(0xFFFFFFFFu) + Le32Bytes(7) + "TITLE=y";
    const struct {
        const char* name;
        QByteArray data;
        bool valid;
        QString artist, title;
    } cases[] = {
        {"both", CommentBody({"ARTIST=A", "TITLE=T"}), true, "A", "T"},
        {"first of each wins", CommentBody({"TITLE=1", "title=2", "ARTIST= spaced "}), true, "spaced", "1"},
        {"no fields", CommentBody({}), true, "", ""},
        {"no equals sign", CommentBody({"TITLE", "ARTISTS=x"}), true, "", ""},
        {"utf-8", CommentBody({"TITLE=\xc3\xa9t\xc3\xa9"}), true, "", QString::fromUtf8("été")},
        {"field longer than the packet", huge, false, "", ""},
        {"count claiming 4 G", manyClaimed, false, "", "y"},
        {"vendor longer than the packet", Le32Bytes(100) + "abc", false, "", ""},
        {"empty", QByteArray(), false, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const OggComments r = ReadVorbisComments(c.data.constData(), c.data.size());
        EXPECT_EQ(r.valid, c.valid);
        EXPECT_EQ(r.artist, c.artist);
        EXPECT_EQ(r.title, c.title);
    }
}

TEST(OggDemuxer, BadInput)
{
    const QByteArray song = VorbisSong(1, {"TITLE=A"});
    QByteArray badCrc = song;
    badCrc[song.size() - 5] = 'X'; // in the last (EOS) page's body
    const qsizetype lastPage = PacketsPage(4, 1, 4, {QByteArray(300, 'c')}, 3072).size();
    const QByteArray noEos = song.left(song.size() - lastPage);
    QByteArray maxPage =
        PacketsPage(2, 2, 0, {VorbisIdent()}) + PacketsPage(0, 2, 1, {VorbisComment({"TITLE=M"}), VorbisSetup()});
    maxPage += OggPage(4, 2, 2, 5, QList<int>(255, 255), QByteArray(255 * 255, 'm'));
    const QByteArray video = PacketsPage(2, 5, 0, {QByteArray("\x80theora") + QByteArray(30, 't')});
    const QByteArray second = VorbisSong(6, {"TITLE=Other"});
    const QByteArray interleaved = song.left(PacketsPage(2, 1, 0, {VorbisIdent()}).size()) +
                                   second.left(PacketsPage(2, 6, 0, {VorbisIdent()}).size()) +
                                   song.mid(PacketsPage(2, 1, 0, {VorbisIdent()}).size());
    const struct {
        const char* name;
        QByteArray stream;
        int files;
        QList<int> ended;
        qint64 badPages;
        int unended, others;
        QByteArray firstFile; // checked when not empty
    } cases[] = {
        {"bad CRC dropped, never handed over", badCrc, 1, {-1}, 1, 0, 0, noEos},
        {"garbage before and between", "junk" + song + "more", 1, {1}, 0, 0, 0, {}},
        {"BOS without EOS before the next BOS", noEos + second, 2, {-1, 1}, 0, 1, 0, {}},
        {"page of 255 x 255", maxPage, 1, {1}, 0, 0, 0, {}},
        {"video before audio", video + song, 1, {1}, 0, 0, 1, {}},
        {"two audio streams begun together", interleaved, 1, {1}, 0, 0, 1, {}},
        {"mp3 bytes", QByteArray(5000, char(0xff)), 0, {}, 0, 0, 0, {}},
        {"version 1 page", QByteArray(song).replace(4, 1, "\x01"), 0, {}, 0, 0, 0, {}},
    };
    for (const auto& c : cases) {
        for (qsizetype chunk : {0, 1, 7, 1000}) {
            SCOPED_TRACE(std::string(c.name) + " chunk " + std::to_string(chunk));
            OggDemuxer d;
            const OggFiles f = Demux(c.stream, chunk, &d);
            ASSERT_EQ(f.files.size(), c.files);
            for (int i = 0; i < c.files; ++i)
                EXPECT_EQ(f.files[i].ended, c.ended[i]);
            EXPECT_EQ(d.BadPages(), c.badPages);
            EXPECT_EQ(d.UnendedStreams(), c.unended);
            EXPECT_EQ(d.OtherStreams(), c.others);
            if (!c.firstFile.isEmpty()) {
                EXPECT_EQ(f.files[0].bytes, c.firstFile);
            }
        }
    }
}

TEST(OggDemuxer, OversizedHeaderSkipsTheStream)
{
    // A comment packet that keeps going past the header limit.
    QByteArray s = PacketsPage(2, 4, 0, {VorbisIdent()});
    quint32 seq = 1;
    for (qsizetype n = 0; n <= OggDemuxer::kMaxHeaderBytes; n += 255 * 255, ++seq)
        s += OggPage(seq > 1 ? 1 : 0, 4, seq, -1, QList<int>(255, 255), QByteArray(255 * 255, 'c'));
    s += VorbisSong(8, {"TITLE=After"});
    OggDemuxer d;
    const OggFiles f = Demux(s, 70000, &d);
    ASSERT_EQ(f.files.size(), 1);
    EXPECT_EQ(f.files[0].info.title, "After");
    EXPECT_EQ(d.OversizedStreams(), 1);
}

TEST(OggDemuxer, NotOggAfterEnoughBytesWithoutAPage)
{
    OggDemuxer d;
    OggFiles f;
    d.Feed(QByteArray(OggDemuxer::kMaxBytesWithoutPage - 10, char(0xff)), f);
    EXPECT_FALSE(d.NotOgg());
    d.Feed(QByteArray(20, char(0xfb)), f);
    EXPECT_TRUE(d.NotOgg());
}

TEST(OggDemuxer, JoinedMidSongGetsHeadersThenTheRest)
{
    // Icecast sends a new listener the header pages, then the current page.
    const QByteArray headers =
        PacketsPage(2, 1, 0, {VorbisIdent()}) + PacketsPage(0, 1, 1, {VorbisComment({"TITLE=Mid"}), VorbisSetup()});
    const QByteArray rest = PacketsPage(0, 1, 40, {"late"}, 90000) + PacketsPage(4, 1, 41, {"end"}, 91000);
    OggDemuxer d;
    const OggFiles f = Demux(headers + rest, 11, &d);
    ASSERT_EQ(f.files.size(), 1);
    EXPECT_EQ(f.files[0].bytes, headers + rest);
    EXPECT_EQ(f.files[0].ended, 1);
    EXPECT_EQ(d.SequenceGaps(), 0);
}

} // namespace
