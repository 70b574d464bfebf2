// What the recorder says and leaves behind around files: no file of only a
// tag, no status naming nothing, a vanished folder made again, writing that
// resumes once the disk takes it again, and status text safe for a terminal.
// What the song writer does is driven through the ICY session rig; what the
// recorder says of it, through the recorder's own socket.
#include "fixture.h"
#include "platform/filenames.h"
#include "recorder/headlessconsole.h"
#include "recorder/recordercaptions.h"
#include "recorder/recordingfiles.h"
#include "tests/support/songrig.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <sys/resource.h>

using songrig::titleBlock;

namespace {
const QByteArray kHeader = "ICY 200 OK\r\nicy-name:X\r\nicy-metaint:4\r\n\r\n";
const QByteArray kEmpty(1, '\0');

// The events that tell of a disk that does not take the recording.
int diskErrors(const IcyRig& rig)
{
    int n = 0;
    for (const SongEvent& e : rig.said)
        n += e.kind == SongEvent::Kind::FolderGone || e.kind == SongEvent::Kind::CreateFailed ||
             e.kind == SongEvent::Kind::WriteFailed || e.kind == SongEvent::Kind::NoFile ||
             e.kind == SongEvent::Kind::TagFailed;
    return n;
}
} // namespace

// A file that no audio reached (the stream ended right after its header)
// is removed rather than left holding only a tag, and is not reported.
TEST(SongFiles, AFileThatGotNoAudioIsRemovedNotTagged)
{
    const struct {
        QByteArray bytes;
        bool kept;
    } cases[] = {{kHeader, false}, {kHeader + "a", true}, {kHeader + "aaaa" + titleBlock("One"), true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.size());
        IcyRig rig;
        ASSERT_TRUE(rig.Start());
        rig.Begin();
        rig.Feed(c.bytes);
        rig.Stop();
        const QString stationFile = rig.folder.file(QStringLiteral("X-12052026.mp3"));
        EXPECT_EQ(QFile::exists(stationFile), c.kept) << rig.Files().join(',').toStdString();
        EXPECT_EQ(rig.events.contains(QStringLiteral("closed X-12052026.mp3")), c.kept) << rig.Events().toStdString();
        if (c.kept)
            EXPECT_EQ(ReadAll(stationFile).right(128).left(3), QByteArray("TAG"));
    }
}

