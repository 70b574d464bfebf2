// The last minutes of a station kept as whole frames and pages.
#include "recorder/keepingrelay.h"
#include "recorder/lastminutes.h"
#include "tests/support/eventwait.h"

#include <QDir>
#include <QtEndian>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

// MPEG-1 layer III, 128 kbit/s, 44.1 kHz, no padding: 417 bytes, 1152
// samples (26.12 ms). Each frame's body carries its number.
QByteArray mp3Frame(int n)
{
    QByteArray f(417, char(n & 0x7f));
    f[0] = char(0xff);
    f[1] = char(0xfb);
    f[2] = char(0x90);
    f[3] = char(0x00);
    return f;
}

QByteArray mp3Frames(int from, int count)
{
    QByteArray out;
    for (int i = from; i < from + count; ++i)
        out += mp3Frame(i);
    return out;
}

void feed(LastMinutes& kept, const QByteArray& bytes, int chunk)
{
    for (qsizetype at = 0; at < bytes.size(); at += chunk)
        kept.Append(bytes.constData() + at, std::min<qsizetype>(chunk, bytes.size() - at));
}

// An Ogg page of `serial` with one packet `body`; CRC left zero (not checked here).
QByteArray oggPage(quint32 serial, qint64 granule, const QByteArray& body, bool bos = false)
{
    QByteArray page(27, '\0');
    memcpy(page.data(), "OggS", 4);
    page[5] = char(bos ? 0x02 : 0x00);
    qToLittleEndian<qint64>(granule, page.data() + 6);
    qToLittleEndian<quint32>(serial, page.data() + 14);
    page[26] = char(1);
    page += char(body.size());
    page += body;
    return page;
}

} // namespace

TEST(LastMinutesTest, KeepsTheLastWholeFramesHoweverTheAudioComes)
{
    const struct {
        const char* name;
        QByteArray before; // what comes before the first whole frame
        int frames;
        int chunk;
        qint64 keepMs;
        int keptFrames; // the last ones
    } cases[] = {
        {"less than kept: all of it", {}, 20, 417, 1000, 19 /* the last waits for the next */},
        {"byte by byte", {}, 100, 1, 1000, 39},
        {"odd chunks", {}, 100, 777, 1000, 39},
        {"one chunk", {}, 100, 100000, 1000, 39},
        {"a partial frame first", mp3Frame(0).mid(200), 100, 512, 1000, 39},
        {"zeros first", QByteArray(333, '\0'), 100, 4096, 2000, 77},
        {"ten seconds over many blocks of memory", {}, 1000, 4096, 10000, 383},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LastMinutes kept(c.keepMs);
        kept.BeginStream(LastMinutes::Framing::Mp3);
        feed(kept, c.before + mp3Frames(1, c.frames), c.chunk);
        // The newest frame is waiting to be known whole: a save takes it.
        EXPECT_EQ(kept.Bytes(), mp3Frames(1 + c.frames - 1 - c.keptFrames, c.keptFrames + 1));
        EXPECT_EQ(kept.KeptUnits(), c.keptFrames);
        EXPECT_GE(kept.KeptMs(), std::min<qint64>(c.keepMs, (c.frames - 1) * 1152 * 1000 / 44100) - 1);
        // The stream ends right after a whole frame: it is kept too.
        kept.Finish();
        const int withLast = std::min(c.frames, c.keptFrames + (c.keptFrames < c.frames - 1 ? 0 : 1));
        EXPECT_EQ(kept.Bytes().right(417), mp3Frame(c.frames));
        EXPECT_EQ(kept.Bytes().size() % 417, 0);
        EXPECT_LE(kept.KeptUnits(), withLast + 1);
    }
}

// A reconnect drops the half frame the lost connection left; what was kept
// stays, and the new connection's frames follow it.
TEST(LastMinutesTest, WhatWasKeptStaysThroughAReconnect)
{
    LastMinutes kept(60 * 1000);
    kept.BeginStream(LastMinutes::Framing::Mp3);
    feed(kept, mp3Frames(1, 10) + mp3Frame(11).left(100), 300);
    kept.BeginStream(LastMinutes::Framing::Mp3);
    feed(kept, mp3Frame(12).mid(50) + mp3Frames(13, 5), 300);
    kept.Finish();
    EXPECT_EQ(kept.Bytes(), mp3Frames(1, 10) + mp3Frames(13, 5));
    EXPECT_EQ(kept.Extension(), QStringLiteral(".mp3"));
}

