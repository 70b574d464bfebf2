// Joins after a reconnect: a burst of audio the recording holds already is
// left out, a stream that does not continue it is reported as a gap, and a
// title that changed while the connection was away is cut where its audio
// begins.
#include "noiseframes.h"
#include "platform/eventsocket.h"
#include "tests/support/loopbackstation.h"
#include "tests/support/songrig.h"

#include <QDir>
#include <gtest/gtest.h>
#include <map>

namespace {

constexpr qsizetype kMetaInt = 16000;
const QByteArray kPlainHeader = "HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\nicy-br:128\r\n\r\n";
const QByteArray kIcyHeader = "ICY 200 OK\r\nicy-name:Join FM\r\nicy-metaint:16000\r\nicy-br:128\r\n\r\n";

QByteArray TitleBlock(const QByteArray& title)
{
    if (title.isEmpty())
        return QByteArray(1, '\0');
    QByteArray text = "StreamTitle='" + title + "';";
    while (text.size() % 16)
        text.append('\0');
    return char(text.size() / 16) + text;
}

// What a listener that connected at `start` gets of `broadcast` up to `end`,
// as an Icecast server sends it: a block every kMetaInt bytes that names the
// title playing there when it is not the one this listener was told last.
// `titles`: where in the broadcast each title begins.
// `told`: the title the server takes the listener to know already (a
// scripted station that leaves its blocks empty until the next title).
QByteArray Listen(const QByteArray& broadcast, const std::map<qsizetype, QByteArray>& titles, qsizetype start,
                  qsizetype end, QByteArray told = {})
{
    QByteArray out;
    for (qsizetype at = start; at < end; at += kMetaInt) {
        const qsizetype next = std::min(at + kMetaInt, end);
        out += broadcast.mid(at, next - at);
        if (next - at < kMetaInt)
            break;
        auto playing = titles.upper_bound(next);
        const QByteArray title = playing == titles.begin() ? QByteArray() : std::prev(playing)->second;
        out += TitleBlock(title == told ? QByteArray() : title);
        told = title;
    }
    return out;
}

} // namespace

// An ICY session on a real connection to a loopback station, wired to the
// song writer; the station's connections are answered by hand.
class JoinTest : public ::testing::Test {
protected:
    // A new recording (and a station with no connections yet).
    IcyRig& fresh(SongRig::Mode mode, bool cleanCuts, const QString& fileName = QString())
    {
        rig = std::make_unique<IcyRig>();
        station = std::make_unique<LoopbackStation>();
        rig->mode = mode;
        rig->options.cleanCuts = cleanCuts;
        rig->streamFileName = fileName;
        return *rig;
    }
    // Starts the recording and connects to the station.
    bool start() { return rig->Start() && rig->Connect(station->port()); }
    qint64 written() const { return rig->Writer().AudioBytesWritten(); }

    // Waits for connection `n` (1-based) and its request, then answers it.
    QTcpSocket* answer(size_t n, const QByteArray& reply)
    {
        if (!WaitUntil([&] {
                return station->connections.size() >= n &&
                       station->requests.count("\r\n\r\n") >= static_cast<qsizetype>(n);
            }))
            return nullptr;
        QTcpSocket* s = station->connections[n - 1];
        s->write(reply);
        s->flush();
        return s;
    }

    // The first connection sends `first` and is lost; the reconnect sends `second`.
    void reconnectWith(const QByteArray& header, const QByteArray& first, const QByteArray& second, qint64 outageMs,
                       qint64 recorded)
    {
        ASSERT_TRUE(start());
        QTcpSocket* s = answer(1, header + first);
        ASSERT_TRUE(s);
        ASSERT_TRUE(WaitUntil([&] { return written() > 0 && rig->session.Socket().BytesReceived() == 0; }));
        s->disconnectFromHost();
        ASSERT_TRUE(WaitUntil([&] { return station->connections.size() == 2; }));
        rig->clock.set(static_cast<qint32>(100000 + outageMs));
        ASSERT_TRUE(answer(2, header + second));
        ASSERT_TRUE(WaitUntil([&] { return written() == recorded; })) << written() << " of " << recorded;
        rig->Stop();
    }

    QByteArray audioOf(const QString& name) const { return rig->Audio(name); }

    std::unique_ptr<IcyRig> rig;
    std::unique_ptr<LoopbackStation> station;
};

