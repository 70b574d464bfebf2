// Lost streams: a closed or reset connection, a server that refuses or
// answers with an error for a while, redirects that never end, and data
// that has arrived when a reconnect happens.
#include "fixture.h"

#include "platform/eventsocket.h"
#include "tests/recorder/demux/oggpages.h"

#include <QFile>

#include <vector>

namespace {
// A slow stream: 1,000 bytes are a second of it, so a piece of audio is a
// stream that ran, and its loss is taken up at once.
const QByteArray kOkHeader = "HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\nicy-br:8\r\n\r\n";
const QByteArray k404 = "HTTP/1.0 404 Not Found\r\n\r\n";

// Audio that can be told apart byte by byte: connection `n`'s piece `i`.
QByteArray Piece(int n, int i, int size = 4000)
{
    QByteArray b(size, '\0');
    for (int k = 0; k < size; ++k)
        b[k] = static_cast<char>((n * 31 + i * 7 + k) & 0xff);
    return b;
}
}  // namespace

class OutageTest : public RecorderFixture {
protected:
    void SetUp() override
    {
        RecorderFixture::SetUp();
        config.lRecordingMode = RecordingMode::SingleFile;
        config.sStreamFileName = QStringLiteral("single.mp3");
        config.bEnabledTimedRecording = false;
        start = 100000;
        clock.set(start);
    }

    // Waits for connection `n` (1-based) and its request, then answers it.
    QTcpSocket* answer(size_t n, const QByteArray& reply)
    {
        if (!WaitUntil([&] { return station.connections.size() >= n && station.connections[n - 1]->bytesAvailable() >= 0 &&
                                    station.requests.count("\r\n\r\n") >= static_cast<qsizetype>(n); }))
            return nullptr;
        QTcpSocket* s = station.connections[n - 1];
        s->write(reply);
        s->flush();
        return s;
    }

    void advance(qint64 ms)
    {
        for (qint64 t = 0; t < ms; t += 100) {
            now += 100;
            clock.set(static_cast<qint32>(start + now));
            recorder->Timer1_Timer();
        }
    }

    // What the recording's last file holds once the recording stops (a
    // name recorded before ends as a numbered version beside it).
    QByteArray recorded()
    {
        QString path;
        const auto closed = QObject::connect(recorder.get(), &frmMP3::fileClosed, [&](const QString& p) { path = p; });
        recorder->StopRecording();
        QObject::disconnect(closed);
        return ReadAll(path);
    }

    // The stream closes; each reconnect then fails (a 404, or closed before
    // any answer) and the next is made exactly `delays` later; the last one
    // streams and the file goes on.
    void retriesFollow(bool answers404, const std::vector<qint64>& delays)
    {
        startOnStation();
        QTcpSocket* first = answer(1, kOkHeader + Piece(1, 0));
        ASSERT_TRUE(first);
        ASSERT_TRUE(WaitUntil([&] { return recorder->AudioBytesWritten() == 4000; }));
        first->disconnectFromHost();

        size_t n = 2;
        for (const qint64 delay : delays) {
            SCOPED_TRACE(delay);
            QTcpSocket* s = answer(n, answers404 ? k404 : QByteArray());
            ASSERT_TRUE(s);
            if (!answers404)
                s->disconnectFromHost();
            ASSERT_TRUE(WaitUntil([&] { return recorder->Reconnecting(); }));
            EXPECT_EQ(recorder->Status().sSongCaption, QStringLiteral("[ERR] NETWORK: Reconnecting..."));
            EXPECT_EQ(recorder->TrayTip(), QStringLiteral("Test Station -- NETWORK: Reconnecting..."));
            EXPECT_EQ(TickDifference(recorder->NextReconnectTick(), clock.GetTickCount()), delay);
            advance(delay - 100);
            EXPECT_EQ(station.connections.size(), n);  // not before its turn
            advance(100);
            ++n;
            ASSERT_TRUE(WaitUntil([&] { return station.connections.size() == n; }));
        }
        ASSERT_TRUE(answer(n, kOkHeader + Piece(2, 0)));
        ASSERT_TRUE(WaitUntil([&] { return recorder->AudioBytesWritten() == 8000; }));
        EXPECT_TRUE(recorder->Status().blnRecording);
        EXPECT_TRUE(messages.messages.isEmpty());
        EXPECT_EQ(recorded().left(8000), Piece(1, 0) + Piece(2, 0));
    }

