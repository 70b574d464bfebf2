// The status the windows read, the signals that say it changed, and the
// commands that are theirs alone.
#include "fixture.h"

#include <QFileInfo>

class StatusTest : public RecorderFixture {
protected:
    // Every signal a window follows, in the order sent.
    void listen()
    {
        QObject::connect(recorder.get(), &frmMP3::fileClosed,
                         [this](const QString& path) { events << "closed " + QFileInfo(path).fileName(); });
        QObject::connect(recorder.get(), &frmMP3::titleChanged,
                         [this](const QString& name) { events << "title " + name; });
        QObject::connect(recorder.get(), &frmMP3::statusChanged, [this](const RecorderStatus& s) {
            // What a window reads from the signal is what the recorder says.
            EXPECT_EQ(s, recorder->Status());
            events << "status " + s.sSongCaption;
        });
        QObject::connect(recorder.get(), &frmMP3::clockChanged, [this](const RecorderStatus& s) {
            events << QStringLiteral("clock %1:%2").arg(s.clock.lngMinutesPassed).arg(s.clock.lngSecondsPassed);
        });
    }
    QStringList events;
};

TEST_F(StatusTest, ASongChangeClosesTheFileThenNamesTheSongThenSaysTheStatusOnce)
{
    recordSongsContinuously();
    const qint32 start = 100000;
    clock.set(start);
    startOnStation();
    ASSERT_TRUE(send("ICY 200 OK\r\nicy-name:X\r\nicy-metaint:4\r\n\r\naaaa" + IcyTitleBlock("A") + "aaaa"));
    listen();

    // One chunk, one song change: the signals follow each other in this order.
    ASSERT_TRUE(send(IcyTitleBlock("B") + "bbbb"));
    EXPECT_EQ(events, (QStringList{"closed A.mp3", "title B.mp3", "status Now Recording: B.mp3"}));

    // Two changes in one chunk: the windows see where it ended, once.
    events.clear();
    ASSERT_TRUE(send(IcyTitleBlock("C") + "cccc" + IcyTitleBlock("D") + "dddd"));
    EXPECT_EQ(events, (QStringList{"closed B.mp3", "closed C.mp3", "title D.mp3", "status Now Recording: D.mp3"}));

    // The same title again changes nothing a window shows.
    events.clear();
    ASSERT_TRUE(send(IcyTitleBlock("D") + "dddd"));
    EXPECT_TRUE(events.isEmpty()) << events.join('|').toStdString();
}

TEST_F(StatusTest, TheClockIsSentOnceASecondAfterTheStatus)
{
    config.lRecordingMode = RecordingMode::SingleFile;
    config.sStreamFileName = QStringLiteral("single.mp3");
    config.bEnabledTimedRecording = false;
    const qint32 start = 100000;
    clock.set(start);
    startOnStation();
    ASSERT_TRUE(answerWith("ICY 200 OK\r\n\r\n"));
    listen();
    runTicks(100, 2500, true, start); // 25 ticks of 100 ms with data
    const QStringList clocks = events.filter(QStringLiteral("clock"));
    EXPECT_EQ(clocks, (QStringList{"clock 0:1", "clock 0:2"})); // 2.5 s still rounds to 2
    // No status is sent while only the clock moves.
    EXPECT_TRUE(events.filter(QStringLiteral("status")).isEmpty()) << events.join('|').toStdString();
}

TEST_F(StatusTest, RestartTakesThePresetFirstThenTheServersElseDoesNothing)
{
    // Neither: nothing starts and nothing is said.
    recorder->Restart();
    EXPECT_FALSE(recorder->Status().blnRecording);
    EXPECT_EQ(recorder->phase(), frmMP3::Phase::Idle);
    EXPECT_TRUE(messages.messages.isEmpty()) << messages.messages.join('|').toStdString();

    // Servers only (a recording started from a playlist file).
    startOnStation();
    recorder->StopRecording();
    recorder->Restart();
    EXPECT_TRUE(recorder->Status().blnRecording);
    EXPECT_EQ(recorder->phase(), frmMP3::Phase::Recording);
    recorder->StopRecording();

    // A preset as well: the preset wins, and its playlist is read again.
    const QString preset = folder.file(QStringLiteral("station.tvp"));
    ASSERT_TRUE(WriteAll(preset, "Station\r\nhttp://127.0.0.1:1/x.pls\r\nSONGNAMEONLY\r\n%DEFDIR%\r\n0\r\n0\r\n"));
    ASSERT_TRUE(opener().Open(preset));
    recorder->StopRecording();
    config.sRecordingTitle = QStringLiteral("changed since");
    recorder->AddServer(QStringLiteral("127.0.0.1"), QStringLiteral("/stream"), station.port(), QString());
    recorder->Restart();
    EXPECT_EQ(recorder->phase(), frmMP3::Phase::Resolving);
    EXPECT_EQ(config.sRecordingTitle, QStringLiteral("Station"));
    EXPECT_EQ(recorder->Status().strConfigName, preset);
}