// A listener kicked while the station plays on comes back to a burst of the
// last four seconds: the file is the uninterrupted stream, each byte once,
// with clean cuts off and on.
TEST_F(JoinTest, AKickAnsweredByABurstLeavesTheUninterruptedStream)
{
    const QByteArray broadcast = Broadcast(30 * kFramesPerSecond, 11);
    const qsizetype lost = FrameStart(broadcast, 20 * kFramesPerSecond) + 150; // inside a frame
    const qsizetype burst = FrameStart(broadcast, 16 * kFramesPerSecond) + 77;
    for (const bool clean : {false, true}) {
        SCOPED_TRACE(clean ? "clean cuts on" : "clean cuts off");
        fresh(SongRig::Mode::SingleFile, clean, QStringLiteral("single.mp3"));
        reconnectWith(kPlainHeader, broadcast.left(lost), broadcast.mid(burst), 100, broadcast.size());
        EXPECT_TRUE(audioOf(QStringLiteral("single.mp3")) == broadcast);
        EXPECT_TRUE(rig->events.contains(QStringLiteral("joined 4.0 s"))) << rig->Events().toStdString();
    }
}

// The source restarted with another song while the connection was away
// for 20 s: every byte of both is kept, and the status says what was missed.
TEST_F(JoinTest, AStreamThatDoesNotContinueTheRecordingIsAGap)
{
    fresh(SongRig::Mode::SingleFile, false, QStringLiteral("gap.mp3"));
    const QByteArray before = Broadcast(10 * kFramesPerSecond, 12);
    const QByteArray after = Broadcast(10 * kFramesPerSecond, 13);
    reconnectWith(kPlainHeader, before, after, 20000, before.size() + after.size());
    EXPECT_TRUE(audioOf(QStringLiteral("gap.mp3")) == before + after);
    // Both connections began with the same burst: the outage is what was missed.
    EXPECT_TRUE(rig->events.contains(QStringLiteral("gap 0 bytes, 20000 ms"))) << rig->Events().toStdString();
}

// Title changes around a reconnect: a new title is cut where its audio
// begins in the new stream, not inside the old song's file, and a burst that
// still names the title before does not bring it back.
TEST_F(JoinTest, ATitleThatChangedDuringTheOutageIsCutWhereItsAudioBegins)
{
    const QByteArray song = Broadcast(30 * kFramesPerSecond, 14);
    const QByteArray other = Broadcast(30 * kFramesPerSecond, 15);
    const qsizetype lost = 321000; // the first connection's last byte; its last block came at 320000
    const struct {
        const char* what;
        qsizetype changeAt;  // where the second title begins in the broadcast
        qsizetype reconnect; // where the second connection begins; -1: another stream after 20 s
        qsizetype cut;       // where the first title's file ends
    } cases[] = {
        // The old connection never named the new title; the burst names it
        // inside the part recorded already, at 320800.
        {"named inside the burst", 320500, 256800, 320800},
        // Named by the burst only after the join: cut at its block, as any
        // title is.
        {"named after the join", 320500, 270000, 334000},
        // The old connection named it at 320000; the burst begins before
        // the change and names the old title first.
        {"the burst names the old title first", 319000, 270000, 320000},
        // The source went on with another song: its first block (at 16000)
        // names it, and its audio from the first byte is that song's.
        {"a gap", -1, -1, lost},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fresh(SongRig::Mode::PerSong, false);
        const TempFolder& out = rig->folder;
        std::map<qsizetype, QByteArray> titles{{0, "Song A"}};
        if (c.changeAt >= 0)
            titles[c.changeAt] = "Song B";
        const QByteArray first = Listen(song, titles, 0, lost);
        const QByteArray second = c.reconnect >= 0 ? Listen(song, titles, c.reconnect, song.size())
                                                   : Listen(other, {{0, "Song B"}}, 0, other.size());
        const qsizetype secondEnd = c.reconnect >= 0 ? song.size() : lost + other.size();
        reconnectWith(kIcyHeader, first, second, c.reconnect >= 0 ? 100 : 20000, secondEnd);
        const QByteArray a = ReadAll(out.file(QStringLiteral("Song A.mp3")));
        const QByteArray b = ReadAll(out.file(QStringLiteral("Song B.mp3")));
        ASSERT_GT(a.size(), 128);
        ASSERT_GT(b.size(), 128);
        EXPECT_TRUE(a.chopped(128) == song.mid(kMetaInt, c.cut - kMetaInt)) << a.size() - 128;
        if (c.reconnect >= 0)
            EXPECT_TRUE(b.chopped(128) == song.mid(c.cut)) << b.size() - 128;
        else
            EXPECT_TRUE(b.chopped(128) == other) << b.size() - 128;
        EXPECT_EQ(QDir(out.path()).entryList(QDir::Files).size(), 3)
            << QDir(out.path()).entryList().join(',').toStdString();
    }
}

