// The real program, headless, recording HLS stations of the local test
// station: every frame the station sent is in exactly one song file, and
// each song file holds exactly the frames of its song (the station numbers
// its frames, and its songs begin at known frames).
#include "listen/ctlmp3server.h"
#include "listen/pcmoutput.h"
#include "listen/streamplayer.h"
#include "listen/system/aacdecoder.h"
#include "stationprocess.h"
#include "tests/support/eventwait.h"
#include "tests/support/ports.h"
#include "tonquillprocess.h"

#include <QDir>
#include <QStandardPaths>
#include <QTcpSocket>
#include <cmath>
#include <gtest/gtest.h>

namespace {
constexpr int kRate = 44100;

struct Song {
    QString file;
    QList<quint32> frames;
};

// The numbered frames of a recording (ADTS or MPEG audio), its ID3v1 tag left out.
QList<quint32> framesOf(const QByteArray& whole, bool mp3, bool* whole_frames)
{
    QByteArray b = whole;
    if (b.size() >= 128 && b.mid(b.size() - 128, 3) == "TAG")
        b.chop(128);
    QList<quint32> numbers;
    qsizetype p = 0;
    *whole_frames = true;
    while (p + 12 <= b.size()) {
        const auto* d = reinterpret_cast<const uchar*>(b.constData()) + p;
        qsizetype size = 0;
        if (mp3)
            size = (d[2] >> 4) == 9 ? 417 : 208;
        else
            size = (qsizetype(d[3] & 3) << 11) | (qsizetype(d[4]) << 3) | (d[5] >> 5);
        if (d[0] != 0xff || size < 12) {
            *whole_frames = false;
            return numbers;
        }
        const int at = mp3 ? 8 : 7;
        numbers << ((quint32(d[at]) << 24) | (quint32(d[at + 1]) << 16) | (quint32(d[at + 2]) << 8) | d[at + 3]);
        p += size;
    }
    *whole_frames = p == b.size();
    return numbers;
}

QList<Song> songsIn(const QString& folder, bool mp3)
{
    QList<Song> songs;
    for (const QFileInfo& info :
         QDir(folder).entryInfoList({QStringLiteral("*.aac"), QStringLiteral("*.mp3")}, QDir::Files)) {
        bool whole = false;
        Song song{info.fileName(), framesOf(ReadAll(info.filePath()), mp3, &whole)};
        EXPECT_TRUE(whole) << song.file.toStdString();
        songs << song;
    }
    std::sort(songs.begin(), songs.end(),
              [](const Song& a, const Song& b) { return a.frames.value(0) < b.frames.value(0); });
    return songs;
}

class HlsRecording : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(WriteAll(dir.file(QStringLiteral("Tonquill-user.ini")), "[Registration]\r\nCleanCuts=0\r\n"));
        ASSERT_TRUE(station.Start({QStringLiteral("--synth")}, dir.file(QStringLiteral("station.log"))));
    }
    // A preset of the station's `path` (and its query); "!L-" before the
    // title asks it to listen.
    QString preset(const QString& pathAndQuery, const QString& capture = QStringLiteral("SONGNAMEONLY"),
                   const QString& title = QStringLiteral("HLS Station"))
    {
        const QString playlist = QStringLiteral("http://127.0.0.1:%1%2&as=.m3u8").arg(station.Port()).arg(pathAndQuery);
        const QString path = dir.file(QStringLiteral("hls.tvp"));
        WriteAll(path,
                 (title + "\r\n" + playlist + "\r\n" + capture + "\r\n" + recordings.path() + "\r\n 0 \r\n 0 \r\n")
                     .toUtf8());
        return path;
    }
    // Records `path` (and its query) to its end; the program's output.
    QByteArray record(const QString& pathAndQuery, int timeoutMs,
                      const QString& capture = QStringLiteral("SONGNAMEONLY"))
    {
        Tonquill tonquill(dir.path());
        EXPECT_TRUE(tonquill.Start({preset(pathAndQuery, capture)}));
        EXPECT_TRUE(tonquill.WaitForEnd(timeoutMs)) << tonquill.Output().toStdString();
        EXPECT_EQ(tonquill.ExitStatus(), QProcess::NormalExit);
        EXPECT_EQ(tonquill.ExitCode(), 0) << tonquill.Output().toStdString();
        return tonquill.Output();
    }
    TempFolder dir;
    TempFolder recordings;
    StationProcess station;
};

