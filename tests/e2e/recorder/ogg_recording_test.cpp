// The real program recording a chained Ogg Vorbis or Opus station from a
// real Icecast server: a small source client sends songs made by ffmpeg,
// each its own logical stream with its own comments; the listener is kicked
// or the source goes away in the middle of a song.
#include "recorder/oggdemuxer.h"
#include "stationprocess.h"
#include "tests/e2e/icecast/icecastserver.h"
#include "tests/support/eventwait.h"
#include "tests/support/tools.h"
#include "tonquillprocess.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTimer>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Speaks Icecast's source protocol (HTTP PUT) for one mount.
class OggSource {
public:
    bool Connect(const IcecastServer& server, const QByteArray& mount)
    {
        m_socket.connectToHost(QStringLiteral("127.0.0.1"), server.Port());
        if (!WaitUntil([&] { return m_socket.state() == QAbstractSocket::ConnectedState; }, 5000))
            return false;
        m_socket.write("PUT " + mount + " HTTP/1.1\r\nHost: 127.0.0.1\r\nAuthorization: Basic " +
                       ("source:" + server.SourcePassword()).toBase64() +
                       "\r\nContent-Type: audio/ogg\r\nIce-Name: Ogg Test Radio\r\nIce-Public: 0\r\n"
                       "Expect: 100-continue\r\n\r\n");
        WaitUntil(
            [&] {
                m_answer += m_socket.readAll();
                return m_answer.contains("\r\n\r\n") || m_socket.state() != QAbstractSocket::ConnectedState;
            },
            5000);
        return m_answer.startsWith("HTTP/1.1 100") || m_answer.startsWith("HTTP/1.0 200") ||
               m_answer.startsWith("HTTP/1.1 200");
    }
    void Send(const QByteArray& bytes)
    {
        m_socket.write(bytes);
        WaitUntil([&] { return m_socket.bytesToWrite() == 0; }, 5000);
    }
    QByteArray Answer() const { return m_answer; }
    void Close() { m_socket.abort(); }

private:
    QTcpSocket m_socket;
    QByteArray m_answer;
};

// The header pages of the first logical stream in `bytes`.
QByteArray HeaderPagesOf(const QByteArray& bytes)
{
    struct Sink : OggDemuxer::Sink {
        QByteArray headers;
        void OnStreamStart(const OggStreamInfo& info) override
        {
            if (headers.isEmpty())
                headers = info.headerPages;
        }
        void OnPage(const char*, qsizetype) override {}
        void OnStreamEnd(bool) override {}
    } sink;
    OggDemuxer demuxer;
    demuxer.Feed(bytes, sink);
    return sink.headers;
}

// The pages of a well-formed Ogg stream, in order.
QList<QByteArray> PagesOf(const QByteArray& bytes)
{
    QList<QByteArray> pages;
    for (qsizetype at = 0; at + kOggPageHeaderBytes <= bytes.size();) {
        const int segments = quint8(bytes[at + 26]);
        qsizetype size = kOggPageHeaderBytes + segments;
        for (int i = 0; i < segments; ++i)
            size += quint8(bytes[at + kOggPageHeaderBytes + i]);
        pages << bytes.mid(at, size);
        at += size;
    }
    return pages;
}

enum class Codec { Vorbis, Opus };

QByteArray Song(const TempFolder& dir, const QString& name, int frequency, int serial, const QStringList& comments,
                int seconds, Codec codec = Codec::Vorbis)
{
    const QString path = dir.file(name);
    QStringList args{"-v",
                     "error",
                     "-y",
                     "-f",
                     "lavfi",
                     "-i",
                     QStringLiteral("sine=f=%1:d=%2").arg(frequency).arg(seconds),
                     "-ac",
                     "1",
                     "-serial_offset",
                     QString::number(serial)};
    if (codec == Codec::Opus)
        args << "-ar"
             << "48000"
             << "-c:a"
             << "libopus"
             << "-b:a"
             << "32k"
             << "-page_duration"
             << "200000";
    else
        args << "-ar"
             << "22050"
             << "-c:a"
             << "libvorbis";
    for (const QString& c : comments)
        args << "-metadata" << c;
    args << path;
    QByteArray output;
    if (RunTool(QStringLiteral("ffmpeg"), args, &output) != 0)
        return QByteArray();
    return ReadAll(path);
}

