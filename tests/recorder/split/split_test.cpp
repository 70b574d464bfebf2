// From a stream with titles to song files: the ICY session's bytes, in any
// chunking, through the song writer; names, contents, tags, pauses,
// reconnects and failovers, and the session's hold on the stream.
#include "fixture.h"
#include "platform/eventsocket.h"
#include "recorder/recordingfiles.h"
#include "recorder/stationresolver.h"
#include "tests/support/songrig.h"

#include <QRandomGenerator>
#include <QTimer>

using songrig::titleBlock;

namespace {

using Files = QMap<QString, QByteArray>; // each file's audio, by name

// A metadata block of `text`: its length byte, then the text padded with zeros.
QByteArray block(QByteArray text)
{
    while (text.size() % 16)
        text.append('\0');
    return char(text.size() / 16) + text;
}

// A stream: header, then one interval of audio, then each title with
// `intervalsPerSong` intervals of audio.
struct Stream {
    QByteArray bytes;
    QList<QByteArray> audio; // audio before the first title, then each song's
};

Stream makeStream(int metaint, const QList<QByteArray>& titles, int intervalsPerSong, quint32 seed)
{
    QRandomGenerator rng(seed);
    Stream s;
    s.bytes = "ICY 200 OK\r\nicy-name:Test FM\r\nicy-metaint:" + QByteArray::number(metaint) + "\r\nicy-br:128\r\n\r\n";
    auto audioChunk = [&] {
        QByteArray a(metaint, Qt::Uninitialized);
        for (char& c : a)
            c = static_cast<char>(rng.bounded(256));
        return a;
    };
    s.audio.append(audioChunk());
    s.bytes += s.audio.last();
    for (const QByteArray& title : titles) {
        s.bytes += block("StreamTitle='" + title + "';StreamUrl='';");
        s.audio.append(QByteArray());
        for (int i = 0; i < intervalsPerSong; ++i) {
            const QByteArray a = audioChunk();
            s.audio.last() += a;
            s.bytes += a;
            if (i + 1 < intervalsPerSong)
                s.bytes += '\0';
        }
    }
    s.bytes += '\0';
    return s;
}

// The files of a recording folder, each file's audio.
Files filesOf(const SongRig& rig)
{
    Files files;
    for (const QString& name : rig.Files())
        files.insert(name, rig.Audio(name));
    return files;
}

const QByteArray kHeader = "ICY 200 OK\r\nicy-name:X\r\nicy-metaint:4\r\n\r\n";
const QByteArray kEmpty(1, '\0'); // an empty metadata block

} // namespace

TEST(IcySplit, SongsGoToTheirOwnFilesSplitExactlyAtTheTitleAndTheTagKeepsWhatTheNameCannot)
{
    const Stream s = makeStream(1000, {"Artist A - Song One", "Artist B - Song: Two?"}, 3, 7);
    IcyRig rig;
    ASSERT_TRUE(rig.Start());
    rig.Begin();
    rig.Feed(s.bytes);
    rig.Stop();

    EXPECT_EQ(filesOf(rig), (Files{{"Test FM-12052026.mp3", s.audio[0]},
                                   {"Artist A - Song One.mp3", s.audio[1]},
                                   {"Artist B - Song Two.mp3", s.audio[2]}})); // ":" and "?" cleaned
    const QByteArray tag = rig.Bytes(QStringLiteral("Artist B - Song Two.mp3")).right(128);
    EXPECT_TRUE(tag.startsWith("TAG"));
    EXPECT_EQ(tag.mid(3, 15), QByteArray("Song: Two?\0\0\0\0\0", 15));
    EXPECT_EQ(tag.mid(33, 8), QByteArray("Artist B"));
    EXPECT_EQ(rig.Writer().AudioBytesWritten(), s.audio[0].size() + s.audio[1].size() + s.audio[2].size());
}

TEST(IcySplit, AnyChunkingGivesByteIdenticalFiles)
{
    const Stream s = makeStream(700, {"A - 1", "B - 2", "C - 3"}, 4, 11);
    const Files expected{{"Test FM-12052026.mp3", s.audio[0]},
                         {"A - 1.mp3", s.audio[1]},
                         {"B - 2.mp3", s.audio[2]},
                         {"C - 3.mp3", s.audio[3]}};
    const struct {
        const char* what;
        quint32 seed;
        int maxChunk; // 0: all at once
    } chunkings[] = {{"all at once", 0, 0},
                     {"byte by byte", 1, 1},
                     {"up to 50 bytes", 2, 50},
                     {"several intervals at once", 3, 5000}};
    for (const auto& c : chunkings) {
        SCOPED_TRACE(c.what);
        IcyRig rig;
        ASSERT_TRUE(rig.Start());
        rig.Begin();
        QRandomGenerator rng(c.seed);
        for (qsizetype at = 0; at < s.bytes.size();) {
            const qsizetype n = c.maxChunk == 0 ? s.bytes.size() : 1 + rng.bounded(c.maxChunk);
            rig.Feed(s.bytes.mid(at, n));
            at += n;
        }
        rig.Stop();
        EXPECT_EQ(filesOf(rig), expected);
    }
}

