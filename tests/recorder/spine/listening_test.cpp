// Listening through the relay: the user's switch, the relay it turns, the
// port taken, the volume.
#include "fixture.h"

#include "recorder/listening.h"
#include "recorder/oggrecording.h"

TEST(Listening, TheSwitchTurnsTheRelayOnlyWhileRecording)
{
    const struct {
        const char* what;
        bool recording;
        int toggles;
        bool on;
        int starts, stops;
    } rows[] = {
        {"on while recording", true, 1, true, 1, 0},
        {"on and off while recording", true, 2, false, 1, 1},
        {"on while idle: the relay waits for the recording", false, 1, true, 0, 0},
        {"on and off while idle", false, 2, false, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        FakeRelay relay;
        Listening listening(relay);
        for (int i = 0; i < row.toggles; ++i)
            listening.Toggle(row.recording);
        EXPECT_EQ(listening.On(), row.on);
        EXPECT_EQ(relay.starts, row.starts);
        EXPECT_EQ(relay.stops, row.stops);
    }
}

TEST(Listening, ResetTakesTheMixersVolumeAndTheVolumeReachesTheRelayOnce)
{
    FakeRelay relay;
    Listening listening(relay);
    listening.Begin();
    listening.Reset();
    EXPECT_FALSE(listening.On());
    EXPECT_FALSE(relay.on);
    EXPECT_EQ(listening.Volume(), 42);
    listening.ApplyVolume();
    listening.ApplyVolume();
    listening.SetVolume(7);
    listening.ApplyVolume();
    EXPECT_EQ(relay.volumes, (std::vector<qint32>{42, 7}));
}

TEST(Listening, APortTakenTurnsListeningOffAndIsSaidOncePerText)
{
    FakeRelay relay;
    Listening listening(relay);
    listening.Begin();
    EXPECT_TRUE(listening.Taken(QStringLiteral("port taken")));
    EXPECT_FALSE(listening.On());
    listening.Begin();
    EXPECT_FALSE(listening.Taken(QStringLiteral("port taken"))); // a reconnect finds it taken again
    EXPECT_FALSE(listening.On());
    EXPECT_TRUE(listening.Taken(QStringLiteral("another text")));
}

TEST(Listening, AudioReachesTheRelayOnlyWhileItListens)
{
    FakeRelay relay;
    Listening listening(relay);
    OggRecording ogg;
    listening.Audio("ab", 2, ogg);
    listening.Begin();
    listening.Audio("cd", 2, ogg);
    listening.Stop();
    listening.Audio("ef", 2, ogg);
    EXPECT_EQ(relay.pushed, QByteArray("cd"));
    EXPECT_TRUE(relay.offered.isEmpty()); // no Ogg song: no header to offer
}
