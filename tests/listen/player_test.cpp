#include "listen/pcmoutput.h"
#include "listen/streamplayer.h"
#include "listen/system/aacdecoder.h"
#include "listen/system/audiosinkoutput.h"
#include "listen/system/oggdecoder.h"
#include "tests/listen/aacfixtures.h"
#include "tests/listen/mp3files.h"
#include "tests/listen/oggfixtures.h"
#include "tests/listen/relayfakes.h"
#include "tests/support/eventwait.h"
#include "tests/support/ports.h"
#include "tests/support/tools.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

// A stream server that answers one client with `answer` in `pieces`, then
// the audio, then closes.
struct OneShotServer {
    QTcpServer server;
    QTcpSocket* conn = nullptr;
    QByteArray request;
    OneShotServer(QList<QByteArray> pieces, QByteArray audio)
    {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, [this, pieces, audio] {
            conn = server.nextPendingConnection();
            QObject::connect(conn, &QTcpSocket::readyRead, [this, pieces, audio] {
                const bool first = request.isEmpty();
                request += conn->readAll();
                if (!first || !request.contains("\r\n\r\n"))
                    return;
                for (const QByteArray& p : pieces) {
                    conn->write(p);
                    conn->flush();
                }
                conn->write(audio);
                conn->disconnectFromHost();
            });
        });
    }
    QString address() const { return QStringLiteral("http://127.0.0.1:%1/streamer.mp3").arg(server.serverPort()); }
};

class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SKIP_WITHOUT_TOOL("sox");
        SKIP_WITHOUT_TOOL("lame");
        SKIP_WITHOUT_TOOL("ffprobe");
        mp3 = mp3files::MakeSine(folder.path(), 2);
        ASSERT_FALSE(mp3.isEmpty()) << "sox and lame could not make the MP3 fixture";
        frames = mp3files::FfprobeFrameCount(folder.file(QStringLiteral("sine.mp3")));
        ASSERT_GT(frames, 0) << "ffprobe could not count the fixture's frames";
    }
    TempFolder folder;
    QByteArray mp3;
    int frames = 0;
};

} // namespace

TEST_F(PlayerTest, SkipsTheAnswerHeaderAndPlaysEverySample)
{
    const QList<QList<QByteArray>> answers = {
        {"ICY 200 OK\r\nContent-Type: audio/mpeg\r\n\r\n"},
        {"HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\nicy-name: x\r\n\r\n"},
        {"ICY 200 OK\n", "content-type: audio/mpeg\n\n"},
        {"IC", "Y 200 OK\r", "\nContent-Type: audio/mpeg\r\n\r", "\n"},
    };
    for (const QList<QByteArray>& answer : answers) {
        SCOPED_TRACE(answer.join().constData());
        OneShotServer server(answer, mp3);
        auto output = std::make_unique<NullPcmOutput>();
        NullPcmOutput* out = output.get();
        StreamPlayer player(std::move(output));
        player.Volume(50, -1, 40);
        player.Open(server.address());
        EXPECT_EQ(player.Address(), server.address());
        player.Play();
        ASSERT_TRUE(WaitUntil([&] { return !player.IsPlaying(); }, 5000)); // ends with the stream
        EXPECT_TRUE(server.request.startsWith("GET /streamer.mp3 HTTP/1.0\r\n"));
        EXPECT_EQ(player.AudioBytesReceived(), mp3.size());
        EXPECT_EQ(player.Decoder().FramesDecoded(), frames * 1152);
        EXPECT_EQ(out->bytesWritten(), frames * 1152 * 4);
        EXPECT_EQ(out->sampleRate(), 44100);
        EXPECT_EQ(out->channels(), 2);
        EXPECT_DOUBLE_EQ(out->volume(), 0.4);
        EXPECT_FALSE(player.Status().isEmpty()); // says the stream has ended
    }
}

TEST_F(PlayerTest, RefusedOrUnreadableAnswersPlayNothing)
{
    const QList<QByteArray> answers = {
        "ICY 404 Resource Not Found\r\n\r\n",
        "HTTP/1.0 503 Service Unavailable\r\n\r\n",
        "garbage without a blank line " + QByteArray(20000, 'x'),
    };
    for (const QByteArray& answer : answers) {
        SCOPED_TRACE(answer.left(30).constData());
        OneShotServer server({answer}, mp3);
        auto output = std::make_unique<NullPcmOutput>();
        NullPcmOutput* out = output.get();
        StreamPlayer player(std::move(output));
        QSignalSpy status(&player, &StreamPlayer::StatusChanged);
        player.Open(server.address());
        player.Play();
        ASSERT_TRUE(WaitUntil([&] { return !player.IsPlaying(); }, 5000));
        EXPECT_EQ(out->bytesWritten(), 0);
        EXPECT_EQ(player.AudioBytesReceived(), 0);
        EXPECT_GE(status.count(), 1);
    }
}