class OggStation : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString why;
        if (!IcecastServer::Available(&why))
            SKIP_FOR_MISSING_TOOL(why);
        makeSongs(Codec::Vorbis);
        QObject::connect(&pace, &QTimer::timeout, [&] {
            if (sent < pages.size() - 1)
                source->Send(pages[sent++]);
        });
    }

    void makeSongs(Codec codec)
    {
        const QString ext = codec == Codec::Opus ? QStringLiteral(".opus") : QStringLiteral(".ogg");
        first = Song(songs, "1" + ext, 440, 1000, {"ARTIST=Ann Ogg", "TITLE=First Song"}, 20, codec);
        second = Song(songs, "2" + ext, 660, 2000, {"TITLE=Second: Song", "ARTIST=Bob"}, 3, codec);
        ASSERT_FALSE(first.isEmpty());
        ASSERT_FALSE(second.isEmpty());
        third = Song(songs, "3" + ext, 880, 3000, {"TITLE=Third"}, 2, codec);
        ASSERT_FALSE(third.isEmpty());
        headers = HeaderPagesOf(first);
        ASSERT_FALSE(headers.isEmpty());
    }

    // Starts the station and the recorder with the preset's `capture`. The
    // source plays the first song page by page, a page each `paceMs`, like
    // a live station, holding back its last page.
    void startRecording(const QString& capture, int paceMs = 200)
    {
        IcecastServer::Options options;
        options.mount = "/radio.ogg";
        server = std::make_unique<IcecastServer>(options);
        ASSERT_TRUE(server->Start()) << server->LastError().toStdString();
        ASSERT_NO_FATAL_FAILURE(connectSource());
        pages = PagesOf(first);
        sent = 0;
        pace.start(paceMs);

        const QString preset = home.file(QStringLiteral("ogg.tvp"));
        const QString playlist = QStringLiteral("http://127.0.0.1:%1/radio.ogg.m3u").arg(server->Port());
        WriteAll(preset, (QStringLiteral("Ogg Test Radio\r\n") + playlist + "\r\n" + capture + "\r\n" + out.path() +
                          "\r\n 0 \r\n 0 \r\n")
                             .toUtf8());
        tonquill = std::make_unique<Tonquill>(home.path());
        ASSERT_TRUE(tonquill->Start({preset}));
    }
    void connectSource()
    {
        source = std::make_unique<OggSource>();
        ASSERT_TRUE(source->Connect(*server, server->Mount()))
            << source->Answer().constData() << server->ErrorLog().toStdString();
    }
    // The first song's pages not sent yet, then `more`, at once.
    void sendRest(const QByteArray& more)
    {
        pace.stop();
        QByteArray rest;
        for (qsizetype i = sent; i < pages.size(); ++i)
            rest += pages[i];
        sent = pages.size();
        source->Send(rest + more);
    }
    void stopRecording()
    {
        tonquill->Signal(SIGTERM);
        ASSERT_TRUE(tonquill->WaitForEnd(10000));
    }

    // Records the songs with the preset's `capture`: the first is paced
    // until the recorder announces `announced`; it joins there (the header
    // pages, then the current pages), and the rest is sent at once.
    // Icecast pages Vorbis anew and holds a song's last page until more
    // comes: a third song follows. Returns when the output `done` shows (or
    // `last`, a file in the output folder, holds the third song's comments)
    // and the program ended.
    void record(const QString& capture, const QByteArray& announced, const QString& last, const QByteArray& done)
    {
        ASSERT_NO_FATAL_FAILURE(startRecording(capture));
        ASSERT_TRUE(tonquill->WaitForOutput(announced, 20000))
            << tonquill->Output().constData() << tonquill->Errors().constData();
        sendRest(second + third);
        ASSERT_TRUE(WaitUntil(
            [&] {
                return done.isEmpty() ? ReadAll(out.file(last)).contains("TITLE=Third")
                                      : tonquill->Output().contains(done);
            },
            30000))
            << QDir(out.path()).entryList().join(',').toStdString() << tonquill->Output().constData();
        ASSERT_NO_FATAL_FAILURE(stopRecording());
    }

    // A chained file's timestamps start again at each song, which FFmpeg's
    // muxers report even for a chain of its own files: `chained` times the
    // decoded audio anew, so only decoding faults are left to report.
    static ::testing::AssertionResult decodes(const QString& file, bool chained = false)
    {
        QStringList args{"-v", "error", "-i", file};
        if (chained)
            args << "-af"
                 << "aresample=async=1";
        args << "-f"
             << "null"
             << "-";
        QByteArray output;
        const int rc = RunTool(QStringLiteral("ffmpeg"), args, &output);
        if (rc == 0 && output.isEmpty())
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << file.toStdString() << ": ffmpeg exit " << rc << ": " << output.constData();
    }
    static double secondsOf(const QString& file)
    {
        QByteArray output;
        RunTool(QStringLiteral("ffprobe"), {"-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", file},
                &output);
        return output.trimmed().toDouble();
    }
    QStringList files() const { return QDir(out.path()).entryList(QDir::Files); }

    TempFolder songs, home, out;
    QByteArray first, second, third, headers;
    std::unique_ptr<IcecastServer> server;
    std::unique_ptr<OggSource> source;
    std::unique_ptr<Tonquill> tonquill;
    QList<QByteArray> pages; // the first song's
    qsizetype sent = 0;
    QTimer pace;
};

} // namespace

