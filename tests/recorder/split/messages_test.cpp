// What the recorder says and leaves behind around files: no file of only a
// tag, no status naming nothing, a vanished folder made again, writing that
// resumes once the disk takes it again, and status text safe for a terminal.
#include "fixture.h"

#include "platform/filenames.h"
#include "recorder/headlessconsole.h"
#include "recorder/recordingfiles.h"

#include <QDir>
#include <QFile>

#include <csignal>
#include <sys/resource.h>

namespace {
QByteArray metaBlock(const QByteArray& title)
{
    QByteArray padded = "StreamTitle='" + title + "';";
    while (padded.size() % 16)
        padded.append('\0');
    return static_cast<char>(padded.size() / 16) + padded;
}
const QByteArray kHeader = "ICY 200 OK\r\nicy-name:X\r\nicy-metaint:4\r\n\r\n";
}  // namespace

class MessagesTest : public RecorderFixture {
protected:
    void SetUp() override
    {
        RecorderFixture::SetUp();
        config.lRecordingMode = RecordingMode::PerSong;
        config.bEnabledTimedRecording = false;
        QObject::connect(recorder.get(), &frmMP3::fileClosed, [this](const QString& p) { closed.append(p); });
    }
    QStringList closed;
};

// A file that no audio reached (the stream ended right after its header)
// is removed rather than left holding only a tag, and is not reported.
TEST_F(MessagesTest, AFileThatGotNoAudioIsRemovedNotTagged)
{
    const struct {
        QByteArray bytes;
        bool kept;
    } cases[] = {{kHeader, false}, {kHeader + "a", true}, {kHeader + "aaaa" + metaBlock("One"), true}};
    const QString stationFile = folder.file(QStringLiteral("X-12052026.mp3"));
    for (const auto& c : cases) {
        closed.clear();
        QFile::remove(stationFile);
        recorder->ClearServers();
        const size_t connections = station.connections.size();
        startOnStation();
        // The request is sent once the connection is made.
        ASSERT_TRUE(WaitUntil([&] { return station.requests.count("\r\n\r\n") > static_cast<qsizetype>(connections); }));
        recorder->HandleStreamData(c.bytes);
        recorder->StopRecording();
        EXPECT_EQ(QFile::exists(stationFile), c.kept)
            << c.bytes.size()
            << QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).join(QLatin1Char(',')).toStdString()
            << recorder->Status().strSongName.toStdString();
        EXPECT_EQ(closed.contains(stationFile), c.kept) << c.bytes.size();
        if (c.kept) {
            EXPECT_EQ(ReadAll(stationFile).right(128).left(3), QByteArray("TAG"));
        }
    }
}

// The status names the file as it is on disk, once it is opened, whatever
// the station's title.
TEST_F(MessagesTest, NoNowRecordingStatusWithAnEmptyName)
{
    const struct {
        const char* title;
    } cases[] = {{""}, {"Morning Show"}};
    for (const auto& c : cases) {
        config.lRecordingMode = RecordingMode::SingleFile;
        config.sStreamFileName = QStringLiteral("one.mp3");
        config.sRecordingTitle = QString::fromLatin1(c.title);
        captions.clear();
        recorder->ClearServers();
        const size_t connections = station.connections.size();
        startOnStation();
        ASSERT_TRUE(WaitUntil([&] { return station.requests.count("\r\n\r\n") > static_cast<qsizetype>(connections); }));
        recorder->HandleStreamData("ICY 200 OK\r\n\r\n");
        recorder->Timer1_Timer();
        EXPECT_EQ(captions.count(QStringLiteral("Now Recording: one.mp3")), 1) << c.title;
        EXPECT_FALSE(captions.contains(QStringLiteral("Now Recording: ")));
        recorder->StopRecording();
    }
}

