// The main loop's clock, timed recordings, pauses and the counter's wrap.
#include "fixture.h"

#include <limits>

namespace {
const QByteArray kHeader = "ICY 200 OK\r\nicy-name:Test\r\nicy-br:128\r\n\r\n";
}

class ClockTest : public RecorderFixture {
protected:
    void SetUp() override
    {
        RecorderFixture::SetUp();
        config.lRecordingMode = RecordingMode::SingleFile;
        config.sStreamFileName = QStringLiteral("single.mp3");
    }
    void startStreaming(qint32 start)
    {
        clock.set(start);
        startOnStation();
        ASSERT_TRUE(send(kHeader));
    }
};

TEST_F(ClockTest, OneMinuteTimedRecordingStopsAtTheFirstTickReadingOneMinuteOneSecond)
{
    config.bEnabledTimedRecording = true;
    config.lTimedRecording = 1;
    const qint32 start = 100000;
    startStreaming(start);
    ASSERT_EQ(recorder->Status().lngBitRate, 128);

    qint64 stoppedAt = -1;
    for (qint64 t = 100; t <= 62000; t += 100) {
        clock.set(static_cast<qint32>(start + t));
        ASSERT_TRUE(send(QByteArray(16, 'a')));
        recorder->Timer1_Timer();
        if (!recorder->Status().blnRecording) {
            stoppedAt = t;
            break;
        }
        if (t >= 59600 && t <= 60500) {
            EXPECT_EQ(recorder->Status().clock.lngMinutesLeft, 0) << t;
            EXPECT_EQ(recorder->Status().clock.lngSecondsLeft, 0) << t;
        }
        if (t == 30000) {
            EXPECT_EQ(recorder->Status().clock.lngMinutesPassed, 0);
            EXPECT_EQ(recorder->Status().clock.lngSecondsPassed, 30);
            EXPECT_EQ(recorder->Status().clock.lngSecondsLeft, 30);
            EXPECT_EQ(recorder->TrayTip(), QStringLiteral("RECORDING Test Station... (0:30) (-0:30 left)"));
            EXPECT_EQ(recorder->Status().sSongCaption, QStringLiteral("Now Recording: single.mp3"));
        }
    }
    // 60.5 s rounds to 60 (half to even); 60.6 s is the first tick reading 1:01.
    EXPECT_EQ(stoppedAt, 60600);
    EXPECT_FALSE(recorder->quitting());
    EXPECT_EQ(recorder->TrayTip(), QStringLiteral("Tonquill"));
    EXPECT_EQ(recorder->Status().clock.lngSecondsPassed, 0);
}

TEST_F(ClockTest, TimedRecordingEndsTheProgramWhenAsked)
{
    config.bEnabledTimedRecording = true;
    config.lTimedRecording = 1;
    config.bExitTimedRecording = true;
    config.bCalledFromGUI = true;  // not consulted at the end of a timed recording
    startStreaming(100000);
    int quits = 0;
    QObject::connect(recorder.get(), &frmMP3::quitRequested, [&](int) { ++quits; });
    runTicks(100, 61000, true, 100000);
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(recorder->quitting());
    EXPECT_EQ(host.unloads, 1);
}

TEST_F(ClockTest, ThirtySecondPauseLeavesTheElapsedTimeWhereItWas)
{
    config.bEnabledTimedRecording = true;
    config.lTimedRecording = 10;
    const qint32 start = 100000;
    startStreaming(start);
    runTicks(100, 10000, true, start);
    ASSERT_EQ(recorder->Status().clock.lngSecondsPassed, 10);
    recorder->TogglePause();
    EXPECT_TRUE(recorder->Status().blnPaused);
    runTicks(10100, 40000, true, start);
    EXPECT_EQ(recorder->Status().sSongCaption, QStringLiteral("PAUSED...single.mp3"));
    EXPECT_EQ(recorder->TrayTip(), QStringLiteral("Tonquill -- PAUSED"));
    recorder->TogglePause();
    EXPECT_FALSE(recorder->Status().blnPaused);
    runTicks(40000, 40000, true, start);
    EXPECT_EQ(recorder->Status().clock.lngMinutesPassed, 0);
    EXPECT_EQ(recorder->Status().clock.lngSecondsPassed, 10);
}

TEST_F(ClockTest, CounterWrapDuringARecordingKeepsTheClockAndRaisesNoTimeout)
{
    config.bEnabledTimedRecording = true;
    config.lTimedRecording = 5;
    const qint32 start = std::numeric_limits<qint32>::max() - 5000;
    startStreaming(start);
    runTicks(100, 20000, true, start);
    ASSERT_TRUE(recorder->Status().blnRecording);
    EXPECT_LT(clock.GetTickCount(), 0);  // the counter has wrapped
    EXPECT_EQ(recorder->Status().clock.lngSecondsPassed, 20);
    EXPECT_EQ(recorder->Status().sSongCaption, QStringLiteral("Now Recording: single.mp3"));
}

TEST_F(ClockTest, CounterWrapDuringAPause)
{
    config.bEnabledTimedRecording = true;
    config.lTimedRecording = 5;
    const qint32 start = std::numeric_limits<qint32>::max() - 20000;
    startStreaming(start);
    runTicks(100, 10000, true, start);
    recorder->TogglePause();
    runTicks(10100, 40000, true, start);  // the wrap falls into the pause
    recorder->TogglePause();
    runTicks(40100, 40100, true, start);
    EXPECT_EQ(recorder->Status().clock.lngSecondsPassed, 10);
    EXPECT_TRUE(recorder->Status().blnRecording);
}
