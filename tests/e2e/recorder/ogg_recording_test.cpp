// The real program recording a chained Ogg Vorbis station from a real
// Icecast server: a small source client sends two songs made by ffmpeg,
// each its own logical stream with its own comments.
#include "recorder/oggdemuxer.h"
#include "stationprocess.h"
#include "tests/e2e/icecast/icecastserver.h"
#include "tests/support/eventwait.h"
#include "tests/support/tools.h"
#include "tonquillprocess.h"

#include <QDir>
#include <QTcpSocket>
#include <QTimer>
#include <csignal>
#include <gtest/gtest.h>

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

QByteArray Song(const TempFolder& dir, const QString& name, int frequency, int serial, const QStringList& comments,
                int seconds)
{
    const QString path = dir.file(name);
    QStringList args{"-v",
                     "error",
                     "-y",
                     "-f",
                     "lavfi",
                     "-i",
                     QStringLiteral("sine=f=%1:d=3").arg(frequency),
                     "-ac",
                     "1",
                     "-ar",
                     "22050",
                     "-c:a",
                     "libvorbis",
                     "-serial_offset",
                     QString::number(serial)};
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
        first = Song(songs, "1.ogg", 440, 1000, {"ARTIST=Ann Ogg", "TITLE=First Song"}, 20);
        second = Song(songs, "2.ogg", 660, 2000, {"TITLE=Second: Song", "ARTIST=Bob"}, 3);
        ASSERT_FALSE(first.isEmpty());
        ASSERT_FALSE(second.isEmpty());
        third = Song(songs, "3.ogg", 880, 3000, {"TITLE=Third"}, 2);
        ASSERT_FALSE(third.isEmpty());
        headers = HeaderPagesOf(first);
        ASSERT_FALSE(headers.isEmpty());
    }

    // Records the two songs with the preset's `capture`. The source plays
    // the first song page by page, about five pages a second, like a live
    // station, until the recorder announces `announced`; it joins there (the
    // header pages, then the current pages), and the rest is sent at once.
    // Icecast pages Vorbis anew and holds a song's last page until more
    // comes: a third song follows. Returns when the output `done` shows (or
    // `last`, a file in the output folder, holds the third song's comments)
    // and the program ended.
    void record(const QString& capture, const QByteArray& announced, const QString& last, const QByteArray& done)
    {
        IcecastServer::Options options;
        options.mount = "/radio.ogg";
        IcecastServer server(options);
        ASSERT_TRUE(server.Start()) << server.LastError().toStdString();
        OggSource source;
        ASSERT_TRUE(source.Connect(server, server.Mount()))
            << source.Answer().constData() << server.ErrorLog().toStdString();
        const QList<QByteArray> pages = PagesOf(first);
        qsizetype sent = 0;
        QTimer pace;
        QObject::connect(&pace, &QTimer::timeout, [&] {
            if (sent < pages.size() - 1)
                source.Send(pages[sent++]);
        });
        pace.start(200);

        const QString preset = home.file(QStringLiteral("ogg.tvp"));
        const QString playlist = QStringLiteral("http://127.0.0.1:%1/radio.ogg.m3u").arg(server.Port());
        WriteAll(preset, (QStringLiteral("Ogg Test Radio\r\n") + playlist + "\r\n" + capture + "\r\n" + out.path() +
                          "\r\n 0 \r\n 0 \r\n")
                             .toUtf8());
        Tonquill tonquill(home.path());
        ASSERT_TRUE(tonquill.Start({preset}));
        ASSERT_TRUE(tonquill.WaitForOutput(announced, 20000))
            << tonquill.Output().constData() << tonquill.Errors().constData();
        pace.stop();
        QByteArray rest;
        for (qsizetype i = sent; i < pages.size(); ++i)
            rest += pages[i];
        source.Send(rest + second + third);
        ASSERT_TRUE(WaitUntil(
            [&] {
                return done.isEmpty() ? ReadAll(out.file(last)).contains("TITLE=Third")
                                      : tonquill.Output().contains(done);
            },
            30000))
            << QDir(out.path()).entryList().join(',').toStdString() << tonquill.Output().constData();
        tonquill.Signal(SIGTERM);
        ASSERT_TRUE(tonquill.WaitForEnd(10000));
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
};

} // namespace

TEST_F(OggStation, ChainedVorbisGivesOneDecodableFilePerSong)
{
    const QString one = QStringLiteral("Ann Ogg - First Song.ogg");
    const QString two = QStringLiteral("Bob - Second Song.ogg"); // ":" cleaned from the name
    record(QStringLiteral("SONGNAMEONLY"), "Now Recording: " + one.toUtf8(), two, two.toUtf8() + " (");
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