TEST_F(OggStation, ChainedVorbisGivesOneDecodableFilePerSong)
{
    const QString one = QStringLiteral("Ann Ogg - First Song.ogg");
    const QString two = QStringLiteral("Bob - Second Song.ogg"); // ":" cleaned from the name
    // The third song's file opens with its first page of audio.
    record(QStringLiteral("SONGNAMEONLY"), "Now Recording: " + one.toUtf8(), two, "Now Recording: Third.ogg");
    // The third song was still playing when the recording stopped.
    EXPECT_EQ(files(), (QStringList{one, two, QStringLiteral("Third.ogg")}));
    for (const QString& name : files()) {
        SCOPED_TRACE(name.toStdString());
        const QByteArray bytes = ReadAll(out.file(name));
        EXPECT_TRUE(bytes.startsWith("OggS"));
        EXPECT_NE(bytes.right(128).left(3), "TAG"); // the comments are the tags
        EXPECT_TRUE(decodes(out.file(name)));
    }
    EXPECT_TRUE(ReadAll(out.file(one)).contains("TITLE=First Song"));
    EXPECT_TRUE(ReadAll(out.file(two)).contains("TITLE=Second: Song"));
    // The song the recorder heard from its start lasts as long as it (3 s),
    // within a page (0.2 s).
    EXPECT_NEAR(secondsOf(out.file(two)), 3.0, 0.25);
}

TEST_F(OggStation, SingleFileHoldsTheChainWhole)
{
    // The name asked for takes the stream's extension.
    record(QStringLiteral("FILENAME whole show.mp3"), "Now Recording: whole show.ogg", QStringLiteral("whole show.ogg"),
           QByteArray());
    EXPECT_EQ(files(), QStringList{QStringLiteral("whole show.ogg")});
    const QByteArray whole = ReadAll(out.file(QStringLiteral("whole show.ogg")));
    EXPECT_TRUE(whole.startsWith("OggS"));
    EXPECT_TRUE(whole.contains("TITLE=First Song") && whole.contains("TITLE=Second: Song") &&
                whole.contains("TITLE=Third"));
    EXPECT_TRUE(decodes(out.file(QStringLiteral("whole show.ogg")), true));
}

TEST_F(OggStation, ChainedOpusGivesOneDecodableFilePerSong)
{
    ASSERT_NO_FATAL_FAILURE(makeSongs(Codec::Opus));
    const QString one = QStringLiteral("Ann Ogg - First Song.opus");
    const QString two = QStringLiteral("Bob - Second Song.opus");
    ASSERT_NO_FATAL_FAILURE(
        record(QStringLiteral("SONGNAMEONLY"), "Now Recording: " + one.toUtf8(), two, "Now Recording: Third.opus"));
    EXPECT_EQ(files(), (QStringList{one, two, QStringLiteral("Third.opus")}));
    for (const QString& name : files()) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_TRUE(ReadAll(out.file(name)).startsWith("OggS"));
        EXPECT_TRUE(decodes(out.file(name)));
    }
    EXPECT_TRUE(ReadAll(out.file(two)).contains("TITLE=Second: Song"));
    // Within a page (0.2 s) of the song's 3 s.
    EXPECT_NEAR(secondsOf(out.file(two)), 3.0, 0.2);
    EXPECT_LE(secondsOf(out.file(one)), 20.2);
}