TEST_F(HlsRecording, FinishedStreamsCutAtTheFrame)
{
    struct Row {
        const char* name;
        QString path;
        bool mp3;
        int songSeconds;
        bool atSegments; // packed: songs begin at segment starts
    };
    // 12 segments of 2 s; songs of 7 s (packed: 4 segments).
    const QList<Row> rows = {
        {"MPEG-TS, timed ID3 inside segments", QStringLiteral("/hls/ts.m3u8?end=12"), false, 7, false},
        {"MPEG-TS with MP3", QStringLiteral("/hls/ts.m3u8?end=12&codec=mp3"), true, 7, false},
        {"packed AAC, ID3 at segment starts", QStringLiteral("/hls/packed.m3u8?end=12"), false, 8, true},
        {"packed AAC, #EXTINF titles", QStringLiteral("/hls/packed.m3u8?end=12&extinf=1"), false, 8, true},
        {"AES-128", QStringLiteral("/hls/ts.m3u8?end=12&aes=1"), false, 7, false},
        {"fragmented MP4, ID3 in emsg", QStringLiteral("/hls/fmp4.m3u8?end=12"), false, 7, false},
        {"fragmented MP4, AES-128, a discontinuity", QStringLiteral("/hls/fmp4.m3u8?end=12&aes=1&disc=5"), false, 7,
         false},
        {"fragmented MP4, its initialization section encrypted too", QStringLiteral("/hls/fmp4.m3u8?end=12&aes=2"),
         false, 7, false},
        {"master playlist", QStringLiteral("/hls/master.m3u8?end=12"), false, 8, true},
        {"a discontinuity", QStringLiteral("/hls/ts.m3u8?end=12&disc=5"), false, 7, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QDir(recordings.path()).removeRecursively();
        QDir().mkpath(recordings.path());
        const QByteArray out = record(row.path, 60000);
        const int spf = row.mp3 ? 1152 : 1024;
        const auto songStart = [&](int k) { return quint32(std::ceil(double(k) * row.songSeconds * kRate / spf)); };
        const quint32 total = quint32((12LL * 2 * kRate + spf - 1) / spf);
        const QList<Song> songs = songsIn(recordings.path(), row.mp3);
        ASSERT_GE(songs.size(), 3) << out.toStdString();
        quint32 next = 0;
        for (int k = 0; k < songs.size(); ++k) {
            const Song& song = songs[k];
            SCOPED_TRACE(song.file.toStdString());
            ASSERT_FALSE(song.frames.isEmpty());
            // Each song: its own frames, whole, from its first to the next song's.
            EXPECT_EQ(song.frames.first(), next);
            EXPECT_EQ(song.frames.first(), songStart(k));
            for (int i = 1; i < song.frames.size(); ++i)
                ASSERT_EQ(song.frames[i], song.frames[i - 1] + 1);
            next = song.frames.last() + 1;
            if (k + 1 < songs.size()) {
                EXPECT_EQ(next, songStart(k + 1));
            }
        }
        EXPECT_EQ(next, total);
    }
}

TEST_F(HlsRecording, ArchiveAndSingleFileHoldEveryFrameInOneFile)
{
    for (const QString& capture : {QStringLiteral("Archive"), QStringLiteral("FILENAME:whole.aac")}) {
        SCOPED_TRACE(capture.toStdString());
        QDir(recordings.path()).removeRecursively();
        QDir().mkpath(recordings.path());
        const QByteArray out = record(QStringLiteral("/hls/ts.m3u8?end=6"), 60000, capture);
        const QList<Song> songs = songsIn(recordings.path(), false);
        ASSERT_EQ(songs.size(), 1) << out.toStdString();
        EXPECT_TRUE(songs[0].file.endsWith(QLatin1String(".aac")));
        const quint32 total = quint32((6LL * 2 * kRate + 1023) / 1024);
        ASSERT_EQ(songs[0].frames.size(), int(total));
        for (int i = 0; i < songs[0].frames.size(); ++i)
            ASSERT_EQ(songs[0].frames[i], quint32(i));
    }
}

TEST_F(HlsRecording, LiveFaultsRetriedAndGapsSaid)
{
    // Live, 1 s segments: segment 3 fails once (asked again), the window
    // jumps 5 segments ahead once segment 9 is listed, and the stream ends at 16.
    const QByteArray out = record(QStringLiteral("/hls/ts.m3u8?seg=1&window=4&song=5&fail=3&jump=9&stop=16"), 60000);
    EXPECT_TRUE(out.contains("HLS: segment 3 could not be loaded")) << out.toStdString();
    EXPECT_TRUE(out.contains("segment(s) missed")) << out.toStdString();
    const QList<Song> songs = songsIn(recordings.path(), false);
    ASSERT_FALSE(songs.isEmpty());
    // No frame twice, and one hole only: the segments the jump passed.
    QList<quint32> all;
    for (const Song& song : songs)
        all += song.frames;
    std::sort(all.begin(), all.end());
    int holes = 0;
    for (int i = 1; i < all.size(); ++i) {
        ASSERT_NE(all[i], all[i - 1]);
        if (all[i] != all[i - 1] + 1)
            ++holes;
    }
    EXPECT_EQ(holes, 1);
    EXPECT_EQ(all.last() + 1, quint32((17LL * kRate + 1023) / 1024));
}

// Every frame recorded, from the first to `last`, once: the first at a
// segment's start (1 s segments).
void expectEveryFrameOnceUpTo(const QList<Song>& songs, quint32 last)
{
    QList<quint32> all;
    for (const Song& song : songs)
        all += song.frames;
    std::sort(all.begin(), all.end());
    ASSERT_FALSE(all.isEmpty());
    for (int i = 1; i < all.size(); ++i)
        ASSERT_EQ(all[i], all[i - 1] + 1) << "at " << i;
    bool segmentStart = false;
    for (qint64 k = 0; k < 100 && !segmentStart; ++k)
        segmentStart = quint32((k * kRate + 1023) / 1024) == all.first();
    EXPECT_TRUE(segmentStart) << all.first();
    EXPECT_EQ(all.last(), last);
}

// A playlist that stops changing is an outage after three target
// durations: the status says the recorder reconnects, and after the give-up
// time without a stream the recording ends as an ICY one does, every frame
// the station listed in its files.
TEST_F(HlsRecording, AStalledPlaylistReconnectsThenGivesUp)
{
    ASSERT_TRUE(WriteAll(dir.file(QStringLiteral("Tonquill-user.ini")),
                         "[Registration]\r\nCleanCuts=0\r\nGiveUpMinutes=1\r\n"));
    // 1 s segments; the playlist stalls once it lists segment 6.
    Tonquill tonquill(dir.path());
    ASSERT_TRUE(tonquill.Start({preset(QStringLiteral("/hls/ts.m3u8?seg=1&window=3&song=3&stall=6"))}));
    ASSERT_TRUE(tonquill.WaitForOutput("[ERR] NETWORK: Reconnecting...", 30000)) << tonquill.Output().toStdString();
    ASSERT_TRUE(tonquill.WaitForEnd(150000)) << tonquill.Output().toStdString();
    EXPECT_EQ(tonquill.ExitStatus(), QProcess::NormalExit);
    const QByteArray said = tonquill.Output() + tonquill.Errors();
    EXPECT_TRUE(said.contains("Network errors have interrupted successful recording of HLS Station!"))
        << said.toStdString();
    const QList<Song> songs = songsIn(recordings.path(), false);
    expectEveryFrameOnceUpTo(songs, quint32((7LL * kRate + 1023) / 1024) - 1);
    // The files are closed: each song has its tag.
    for (const QFileInfo& info : QDir(recordings.path()).entryInfoList({QStringLiteral("*.aac")}, QDir::Files)) {
        const QByteArray bytes = ReadAll(info.filePath());
        EXPECT_EQ(bytes.mid(bytes.size() - 128, 3), QByteArray("TAG")) << info.fileName().toStdString();
    }
}

// Listening while an HLS station records: the relay serves the station's
// ADTS frames, which ffprobe knows as AAC, ffmpeg decodes without a fault,
// and the built-in player plays.
TEST_F(HlsRecording, TheRelayServesAacThatPlayersDecode)
{
    if (QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("ffprobe")).isEmpty())
        GTEST_SKIP() << "ffmpeg is not installed";
    const QByteArray relayTaken = "Another recorder is relaying on";
    Tonquill tonquill(dir.path());
    ASSERT_TRUE(tonquill.Start({preset(QStringLiteral("/hls/ts.m3u8?seg=1&window=3&song=5&playable=1&stop=60"),
                                       QStringLiteral("SONGNAMEONLY"), QStringLiteral("!L-HLS Station"))}));
    const QString relay = QStringLiteral("http://127.0.0.1:%1/streamer.mp3").arg(ctlMP3Server::kDefaultPort);
    // The relay answers once it has audio; another program may hold its port.
    QByteArray head;
    const auto answered = [&] {
        QTcpSocket probe;
        probe.connectToHost(QStringLiteral("127.0.0.1"), ctlMP3Server::kDefaultPort);
        if (!probe.waitForConnected(500))
            return false;
        probe.write("GET /streamer.mp3 HTTP/1.0\r\n\r\n");
        for (int i = 0; i < 10 && !head.contains("\r\n\r\n") && probe.waitForReadyRead(200); ++i)
            head += probe.readAll();
        return head.contains("\r\n\r\n");
    };
    ASSERT_TRUE(WaitUntil([&] { return tonquill.Output().contains(relayTaken) || answered(); }, 30000))
        << tonquill.Output().toStdString();
    if (tonquill.Output().contains(relayTaken))
        GTEST_SKIP() << "the relay's port is taken here";
    EXPECT_TRUE(head.startsWith("ICY 200 OK\r\nContent-Type: audio/aac\r\n")) << head.toStdString();

    // ffprobe's reading of the stream.
    QByteArray probed;
    EXPECT_EQ(RunTool(QStringLiteral("ffprobe"),
                      {"-v", "error", "-select_streams", "a", "-show_entries", "stream=codec_name,sample_rate,channels",
                       "-of", "csv=p=0", relay},
                      &probed),
              0);
    EXPECT_EQ(probed.trimmed(), QByteArray("aac,44100,2"));
    // ffmpeg decodes 3 s of it without a complaint.
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), {"-v", "error", "-i", relay, "-t", "3", "-f", "s16le", "-"});
    ASSERT_TRUE(ffmpeg.waitForStarted(5000));
    QByteArray pcm;
    QObject::connect(&ffmpeg, &QProcess::readyReadStandardOutput, [&] { pcm += ffmpeg.readAllStandardOutput(); });
    ASSERT_TRUE(WaitUntil([&] { return ffmpeg.state() == QProcess::NotRunning; }, 30000));
    pcm += ffmpeg.readAllStandardOutput();
    EXPECT_EQ(ffmpeg.exitCode(), 0);
    EXPECT_EQ(ffmpeg.readAllStandardError(), QByteArray());
    EXPECT_NEAR(double(pcm.size()), 3.0 * kRate * 4, 1024 * 4);

    // The built-in player, with its AAC decoder.
    auto output = std::make_unique<NullPcmOutput>();
    NullPcmOutput* sound = output.get();
    StreamPlayer player(std::move(output));
    player.setAacDecoderMaker([](QString&) { return std::make_unique<AacFeedDecoder>(); });
    player.Open(relay);
    player.Play();
    ASSERT_TRUE(WaitUntil(
        [&] { return player.ActiveDecoder() && player.ActiveDecoder()->FramesDecoded() >= 2 * kRate; }, 20000))
        << player.Status().toStdString();
    EXPECT_EQ(player.ActiveDecoder()->Errors(), 0);
    EXPECT_EQ(player.Decoder().FramesDecoded(), 0) << "not taken for MP3";
    EXPECT_EQ(sound->sampleRate(), kRate);
    EXPECT_EQ(sound->channels(), 2);
    player.Stop();
    EXPECT_FALSE(tonquill.Output().contains(relayTaken));
    tonquill.Signal(SIGTERM);
    ASSERT_TRUE(tonquill.WaitForEnd(10000));
    EXPECT_EQ(tonquill.ExitCode(), 0) << tonquill.Errors().toStdString();
}