// A title longer than the folder takes is recorded under its start, cut
// between characters, with its extension; the tag keeps the title, and the
// file is said opened under its name on disk.
TEST(SongFiles, LongTitlesAreRecordedUnderAShortenedNameWithTheirTags)
{
    const QString cjk = QString::fromUtf8("\xE6\x97\xA5");
    const QString acute = QString::fromUtf8("\xCC\x81");
    const struct {
        const char* what;
        QString title;
        long limit; // 0: the folder's own
        QString file;
    } cases[] = {
        {"300 Latin characters", QString(300, 'L'), 0, QString(235, 'L') + ".mp3"},
        {"100 CJK characters", cjk.repeated(100), 0, cjk.repeated(78) + ".mp3"},
        {"ends in combining marks", QString(232, 'a') + "e" + acute + acute, 0, QString(232, 'a') + ".mp3"},
        {"forbidden characters", "AC/DC - Next?", 0, "ACDC - Next.mp3"},
        {"a smaller limit", "Artist - A Rather Long Song Title", 40, "Artist - A Rather Lo.mp3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.limit)
            SetFileNameLimitSource([&](const QString&) { return c.limit; });
        IcyRig rig;
        ASSERT_TRUE(rig.Start());
        rig.Begin();
        rig.Feed(kHeader + "aaaa" + titleBlock(c.title.toUtf8()) + "bbbb");
        EXPECT_EQ(rig.Writer().SongName(), c.title + ".mp3");
        rig.Feed(kEmpty + "cccc" + titleBlock("Next") + "dddd");
        rig.Stop();
        SetFileNameLimitSource({});

        const QByteArray audio = rig.Bytes(c.file);
        EXPECT_EQ(audio.left(8), QByteArray("bbbbcccc"));
        EXPECT_EQ(audio.right(128),
                  BuildID3v1Tag(TagInfoForRecording(c.title + ".mp3", true, QString()), QDate(2026, 12, 5)));
        EXPECT_EQ(rig.events.count(QStringLiteral("opened ") + c.file), 1) << rig.Events().toStdString();
        EXPECT_EQ(rig.Files().filter(QStringLiteral("unknown-")), QStringList()) << rig.Files().join(',').toStdString();
    }
}

// The folder cannot take a file (a plain file stands in its way) at a title
// change; once it can, writing resumes with the next chunk, not the next title.
TEST(SongFiles, WritingResumesWithTheNextChunkOnceTheDiskTakesItAgain)
{
    IcyRig rig;
    rig.recordingFolder = rig.folder.file(QStringLiteral("rec/"));
    QDir().mkpath(rig.recordingFolder);
    const qint32 start = rig.clock.GetTickCount();
    ASSERT_TRUE(rig.Start());
    rig.Begin();
    rig.Feed(kHeader + "aaaa" + titleBlock("One") + "bbbb");
    ASSERT_TRUE(QDir(rig.recordingFolder).removeRecursively());
    ASSERT_TRUE(WriteAll(rig.folder.file(QStringLiteral("rec")), "in the way"));
    rig.Feed(titleBlock("Two") + "cccc");
    EXPECT_TRUE(!rig.Writer().FileOpen() || !QFile::exists(rig.Writer().FilePath()));
    const int errors = diskErrors(rig);
    EXPECT_GE(errors, 1) << rig.Events().toStdString();

    ASSERT_TRUE(QFile::remove(rig.folder.file(QStringLiteral("rec"))));
    rig.clock.set(start + 500); // tried again at most once a second
    rig.Feed(kEmpty + "dddd");
    rig.clock.set(start + 1100);
    rig.Feed(kEmpty + "eeee");
    const QString path = rig.Writer().FilePath();
    rig.Stop();
    ASSERT_FALSE(path.isEmpty());
    EXPECT_TRUE(ReadAll(path).startsWith("eeee")) << path.toStdString();
    EXPECT_EQ(diskErrors(rig), errors) << rig.Events().toStdString(); // not repeated per chunk
}

// The recorder with its stream on its real socket: what it says.
class MessagesTest : public RecorderFixture {
protected:
    void SetUp() override
    {
        RecorderFixture::SetUp();
        config.lRecordingMode = RecordingMode::PerSong;
        config.bEnabledTimedRecording = false;
    }
    // A new recorder (the last one's statuses forgotten) started on a new connection.
    void startFresh()
    {
        recorder = std::make_unique<frmMP3>(deps);
        captions.clear();
        QObject::connect(recorder.get(), &frmMP3::songCaptionChanged, [this](const QString& c) { captions.append(c); });
        const size_t connections = station.connections.size();
        startOnStation();
        ASSERT_TRUE(WaitUntil([&] { return station.connections.size() > connections; }));
    }
    // The station sends `bytes`; true once the recorder has written `audio` bytes in all.
    bool send(const QByteArray& bytes, qint64 audio)
    {
        station.last()->write(bytes);
        return WaitUntil([&] { return recorder->AudioBytesWritten() == audio; });
    }
    bool said(const QString& caption)
    {
        return WaitUntil([&] { return captions.contains(caption); });
    }
};

// The status names the file as it is on disk, once it is opened, whatever
// the station's title.
TEST_F(MessagesTest, NoNowRecordingStatusWithAnEmptyName)
{
    for (const char* title : {"", "Morning Show"}) {
        SCOPED_TRACE(title);
        config.lRecordingMode = RecordingMode::SingleFile;
        config.sStreamFileName = QStringLiteral("one.mp3");
        config.sRecordingTitle = QString::fromLatin1(title);
        startFresh();
        station.last()->write("ICY 200 OK\r\n\r\n");
        ASSERT_TRUE(WaitUntil([&] { return recorder->Status().connection == ConnectionState::Streaming; }));
        recorder->Timer1_Timer();
        EXPECT_EQ(captions.count(QStringLiteral("Now Recording: one.mp3")), 1) << captions.join('|').toStdString();
        EXPECT_FALSE(captions.contains(QStringLiteral("Now Recording: ")));
        recorder->StopRecording();
    }
}

// The folder is removed while a song records: the next title makes it again
// and says so once; that song's audio is all there.
TEST_F(MessagesTest, AVanishedFolderIsMadeAgainAtTheNextTitle)
{
    config.sMP3Path = folder.path() + QStringLiteral("rec/");
    QDir().mkpath(config.sMP3Path);
    startOnStation();
    ASSERT_TRUE(send(kHeader + "aaaa" + titleBlock("One") + "bbbb", 8));
    ASSERT_TRUE(QDir(config.sMP3Path).removeRecursively());
    ASSERT_TRUE(send(titleBlock("Two") + "cccc" + kEmpty + "dddd", 16));
    recorder->StopRecording();
    const QString status =
        QStringLiteral("[ERR] DISK: The recording folder was gone; creating it again: ") + config.sMP3Path;
    EXPECT_EQ(captions.count(status), 1) << captions.join('|').toStdString();
    const QByteArray two = ReadAll(config.sMP3Path + QStringLiteral("Two.mp3"));
    EXPECT_TRUE(two.startsWith("ccccdddd")) << two.constData();
}

namespace {
// Writes past `bytes` fail with EFBIG (root included, whom file permissions
// do not bind) until the limit leaves scope.
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes) : oldHandler(std::signal(SIGXFSZ, SIG_IGN))
    {
        rlimit lower{};
        ok = ::getrlimit(RLIMIT_FSIZE, &saved) == 0;
        lower = {bytes, saved.rlim_max};
        ok = ok && ::setrlimit(RLIMIT_FSIZE, &lower) == 0;
    }
    ~FileSizeLimit()
    {
        if (ok)
            ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
    }
    void (*oldHandler)(int);
    rlimit saved{};
    bool ok = false;
};
} // namespace

