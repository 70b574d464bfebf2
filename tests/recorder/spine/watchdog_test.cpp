// Missing data, failover requests and the volume, as the main loop sees them.
#include "fixture.h"

class WatchdogTest : public RecorderFixture {
protected:
    void SetUp() override
    {
        RecorderFixture::SetUp();
        config.lRecordingMode = RecordingMode::SingleFile;
        config.sStreamFileName = QStringLiteral("single.mp3");
        config.bEnabledTimedRecording = false;
    }
};

TEST_F(WatchdogTest, AwaitingDataAfterTwoSecondsAndReconnectAfterTen)
{
    const qint32 start = 100000;
    clock.set(start);
    startOnStation();
    ASSERT_TRUE(answerWith("ICY 200 OK\r\n\r\n"));
    const size_t connectionsBefore = station.connections.size();

    clock.set(start + 2000);
    recorder->Timer1_Timer();
    EXPECT_NE(recorder->Status().sSongCaption,
              QStringLiteral("[ERR] NETWORK: Awaiting data...")); // exactly 2 s is not "more"
    clock.set(start + 2100);
    recorder->Timer1_Timer();
    EXPECT_EQ(recorder->Status().sSongCaption, QStringLiteral("[ERR] NETWORK: Awaiting data..."));
    EXPECT_EQ(recorder->TrayTip(), QStringLiteral("Test Station -- NETWORK: Awaiting data..."));

    clock.set(start + 10100);
    recorder->Timer1_Timer();
    EXPECT_TRUE(captions.contains(QStringLiteral("[ERR] TIMEOUT! Reconnecting...")));
    EXPECT_EQ(recorder->Status().sSongCaption,
              QStringLiteral("[ERR] NETWORK: Reconnecting...")); // the reconnect has begun
    EXPECT_EQ(recorder->TrayTip(), QStringLiteral("Test Station -- TIMEOUT! Reconnecting..."));
    ASSERT_TRUE(WaitUntil([&] { return station.connections.size() > connectionsBefore; }));
    EXPECT_TRUE(messages.messages.isEmpty());
    // The reconnect keeps the file.
    EXPECT_TRUE(recorder->RecordingPath().endsWith(QStringLiteral("single.mp3")));
}

TEST_F(WatchdogTest, TimeoutsGoOnUntilTheGiveUpTimeWithoutAStream)
{
    // Time-outs reconnect again and again; only the give-up time without a
    // stream ends the recording, however many there were.
    const struct {
        int giveUpMinutes;
        qint64 lastTickMs;
        bool endsRecording;
    } cases[] = {{1, 60000, false}, {1, 60100, true}, {2, 110000, false}, {0, 600000, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.giveUpMinutes);
        options.giveUpMinutes = c.giveUpMinutes;
        messages.messages.clear();
        captions.clear();
        const qint32 start = 100000;
        clock.set(start);
        recorder->ClearServers();
        const size_t connections = station.connections.size();
        startOnStation();
        ASSERT_TRUE(WaitUntil([&] { return station.connections.size() > connections; }));
        ASSERT_TRUE(answerWith("ICY 200 OK\r\n\r\n"));
        for (qint64 t = 100; t <= c.lastTickMs && recorder->Status().blnRecording; t += 100) {
            clock.set(static_cast<qint32>(start + t));
            recorder->Timer1_Timer();
        }
        EXPECT_EQ(!recorder->Status().blnRecording, c.endsRecording);
        if (c.endsRecording) {
            EXPECT_EQ(messages.messages, QStringList{QStringLiteral(
                                             "Network errors have interrupted successful recording of Test Station!")});
        } else {
            EXPECT_TRUE(captions.contains(QStringLiteral("[ERR] TIMEOUT! Reconnecting...")));
            EXPECT_TRUE(messages.messages.isEmpty());
            recorder->StopRecording();
        }
    }
}

TEST_F(WatchdogTest, DataAfterATimeoutEndsTheOutage)
{
    const qint32 start = 100000;
    clock.set(start);
    startOnStation();
    clock.set(start + 10100);
    recorder->Timer1_Timer();
    ASSERT_TRUE(WaitUntil([&] { return station.requests.count("GET ") == 2; }));
    ASSERT_TRUE(answerWith("ICY 200 OK\r\n\r\n"));
    clock.set(start + 12000);
    recorder->Timer1_Timer();
    EXPECT_EQ(recorder->Status().connection, ConnectionState::Streaming);
    EXPECT_EQ(station.connections.size(), 2u); // no further reconnect
}

TEST_F(WatchdogTest, AllServersFullShownOnceOnTheLastServer)
{
    startOnStation(1);
    recorder->FailOver();
    recorder->Timer1_Timer();
    EXPECT_EQ(messages.messages, QStringList{QStringLiteral("All servers are full!")});
    EXPECT_FALSE(recorder->Status().blnRecording);
    EXPECT_EQ(recorder->Status().connection, ConnectionState::Stopped);
}

TEST_F(WatchdogTest, AllServersFullEndsAnUnattendedRun)
{
    config.bExitTimedRecording = true;
    config.bCalledFromGUI = false;
    startOnStation(1);
    recorder->FailOver();
    EXPECT_TRUE(recorder->quitting());
}

TEST_F(WatchdogTest, FailoverMovesToTheNextServer)
{
    startOnStation(2);
    ASSERT_EQ(recorder->ServerNumber(), 1);
    recorder->FailOver();
    EXPECT_EQ(recorder->ServerNumber(), 2);
    EXPECT_TRUE(recorder->Status().blnRecording);
    ASSERT_TRUE(WaitUntil([&] { return station.connections.size() == 2; }));
}

TEST_F(WatchdogTest, VolumeReachesTheRelayOnTheNextTickAlsoWhenIdle)
{
    recorder->Form_Load();
    EXPECT_EQ(recorder->Status().lngVolume, 42); // the mixer's volume at load
    recorder->SetVolume(37);
    recorder->Timer1_Timer();
    ASSERT_FALSE(relay.volumes.empty());
    EXPECT_EQ(relay.volumes.back(), 37);
    const size_t calls = relay.volumes.size();
    recorder->Timer1_Timer();
    EXPECT_EQ(relay.volumes.size(), calls); // unchanged: not sent again
}

TEST_F(WatchdogTest, ListenWhileIdleOnlyTurnsTheFlag)
{
    recorder->Listen();
    EXPECT_EQ(relay.starts, 0); // not recording: only the flag changes
    EXPECT_TRUE(recorder->Status().blnPreviewToggle);
    recorder->Listen();
    EXPECT_FALSE(recorder->Status().blnPreviewToggle);
    EXPECT_EQ(relay.stops, 0);
}

TEST_F(WatchdogTest, TrayTipIsCutToSixtyFourCharacters)
{
    config.sRecordingTitle = QString(100, QLatin1Char('x'));
    startOnStation();
    ASSERT_TRUE(answerWith("ICY 200 OK\r\n\r\n"));
    recorder->Timer1_Timer();
    EXPECT_EQ(recorder->TrayTip().size(), 64);
    EXPECT_TRUE(recorder->TrayTip().startsWith(QStringLiteral("RECORDING xxx")));
}
