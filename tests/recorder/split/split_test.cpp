// From a stream with titles to song files: names, contents, tags, pauses,
// reconnects, and the same files whatever the chunking.
#include "fixture.h"

#include "platform/eventsocket.h"
#include "recorder/recordingfiles.h"

#include <QDir>
#include <QTimer>
#include <QRandomGenerator>

namespace {

QByteArray block(const QByteArray& text)
{
    QByteArray padded = text;
    while (padded.size() % 16)
        padded.append('\0');
    QByteArray b;
    b.append(static_cast<char>(padded.size() / 16));
    b += padded;
    return b;
}

QByteArray titleBlock(const QByteArray& title)
{
    return block("StreamTitle='" + title + "';StreamUrl='';");
}

// A stream: header, then `songs` of audio with a title block where each
// song starts. Returns the audio of each song (index 0: before the first title).
struct Stream {
    QByteArray bytes;
    QList<QByteArray> audio;  // audio before the first title, then each song's
};

Stream makeStream(int metaint, const QList<QByteArray>& titles, int intervalsPerSong, quint32 seed)
{
    QRandomGenerator rng(seed);
    Stream s;
    s.bytes = "ICY 200 OK\r\nicy-name:Test FM\r\nicy-metaint:" + QByteArray::number(metaint) + "\r\nicy-br:128\r\n\r\n";
    s.audio.append(QByteArray());
    auto audioChunk = [&] {
        QByteArray a(metaint, Qt::Uninitialized);
        for (char& c : a)
            c = static_cast<char>(rng.bounded(256));
        return a;
    };
    // One interval before the first title.
    QByteArray a = audioChunk();
    s.audio.last() += a;
    s.bytes += a;
    for (const QByteArray& title : titles) {
        s.bytes += titleBlock(title);
        s.audio.append(QByteArray());
        for (int i = 0; i < intervalsPerSong; ++i) {
            a = audioChunk();
            s.audio.last() += a;
            s.bytes += a;
            if (i + 1 < intervalsPerSong)
                s.bytes += '\0';
        }
    }
    s.bytes += '\0';
    return s;
}

}  // namespace

class SplitTest : public RecorderFixture {
protected:
    void SetUp() override
    {
        RecorderFixture::SetUp();
        recordSongsContinuously();
    }
    void feedInChunks(const QByteArray& bytes, quint32 seed, int maxChunk)
    {
        QRandomGenerator rng(seed);
        qsizetype at = 0;
        while (at < bytes.size()) {
            const qsizetype n = std::min<qsizetype>(bytes.size() - at, 1 + rng.bounded(maxChunk));
            recorder->HandleStreamData(bytes.mid(at, n));
            at += n;
        }
    }
    QByteArray file(const QString& name) { return ReadAll(folder.file(name)); }
    static QByteArray body(const QByteArray& f) { return f.size() >= 128 ? f.left(f.size() - 128) : f; }
};

TEST_F(SplitTest, SongsGoToTheirOwnFilesSplitExactlyAtTheTitle)
{
    const Stream s = makeStream(1000, {"Artist A - Song One", "Artist B - Song: Two?"}, 3, 7);
    startOnStation();
    recorder->HandleStreamData(s.bytes);
    recorder->StopRecording();

    const QString station = QStringLiteral("Test FM-12052026.mp3");
    EXPECT_EQ(body(file(station)), s.audio[0]);
    EXPECT_EQ(body(file(QStringLiteral("Artist A - Song One.mp3"))), s.audio[1]);
    EXPECT_EQ(body(file(QStringLiteral("Artist B - Song Two.mp3"))), s.audio[2]);  // ":" and "?" cleaned

    // The tag keeps what the file name could not.
    const QByteArray last = file(QStringLiteral("Artist B - Song Two.mp3"));
    ASSERT_GE(last.size(), 128);
    const QByteArray tag = last.right(128);
    EXPECT_TRUE(tag.startsWith("TAG"));
    EXPECT_EQ(tag.mid(3, 30).left(15), QByteArray("Song: Two?\0\0\0\0\0", 15));
    EXPECT_EQ(tag.mid(33, 8), QByteArray("Artist B"));
    EXPECT_EQ(recorder->AudioBytesWritten(), s.audio[0].size() + s.audio[1].size() + s.audio[2].size());
}