// The tag cannot be written at the end of a finished song (the disk takes no
// more): that is a disk error in the status, naming the file, and the
// recording goes on; the next song is tagged once the disk takes it again.
TEST_F(MessagesTest, ATagThatCannotBeWrittenIsADiskError)
{
    startOnStation();
    ASSERT_TRUE(send(kHeader + "aaaa" + titleBlock("One") + "bbbb", 8));
    const QString one = recorder->Status().file;
    ASSERT_EQ(ReadAll(one), QByteArray("bbbb"));
    const QString error = QStringLiteral("[ERR] DISK: Cannot tag the recording ") + one;
    {
        FileSizeLimit limit(4); // One.mp3 holds its 4 bytes of audio; its tag would pass the limit
        ASSERT_TRUE(limit.ok);
        station.last()->write(titleBlock("Two"));
        EXPECT_TRUE(said(error)) << captions.join('|').toStdString();
    }
    EXPECT_EQ(captions.filter(QStringLiteral("[ERR] DISK:")), QStringList{error});
    EXPECT_EQ(ReadAll(one), QByteArray("bbbb"));
    ASSERT_TRUE(send("cccc", 12));
    const QString two = recorder->Status().file;
    recorder->StopRecording();
    EXPECT_EQ(ReadAll(two).right(128).left(3), QByteArray("TAG"));
    EXPECT_EQ(captions.filter(QStringLiteral("[ERR] DISK:")).size(), 1);
}

