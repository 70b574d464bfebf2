// A title that plays again: the earlier recording of it is never lost.
#include "recorder/recordingfiles.h"
#include "tests/support/songrig.h"

#include <gtest/gtest.h>

namespace {

// The title blocks here name the stream's address too, as many servers do.
QByteArray titleBlock(const QByteArray& title)
{
    return songrig::titleBlock(title + "';StreamUrl='");
}

const QByteArray kHeader = "ICY 200 OK\r\nicy-name:X\r\nicy-metaint:4\r\n\r\n";
const QByteArray kEmpty(1, '\0');

// An ICY rig recording per song, started with `policy`.
struct RepeatRig : IcyRig {
    explicit RepeatRig(RecordingOptions::Repeat policy = RecordingOptions::Repeat::Replace)
    {
        options.repeatPolicy = policy;
        EXPECT_TRUE(Start());
        Begin();
    }
    // No file and no event gives away the hidden name a repeat is recorded under.
    void expectNoHiddenName() const
    {
        EXPECT_FALSE(Files().join(',').contains(QStringLiteral("repeat"))) << Files().join(',').toStdString();
        EXPECT_FALSE(Events().contains(QStringLiteral("repeat"))) << Events().toStdString();
    }
};

} // namespace

// "One" (3 intervals), "Two", then "One" again for some intervals, then
// either "Three" or a stop in the middle of the repeat. A stop never
// deletes either play: the part of the repeat recorded is a version.
TEST(Repeat, TheRepeatReplacesTheEarlierFileOnlyWhenItPlayedToTheNextTitle)
{
    const struct {
        const char* what;
        int repeatIntervals;
        bool nextTitle;
        QByteArray one, version; // "One.mp3", "One (2).mp3"
    } cases[] = {
        {"complete repeat replaces", 2, true, "rrrrrrrr", {}},
        {"shorter complete repeat still replaces", 1, true, "rrrr", {}},
        {"stop in a short repeat keeps both", 1, false, "bbbbbbbbbbbb", "rrrr"},
        {"stop in an equal repeat keeps both", 3, false, "bbbbbbbbbbbb", "rrrrrrrrrrrr"},
        {"stop in a longer repeat keeps both", 4, false, "bbbbbbbbbbbb", "rrrrrrrrrrrrrrrr"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RepeatRig rig;
        QByteArray bytes = kHeader + "aaaa" + titleBlock("One") + "bbbb" + kEmpty + "bbbb" + kEmpty + "bbbb" +
                           titleBlock("Two") + "cccc" + titleBlock("One");
        for (int i = 0; i < c.repeatIntervals; ++i)
            bytes += (i ? kEmpty : QByteArray()) + "rrrr";
        if (c.nextTitle)
            bytes += titleBlock("Three") + "dddd";
        rig.Feed(bytes);
        // While the repeat records, the earlier song is still there.
        if (!c.nextTitle)
            EXPECT_EQ(rig.Audio(QStringLiteral("One.mp3")), QByteArray("bbbbbbbbbbbb"));
        rig.Stop();
        EXPECT_EQ(rig.Audio(QStringLiteral("One.mp3")), c.one);
        EXPECT_TRUE(rig.Bytes(QStringLiteral("One.mp3")).right(128).startsWith("TAG"));
        EXPECT_EQ(rig.Audio(QStringLiteral("One (2).mp3")), c.version);
        if (!c.version.isEmpty())
            EXPECT_EQ(rig.Bytes(QStringLiteral("One (2).mp3")).right(128).mid(3, 30),
                      QByteArray("One").leftJustified(30, '\0'));
        EXPECT_EQ(rig.Audio(QStringLiteral("Two.mp3")), QByteArray("cccc"));
        rig.expectNoHiddenName();
    }
}

// A failover in a repeat: the next server goes on with the repeat, and the
// earlier song is untouched meanwhile; with no server left the recording
// ends and keeps both plays.
TEST(Repeat, AFailoverDuringARepeatContinuesTheRepeatOrKeepsBothPlays)
{
    const QByteArray before = kHeader + "aaaa" + titleBlock("One") + "bbbb" + kEmpty + "bbbb" + titleBlock("Two") +
                              "cccc" + titleBlock("One") + "rrrr";
    {
        SCOPED_TRACE("the next server");
        RepeatRig rig;
        rig.Feed(before);
        rig.FailOver();
        EXPECT_EQ(rig.Audio(QStringLiteral("One.mp3")), QByteArray("bbbbbbbb"));
        rig.Feed(kHeader + "ssss" + titleBlock("One") + "tttt" + titleBlock("Three") + "dddd");
        rig.Stop();
        EXPECT_EQ(rig.Audio(QStringLiteral("One.mp3")), QByteArray("rrrrsssstttt"));
        EXPECT_EQ(rig.Bytes(QStringLiteral("One.mp3")).count("TAG"), 1);
        EXPECT_EQ(rig.Audio(QStringLiteral("Three.mp3")), QByteArray("dddd"));
        rig.expectNoHiddenName();
    }
    {
        SCOPED_TRACE("no server left");
        RepeatRig rig;
        rig.Feed(before);
        // The failover closes the repeat; no server takes it up and the recording ends.
        rig.Writer().ContinueOnNextServer();
        rig.Stop();
        EXPECT_EQ(rig.Audio(QStringLiteral("One.mp3")), QByteArray("bbbbbbbb"));
        EXPECT_EQ(rig.Audio(QStringLiteral("One (2).mp3")), QByteArray("rrrr"));
        rig.expectNoHiddenName();
    }
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
    ASSERT_TRUE(file.Create(path)); // nothing there yet: the file itself
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
    ASSERT_TRUE(file.Create(path)); // the old behaviour: start the file again
    EXPECT_EQ(file.Path(), path);
    EXPECT_TRUE(file.Replaces().isEmpty());
    file.Close();
    EXPECT_EQ(ReadAll(path), QByteArray());
}

// A title plays again to its end: the same recording (lengths within 2 s)
// replaces the earlier file, a different one is kept as a numbered version
// tagged with the plain title, as the user's repeat policy says.
TEST(Repeat, ACompleteRepeatReplacesOnlyTheSameRecordingAsThePolicySays)
{
    using R = RecordingOptions::Repeat;
    // 8 kbit/s: 1000 bytes a second; a metadata block every 500 bytes.
    const auto stream = [](const QList<std::pair<QByteArray, QByteArray>>& songs) {
        QByteArray s = "ICY 200 OK\r\nicy-name:X\r\nicy-br:8\r\nicy-metaint:500\r\n\r\n" + QByteArray(500, 'a');
        for (const auto& [title, audio] : songs) {
            s += titleBlock(title);
            for (qsizetype i = 0; i < audio.size(); i += 500)
                s += (i ? kEmpty : QByteArray()) + audio.mid(i, 500);
        }
        return s;
    };
    const QByteArray one(3000, 'e');
    const struct {
        const char* what;
        R policy;
        QByteArray again; // the later play of "One"
        QByteArray oneFile, versionFile;
        const char* event;
    } cases[] = {
        {"same length replaces", R::Replace, QByteArray(4500, 'r'), QByteArray(4500, 'r'), {}, "replaced One.mp3"},
        {"another length is another recording", R::Replace, QByteArray(5500, 'r'), one, QByteArray(5500, 'r'),
         "kept One (2).mp3"},
        {"shorter by more than 2 s", R::Replace, QByteArray(500, 'r'), one, QByteArray(500, 'r'), "kept One (2).mp3"},
        {"keep keeps the same length too", R::Keep, QByteArray(3000, 'r'), one, QByteArray(3000, 'r'),
         "kept One (2).mp3"},
        {"skip records a saved title not again", R::Skip, QByteArray(3000, 'r'), one, {}, "saved already One.mp3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RepeatRig rig(c.policy);
        rig.Feed(
            stream({{"One", one}, {"Two", QByteArray(500, 'c')}, {"One", c.again}, {"Three", QByteArray(500, 'd')}}));
        rig.Stop();
        EXPECT_EQ(rig.Audio(QStringLiteral("One.mp3")), c.oneFile);
        EXPECT_EQ(rig.Audio(QStringLiteral("One (2).mp3")), c.versionFile);
        if (!c.versionFile.isEmpty())
            EXPECT_EQ(rig.Bytes(QStringLiteral("One (2).mp3")).right(128),
                      BuildID3v1Tag({"", "One", ""}, QDate(2026, 12, 5)));
        EXPECT_EQ(rig.Audio(QStringLiteral("Three.mp3")), QByteArray(500, 'd'));
        EXPECT_TRUE(rig.events.contains(QString::fromLatin1(c.event))) << rig.Events().toStdString();
        rig.expectNoHiddenName();
    }
}

// Every complete play of a title kept: the third is "(3)".
TEST(Repeat, KeepNumbersEachFurtherPlay)
{
    RepeatRig rig(RecordingOptions::Repeat::Keep);
    rig.Feed(kHeader + "aaaa" + titleBlock("One") + "1111" + titleBlock("Two") + "cccc" + titleBlock("One") + "2222" +
             titleBlock("Two") + "dddd" + titleBlock("One") + "3333" + titleBlock("Three") + "eeee");
    rig.Stop();
    EXPECT_EQ(rig.Audio(QStringLiteral("One.mp3")), QByteArray("1111"));
    EXPECT_EQ(rig.Audio(QStringLiteral("One (2).mp3")), QByteArray("2222"));
    EXPECT_EQ(rig.Audio(QStringLiteral("One (3).mp3")), QByteArray("3333"));
}

// The title the recording resumes with after a pause may have been recorded
// before: the earlier file stays and the resumed play is a repeat of it.
TEST(Repeat, AResumeOnATitleRecordedBeforeKeepsTheEarlierFile)
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
        RepeatRig rig(c.policy);
        rig.Feed(kHeader + "aaaa" + titleBlock("One") + "bbbb" + titleBlock("Two") + "cccc");
        rig.Writer().Pause();
        rig.Feed(titleBlock("One") + "xxxx");
        rig.Writer().Resume();
        EXPECT_EQ(rig.Audio(QStringLiteral("One.mp3")), QByteArray("bbbb"));
        rig.Feed(kEmpty + "rrrr" + (c.nextTitle ? titleBlock("Three") + "dddd" : ""));
        rig.Stop();
        EXPECT_EQ(rig.Audio(QStringLiteral("One.mp3")), c.oneFile);
        EXPECT_EQ(rig.Audio(QStringLiteral("One (2).mp3")), c.versionFile);
        EXPECT_EQ(rig.Audio(QStringLiteral("Two.mp3")), QByteArray("cccc"));
        rig.expectNoHiddenName();
    }
}