TEST_F(SplitTest, AnyChunkingGivesByteIdenticalFiles)
{
    const Stream s = makeStream(700, {"A - 1", "B - 2", "C - 3"}, 4, 11);
    QMap<QString, QByteArray> reference;
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        TempFolder dir;
        config.sMP3Path = dir.path();
        recorder = std::make_unique<frmMP3>(deps);
        startOnStation();
        if (round == 0)
            recorder->HandleStreamData(s.bytes);
        else if (round == 1)
            feedInChunks(s.bytes, 1, 1);  // byte by byte
        else if (round == 2)
            feedInChunks(s.bytes, 2, 50);
        else
            feedInChunks(s.bytes, 3, 5000);  // several intervals at once
        recorder->StopRecording();
        QMap<QString, QByteArray> files;
        for (const QString& name : QDir(dir.path()).entryList(QDir::Files))
            files.insert(name, body(ReadAll(dir.file(name))));
        if (round == 0)
            reference = files;
        else
            EXPECT_EQ(files, reference);
    }
    EXPECT_EQ(reference.size(), 4);
}

TEST_F(SplitTest, RepeatedTitleKeepsTheFileAndEmptyTitleIsIgnored)
{
    QByteArray bytes = "ICY 200 OK\r\nicy-name:X\r\nicy-metaint:4\r\n\r\n";
    bytes += "aaaa" + titleBlock("T") + "bbbb" + titleBlock("T") + "cccc" + titleBlock("") + "dddd" + QByteArray(1, '\0');
    startOnStation();
    recorder->HandleStreamData(bytes);
    EXPECT_EQ(recorder->Status().strSongName, QStringLiteral("T.mp3"));
    recorder->StopRecording();
    EXPECT_EQ(body(file(QStringLiteral("T.mp3"))), QByteArray("bbbbccccdddd"));
}

TEST_F(SplitTest, HeaderWithoutNameStillReadsTheInterval)
{
    QByteArray bytes = "ICY 200 OK\r\nicy-metaint:4\r\n\r\n";
    bytes += "aaaa" + titleBlock("Song") + "bbbb";
    startOnStation();
    recorder->HandleStreamData(bytes);
    recorder->StopRecording();
    EXPECT_EQ(body(file(QStringLiteral("unknown-12052026.mp3"))), QByteArray("aaaa"));
    EXPECT_EQ(body(file(QStringLiteral("Song.mp3"))), QByteArray("bbbb"));
}

TEST_F(SplitTest, WithoutAnIntervalTheWholeBodyIsAudio)
{
    startOnStation();
    recorder->HandleStreamData("ICY 200 OK\r\nicy-name:Plain\r\n\r\nabc\x05StreamTitle='x';");
    recorder->StopRecording();
    EXPECT_EQ(body(file(QStringLiteral("Plain-12052026.mp3"))), QByteArray("abc\x05StreamTitle='x';"));
}

TEST_F(SplitTest, PausedAudioIsDroppedButStillReachesTheRelay)
{
    startOnStation();
    relay.on = true;
    recorder->HandleStreamData("ICY 200 OK\r\nicy-name:X\r\nicy-metaint:4\r\n\r\naaaa" + titleBlock("One"));
    recorder->HandleStreamData("bbbb");
    recorder->TogglePause();
    recorder->HandleStreamData(QByteArray(1, '\0') + "cccc" + titleBlock("Two") + "dddd");
    EXPECT_EQ(recorder->Status().strSongName, QStringLiteral("Two.mp3")); // renamed only
    recorder->TogglePause();  // a new title during the pause: its file starts now
    recorder->HandleStreamData(QByteArray(1, '\0') + "eeee");
    recorder->StopRecording();
    EXPECT_EQ(relay.pushed, QByteArray("aaaabbbbccccddddeeee"));
    EXPECT_EQ(body(file(QStringLiteral("One.mp3"))), QByteArray("bbbb"));
    EXPECT_EQ(body(file(QStringLiteral("Two.mp3"))), QByteArray("eeee"));
    // The file closed after the pause is tagged too.
    EXPECT_TRUE(file(QStringLiteral("One.mp3")).right(128).startsWith("TAG"));
}

TEST_F(SplitTest, StartPausedWritesNothingUntilResumed)
{
    config.bPreviewModeOnly = true;
    config.bStartInListenMode = true;
    startOnStation();
    recorder->HandleStreamData("ICY 200 OK\r\nicy-name:X\r\nicy-metaint:4\r\n\r\naaaa" + titleBlock("One") + "bbbb");
    EXPECT_TRUE(recorder->Status().blnPaused);
    EXPECT_GE(relay.starts, 1);
    EXPECT_TRUE(relay.on);
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files).isEmpty());
    recorder->TogglePause();
    recorder->HandleStreamData(QByteArray(1, '\0') + "cccc");
    recorder->StopRecording();
    EXPECT_EQ(body(file(QStringLiteral("One.mp3"))), QByteArray("cccc"));
}