// With clean cuts on, a title that began while the connection was away is
// cut in the silence around where its audio begins, and still nothing is
// recorded twice.
TEST_F(JoinTest, WithCleanCutsATitleFromTheOutageIsCutInTheSilence)
{
    fresh(SongRig::Mode::PerSong, true);
    const TempFolder tones;
    const QByteArray song = ToneWithSilence(tones, 14, 8.0, 8.4);
    ASSERT_FALSE(song.isEmpty()) << "ffmpeg could not make the test tone";
    const std::vector<Mp3Frame> frames = FindMp3Frames(song);
    ASSERT_GT(frames.size(), 500u);
    const double frameSeconds = 1152.0 / 44100.0;
    // The song changes at 8.2 s; the connection is lost at 8.3 s, before it
    // was told; the burst names the new title 50 bytes before that.
    const qsizetype changeAt = frames[size_t(8.2 / frameSeconds)].offset;
    const qsizetype lost = frames[size_t(8.3 / frameSeconds)].offset + 100;
    ASSERT_LT(lost / kMetaInt * kMetaInt, changeAt); // the lost connection's last block came before the change
    ASSERT_GT(lost - 50, changeAt);
    const std::map<qsizetype, QByteArray> titles{{0, "Song A"}, {changeAt, "Song B"}};
    reconnectWith(kIcyHeader, Listen(song, titles, 0, lost),
                  Listen(song, titles, lost - 4 * kMetaInt - 50, song.size()), 100,
                  song.size() - (song.size() - frames.back().offset - frames.back().size));
    const QByteArray a = audioOf(QStringLiteral("Song A.mp3"));
    const QByteArray b = audioOf(QStringLiteral("Song B.mp3"));
    // The first title's file began near the first block (also on a frame
    // boundary); it ends on a frame boundary inside the silence.
    const qsizetype start = song.indexOf(a.left(4096));
    ASSERT_GE(start, 0);
    const auto boundary =
        std::find_if(frames.begin(), frames.end(), [&](const Mp3Frame& f) { return f.offset == start + a.size(); });
    ASSERT_NE(boundary, frames.end()) << a.size();
    const double cutSeconds = double(boundary - frames.begin()) * frameSeconds;
    EXPECT_GE(cutSeconds, 7.98);
    EXPECT_LE(cutSeconds, 8.42);
    EXPECT_TRUE(a + b == song.mid(start, a.size() + b.size()));
}

