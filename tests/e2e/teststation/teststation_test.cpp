#include "recorder/icydemuxer.h"
#include "recorder/oggdemuxer.h"
#include "stationprocess.h"
#include "tests/support/eventwait.h"
#include "tests/support/tools.h"

#include <QFile>
#include <QSet>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

class Collector : public IcyDemuxer::Sink {
public:
    IcyHeader header;
    int headers = 0;
    QByteArray audio;
    QList<QByteArray> titles;
    int blocks = 0;

    bool OnHeader(const IcyHeader& h, const QByteArray&) override
    {
        header = h;
        ++headers;
        return true;
    }
    void OnMetadata(const QByteArray& block) override
    {
        ++blocks;
        if (ContainsStreamTitle(block))
            titles.append(ParseStreamTitle(block));
    }
    void OnAudio(const char* data, qsizetype size) override { audio.append(data, size); }
};

Collector Demux(const QByteArray& bytes, bool metadata)
{
    Collector c;
    IcyDemuxer d;
    d.Reset(metadata);
    d.Feed(bytes, c);
    return c;
}

// Lines of the station's log that start with `kind`.
QList<QByteArray> LogLines(const QString& path, const QByteArray& kind)
{
    QList<QByteArray> lines;
    for (const QByteArray& line : ReadAll(path).split('\n'))
        if (line.startsWith(kind + ' '))
            lines.append(line.trimmed());
    return lines;
}

// True when a decoder reads `file` from end to end without complaint: no
// resync, no bad header, no decoding error.
bool Decodes(const QString& file, QByteArray* output)
{
    const bool haveMpg123 = !QStandardPaths::findExecutable(QStringLiteral("mpg123")).isEmpty();
    if (haveMpg123) {
        if (RunTool(QStringLiteral("mpg123"), {QStringLiteral("-t"), file}, output) != 0)
            return false;
        for (const char* complaint : {"Illegal", "error", "warning", "resync", "Skipped"})
            if (output->contains(complaint))
                return false;
        return output->contains("finished");
    }
    return RunTool(QStringLiteral("ffmpeg"),
                   {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), file, QStringLiteral("-f"),
                    QStringLiteral("null"), QStringLiteral("-")},
                   output) == 0 &&
           output->trimmed().isEmpty();
}

// Each logical stream of an Ogg stream, whole, with what its header says.
struct OggLinks : OggDemuxer::Sink {
    QList<OggStreamInfo> infos;
    QList<QByteArray> bytes;
    QList<bool> ended;
    void OnStreamStart(const OggStreamInfo& info) override
    {
        infos << info;
        bytes << info.headerPages;
    }
    void OnPage(const char* data, qsizetype size) override { bytes.last().append(data, size); }
    void OnStreamEnd(bool complete) override { ended << complete; }
};

class TestStation : public ::testing::Test {
protected:
    void TearDown() override { m_station.Stop(); }

    void StartStation(const QStringList& arguments)
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(QFile::exists(SourceDir() + QStringLiteral("/tools/teststation.py"))) << SourceDir().toStdString();
        ASSERT_TRUE(m_station.Start(arguments, LogPath())) << m_station.Output().constData();
    }
    QString LogPath() const { return m_dir.file(QStringLiteral("station.log")); }

    TempFolder m_dir;
    StationProcess m_station;
};

TEST_F(TestStation, StreamWithTitlesIsFramedAndDecodes)
{
    ASSERT_NO_FATAL_FAILURE(StartStation(
        {QStringLiteral("--fast"), QStringLiteral("--total-bytes"), QStringLiteral("200000"),
         QStringLiteral("--song-bytes"), QStringLiteral("60000"), QStringLiteral("--metaint"), QStringLiteral("4000"),
         QStringLiteral("--name"), QStringLiteral("Local Test"), QStringLiteral("--titles"),
         QStringLiteral("Alpha - One,B\u00e9ta - Two,Guns N' Roses - Three")}));
    const Fetched f = Fetch(m_station.Port(), "/stream", true, 20000);
    ASSERT_TRUE(f.connected);
    ASSERT_TRUE(f.closedByServer);

    const Collector c = Demux(f.bytes, true);
    ASSERT_EQ(c.headers, 1);
    EXPECT_TRUE(c.header.complete);
    EXPECT_EQ(c.header.statusLine, QByteArray("ICY 200 OK"));
    EXPECT_EQ(c.header.statusCode, 200);
    EXPECT_EQ(c.header.icyName, QByteArray("Local Test"));
    EXPECT_EQ(c.header.metaInt, 4000);
    EXPECT_EQ(c.header.bitRate, 128);
    EXPECT_EQ(c.header.contentType, QByteArray("audio/mpeg"));
    EXPECT_EQ(c.audio.size(), 200000);
    EXPECT_EQ(c.blocks, 4); // the other blocks are empty: the title only goes out when it changes
    const QList<QByteArray> expected{"Alpha - One", "B\xc3\xa9ta - Two", "Guns N' Roses - Three", "Alpha - One"};
    EXPECT_EQ(c.titles, expected);

    // The log agrees with what arrived.
    const QList<QByteArray> ends = LogLines(LogPath(), "END");
    ASSERT_EQ(ends.size(), 1);
    EXPECT_TRUE(ends[0].contains(" audio=200000 ")) << ends[0].constData();
    EXPECT_TRUE(ends[0].contains(" reason=total")) << ends[0].constData();
    EXPECT_EQ(LogLines(LogPath(), "TITLE").size(), 4);
    const QList<QByteArray> requests = LogLines(LogPath(), "REQUEST");
    ASSERT_EQ(requests.size(), 1);
    EXPECT_TRUE(requests[0].endsWith("line=GET /stream HTTP/1.1"));

    const QString mp3 = m_dir.file(QStringLiteral("stream.mp3"));
    ASSERT_TRUE(WriteAll(mp3, c.audio));
    QByteArray output;
    EXPECT_TRUE(Decodes(mp3, &output)) << output.constData();
}