    qint32 start = 0;
    qint64 now = 0;
};

// The server closes (or resets) mid-song: the recorder reconnects at once
// and the file holds everything the server did send, in order.
TEST_F(OutageTest, CloseMidSongReconnectsAtOnceAndKeepsEverySentByte)
{
    startOnStation();
    QTcpSocket* first = answer(1, kOkHeader + Piece(1, 0));
    ASSERT_TRUE(first);
    ASSERT_TRUE(WaitUntil([&] { return recorder->AudioBytesWritten() == 4000; }));
    first->write(Piece(1, 1));
    first->disconnectFromHost();
    ASSERT_TRUE(WaitUntil([&] { return station.connections.size() == 2; }));
    EXPECT_FALSE(recorder->Reconnecting());
    ASSERT_TRUE(answer(2, kOkHeader + Piece(2, 0)));
    ASSERT_TRUE(WaitUntil([&] { return recorder->AudioBytesWritten() == 12000; }));
    EXPECT_EQ(recorded().left(12000), Piece(1, 0) + Piece(1, 1) + Piece(2, 0));
    EXPECT_TRUE(messages.messages.isEmpty());
}

TEST_F(OutageTest, ResetMidSongReconnectsAtOnce)
{
    startOnStation();
    QTcpSocket* first = answer(1, kOkHeader + Piece(1, 0));
    ASSERT_TRUE(first);
    ASSERT_TRUE(WaitUntil([&] { return recorder->AudioBytesWritten() == 4000; }));
    first->abort();
    ASSERT_TRUE(WaitUntil([&] { return station.connections.size() == 2; }));
    ASSERT_TRUE(answer(2, kOkHeader + Piece(2, 0)));
    ASSERT_TRUE(WaitUntil([&] { return recorder->AudioBytesWritten() == 8000; }));
    EXPECT_EQ(recorded().left(8000), Piece(1, 0) + Piece(2, 0));
    EXPECT_TRUE(messages.messages.isEmpty());
}

// The stream's server fails for a while, then streams again: attempts that
// fail (closed before any answer) follow the back-off; a server that answers
// with an error (its source is gone) is asked every 2 s, so the stream is
// taken up while the server's burst still holds its first seconds.
TEST_F(OutageTest, ErrorAnswersAreRetriedEveryTwoSecondsUntilTheStreamIsBack)
{
    retriesFollow(true, {1000, 2000, 2000, 2000, 2000});
}

TEST_F(OutageTest, UnansweredAttemptsAreRetriedOnTheBackOffUntilTheStreamIsBack)
{
    retriesFollow(false, {1000, 2000, 4000, 8000, 10000, 10000});
}