// A title longer than the folder takes is recorded under its start, cut
// between characters, with its extension; the tag keeps the title, and the
// status names the file as it is on disk.
TEST_F(MessagesTest, LongTitlesAreRecordedUnderAShortenedNameWithTheirTags)
{
    const QString cjk = QString::fromUtf8("\xE6\x97\xA5");
    const QString acute = QString::fromUtf8("\xCC\x81");
    const struct {
        const char* what;
        QString title;
        long limit;  // 0: the folder's own
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
        QDir(folder.path()).removeRecursively();
        QDir().mkpath(folder.path());
        captions.clear();
        recorder->ClearServers();
        const size_t connections = station.connections.size();
        startOnStation();
        ASSERT_TRUE(WaitUntil([&] { return station.requests.count("\r\n\r\n") > static_cast<qsizetype>(connections); }));
        recorder->HandleStreamData(kHeader + "aaaa" + metaBlock(c.title.toUtf8()) + "bbbb");
        EXPECT_EQ(recorder->Status().strSongName, c.title + ".mp3");
        recorder->HandleStreamData(QByteArray(1, '\0') + "cccc" + metaBlock("Next") + "dddd");
        recorder->StopRecording();
        SetFileNameLimitSource({});

        const QByteArray audio = ReadAll(folder.file(c.file));
        EXPECT_EQ(audio.left(8), QByteArray("bbbbcccc"));
        EXPECT_EQ(audio.right(128), BuildID3v1Tag(TagInfoForRecording(c.title + ".mp3", true, QString()), QDate(2026, 12, 5)));
        EXPECT_EQ(captions.count(QStringLiteral("Now Recording: ") + c.file), 1) << captions.join('|').toStdString();
        const QStringList files = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
        EXPECT_EQ(files.filter(QStringLiteral("unknown-")), QStringList()) << files.join(',').toStdString();
    }
}

// The folder is removed while a song records: the next title makes it again
// and says so once; that song's audio is all there.
TEST_F(MessagesTest, AVanishedFolderIsMadeAgainAtTheNextTitle)
{
    config.sMP3Path = folder.path() + QStringLiteral("rec/");
    QDir().mkpath(config.sMP3Path);
    startOnStation();
    recorder->HandleStreamData(kHeader + "aaaa" + metaBlock("One") + "bbbb");
    ASSERT_TRUE(QDir(config.sMP3Path).removeRecursively());
    recorder->HandleStreamData(metaBlock("Two") + "cccc" + QByteArray(1, '\0') + "dddd");
    recorder->StopRecording();
    const QString status = QStringLiteral("[ERR] DISK: The recording folder was gone; creating it again: ") + config.sMP3Path;
    EXPECT_EQ(captions.count(status), 1);
    const QByteArray two = ReadAll(config.sMP3Path + QStringLiteral("Two.mp3"));
    EXPECT_TRUE(two.startsWith("ccccdddd")) << two.constData();
}

// The folder cannot take a file (a plain file stands in its way) at a title
// change; once it can, writing resumes with the next chunk, not the next title.
TEST_F(MessagesTest, WritingResumesWithTheNextChunkOnceTheDiskTakesItAgain)
{
    const qint32 start = 100000;
    clock.set(start);
    config.sMP3Path = folder.path() + QStringLiteral("rec/");
    QDir().mkpath(config.sMP3Path);
    startOnStation();
    recorder->HandleStreamData(kHeader + "aaaa" + metaBlock("One") + "bbbb");
    ASSERT_TRUE(QDir(config.sMP3Path).removeRecursively());
    ASSERT_TRUE(WriteAll(folder.file(QStringLiteral("rec")), "in the way"));
    recorder->HandleStreamData(metaBlock("Two") + "cccc");
    EXPECT_TRUE(recorder->RecordingPath().isEmpty() || !QFile::exists(recorder->RecordingPath()));
    const int diskErrors = static_cast<int>(captions.filter(QStringLiteral("[ERR] DISK:")).size());
    EXPECT_GE(diskErrors, 1);

    ASSERT_TRUE(QFile::remove(folder.file(QStringLiteral("rec"))));
    clock.set(start + 500);  // tried again at most once a second
    recorder->HandleStreamData(QByteArray(1, '\0') + "dddd");
    clock.set(start + 1100);
    recorder->HandleStreamData(QByteArray(1, '\0') + "eeee");
    const QString path = recorder->RecordingPath();
    recorder->StopRecording();
    ASSERT_FALSE(path.isEmpty());
    EXPECT_TRUE(ReadAll(path).startsWith("eeee")) << path.toStdString();
    EXPECT_EQ(captions.filter(QStringLiteral("[ERR] DISK:")).size(), diskErrors);  // not repeated per chunk
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
}  // namespace