TEST_F(TestStation, MetadataOffAndHttpStatusStyle)
{
    ASSERT_NO_FATAL_FAILURE(
        StartStation({QStringLiteral("--fast"), QStringLiteral("--total-bytes"), QStringLiteral("50000")}));
    const Fetched f = Fetch(m_station.Port(), "/stream?style=http&metaint=1000", false, 20000);
    ASSERT_TRUE(f.closedByServer);
    const Collector c = Demux(f.bytes, false);
    EXPECT_EQ(c.header.statusLine, QByteArray("HTTP/1.0 200 OK"));
    EXPECT_EQ(c.header.statusCode, 200);
    EXPECT_FALSE(c.header.hasMetaInt);
    EXPECT_EQ(c.audio.size(), 50000);
    EXPECT_FALSE(c.audio.contains("StreamTitle"));
    const QString mp3 = m_dir.file(QStringLiteral("plain.mp3"));
    ASSERT_TRUE(WriteAll(mp3, c.audio));
    QByteArray output;
    EXPECT_TRUE(Decodes(mp3, &output)) << output.constData();
}

TEST_F(TestStation, FaultAnswers)
{
    ASSERT_NO_FATAL_FAILURE(
        StartStation({QStringLiteral("--redirect-to"), QStringLiteral("http://127.0.0.1:8010/stream")}));
    struct {
        QByteArray path;
        QByteArray statusLine;
        int code;
        QByteArray alsoContains;
    } cases[] = {
        {"/icy400", "ICY 400 Server Full", 400, ""},
        {"/icy403", "ICY 403 Service Forbidden", 403, ""},
        {"/icy404", "ICY 404 Resource Not Found", 404, ""},
        {"/http404", "HTTP/1.0 404 Not Found", 404, "<html>"},
        {"/redirect?lower=1", "HTTP/1.0 302 Found", 302, "\r\nlocation: http://127.0.0.1:8010/stream\r\n"},
        {"/browser", "HTTP/1.0 200 OK", 200, "SHOUTcast Server"},
    };
    for (const auto& c : cases) {
        const Fetched f = Fetch(m_station.Port(), c.path, true, 10000);
        EXPECT_TRUE(f.closedByServer) << c.path.constData();
        const IcyHeader h = ParseIcyHeader(f.bytes);
        EXPECT_EQ(h.statusLine, c.statusLine) << c.path.constData();
        EXPECT_EQ(h.statusCode, c.code) << c.path.constData();
        EXPECT_FALSE(h.hasIcyName) << c.path.constData();
        EXPECT_TRUE(f.bytes.contains(c.alsoContains)) << c.path.constData();
    }
    const IcyHeader redirect = ParseIcyHeader(Fetch(m_station.Port(), "/redirect?to=/noname", true, 10000).bytes);
    EXPECT_EQ(redirect.location, "http://127.0.0.1:" + QByteArray::number(m_station.Port()) + "/noname");
}

TEST_F(TestStation, DropStallAndSplitHeader)
{
    ASSERT_NO_FATAL_FAILURE(StartStation({QStringLiteral("--fast"), QStringLiteral("--metaint"), QStringLiteral("1000"),
                                          QStringLiteral("--drop-after"), QStringLiteral("5000"),
                                          QStringLiteral("--stall-after"), QStringLiteral("3000")}));
    const Fetched dropped = Fetch(m_station.Port(), "/drop", true, 10000);
    EXPECT_TRUE(dropped.closedByServer);
    EXPECT_EQ(Demux(dropped.bytes, true).audio.size(), 5000);

    // A stalled stream sends nothing more but stays open.
    const Fetched stalled = Fetch(m_station.Port(), "/stall", true, 1500);
    EXPECT_FALSE(stalled.closedByServer);
    const Collector s = Demux(stalled.bytes, true);
    EXPECT_EQ(s.audio.size(), 3000);
    EXPECT_EQ(s.titles.size(), 1);

    const Fetched split = Fetch(m_station.Port(), "/split?total=20000&noname=1", true, 10000);
    EXPECT_GE(split.reads, 3);
    const Collector c = Demux(split.bytes, true);
    EXPECT_TRUE(c.header.complete);
    EXPECT_FALSE(c.header.hasIcyName);
    EXPECT_EQ(c.header.metaInt, 1000);
    EXPECT_EQ(c.audio.size(), 20000);

    ASSERT_TRUE(WaitUntil([&] { return LogLines(LogPath(), "END").size() >= 2; }, 5000));
    const QList<QByteArray> ends = LogLines(LogPath(), "END");
    EXPECT_TRUE(ends[0].contains("path=/drop audio=5000 ")) << ends[0].constData();
}