// A server that refuses connections for longer than the give-up time: the
// message, and the file closed with what it had.
TEST_F(OutageTest, RefusedForLongerThanTheGiveUpTimeEndsWithTheMessage)
{
    options.giveUpMinutes = 1;
    config.bExitTimedRecording = true;
    int reconnecting = 0, gaveUp = 0;
    QObject::connect(recorder.get(), &frmMP3::reconnecting, [&] { ++reconnecting; });
    QObject::connect(recorder.get(), &frmMP3::gaveUp, [&] { ++gaveUp; });
    startOnStation();
    QTcpSocket* first = answer(1, kOkHeader + Piece(1, 0));
    ASSERT_TRUE(first);
    ASSERT_TRUE(WaitUntil([&] { return recorder->AudioBytesWritten() == 4000; }));
    const QString path = recorder->RecordingPath();
    station.server.close();
    first->disconnectFromHost();
    // A refusing server is tried every second, not on the back-off.
    for (int attempt = 0; attempt < 5; ++attempt) {
        ASSERT_TRUE(WaitUntil([&] { return recorder->Reconnecting(); }));
        EXPECT_EQ(TickDifference(recorder->NextReconnectTick(), clock.GetTickCount()), 1000) << attempt;
        advance(1000);
        EXPECT_FALSE(recorder->Reconnecting()) << "attempt " << attempt << " made at its time";
    }
    ASSERT_TRUE(WaitUntil([&] { return recorder->Reconnecting(); }));
    for (int i = 0; i < 700 && recorder->Status().blnRecording; ++i) {
        advance(100);
        // Each refused attempt shows before the next tick.
        WaitUntil([&] { return recorder->Reconnecting() || !recorder->Status().blnRecording; }, 2000);
    }
    EXPECT_FALSE(recorder->Status().blnRecording);
    EXPECT_GT(now, 60000);
    EXPECT_LE(now, 60200);
    EXPECT_EQ(messages.messages,
              QStringList{QStringLiteral("Network errors have interrupted successful recording of Test Station!")});
    EXPECT_TRUE(recorder->quitting());  // an unattended run ends
    EXPECT_EQ(ReadAll(path).left(4000), Piece(1, 0));
    // The desktop hears of every attempt and of the end, once.
    EXPECT_GE(reconnecting, 5);
    EXPECT_EQ(gaveUp, 1);
}

// A timed recording ends at its time even in the middle of an outage.
TEST_F(OutageTest, TimedRecordingEndsAtItsTimeDuringAnOutage)
{
    options.giveUpMinutes = 0;
    config.bEnabledTimedRecording = true;
    config.lTimedRecording = 1;
    startOnStation();
    ASSERT_TRUE(answer(1, kOkHeader + Piece(1, 0)));
    ASSERT_TRUE(WaitUntil([&] { return recorder->AudioBytesWritten() == 4000; }));
    station.server.close();
    station.last()->disconnectFromHost();
    ASSERT_TRUE(WaitUntil([&] { return recorder->Reconnecting(); }));
    for (int i = 0; i < 700 && recorder->Status().blnRecording; ++i) {
        advance(100);
        WaitUntil([&] { return recorder->Reconnecting() || !recorder->Status().blnRecording; }, 2000);
    }
    EXPECT_FALSE(recorder->Status().blnRecording);
    EXPECT_GE(now, 60000);
    EXPECT_LE(now, 61000);
    EXPECT_TRUE(messages.messages.isEmpty());
}

// A redirect chain that comes back to where it began ends after five
// redirects as that server's failure.
TEST_F(OutageTest, RedirectLoopEndsAfterFiveRedirects)
{
    const QByteArray toB = "HTTP/1.0 302 Found\r\nLocation: /b\r\n\r\n";
    const QByteArray toA = "HTTP/1.0 302 Found\r\nLocation: /stream\r\n\r\n";
    startOnStation();
    size_t n = 1;
    for (; n <= 12 && recorder->Status().blnRecording; ++n) {
        if (!answer(n, n % 2 ? toB : toA))
            break;
        // The failover the redirect asked for has begun at once.
        WaitUntil([&] { return station.connections.size() > n || !recorder->Status().blnRecording; }, 2000);
    }
    EXPECT_FALSE(recorder->Status().blnRecording);
    EXPECT_EQ(station.connections.size(), 6u);  // the first request and five redirects
    EXPECT_EQ(messages.messages,
              QStringList{QStringLiteral("The shoutcast stream you are trying to record is experiencing network "
                                         "problems, or is full. Please try again later!")});
}

