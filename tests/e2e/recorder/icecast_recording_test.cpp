// The real program recording from a real Icecast server, fed by ffmpeg,
// with titles changed through the server's admin interface.
#include "stationprocess.h"
#include "tonquillprocess.h"

#include "recorder/cleancut.h"
#include "tests/e2e/icecast/icecastserver.h"
#include "tests/support/days.h"
#include "tests/support/eventwait.h"
#include "tests/support/tools.h"

#include <QDate>
#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <csignal>

namespace {

class IcecastRecording : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString why;
        if (!IcecastServer::Available(&why))
            SKIP_FOR_MISSING_TOOL(why);
        IcecastServer::Options options;
        options.metaInterval = 8192;
        server = std::make_unique<IcecastServer>(options);
        ASSERT_TRUE(server->Start()) << server->LastError().toStdString();
        IcecastServer::SourceOptions source;
        source.durationSeconds = 120;
        source.name = QStringLiteral("Icecast Test FM");
        ASSERT_TRUE(server->StartSource(source)) << server->LastError().toStdString();
        ASSERT_TRUE(server->WaitForMount(15000)) << server->LastError().toStdString();
    }
    // A preset that records the server's own M3U playlist of the mount.
    QString preset(const QString& capture, const QString& minutes)
    {
        const QString path = dir.file(QStringLiteral("icecast.tvp"));
        const QString playlist = QStringLiteral("http://127.0.0.1:%1%2.m3u").arg(server->Port()).arg(QString::fromLatin1(server->Mount()));
        WriteAll(path, (QStringLiteral("Icecast Test FM\r\n") + playlist + "\r\n" + capture + "\r\n" + out.path() + "\r\n" +
                        minutes + "\r\n 0 \r\n")
                           .toUtf8());
        return path;
    }
    // A recording of a live stream starts wherever the connection began and
    // a song ends where its title changed, usually inside a frame: one resync
    // at the start and a short last frame are the cuts, not damage.
    static ::testing::AssertionResult decodes(const QString& file)
    {
        QByteArray output;
        const int rc = RunTool(QStringLiteral("mpg123"), {QStringLiteral("-t"), file}, &output);
        if (rc == 0 && output.count("Illegal Audio-MPEG-Header") <= 1 && output.count("error") <= 1 &&
            output.contains("finished."))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "mpg123 exit " << rc << ": " << output.constData();
    }
    // More than `bytes` of the recording have reached the disk.
    static bool grewPast(const QString& file, qint64 bytes) { return QFileInfo(file).size() > bytes; }
    static QByteArray tagOf(const QString& file)
    {
        const QByteArray bytes = ReadAll(file);
        return bytes.size() >= 128 ? bytes.right(128) : QByteArray();
    }

    TempFolder dir;
    TempFolder out;
    std::unique_ptr<IcecastServer> server;
};

}  // namespace

TEST_F(IcecastRecording, OneFilePerTitleWithTags)
{
    const QString first = out.file(QString::fromUtf8("Artist One - Song \u00e9.mp3"));
    const QString second = out.file(QStringLiteral("Artist Two - Second Song.mp3"));  // ":" cleaned from the name
    ASSERT_TRUE(server->SetTitle(QStringLiteral("Artist One - Song \u00e9")));
    Tonquill tonquill(dir.path());
    ASSERT_TRUE(tonquill.Start({preset(QStringLiteral("SONGNAMEONLY"), QStringLiteral(" 0 "))}));
    ASSERT_TRUE(tonquill.WaitForOutput("Now Recording: Artist One - Song \xC3\xA9.mp3", 20000))
        << tonquill.Output().constData() << tonquill.Errors().constData();
    // Two seconds of audio and more (writes reach the disk in blocks).
    ASSERT_TRUE(WaitUntil([&] { return grewPast(first, 16000 * 3); }, 30000)) << tonquill.Output().constData();
    ASSERT_TRUE(server->SetTitle(QStringLiteral("Artist Two - Second: Song")));
    // The status names the file as it is on disk.
    ASSERT_TRUE(tonquill.WaitForOutput("Now Recording: Artist Two - Second Song.mp3", 15000)) << tonquill.Output().constData();
    ASSERT_TRUE(WaitUntil([&] { return grewPast(second, 16000 * 2); }, 30000)) << tonquill.Output().constData();
    tonquill.Signal(SIGTERM);
    ASSERT_TRUE(tonquill.WaitForEnd(10000));
    EXPECT_EQ(tonquill.ExitCode(), 0) << tonquill.Errors().constData();

    ASSERT_TRUE(QFileInfo::exists(first)) << QDir(out.path()).entryList().join(',').toStdString();
    ASSERT_TRUE(QFileInfo::exists(second)) << QDir(out.path()).entryList().join(',').toStdString();
    EXPECT_GT(QFileInfo(first).size(), 16000 * 2);
    EXPECT_TRUE(decodes(first));
    EXPECT_TRUE(decodes(second));
    const QByteArray tag1 = tagOf(first);
    EXPECT_TRUE(tag1.startsWith("TAG"));
    EXPECT_EQ(tag1.mid(3, 30).left(7), QByteArray("Song \xE9\0", 7));
    EXPECT_EQ(tag1.mid(33, 10), QByteArray("Artist One"));
    EXPECT_EQ(tagOf(second).mid(3, 12), QByteArray("Second: Song"));  // the tag keeps it
}

