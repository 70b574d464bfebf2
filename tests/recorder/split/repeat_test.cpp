// A title that plays again: the earlier recording of it is never lost.
#include "fixture.h"

#include "recorder/recordingfiles.h"

#include <QDir>

namespace {

QByteArray titleBlock(const QByteArray& title)
{
    QByteArray padded = "StreamTitle='" + title + "';StreamUrl='';";
    while (padded.size() % 16)
        padded.append('\0');
    return char(padded.size() / 16) + padded;
}

const QByteArray kHeader = "ICY 200 OK\r\nicy-name:X\r\nicy-metaint:4\r\n\r\n";

}  // namespace

class RepeatTest : public RecorderFixture {
protected:
    void SetUp() override
    {
        RecorderFixture::SetUp();
        recordSongsContinuously();
    }
    QByteArray body(const QString& name)
    {
        const QByteArray f = ReadAll(folder.file(name));
        return f.size() >= 128 && f.right(128).startsWith("TAG") ? f.left(f.size() - 128) : f;
    }
    // A new recorder on an empty folder: each case of a table starts so.
    void freshRecorder()
    {
        recorder = std::make_unique<frmMP3>(deps);
        captions.clear();
        QObject::connect(recorder.get(), &frmMP3::songCaptionChanged, [this](const QString& s) { captions.append(s); });
        QDir(folder.path()).removeRecursively();
        QDir().mkpath(folder.path());
    }
    QStringList everyFile() const
    {
        return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
};

struct RepeatCase {
    const char* what;
    int repeatIntervals;
    bool nextTitle;
    QByteArray expectedOne;
    QByteArray expectedVersion;  // "One (2).mp3"; empty when there is none
};

void PrintTo(const RepeatCase& c, std::ostream* os)
{
    *os << c.what;
}

class RepeatCases : public RepeatTest, public ::testing::WithParamInterface<RepeatCase> {};

// "One" (3 intervals), "Two", then "One" again for some intervals, then
// either "Three" or a stop in the middle of the repeat. A stop never
// deletes either play: the part of the repeat recorded is a version.
TEST_P(RepeatCases, TheRepeatReplacesTheEarlierFileOnlyWhenItPlayedToTheNextTitle)
{
    const RepeatCase& c = GetParam();
    startOnStation();
    QByteArray bytes = kHeader + "aaaa" + titleBlock("One") + "bbbb" + QByteArray(1, '\0') + "bbbb" +
                       QByteArray(1, '\0') + "bbbb" + titleBlock("Two") + "cccc" + titleBlock("One");
    for (int i = 0; i < c.repeatIntervals; ++i)
        bytes += (i ? QByteArray(1, '\0') : QByteArray()) + "rrrr";
    if (c.nextTitle)
        bytes += titleBlock("Three") + "dddd";
    recorder->HandleStreamData(bytes);
    // While the repeat records, the earlier song is still there.
    if (!c.nextTitle)
        EXPECT_EQ(body(QStringLiteral("One.mp3")), QByteArray("bbbbbbbbbbbb"));
    recorder->StopRecording();
    EXPECT_EQ(body(QStringLiteral("One.mp3")), c.expectedOne);
    EXPECT_TRUE(ReadAll(folder.file(QStringLiteral("One.mp3"))).right(128).startsWith("TAG"));
    EXPECT_EQ(body(QStringLiteral("One (2).mp3")), c.expectedVersion);
    if (!c.expectedVersion.isEmpty()) {
        EXPECT_EQ(ReadAll(folder.file(QStringLiteral("One (2).mp3"))).right(128).mid(3, 30),
                  QByteArray("One").leftJustified(30, '\0'));
    }
    EXPECT_EQ(body(QStringLiteral("Two.mp3")), QByteArray("cccc"));
    const QStringList files = everyFile();
    EXPECT_FALSE(files.join(',').contains(QStringLiteral("repeat"))) << files.join(',').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Repeats, RepeatCases,
    ::testing::Values(RepeatCase{"complete repeat replaces", 2, true, "rrrrrrrr", {}},
                      RepeatCase{"shorter complete repeat still replaces", 1, true, "rrrr", {}},
                      RepeatCase{"stop in a short repeat keeps both", 1, false, "bbbbbbbbbbbb", "rrrr"},
                      RepeatCase{"stop in an equal repeat keeps both", 3, false, "bbbbbbbbbbbb", "rrrrrrrrrrrr"},
                      RepeatCase{"stop in a longer repeat keeps both", 4, false, "bbbbbbbbbbbb", "rrrrrrrrrrrrrrrr"}));

TEST_F(RepeatTest, AFailoverDuringARepeatContinuesTheRepeat)
{
    startOnStation(2);
    recorder->HandleStreamData(kHeader + "aaaa" + titleBlock("One") + "bbbb" + QByteArray(1, '\0') + "bbbb" + titleBlock("Two") + "cccc" +
                               titleBlock("One") + "rrrr");
    recorder->FailOver();
    ASSERT_TRUE(WaitUntil([&] { return station.connections.size() == 2 && recorder->Timer1Enabled(); }));
    // The earlier song is untouched across the failover.
    EXPECT_EQ(body(QStringLiteral("One.mp3")), QByteArray("bbbbbbbb"));
    recorder->HandleStreamData(kHeader + "ssss" + titleBlock("One") + "tttt" + titleBlock("Three") + "dddd");
    recorder->StopRecording();
    EXPECT_EQ(body(QStringLiteral("One.mp3")), QByteArray("rrrrsssstttt"));
    EXPECT_EQ(ReadAll(folder.file(QStringLiteral("One.mp3"))).count("TAG"), 1);
    EXPECT_EQ(body(QStringLiteral("Three.mp3")), QByteArray("dddd"));
    EXPECT_FALSE(everyFile().join(',').contains(QStringLiteral("repeat")));
}

TEST_F(RepeatTest, AFailoverWithNoServerLeftKeepsBothRecordings)
{
    startOnStation(1);
    recorder->HandleStreamData(kHeader + "aaaa" + titleBlock("One") + "bbbb" + QByteArray(1, '\0') + "bbbb" + titleBlock("Two") + "cccc" +
                               titleBlock("One") + "rrrr");
    recorder->FailOver(); // no second server: the recording stops
    ASSERT_TRUE(WaitUntil([&] { return !recorder->Status().blnRecording; }));
    EXPECT_EQ(body(QStringLiteral("One.mp3")), QByteArray("bbbbbbbb"));
    EXPECT_EQ(body(QStringLiteral("One (2).mp3")), QByteArray("rrrr"));
    EXPECT_FALSE(everyFile().join(',').contains(QStringLiteral("repeat")));
}

TEST(SettleRepeat, TheRepeatTakesTheEarlierPlace)
{
    const struct {
        const char* what;
        QByteArray earlier;
    } cases[] = {
        {"a larger earlier file", "EEEE"},
        {"a smaller earlier file", "E"},
        {"no earlier file left", QByteArray()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder dir;
        const QString earlier = dir.file(QStringLiteral("Song.mp3"));
        const QString repeat = RepeatPathFor(earlier);
        EXPECT_EQ(repeat, dir.file(QStringLiteral(".Song.mp3.repeat")));
        if (!c.earlier.isNull())
            WriteAll(earlier, c.earlier);
        WriteAll(repeat, "RR");
        EXPECT_EQ(SettleRepeat(repeat, earlier), earlier);
        EXPECT_EQ(ReadAll(earlier), QByteArray("RR"));
        EXPECT_FALSE(QFileInfo::exists(repeat));
    }
    // No repeat was written: the earlier file stays as it is.
    TempFolder dir;
    const QString earlier = dir.file(QStringLiteral("Song.mp3"));
    WriteAll(earlier, "EE");
    EXPECT_EQ(SettleRepeat(RepeatPathFor(earlier), earlier), earlier);
    EXPECT_EQ(ReadAll(earlier), QByteArray("EE"));
}

TEST(RecordingFileRepeat, KeepEarlierOpensBesideAnExistingFileOnly)
{
    TempFolder dir;
    const QString path = dir.file(QStringLiteral("Song.mp3"));
    RecordingFile file;
    file.KeepEarlierFile(true);
    ASSERT_TRUE(file.Create(path));  // nothing there yet: the file itself
    EXPECT_EQ(file.Path(), path);
    EXPECT_TRUE(file.Replaces().isEmpty());
    ASSERT_TRUE(file.Write("first"));
    file.Close();

    ASSERT_TRUE(file.Create(path));
    EXPECT_EQ(file.Path(), RepeatPathFor(path));
    EXPECT_EQ(file.Replaces(), path);
    ASSERT_TRUE(file.Write("again"));
    file.Close();
    EXPECT_EQ(ReadAll(path), QByteArray("first"));
    EXPECT_EQ(ReadAll(RepeatPathFor(path)), QByteArray("again"));

    file.KeepEarlierFile(false);
    ASSERT_TRUE(file.Create(path));  // the old behaviour: start the file again
    EXPECT_EQ(file.Path(), path);
    EXPECT_TRUE(file.Replaces().isEmpty());
    file.Close();
    EXPECT_EQ(ReadAll(path), QByteArray());
}

// A title plays again to its end: the same recording (lengths within 2 s)
// replaces the earlier file, a different one is kept as a numbered version
// tagged with the plain title, as the user's repeat policy says.
TEST_F(RepeatTest, ACompleteRepeatReplacesOnlyTheSameRecordingAsThePolicySays)
{
    using R = RecordingOptions::Repeat;
    // 8 kbit/s: 1000 bytes a second; a metadata block every 500 bytes.
    const auto stream = [](const QList<std::pair<QByteArray, QByteArray>>& songs) {
        QByteArray s = "ICY 200 OK\r\nicy-name:X\r\nicy-br:8\r\nicy-metaint:500\r\n\r\n" + QByteArray(500, 'a');
        for (const auto& [title, audio] : songs) {
            s += titleBlock(title);
            for (qsizetype i = 0; i < audio.size(); i += 500)
                s += (i ? QByteArray(1, '\0') : QByteArray()) + audio.mid(i, 500);
        }
        return s;
    };
    const QByteArray one(3000, 'e');
    const struct {
        const char* what;
        R policy;
        QByteArray again;  // the later play of "One"
        QByteArray oneFile, versionFile;
        const char* status;
    } cases[] = {
        {"same length replaces", R::Replace, QByteArray(4500, 'r'), QByteArray(4500, 'r'), {},
         "Replaced One.mp3 with a later complete play"},
        {"another length is another recording", R::Replace, QByteArray(5500, 'r'), one, QByteArray(5500, 'r'),
         "Kept One (2).mp3 as another recording"},
        {"shorter by more than 2 s", R::Replace, QByteArray(500, 'r'), one, QByteArray(500, 'r'),
         "Kept One (2).mp3 as another recording"},
        {"keep keeps the same length too", R::Keep, QByteArray(3000, 'r'), one, QByteArray(3000, 'r'),
         "Kept One (2).mp3 as another recording"},
        {"skip records a saved title not again", R::Skip, QByteArray(3000, 'r'), one, {},
         "Not recording One.mp3: it is saved already"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        freshRecorder();
        options.repeatPolicy = c.policy;
        startOnStation();
        recorder->HandleStreamData(stream({{"One", one}, {"Two", QByteArray(500, 'c')}, {"One", c.again},
                                           {"Three", QByteArray(500, 'd')}}));
        recorder->StopRecording();
        EXPECT_EQ(body(QStringLiteral("One.mp3")), c.oneFile);
        EXPECT_EQ(body(QStringLiteral("One (2).mp3")), c.versionFile);
        if (!c.versionFile.isEmpty())
            EXPECT_EQ(ReadAll(folder.file(QStringLiteral("One (2).mp3"))).right(128),
                      BuildID3v1Tag({"", "One", ""}, QDate(2026, 12, 5)));
        EXPECT_EQ(body(QStringLiteral("Three.mp3")), QByteArray(500, 'd'));
        EXPECT_TRUE(captions.contains(QString::fromLatin1(c.status))) << captions.join('|').toStdString();
        EXPECT_FALSE(captions.join('|').contains(QStringLiteral("repeat"))) << "a hidden name in the status";
        EXPECT_FALSE(everyFile().join(',').contains(QStringLiteral("repeat")));
    }
}

// Every complete play of a title kept: the third is "(3)".
TEST_F(RepeatTest, KeepNumbersEachFurtherPlay)
{
    options.repeatPolicy = RecordingOptions::Repeat::Keep;
    startOnStation();
    recorder->HandleStreamData(kHeader + "aaaa" + titleBlock("One") + "1111" + titleBlock("Two") + "cccc" +
                               titleBlock("One") + "2222" + titleBlock("Two") + "dddd" + titleBlock("One") + "3333" +
                               titleBlock("Three") + "eeee");
    recorder->StopRecording();
    EXPECT_EQ(body(QStringLiteral("One.mp3")), QByteArray("1111"));
    EXPECT_EQ(body(QStringLiteral("One (2).mp3")), QByteArray("2222"));
    EXPECT_EQ(body(QStringLiteral("One (3).mp3")), QByteArray("3333"));
}

// The title the recording resumes with after a pause may have been recorded
// before: the earlier file stays and the resumed play is a repeat of it.
TEST_F(RepeatTest, AResumeOnATitleRecordedBeforeKeepsTheEarlierFile)
{
    using R = RecordingOptions::Repeat;
    const struct {
        const char* what;
        R policy;
        bool nextTitle; // "Three" follows; otherwise the recording stops
        QByteArray oneFile, versionFile;
    } cases[] = {
        {"stopped in the resumed play", R::Replace, false, "bbbb", "rrrr"},
        {"keep: the resumed play is a version", R::Keep, true, "bbbb", "rrrr"},
        {"replace: the same length replaces", R::Replace, true, "rrrr", {}},
        {"skip: a saved title is not recorded", R::Skip, true, "bbbb", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        freshRecorder();
        options.repeatPolicy = c.policy;
        startOnStation();
        recorder->HandleStreamData(kHeader + "aaaa" + titleBlock("One") + "bbbb" + titleBlock("Two") + "cccc");
        recorder->TogglePause();
        recorder->HandleStreamData(titleBlock("One") + "xxxx");
        recorder->TogglePause();
        EXPECT_EQ(body(QStringLiteral("One.mp3")), QByteArray("bbbb"));
        recorder->HandleStreamData(QByteArray(1, '\0') + "rrrr" + (c.nextTitle ? titleBlock("Three") + "dddd" : ""));
        recorder->StopRecording();
        EXPECT_EQ(body(QStringLiteral("One.mp3")), c.oneFile);
        EXPECT_EQ(body(QStringLiteral("One (2).mp3")), c.versionFile);
        EXPECT_EQ(body(QStringLiteral("Two.mp3")), QByteArray("cccc"));
        EXPECT_FALSE(everyFile().join(',').contains(QStringLiteral("repeat")));
    }
}

// A recording that starts paused opens its first file on resume: a file of
// that name from an earlier recording stays.
TEST_F(RepeatTest, AResumedStartKeepsAFileOfTheSameName)
{
    WriteAll(folder.file(QStringLiteral("X-12052026.mp3")), "earlier");
    config.bPreviewModeOnly = true;
    startOnStation();
    recorder->HandleStreamData(kHeader + "aaaa");
    ASSERT_TRUE(recorder->Status().blnPaused);
    recorder->TogglePause();
    recorder->HandleStreamData(QByteArray(1, '\0') + "bbbb");
    recorder->StopRecording();
    EXPECT_EQ(body(QStringLiteral("X-12052026.mp3")), QByteArray("earlier"));
    EXPECT_EQ(body(QStringLiteral("X-12052026 (2).mp3")), QByteArray("bbbb"));
}

// A recording that starts again under a name recorded before (the station's
// file of the day, a single file, the day's archive) never starts that file
// over: the new recording is kept beside it as a numbered version.
TEST_F(RepeatTest, ANameRecordedBeforeIsKeptWhenARecordingStartsAgain)
{
    const struct {
        const char* what;
        qint32 mode;
        QByteArray header;
        const char* file;
        const char* version;
    } cases[] = {
        {"the station's file of the day", 2, "ICY 200 OK\r\nicy-name:X\r\nicy-metaint:4\r\n\r\n", "X-12052026.mp3",
         "X-12052026 (2).mp3"},
        {"a single file", 1, "ICY 200 OK\r\n\r\n", "single.mp3", "single (2).mp3"},
        {"the day's archive", 3, "ICY 200 OK\r\n\r\n", "arch-12052026.mp3", "arch-12052026 (2).mp3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        freshRecorder();
        config.lRecordingMode = RecordingMode(c.mode);
        config.sStreamFileName = c.mode == 1 ? QStringLiteral("single.mp3") : QStringLiteral("arch");
        for (const QByteArray& audio : {QByteArray("1111"), QByteArray("2222")}) {
            recorder->ClearServers();
            const size_t connections = station.connections.size();
            startOnStation();
            ASSERT_TRUE(WaitUntil([&] { return station.connections.size() > connections; }));
            recorder->HandleStreamData(c.header + audio);
            recorder->StopRecording();
        }
        EXPECT_EQ(body(QString::fromLatin1(c.file)), QByteArray("1111"));
        EXPECT_EQ(body(QString::fromLatin1(c.version)), QByteArray("2222"));
        EXPECT_EQ(everyFile().size(), 2) << everyFile().join(',').toStdString();
    }
}
