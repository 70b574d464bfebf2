// Ogg songs named by their comments follow the song rules and the repeat
// rule as ICY titles do.
#include "tests/recorder/demux/oggpages.h"
#include "tests/support/songrig.h"

#include <gtest/gtest.h>

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

// An ICY rig recording per song, started.
struct OggRig : IcyRig {
    void record(const QByteArray& songs)
    {
        ASSERT_TRUE(Start());
        Begin();
        Feed(kOggHeader + songs);
        Stop();
    }
};

} // namespace

TEST(OggSongs, TheIgnoreListTitleRulesAndFileNamePatternApply)
{
    OggRig rig;
    ASSERT_TRUE(WriteAll(rig.rules.file(QStringLiteral("IgnoreList.txt")), "*jingle*\n"));
    ASSERT_TRUE(WriteAll(rig.rules.file(QStringLiteral("TitleRules.txt")), "/ \\(radio edit\\)$//\n"));
    rig.options.fileNamePattern = QStringLiteral("%S/%T");
    const QByteArray one = Song(1, "A", "One (radio edit)"), jingle = Song(2, "X", "Station Jingle", 'j'),
                     two = Song(3, "B", "Two", 'b');
    rig.record(one + jingle + two);
    EXPECT_EQ(rig.Files(), QStringList());
    EXPECT_EQ(rig.Files(QStringLiteral("/Test Station")), QStringList({"One.ogg", "Two.ogg"}));
    EXPECT_EQ(rig.Bytes(QStringLiteral("Test Station/One.ogg")), one);
    EXPECT_EQ(rig.Bytes(QStringLiteral("Test Station/Two.ogg")), two);
    EXPECT_TRUE(rig.events.contains(QStringLiteral("say Skipped: X - Station Jingle"))) << rig.Events().toStdString();
}

// "A" and "B", then "A" again: to its end and on to "C", or stopped after
// its first page of audio. As for MP3: a complete play of the same length
// replaces the earlier one, a stop keeps both.
TEST(OggSongs, ARepeatFollowsTheRepeatRuleAndAStopKeepsBothPlays)
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
        const char* event;
    } cases[] = {
        {"a complete repeat replaces", R::Replace, true, again, {}, "replaced A - Song.ogg"},
        {"keep keeps a complete repeat", R::Keep, true, a, again, "kept A - Song (2).ogg"},
        {"a stop keeps both", R::Replace, false, a, again.left(firstPage), "kept A - Song (2).ogg"},
        {"skip records it not again", R::Skip, true, a, {}, "saved already A - Song.ogg"},
    };
    for (const auto& c0 : cases) {
        SCOPED_TRACE(c0.what);
        OggRig rig;
        rig.options.repeatPolicy = c0.policy;
        rig.record(a + b + (c0.toTheEnd ? again + c : again.left(firstPage + 5)));
        EXPECT_EQ(rig.Bytes(QStringLiteral("A - Song.ogg")), c0.earlier);
        EXPECT_EQ(rig.Bytes(QStringLiteral("A - Song (2).ogg")), c0.version);
        EXPECT_EQ(rig.Bytes(QStringLiteral("B - Song.ogg")), b);
        EXPECT_TRUE(rig.events.contains(QString::fromLatin1(c0.event))) << rig.Events().toStdString();
        // No file and no event gives away the hidden name a repeat is recorded under.
        EXPECT_FALSE(rig.Files().join(',').contains(QStringLiteral("repeat"))) << rig.Files().join(',').toStdString();
        EXPECT_FALSE(rig.Events().contains(QStringLiteral("repeat")));
    }
}