// Every way a stream comes back, crossed with where the next title is
// named: a title named by the new connection's first block began while it
// was away, where the new audio joins; one named by a later block is cut at
// that block, and the song in progress keeps its end. Each file holds its
// song's audio, with clean cuts off and on, for MP3 and AAC.
TEST_F(JoinTest, EachSongKeepsItsAudioHoweverTheStreamComesBack)
{
    enum class Way { Close, Stall, Burst };
    enum class Named { FirstBlock, FiveBlocksLater, Never };
    const struct {
        const char* what;
        Way way;
        Named named;
        bool emptyBlocks; // the new connection's blocks stay empty until the next title
    } cases[] = {
        {"close, named in the first block", Way::Close, Named::FirstBlock, false},
        {"close, five blocks later after empty ones", Way::Close, Named::FiveBlocksLater, true},
        {"close, five blocks later", Way::Close, Named::FiveBlocksLater, false},
        {"close, never", Way::Close, Named::Never, true},
        {"stall, named in the first block", Way::Stall, Named::FirstBlock, false},
        {"stall, five blocks later after empty ones", Way::Stall, Named::FiveBlocksLater, true},
        {"stall, never", Way::Stall, Named::Never, false},
        {"burst, named in the first block", Way::Burst, Named::FirstBlock, false},
        {"burst, five blocks later after empty ones", Way::Burst, Named::FiveBlocksLater, true},
        {"burst, five blocks later", Way::Burst, Named::FiveBlocksLater, false},
        {"burst, never", Way::Burst, Named::Never, true},
    };
    const QByteArray before = "Before - And After";
    const QByteArray next = "Next - Song";
    for (const bool aac : {false, true}) {
        const AudioFraming framing = aac ? AudioFraming::Adts : AudioFraming::Mp3;
        const QByteArray song = aac ? AdtsBroadcast(30 * 43, 21) : Broadcast(30 * kFramesPerSecond, 21);
        const QString ext = aac ? QStringLiteral(".aac") : QStringLiteral(".mp3");
        const QByteArray header = "ICY 200 OK\r\ncontent-type:" + QByteArray(aac ? "audio/aacp" : "audio/mpeg") +
                                  "\r\nicy-name:Join FM\r\nicy-metaint:16000\r\nicy-br:128\r\n\r\n";
        const std::vector<Mp3Frame> frames = FindAudioFrames(song, framing);
        const size_t frameCount = frames.size();
        // On a frame boundary at least 12000 bytes after a block, with more
        // after it than the recorder's memory holds (by then a stream that
        // is no burst is known to be none).
        size_t lostFrame = frameCount / 2;
        while (FrameStart(song, lostFrame, framing) % kMetaInt < 12000)
            ++lostFrame;
        const qsizetype lost = FrameStart(song, lostFrame, framing);
        for (const bool clean : {false, true}) {
            for (const auto& c : cases) {
                SCOPED_TRACE(std::string(aac ? "AAC, " : "MP3, ") + (clean ? "clean cuts, " : "") + c.what);
                // A burst of less than a block: the old connection's last
                // block came before it, the new one's first comes after.
                const qsizetype resume = c.way == Way::Burst ? lost - 11000 : lost;
                ASSERT_LT(lost / kMetaInt * kMetaInt, resume);
                qsizetype cut = song.size();
                if (c.named == Named::FirstBlock)
                    cut = lost;
                else if (c.named == Named::FiveBlocksLater)
                    cut = resume + 5 * kMetaInt;
                std::map<qsizetype, QByteArray> titles{{0, before}};
                if (cut < song.size())
                    titles[cut] = next;

                fresh(SongRig::Mode::PerSong, clean);
                ASSERT_TRUE(start());
                QTcpSocket* s = answer(1, header + Listen(song, titles, 0, lost));
                ASSERT_TRUE(s);
                ASSERT_TRUE(WaitUntil([&] { return written() == lost; })) << written();
                if (c.way == Way::Stall) {
                    rig->clock.set(100000 + 10100); // the watchdog's time-out
                    rig->session.CheckStalled(rig->clock.GetTickCount());
                } else {
                    s->disconnectFromHost();
                }
                ASSERT_TRUE(WaitUntil([&] { return station->connections.size() == 2; }));
                rig->clock.set(c.way == Way::Stall ? 100000 + 14000 : 100000 + 100);
                ASSERT_TRUE(answer(2, header + Listen(song, titles, resume, song.size(), c.emptyBlocks ? before : "")));
                ASSERT_TRUE(WaitUntil([&] { return written() == song.size(); }))
                    << written() << " of " << song.size() << ": " << rig->Events().toStdString();
                rig->Stop();

                const QByteArray a = audioOf(QString::fromLatin1(before) + ext);
                const QByteArray b = audioOf(QString::fromLatin1(next) + ext);
                ASSERT_FALSE(a.isEmpty());
                ASSERT_EQ(b.isEmpty(), c.named == Named::Never) << b.size();
                // Where the first song's file begins and ends in the broadcast.
                const qsizetype start = song.indexOf(a.left(4096));
                ASSERT_GE(start, 0);
                EXPECT_TRUE(a + b == song.mid(start, a.size() + b.size())) << "lost or recorded twice";
                const qsizetype end = start + a.size();
                if (clean && !aac && c.named != Named::Never) {
                    // On a frame boundary, moved at most into a pause inside
                    // the cut window (the noise's frames decode to anything).
                    // AAC is cut where its title is, clean cuts or not.
                    EXPECT_LE(std::abs(end - cut), rig->options.cutWindowMs * 16) << end << " for " << cut;
                    EXPECT_TRUE(std::any_of(frames.begin(), frames.end(), [&](const Mp3Frame& f) {
                        return f.offset == end;
                    })) << end;
                } else if (!clean || aac) {
                    EXPECT_EQ(end, cut);
                    EXPECT_EQ(start, kMetaInt);
                }
                EXPECT_EQ(start + a.size() + b.size(), song.size());
            }
        }
    }
}