// Data that waits behind a deliberate pause is taken before the connection
// is given up: a close never throws away what arrived.
TEST_F(OutageTest, HeldDataIsWrittenBeforeTheReconnect)
{
    deps.holdStream = true;
    deps.headerPauseMs = 600000;  // the hold outlasts the test
    config.lRecordingMode = RecordingMode::PerSong;
    recorder = std::make_unique<frmMP3>(deps);
    startOnStation();
    QTcpSocket* first = answer(1, "ICY 200 OK\r\nicy-metaint:16000\r\nicy-br:8\r\n\r\n" + Piece(1, 0));
    ASSERT_TRUE(first);
    ASSERT_TRUE(WaitUntil([&] { return recorder->StreamHeld(); }));
    first->write(Piece(1, 1));
    first->flush();
    WaitUntil([&] { return recorder->StreamBytesWaiting() == 4000; }, 2000);
    // Over ten seconds of held data is not a stall.
    advance(12000);
    EXPECT_EQ(station.connections.size(), 1u);
    first->disconnectFromHost();
    ASSERT_TRUE(WaitUntil([&] { return station.connections.size() == 2; }));
    EXPECT_EQ(recorder->AudioBytesWritten(), 8000);
}

namespace {
// MPEG-1 layer III frames, 128 kbit/s at 44.1 kHz (417 bytes), each filled
// with its own byte so a frame can be told apart from the others.
QByteArray Frames(int count, char firstFill)
{
    QByteArray out;
    for (int i = 0; i < count; ++i) {
        QByteArray f(417, static_cast<char>(firstFill + i));
        f[0] = '\xFF';
        f[1] = '\xFB';
        f[2] = '\x90';
        f[3] = '\x00';
        out += f;
    }
    return out;
}
}  // namespace

// With clean cuts on, a reconnect joins on frame boundaries: the cut-short
// last frame and the new connection's bytes before its first frame go, and
// the status says how many; with the option off every byte stays.
TEST_F(OutageTest, AReconnectJoinsOnFrameBoundariesWhenCleanCutsAreOn)
{
    const QByteArray before = Frames(4, 'a');
    const QByteArray cutShort = Frames(1, 'k').left(200);
    const QByteArray junk(150, 'j');  // the end of a frame the new connection began in
    const QByteArray after = Frames(6, 'p');
    for (const bool clean : {true, false}) {
        SCOPED_TRACE(clean);
        options.cleanCuts = clean;
        captions.clear();
        recorder->ClearServers();
        const size_t first = station.connections.size() + 1;
        const qint64 base = recorder->AudioBytesWritten();  // counts across recordings
        startOnStation();
        QTcpSocket* s = answer(first, kOkHeader + before + cutShort);
        ASSERT_TRUE(s);
        ASSERT_TRUE(WaitUntil([&] { return recorder->AudioBytesWritten() - base == before.size() + cutShort.size(); }));
        s->disconnectFromHost();
        ASSERT_TRUE(WaitUntil([&] { return station.connections.size() == first + 1; }));
        ASSERT_TRUE(answer(first + 1, kOkHeader + junk + after));
        const qint64 expected = clean ? before.size() + after.size()
                                      : before.size() + cutShort.size() + junk.size() + after.size();
        ASSERT_TRUE(WaitUntil([&] { return recorder->AudioBytesWritten() - base == expected; }));
        const QByteArray file = recorded().left(expected);
        if (clean) {
            EXPECT_EQ(file, before + after);
            EXPECT_FALSE(captions.filter(QStringLiteral("Reconnected: joined on a frame boundary (350 bytes dropped)")).isEmpty())
                << captions.join(QLatin1Char('|')).toStdString();
        } else {
            EXPECT_EQ(file, before + cutShort + junk + after);
        }
    }
}