// Two recorders on one folder with the same titles: the second one writes
// under a numbered name and says so; neither destroys the other's audio.
TEST_F(MessagesTest, ASecondRecorderOnTheSameTitleWritesANumberedFile)
{
    startOnStation();
    ASSERT_TRUE(send(kHeader + "aaaa" + titleBlock("Same") + "bbbb", 8));

    frmMP3 other(deps);
    QStringList otherCaptions;
    QObject::connect(&other, &frmMP3::songCaptionChanged, [&](const QString& c) { otherCaptions.append(c); });
    other.AddServer(QStringLiteral("127.0.0.1"), QStringLiteral("/stream"), station.port(), QString());
    other.StartRecording(config);
    ASSERT_TRUE(WaitUntil([&] { return other.Timer1Enabled() && station.connections.size() == 2; }));
    QTcpSocket* toOther = station.connections[1];
    const auto sendOther = [&](const QByteArray& bytes, qint64 audio) {
        toOther->write(bytes);
        return WaitUntil([&] { return other.AudioBytesWritten() == audio; });
    };
    ASSERT_TRUE(sendOther(kHeader + "xxxx" + titleBlock("Same") + "yyyy", 8));
    station.connections[0]->write(kEmpty + "cccc");
    ASSERT_TRUE(WaitUntil([&] { return recorder->AudioBytesWritten() == 12; }));
    ASSERT_TRUE(sendOther(kEmpty + "zzzz", 12));
    // A third title name that is free is not numbered.
    ASSERT_TRUE(sendOther(titleBlock("Free") + "wwww", 16));
    recorder->StopRecording();
    other.StopRecording();

    const QByteArray mine = ReadAll(folder.file(QStringLiteral("Same.mp3")));
    const QByteArray theirs = ReadAll(folder.file(QStringLiteral("Same (2).mp3")));
    EXPECT_TRUE(mine.startsWith("bbbbcccc")) << mine.constData();
    EXPECT_TRUE(theirs.startsWith("yyyyzzzz")) << theirs.constData();
    EXPECT_EQ(theirs.right(128).left(3), QByteArray("TAG"));
    EXPECT_TRUE(
        otherCaptions.contains(QStringLiteral("Another recorder is writing Same.mp3; recording to Same (2).mp3")))
        << otherCaptions.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(ReadAll(folder.file(QStringLiteral("Free.mp3"))).startsWith("wwww"));
    EXPECT_FALSE(QFile::exists(folder.file(QStringLiteral("Free (2).mp3"))));
}