// Ogg pages are kept whole, each logical stream's header pages before its
// first page kept; time comes from the granule positions.
TEST(LastMinutesTest, OggKeepsWholePagesWithTheirHeaders)
{
    QByteArray opusHead("OpusHead\x01\x02\x00\x00\x80\xbb\x00\x00\x00\x00\x00", 19);
    const QByteArray headA = oggPage(7, 0, opusHead, true) + oggPage(7, 0, "OpusTags");
    const QByteArray headB = oggPage(9, 0, opusHead, true) + oggPage(9, 0, "OpusTags");
    QByteArray stream = headA;
    QList<QByteArray> pagesA, pagesB;
    for (int i = 1; i <= 10; ++i)
        pagesA << oggPage(7, i * 48000, QByteArray(100, char('a' + i))); // one second each
    for (int i = 1; i <= 3; ++i)
        pagesB << oggPage(9, i * 48000, QByteArray(80, char('A' + i)));
    for (const QByteArray& p : pagesA)
        stream += p;
    stream += headB;
    for (const QByteArray& p : pagesB)
        stream += p;

    LastMinutes kept(4500);
    kept.BeginStream(LastMinutes::Framing::Ogg);
    feed(kept, QByteArray("junk") + stream, 61);
    // 4.5 s: the last of A's pages (each a second after the one before) and B's.
    QByteArray expected = headA + pagesA[8] + pagesA[9] + headB;
    for (const QByteArray& p : pagesB)
        expected += p;
    EXPECT_EQ(kept.Bytes(), expected);
    EXPECT_EQ(kept.Extension(), QStringLiteral(".ogg"));
}

TEST(LastMinutesTest, SavedUnderTheStationsNameInItsFolder)
{
    TempFolder folder;
    NullRelay behind;
    KeepingRelay relay(behind, 60 * 1000);
    EXPECT_TRUE(relay.blnEnablePreviewStream());
    relay.BeginStream("audio/mpeg", false);
    QString problem;
    const QDateTime when(QDate(2026, 3, 1), QTime(14, 2, 10));
    EXPECT_TRUE(relay.Kept().Save(folder.path(), QStringLiteral("Night FM"), when, 5, &problem).isEmpty());
    EXPECT_FALSE(problem.isEmpty());
    const QByteArray audio = mp3Frames(1, 30);
    relay.PushData(audio.constData(), audio.size());
    const QString path = relay.Kept().Save(folder.path(), QStringLiteral("Night: FM"), when, 5, &problem);
    EXPECT_EQ(path, folder.file(QStringLiteral("Night FM - 2026-03-01 14.02.10 - last 5 minutes.mp3")));
    EXPECT_EQ(ReadAll(path), mp3Frames(1, 30));
    relay.BeginStream("audio/aacp", false);
    EXPECT_EQ(relay.Kept().Bytes(), mp3Frames(1, 30)); // nothing of the new kind yet
}