// A title on every metadata block at full speed: the pauses after each new
// file add up and hold the stream back for longer than the watchdog's ten
// seconds, yet no reconnect happens and every received byte is written.
TEST_F(OutageTest, ATitleOnEveryBlockAtFullSpeedLosesNoByte)
{
    deps.filePauseMs = 400;  // 30 titles: 12 s of pauses
    config.lRecordingMode = RecordingMode::PerSong;
    recorder = std::make_unique<frmMP3>(deps);
    startOnStation();
    QByteArray stream = "ICY 200 OK\r\nicy-name:Busy\r\nicy-metaint:1000\r\n\r\n";
    QByteArray audio;
    for (int i = 0; i < 30; ++i) {
        const QByteArray piece = Piece(3, i, 1000);
        audio += piece;
        QByteArray title = "StreamTitle='Song " + QByteArray::number(i) + "';";
        while (title.size() % 16)
            title.append('\0');
        stream += piece + static_cast<char>(title.size() / 16) + title;
    }
    QTcpSocket* s = answer(1, QByteArray());
    ASSERT_TRUE(s);
    // The first blocks start the pauses; the rest arrive while they run.
    const qsizetype half = stream.size() / 2;
    s->write(stream.left(half));
    ASSERT_TRUE(WaitUntil([&] { return recorder->StreamHeld(); }));
    s->write(stream.mid(half));
    ASSERT_TRUE(WaitUntil([&] { return recorder->StreamBytesWaiting() == stream.size() - half; }));
    advance(12000);  // the watchdog sees data waiting, not a stall
    EXPECT_EQ(station.connections.size(), 1u);
    EXPECT_TRUE(recorder->Status().sSongCaption.startsWith(QStringLiteral("Now Recording: ")))
        << recorder->Status().sSongCaption.toStdString();
    // The pauses are released by hand instead of being waited for.
    for (int i = 0; i < 100 && recorder->AudioBytesWritten() < audio.size(); ++i) {
        recorder->ReleaseStreamHold();
        WaitUntil([&] { return !recorder->StreamBytesWaiting(); }, 200);
    }
    EXPECT_EQ(recorder->AudioBytesWritten(), audio.size());
    EXPECT_EQ(station.connections.size(), 1u);
}

// The status names the file once, as it is on disk; while a lost stream is
// taken up again, every attempt says only that it reconnects.
TEST_F(OutageTest, AttemptsOnlySayTheyReconnectAndTheFileIsNamedOnce)
{
    const QString reconnecting = QStringLiteral("[ERR] NETWORK: Reconnecting...");
    const QString named = QStringLiteral("Now Recording: single.mp3");
    startOnStation();
    QTcpSocket* first = answer(1, kOkHeader + Piece(1, 0));
    ASSERT_TRUE(first);
    ASSERT_TRUE(WaitUntil([&] { return recorder->AudioBytesWritten() == 4000; }));
    advance(300);  // data flow
    const qsizetype lost = captions.size();
    first->disconnectFromHost();
    for (size_t n = 2; n <= 4; ++n) {
        ASSERT_TRUE(answer(n, k404));
        ASSERT_TRUE(WaitUntil([&] { return recorder->Reconnecting(); }));
        advance(TickDifference(recorder->NextReconnectTick(), clock.GetTickCount()));
        ASSERT_TRUE(WaitUntil([&] { return station.connections.size() == n + 1; }));
        advance(2500);  // an attempt that takes its time
    }
    ASSERT_TRUE(answer(5, kOkHeader + Piece(2, 0)));
    ASSERT_TRUE(WaitUntil([&] { return recorder->AudioBytesWritten() == 8000; }));
    const QStringList during = captions.mid(lost);
    ASSERT_FALSE(during.isEmpty());
    EXPECT_EQ(during.front(), reconnecting);
    for (const QString& c : during)
        EXPECT_TRUE(c == reconnecting || !(c.startsWith(QLatin1String("Now Recording")) ||
                                           c.startsWith(QLatin1String("Connecting")) || c.contains(QLatin1String("Awaiting"))))
            << during.join('|').toStdString();
    EXPECT_EQ(captions.count(named), 1) << captions.join('|').toStdString();
    advance(300);  // the stream flows again: the status names the file again
    EXPECT_EQ(recorder->Status().sSongCaption, named);
}

