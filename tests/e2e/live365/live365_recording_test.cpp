// A recording whose titles come from the Live365 reader: the real reader,
// reading fake station pages on loopback, drives the recorder's files.
#include "recorder/live365titles.h"
#include "fixture.h"
#include "platform/folders.h"
#include "sources/live365reader.h"
#include "tests/sources/live365/fakewebserver.h"

namespace {
const QByteArray kStationPage = "<html><head><script>function go(){ LaunchBroadcast('jazzcat'); }</script></head>"
                                "<body>Jazz Cat radio</body></html>";
const QByteArray kWindowPage = "<html><frameset><frame src=\"/np/now.js?handle=abc&membername=\" "
                               "name=\"Live365PlayerPlaylist\"></frameset></html>";
QByteArray nowPlaying(const char* artist, const char* title)
{
    return QByteArray("<html><script>var track = { artist:\"") + artist + "\", title:\"" + title +
           "\", album:\"\", };\r\nvar gSecondsLeft = 1;\r\n</script></html>";
}
} // namespace

class Live365Recording : public RecorderFixture {
protected:
    void SetUp() override
    {
        ProgramFolders::SetOverride(home.path());
        ASSERT_TRUE(pages.start());
        qputenv("TONQUILL_LIVE365_HOST", pages.hostSetting().toLatin1());
        reader = std::make_unique<ctlLive365TitleReader>(&clock);
        RecorderFixture::SetUp();
        deps.live365 = reader.get();
        recorder = std::make_unique<frmMP3>(deps);
        // As the program wires them.
        ConnectLive365(*reader, recorder->Live365(), recorder.get());
        config.lRecordingMode = RecordingMode::PerSong;
        config.bEnabledTimedRecording = false;
    }
    void TearDown() override
    {
        recorder.reset();
        reader.reset();
        qunsetenv("TONQUILL_LIVE365_HOST");
        ProgramFolders::SetOverride(QString());
    }
    TempFolder home;
    FakeWebServer pages;
    std::unique_ptr<ctlLive365TitleReader> reader;
};

TEST_F(Live365Recording, ReaderTitlesSwitchTheRecordingFiles)
{
    pages.route(QStringLiteral("/stations/"), {FakeWebServer::Page(kStationPage)});
    pages.route(QStringLiteral("/cgi-bin/mini.cgi"), {FakeWebServer::Page(kWindowPage)});
    pages.route(QStringLiteral("/np/"), {FakeWebServer::Page(nowPlaying("Miles Davis", "So What")),
                                         FakeWebServer::Page(nowPlaying("John Coltrane", "Naima"))});
    const ServerEntry entry{QStringLiteral("www.live365.com"), QStringLiteral("/play/123"), QStringLiteral("80"),
                            QString()};
    QString number;
    bool afl = false;
    ASSERT_TRUE(Live365StationOf(entry, number, afl));

    startOnStation();
    ASSERT_TRUE(send("ICY 200 OK\r\nicy-name:Jazz Cat\r\n\r\nintro"));
    reader->GetL365StationFromNumber(number, afl); // what the connection does for a Live365 entry
    ASSERT_TRUE(
        WaitUntil([&] { return recorder->Status().strSongName == QStringLiteral("Miles Davis - So What.mp3"); }, 5000));
    ASSERT_TRUE(send("first"));
    // The now-playing page asks to be read again a second later.
    clock.advance(1100);
    ASSERT_TRUE(
        WaitUntil([&] { return recorder->Status().strSongName == QStringLiteral("John Coltrane - Naima.mp3"); }, 5000));
    ASSERT_TRUE(send("second"));
    recorder->StopRecording();
    EXPECT_TRUE(messages.messages.isEmpty()) << messages.messages.join(';').toStdString();
    EXPECT_EQ(ReadAll(folder.file(QStringLiteral("Miles Davis - So What.mp3"))).left(5), QByteArray("first"));
    EXPECT_EQ(ReadAll(folder.file(QStringLiteral("John Coltrane - Naima.mp3"))).left(6), QByteArray("second"));
    const QByteArray tag = ReadAll(folder.file(QStringLiteral("John Coltrane - Naima.mp3"))).right(128);
    EXPECT_EQ(tag.mid(33, 13), QByteArray("John Coltrane"));
    EXPECT_EQ(reader->StationName(), QString()); // stopping the recording resets the reader
}