TEST_F(IcecastRecording, DatedArchiveAndSingleFile)
{
    struct Case {
        QString capture;
        QString file;  // "%1": the date the recorder read from its clock
    } cases[] = {
        {QStringLiteral("Morning Show"), QStringLiteral("Morning Show-%1.mp3")},
        {QStringLiteral("FILENAME whole show.mp3"), QStringLiteral("whole show.mp3")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.capture.toStdString());
        const DaysOfTheTest days;
        Tonquill tonquill(dir.path());
        ASSERT_TRUE(tonquill.Start({preset(c.capture, QStringLiteral(" 0 "))}));
        const QString named = c.file.left(c.file.contains(QLatin1String("%1")) ? c.file.indexOf(QLatin1String("%1")) : -1);
        ASSERT_TRUE(tonquill.WaitForOutput("Now Recording: " + named.toUtf8(), 20000)) << tonquill.Output().constData();
        QString file;
        ASSERT_TRUE(WaitUntil([&] {
            for (const QDate& d : days.days()) {
                file = out.file(c.file.contains(QLatin1String("%1"))
                                    ? c.file.arg(d.toString(QStringLiteral("MMddyyyy")))
                                    : c.file);
                if (grewPast(file, 16000 * 2))
                    return true;
            }
            return false;
        }, 30000)) << QDir(out.path()).entryList().join(',').toStdString();
        tonquill.Signal(SIGTERM);
        ASSERT_TRUE(tonquill.WaitForEnd(10000));
        ASSERT_TRUE(QFileInfo::exists(file)) << QDir(out.path()).entryList().join(',').toStdString();
        EXPECT_TRUE(decodes(file));
        const QByteArray tag = tagOf(file);
        EXPECT_TRUE(tag.startsWith("TAG"));
        EXPECT_EQ(tag.mid(3, 15), QByteArray("Icecast Test FM"));  // the station's title
    }
}

TEST_F(IcecastRecording, TimedRecordingEndsTheProgram)
{
    Tonquill tonquill(dir.path());
    // One minute, and the program ends when it is done (no "S").
    ASSERT_TRUE(tonquill.Start({preset(QStringLiteral("FILENAME timed.mp3"), QStringLiteral(" 1 "))}));
    ASSERT_TRUE(tonquill.WaitForEnd(90000)) << tonquill.Output().constData();
    EXPECT_EQ(tonquill.ExitCode(), 0) << tonquill.Errors().constData();
    const QByteArray output = tonquill.Output();
    EXPECT_TRUE(output.contains("Saved ")) << output.constData();
    const QString file = out.file(QStringLiteral("timed.mp3"));
    // About a minute of 128 kbit/s.
    EXPECT_GT(QFileInfo(file).size(), 55 * 16000);
    EXPECT_LT(QFileInfo(file).size(), 70 * 16000);
    EXPECT_TRUE(decodes(file));
}