// A recording that starts again under a name recorded before (the station's
// file of the day, a single file, the day's archive; or a recording that
// started paused, whose first file opens on resuming) never starts that
// file over: the new recording is kept beside it as a numbered version.
TEST(Repeat, ANameRecordedBeforeIsKeptWhenARecordingStartsAgain)
{
    using M = SongRig::Mode;
    const struct {
        const char* what;
        M mode;
        bool startPaused; // the file is there before; the recording starts paused and is resumed
        QByteArray header;
        const char* file;
        const char* version;
    } cases[] = {
        {"the station's file of the day", M::PerSong, false, kHeader, "X-12052026.mp3", "X-12052026 (2).mp3"},
        {"a resumed start", M::PerSong, true, kHeader, "X-12052026.mp3", "X-12052026 (2).mp3"},
        {"a single file", M::SingleFile, false, "ICY 200 OK\r\n\r\n", "single.mp3", "single (2).mp3"},
        {"the day's archive", M::DatedArchive, false, "ICY 200 OK\r\n\r\n", "arch-12052026.mp3",
         "arch-12052026 (2).mp3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        IcyRig rig;
        rig.mode = c.mode;
        rig.streamFileName = c.mode == M::SingleFile ? QStringLiteral("single.mp3") : QStringLiteral("arch");
        if (c.startPaused)
            ASSERT_TRUE(WriteAll(rig.folder.file(QString::fromLatin1(c.file)), "1111"));
        for (const QByteArray& audio : {QByteArray("1111"), QByteArray("2222")}) {
            if (c.startPaused && audio == "1111")
                continue;
            const bool paused = c.startPaused;
            rig.startPaused = paused;
            ASSERT_TRUE(rig.Start());
            rig.Begin();
            rig.Feed(c.header + (paused ? "aaaa" : audio));
            if (paused) {
                ASSERT_TRUE(rig.Writer().Paused());
                rig.Writer().Resume();
                rig.Feed(kEmpty + audio);
            }
            rig.Stop();
        }
        EXPECT_EQ(rig.Audio(QString::fromLatin1(c.file)), QByteArray("1111"));
        EXPECT_EQ(rig.Audio(QString::fromLatin1(c.version)), QByteArray("2222"));
        EXPECT_EQ(rig.Files().size(), 2) << rig.Files().join(',').toStdString();
    }
}
