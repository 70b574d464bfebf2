#include "listen/ctlmp3server.h"
#include "platform/eventsocket.h"
#include "platform/messages.h"
#include "tests/listen/oggfixtures.h"
#include "tests/listen/relayfakes.h"
#include "tests/support/eventwait.h"
#include "tests/support/fakes.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

class RelayTest : public ::testing::Test {
protected:
    RelayTest()
    {
        auto player = std::make_unique<FakePlayer>();
        auto mixer = std::make_unique<FakeMixer>();
        fakePlayer = player.get();
        fakeMixer = mixer.get();
        relay = std::make_unique<ctlMP3Server>(messages, std::move(player), std::move(mixer));
        port = FreePort();
        relay->setPort(port);
    }

    // Listening on, `bytes` buffered, one tick: the server is up.
    // Should another program take the port first, it moves to a new one.
    void startServing(const QByteArray& bytes, const std::function<void()>& afterStart = {})
    {
        const int listening = ListenOnFreePort([&](int candidate) {
            port = candidate;
            relay->setPort(port);
            messages.messages.clear();
            relay->StartPreviewing();
            if (afterStart)
                afterStart();
            relay->PushData(bytes);
            relay->tmrAudio_Timer();
            return relay->ServerStarted();
        });
        ASSERT_NE(listening, 0) << messages.messages.join(QLatin1Char('\n')).toStdString();
    }

    // A client that asked for the stream and has the answer.
    std::unique_ptr<RawClient> listener(const QByteArray& request = "GET /streamer.mp3 HTTP/1.0\r\n\r\n")
    {
        auto c = std::make_unique<RawClient>(port);
        EXPECT_TRUE(WaitUntil([&] { return c->connected(); }, 3000));
        c->send(request);
        EXPECT_TRUE(WaitUntil([&] { return c->received.size() >= kRelayAnswer.size(); }, 3000));
        return c;
    }

    RecordingMessageService messages;
    FakePlayer* fakePlayer = nullptr;
    FakeMixer* fakeMixer = nullptr;
    std::unique_ptr<ctlMP3Server> relay;
    int port = 0;
};

}  // namespace