// A listener kicked through Icecast's admin interface while the station
// plays on comes back to the server's burst of audio it has recorded
// already: the file is the source's frames in their order, none twice, and
// with clean cuts off byte for byte the stream the source sent.
TEST_F(IcecastRecording, AKickedListenerRecordsEveryFrameOnce)
{
    // Pink noise: no two frames alike, so each frame is found in the source by its bytes.
    const QString noise = dir.file(QStringLiteral("noise.mp3"));
    ASSERT_EQ(RunTool(QStringLiteral("ffmpeg"),
                      {QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                       QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                       QStringLiteral("anoisesrc=color=pink:amplitude=0.3:sample_rate=44100:duration=90"),
                       QStringLiteral("-ac"), QStringLiteral("2"), QStringLiteral("-c:a"), QStringLiteral("libmp3lame"),
                       QStringLiteral("-b:a"), QStringLiteral("128k"), QStringLiteral("-write_xing"), QStringLiteral("0"),
                       QStringLiteral("-id3v2_version"), QStringLiteral("0"), noise}),
              0);
    const QByteArray source = ReadAll(noise);
    QHash<QByteArray, qsizetype> frameIndex;
    const std::vector<Mp3Frame> sourceFrames = FindMp3Frames(source);
    for (size_t i = 0; i < sourceFrames.size(); ++i)
        frameIndex.insert(source.mid(sourceFrames[i].offset, sourceFrames[i].size), qsizetype(i));
    ASSERT_EQ(frameIndex.size(), qsizetype(sourceFrames.size()));

    for (const bool clean : {false, true}) {
        SCOPED_TRACE(clean ? "clean cuts on" : "clean cuts off");
        IcecastServer::SourceOptions options;
        options.inputFile = noise;
        options.copyAudio = true;
        ASSERT_TRUE(server->StartSource(options)) << server->LastError().toStdString();
        ASSERT_TRUE(server->WaitForMount(15000)) << server->LastError().toStdString();
        ASSERT_TRUE(WriteAll(dir.file(QStringLiteral("Tonquill-user.ini")),
                             clean ? "[Registration]\r\nCleanCuts=1\r\n" : "[Registration]\r\nCleanCuts=0\r\n"));
        const QString file = out.file(clean ? QStringLiteral("kick-clean.mp3") : QStringLiteral("kick.mp3"));
        Tonquill tonquill(dir.path());
        ASSERT_TRUE(tonquill.Start({preset(QStringLiteral("FILENAME ") + QFileInfo(file).fileName(), QStringLiteral(" 0 "))}));
        // More than the burst recorded before the kick.
        ASSERT_TRUE(WaitUntil([&] { return grewPast(file, 16000 * 6); }, 30000)) << tonquill.Output().constData();
        ASSERT_TRUE(WaitUntil([&] { return !server->ListenerIds().isEmpty(); }, 5000));
        EXPECT_GT(server->KickListeners(), 0);
        ASSERT_TRUE(tonquill.WaitForOutput("Reconnected: joined where the recording left off", 20000))
            << tonquill.Output().constData();
        const qint64 joined = QFileInfo(file).size();
        ASSERT_TRUE(WaitUntil([&] { return grewPast(file, joined + 16000 * 3); }, 30000)) << tonquill.Output().constData();
        tonquill.Signal(SIGTERM);
        ASSERT_TRUE(tonquill.WaitForEnd(10000));

        QByteArray audio = ReadAll(file);
        ASSERT_TRUE(tagOf(file).startsWith("TAG"));
        audio.chop(128);
        // Every frame of the file is the source frame after the one before it.
        const std::vector<Mp3Frame> frames = FindMp3Frames(audio);
        ASSERT_GT(frames.size(), 300u);
        qsizetype previous = -1;
        int outOfOrder = 0;
        for (const Mp3Frame& f : frames) {
            const qsizetype index = frameIndex.value(audio.mid(f.offset, f.size), -1);
            if (previous >= 0 && index != previous + 1)
                ++outOfOrder;
            previous = index;
        }
        EXPECT_EQ(outOfOrder, 0);
        if (!clean) {
            // The whole file, torn frames at its ends included, is one run of the source's bytes.
            const qsizetype at = source.indexOf(audio.left(4096));
            ASSERT_GE(at, 0);
            EXPECT_TRUE(source.mid(at, audio.size()) == audio);
        }
    }
}