// A listener kicked in the middle of a song comes back to the header pages
// and a burst of pages it recorded already: the song goes on in its file,
// every page once (Icecast hands Opus pages on as the source sent them).
TEST_F(OggStation, AKickedListenerGoesOnWithTheSongInItsFile)
{
    ASSERT_NO_FATAL_FAILURE(makeSongs(Codec::Opus));
    const QString one = QStringLiteral("Ann Ogg - First Song.opus");
    const QString two = QStringLiteral("Bob - Second Song.opus");
    ASSERT_NO_FATAL_FAILURE(startRecording(QStringLiteral("SONGNAMEONLY"), 100));
    ASSERT_TRUE(tonquill->WaitForOutput("Now Recording: " + one.toUtf8(), 20000)) << tonquill->Output().constData();
    // A quarter of the song recorded: the burst (64 KB) reaches back over it.
    ASSERT_TRUE(WaitUntil([&] { return QFileInfo(out.file(one)).size() > first.size() / 4; }, 20000));
    ASSERT_GT(server->KickListeners(), 0);
    ASSERT_TRUE(tonquill->WaitForOutput("Reconnected: joined where the recording left off", 20000))
        << tonquill->Output().constData();
    ASSERT_TRUE(WaitUntil([&] { return sent >= pages.size() - 1; }, 30000));
    sendRest(second + third);
    ASSERT_TRUE(tonquill->WaitForOutput("Now Recording: Third.opus", 30000)) << tonquill->Output().constData();
    ASSERT_NO_FATAL_FAILURE(stopRecording());
    EXPECT_EQ(files(), (QStringList{one, two, QStringLiteral("Third.opus")}));
    // The burst brought pages recorded before the kick again.
    const QRegularExpressionMatch leftOut =
        QRegularExpression(QStringLiteral("\\((\\d+) page\\(s\\) already recorded left out\\)"))
            .match(QString::fromUtf8(tonquill->Output()));
    ASSERT_TRUE(leftOut.hasMatch());
    EXPECT_GT(leftOut.captured(1).toInt(), 0);
    // The header pages, then the song's pages in a row up to its end (all
    // of them when the recorder came in time for the song's beginning).
    const QByteArray file = ReadAll(out.file(one));
    EXPECT_TRUE(file.startsWith(headers));
    EXPECT_GT(file.size(), first.size() / 2);
    EXPECT_TRUE(first.endsWith(file.mid(headers.size())));
    EXPECT_TRUE(decodes(out.file(one)));
}

// The source goes away in the middle of a song and comes back with the
// next one: the cut song's file ends with whole pages, the next song gets
// its own.
TEST_F(OggStation, ASourceOutageEndsTheCutSongsFile)
{
    ASSERT_NO_FATAL_FAILURE(makeSongs(Codec::Opus));
    const QString one = QStringLiteral("Ann Ogg - First Song.opus");
    const QString two = QStringLiteral("Bob - Second Song.opus");
    ASSERT_NO_FATAL_FAILURE(startRecording(QStringLiteral("SONGNAMEONLY")));
    ASSERT_TRUE(tonquill->WaitForOutput("Now Recording: " + one.toUtf8(), 20000)) << tonquill->Output().constData();
    ASSERT_TRUE(WaitUntil([&] { return QFileInfo(out.file(one)).size() > first.size() / 4; }, 20000));
    pace.stop();
    source->Close();
    ASSERT_TRUE(tonquill->WaitForOutput("Reconnecting", 20000)) << tonquill->Output().constData();
    ASSERT_TRUE(WaitUntil([&] { return server->Get(server->Mount(), false, 1000).status == 404; }, 15000));
    ASSERT_NO_FATAL_FAILURE(connectSource());
    // All of the next song but its last page, which Icecast holds until more comes.
    const QList<QByteArray> next = PagesOf(second);
    source->Send(second.left(second.size() - next.last().size()));
    ASSERT_TRUE(tonquill->WaitForOutput("Now Recording: " + two.toUtf8(), 30000)) << tonquill->Output().constData();
    source->Send(next.last() + third);
    ASSERT_TRUE(tonquill->WaitForOutput("Now Recording: Third.opus", 30000)) << tonquill->Output().constData();
    ASSERT_NO_FATAL_FAILURE(stopRecording());
    EXPECT_EQ(files(), (QStringList{one, two, QStringLiteral("Third.opus")}));
    const QByteArray cut = ReadAll(out.file(one));
    EXPECT_GT(cut.size(), headers.size());
    // The header pages, then whole pages of the song in a row.
    EXPECT_TRUE(cut.startsWith(headers));
    EXPECT_GE(first.indexOf(cut.mid(headers.size())), headers.size());
    for (const QString& name : {one, two}) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_TRUE(decodes(out.file(name)));
    }
    EXPECT_NEAR(secondsOf(out.file(two)), 3.0, 0.2);
}
