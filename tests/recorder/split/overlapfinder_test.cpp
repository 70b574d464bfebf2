// Where a reconnected stream meets the recording: the new stream's first
// frames found among the last ones written, so that audio a server sends
// again is recorded once.
#include "noiseframes.h"
#include "recorder/overlapfinder.h"
#include "tests/support/eventwait.h"

#include <gtest/gtest.h>
#include <random>

namespace {

// Feeds the new stream in chunks of `chunk` bytes until the finder decides.
Overlap Feed(OverlapFinder& finder, const QByteArray& incoming, qsizetype chunk, qsizetype* fed)
{
    for (*fed = std::min(chunk, incoming.size());; *fed = std::min(*fed + chunk, incoming.size())) {
        const Overlap o = finder.Check(incoming.left(*fed), *fed == incoming.size());
        if (o.kind != Overlap::Kind::Pending)
            return o;
    }
}

} // namespace

TEST(OverlapFinder, FindsWhereTheNewStreamContinuesTheRecording)
{
    const QByteArray song = Broadcast(30 * kFramesPerSecond, 1);
    const QByteArray vbr = Broadcast(30 * kFramesPerSecond, 2, true);
    const QByteArray other = Broadcast(30 * kFramesPerSecond, 3);
    const QByteArray aac = AdtsBroadcast(30 * 43, 4);
    const qsizetype memory = FrameStart(song, 10 * kFramesPerSecond); // ten seconds of the song
    const qsizetype e = FrameStart(song, 20 * kFramesPerSecond);      // where the lost connection ended
    const struct {
        const char* what;
        const QByteArray* broadcast;
        qsizetype recordedEnd;  // the recording is the broadcast up to here...
        const QByteArray* next; // ...and the new stream this one, from
        qsizetype nextStart;    // here
        Overlap::Kind kind;
        AudioFraming framing = AudioFraming::Mp3;
    } cases[] = {
        {"overlap of 0: the stream goes on where it ended", &song, e, &song, e, Overlap::Kind::None},
        {"one frame sent again", &song, e, &song, FrameStart(song, 20 * kFramesPerSecond - 1), Overlap::Kind::Found},
        {"a burst of 4 s, the connection lost inside a frame", &song, e + 100, &song,
         FrameStart(song, 16 * kFramesPerSecond), Overlap::Kind::Found},
        {"a burst as long as the memory", &song, e, &song, e - memory, Overlap::Kind::Found},
        {"a burst longer than the memory", &song, e, &song, FrameStart(song, 6 * kFramesPerSecond),
         Overlap::Kind::Found},
        {"a burst beginning inside a frame", &song, e, &song, FrameStart(song, 17 * kFramesPerSecond) + 211,
         Overlap::Kind::Found},
        {"a burst beginning inside the frame the connection ended in", &song, e + 300, &song, e + 100,
         Overlap::Kind::Found},
        {"variable bit rate", &vbr, FrameStart(vbr, 20 * kFramesPerSecond) + 50, &vbr,
         FrameStart(vbr, 17 * kFramesPerSecond) + 3, Overlap::Kind::Found},
        {"a gap: the new stream begins after the recording's end", &song, e, &song,
         FrameStart(song, 22 * kFramesPerSecond) + 9, Overlap::Kind::None},
        {"the source restarted with a different song", &song, e + 100, &other, 0, Overlap::Kind::None},
        {"AAC frames sent again", &aac, 20 * 43 * 300 + 120, &aac, 16 * 43 * 300 + 7, Overlap::Kind::Found,
         AudioFraming::Adts},
        {"AAC after a gap", &aac, 20 * 43 * 300, &aac, 21 * 43 * 300, Overlap::Kind::None, AudioFraming::Adts},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        StreamMemory recorded;
        recorded.SetCapacity(memory);
        for (qsizetype at = 0; at < c.recordedEnd; at += 5000)
            recorded.Append(c.broadcast->constData() + at, std::min<qsizetype>(5000, c.recordedEnd - at));
        ASSERT_LE(recorded.Bytes().size(), memory);
        EXPECT_EQ(recorded.Total(), c.recordedEnd);
        OverlapFinder finder(recorded.Bytes(), c.framing);
        const QByteArray incoming = c.next->mid(c.nextStart);
        qsizetype fed = 0;
        const Overlap o = Feed(finder, incoming, 4096, &fed);
        EXPECT_EQ(o.kind, c.kind);
        if (c.kind == Overlap::Kind::Found) {
            EXPECT_EQ(o.resumeAt, c.recordedEnd - c.nextStart);
            // The recording and the rest of the new stream are the broadcast, each byte once.
            EXPECT_TRUE(c.broadcast->left(c.recordedEnd) + incoming.mid(o.resumeAt) == *c.broadcast);
            // Decided as soon as the overlap had come, or the memory's worth was searched.
            EXPECT_LT(fed, std::max(o.resumeAt, memory) + 4096);
        } else {
            // Nothing is decided to be a gap before as much as the memory holds was searched.
            EXPECT_GE(fed, std::min<qsizetype>(recorded.Bytes().size(), incoming.size()));
        }
    }
}

