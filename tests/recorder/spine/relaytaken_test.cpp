// Several recorders of one station: the relay's port is taken by another.
#include "fixture.h"
#include "listen/ctlmp3server.h"
#include "tests/listen/relayfakes.h"

#include <QHostAddress>
#include <QTcpServer>

class RelayTakenTest : public RecorderFixture {
protected:
    void SetUp() override
    {
        RecorderFixture::SetUp();
        ASSERT_TRUE(other.listen(QHostAddress::LocalHost, 0)); // the other recorder's relay
        auto fake = std::make_unique<FakePlayer>();
        player = fake.get();
        realRelay = std::make_unique<ctlMP3Server>(messages, std::move(fake), std::make_unique<FakeMixer>());
        realRelay->setPort(other.serverPort());
        deps.relay = realRelay.get();
        recorder = std::make_unique<frmMP3>(deps);
        QObject::connect(recorder.get(), &frmMP3::songCaptionChanged, [this](const QString& c) { captions.append(c); });
        QObject::connect(realRelay.get(), &ctlMP3Server::RelayTaken, recorder.get(), &frmMP3::RelayTaken);
        config.lRecordingMode = RecordingMode::SingleFile;
        config.sStreamFileName = QStringLiteral("single.mp3");
        config.bEnabledTimedRecording = false;
        config.bStartInListenMode = true;
    }

    // Audio enough for the relay to start its server; waits until listening
    // is off again.
    void feedUntilListeningStops()
    {
        ASSERT_TRUE(recorder->Status().blnPreviewToggle);
        station.last()->write(QByteArray(5000, 'a'));
        ASSERT_TRUE(WaitUntil([&] { return !recorder->Status().blnPreviewToggle; }, 3000));
    }

    QTcpServer other;
    FakePlayer* player = nullptr;
    std::unique_ptr<ctlMP3Server> realRelay;
};

TEST_F(RelayTakenTest, RecordsOnWithTheLampDarkAndSaysSoOnceWithoutAMessageBox)
{
    const QString said =
        QStringLiteral("Another recorder is relaying on 127.0.0.1:%1; this one records without relaying")
            .arg(other.serverPort());
    const qint32 start = 100000;
    clock.set(start);
    startOnStation();
    ASSERT_TRUE(answerWith("ICY 200 OK\r\n\r\n"));
    feedUntilListeningStops();
    EXPECT_FALSE(realRelay->blnEnablePreviewStream());
    EXPECT_FALSE(player->calls.contains(QStringLiteral("play")));
    EXPECT_EQ(captions.count(said), 1);
    clock.set(start + 100);
    recorder->Timer1_Timer();
    EXPECT_FALSE(recorder->Status().blnPreviewToggle);

    // A reconnect tries to listen again and fails again: not said again.
    const size_t connectionsBefore = station.connections.size();
    clock.set(start + 10200);
    recorder->Timer1_Timer();
    ASSERT_TRUE(WaitUntil(
        [&] { return station.connections.size() > connectionsBefore && recorder->Status().blnPreviewToggle; }));
    ASSERT_TRUE(answerWith("ICY 200 OK\r\n\r\n"));
    feedUntilListeningStops();
    EXPECT_EQ(captions.count(said), 1);

    EXPECT_TRUE(recorder->Status().blnRecording);
    EXPECT_EQ(recorder->AudioBytesWritten(), 10000); // the audio is recorded all the same
    EXPECT_TRUE(messages.messages.isEmpty()) << messages.messages.join('\n').toStdString();
    recorder->StopRecording();
}