TEST_F(SplitTest, ReconnectContinuesTheSameFileWithANewHeader)
{
    const qint32 start = 100000;
    clock.set(start);
    startOnStation();
    const QByteArray header = "ICY 200 OK\r\nicy-name:X\r\nicy-metaint:4\r\n\r\n";
    recorder->HandleStreamData(header + "aaaa" + titleBlock("One") + "bb");
    // The server stalls; the watchdog reconnects.
    clock.set(start + 10200);
    const size_t before = station.connections.size();
    recorder->Timer1_Timer();
    ASSERT_TRUE(WaitUntil([&] { return station.connections.size() > before && recorder->Timer1Enabled(); }));
    // A new response: its header, then the same title again, then a new one.
    recorder->HandleStreamData(header + "cccc" + titleBlock("One") + "dddd" + titleBlock("Two") + "eeee");
    recorder->StopRecording();
    EXPECT_EQ(body(file(QStringLiteral("One.mp3"))), QByteArray("bbccccdddd"));
    EXPECT_EQ(body(file(QStringLiteral("Two.mp3"))), QByteArray("eeee"));
    EXPECT_EQ(body(file(QStringLiteral("X-12052026.mp3"))), QByteArray("aaaa"));
}

TEST_F(SplitTest, TitlesInWindows1252AreDecoded)
{
    startOnStation();
    recorder->HandleStreamData("ICY 200 OK\r\nicy-name:X\r\nicy-metaint:4\r\n\r\naaaa" + titleBlock("Caf\xE9 - Cr\xE8me") + "bbbb");
    EXPECT_EQ(recorder->Status().strSongName, QStringLiteral("Caf\u00e9 - Cr\u00e8me.mp3"));
    recorder->HandleStreamData(QByteArray(1, '\0') + "cccc" + titleBlock("Caf\xC3\xA9 - Cr\xC3\xA8me"));
    EXPECT_EQ(recorder->Status().strSongName, QStringLiteral("Caf\u00e9 - Cr\u00e8me.mp3")); // same title in UTF-8
    recorder->StopRecording();
    EXPECT_EQ(body(file(QStringLiteral("Caf\u00e9 - Cr\u00e8me.mp3"))), QByteArray("bbbbcccc"));
}

TEST_F(SplitTest, FailoverAfterAReconnectContinuesTheSongFile)
{
    startOnStation(2);
    const QByteArray header = "ICY 200 OK\r\nicy-name:X\r\nicy-metaint:4\r\n\r\n";
    recorder->HandleStreamData(header + "aaaa" + titleBlock("One") + "bbbb");
    // The connection is lost and the server then refuses: the next server
    // takes over the same recording.
    recorder->FailOver();
    ASSERT_TRUE(WaitUntil([&] { return station.connections.size() == 2 && recorder->Timer1Enabled(); }));
    recorder->HandleStreamData(header + "cccc" + titleBlock("One") + "dddd" + titleBlock("Two") + "eeee");
    recorder->StopRecording();
    EXPECT_EQ(body(file(QStringLiteral("One.mp3"))), QByteArray("bbbbccccdddd"));
    EXPECT_EQ(body(file(QStringLiteral("Two.mp3"))), QByteArray("eeee"));
    EXPECT_EQ(body(file(QStringLiteral("X-12052026.mp3"))), QByteArray("aaaa"));
    EXPECT_TRUE(file(QStringLiteral("One.mp3")).right(128).startsWith("TAG"));
    EXPECT_EQ(file(QStringLiteral("One.mp3")).count("TAG"), 1);  // the first tag was taken off
}

TEST_F(SplitTest, FailoverInSingleFileModeKeepsWhatWasRecorded)
{
    config.lRecordingMode = RecordingMode::SingleFile;
    config.sStreamFileName = QStringLiteral("single.mp3");
    startOnStation(2);
    recorder->HandleStreamData("ICY 200 OK\r\n\r\naaaa");
    recorder->FailOver();
    ASSERT_TRUE(WaitUntil([&] { return station.connections.size() == 2 && recorder->Timer1Enabled(); }));
    recorder->HandleStreamData("ICY 200 OK\r\n\r\nbbbb");
    recorder->StopRecording();
    EXPECT_EQ(body(file(QStringLiteral("single.mp3"))), QByteArray("aaaabbbb"));
}

TEST_F(SplitTest, ATitleThatPlaysAgainDoesNotLoseItsEarlierRecording)
{
    startOnStation();
    recorder->HandleStreamData("ICY 200 OK\r\nicy-name:X\r\nicy-metaint:4\r\n\r\naaaa" + titleBlock("One") + "bbbb" +
                               titleBlock("Two") + "cccc" + titleBlock("One") + "dddd");
    recorder->StopRecording();
    // The repeat was cut short by the stop and is no longer than the earlier song.
    EXPECT_EQ(body(file(QStringLiteral("One.mp3"))), QByteArray("bbbb"));
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
        {{"www.Live365.com", "/play/123", "80", ""}, false, "", false},  // the host test is case-sensitive
        {{"stream.example", "/play/123", "80", ""}, false, "", false},
        {{"live365.example", "123", "80", ""}, false, "", false},       // no "/" in the path
    };
    for (const auto& c : cases) {
        QString number;
        bool afl = false;
        EXPECT_EQ(Live365StationOf(c.entry, number, afl), c.is) << c.entry.Host.toStdString() << c.entry.Path.toStdString();
        EXPECT_EQ(number, c.number);
        EXPECT_EQ(afl, c.afl);
    }
}