// What the song writer did, as the recorder says it: the status, and
// whether it is an error the status keeps; nothing for what names itself.
TEST(RecorderCaptions, EachSongEventHasItsStatus)
{
    using K = SongEvent::Kind;
    const auto event = [](K kind, std::function<void(SongEvent&)> fill = {}) {
        SongEvent e(kind);
        if (fill)
            fill(e);
        return e;
    };
    const auto named = [&](K kind, const QString& name) { return event(kind, [&](SongEvent& e) { e.name = name; }); };
    const auto gap = [&](qint64 dropped, qint64 missedMs) {
        return event(K::Gap, [&](SongEvent& e) {
            e.count = dropped;
            e.missedMs = missedMs;
        });
    };
    const auto ogg = [&](qint64 leftOut, qint64 missed) {
        return event(K::OggJoined, [&](SongEvent& e) {
            e.count = leftOut;
            e.missed = missed;
        });
    };
    const struct {
        SongEvent event;
        const char* status; // nullptr: nothing is said
        bool error;
    } rows[] = {
        {event(K::Say, [](SongEvent& e) { e.text = QStringLiteral("Skipped: Two"); }), "Skipped: Two", false},
        {named(K::OggOpened, QStringLiteral("A - One.ogg")), "Now Recording: A - One.ogg", false},
        {named(K::Replaced, QStringLiteral("One.mp3")), "Replaced One.mp3 with a later complete play", false},
        {named(K::KeptVersion, QStringLiteral("One (2).mp3")), "Kept One (2).mp3 as another recording", false},
        {named(K::SavedAlready, QStringLiteral("One.mp3")), "Not recording One.mp3: it is saved already", false},
        {event(K::TooShort,
               [](SongEvent& e) {
                   e.name = QStringLiteral("One.mp3");
                   e.count = 1;
               }),
         "Deleted One.mp3: shorter than 1 seconds", false},
        {event(K::TakenBy,
               [](SongEvent& e) {
                   e.name = QStringLiteral("Same (2).mp3");
                   e.other = QStringLiteral("Same.mp3");
               }),
         "Another recorder is writing Same.mp3; recording to Same (2).mp3", false},
        {event(K::NoFreeName,
               [](SongEvent& e) {
                   e.name = QStringLiteral("One.mp3");
                   e.other = QStringLiteral(".One.mp3.repeat");
               }),
         "[ERR] DISK: No free name beside One.mp3; the later play stays as .One.mp3.repeat", true},
        {event(K::TagFailed, [](SongEvent& e) { e.path = QStringLiteral("/r/One.mp3"); }),
         "[ERR] DISK: Cannot tag the recording /r/One.mp3", true},
        {event(K::FolderGone, [](SongEvent& e) { e.path = QStringLiteral("/r/"); }),
         "[ERR] DISK: The recording folder was gone; creating it again: /r/", true},
        {event(K::CreateFailed, [](SongEvent& e) { e.path = QStringLiteral("/r/"); }),
         "[ERR] DISK: Cannot create a recording file in /r/", true},
        {event(K::WriteFailed, [](SongEvent& e) { e.text = QStringLiteral("No space left on device"); }),
         "[ERR] DISK: Cannot write the recording (No space left on device)", true},
        {event(K::NoFile), "[ERR] DISK: Cannot write the recording (no recording file is open)", true},
        {event(K::RulesLate), "[ERR] Song rules: not read yet; the songs so far are recorded without them", true},
        {event(K::Joined, [](SongEvent& e) { e.seconds = 4.04; }),
         "Reconnected: joined where the recording left off (4.0 s already recorded left out)", false},
        // What was missed, rounded to seconds from half a second on.
        {gap(0, 20000), "Reconnected: about 20 s of the broadcast were missed", false},
        {gap(0, 1499), "Reconnected: about 1 s of the broadcast were missed", false},
        {gap(0, 500), "Reconnected: about 1 s of the broadcast were missed", false},
        {gap(0, 499), "Reconnected: less than a second of the broadcast was missed", false},
        {gap(350, 3000),
         "Reconnected: joined on a frame boundary (350 bytes dropped); about 3 s of the broadcast were missed", false},
        {ogg(3, 0), "Reconnected: joined where the recording left off (3 page(s) already recorded left out)", false},
        {ogg(0, 2), "Reconnected: the song goes on; 2 page(s) of it were missed", false},
        {named(K::Opened, QStringLiteral("One.mp3")), nullptr, false},
        {named(K::Continued, QStringLiteral("One.mp3")), nullptr, false},
        {event(K::Closed), nullptr, false},
        {event(K::StartPaused), nullptr, false},
        {event(K::NewFile), nullptr, false},
        {named(K::TitleBegan, QStringLiteral("One.mp3")), nullptr, false},
        {named(K::Claimed, QStringLiteral("One.mp3")), nullptr, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(songrig::describe(row.event).toStdString());
        const std::optional<Caption> caption = RecorderCaptions::ForSongEvent(row.event);
        ASSERT_EQ(caption.has_value(), row.status != nullptr);
        if (!caption)
            continue;
        EXPECT_EQ(caption->text, QString::fromUtf8(row.status));
        EXPECT_EQ(caption->error, row.error);
    }
}

TEST(EscapeForTerminal, ControlAndDirectionCharactersAreEscaped)
{
    const struct {
        QString in;
        QString out;
    } cases[] = {
        {QStringLiteral("Plain - Caf\u00e9"), QStringLiteral("Plain - Caf\u00e9")},
        {QStringLiteral("a\x1b[31mb"), QStringLiteral("a\\x1b[31mb")},
        {QStringLiteral("line\rover\n"), QStringLiteral("line\\x0dover\\x0a")},
        {QStringLiteral("x\u202Eevil"), QStringLiteral("x\\u202eevil")},
        {QStringLiteral("\u2066iso\u2069"), QStringLiteral("\\u2066iso\\u2069")},
        {QStringLiteral("c1\u009b"), QStringLiteral("c1\\x9b")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EscapeForTerminal(c.in), c.out) << c.in.toStdString();
}

TEST(NumberedPath, NumberGoesBeforeTheExtension)
{
    EXPECT_EQ(NumberedPath(QStringLiteral("/r/A - B.mp3"), 2), QStringLiteral("/r/A - B (2).mp3"));
    EXPECT_EQ(NumberedPath(QStringLiteral("/r.d/noext"), 3), QStringLiteral("/r.d/noext (3)"));
}