// "Save This Song": from the first frame after the title change (a whole
// frame before it is the song before's) to the next title, tagged; refused
// when the song began before what is kept, or no title came.
TEST(SongSaverTest, SavesFromTheTitleToTheNextOne)
{
    const struct {
        const char* name;
        int before;       // frames before the title
        int cutAt;        // bytes of the next frame come before the title too
        qint64 keepMs;    // how much is kept
        int after;        // frames after the title when saving starts
        bool saved;
    } cases[] = {
        {"the title on a frame's edge", 10, 0, 60000, 3, true},
        {"the title inside a frame", 10, 200, 60000, 3, true},
        {"saved at once after the title", 10, 0, 60000, 0, true},
        {"the song's start no longer kept", 10, 0, 100, 20, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        NullRelay behind;
        KeepingRelay relay(behind, c.keepMs);
        relay.BeginStream("audio/mpeg", false);
        QString problem;
        EXPECT_TRUE(relay.Saver().Start(folder.path(), &problem).isEmpty()); // no title yet
        const QByteArray before = mp3Frames(0, c.before) + mp3Frame(c.before).left(c.cutAt);
        relay.PushData(before.constData(), before.size());
        relay.MarkTitle(QStringLiteral("Artist - Song"));
        const int first = c.before; // the song's first frame in the file
        const QByteArray after = mp3Frame(c.before).mid(c.cutAt) + mp3Frames(c.before + 1, c.after);
        relay.PushData(after.constData(), after.size());
        const QString path = relay.Saver().Start(folder.path(), &problem);
        if (!c.saved) {
            EXPECT_TRUE(path.isEmpty());
            EXPECT_FALSE(problem.isEmpty());
            continue;
        }
        ASSERT_EQ(path, folder.file(QStringLiteral("Artist - Song.mp3"))) << problem.toStdString();
        EXPECT_TRUE(relay.Saver().Start(folder.path(), &problem).isEmpty()); // once at a time
        const QByteArray more = mp3Frames(c.before + 1 + c.after, 4);
        relay.PushData(more.constData(), more.size());
        relay.MarkTitle(QStringLiteral("Next - One")); // ends the song
        relay.PushData(more.constData(), more.size());
        EXPECT_FALSE(relay.Saver().Saving());
        const QByteArray file = ReadAll(path);
        ASSERT_GE(file.size(), 128);
        const int frames = 1 + c.after + 4;
        EXPECT_EQ(file.left(file.size() - 128), mp3Frames(first, frames));
        EXPECT_TRUE(file.right(128).startsWith("TAG"));
        EXPECT_EQ(file.mid(file.size() - 128 + 3, 6), QByteArray("Song\0\0", 6));
        EXPECT_EQ(file.mid(file.size() - 128 + 33, 6), QByteArray("Artist", 6));
        // The same song again is saved beside the first file.
        relay.MarkTitle(QStringLiteral("Artist - Song"));
        EXPECT_EQ(relay.Saver().Start(folder.path(), &problem), folder.file(QStringLiteral("Artist - Song (2).mp3")));
    }
}

namespace {

// An Ogg page of any length: its body in 255-byte segments.
QByteArray oggLongPage(quint32 serial, qint64 granule, const QByteArray& body)
{
    QByteArray page = oggPage(serial, granule, {});
    page.chop(1);
    const int segments = int(body.size() / 255) + 1;
    page[26] = char(segments);
    for (int i = 0; i < segments - 1; ++i)
        page += char(255);
    page += char(body.size() % 255);
    return page + body;
}

QByteArray adtsFrame(int n, int length = 371)
{
    QByteArray f(length, char(n & 0x7f));
    const unsigned char h[7] = {0xff, 0xf1, 0x50, static_cast<unsigned char>(0x80 | (length >> 11)),
                                static_cast<unsigned char>(length >> 3),
                                static_cast<unsigned char>(((length & 7) << 5) | 0x1f), 0xfc};
    memcpy(f.data(), h, 7);
    return f;
}

// Everything a save gives, to compare one store with the other.
struct Kept {
    QByteArray bytes, sinceTitle, saved;
    qsizetype units;
    qint64 ms;
    bool titleKept;
    bool operator==(const Kept&) const = default;
};

Kept keptOf(const LastMinutes& kept)
{
    TempFolder folder;
    QString problem;
    const QString path = kept.Save(folder.path(), QStringLiteral("Night FM"), QDateTime(QDate(2026, 3, 1), QTime()), 5,
                                   &problem);
    return {kept.Bytes(), kept.BytesSinceTitle(), ReadAll(path), kept.KeptUnits(), kept.KeptMs(), kept.TitleKept()};
}

} // namespace

// What is kept on disk is what is kept in memory, byte for byte, whatever
// the audio and however it comes: through dropped fronts, titles, a
// reconnect, another kind of audio, pages larger than what is written at once.
TEST(LastMinutesTest, KeptOnDiskAsInMemory)
{
    const QByteArray opusHead("OpusHead\x01\x02\x00\x00\x80\xbb\x00\x00\x00\x00\x00", 19);
    const struct {
        const char* name;
        qint64 keepMs;
        std::function<void(LastMinutes&)> feed;
    } cases[] = {
        {"byte by byte, the title inside a frame", 1000,
         [](LastMinutes& k) {
             k.BeginStream(LastMinutes::Framing::Mp3);
             feed(k, mp3Frames(1, 30) + mp3Frame(31).left(100), 1);
             k.MarkTitle(QStringLiteral("A - B"));
             feed(k, mp3Frame(31).mid(100) + mp3Frames(32, 40), 1);
         }},
        {"a minute over many dropped blocks, the title's start gone", 10000,
         [](LastMinutes& k) {
             k.BeginStream(LastMinutes::Framing::Mp3);
             feed(k, mp3Frames(0, 100), 4096);
             k.MarkTitle(QStringLiteral("Gone - Song"));
             feed(k, mp3Frames(100, 2200), 4096);
         }},
        {"a minute, the title's start kept", 10000,
         [](LastMinutes& k) {
             k.BeginStream(LastMinutes::Framing::Mp3);
             feed(k, mp3Frames(0, 2200), 9000);
             k.MarkTitle(QStringLiteral("Kept - Song"));
             feed(k, mp3Frames(2200, 100), 9000);
         }},
        {"a reconnect leaves half a frame", 60000,
         [](LastMinutes& k) {
             k.BeginStream(LastMinutes::Framing::Mp3);
             feed(k, mp3Frames(1, 10) + mp3Frame(11).left(100), 300);
             k.BeginStream(LastMinutes::Framing::Mp3);
             feed(k, mp3Frame(12).mid(50) + mp3Frames(13, 5), 300);
             k.Finish();
         }},
        {"MP3, then AAC starts again", 60000,
         [](LastMinutes& k) {
             k.BeginStream(LastMinutes::Framing::Mp3);
             feed(k, mp3Frames(1, 40), 1000);
             k.BeginStream(LastMinutes::Framing::Adts);
             QByteArray aac;
             for (int i = 0; i < 30; ++i)
                 aac += adtsFrame(i);
             feed(k, aac, 555);
             k.Finish();
         }},
        {"Ogg: two streams, pages larger than a write, a title between pages", 6500,
         [&opusHead](LastMinutes& k) {
             k.BeginStream(LastMinutes::Framing::Ogg);
             QByteArray stream = oggPage(7, 0, opusHead, true) + oggPage(7, 0, "OpusTags");
             for (int i = 1; i <= 8; ++i)
                 stream += oggLongPage(7, i * 48000, QByteArray(i * 1500, char('a' + i)));
             feed(k, stream, 1000);
             k.MarkTitle(QStringLiteral("Ogg - Song"));
             stream = oggPage(9, 0, opusHead, true) + oggPage(9, 0, "OpusTags");
             for (int i = 1; i <= 4; ++i)
                 stream += oggLongPage(9, i * 48000, QByteArray(6000, char('A' + i)));
             feed(k, stream, 7000);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        LastMinutes inMemory(c.keepMs);
        LastMinutes onDisk(c.keepMs);
        ASSERT_TRUE(onDisk.KeepOnDisk(folder.path()));
        c.feed(inMemory);
        c.feed(onDisk);
        EXPECT_TRUE(onDisk.KeptOnDisk());
        EXPECT_FALSE(inMemory.KeptOnDisk());
        const Kept expected = keptOf(inMemory);
        EXPECT_FALSE(expected.saved.isEmpty());
        EXPECT_EQ(keptOf(onDisk), expected);
        // The file has no name: nothing is left in the folder.
        EXPECT_TRUE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
    }
}

// The store against the plain account of what it holds, in memory and on
// disk: fronts and tails dropped, reads small (from the window of the
// oldest bytes) and large, from the file and from what is not written yet;
// a tail taken back and written again where the window was.
TEST(KeptAudioTest, HoldsWhatWasAppendedLessWhatWasDropped)
{
    constexpr qsizetype W = KeptAudio::kWriteBytes;
    const struct {
        char op; // 'a' append n, 'f' drop n from the front, 'b' from the back, 'r' read n at `at` from the end, 'c' clear
        qsizetype n;
        qsizetype at = 0;
    } steps[] = {
        {'a', 100}, {'r', 10, 100}, {'a', W}, {'r', 40, 40}, {'b', 30}, {'a', W}, {'b', W - 30}, {'r', 40, 40},
        {'f', 5000}, {'r', 64, 64}, {'r', 65, 200}, {'a', 7}, {'r', 60, 30}, {'b', 3}, {'r', 1 << 20, 1 << 20},
        {'a', 3 * W + 5}, {'f', 2 * W}, {'r', 20, 3 * W}, {'b', W + 9}, {'r', 1 << 20, 1 << 20}, {'c', 0},
        {'a', 10}, {'r', 10, 10}, {'f', 1 << 20}, {'a', W + 1}, {'r', 1 << 20, 1 << 20},
    };
    for (const bool onDisk : {false, true}) {
        SCOPED_TRACE(onDisk ? "on disk" : "in memory");
        TempFolder folder;
        KeptAudio store;
        QString problem;
        if (onDisk)
            ASSERT_TRUE(store.ToDisk(folder.path(), &problem)) << problem.toStdString();
        QByteArray account;
        int next = 0;
        for (const auto& step : steps) {
            SCOPED_TRACE(testing::Message() << step.op << step.n << '@' << step.at);
            if (step.op == 'a') {
                QByteArray bytes(step.n, Qt::Uninitialized);
                for (char& c : bytes)
                    c = char(next++ % 251);
                EXPECT_TRUE(store.Append(bytes.constData(), bytes.size()));
                account += bytes;
            } else if (step.op == 'f') {
                store.DropFront(step.n);
                account.remove(0, std::min(step.n, account.size()));
            } else if (step.op == 'b') {
                store.DropBack(step.n);
                account.chop(std::min(step.n, account.size()));
            } else if (step.op == 'c') {
                store.Clear();
                account.clear();
            } else {
                const qsizetype at = std::max<qsizetype>(0, account.size() - step.at);
                QByteArray out("before");
                store.CopyTo(out, at, step.n);
                EXPECT_EQ(out, "before" + account.mid(at, step.n));
            }
            EXPECT_EQ(store.Size(), account.size());
        }
        EXPECT_EQ(store.OnDisk(), onDisk);
    }
}

// Hours of audio: the file takes what is kept and a block more, and still
// holds what memory would after what is kept moved to the file's start.
TEST(LastMinutesTest, TheFileOnDiskStaysAsLargeAsWhatIsKept)
{
    TempFolder folder;
    LastMinutes onDisk(2000);
    LastMinutes inMemory(2000);
    ASSERT_TRUE(onDisk.KeepOnDisk(folder.path()));
    onDisk.BeginStream(LastMinutes::Framing::Mp3);
    inMemory.BeginStream(LastMinutes::Framing::Mp3);
    qint64 largest = 0;
    // 42 MB: beyond the point where what is kept moves to the start.
    for (int frame = 0; frame < 100000; frame += 20) {
        const QByteArray chunk = mp3Frames(frame, 20);
        onDisk.Append(chunk.constData(), chunk.size());
        inMemory.Append(chunk.constData(), chunk.size());
        largest = std::max(largest, onDisk.DiskBytes() - onDisk.KeptBytes());
    }
    EXPECT_GT(onDisk.KeptBytes(), 30000);
    EXPECT_LE(largest, KeptAudio::kHoleBytes + KeptAudio::kWriteBytes + 64 * 1024);
    EXPECT_TRUE(onDisk.KeptOnDisk());
    EXPECT_EQ(onDisk.Bytes(), inMemory.Bytes());
}

// No file can be made, or its disk fills up: the minutes are kept in
// memory, said once, and nothing kept is lost.
TEST(LastMinutesTest, AFileThatFailsLeavesTheMinutesInMemory)
{
    TempFolder folder;
    ASSERT_TRUE(WriteAll(folder.file(QStringLiteral("plain")), "not a folder"));
    const struct {
        const char* name;
        QString folder;
        rlim_t fileLimit; // the largest file the program may write
        bool madeOnDisk;
    } cases[] = {
        {"the folder cannot be made", folder.file(QStringLiteral("plain/kept")), RLIM_INFINITY, false},
        {"the disk fills up", folder.path(), 200 * 1024, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QStringList said;
        LastMinutes kept(60000);
        kept.SetNotice([&said](const QString& text) { said << text; });
        EXPECT_EQ(kept.KeepOnDisk(c.folder), c.madeOnDisk);
        rlimit was{};
        getrlimit(RLIMIT_FSIZE, &was);
        rlimit limit = was;
        limit.rlim_cur = c.fileLimit;
        const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &limit);
        kept.BeginStream(LastMinutes::Framing::Mp3);
        feed(kept, mp3Frames(0, 1000), 3000); // 417 KB
        setrlimit(RLIMIT_FSIZE, &was);
        signal(SIGXFSZ, oldHandler);
        EXPECT_FALSE(kept.KeptOnDisk());
        ASSERT_EQ(said.size(), 1) << said.join('\n').toStdString();
        EXPECT_TRUE(said[0].contains(c.madeOnDisk ? QString::fromLocal8Bit(strerror(EFBIG)) : c.folder)) << said[0].toStdString();
        EXPECT_EQ(kept.Bytes(), mp3Frames(0, 1000));
        feed(kept, mp3Frames(1000, 10), 3000);
        EXPECT_EQ(kept.Bytes().right(417 * 10), mp3Frames(1000, 10));
    }
}