TEST(Player, NoServerIsAStatusNotACrash)
{
    StreamPlayer player(std::make_unique<NullPcmOutput>());
    player.Play(); // nothing opened
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_FALSE(player.Status().isEmpty());
    const RefusingPort refusing;
    ASSERT_NE(refusing.port(), 0);
    player.Open(QStringLiteral("http://127.0.0.1:%1/streamer.mp3").arg(refusing.port()));
    player.Play();
    ASSERT_TRUE(WaitUntil([&] { return !player.IsPlaying(); }, 5000));
    player.Stop();
    player.Close();
    EXPECT_TRUE(player.Address().isEmpty());
}

TEST(Player, OutputVolumeFollowsThePlayerVolume)
{
    struct Case {
        qint32 volume;
        double output;
    };
    const Case cases[] = {{0, 0.0}, {1, 0.01}, {50, 0.5}, {100, 1.0}, {250, 1.0}, {-1, 1.0}};
    for (const Case& c : cases) {
        auto output = std::make_unique<NullPcmOutput>();
        NullPcmOutput* out = output.get();
        StreamPlayer player(std::move(output));
        player.Volume(50, 73, c.volume);
        EXPECT_DOUBLE_EQ(out->volume(), c.output) << c.volume;
        EXPECT_EQ(player.Balance(), 50);
        EXPECT_EQ(player.MasterVolume(), 73);
        EXPECT_EQ(player.PlayerVolume(), c.volume);
    }
}

TEST_F(PlayerTest, WithoutAnAudioDeviceItSaysSoOnceAndKeepsReading)
{
    if (!QMediaDevices::defaultAudioOutput().isNull())
        GTEST_SKIP() << "this machine has an audio output";
    StreamPlayer player(std::make_unique<AudioSinkOutput>()); // the system's output
    QSignalSpy status(&player, &StreamPlayer::StatusChanged);
    QStringList told;
    QObject::connect(&player, &StreamPlayer::StatusChanged, [&](const QString& s) { told << s; });
    for (int round = 0; round < 2; ++round) {
        OneShotServer server({"ICY 200 OK\r\n\r\n"}, mp3);
        player.Open(server.address());
        player.Play();
        ASSERT_TRUE(WaitUntil([&] { return !player.IsPlaying(); }, 5000));
        EXPECT_EQ(player.AudioBytesReceived(), mp3.size());
        EXPECT_EQ(player.Decoder().FramesDecoded(), frames * 1152);
    }
    EXPECT_EQ(told.filter(QStringLiteral("audio output")).size(), 1) << told.join(QStringLiteral(" | ")).toStdString();
}

// A headless run plays only when asked; the relay serves other players all the same.
TEST(Player, HeadlessRunsPlayOnlyWhenAskedTo)
{
    const QByteArray before = qgetenv("TONQUILL_LISTEN");
    const bool wasSet = qEnvironmentVariableIsSet("TONQUILL_LISTEN");
    const struct {
        bool headless;
        const char* listen; // nullptr: not set
        bool plays;
    } cases[] = {
        {true, nullptr, false}, {true, "0", false},     {true, "yes", false},
        {true, "1", true},      {false, nullptr, true}, {false, "0", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.headless ? "headless " : "windowed ") + (c.listen ? c.listen : "unset"));
        if (c.listen)
            qputenv("TONQUILL_LISTEN", c.listen);
        else
            qunsetenv("TONQUILL_LISTEN");
        const std::unique_ptr<IMP3Player> player = EmbeddedPlayerFor(c.headless);
        ASSERT_TRUE(player);
        EXPECT_EQ(dynamic_cast<StreamPlayer*>(player.get()) != nullptr, c.plays);
    }
    if (wasSet)
        qputenv("TONQUILL_LISTEN", before);
    else
        qunsetenv("TONQUILL_LISTEN");
}