// The new stream is lost while its burst still comes: what did come is all
// recorded already; without `final` the finder waits.
TEST(OverlapFinder, ABurstCutShortIsAllOverlap)
{
    const QByteArray song = Broadcast(20 * kFramesPerSecond, 5);
    const qsizetype end = FrameStart(song, 15 * kFramesPerSecond) + 33;
    OverlapFinder finder(song.left(end), AudioFraming::Mp3);
    const QByteArray burst = song.mid(FrameStart(song, 10 * kFramesPerSecond), 20000);
    EXPECT_EQ(finder.Check(burst, false).kind, Overlap::Kind::Pending);
    const Overlap o = finder.Check(burst, true);
    EXPECT_EQ(o.kind, Overlap::Kind::Found);
    EXPECT_EQ(o.resumeAt, burst.size());
    // A burst that stops agreeing with the recording is not an overlap.
    QByteArray damaged = song.mid(FrameStart(song, 10 * kFramesPerSecond));
    damaged[30000] = char(damaged[30000] ^ 0x55);
    OverlapFinder again(song.left(end), AudioFraming::Mp3);
    EXPECT_EQ(again.Check(damaged, true).kind, Overlap::Kind::None);
}

// Identical frames (digital silence) fit at many places: nothing is sure,
// and silence is rather recorded twice than audio lost. A server that sends
// its programme from the start again where the lost connection began is not
// bursting. Bytes without frames are never matched.
TEST(OverlapFinder, NoOverlapWhenUnsureOrReplayedFromTheStart)
{
    const QByteArray silent = QByteArray::fromHex("FFFB9000") + QByteArray(413, '\0');
    const QByteArray recorded = Broadcast(100, 6) + silent.repeated(50);
    OverlapFinder finder(recorded, AudioFraming::Mp3);
    EXPECT_EQ(finder.Check(silent.repeated(60) + Broadcast(100, 7), false).kind, Overlap::Kind::None);

    const QByteArray programme = Broadcast(300, 9);
    const qsizetype lostAt = FrameStart(programme, 200) + 50;
    const qsizetype startedAt = FrameStart(programme, 40); // the lost connection's first byte
    OverlapFinder replay(programme.left(lostAt), AudioFraming::Mp3, startedAt);
    EXPECT_EQ(replay.Check(programme.mid(startedAt), false).kind, Overlap::Kind::None);
    OverlapFinder burst(programme.left(lostAt), AudioFraming::Mp3, startedAt);
    const Overlap o = burst.Check(programme.mid(startedAt + 417), false);
    EXPECT_EQ(o.kind, Overlap::Kind::Found);
    EXPECT_EQ(o.resumeAt, lostAt - startedAt - 417);

    OverlapFinder text(QByteArray(50000, 'a'), AudioFraming::Mp3);
    EXPECT_EQ(text.Check(QByteArray(100, 'a'), false).kind, Overlap::Kind::None);
    OverlapFinder noFrames(Broadcast(100, 8), AudioFraming::Mp3);
    EXPECT_EQ(noFrames.Check(QByteArray(1000, 'x'), false).kind, Overlap::Kind::Pending);
    EXPECT_EQ(noFrames.Check(QByteArray(20000, 'x'), false).kind, Overlap::Kind::None);
}

// The memory against the plain account of what was recorded: appends of
// every size (across the ring's end, larger than the ring), tails taken
// back, a capacity changed while it holds bytes; in memory and on disk.
TEST(StreamMemory, HoldsTheLastBytesRecordedAcrossTheRingsEnd)
{
    for (const bool onDisk : {false, true}) {
        SCOPED_TRACE(onDisk ? "on disk" : "in memory");
        constexpr qsizetype cap = 1000;
        const struct {
            char op; // 'a' append n bytes, 'd' drop n bytes, 'c' set the capacity to n
            qsizetype n;
        } steps[] = {
            {'a', 10},   {'a', 990},  {'a', 1},    {'a', 500},  {'d', 300}, {'a', 7000},
            {'a', 8000}, {'a', 9300}, {'d', 5000}, {'a', 123},  {'c', 400}, {'a', 77},
            {'d', 50},   {'c', 3000}, {'a', 2500}, {'d', 9999}, {'a', 42},
        };
        StreamMemory memory;
        TempFolder folder;
        if (onDisk)
            ASSERT_TRUE(memory.KeepOnDisk(folder.path()));
        memory.SetCapacity(cap);
        QByteArray account; // everything recorded, less what was taken back
        qsizetype capacity = cap;
        qsizetype held = 0; // how much of it the memory still holds
        int next = 0;
        for (const auto& step : steps) {
            SCOPED_TRACE(testing::Message() << step.op << step.n);
            if (step.op == 'a') {
                QByteArray bytes(step.n, Qt::Uninitialized);
                for (char& c : bytes)
                    c = char(next++ % 251);
                memory.Append(bytes.constData(), bytes.size());
                account += bytes;
                held = std::min(held + step.n, capacity + StreamMemory::kSlackBytes);
            } else if (step.op == 'd') {
                memory.DropTail(step.n);
                // Only what the memory still holds can be taken back.
                const qsizetype dropped = std::min(step.n, held);
                account.chop(dropped);
                held -= dropped;
            } else {
                memory.SetCapacity(step.n);
                capacity = step.n;
                held = std::min(held, capacity + StreamMemory::kSlackBytes);
            }
            EXPECT_EQ(memory.Total(), account.size());
            EXPECT_EQ(memory.Bytes(), account.right(std::min(capacity, held)));
            EXPECT_EQ(memory.Size(), memory.Bytes().size());
        }
        EXPECT_EQ(memory.KeptOnDisk(), onDisk);
    }
}
