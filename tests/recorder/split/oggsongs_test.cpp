// Ogg songs named by their comments follow the song rules and the repeat
// rule as ICY titles do.
#include "fixture.h"
#include "tests/recorder/demux/oggpages.h"

#include <QDir>

namespace {

const QByteArray kOggHeader = "ICY 200 OK\r\nContent-Type: application/ogg\r\nicy-name:X\r\n\r\n";

// A song of three audio pages whose comments name `artist` and `title`.
QByteArray Song(quint32 serial, const QByteArray& artist, const QByteArray& title, char fill = 'a')
{
    QByteArray s = VorbisSong(serial, {"ARTIST=" + artist, "TITLE=" + title});
    // Audio that tells one play from another.
    const qsizetype audio = s.size() - 3 * PacketsPage(0, serial, 2, {QByteArray(300, 'a')}, 1024).size();
    QByteArray marked = s.left(audio);
    for (int i = 0; i < 3; ++i)
        marked +=
            PacketsPage(i == 2 ? 4 : 0, serial, quint32(2 + i), {QByteArray(300, char(fill + i))}, 1024 * (i + 1));
    return marked;
}

class OggSongsTest : public RecorderFixture {
protected:
    void SetUp() override
    {
        RecorderFixture::SetUp();
        recordSongsContinuously();
    }
    QStringList files(const QString& sub = QString()) const
    {
        return QDir(folder.path() + sub).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
};

} // namespace

TEST_F(OggSongsTest, TheIgnoreListTitleRulesAndFileNamePatternApply)
{
    ASSERT_TRUE(WriteAll(rulesFolder.file(QStringLiteral("IgnoreList.txt")), "*jingle*\n"));
    ASSERT_TRUE(WriteAll(rulesFolder.file(QStringLiteral("TitleRules.txt")), "/ \\(radio edit\\)$//\n"));
    options.fileNamePattern = QStringLiteral("%S/%T");
    const QByteArray one = Song(1, "A", "One (radio edit)"), jingle = Song(2, "X", "Station Jingle", 'j'),
                     two = Song(3, "B", "Two", 'b');
    startOnStation();
    recorder->HandleStreamData(kOggHeader + one + jingle + two);
    recorder->StopRecording();
    EXPECT_EQ(files(), QStringList());
    EXPECT_EQ(files(QStringLiteral("/Test Station")), QStringList({"One.ogg", "Two.ogg"}));
    EXPECT_EQ(ReadAll(folder.file(QStringLiteral("Test Station/One.ogg"))), one);
    EXPECT_EQ(ReadAll(folder.file(QStringLiteral("Test Station/Two.ogg"))), two);
    EXPECT_TRUE(captions.contains(QStringLiteral("Skipped: X - Station Jingle"))) << captions.join('|').toStdString();
}

// "A" and "B", then "A" again: to its end and on to "C", or stopped after
// its first page of audio. As for MP3: a complete play of the same length
// replaces the earlier one, a stop keeps both.
TEST_F(OggSongsTest, ARepeatFollowsTheRepeatRuleAndAStopKeepsBothPlays)
{
    using R = RecordingOptions::Repeat;
    const QByteArray a = Song(1, "A", "Song"), b = Song(2, "B", "Song", 'b'), again = Song(3, "A", "Song", 'r'),
                     c = Song(4, "C", "Song", 'c');
    const qsizetype firstPage = again.size() - 2 * PacketsPage(0, 3, 3, {QByteArray(300, 'a')}, 2048).size();
    const struct {
        const char* what;
        R policy;
        bool toTheEnd;
        QByteArray earlier, version; // "A - Song.ogg", "A - Song (2).ogg"
        const char* status;
    } cases[] = {
        {"a complete repeat replaces", R::Replace, true, again, {}, "Replaced A - Song.ogg with a later complete play"},
        {"keep keeps a complete repeat", R::Keep, true, a, again, "Kept A - Song (2).ogg as another recording"},
        {"a stop keeps both", R::Replace, false, a, again.left(firstPage),
         "Kept A - Song (2).ogg as another recording"},
        {"skip records it not again", R::Skip, true, a, {}, "Not recording A - Song.ogg: it is saved already"},
    };
    for (const auto& c0 : cases) {
        SCOPED_TRACE(c0.what);
        QDir(folder.path()).removeRecursively();
        QDir().mkpath(folder.path());
        recorder = std::make_unique<frmMP3>(deps);
        captions.clear();
        QObject::connect(recorder.get(), &frmMP3::songCaptionChanged, [this](const QString& s) { captions.append(s); });
        options.repeatPolicy = c0.policy;
        startOnStation();
        recorder->HandleStreamData(kOggHeader + a + b + (c0.toTheEnd ? again + c : again.left(firstPage + 5)));
        recorder->StopRecording();
        EXPECT_EQ(ReadAll(folder.file(QStringLiteral("A - Song.ogg"))), c0.earlier);
        EXPECT_EQ(ReadAll(folder.file(QStringLiteral("A - Song (2).ogg"))), c0.version);
        EXPECT_EQ(ReadAll(folder.file(QStringLiteral("B - Song.ogg"))), b);
        EXPECT_TRUE(captions.contains(QString::fromLatin1(c0.status))) << captions.join('|').toStdString();
        EXPECT_FALSE(files().join(',').contains(QStringLiteral("repeat"))) << files().join(',').toStdString();
        EXPECT_FALSE(captions.join('|').contains(QStringLiteral("repeat")));
    }
}
