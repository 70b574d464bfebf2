// Listening to an Ogg station through the relay: the embedded player and
// ffmpeg both come in the middle of a song and decode it without a fault.
#include "listen/ctlmp3server.h"
#include "listen/pcmoutput.h"
#include "listen/streamplayer.h"
#include "listen/system/oggdecoder.h"
#include "platform/messages.h"
#include "tests/listen/oggfixtures.h"
#include "tests/listen/relayfakes.h"
#include "tests/support/eventwait.h"
#include "tests/support/tools.h"
#include "tests/support/fakes.h"

#include <QProcess>
#include <gtest/gtest.h>

using oggfixtures::Codec;

namespace {

qint64 granuleOf(const QByteArray& page)
{
    oggpages::Page p;
    oggpages::ReadPage(page.constData(), page.size(), p);
    return p.granule;
}

} // namespace

TEST(OggThroughRelay, PlayersThatJoinInASongDecodeItAndTheNextWithoutFault)
{
    SKIP_WITHOUT_TOOL("ffmpeg");
    TempFolder folder;
    constexpr int kSongFrames = 10 * 44100;
    const QList<QByteArray> first =
        oggfixtures::PagesOf(oggfixtures::MakeSong(folder.path(), Codec::Vorbis, 44100, 2, kSongFrames, 1));
    const QList<QByteArray> second =
        oggfixtures::PagesOf(oggfixtures::MakeSong(folder.path(), Codec::Vorbis, 44100, 2, kSongFrames, 2));
    ASSERT_GE(first.size(), 5) << "ffmpeg could not make the songs";
    ASSERT_GE(second.size(), 5);

    RecordingMessageService messages;
    auto output = std::make_unique<NullPcmOutput>();
    NullPcmOutput* sound = output.get();
    auto player = std::make_unique<StreamPlayer>(std::move(output));
    StreamPlayer* embedded = player.get();
    embedded->setOggDecoderMaker([](QString&) { return std::make_unique<OggFeedDecoder>(); });
    ctlMP3Server relay(messages, std::move(player), std::make_unique<FakeMixer>());
    relay.setPort(FreePort());
    relay.BeginStream("application/ogg", true);

    // Listening begins inside the song's fourth page; the recorder offers its header.
    relay.StartPreviewing();
    relay.OfferOggHeader(first[0] + first[1]);
    const QByteArray rest = first.mid(4).join() + second.join();
    relay.PushData(first[3].mid(first[3].size() / 2) + rest.left(rest.size() / 4));
    ASSERT_GT(relay.BufferedBytes(), ctlMP3Server::kStartThreshold);
    ASSERT_TRUE(WaitUntil([&] { return embedded->ActiveDecoder() && sound->bytesWritten() > 0; }, 10000))
        << embedded->Status().toStdString();

    QProcess ffmpeg;
    // It stops after a song's length: the stream has more than that left
    // when it comes, and it goes on past the end of the first song. Time
    // stamps are counted afresh, as chained songs start theirs at zero.
    const QString seconds = QString::number(kSongFrames / 44100);
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), relay.PlayerAddress(),
                  QStringLiteral("-af"), QStringLiteral("asetpts=N/SR/TB"), QStringLiteral("-t"), seconds,
                  QStringLiteral("-f"), QStringLiteral("s16le"), QStringLiteral("-")});
    ASSERT_TRUE(ffmpeg.waitForStarted(5000));
    ASSERT_TRUE(WaitUntil([&] { return relay.ClientCount() == 2; }, 10000));
    constexpr qsizetype kPiece = 3000;
    for (qsizetype at = rest.size() / 4; at < rest.size(); at += kPiece) {
        relay.PushData(rest.mid(at, kPiece));
        ASSERT_TRUE(WaitUntil([&] { return relay.BufferedBytes() == 0; }, 3000));
    }
    // The embedded player gets the header, then every whole page from the fifth on.
    const qint64 expectedBytes = first[0].size() + first[1].size() + rest.size();
    ASSERT_TRUE(WaitUntil([&] { return embedded->AudioBytesReceived() == expectedBytes; }, 10000))
        << embedded->AudioBytesReceived() << " of " << expectedBytes;
    const qint64 firstPart = granuleOf(first.last()) - granuleOf(first[3]);
    const qint64 decoded = embedded->ActiveDecoder()->FramesDecoded();
    EXPECT_LE(decoded, firstPart + kSongFrames);
    EXPECT_GE(decoded, firstPart + kSongFrames - (granuleOf(first[5]) - granuleOf(first[4])));
    EXPECT_EQ(embedded->ActiveDecoder()->Errors(), 0);
    EXPECT_EQ(sound->bytesWritten(), decoded * 4);

    ASSERT_TRUE(WaitUntil([&] { return ffmpeg.state() == QProcess::NotRunning; }, 20000));
    EXPECT_EQ(ffmpeg.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(ffmpeg.exitCode(), 0);
    EXPECT_EQ(ffmpeg.readAllStandardError(), QByteArray());
    // The song's length, give or take the frame ffmpeg rounds its end to.
    EXPECT_NEAR(double(ffmpeg.readAllStandardOutput().size()), kSongFrames * 4.0, 4.0);
    relay.StopPreviewing();
    EXPECT_TRUE(messages.messages.isEmpty());
}