// A stream FFmpeg writes (its own HLS muxer over an AAC file: MPEG-TS or
// fragmented MP4 segments), served from a folder: the recording is the
// source's ADTS frames, byte for byte.
TEST(HlsFfmpegStream, RecordingEqualsTheSourceFrames)
{
    if (QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty())
        GTEST_SKIP() << "ffmpeg is not installed";
    TempFolder sources;
    const QString source = sources.file(QStringLiteral("source.aac"));
    ASSERT_EQ(
        RunTool(QStringLiteral("ffmpeg"), {"-v", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=440:duration=12",
                                           "-c:a", "aac", "-b:a", "128k", "-f", "adts", source}),
        0);
    const QByteArray expected = ReadAll(source);
    ASSERT_FALSE(expected.isEmpty());
    struct Row {
        const char* name;
        QStringList options;
        QString segment;
    };
    const QList<Row> rows = {
        {"MPEG-TS", {}, QStringLiteral("seg%03d.ts")},
        {"fragmented MP4", {"-bsf:a", "aac_adtstoasc", "-hls_segment_type", "fmp4"}, QStringLiteral("seg%03d.m4s")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempFolder dir, site, recordings;
        ASSERT_EQ(
            RunTool(QStringLiteral("ffmpeg"),
                    QStringList{"-v", "error", "-y", "-i", source, "-c", "copy"} + row.options +
                        QStringList{"-f", "hls", "-hls_time", "2", "-hls_playlist_type", "vod", "-hls_segment_filename",
                                    site.file(row.segment), site.file(QStringLiteral("index.m3u8"))}),
            0);
        // The folder served on 127.0.0.1.
        QProcess server;
        int port = 0;
        for (int attempt = 0; attempt < 5 && port == 0; ++attempt) {
            const int candidate = UnusedPort();
            server.start(QStringLiteral("python3"), {"-m", "http.server", QString::number(candidate), "--bind",
                                                     "127.0.0.1", "--directory", site.path()});
            ASSERT_TRUE(server.waitForStarted(5000));
            const bool up = WaitUntil(
                [&] {
                    QTcpSocket probe;
                    probe.connectToHost(QStringLiteral("127.0.0.1"), quint16(candidate));
                    return probe.waitForConnected(200) || server.state() == QProcess::NotRunning;
                },
                5000);
            if (up && server.state() == QProcess::Running)
                port = candidate;
            else
                server.waitForFinished(2000);
        }
        ASSERT_NE(port, 0);
        ASSERT_TRUE(WriteAll(dir.file(QStringLiteral("Tonquill-user.ini")), "[Registration]\r\nCleanCuts=0\r\n"));
        const QString preset = dir.file(QStringLiteral("ff.tvp"));
        WriteAll(preset,
                 QStringLiteral("FFmpeg HLS\r\nhttp://127.0.0.1:%1/index.m3u8\r\nSONGNAMEONLY\r\n%2\r\n 0 \r\n 0 \r\n")
                     .arg(port)
                     .arg(recordings.path())
                     .toUtf8());
        Tonquill tonquill(dir.path());
        ASSERT_TRUE(tonquill.Start({preset}));
        EXPECT_TRUE(tonquill.WaitForEnd(60000)) << tonquill.Output().toStdString();
        EXPECT_EQ(tonquill.ExitCode(), 0);
        server.kill();
        server.waitForFinished(3000);
        const QFileInfoList files = QDir(recordings.path()).entryInfoList({QStringLiteral("*.aac")}, QDir::Files);
        ASSERT_EQ(files.size(), 1) << tonquill.Output().toStdString();
        QByteArray recorded = ReadAll(files[0].filePath());
        if (recorded.size() >= 128 && recorded.mid(recorded.size() - 128, 3) == "TAG")
            recorded.chop(128);
        EXPECT_EQ(recorded.size(), expected.size());
        EXPECT_TRUE(recorded == expected);
    }
}
} // namespace
