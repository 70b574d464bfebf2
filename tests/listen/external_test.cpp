#include "listen/ctlmp3server.h"
#include "listen/pcmoutput.h"
#include "listen/streamplayer.h"
#include "platform/messages.h"
#include "tests/listen/mp3files.h"
#include "tests/listen/relayfakes.h"
#include "tests/support/eventwait.h"
#include "tests/support/tools.h"
#include "tests/support/fakes.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>

namespace {

// The local test station, and a reader that does what the recorder does
// with its audio while the user listens: every block goes to PushData.
class RecordingThroughRelay : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString source = qEnvironmentVariable("TONQUILL_SOURCE_DIR");
        if (source.isEmpty())
            source = QStringLiteral(TONQUILL_SOURCE_DIR_DEFAULT);
        const QString script = source + QStringLiteral("/tools/teststation.py");
        ASSERT_TRUE(QFile::exists(script)) << "the local test station is needed: " << script.toStdString();
        SKIP_WITHOUT_TOOL("python3");
        SKIP_WITHOUT_TOOL("mpg123");
        station.start(QStringLiteral("python3"),
                      {script, QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--lifetime"),
                       QStringLiteral("60"), QStringLiteral("--cache"), folder.file(QStringLiteral("cache")),
                       QStringLiteral("--tone-seconds"), QStringLiteral("2")});
        QByteArray out;
        ASSERT_TRUE(WaitUntil([&] {
            out += station.readAllStandardOutput();
            return out.contains("LISTENING ") && out.endsWith('\n');
        }, 30000)) << out.constData();
        stationPort = out.mid(out.indexOf("LISTENING ") + 10).trimmed().toInt();
        ASSERT_GT(stationPort, 0);

        auto output = std::make_unique<NullPcmOutput>();
        sound = output.get();
        auto player = std::make_unique<StreamPlayer>(std::move(output));
        embedded = player.get();
        relay = std::make_unique<ctlMP3Server>(messages, std::move(player), std::make_unique<FakeMixer>());
        relayPort = FreePort();
        relay->setPort(relayPort);
    }

    void TearDown() override
    {
        for (QProcess* p : {&mpg123, &station}) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(3000);
            }
        }
    }

    void startRecording()
    {
        QObject::connect(&stream, &QTcpSocket::connected, [this] {
            stream.write("GET /stream HTTP/1.0\r\nHost: 127.0.0.1\r\nIcy-MetaData:0\r\n\r\n");
        });
        QObject::connect(&stream, &QTcpSocket::readyRead, [this] {
            QByteArray data = stream.readAll();
            if (!headerDone) {
                header += data;
                const qsizetype end = header.indexOf("\r\n\r\n");
                if (end < 0)
                    return;
                headerDone = true;
                data = header.mid(end + 4);
            }
            if (data.isEmpty() || !feeding)
                return;
            written += data;
            if (relay->blnEnablePreviewStream())
                relay->PushData(data);
        });
        stream.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(stationPort));
    }

    TempFolder folder;
    QProcess station;
    QProcess mpg123;
    int stationPort = 0;
    int relayPort = 0;
    RecordingMessageService messages;
    NullPcmOutput* sound = nullptr;
    StreamPlayer* embedded = nullptr;
    std::unique_ptr<ctlMP3Server> relay;
    QTcpSocket stream;
    QByteArray header;
    bool headerDone = false;
    bool feeding = true;
    QByteArray written;  // everything the "recorder" wrote
};

}  // namespace

TEST_F(RecordingThroughRelay, OutsidePlayersGetExactlyWhatWasRecordedSinceTheyJoined)
{
    relay->StartPreviewing();
    startRecording();
    // The embedded player starts once enough is buffered and asks for the stream.
    ASSERT_TRUE(WaitUntil([&] { return relay->Streaming() && sound->bytesWritten() > 0; }, 10000));

    const qsizetype writtenBeforeJoin = written.size();
    RawClient raw(relayPort);
    ASSERT_TRUE(WaitUntil([&] { return raw.connected(); }, 3000));
    raw.send("GET /streamer.mp3 HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: test\r\n\r\n");
    const QString wav = folder.file(QStringLiteral("heard.wav"));
    mpg123.start(QStringLiteral("mpg123"),
                 {QStringLiteral("-q"), QStringLiteral("-w"), wav, relay->PlayerAddress()});
    ASSERT_TRUE(mpg123.waitForStarted(5000));
    ASSERT_TRUE(WaitUntil([&] { return relay->ClientCount() == 3; }, 5000));
    // Well over a second of audio reaches every listener.
    ASSERT_TRUE(WaitUntil([&] {
        return raw.received.size() > kRelayAnswer.size() + 24000 && embedded->Decoder().FramesDecoded() > 2 * 44100
               && QFileInfo(wav).size() > 2 * 44100 * 4;
    }, 30000));

    // The recording ends: what is buffered still reaches every listener.
    feeding = false;
    stream.abort();
    ASSERT_TRUE(WaitUntil([&] { return relay->BufferedBytes() == 0; }, 3000));
    ASSERT_TRUE(WaitUntil([&] {
        return raw.received.size() > kRelayAnswer.size()
               && written.endsWith(raw.received.mid(kRelayAnswer.size()).right(4096))
               && embedded->AudioBytesReceived() == written.size();
    }, 5000));
    RunPendingEvents();

    ASSERT_TRUE(raw.received.startsWith(kRelayAnswer));
    const QByteArray heard = raw.received.mid(kRelayAnswer.size());
    const qsizetype joinedAt = written.size() - heard.size();
    EXPECT_GE(joinedAt, writtenBeforeJoin);
    EXPECT_GT(heard.size(), 16000);  // over a second at 128 kbit/s
    EXPECT_TRUE(written.mid(joinedAt) == heard);
    // The embedded player was there from the start: all of it, decoded.
    EXPECT_EQ(embedded->AudioBytesReceived(), written.size());
    EXPECT_GT(embedded->Decoder().FramesDecoded(), 44100);
    EXPECT_EQ(sound->framesWritten(), embedded->Decoder().FramesDecoded());

    relay->StopPreviewing();  // the listeners see the end of the stream
    ASSERT_TRUE(WaitUntil([&] { return mpg123.state() == QProcess::NotRunning; }, 10000));
    EXPECT_EQ(mpg123.exitStatus(), QProcess::NormalExit);
    const qint64 pcm = mp3files::WavDataBytes(wav);
    EXPECT_GT(pcm, 44100 * 4) << mpg123.readAllStandardError().constData();  // over a second of sound
    EXPECT_EQ(pcm % 4, 0);
    EXPECT_TRUE(messages.messages.isEmpty()) << messages.messages.join(QStringLiteral(" | ")).toStdString();
}