TEST_F(TestStation, PlaylistsAndRefusedPort)
{
    ASSERT_NO_FATAL_FAILURE(StartStation({QStringLiteral("--refusing-port")}));
    ASSERT_NE(m_station.RefusingPort(), 0);
    const QByteArray own = "http://127.0.0.1:" + QByteArray::number(m_station.Port());

    const Fetched pls = Fetch(m_station.Port(), "/station.pls?paths=/icy400,refused,/stream", false, 10000);
    EXPECT_TRUE(pls.bytes.startsWith("HTTP/1.0 200 OK\r\n"));
    EXPECT_TRUE(pls.bytes.contains("\r\n\r\n[playlist]\r\nNumberOfEntries=3\r\n"));
    EXPECT_TRUE(pls.bytes.contains("File1=" + own + "/icy400\r\n"));
    EXPECT_TRUE(
        pls.bytes.contains("File2=http://127.0.0.1:" + QByteArray::number(m_station.RefusingPort()) + "/stream\r\n"));
    EXPECT_TRUE(pls.bytes.contains("File3=" + own + "/stream\r\n"));

    const Fetched m3u = Fetch(m_station.Port(), "/station.m3u", false, 10000);
    EXPECT_TRUE(m3u.bytes.contains("\r\n\r\n#EXTM3U\r\n"));
    EXPECT_TRUE(m3u.bytes.contains("\r\n" + own + "/stream\r\n"));

    const Fetched refused = Fetch(m_station.RefusingPort(), "/stream", true, 3000);
    EXPECT_FALSE(refused.connected);
}

} // namespace

// The Ogg mounts chain one logical stream per title, each with a serial
// number of its own (a song played again too) and its title's comments.
TEST_F(TestStation, OggMountsChainSongsWithTheirComments)
{
    SKIP_WITHOUT_TOOL("ffmpeg");
    ASSERT_NO_FATAL_FAILURE(StartStation(
        {QStringLiteral("--fast"), QStringLiteral("--song-seconds"), QStringLiteral("2"), QStringLiteral("--titles"),
         QStringLiteral("Alpha - One,Two Only"), QStringLiteral("--cache"), m_dir.file(QStringLiteral("cache"))}));
    const struct {
        QByteArray path;
        OggCodec codec;
        QString extension;
    } mounts[] = {{"/ogg?total=90000", OggCodec::Vorbis, ".ogg"}, {"/opus?total=90000", OggCodec::Opus, ".opus"}};
    for (const auto& m : mounts) {
        SCOPED_TRACE(m.path.constData());
        // The station encodes each song with ffmpeg as it first plays: slow
        // on a loaded machine.
        const Fetched f = Fetch(m_station.Port(), m.path, false, 120000);
        ASSERT_TRUE(f.closedByServer);
        const qsizetype body = f.bytes.indexOf("\r\n\r\n") + 4;
        ASSERT_GT(body, 4);
        EXPECT_TRUE(f.bytes.left(body).contains("content-type:audio/ogg"));
        OggLinks links;
        OggDemuxer demuxer;
        demuxer.Feed(f.bytes.mid(body), links);
        demuxer.Finish(links);
        EXPECT_EQ(demuxer.BadPages(), 0);
        EXPECT_EQ(demuxer.SkippedBytes(), 0); // whole pages only, up to the last
        // The titles in turn; only the last song may be cut.
        ASSERT_GE(links.infos.size(), 3);
        ASSERT_EQ(links.ended.size(), links.infos.size());
        QSet<quint32> serials;
        for (int i = 0; i < links.infos.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(links.infos[i].codec, m.codec);
            EXPECT_EQ(links.infos[i].artist, i % 2 ? "" : "Alpha");
            EXPECT_EQ(links.infos[i].title, i % 2 ? "Two Only" : "One");
            EXPECT_TRUE(links.ended[i] || i + 1 == links.infos.size());
            serials.insert(links.infos[i].serial);
            if (i > 2)
                continue;
            const QString file = m_dir.file(QStringLiteral("link%1").arg(i) + m.extension);
            ASSERT_TRUE(WriteAll(file, links.bytes[i]));
            QByteArray output;
            EXPECT_EQ(RunTool(QStringLiteral("ffmpeg"), {"-v", "error", "-i", file, "-f", "null", "-"}, &output), 0);
            EXPECT_EQ(output, "");
        }
        EXPECT_EQ(serials.size(), links.infos.size());
    }
}