// Ogg and AAC streams go to their decoder, known by the answer's type or by
// their first bytes; the decoder is made once, and without one the stream
// is read and dropped.
TEST(StreamPlayer, PlaysOggAndAacKnownByTypeOrByTheirFirstBytes)
{
    SKIP_WITHOUT_TOOL("ffmpeg");
    TempFolder folder;
    using oggfixtures::Codec;
    const QByteArray oggStream = oggfixtures::MakeSong(folder.path(), Codec::Vorbis, 44100, 2, 30000, 1) +
                                 oggfixtures::MakeSong(folder.path(), Codec::Opus, 48000, 1, 20000, 2);
    ASSERT_GT(oggStream.size(), 1000) << "ffmpeg could not make the songs";
    const QByteArray aacStream = aacfixtures::MakeAdts(folder.path(), 32000, 1, 1.5);
    const qint64 aacFrames = 1024 * (aacfixtures::FrameStarts(aacStream).size() - 1);
    ASSERT_GT(aacFrames, 10 * 1024) << "ffmpeg could not make the AAC stream";
    enum class Kind { Ogg, Aac };
    // What each stream plays: sample frames, bytes, and the last song's format.
    struct Played {
        QByteArray audio;
        qint64 frames, bytes;
        int rate, channels;
    };
    const Played ogg{oggStream, 50000, 30000 * 4 + 20000 * 2, 48000, 1};
    const Played aac{aacStream, aacFrames, aacFrames * 2, 32000, 1};
    const struct {
        const char* name;
        Kind kind;
        QList<QByteArray> answer;
        bool decoderLoads;
    } cases[] = {
        {"Ogg type", Kind::Ogg, {"ICY 200 OK\r\nContent-Type: audio/ogg\r\n\r\n"}, true},
        {"MP3 type, Ogg pages", Kind::Ogg, {"HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\n\r\nO", "g", "gS"}, true},
        {"no Ogg decoder to load", Kind::Ogg, {"ICY 200 OK\r\nContent-Type: application/ogg\r\n\r\n"}, false},
        {"AAC type", Kind::Aac, {"ICY 200 OK\r\ncontent-type: audio/aacp\r\n\r\n"}, true},
        {"no type, an ADTS header in pieces",
         Kind::Aac,
         {"HTTP/1.0 200 OK\r\n\r\n" + aacStream.left(1), aacStream.mid(1, 2), aacStream.mid(3, 4)},
         true},
        {"no AAC decoder to load", Kind::Aac, {"ICY 200 OK\r\nContent-Type: audio/aac\r\n\r\n"}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Played& played = c.kind == Kind::Ogg ? ogg : aac;
        const QByteArray& audio = played.audio;
        QList<QByteArray> pieces = c.answer;
        const qsizetype sniffed = pieces.join().size() - pieces.join().indexOf("\r\n\r\n") - 4;
        OneShotServer server(pieces, audio.mid(sniffed));
        auto output = std::make_unique<NullPcmOutput>();
        NullPcmOutput* out = output.get();
        StreamPlayer player(std::move(output));
        int made = 0, wrong = 0;
        const auto maker = [&](Kind kind) {
            return [&, kind](QString& problem) -> std::unique_ptr<IStreamDecoder> {
                if (kind != c.kind) {
                    ++wrong;
                    return nullptr;
                }
                ++made;
                if (!c.decoderLoads) {
                    problem = QStringLiteral("No decoder here");
                    return nullptr;
                }
                if (kind == Kind::Ogg)
                    return std::make_unique<OggFeedDecoder>();
                return std::make_unique<AacFeedDecoder>();
            };
        };
        player.setOggDecoderMaker(maker(Kind::Ogg));
        player.setAacDecoderMaker(maker(Kind::Aac));
        player.Open(server.address());
        player.Play();
        ASSERT_TRUE(WaitUntil([&] { return !player.IsPlaying(); }, 5000));
        EXPECT_EQ(made, 1);
        EXPECT_EQ(wrong, 0);
        EXPECT_EQ(player.AudioBytesReceived(), audio.size());
        ASSERT_NE(player.ActiveDecoder(), nullptr);
        EXPECT_EQ(player.ActiveDecoder()->FramesDecoded(), c.decoderLoads ? played.frames : 0);
        EXPECT_EQ(player.ActiveDecoder()->Errors(), 0);
        EXPECT_EQ(player.Decoder().FramesDecoded(), 0) << "not fed to the MP3 decoder";
        EXPECT_EQ(out->bytesWritten(), c.decoderLoads ? played.bytes : 0);
        if (c.decoderLoads) {
            EXPECT_EQ(out->sampleRate(), played.rate);
            EXPECT_EQ(out->channels(), played.channels);
        }
    }
}