// The tag cannot be written at the end of a finished song (the disk takes no
// more): that is a disk error in the status, naming the file, and the
// recording goes on; the next song is tagged once the disk takes it again.
TEST_F(MessagesTest, ATagThatCannotBeWrittenIsADiskError)
{
    startOnStation();
    recorder->HandleStreamData(kHeader + "aaaa" + metaBlock("One") + "bbbb");
    const QString one = recorder->RecordingPath();
    ASSERT_EQ(ReadAll(one), QByteArray("bbbb"));
    {
        FileSizeLimit limit(4);  // One.mp3 holds its 4 bytes of audio; its tag would pass the limit
        ASSERT_TRUE(limit.ok);
        recorder->HandleStreamData(metaBlock("Two"));
    }
    EXPECT_EQ(captions.filter(QStringLiteral("[ERR] DISK:")),
              QStringList{QStringLiteral("[ERR] DISK: Cannot tag the recording ") + one});
    EXPECT_EQ(ReadAll(one), QByteArray("bbbb"));
    recorder->HandleStreamData("cccc");
    const QString two = recorder->RecordingPath();
    recorder->StopRecording();
    EXPECT_EQ(ReadAll(two).right(128).left(3), QByteArray("TAG"));
    EXPECT_EQ(captions.filter(QStringLiteral("[ERR] DISK:")).size(), 1);
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

// Two recorders on one folder with the same titles: the second one writes
// under a numbered name and says so; neither destroys the other's audio.
TEST_F(MessagesTest, ASecondRecorderOnTheSameTitleWritesANumberedFile)
{
    startOnStation();
    recorder->HandleStreamData(kHeader + "aaaa" + metaBlock("Same") + "bbbb");

    frmMP3 other(deps);
    QStringList otherCaptions;
    QObject::connect(&other, &frmMP3::songCaptionChanged, [&](const QString& c) { otherCaptions.append(c); });
    other.AddServer(QStringLiteral("127.0.0.1"), QStringLiteral("/stream"), station.port(), QString());
    other.StartRecording(config);
    ASSERT_TRUE(WaitUntil([&] { return other.Timer1Enabled() && station.connections.size() == 2; }));
    other.HandleStreamData(kHeader + "xxxx" + metaBlock("Same") + "yyyy");
    recorder->HandleStreamData(QByteArray(1, '\0') + "cccc");
    other.HandleStreamData(QByteArray(1, '\0') + "zzzz");
    // A third title name that is free is not numbered.
    other.HandleStreamData(metaBlock("Free") + "wwww");
    recorder->StopRecording();
    other.StopRecording();

    const QByteArray mine = ReadAll(folder.file(QStringLiteral("Same.mp3")));
    const QByteArray theirs = ReadAll(folder.file(QStringLiteral("Same (2).mp3")));
    EXPECT_TRUE(mine.startsWith("bbbbcccc")) << mine.constData();
    EXPECT_TRUE(theirs.startsWith("yyyyzzzz")) << theirs.constData();
    EXPECT_EQ(theirs.right(128).left(3), QByteArray("TAG"));
    EXPECT_TRUE(otherCaptions.contains(QStringLiteral("Another recorder is writing Same.mp3; recording to Same (2).mp3")))
        << otherCaptions.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(ReadAll(folder.file(QStringLiteral("Free.mp3"))).startsWith("wwww"));
    EXPECT_FALSE(QFile::exists(folder.file(QStringLiteral("Free (2).mp3"))));
}

TEST(NumberedPath, NumberGoesBeforeTheExtension)
{
    EXPECT_EQ(NumberedPath(QStringLiteral("/r/A - B.mp3"), 2), QStringLiteral("/r/A - B (2).mp3"));
    EXPECT_EQ(NumberedPath(QStringLiteral("/r.d/noext"), 3), QStringLiteral("/r.d/noext (3)"));
}