// What a connection brings before its server closes decides when the next
// one is made: after a stream that ran (a second of audio or more), at once;
// after less (only a header, a few bytes, a playlist taken for a stream), the
// back-off of a failed attempt, while the status says once that the
// recorder reconnects. A stream that runs again ends the back-off.
TEST_F(OutageTest, AConnectionThatBringsLessThanASecondOfAudioWaitsItsTurn)
{
    const QByteArray mp3 = "ICY 200 OK\r\nicy-br:128\r\n\r\n"; // a second is 16,000 bytes
    const QByteArray ogg = "HTTP/1.0 200 OK\r\nContent-Type: audio/ogg\r\nicy-br:128\r\n\r\n";
    const QByteArray oggSong = VorbisSong(7, {"TITLE=A"}, 20, 3000);
    const QByteArray mp3Stream = mp3 + Piece(1, 0, 3 * 16000);
    const struct {
        const char* what;
        QByteArray stream; // a stream that runs: the first connection's, and the last one's
        QByteArray reply;  // what each connection in between brings before its close
        bool ran;
    } cases[] = {
        {"nothing but a header", mp3Stream, mp3, false},
        {"a few bytes", mp3Stream, mp3 + Piece(2, 0, 5), false},
        {"just under a second", mp3Stream, mp3 + Piece(2, 0, 15999), false},
        {"a playlist taken for audio", mp3Stream,
         "HTTP/1.0 200 OK\r\nContent-Type: application/vnd.apple.mpegurl\r\n\r\n#EXTM3U\n#EXT-X-TARGETDURATION:6\n"
         "#EXTINF:6,\nsegment1.aac\n",
         false},
        {"the start of an Ogg stream", ogg + oggSong, ogg + oggSong.left(40), false},
        {"a second", mp3Stream, mp3 + Piece(2, 0, 16000), true},
        {"seconds of an Ogg stream", ogg + oggSong, ogg + oggSong, true},
    };
    const QString reconnecting = QStringLiteral("[ERR] NETWORK: Reconnecting...");
    const std::vector<qint64> backOff = {1000, 2000, 4000, 8000, 10000, 10000};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        recorder = std::make_unique<frmMP3>(deps);
        QObject::connect(recorder.get(), &frmMP3::songCaptionChanged, [this](const QString& t) { captions.append(t); });
        station.connections.clear();
        station.requests.clear();
        startOnStation();
        QTcpSocket* s = answer(1, c.stream);
        ASSERT_TRUE(s);
        ASSERT_TRUE(
            WaitUntil([&] { return recorder->AudioBytesWritten() > 0 && recorder->StreamBytesWaiting() == 0; }));
        const qsizetype lost = captions.size();
        s->disconnectFromHost();
        ASSERT_TRUE(WaitUntil([&] { return station.connections.size() == 2; })); // at once
        size_t n = 2;
        for (const qint64 delay : backOff) {
            SCOPED_TRACE(n);
            s = answer(n, c.reply);
            ASSERT_TRUE(s);
            s->disconnectFromHost();
            if (c.ran) {
                ASSERT_TRUE(WaitUntil([&] { return station.connections.size() == n + 1; }));
                EXPECT_FALSE(recorder->Reconnecting());
            } else {
                ASSERT_TRUE(WaitUntil([&] { return recorder->Reconnecting(); }));
                EXPECT_EQ(TickDifference(recorder->NextReconnectTick(), clock.GetTickCount()), delay);
                advance(delay - 100);
                EXPECT_EQ(station.connections.size(), n); // not before its turn
                advance(100);
                ASSERT_TRUE(WaitUntil([&] { return station.connections.size() == n + 1; }));
            }
            ++n;
        }
        if (!c.ran) {
            EXPECT_EQ(captions.mid(lost), QStringList{reconnecting});
            // The stream is back: its next loss is taken up at once.
            s = answer(n, c.stream);
            ASSERT_TRUE(s);
            ASSERT_TRUE(WaitUntil([&] { return recorder->ReconnectAttempts() == 0; }));
            s->disconnectFromHost();
            ASSERT_TRUE(WaitUntil([&] { return station.connections.size() == n + 1; }));
            EXPECT_FALSE(recorder->Reconnecting());
        }
        EXPECT_TRUE(messages.messages.isEmpty());
        recorder->StopRecording();
    }
}