// What a response's head and titles make of the files.
TEST(IcySplit, HeadsAndTitlesNameTheFiles)
{
    const struct {
        const char* what;
        QByteArray bytes;
        Files files;
    } rows[] = {
        {"the same title again and an empty title keep the file",
         kHeader + "aaaa" + titleBlock("T") + "bbbb" + titleBlock("T") + "cccc" + titleBlock("") + "dddd" + kEmpty,
         {{"X-12052026.mp3", "aaaa"}, {"T.mp3", "bbbbccccdddd"}}},
        {"a head without a name still reads the interval",
         "ICY 200 OK\r\nicy-metaint:4\r\n\r\naaaa" + titleBlock("Song") + "bbbb",
         {{"unknown-12052026.mp3", "aaaa"}, {"Song.mp3", "bbbb"}}},
        {"without an interval the whole body is audio",
         "ICY 200 OK\r\nicy-name:Plain\r\n\r\nabc\x05StreamTitle='x';",
         {{"Plain-12052026.mp3", "abc\x05StreamTitle='x';"}}},
        {"a title in Windows-1252 and the same in UTF-8 are one song",
         kHeader + "aaaa" + titleBlock("Caf\xE9 - Cr\xE8me") + "bbbb" + kEmpty + "cccc" +
             titleBlock("Caf\xC3\xA9 - Cr\xC3\xA8me"),
         {{"X-12052026.mp3", "aaaa"}, {QStringLiteral("Caf\u00e9 - Cr\u00e8me.mp3"), "bbbbcccc"}}},
        {"a title that plays again keeps its earlier recording; the stop keeps the repeat beside it",
         kHeader + "aaaa" + titleBlock("One") + "bbbb" + titleBlock("Two") + "cccc" + titleBlock("One") + "dddd",
         {{"X-12052026.mp3", "aaaa"}, {"One.mp3", "bbbb"}, {"Two.mp3", "cccc"}, {"One (2).mp3", "dddd"}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        IcyRig rig;
        ASSERT_TRUE(rig.Start());
        rig.Begin();
        rig.Feed(row.bytes);
        rig.Stop();
        EXPECT_EQ(filesOf(rig), row.files) << rig.Events().toStdString();
    }
}

TEST(IcySplit, PausedAudioIsHandedOnButNotRecordedAndATitleMeanwhileOpensOnResuming)
{
    IcyRig rig;
    ASSERT_TRUE(rig.Start());
    rig.Begin();
    rig.Feed(kHeader + "aaaa" + titleBlock("One"));
    rig.Feed("bbbb");
    rig.Writer().Pause();
    rig.Feed(kEmpty + "cccc" + titleBlock("Two") + "dddd");
    EXPECT_EQ(rig.Writer().SongName(), QStringLiteral("Two.mp3")); // renamed only
    rig.Writer().Resume();
    rig.Feed(kEmpty + "eeee");
    rig.Stop();
    EXPECT_EQ(rig.handedOn, QByteArray("aaaabbbbccccddddeeee"));
    EXPECT_EQ(filesOf(rig), (Files{{"X-12052026.mp3", "aaaa"}, {"One.mp3", "bbbb"}, {"Two.mp3", "eeee"}}));
    // The file closed by the pause is tagged too.
    EXPECT_TRUE(rig.Bytes(QStringLiteral("One.mp3")).right(128).startsWith("TAG"));
}

TEST(IcySplit, ARecordingThatStartsPausedWritesNothingUntilResumed)
{
    IcyRig rig;
    rig.startPaused = true;
    ASSERT_TRUE(rig.Start());
    rig.Begin();
    rig.Feed(kHeader + "aaaa" + titleBlock("One") + "bbbb");
    EXPECT_TRUE(rig.Writer().Paused());
    EXPECT_EQ(rig.Files(), QStringList());
    rig.Writer().Resume();
    rig.Feed(kEmpty + "cccc");
    rig.Stop();
    EXPECT_EQ(filesOf(rig), (Files{{"One.mp3", "cccc"}}));
}

// A second connection after the first: a reconnect to the same server (a
// new response head, the same title again), or the next server taking over.
TEST(IcySplit, ReconnectsAndFailoversGoOnWithTheFileOpen)
{
    enum How { Reconnect, FailOver };
    const struct {
        const char* what;
        How how;
        SongRig::Mode mode;
        QByteArray first, second;
        Files files;
    } rows[] = {
        {"a reconnect continues the song with a new head",
         Reconnect,
         SongRig::Mode::PerSong,
         kHeader + "aaaa" + titleBlock("One") + "bb",
         kHeader + "cccc" + titleBlock("One") + "dddd" + titleBlock("Two") + "eeee",
         {{"X-12052026.mp3", "aaaa"}, {"One.mp3", "bbccccdddd"}, {"Two.mp3", "eeee"}}},
        {"the next server continues the song file",
         FailOver,
         SongRig::Mode::PerSong,
         kHeader + "aaaa" + titleBlock("One") + "bbbb",
         kHeader + "cccc" + titleBlock("One") + "dddd" + titleBlock("Two") + "eeee",
         {{"X-12052026.mp3", "aaaa"}, {"One.mp3", "bbbbccccdddd"}, {"Two.mp3", "eeee"}}},
        {"the next server continues a single file",
         FailOver,
         SongRig::Mode::SingleFile,
         "ICY 200 OK\r\n\r\naaaa",
         "ICY 200 OK\r\n\r\nbbbb",
         {{"single.mp3", "aaaabbbb"}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        IcyRig rig;
        rig.mode = row.mode;
        rig.streamFileName = QStringLiteral("single.mp3");
        ASSERT_TRUE(rig.Start());
        rig.Begin();
        rig.Feed(row.first);
        if (row.how == Reconnect)
            rig.Begin(true);
        else
            rig.FailOver();
        rig.Feed(row.second);
        rig.Stop();
        EXPECT_EQ(filesOf(rig), row.files) << rig.Events().toStdString();
        // Each song file ends with one tag: the one a failover wrote was taken off again.
        for (const QString& name : rig.Files())
            if (row.mode == SongRig::Mode::PerSong)
                EXPECT_EQ(rig.Bytes(name).count("TAG"), 1) << name.toStdString();
    }
}

// The deliberate pauses after a head and after a new file hold back the
// stream's next data without blocking the thread; the files are the same.
TEST(IcyHold, PausesHoldTheStreamWithoutBlockingAndKeepTheFilesIdentical)
{
    const Stream s = makeStream(900, {"A - 1", "B - 2"}, 3, 21);
    const qsizetype firstPart = s.bytes.indexOf("StreamTitle='B") + 40; // the second title and a little audio
    const qint64 total = s.audio[0].size() + s.audio[1].size() + s.audio[2].size();
    LoopbackStation station;
    IcyRig rig;
    rig.holdStream = true;
    rig.headerPauseMs = 60000; // released by hand below: long enough never to end by itself
    rig.filePauseMs = 60000;
    ASSERT_TRUE(rig.Start());
    ASSERT_TRUE(rig.Connect(station.port()));
    ASSERT_TRUE(WaitUntil([&] { return station.last() != nullptr; }));
    station.last()->write(s.bytes.left(firstPart));
    ASSERT_TRUE(WaitUntil([&] { return rig.session.Held(); }));
    EXPECT_EQ(rig.sleeper.calls, 0); // nothing blocked

    // Timers run while the stream is held; what comes now waits in the socket.
    int ticks = 0;
    QTimer refresh;
    QObject::connect(&refresh, &QTimer::timeout, [&] { ++ticks; });
    refresh.start(10);
    station.last()->write(s.bytes.mid(firstPart));
    ASSERT_TRUE(WaitUntil([&] { return rig.session.Socket().BytesReceived() > 0 && ticks >= 3; }));
    const qint64 writtenWhileHeld = rig.Writer().AudioBytesWritten();
    EXPECT_LT(writtenWhileHeld, total);
    EXPECT_TRUE(rig.session.Held());

    // Each release lets the data through up to the next pause.
    for (int i = 0; i < 8 && rig.Writer().AudioBytesWritten() < total; ++i) {
        rig.session.ReleaseHold();
        WaitUntil([&] { return rig.session.Held() || rig.session.Socket().BytesReceived() == 0; }, 2000);
    }
    EXPECT_EQ(rig.Writer().AudioBytesWritten(), total);
    rig.Stop();
    EXPECT_EQ(filesOf(rig),
              (Files{{"Test FM-12052026.mp3", s.audio[0]}, {"A - 1.mp3", s.audio[1]}, {"B - 2.mp3", s.audio[2]}}));
}

TEST(IcyHold, AHeldStreamWhoseDataWaitsIsNotAStall)
{
    LoopbackStation station;
    IcyRig rig;
    rig.holdStream = true;
    rig.headerPauseMs = 60000;
    ASSERT_TRUE(rig.Start());
    ASSERT_TRUE(rig.Connect(station.port()));
    ASSERT_TRUE(WaitUntil([&] { return station.last() != nullptr; }));
    const qint32 start = rig.clock.GetTickCount();
    station.last()->write("ICY 200 OK\r\nicy-metaint:1000\r\n\r\n" + QByteArray(100, 'a'));
    ASSERT_TRUE(WaitUntil([&] { return rig.session.Held(); }));
    station.last()->write(QByteArray(500, 'b'));
    ASSERT_TRUE(WaitUntil([&] { return rig.session.Socket().BytesReceived() > 0; }));
    // Twelve seconds on the clock with the data still held: no time-out, no reconnect.
    for (qint32 t = 100; t <= 12000; t += 100) {
        rig.clock.set(start + t);
        rig.session.Poll(rig.clock.GetTickCount());
        EXPECT_TRUE(rig.session.CheckStalled(rig.clock.GetTickCount()));
    }
    EXPECT_EQ(rig.timeouts, 0);
    EXPECT_EQ(station.connections.size(), 1u);
    EXPECT_TRUE(rig.session.Held());
}

TEST(Live365Entry, StationNumberFromTheServerEntry)
{
    struct Case {
        ServerEntry entry;
        bool is;
        QString number;
        bool afl;
    } cases[] = {
        {{"www.live365.com", "/play/123456", "80", ""}, true, "123456", false},
        {{"www.live365.com", "/play/123456", "80", "AuthType=AFL&x=1"}, true, "123456", true},
        {{"www.live365.com", "/play/jazzbar", "80", ""}, false, "", false},
        {{"www.Live365.com", "/play/123", "80", ""}, false, "", false}, // the host test is case-sensitive
        {{"stream.example", "/play/123", "80", ""}, false, "", false},
        {{"live365.example", "123", "80", ""}, false, "", false}, // no "/" in the path
    };
    for (const auto& c : cases) {
        QString number;
        bool afl = false;
        EXPECT_EQ(Live365StationOf(c.entry, number, afl), c.is)
            << c.entry.Host.toStdString() << c.entry.Path.toStdString();
        EXPECT_EQ(number, c.number);
        EXPECT_EQ(afl, c.afl);
    }
}

// The recorder around the parts: its stream comes on its real socket.
class RecorderSplitTest : public RecorderFixture {
protected:
    void SetUp() override
    {
        RecorderFixture::SetUp();
        recordSongsContinuously();
    }
    // The station sends `bytes`; returns once the recorder has written `audio` bytes in all.
    bool send(const QByteArray& bytes, qint64 audio)
    {
        station.last()->write(bytes);
        return WaitUntil([&] { return recorder->AudioBytesWritten() == audio; });
    }
};

TEST_F(RecorderSplitTest, Live365TitlesSwitchTheFiles)
{
    startOnStation();
    ASSERT_TRUE(send("ICY 200 OK\r\nicy-name:L\r\n\r\naaaa", 4));
    recorder->Live365().SongNamed(QStringLiteral("Artist"), QStringLiteral("First"));
    ASSERT_TRUE(send("bbbb", 8));
    recorder->Live365().SongNamed(QStringLiteral("Artist"), QStringLiteral("Second"));
    ASSERT_TRUE(send("cccc", 12));
    recorder->StopRecording();
    EXPECT_EQ(songrig::audioOf(ReadAll(folder.file(QStringLiteral("Artist - First.mp3")))), QByteArray("bbbb"));
    EXPECT_EQ(songrig::audioOf(ReadAll(folder.file(QStringLiteral("Artist - Second.mp3")))), QByteArray("cccc"));
    EXPECT_EQ(ReadAll(folder.file(QStringLiteral("Artist - First.mp3"))).right(128).mid(33, 6), QByteArray("Artist"));
}

// Starting paused, the recorder pauses and listens; the relay hears the
// audio the files do not get.
TEST_F(RecorderSplitTest, StartPausedListensAndRecordsNothingUntilResumed)
{
    config.bPreviewModeOnly = true;
    config.bStartInListenMode = true;
    startOnStation();
    station.last()->write(kHeader + "aaaa" + titleBlock("One") + "bbbb");
    ASSERT_TRUE(WaitUntil([&] { return relay.pushed == "aaaabbbb"; }));
    EXPECT_TRUE(recorder->Status().blnPaused);
    EXPECT_GE(relay.starts, 1);
    EXPECT_TRUE(relay.on);
    EXPECT_EQ(recorder->AudioBytesWritten(), 0);
    recorder->TogglePause();
    ASSERT_TRUE(send(kEmpty + "cccc", 4));
    recorder->StopRecording();
    EXPECT_EQ(songrig::audioOf(ReadAll(folder.file(QStringLiteral("One.mp3")))), QByteArray("cccc"));
}