TEST_F(SplitTest, Live365TitlesSwitchTheFiles)
{
    startOnStation();
    recorder->HandleStreamData("ICY 200 OK\r\nicy-name:L\r\n\r\naaaa");
    recorder->ctlLive365_TitleChange(QStringLiteral("Artist"), QStringLiteral("First"));
    recorder->HandleStreamData("bbbb");
    recorder->ctlLive365_TitleChange(QStringLiteral("Artist"), QStringLiteral("Second"));
    recorder->HandleStreamData("cccc");
    recorder->StopRecording();
    EXPECT_EQ(body(file(QStringLiteral("Artist - First.mp3"))), QByteArray("bbbb"));
    EXPECT_EQ(body(file(QStringLiteral("Artist - Second.mp3"))), QByteArray("cccc"));
    EXPECT_EQ(file(QStringLiteral("Artist - First.mp3")).right(128).mid(33, 6), QByteArray("Artist"));
}

// The deliberate pauses after a header and after a new file hold back the
// stream's next data without blocking the thread; the files are the same.
TEST_F(SplitTest, PausesHoldTheStreamWithoutBlockingAndKeepTheFilesIdentical)
{
    const Stream s = makeStream(900, {"A - 1", "B - 2"}, 3, 21);
    const qsizetype firstPart = s.bytes.indexOf("StreamTitle='B") + 40;  // the second title and a little audio

    deps.holdStream = true;
    deps.headerPauseMs = 60000;  // released by hand below: long enough never to end by itself
    deps.filePauseMs = 60000;
    recorder = std::make_unique<frmMP3>(deps);
    startOnStation();
    QTcpSocket* server = station.last();
    server->write(s.bytes.left(firstPart));
    ASSERT_TRUE(WaitUntil([&] { return recorder->StreamHeld(); }));
    EXPECT_EQ(sleeper.calls, 0);  // nothing blocked

    // Timers run while the stream is held.
    int ticks = 0;
    QTimer refresh;
    QObject::connect(&refresh, &QTimer::timeout, [&] { ++ticks; });
    refresh.start(10);
    // What comes now waits in the socket.
    server->write(s.bytes.mid(firstPart));
    ASSERT_TRUE(WaitUntil([&] { return recorder->WS().BytesReceived() > 0 && ticks >= 3; }));
    const qint64 writtenWhileHeld = recorder->AudioBytesWritten();
    EXPECT_TRUE(recorder->StreamHeld());

    // Each release lets the data through up to the next pause.
    for (int i = 0; i < 8 && recorder->AudioBytesWritten() < s.audio[0].size() + s.audio[1].size() + s.audio[2].size();
         ++i) {
        recorder->ReleaseStreamHold();
        WaitUntil([&] { return recorder->StreamHeld() || recorder->WS().BytesReceived() == 0; }, 2000);
    }
    EXPECT_GT(recorder->AudioBytesWritten(), writtenWhileHeld);
    recorder->StopRecording();

    EXPECT_EQ(body(file(QStringLiteral("Test FM-12052026.mp3"))), s.audio[0]);
    EXPECT_EQ(body(file(QStringLiteral("A - 1.mp3"))), s.audio[1]);
    EXPECT_EQ(body(file(QStringLiteral("B - 2.mp3"))), s.audio[2]);
}

TEST_F(SplitTest, AHeldStreamWhoseDataWaitsIsNotAStall)
{
    deps.holdStream = true;
    deps.headerPauseMs = 60000;
    recorder = std::make_unique<frmMP3>(deps);
    startOnStation();
    const qint32 start = clock.GetTickCount();
    station.last()->write("ICY 200 OK\r\nicy-metaint:1000\r\n\r\n" + QByteArray(100, 'a'));
    ASSERT_TRUE(WaitUntil([&] { return recorder->StreamHeld(); }));
    station.last()->write(QByteArray(500, 'b'));
    ASSERT_TRUE(WaitUntil([&] { return recorder->WS().BytesReceived() > 0; }));
    // Twelve seconds on the recorder's clock with the data still held: no
    // time-out, no reconnect.
    runTicks(100, 12000, false, start);
    EXPECT_TRUE(recorder->Status().blnRecording);
    EXPECT_FALSE(captions.contains(QStringLiteral("[ERR] TIMEOUT! Reconnecting...")));
    EXPECT_EQ(station.connections.size(), 1u);
}
