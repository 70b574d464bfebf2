// The recorder's start from its command line.
#include "fixture.h"
#include "platform/eventsocket.h"
#include "tests/support/eventwait.h"

class CommandLineTest : public RecorderFixture {
protected:
    QString writePreset(const QString& name, const QStringList& lines)
    {
        QByteArray bytes;
        for (const QString& l : lines)
            bytes += l.toUtf8() + "\r\n";
        const QString path = folder.file(name);
        WriteAll(path, bytes);
        return path;
    }
    QStringList validPreset() const
    {
        return {QStringLiteral("My Station"),   QStringLiteral("http://127.0.0.1:1/none.pls"),
                QStringLiteral("SONGNAMEONLY"), folder.path(),
                QStringLiteral(" 5 "),          QStringLiteral(" 0 ")};
    }
};

TEST_F(CommandLineTest, PresetWithNoopOpensThePanelOnlyAlsoInQuotes)
{
    const QString path = writePreset(QStringLiteral("a b.tvp"), validPreset());
    for (const QString& line : {path + QStringLiteral(" -noop"), QLatin1Char('"') + path + QStringLiteral("\" -noop")})
        EXPECT_TRUE(openCommandLine(line));
    EXPECT_EQ(host.panels, 2);
    EXPECT_EQ(recorder->phase(), frmMP3::Phase::Idle);
    EXPECT_EQ(config.sRecordingTitle, QStringLiteral("My Station"));
}

TEST_F(CommandLineTest, FailuresShowTheirMessages)
{
    struct Case {
        QString arg;
        QString message;
    } cases[] = {
        {folder.file(QStringLiteral("missing.tvp")), QStringLiteral("The preset file specified does not exist!")},
        {folder.file(QStringLiteral("station.PLS")),
         QStringLiteral("This is not a supported filetype to load! (Tavrix currently only supports preset files (.tvp) "
                        "and Shoutcase playlists (.pls)!)")},
        {folder.file(QStringLiteral("song.mp3")),
         QStringLiteral("This is not a supported filetype to load! (Tavrix currently only supports preset files (.tvp) "
                        "and Shoutcase playlists (.pls)!)")},
    };
    for (const auto& c : cases) {
        messages.messages.clear();
        EXPECT_FALSE(openCommandLine(c.arg)) << c.arg.toStdString();
        ASSERT_FALSE(messages.messages.isEmpty());
        EXPECT_EQ(messages.messages.last(), c.message);
    }
}

TEST_F(CommandLineTest, InvalidPresetShowsBothMessages)
{
    QStringList lines = validPreset();
    lines[1] = QStringLiteral("http://127.0.0.1/station.txt");
    const QString path = writePreset(QStringLiteral("bad.tvp"), lines);
    EXPECT_FALSE(openCommandLine(path));
    ASSERT_EQ(messages.messages.size(), 2);
    EXPECT_EQ(messages.messages.last(),
              QStringLiteral("The preset file is invalid! (Check that there are six lines exactly)"));
}

TEST_F(CommandLineTest, FormLoadQuitsWhenTheCommandLineFails)
{
    int quits = 0;
    QObject::connect(recorder.get(), &frmMP3::quitRequested, [&](int code) {
        ++quits;
        EXPECT_NE(code, 0);
    });
    // As the program starts: the recorder's state, then its command line.
    recorder->Form_Load();
    if (!openCommandLine(folder.file(QStringLiteral("missing.tvp"))))
        recorder->QuitProgram(1);
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(recorder->TrayTip(), QStringLiteral("Tonquill"));
}

TEST_F(CommandLineTest, PresetStartsResolvingItsPlaylist)
{
    const QString path = writePreset(QStringLiteral("ok.tvp"), validPreset());
    EXPECT_TRUE(openCommandLine(path));
    EXPECT_EQ(recorder->phase(), frmMP3::Phase::Resolving);
    EXPECT_EQ(recorder->Status().sSongCaption, QStringLiteral("Connecting to My Station..."));
    EXPECT_EQ(recorder->Status().strConfigName, path);
}

TEST_F(CommandLineTest, StopRecordingResetsTheState)
{
    config.lRecordingMode = RecordingMode::SingleFile;
    config.sStreamFileName = QStringLiteral("single.mp3");
    startOnStation();
    EXPECT_TRUE(recorder->Status().blnRecording);
    ASSERT_TRUE(answerWith("ICY 200 OK\r\nicy-br:96\r\n\r\n"));
    recorder->TogglePause();
    recorder->StopRecording();
    EXPECT_FALSE(recorder->Status().blnRecording);
    EXPECT_FALSE(recorder->Status().blnPaused);
    EXPECT_EQ(recorder->Status().lngBitRate, 0);
    EXPECT_TRUE(recorder->Status().strSongName.isEmpty());
    EXPECT_EQ(recorder->TrayTip(), QStringLiteral("Tonquill"));
    EXPECT_GE(relay.stops, 1);
    EXPECT_EQ(recorder->phase(), frmMP3::Phase::Idle);
}

TEST_F(CommandLineTest, ExitFromTheMenuClosesAndTagsTheRecordingThenQuits)
{
    config.lRecordingMode = RecordingMode::SingleFile;
    config.sStreamFileName = QStringLiteral("single.mp3");
    startOnStation();
    ASSERT_TRUE(answerWith("ICY 200 OK\r\n\r\naudio", 5));
    int code = -1;
    QObject::connect(recorder.get(), &frmMP3::quitRequested, [&](int c) { code = c; });
    recorder->ExitFromMenu();
    EXPECT_EQ(code, 0);
    const QByteArray bytes = ReadAll(folder.file(QStringLiteral("single.mp3")));
    EXPECT_TRUE(bytes.startsWith("audio"));
    EXPECT_EQ(bytes.mid(bytes.size() - 128, 3), QByteArray("TAG"));
    // The recorder has closed its connection.
    EXPECT_TRUE(WaitUntil([&] { return station.last()->state() == QAbstractSocket::UnconnectedState; }));
}