TEST_F(RelayTest, ServerStartsAtTheTickAfterMoreThan4000Bytes)
{
    struct Case {
        const char* name;
        std::vector<int> blocks;
        bool starts;
    };
    const Case cases[] = {
        {"exactly 4000", {4000}, false},
        {"4000 in pieces", {1000, 2999, 1}, false},
        {"4001", {4001}, true},
        {"4000 then one more", {4000, 1}, true},
        {"one big block", {65536}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        relay->StopPreviewing();
        fakePlayer->calls.clear();
        relay->StartPreviewing();
        for (int n : c.blocks) {
            relay->PushData(Pattern(n, 1));
            EXPECT_FALSE(relay->ServerStarted());  // never before a tick
        }
        relay->tmrAudio_Timer();
        EXPECT_EQ(relay->ServerStarted(), c.starts);
        const QStringList expected = c.starts
            ? QStringList{QStringLiteral("open http://127.0.0.1:%1/streamer.mp3").arg(port), QStringLiteral("play")}
            : QStringList{};
        EXPECT_EQ(fakePlayer->calls, expected);
    }
    EXPECT_TRUE(messages.messages.isEmpty());
}

TEST_F(RelayTest, AudioBeforeListeningIsNotKept)
{
    relay->PushData(Pattern(10000, 2));
    EXPECT_EQ(relay->BufferedBytes(), 0);
    relay->StartPreviewing();
    relay->PushData(Pattern(3000, 2));
    relay->StartPreviewing();  // a second start changes nothing
    EXPECT_EQ(relay->BufferedBytes(), 3000);
    relay->tmrAudio_Timer();
    EXPECT_FALSE(relay->ServerStarted());
}

TEST_F(RelayTest, RequestIsAnsweredWithHeaderThenTheBufferedAudio)
{
    const QList<QList<QByteArray>> requests = {
        {"GET /streamer.mp3 HTTP/1.0\r\nHost: 127.0.0.1\r\nIcy-MetaData: 1\r\nUser-Agent: x\r\n\r\n"},
        {"GET /streamer.mp3 HTTP/1.1\n\n"},
        {"GE", "T /strea", "mer.mp3 HTTP/1.1\r\n", "Accept: */*\r\n\r\n"},
    };
    int round = 0;
    for (const QList<QByteArray>& pieces : requests) {
        SCOPED_TRACE(pieces.join().constData());
        relay->StopPreviewing();
        const QByteArray first = Pattern(4500, ++round);
        startServing(first);
        RawClient client(port);
        ASSERT_TRUE(WaitUntil([&] { return client.connected(); }, 3000));
        for (const QByteArray& p : pieces) {
            client.send(p);
            ASSERT_TRUE(WaitUntil([&] { return client.socket->bytesToWrite() == 0; }, 3000));
            RunPendingEvents(1);  // the relay reads this piece before the next is sent
        }
        ASSERT_TRUE(WaitUntil([&] { return client.received.size() >= kRelayAnswer.size() + first.size(); }, 3000));
        EXPECT_EQ(client.received.left(kRelayAnswer.size()), kRelayAnswer);
        EXPECT_EQ(client.received.mid(kRelayAnswer.size()), first);
        // What follows arrives in the next flushes, unchanged.
        const QByteArray more = Pattern(300000, round + 50);
        relay->PushData(more);
        ASSERT_TRUE(WaitUntil([&] { return client.received.size() >= kRelayAnswer.size() + first.size() + more.size(); }, 5000));
        EXPECT_EQ(client.received.mid(kRelayAnswer.size()), first + more);
        EXPECT_TRUE(relay->Streaming());
    }
    EXPECT_TRUE(messages.messages.isEmpty());
}

TEST_F(RelayTest, ForeignAndWrongRequestsDoNotDisturbARunningStream)
{
    startServing(Pattern(5000, 3));
    auto good = listener();
    ASSERT_TRUE(WaitUntil([&] { return good->received.size() >= kRelayAnswer.size() + 5000; }, 3000));

    // A connection the peer check calls non-local is refused without a byte.
    relay->setPeerAddressReader([](const EventSocket&) { return QStringLiteral("192.168.1.20"); });
    RawClient stranger(port);
    WaitUntil([&] { return stranger.closed; }, 3000);
    EXPECT_TRUE(stranger.closed);
    EXPECT_TRUE(stranger.received.isEmpty());
    relay->setPeerAddressReader(nullptr);

    // A local program asking for something else gets nothing either.
    RawClient wrong(port);
    ASSERT_TRUE(WaitUntil([&] { return wrong.connected(); }, 3000));
    wrong.send("GET /other.mp3 HTTP/1.0\r\n\r\n");
    WaitUntil([&] { return wrong.closed; }, 3000);
    EXPECT_TRUE(wrong.closed);
    EXPECT_TRUE(wrong.received.isEmpty());
    EXPECT_EQ(messages.messages, QStringList{QStringLiteral("Invalid request!")});

    const QByteArray more = Pattern(20000, 4);
    relay->PushData(more);
    ASSERT_TRUE(WaitUntil([&] { return good->received.size() >= kRelayAnswer.size() + 5000 + more.size(); }, 3000));
    EXPECT_EQ(good->received.right(more.size()), more);
    EXPECT_TRUE(relay->blnEnablePreviewStream());
    EXPECT_EQ(relay->ClientCount(), 1);
}

TEST_F(RelayTest, EachClientGetsTheStreamFromWhenItAsked)
{
    startServing(Pattern(4100, 5));
    auto first = listener();
    QByteArray pushed = Pattern(4100, 5);
    for (int i = 0; i < 3; ++i) {
        const QByteArray block = Pattern(1500, 10 + i);
        relay->PushData(block);
        pushed += block;
    }
    ASSERT_TRUE(WaitUntil([&] { return first->received.size() == kRelayAnswer.size() + pushed.size(); }, 3000));

    // Pushed but not yet flushed when the second one asks: not for it.
    const QByteArray beforeSecond = Pattern(777, 20);
    relay->PushData(beforeSecond);
    pushed += beforeSecond;
    auto second = listener();
    QByteArray afterSecond;
    for (int i = 0; i < 5; ++i) {
        const QByteArray block = Pattern(1200 + i, 30 + i);
        relay->PushData(block);
        afterSecond += block;
        // Each block goes out in a flush of its own.
        ASSERT_TRUE(WaitUntil([&] { return second->received.size() >= kRelayAnswer.size() + afterSecond.size(); }, 5000));
    }
    pushed += afterSecond;
    ASSERT_TRUE(WaitUntil([&] {
        return first->received.size() == kRelayAnswer.size() + pushed.size()
               && second->received.size() == kRelayAnswer.size() + afterSecond.size();
    }, 3000));
    EXPECT_EQ(first->received, kRelayAnswer + pushed);
    EXPECT_EQ(second->received, kRelayAnswer + afterSecond);

    // The first goes away: nothing is said and the second goes on.
    first->socket->abort();
    first.reset();
    ASSERT_TRUE(WaitUntil([&] { return relay->ClientCount() == 1; }, 3000));
    const QByteArray last = Pattern(9000, 40);
    relay->PushData(last);
    ASSERT_TRUE(WaitUntil([&] { return second->received.size() == kRelayAnswer.size() + afterSecond.size() + last.size(); }, 3000));
    EXPECT_EQ(second->received.right(last.size()), last);
    EXPECT_TRUE(messages.messages.isEmpty());
    EXPECT_TRUE(relay->blnEnablePreviewStream());
}

TEST_F(RelayTest, WithoutAClientOnlyTheNewestAudioIsKept)
{
    relay->StartPreviewing();
    QByteArray all;
    for (int i = 0; i < 48; ++i) {  // 3 MiB in 64 KiB blocks
        const QByteArray block = Pattern(65536, 60 + i);
        relay->PushData(block);
        all += block;
    }
    EXPECT_EQ(relay->BufferedBytes(), ctlMP3Server::kMaxBufferedBytes);
    relay->tmrAudio_Timer();
    ASSERT_TRUE(relay->ServerStarted());
    auto client = listener();
    ASSERT_TRUE(WaitUntil([&] { return client->received.size() >= kRelayAnswer.size() + ctlMP3Server::kMaxBufferedBytes; }, 5000));
    EXPECT_EQ(client->received.mid(kRelayAnswer.size()), all.right(ctlMP3Server::kMaxBufferedBytes));
}

TEST_F(RelayTest, StopThenStartBeginsAgainFromAnEmptyBuffer)
{
    startServing(Pattern(8000, 6));
    auto client = listener();
    fakePlayer->calls.clear();
    relay->StopPreviewing();
    EXPECT_EQ(fakePlayer->calls, (QStringList{QStringLiteral("stop"), QStringLiteral("close")}));
    EXPECT_FALSE(relay->blnEnablePreviewStream());
    EXPECT_FALSE(relay->ServerStarted());
    EXPECT_FALSE(relay->Streaming());
    EXPECT_EQ(relay->BufferedBytes(), 0);
    ASSERT_TRUE(WaitUntil([&] { return client->closed; }, 3000));
    RawClient refused(port);  // the port is free again
    WaitUntil([&] { return refused.socket->state() == QAbstractSocket::UnconnectedState; }, 3000);
    EXPECT_FALSE(refused.connected());

    relay->StopPreviewing();  // harmless when off
    relay->StartPreviewing();
    relay->PushData(Pattern(4000, 7));
    relay->tmrAudio_Timer();
    EXPECT_FALSE(relay->ServerStarted());
    relay->PushData(Pattern(1, 7));
    relay->tmrAudio_Timer();
    EXPECT_TRUE(relay->ServerStarted());
    EXPECT_TRUE(messages.messages.isEmpty());
}

TEST_F(RelayTest, SecondCopyOnTheSamePortSaysSoAndStops)
{
    startServing(Pattern(5000, 8));
    RecordingMessageService otherMessages;
    auto otherPlayer = std::make_unique<FakePlayer>();
    FakePlayer* other = otherPlayer.get();
    ctlMP3Server second(otherMessages, std::move(otherPlayer), std::make_unique<FakeMixer>());
    QStringList said;
    QObject::connect(&second, &ctlMP3Server::RelayTaken, [&](const QString& status) { said << status; });
    second.setPort(port);
    second.StartPreviewing();
    second.PushData(Pattern(5000, 9));
    second.tmrAudio_Timer();
    RunPendingEvents();  // nothing more from the failed socket
    EXPECT_EQ(said, QStringList{QStringLiteral("Another recorder is relaying on 127.0.0.1:%1; this one records "
                                               "without relaying")
                                    .arg(port)});
    EXPECT_TRUE(otherMessages.messages.isEmpty()) << "a status, not a message box";
    EXPECT_FALSE(second.blnEnablePreviewStream());
    EXPECT_FALSE(second.ServerStarted());
    EXPECT_EQ(second.BufferedBytes(), 0);
    EXPECT_FALSE(other->calls.contains(QStringLiteral("play")));
    // The first copy still serves.
    auto client = listener();
    ASSERT_TRUE(WaitUntil([&] { return client->received.size() >= kRelayAnswer.size() + 5000; }, 3000));
    EXPECT_EQ(client->received, kRelayAnswer + Pattern(5000, 8));
    EXPECT_TRUE(messages.messages.isEmpty());
}

TEST_F(RelayTest, VolumeGoesToThePlayerWithTheMasterVolume)
{
    struct Case {
        bool mixer;
        qint32 level;
        qint32 volume;
        qint32 master;
    };
    const Case cases[] = {
        {false, 0, 30, -1},  // no mixer: -1, the player still gets its volume
        {true, 0, 0, 0},
        {true, 327, 55, 0},
        {true, 328, 55, 1},
        {true, 32767, 100, 50},
        {true, 65535, 1, 100},
    };
    for (const Case& c : cases) {
        fakeMixer->present = c.mixer;
        fakeMixer->level = c.level;
        fakePlayer->volumes.clear();
        relay->SetVolume(c.volume);
        ASSERT_EQ(fakePlayer->volumes.size(), 1);
        EXPECT_EQ(fakePlayer->volumes[0], (std::array<qint32, 3>{50, c.master, c.volume}));
        EXPECT_EQ(relay->lSetVolume(), c.volume);
        EXPECT_EQ(relay->MixerVolume(), c.mixer ? c.master : 50);
    }
}

TEST_F(RelayTest, OggGoesOutInWholePagesWithTheSongsHeaderForEachNewListener)
{
    using oggfixtures::Codec;
    const QList<QByteArray> pages = oggfixtures::Song(Codec::Vorbis, 5, 60) + oggfixtures::Song(Codec::Opus, 6, 10);
    auto range = [&](int from, int to) { return pages.mid(from, to - from).join(); };
    const QByteArray header = range(0, 2);
    const QByteArray answer = "ICY 200 OK\r\nContent-Type: application/ogg\r\n\r\n";
    relay->BeginStream(" Application/Ogg", true);
    // Listening begins inside the song's fourth page: the recorder offers
    // the song's header, and the torn page is not relayed.
    startServing(pages[3].mid(9) + range(4, 40), [&] { relay->OfferOggHeader(header); });
    RawClient first(port);
    ASSERT_TRUE(WaitUntil([&] { return first.connected(); }, 3000));
    first.send("GET /streamer.mp3 HTTP/1.0\r\n\r\n");
    QByteArray firstExpected = answer + header + range(4, 40);
    ASSERT_TRUE(WaitUntil([&] { return first.received.size() >= firstExpected.size(); }, 3000));
    EXPECT_EQ(first.received, firstExpected);

    // The next one asks while a page is half pushed: it gets the header,
    // then that page whole.
    relay->PushData(range(40, 46) + pages[46].left(20));
    firstExpected += range(40, 46);
    ASSERT_TRUE(WaitUntil([&] { return first.received.size() >= firstExpected.size(); }, 3000));
    RawClient second(port);
    ASSERT_TRUE(WaitUntil([&] { return second.connected(); }, 3000));
    second.send("GET /streamer.mp3 HTTP/1.0\r\n\r\n");
    ASSERT_TRUE(WaitUntil([&] { return second.received.size() >= answer.size(); }, 3000));
    // Through the end of the song into the next one of the chain.
    const QByteArray rest = range(46, pages.size());
    relay->PushData(rest.mid(20));
    firstExpected += rest;
    const QByteArray secondExpected = answer + header + rest;
    ASSERT_TRUE(WaitUntil([&] {
        return first.received.size() >= firstExpected.size() && second.received.size() >= secondExpected.size();
    }, 5000));
    EXPECT_EQ(first.received, firstExpected);
    EXPECT_EQ(second.received, secondExpected);
    EXPECT_TRUE(messages.messages.isEmpty());
}

TEST_F(RelayTest, PlayersAreToldTheStreamsType)
{
    const struct {
        const char* station;
        bool ogg;
        const char* told;
    } cases[] = {
        {"application/ogg", true, "application/ogg"},
        {"audio/ogg; codecs=opus", true, "audio/ogg; codecs=opus"},
        {"audio/mpeg", true, "audio/ogg"}, // Ogg pages under another type
        {"", true, "audio/ogg"},
        {"audio/aacp", false, "audio/aacp"},
        {"", false, "audio/mpeg"},
        {"audio/", false, "audio/mpeg"},
        {"text/plain\r\nX: 1", false, "audio/mpeg"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.station);
        relay->BeginStream(c.station, c.ogg);
        EXPECT_EQ(relay->ContentType(), QByteArray(c.told));
    }
}
