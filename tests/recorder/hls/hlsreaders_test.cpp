// The HLS readers: playlists (master, media, live windows, #EXTINF titles,
// broken lines), ID3 tags (encodings, timestamps, false sizes) and
// segments (packed audio, MPEG-TS), as tables of text and byte fixtures.
#include "recorder/hlsid3.h"
#include "recorder/hlsmp4.h"
#include "recorder/hlssegment.h"
#include "sources/hlsplaylist.h"
#include "tests/recorder/hls/hlsfixtures.h"

#include <gtest/gtest.h>

using namespace hlsfix;

namespace {
const QUrl kBase(QStringLiteral("http://127.0.0.1:8000/live/index.m3u8"));

TEST(HlsPlaylist, MediaPlaylists)
{
    struct Row {
        const char* name;
        QByteArray text;
        qint64 firstSeq;
        QStringList uris, titles;
        QList<bool> discontinuities;
        double target;
        bool endList;
    };
    const QList<Row> rows = {
        {"live window",
         "#EXTM3U\n#EXT-X-TARGETDURATION:6\n#EXT-X-MEDIA-SEQUENCE:41\n#EXTINF:6.0,\na.aac\n#EXTINF:6.0,\nb.aac\n",
         41,
         {"http://127.0.0.1:8000/live/a.aac", "http://127.0.0.1:8000/live/b.aac"},
         {"", ""},
         {false, false},
         6,
         false},
        {"plain and key-value titles, CR LF",
         "#EXTM3U\r\n#EXT-X-TARGETDURATION:10\r\n#EXTINF:10,Band - Song\r\n/s/1.ts\r\n"
         "#EXTINF:10,title=\"Other, Song\",artist=\"The Band\",url=\"x\"\r\nhttp://cdn.example/2.ts\r\n"
         "#EXTINF:10 title=\"Solo\",\r\n3.ts\r\n#EXT-X-ENDLIST\r\n",
         0,
         {"http://127.0.0.1:8000/s/1.ts", "http://cdn.example/2.ts", "http://127.0.0.1:8000/live/3.ts"},
         {"Band - Song", "The Band - Other, Song", "Solo"},
         {false, false, false},
         10,
         true},
        {"discontinuity and unknown tags",
         "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:2\n#EXT-X-MEDIA-SEQUENCE:7\n#EXTINF:2,\n7.aac\n"
         "#EXT-X-DISCONTINUITY\n#EXT-X-PROGRAM-DATE-TIME:2026-01-01T00:00:00Z\n#EXT-X-WHATEVER\n#EXTINF:2,\n8.aac\n",
         7,
         {"http://127.0.0.1:8000/live/7.aac", "http://127.0.0.1:8000/live/8.aac"},
         {"", ""},
         {false, true},
         2,
         false},
        {"broken lines passed over",
         "#EXTM3U\n#EXT-X-TARGETDURATION:x\n#EXTINF:abc\n\n   \n#EXT-X-MEDIA-SEQUENCE:-\none.aac\n",
         0,
         {"http://127.0.0.1:8000/live/one.aac"},
         {""},
         {false},
         0,
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const HlsPlaylist list = ParseHlsPlaylist(row.text, kBase);
        ASSERT_TRUE(list.ok());
        EXPECT_EQ(list.kind, HlsPlaylist::Kind::Media);
        EXPECT_EQ(list.targetDuration, row.target);
        EXPECT_EQ(list.endList, row.endList);
        ASSERT_EQ(list.segments.size(), row.uris.size());
        for (int i = 0; i < row.uris.size(); ++i) {
            EXPECT_EQ(list.segments[i].sequence, row.firstSeq + i);
            EXPECT_EQ(list.segments[i].uri.toString(), row.uris[i]);
            EXPECT_EQ(list.segments[i].title, row.titles[i]);
            EXPECT_EQ(list.segments[i].discontinuity, row.discontinuities[i]);
        }
    }
}

TEST(HlsPlaylist, NotPlaylistsAndBounds)
{
    struct Row {
        const char* name;
        QByteArray text;
        HlsPlaylist::Error error;
    };
    const QList<Row> rows = {
        {"a plain M3U of servers", "#EXTM3U\n#EXTINF:-1,Radio\nhttp://radio.example:8000/\n",
         HlsPlaylist::Error::NotHls},
        {"no header", "#EXT-X-TARGETDURATION:2\n#EXTINF:2,\na.aac\n", HlsPlaylist::Error::NotHls},
        {"a web page", "<html><body>#EXT-X-</body></html>", HlsPlaylist::Error::NotHls},
        {"no segment, live", "#EXTM3U\n#EXT-X-TARGETDURATION:2\n", HlsPlaylist::Error::Empty},
        {"over 1 MiB", "#EXTM3U\n#EXT-X-TARGETDURATION:2\n" + QByteArray(kMaxHlsPlaylistBytes, '#'),
         HlsPlaylist::Error::TooLarge},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ParseHlsPlaylist(row.text, kBase).error, row.error);
    }
    EXPECT_TRUE(LooksLikeHlsPlaylist("\xef\xbb\xbf#EXTM3U\n#EXT-X-TARGETDURATION:1\n"));
    EXPECT_TRUE(IsHlsContentType("application/vnd.apple.mpegurl; charset=utf-8"));
    EXPECT_TRUE(IsHlsContentType("Audio/MpegURL"));
    EXPECT_FALSE(IsHlsContentType("audio/mpeg"));
    EXPECT_TRUE(IsHlsAddress(QStringLiteral("/live/index.M3U8?token=1")));
    EXPECT_FALSE(IsHlsAddress(QStringLiteral("/live/index.m3u")));
}

TEST(HlsPlaylist, KeysAndAttributes)
{
    const HlsPlaylist list = ParseHlsPlaylist("#EXTM3U\n#EXT-X-TARGETDURATION:2\n#EXT-X-MEDIA-SEQUENCE:5\n"
                                              "#EXT-X-KEY:METHOD=AES-128,URI=\"key?id=1,2\",IV=0x0102\n"
                                              "#EXTINF:2,\na.aac\n#EXT-X-KEY:METHOD=NONE\n#EXTINF:2,\nb.aac\n"
                                              "#EXT-X-KEY:METHOD=SAMPLE-AES,URI=\"k2\"\n#EXTINF:2,\nc.aac\n",
                                              kBase);
    ASSERT_EQ(list.segments.size(), 3);
    EXPECT_EQ(list.segments[0].key.method, HlsKey::Method::Aes128);
    EXPECT_EQ(list.segments[0].key.uri.toString(), QStringLiteral("http://127.0.0.1:8000/live/key?id=1,2"));
    EXPECT_TRUE(list.segments[0].key.hasIv);
    EXPECT_EQ(list.segments[0].key.iv.toHex(), QByteArray("00000000000000000000000000000102"));
    EXPECT_EQ(list.segments[1].key.method, HlsKey::Method::None);
    EXPECT_EQ(list.segments[2].key.method, HlsKey::Method::SampleAes);

    // An initialization section is under the key in force where its tag
    // stands, whatever keys its segments have later.
    const HlsPlaylist mapped =
        ParseHlsPlaylist("#EXTM3U\n#EXT-X-TARGETDURATION:2\n"
                         "#EXT-X-KEY:METHOD=AES-128,URI=\"k\",IV=0x0f\n#EXT-X-MAP:URI=\"i.mp4\"\n"
                         "#EXT-X-KEY:METHOD=AES-128,URI=\"k\"\n#EXTINF:2,\na.m4s\n"
                         "#EXT-X-KEY:METHOD=NONE\n#EXTINF:2,\nb.m4s\n"
                         "#EXT-X-MAP:URI=\"j.mp4\"\n#EXTINF:2,\nc.m4s\n",
                         kBase);
    ASSERT_EQ(mapped.segments.size(), 3);
    const HlsKey& first = mapped.segments[0].mapKey;
    EXPECT_EQ(first.method, HlsKey::Method::Aes128);
    EXPECT_TRUE(first.hasIv);
    EXPECT_EQ(first.iv.toHex(), QByteArray("0000000000000000000000000000000f"));
    EXPECT_FALSE(mapped.segments[0].key.hasIv);
    EXPECT_EQ(mapped.segments[1].mapKey, first);
    EXPECT_EQ(mapped.segments[1].key.method, HlsKey::Method::None);
    EXPECT_EQ(mapped.segments[2].map.toString(), QStringLiteral("http://127.0.0.1:8000/live/j.mp4"));
    EXPECT_EQ(mapped.segments[2].mapKey.method, HlsKey::Method::None);

    const auto a = ParseHlsAttributes(QStringLiteral("BANDWIDTH=128000,CODECS=\"mp4a.40.2,avc1.4d\",name=x"));
    EXPECT_EQ(a.value(QStringLiteral("BANDWIDTH")), QStringLiteral("128000"));
    EXPECT_EQ(a.value(QStringLiteral("CODECS")), QStringLiteral("mp4a.40.2,avc1.4d"));
    EXPECT_EQ(a.value(QStringLiteral("NAME")), QStringLiteral("x"));
}

TEST(HlsPlaylist, MasterVariantsAndRenditions)
{
    const QByteArray text =
        "#EXTM3U\n"
        "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"aud\",NAME=\"en\",URI=\"audio/en.m3u8\"\n"
        "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"aud\",NAME=\"main\",DEFAULT=YES,URI=\"audio/main.m3u8\"\n"
        "#EXT-X-STREAM-INF:BANDWIDTH=64000,CODECS=\"mp4a.40.5\"\nlow.m3u8\n"
        "#EXT-X-STREAM-INF:BANDWIDTH=320000,CODECS=\"ac-3\"\nac3.m3u8\n"
        "#EXT-X-STREAM-INF:BANDWIDTH=128000,CODECS=\"mp4a.40.2\"\nhigh.m3u8\n"
        "#EXT-X-STREAM-INF:BANDWIDTH=900000,CODECS=\"avc1.4d401f,mp4a.40.2\",AUDIO=\"aud\"\nvideo.m3u8\n";
    const HlsPlaylist master = ParseHlsPlaylist(text, kBase);
    ASSERT_TRUE(master.ok());
    ASSERT_EQ(master.kind, HlsPlaylist::Kind::Master);
    ASSERT_EQ(master.variants.size(), 4);
    struct Row {
        bool lowest;
        QString url;
    };
    for (const Row& row : {Row{false, QStringLiteral("http://127.0.0.1:8000/live/audio/main.m3u8")},
                           Row{true, QStringLiteral("http://127.0.0.1:8000/live/low.m3u8")}}) {
        const int chosen = PickHlsVariant(master, row.lowest);
        EXPECT_EQ(HlsVariantMediaUrl(master, chosen).toString(), row.url);
    }
    const HlsPlaylist none =
        ParseHlsPlaylist("#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=1,CODECS=\"opus\"\na.m3u8\n", kBase);
    EXPECT_EQ(PickHlsVariant(none, false), -1);
}

QByteArray utf16(const QString& text, bool bom, bool littleEndian)
{
    QByteArray b;
    if (bom)
        b += littleEndian ? QByteArray("\xff\xfe") : QByteArray("\xfe\xff");
    for (const QChar c : text) {
        const ushort u = c.unicode();
        b += littleEndian ? char(u & 0xff) : char(u >> 8);
        b += littleEndian ? char(u >> 8) : char(u & 0xff);
    }
    return b;
}

TEST(HlsId3, TextEncodingsAndFrames)
{
    const QString song = QStringLiteral("Café Ünïcode");
    struct Row {
        const char* name;
        QByteArray tag;
        QString title, artist;
    };
    const QList<Row> rows = {
        {"latin-1, no NUL", Tag(Frame("TIT2", QByteArray(1, '\0') + song.toLatin1())), song, {}},
        {"latin-1, NUL", Tag(Frame("TIT2", QByteArray(1, '\0') + song.toLatin1() + '\0')), song, {}},
        {"UTF-16 LE with BOM, NUL", Tag(Frame("TIT2", "\1" + utf16(song, true, true) + QByteArray(2, '\0'))), song, {}},
        {"UTF-16 BE with BOM", Tag(Frame("TIT2", "\1" + utf16(song, true, false))), song, {}},
        {"UTF-16 BE", Tag(Frame("TIT2", "\2" + utf16(song, false, false))), song, {}},
        {"UTF-8 with artist", Tag(TextFrame("TIT2", song) + TextFrame("TPE1", QStringLiteral("Bänd"))), song,
         QStringLiteral("Bänd")},
        {"ID3v2.3 sizes",
         Tag(TextFrame("TIT2", QStringLiteral("Old"), 3) + TextFrame("TPE1", QStringLiteral("Tag"), 3), 3),
         QStringLiteral("Old"), QStringLiteral("Tag")},
        {"TXXX title and artist",
         Tag(Frame("TXXX", QByteArray("\3title\0Named", 12)) + Frame("TXXX", QByteArray("\3ARTIST\0Who\0", 12))),
         QStringLiteral("Named"), QStringLiteral("Who")},
        {"padding after the frames",
         Tag(TextFrame("TIT2", QStringLiteral("Pad")) + QByteArray(20, '\0')),
         QStringLiteral("Pad"),
         {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const HlsId3Tag tag = ReadHlsId3Tag(row.tag);
        EXPECT_TRUE(tag.ok) << tag.error.toStdString();
        EXPECT_EQ(tag.size, row.tag.size());
        EXPECT_EQ(tag.title, row.title);
        EXPECT_EQ(tag.artist, row.artist);
    }
    EXPECT_EQ(ReadHlsId3Tag(TitleTag(QStringLiteral("T"), QStringLiteral("A"))).StreamTitle(), QStringLiteral("A - T"));
}

TEST(HlsId3, TimestampsAndFalseSizes)
{
    const HlsId3Tag timed = ReadHlsId3Tag(TitleTag({}, {}, (qint64(1) << 33) - 5));
    EXPECT_TRUE(timed.hasTimestamp);
    EXPECT_EQ(timed.timestamp, (qint64(1) << 33) - 5);
    // Bits above the 33 are not the time.
    EXPECT_EQ(ReadHlsId3Tag(Tag(PrivTimestamp(0xff00000000000010ULL))).timestamp, 0x10);

    struct Row {
        const char* name;
        QByteArray bytes;
    };
    QByteArray longFrame = Tag(TextFrame("TIT2", QStringLiteral("abc")));
    longFrame[10 + 7] = 0x7f; // the frame claims 127 bytes
    QByteArray longTag = Tag(TextFrame("TIT2", QStringLiteral("abc")));
    longTag[9] = 0x7f;
    const QList<Row> rows = {
        {"frame longer than the tag", longFrame},
        {"tag longer than the data", longTag},
        {"header only", QByteArray("ID3\4\0\0\0\0\0", 9)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const HlsId3Tag tag = ReadHlsId3Tag(row.bytes);
        EXPECT_FALSE(tag.ok);
        EXPECT_FALSE(tag.error.isEmpty());
        EXPECT_TRUE(tag.title.isEmpty());
    }
}

QByteArray adtsRun(quint32 from, int count)
{
    QByteArray b;
    for (int i = 0; i < count; ++i)
        b += Adts(from + i);
    return b;
}

TEST(HlsSegment, PackedAudio)
{
    // Packed AAC: the tag's PRIV timestamp is the first frame's time.
    const HlsSegmentRead aac =
        ReadHlsSegment(TitleTag(QStringLiteral("Song"), QStringLiteral("Band"), 90000) + adtsRun(0, 5));
    ASSERT_TRUE(aac.ok()) << aac.error.toStdString();
    EXPECT_EQ(aac.codec, HlsCodec::Adts);
    EXPECT_EQ(aac.sampleRate, 44100);
    ASSERT_EQ(aac.frames.size(), 5);
    EXPECT_EQ(aac.audio, adtsRun(0, 5));
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(aac.frames[i].time, 90000 + qint64(i) * 1024 * 90000 / 44100);
    ASSERT_EQ(aac.titles.size(), 1);
    EXPECT_EQ(aac.titles[0].title, QStringLiteral("Band - Song"));
    EXPECT_EQ(aac.titles[0].time, 90000);
    EXPECT_EQ(aac.titles[0].beforeFrame, 0);

    QByteArray mp3;
    for (int i = 0; i < 4; ++i)
        mp3 += Mp3(i);
    const HlsSegmentRead m = ReadHlsSegment(Tag(PrivTimestamp(0)) + mp3);
    ASSERT_TRUE(m.ok());
    EXPECT_EQ(m.codec, HlsCodec::Mpeg);
    EXPECT_EQ(m.samplesPerFrame, 1152);
    EXPECT_EQ(m.audio, mp3);
    EXPECT_EQ(m.frames[3].time, 3 * 1152 * 90000 / 44100);

    // Bytes between frames are not audio: passed over, and said.
    const HlsSegmentRead junk = ReadHlsSegment(adtsRun(0, 2) + QByteArray("garbage!") + adtsRun(2, 2));
    ASSERT_TRUE(junk.ok());
    EXPECT_EQ(junk.audio, adtsRun(0, 4));
    EXPECT_FALSE(junk.warnings.isEmpty());

    // A tag with a false frame size keeps the audio after it.
    QByteArray bad = TitleTag(QStringLiteral("abc"));
    bad[10 + 7] = 0x7f;
    const HlsSegmentRead falseTag = ReadHlsSegment(bad + adtsRun(0, 3));
    ASSERT_TRUE(falseTag.ok());
    EXPECT_EQ(falseTag.audio, adtsRun(0, 3));
    EXPECT_TRUE(falseTag.titles.isEmpty());
    EXPECT_FALSE(falseTag.warnings.isEmpty());
}

TEST(HlsSegment, MpegTsWithTimedId3)
{
    Ts ts;
    ts.Audio(1000, adtsRun(0, 10));
    ts.Id3(1000 + 5 * 1024 * 90000 / 44100, TitleTag(QStringLiteral("Next"), QStringLiteral("Band")));
    ts.Audio(1000 + 10 * 1024 * 90000 / 44100 + 1, adtsRun(10, 6));
    // A title after the last frame: placed after all of them.
    ts.Id3(9000000, TitleTag(QStringLiteral("Later")));
    const HlsSegmentRead read = ReadHlsSegment(ts.Bytes());
    ASSERT_TRUE(read.ok()) << read.error.toStdString();
    EXPECT_EQ(read.codec, HlsCodec::Adts);
    EXPECT_EQ(read.audio, adtsRun(0, 16));
    ASSERT_EQ(read.frames.size(), 16);
    EXPECT_EQ(read.frames[0].time, 1000);
    EXPECT_EQ(read.frames[9].time, 1000 + 9 * 1024 * 90000 / 44100);
    EXPECT_EQ(read.frames[10].time, 1000 + 10 * 1024 * 90000 / 44100 + 1);
    ASSERT_EQ(read.titles.size(), 2);
    EXPECT_EQ(read.titles[0].title, QStringLiteral("Band - Next"));
    EXPECT_EQ(read.titles[0].beforeFrame, 5);
    EXPECT_EQ(read.titles[1].beforeFrame, 16);

    Ts mp3(0x03);
    QByteArray frames;
    for (int i = 0; i < 3; ++i)
        frames += Mp3(i);
    mp3.Audio(0, frames);
    const HlsSegmentRead m = ReadHlsSegment(mp3.Bytes());
    ASSERT_TRUE(m.ok());
    EXPECT_EQ(m.codec, HlsCodec::Mpeg);
    EXPECT_EQ(m.audio, frames);
}

TEST(HlsSegment, NotAudio)
{
    struct Row {
        const char* name;
        QByteArray bytes;
    };
    Ts video(0x1b);
    video.Audio(0, QByteArray(500, 'v'));
    Ts empty;
    empty.Audio(0, QByteArray(300, '\0'));
    const QList<Row> rows = {
        {"a web page", "<html><body>Not found</body></html>"},
        {"empty", {}},
        {"video only", video.Bytes()},
        {"a TS stream of no frames", empty.Bytes()},
        {"an ID3 tag only", TitleTag(QStringLiteral("x"))},
        {"over 16 MiB", QByteArray(kMaxHlsSegmentBytes + 1, '\0')},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const HlsSegmentRead read = ReadHlsSegment(row.bytes);
        EXPECT_FALSE(read.ok());
        EXPECT_TRUE(read.audio.isEmpty());
        EXPECT_TRUE(read.frames.isEmpty());
    }
}
} // namespace

namespace {
TEST(HlsMp4, InitAndFragmentsAsAdts)
{
    const HlsMp4Track track = ReadHlsMp4Init(Mp4Init());
    ASSERT_TRUE(track.ok) << track.error.toStdString();
    EXPECT_EQ(track.trackId, 1u);
    EXPECT_EQ(track.timescale, 44100u);
    EXPECT_EQ(track.sampleRate, 44100);
    EXPECT_EQ(track.channels, 2);
    EXPECT_EQ(track.profile, 1);

    // Each sample becomes a frame with the ADTS header its track asks for.
    const QList<QByteArray> samples = {QByteArray(100, 'a'), QByteArray(57, 'b'), QByteArray(80, 'c')};
    // The emsg's tag names the song and carries its picture.
    const QByteArray picture = QByteArray("\x89PNG\r\n\x1a\n", 8) + "picture";
    const QByteArray tag = Tag(TextFrame("TIT2", QStringLiteral("Song")) + TextFrame("TPE1", QStringLiteral("Band")) +
                               Frame("APIC", QByteArray("\0image/png\0\x03\0", 13) + picture));
    const HlsSegmentRead read = ReadHlsMp4Segment(Mp4Fragment(44100, samples, tag, 44100 + 2048), track);
    ASSERT_TRUE(read.ok()) << read.error.toStdString();
    ASSERT_EQ(read.frames.size(), 3);
    QByteArray expected;
    for (const QByteArray& s : samples)
        expected += HlsAdtsHeader(track, s.size()) + s;
    EXPECT_EQ(read.audio, expected);
    EXPECT_EQ(read.audio.left(7).toHex(), QByteArray("fff150800d7ffc")); // 107 bytes, AAC LC, 44.1 kHz, stereo
    EXPECT_EQ(read.frames[0].time, 90000);
    EXPECT_EQ(read.frames[2].time, 90000 + 2 * 1024 * 90000 / 44100);
    ASSERT_EQ(read.titles.size(), 1);
    EXPECT_EQ(read.titles[0].title, QStringLiteral("Band - Song"));
    EXPECT_EQ(read.titles[0].beforeFrame, 2);
    EXPECT_EQ(read.titles[0].picture, picture);
    EXPECT_EQ(read.titles[0].pictureType, QByteArray("image/png"));
}

TEST(HlsMp4, BrokenBoxes)
{
    const HlsMp4Track track = ReadHlsMp4Init(Mp4Init());
    ASSERT_TRUE(track.ok);
    QByteArray longBox = Mp4Fragment(0, {QByteArray(10, 'x')});
    longBox[3] = char(0x7f); // the first box claims more than there is
    struct Row {
        const char* name;
        QByteArray bytes;
    };
    for (const Row& row : {Row{"a box longer than the segment", longBox}, Row{"not MP4", "<html></html>"},
                           Row{"no fragment", Box("free", "abc")}}) {
        SCOPED_TRACE(row.name);
        const HlsSegmentRead read = ReadHlsMp4Segment(row.bytes, track);
        EXPECT_FALSE(read.ok());
        EXPECT_TRUE(read.audio.isEmpty());
        EXPECT_TRUE(read.frames.isEmpty());
    }
    EXPECT_FALSE(ReadHlsMp4Init("<html></html>").ok);
    EXPECT_FALSE(ReadHlsMp4Init(Box("moov", Box("trak", QByteArray()))).ok);
}
} // namespace
